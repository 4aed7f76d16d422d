#include "app/end_signals.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

// One program-wide pipe: the handler may only write to it.
int g_nPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = write(g_nPipe[1], &number, 1);
    errno = saved;
}

} // namespace

CEndSignals::CEndSignals(QObject* parent) : QObject(parent) {
    if (g_nPipe[0] >= 0 || pipe2(g_nPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_pNotifier = new QSocketNotifier(g_nPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CEndSignals::OnReadable);

    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &m_saved[i]);
        // A signal ignored from the start (nohup) stays ignored.
        if (m_saved[i].sa_handler == SIG_IGN) {
            sigaction(kSignals[i], &m_saved[i], nullptr);
        }
    }
}

CEndSignals::~CEndSignals() {
    if (m_pNotifier == nullptr) {
        return;
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &m_saved[i], nullptr);
    }
    delete m_pNotifier;
    m_pNotifier = nullptr;
    close(g_nPipe[0]);
    close(g_nPipe[1]);
    g_nPipe[0] = g_nPipe[1] = -1;
}

void CEndSignals::OnReadable() {
    unsigned char number = 0;
    while (read(g_nPipe[0], &number, 1) == 1) {
        emit Received(number);
    }
}
