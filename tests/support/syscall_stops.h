// Stopping a process at a chosen system call, to see what it leaves behind
// when it is ended right there. The process runs traced (ptrace) from its
// first instruction; the tracer counts the system calls it enters from the
// first one a predicate picks out (the making of a new file, say) and, at the
// chosen count, sends it a signal before the call runs. Deterministic: the
// same program stops at the same call every time. x86-64 Linux only; the
// callers skip elsewhere.
#pragma once

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/ptrace.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__x86_64__)
#define TORVI_SYSCALL_STOPS 1
#endif

struct CSyscallStop {
    bool finished = false; // the process ended before the chosen call
    long syscall = -1;     // the call it was stopped at
    int status = 0;        // its wait status
    bool timedOut = false; // it did not end in time and was killed
};

// The system call the tracee is entering, and its first three arguments.
struct CSyscallEntry {
    long number = -1;
    unsigned long long args[3] = {};
};

// Runs body in a new process (it calls _exit when done), counts the system
// calls it enters once start has returned true for one (that one is the
// first), and at the stopAt-th (1 for that first one) sends signalNumber and
// lets it run on to its end. A process that has not ended after seconds is
// killed and reported.
inline CSyscallStop RunAndSignalAt(const std::function<void()>& body,
                                   const std::function<bool(const CSyscallEntry&)>& start,
                                   int stopAt, int signalNumber, int seconds = 20) {
    CSyscallStop outcome;
#ifdef TORVI_SYSCALL_STOPS
    sigset_t childSignals;
    sigemptyset(&childSignals);
    sigaddset(&childSignals, SIGCHLD);
    sigset_t saved;
    sigprocmask(SIG_BLOCK, &childSignals, &saved);
    const pid_t pid = fork();
    if (pid == 0) {
        sigprocmask(SIG_SETMASK, &saved, nullptr);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        raise(SIGSTOP);
        body();
        _exit(0);
    }
    struct timespec deadline {};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += seconds;
    // Waits for the next stop or the end, within the deadline.
    auto next = [&](int& status) {
        for (;;) {
            const pid_t got = waitpid(pid, &status, WNOHANG | __WALL);
            if (got == pid)
                return true;
            struct timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (got < 0 || now.tv_sec >= deadline.tv_sec)
                return false;
            const struct timespec slice { 0, 20 * 1000 * 1000 };
            sigtimedwait(&childSignals, nullptr, &slice);
        }
    };
    int status = 0;
    bool optionsSet = false;
    bool inCall = false; // stops alternate between entering and leaving a call
    int counted = 0;
    bool signalled = false;
    while (next(status)) {
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            outcome.finished = !signalled;
            outcome.status = status;
            sigprocmask(SIG_SETMASK, &saved, nullptr);
            return outcome;
        }
        int pass = 0;
        if (!optionsSet) {
            ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD);
            optionsSet = true;
        } else if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            inCall = !inCall;
            if (inCall && !signalled) {
                struct user_regs_struct regs {};
                ptrace(PTRACE_GETREGS, pid, nullptr, &regs);
                const CSyscallEntry entry{static_cast<long>(regs.orig_rax),
                                          {regs.rdi, regs.rsi, regs.rdx}};
                if (counted > 0 || start(entry))
                    ++counted;
                if (counted == stopAt) {
                    outcome.syscall = entry.number;
                    kill(pid, signalNumber);
                    signalled = true;
                }
            }
        } else if (WSTOPSIG(status) != SIGTRAP && WSTOPSIG(status) != SIGSTOP) {
            pass = WSTOPSIG(status); // a signal for the process: delivered
        }
        ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(pass)));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, __WALL);
    outcome.timedOut = true;
    outcome.status = status;
    sigprocmask(SIG_SETMASK, &saved, nullptr);
#else
    (void)body;
    (void)start;
    (void)stopAt;
    (void)signalNumber;
    (void)seconds;
    outcome.finished = true;
#endif
    return outcome;
}

// Whether this process may trace a child of its own (a container's seccomp
// profile or a Yama setting may forbid it); the tests skip when not.
inline bool CanTraceChildren() {
#ifdef TORVI_SYSCALL_STOPS
    const pid_t pid = fork();
    if (pid == 0)
        _exit(ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 ? 0 : 1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
#else
    return false;
#endif
}

// The making of a new file: an open that creates one, named or unnamed.
inline bool MakesAFile(const CSyscallEntry& entry) {
#ifdef TORVI_SYSCALL_STOPS
    constexpr long kOpenAt = 257;
    constexpr long kOpen = 2;
    unsigned long long flags = 0;
    if (entry.number == kOpenAt)
        flags = entry.args[2];
    else if (entry.number == kOpen)
        flags = entry.args[1];
    else
        return false;
    return (flags & O_TMPFILE) == O_TMPFILE || (flags & O_CREAT) != 0;
#else
    (void)entry;
    return false;
#endif
}
