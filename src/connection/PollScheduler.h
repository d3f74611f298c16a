#pragma once

#include <QObject>
#include <QTimer>

class PollCycle;
class SerialChannel;

// Runs the poll cycle's ticks on the thread that owns the link state: at once when bytes
// arrive, and from a coarse supervision timer so that silences are noticed within a few tens
// of milliseconds. An idle program therefore wakes tens of times a second, not a thousand.
// Ticks never overlap: a request that comes while a tick runs (an error box pumping events)
// is served right after it.
class PollScheduler : public QObject {
    Q_OBJECT
public:
    static constexpr int SupervisionIntervalMs = 20;

    PollScheduler(PollCycle& cycle, SerialChannel& channel, QObject* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_supervision.isActive(); }
    qint64 tickCount() const { return m_ticks; }

public Q_SLOTS:
    // Connected to the port's readyRead.
    void onBytesArrived();

private:
    void runTicks();

    PollCycle& m_cycle;
    SerialChannel& m_channel;
    QTimer m_supervision;
    bool m_inTick = false;
    bool m_again = false;
    qint64 m_ticks = 0;
};
