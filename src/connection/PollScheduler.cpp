#include "connection/PollScheduler.h"

#include "connection/PollCycle.h"
#include "connection/SerialChannel.h"

PollScheduler::PollScheduler(PollCycle& cycle, SerialChannel& channel, QObject* parent)
    : QObject(parent), m_cycle(cycle), m_channel(channel) {
    m_supervision.setInterval(SupervisionIntervalMs);
    m_supervision.setTimerType(Qt::PreciseTimer);
    connect(&m_supervision, &QTimer::timeout, this, &PollScheduler::runTicks);
}

void PollScheduler::start() {
    m_supervision.start();
}

void PollScheduler::stop() {
    m_supervision.stop();
}

void PollScheduler::onBytesArrived() {
    if (m_supervision.isActive())
        runTicks();
}

void PollScheduler::runTicks() {
    if (m_inTick) {
        m_again = true;
        return;
    }
    m_inTick = true;
    // A tick takes at most one read's worth of bytes; go on while the port holds more, so a
    // burst is consumed at once rather than at the supervision rate.
    int budget = 64;
    do {
        m_again = false;
        m_cycle.Tick();
        ++m_ticks;
    } while ((m_again || m_channel.bytesAvailable() > 0) && --budget > 0 &&
             m_supervision.isActive());
    m_inTick = false;
}
