// CSignalGuard: while a terminal session runs, Ctrl+C, a quit key, a closed
// terminal and a termination request end it the way the end of the input does,
// so that the score is shown and the session's folder is removed (SIGQUIT
// leaves no core dump behind either). The handlers do not restart a waiting
// read. Writing to a closed pipe ends the session through the stream's failure.
#pragma once

#include <csignal>
#include <cstddef>

class CSignalGuard {
public:
    CSignalGuard();
    ~CSignalGuard();
    CSignalGuard(const CSignalGuard&) = delete;
    CSignalGuard& operator=(const CSignalGuard&) = delete;

    // Set once one of the signals arrived while a guard was in place.
    static const volatile std::sig_atomic_t* Interrupted();

private:
    static constexpr size_t kSignals = 4;
    static constexpr int kHandled[kSignals] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction m_saved[kSignals] {};
    struct sigaction m_savedPipe {};
};
