#include "FaultMark.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace kumiro::lo {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction previous[sizeof(kSignals) / sizeof(kSignals[0])];
char markPath[4096];
void* ourBase = nullptr;

void* faultingInstruction(void* context)
{
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return reinterpret_cast<void*>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return reinterpret_cast<void*>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return nullptr;
#endif
}

void onFault(int sig, siginfo_t*, void* context)
{
    Dl_info info{};
    void* pc = faultingInstruction(context);
    if (pc && dladdr(pc, &info) != 0 && info.dli_fbase == ourBase) {
        const int fd = open(markPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0)
            close(fd);
    }
    // The office's own handler takes it from here: the instruction faults again.
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
        if (kSignals[i] == sig)
            sigaction(sig, &previous[i], nullptr);
    }
}

} // namespace

void watchForFaults()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* temp = std::getenv("TMPDIR");
        Dl_info info{};
        if (!temp || dladdr(reinterpret_cast<void*>(&watchForFaults), &info) == 0 ||
            std::strlen(temp) + sizeof(kFaultMark) + 2 > sizeof(markPath))
            return;
        ourBase = info.dli_fbase;
        std::strcpy(markPath, temp);
        std::strcat(markPath, "/");
        std::strcat(markPath, kFaultMark);
        struct sigaction action {};
        action.sa_sigaction = onFault;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i)
            sigaction(kSignals[i], &action, &previous[i]);
    });
}

} // namespace kumiro::lo
