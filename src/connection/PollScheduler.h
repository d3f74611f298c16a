#pragma once

#include <QObject>
#include <QTimer>

class PollCycle;
class SerialChannel;

// Runs the poll cycle's ticks on the thread that owns the link state: at once when bytes
// arrive, and from a supervision timer set to the moment the next silence threshold (1.2, 2.5
// or 3.5 s after the last good frame) can be passed. An idle program therefore wakes about once
// a second, not a thousand times, and every threshold is still acted on within a millisecond or
// two. Ticks never overlap: a request that comes while a tick runs (an error box pumping
// events) is served right after it.
class PollScheduler : public QObject {
    Q_OBJECT
public:
    PollScheduler(PollCycle& cycle, SerialChannel& channel, QObject* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_running; }
    qint64 tickCount() const { return m_ticks; }

public Q_SLOTS:
    // Connected to the port's readyRead.
    void onBytesArrived();
    // The link state or its last-frame time was changed outside a tick (a port picked in the
    // window): the next supervision may be due sooner.
    void supervisionChanged();

private:
    void runTicks();
    void armSupervision();

    PollCycle& m_cycle;
    SerialChannel& m_channel;
    QTimer m_supervision;
    bool m_running = false;
    bool m_inTick = false;
    bool m_again = false;
    qint64 m_ticks = 0;
};
