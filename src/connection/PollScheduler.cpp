#include "connection/PollScheduler.h"

#include "connection/PollCycle.h"
#include "connection/SerialChannel.h"

#include <algorithm>

PollScheduler::PollScheduler(PollCycle& cycle, SerialChannel& channel, QObject* parent)
    : QObject(parent), m_cycle(cycle), m_channel(channel) {
    m_supervision.setSingleShot(true);
    m_supervision.setTimerType(Qt::PreciseTimer);
    connect(&m_supervision, &QTimer::timeout, this, [this] {
        runTicks();
        armSupervision();
    });
}

void PollScheduler::start() {
    m_running = true;
    armSupervision();
}

void PollScheduler::stop() {
    m_running = false;
    m_supervision.stop();
}

void PollScheduler::armSupervision() {
    // Frames that arrive meanwhile move the deadline on; the timer is not restarted for each
    // of them (that would cost more than the wake-up it saves), it finds out when it fires.
    if (m_running)
        m_supervision.start(int(std::min<qint64>(m_cycle.msUntilSupervision(), 60'000)));
}

void PollScheduler::supervisionChanged() {
    if (m_running && m_supervision.remainingTime() > m_cycle.msUntilSupervision())
        armSupervision();
}

void PollScheduler::onBytesArrived() {
    if (m_running)
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
    } while ((m_again || m_channel.bytesAvailable() > 0) && --budget > 0 && m_running);
    m_inTick = false;
    // A tick may have moved the link into a state with a shorter limit (a detector lost, a
    // port picked again): bring the supervision forward when it would come too late.
    if (m_running && m_supervision.remainingTime() > m_cycle.msUntilSupervision())
        armSupervision();
    // Still more waiting: let other events in, then go on without waiting for new bytes.
    if (budget == 0 && m_running)
        QTimer::singleShot(0, this, &PollScheduler::runTicks);
}
