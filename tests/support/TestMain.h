#pragma once

#include <QTest>

#include <csignal>

// Test programs run with the signal dispositions the program sets in main: an office that
// dies while the bridge writes to it must be an error, not a SIGPIPE.
#define KUMIRO_IGNORE_SIGPIPE                                                                                          \
    [[maybe_unused]] static const bool kumiroSigpipeIgnored = (std::signal(SIGPIPE, SIG_IGN), true);

#define KUMIRO_TEST_MAIN(T) KUMIRO_IGNORE_SIGPIPE QTEST_MAIN(T)
#define KUMIRO_TEST_GUILESS_MAIN(T) KUMIRO_IGNORE_SIGPIPE QTEST_GUILESS_MAIN(T)
