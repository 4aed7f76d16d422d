#include "terminal/signal_guard.h"

namespace {
volatile std::sig_atomic_t g_nInterrupted = 0;

extern "C" void OnInterrupt(int) {
    g_nInterrupted = 1;
}
} // namespace

CSignalGuard::CSignalGuard() {
    g_nInterrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (size_t i = 0; i < kSignals; ++i) {
        sigaction(kHandled[i], &action, &m_saved[i]);
        // A signal ignored from the start (nohup, a background job) stays ignored.
        if (m_saved[i].sa_handler == SIG_IGN)
            sigaction(kHandled[i], &m_saved[i], nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &m_savedPipe);
}

CSignalGuard::~CSignalGuard() {
    for (size_t i = 0; i < kSignals; ++i)
        sigaction(kHandled[i], &m_saved[i], nullptr);
    sigaction(SIGPIPE, &m_savedPipe, nullptr);
}

const volatile std::sig_atomic_t* CSignalGuard::Interrupted() {
    return &g_nInterrupted;
}
