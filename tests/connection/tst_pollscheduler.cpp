#include "RecordingView.h"
#include "TelemetryFrames.h"
#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "connection/PollScheduler.h"

#include <QElapsedTimer>
#include <QtTest>

class PollSchedulerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void idleWakesOnlyForSupervision();
    void bytesAreHandledAtOnceAndBurstsDrained();
    void ticksDoNotNest();
};

void PollSchedulerTest::idleWakesOnlyForSupervision() {
    MemoryChannel channel;
    RecordingView view;
    PollCycle cycle(channel, SystemClock::instance(), view);
    PollScheduler scheduler(cycle, channel);
    QElapsedTimer sinceStart;
    qint64 firstReselectMs = -1;
    view.onReselect = [&] {
        if (firstReselectMs < 0)
            firstReselectMs = sinceStart.elapsed();
    };
    sinceStart.start();
    scheduler.start();
    QVERIFY(QTest::qWaitFor([&] { return view.count("ReselectPort") >= 2; }, 4000));
    // Nobody answers: a new attempt every 1.2 s, each on time, with no ticks in between.
    QVERIFY2(firstReselectMs >= 1200, qPrintable(QString::number(firstReselectMs)));
    QVERIFY(scheduler.tickCount() <= 4);
    scheduler.stop();
}

void PollSchedulerTest::bytesAreHandledAtOnceAndBurstsDrained() {
    MemoryChannel channel;
    RecordingView view;
    PollCycle cycle(channel, SystemClock::instance(), view);
    PollScheduler scheduler(cycle, channel);
    scheduler.start();
    QByteArray burst;
    for (int i = 0; i < 2000; ++i)
        burst += telemetryFrame(1, unsigned(i));
    channel.push(burst);
    scheduler.onBytesArrived();
    // Far more than one read's worth: the rest is taken without waiting for new bytes.
    QVERIFY(QTest::qWaitFor([&] { return channel.bytesAvailable() == 0; }, 1000));
    QCOMPARE(view.count("ShowSignal"), 2000);
}

namespace {
// A reaction that runs a nested event loop, as an error box does.
class PumpingView : public RecordingView {
public:
    PollScheduler* scheduler = nullptr;
    int depth = 0;
    int deepest = 0;
    void ShowSignal() override {
        ++depth;
        deepest = std::max(deepest, depth);
        scheduler->onBytesArrived(); // another request arrives while this tick runs
        QCoreApplication::processEvents();
        --depth;
        RecordingView::ShowSignal();
    }
};
} // namespace

void PollSchedulerTest::ticksDoNotNest() {
    MemoryChannel channel;
    channel.setReadLimit(4);
    PumpingView view;
    PollCycle cycle(channel, SystemClock::instance(), view);
    PollScheduler scheduler(cycle, channel);
    view.scheduler = &scheduler;
    scheduler.start();
    channel.push(telemetryFrame(1, 1) + telemetryFrame(1, 2) + telemetryFrame(1, 3));
    scheduler.onBytesArrived();
    QVERIFY(QTest::qWaitFor([&] { return view.count("ShowSignal") == 3; }, 1000));
    QCOMPARE(view.deepest, 1);
}

QTEST_GUILESS_MAIN(PollSchedulerTest)
#include "tst_pollscheduler.moc"
