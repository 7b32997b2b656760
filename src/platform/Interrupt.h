// SIGINT, SIGTERM and SIGHUP end the program only after the command under way has been
// cancelled as its cancel button would (the output put back, the office ended, its files
// removed): the handlers only note the signal, and the program looks at the note.
#pragma once

#include <atomic>

namespace kumiro {

// Installs the handlers; once, from main. A second signal while the first is being
// answered ends the program at once (the office goes with it; the next start sweeps).
void installInterruptHandlers();

// The signal that asked the program to end, or 0.
int interruptSignal();
const std::atomic<int>* interruptFlag();

// A descriptor that becomes readable when a signal arrives, for the event loop; -1 before
// the handlers are installed.
int interruptDescriptor();

// The exit status for a program ended by the signal noted (128 + its number).
inline int interruptExitStatus()
{
    return 128 + interruptSignal();
}

} // namespace kumiro
