// CEndSignals: SIGTERM (a desktop session logging out), SIGINT (Ctrl+C in the
// terminal that started the program) and SIGHUP (that terminal closing) reach
// the event loop as Qt signals, so the program can end the way closing its
// window does: the player silenced, everything destroyed in order.
#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

class CEndSignals : public QObject {
    Q_OBJECT

public:
    explicit CEndSignals(QObject* parent = nullptr);
    ~CEndSignals() override;
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

    // False when the handlers could not be put in place (the signals then keep
    // their old disposition).
    bool IsWatching() const { return m_pNotifier != nullptr; }

signals:
    void Received(int signalNumber);

private:
    void OnReadable();

    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction m_saved[std::size(kSignals)]{};
    QSocketNotifier* m_pNotifier = nullptr;
};
