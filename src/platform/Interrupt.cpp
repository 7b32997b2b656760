#include "Interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace kumiro {

namespace {

std::atomic<int> noted{0};
int pipeEnds[2] = {-1, -1};

void onSignal(int signal)
{
    int expected = 0;
    if (!noted.compare_exchange_strong(expected, signal))
        _exit(128 + expected);
    if (pipeEnds[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
    }
}

} // namespace

void installInterruptHandlers()
{
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        pipeEnds[0] = pipeEnds[1] = -1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int interruptSignal()
{
    return noted.load();
}

const std::atomic<int>* interruptFlag()
{
    return &noted;
}

int interruptDescriptor()
{
    return pipeEnds[0];
}

} // namespace kumiro
