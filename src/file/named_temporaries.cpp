#include "file/named_temporaries.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {
// Slots a handler can walk without taking a lock: a slot's name is written
// while it is free, and only then marked in use.
constexpr int kSlots = 16;
struct CSlot {
    std::atomic<int> used{0};
    char path[PATH_MAX]{};
};
CSlot g_slots[kSlots];

std::mutex g_lock;
int g_nHeld = 0; // under g_lock

#ifndef __EMSCRIPTEN__
constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};
bool g_bCaught[std::size(kEndSignals)] = {};

extern "C" void OnEndSignalWithTemporaries(int signalNumber) {
    RemoveNamedTemporaries();
    // Ends the program as the signal would have: the default action again,
    // and the signal raised once this handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
    raise(signalNumber);
}
#endif

// Catches the end signals whose action is the default one; the program's own
// handlers and ignored signals are left as they are.
void CatchEndSignals() {
#ifndef __EMSCRIPTEN__
    for (size_t i = 0; i < std::size(kEndSignals); ++i) {
        struct sigaction now {};
        if (sigaction(kEndSignals[i], nullptr, &now) != 0 || now.sa_handler != SIG_DFL ||
            (now.sa_flags & SA_SIGINFO))
            continue;
        struct sigaction action {};
        action.sa_handler = OnEndSignalWithTemporaries;
        sigemptyset(&action.sa_mask);
        for (const int other : kEndSignals)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESTART;
        g_bCaught[i] = sigaction(kEndSignals[i], &action, nullptr) == 0;
    }
#endif
}

void ReleaseEndSignals() {
#ifndef __EMSCRIPTEN__
    for (size_t i = 0; i < std::size(kEndSignals); ++i) {
        if (!g_bCaught[i])
            continue;
        g_bCaught[i] = false;
        struct sigaction now {};
        // Only our own handler is taken back; one the program set since stays.
        if (sigaction(kEndSignals[i], nullptr, &now) != 0 ||
            now.sa_handler != OnEndSignalWithTemporaries)
            continue;
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(kEndSignals[i], &action, nullptr);
    }
#endif
}
} // namespace

void RemoveNamedTemporaries() {
    for (CSlot& slot : g_slots) {
        if (slot.used.load() == 1)
            unlink(slot.path);
    }
}

bool CNamedTemporary::Hold(const std::string& path) {
    if (m_nSlot >= 0 || path.size() >= PATH_MAX)
        return false;
    const std::lock_guard<std::mutex> guard(g_lock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].used.load() != 0)
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].used.store(1);
        m_nSlot = i;
        m_strPath = path;
        if (g_nHeld++ == 0)
            CatchEndSignals();
        return true;
    }
    return false;
}

void CNamedTemporary::Release() {
    if (m_nSlot < 0)
        return;
    const std::lock_guard<std::mutex> guard(g_lock);
    g_slots[m_nSlot].used.store(0);
    m_nSlot = -1;
    m_strPath.clear();
    if (--g_nHeld == 0)
        ReleaseEndSignals();
}

void CNamedTemporary::Remove() {
    if (m_nSlot < 0)
        return;
    unlink(m_strPath.c_str());
    Release();
}

CNamedTemporary::~CNamedTemporary() {
    Remove();
}
