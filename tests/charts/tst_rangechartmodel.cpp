#include "ChartRig.h"
#include "TestFiles.h"
#include "charts/RangeChartModel.h"
#include "log/EventLog.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

using Update = RangeChartModel::Update;

// A model on a 643 px chart; thresholds ПП 25 %, МП 25 %, БП 50 %; average 400 in normal mode.
struct ModelRig : LinkRig {
    FakeDisplayHost host;
    RangeChartModel model;

    explicit ModelRig(int chartWidth = 643, EventLog* log = nullptr)
        : model(link, tables, clock, log) {
        model.Prepare(1, chartWidth);
        telemetry::thresholds(t(), PP25, MP25, BP50);
        telemetry::average(t(), 400, ModeNormal);
    }
    // A signal message long enough after the last one to pass the thinning.
    Update plot(unsigned sig, bool pp = false, bool mp = false, bool bp = false) {
        clock.advance(1000);
        telemetry::signal(t(), sig, pp, mp, bp);
        return model.UpdateRangeChart(host);
    }
    void mode(unsigned state) { telemetry::average(t(), 400, state); }
    int count(RangeSeries s) const { return model.series(s).count(); }
    double newestX(RangeSeries s) const { return model.series(s).newest().x; }
};

// The diagnostic log switched on (its file exists) in a folder of its own.
struct SwitchedOnLog {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("VelmoraTuner.log"));
    ManualClock clock;
    EventLog log{clock, path};

    SwitchedOnLog() {
        writeFile(path, {});
        log.StartLog();
    }
    QByteArray text() const { return readFile(path); }
};

void checkInvariants(const RangeChartModel& model) {
    const ChartSeries& signal = model.series(RangeSeries::Signal);
    QVERIFY(signal.count() <= model.scale().MaxPointsPerPage());
    const double first = signal.empty() ? 0 : std::trunc(signal.oldestX());
    for (int i = 0; i < RangeSeriesCount; ++i) {
        const ChartSeries& s = model.series(i);
        if (!s.empty())
            QVERIFY2(s.oldestX() >= first, RangeSeriesLooks[i].title);
        for (int k = 1; k < s.count(); ++k)
            QVERIFY2(s.at(k).x > s.at(k - 1).x, RangeSeriesLooks[i].title);
    }
}

} // namespace

class RangeChartModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void firstPointAndHint();
    void timeAxisFollowsNewestPoint();
    void thinningDropsMessagesEntirely();
    void alarmWithoutSignalDuringAlarm();
    void alarmWithSignalDuringAlarm();
    void malfunctionBarIsYellowInAlarmSeries();
    void yLimitsGrowWithSignal();
    void returnToNormalRescalesBeforeGrowth();
    void trimmingKeepsInvariants();
    void pauseChangesNothing();
    void showBeforeAlarmFreezesAtAlarm();
    void missingAverageSkipsTheMessage();
    void logLine_data();
    void logLine();
};

void RangeChartModelTest::firstPointAndHint() {
    ModelRig rig;
    telemetry::section(rig.t(), 5, 2); // automatic regulation
    QCOMPARE(rig.plot(400), Update::Plotted);
    QCOMPARE(rig.model.series(RangeSeries::Signal).newest().x, 0.0);
    QCOMPARE(rig.model.series(RangeSeries::Signal).newest().y, 0.0);
    QCOMPARE(rig.model.series(RangeSeries::Signal).newest().colour, rgb::Black);
    QCOMPARE(rig.model.iX(), 1);
    QCOMPARE(rig.host.notes, QList<int>{12});
    QCOMPARE(rig.host.wrongMarkerUpdates, 1);
    // One threshold point per row family at the same X, on the threshold lines.
    QCOMPARE(rig.model.series(RangeSeries::PP).newest().y, 25.0);
    QCOMPARE(rig.model.series(RangeSeries::MP).newest().y, -25.0);
    QCOMPARE(rig.model.series(RangeSeries::BP).newest().y, -50.0);
    QCOMPARE(rig.model.series(RangeSeries::BP).newest().x, 0.0);
}

void RangeChartModelTest::timeAxisFollowsNewestPoint() {
    ModelRig rig;
    QCOMPARE(rig.model.scale().MaxPointsPerPage(), 304);
    QCOMPARE(rig.model.scale().bottomAxis().min, 0.0);
    QCOMPARE(rig.model.scale().bottomAxis().max, 307.04);
    for (int x = 0; x <= 304; ++x)
        rig.plot(400);
    // X = 304 meets the test with equality: the start range stays.
    QCOMPARE(rig.model.scale().bottomAxis().min, 0.0);
    QCOMPARE(rig.model.scale().bottomAxis().max, 307.04);
    QCOMPARE(rig.count(RangeSeries::Signal), 304);
    rig.plot(400); // X = 305
    QCOMPARE(rig.model.scale().bottomAxis().min, 1.0);
    QCOMPARE(rig.model.scale().bottomAxis().max, 308.04);
    QCOMPARE(rig.model.series(RangeSeries::Signal).oldestX(), 2.0);
    checkInvariants(rig.model);
}

void RangeChartModelTest::thinningDropsMessagesEntirely() {
    SwitchedOnLog log;
    ModelRig rig(643, &log.log);
    QCOMPARE(rig.model.scale().SamplesPerSec(), 19);
    rig.host.settings.recording = true;
    QCOMPARE(rig.plot(500, true), Update::Plotted); // ПП exceeded
    const QByteArray logged = log.text();

    // 10 ms later the excess ends: too soon, so nothing at all happens.
    rig.clock.advance(10);
    telemetry::signal(rig.t(), 400);
    QCOMPARE(rig.model.UpdateRangeChart(rig.host), Update::Thinned);
    QCOMPARE(rig.count(RangeSeries::Signal), 1);
    QCOMPARE(rig.count(RangeSeries::PP), 0);
    QCOMPARE(rig.model.iX(), 1);
    QVERIFY(rig.host.events.isEmpty());
    QVERIFY(rig.model.analysis().state().PpExcessLatch);
    QCOMPARE(log.text(), logged);

    // Exactly 1/19 s after the accepted one would be 52.63 ms: 52 is refused, 53 accepted.
    rig.clock.advance(42);
    QCOMPARE(rig.model.UpdateRangeChart(rig.host), Update::Thinned);
    rig.clock.advance(1);
    QCOMPARE(rig.model.UpdateRangeChart(rig.host), Update::Plotted);
    QCOMPARE(rig.host.events, QStringList{QStringLiteral("Превышение ПП 1")});

    // Equality accepts: at 20 points per second, 50 ms.
    rig.model.scale().setSamplesPerSec(20);
    rig.clock.advance(50);
    QCOMPARE(rig.model.UpdateRangeChart(rig.host), Update::Plotted);
}

void RangeChartModelTest::alarmWithoutSignalDuringAlarm() {
    ModelRig rig;
    for (int i = 0; i < 5; ++i)
        rig.plot(400);
    const int n = rig.model.iX();
    rig.mode(ModeAlarm);
    QCOMPARE(rig.plot(500, true), Update::Plotted);
    QCOMPARE(rig.count(RangeSeries::Alarm), 1);
    const ChartPoint bar = rig.model.series(RangeSeries::Alarm).newest();
    QCOMPARE(bar.x, double(n));
    QCOMPARE(bar.y, RangeChartModel::AlarmBarHeight);
    QCOMPARE(bar.colour, rgb::Maroon);
    QCOMPARE(rig.newestX(RangeSeries::Signal), double(n + 1));
    QCOMPARE(rig.newestX(RangeSeries::PPMax), double(n + 1));
    QCOMPARE(rig.newestX(RangeSeries::BP), double(n + 1));
    QCOMPARE(rig.model.iX(), n + 2);

    // The rest of the alarm is not drawn.
    QCOMPARE(rig.plot(500, true), Update::Suppressed);
    QCOMPARE(rig.plot(300), Update::Suppressed);
    QCOMPARE(rig.count(RangeSeries::Alarm), 1);
    QCOMPARE(rig.model.iX(), n + 2);

    rig.mode(ModeNormal);
    QCOMPARE(rig.plot(400), Update::Plotted);
    QCOMPARE(rig.newestX(RangeSeries::Signal), double(n + 2));
    QCOMPARE(rig.count(RangeSeries::Alarm), 1);
    checkInvariants(rig.model);
}

void RangeChartModelTest::alarmWithSignalDuringAlarm() {
    ModelRig rig;
    rig.host.settings.signalDuringAlarm = true;
    rig.plot(400);
    rig.mode(ModeAlarm);
    for (int i = 0; i < 3; ++i) {
        const int x = rig.model.iX();
        QCOMPARE(rig.plot(450), Update::Plotted);
        QCOMPARE(rig.newestX(RangeSeries::Alarm), double(x));
        QCOMPARE(rig.newestX(RangeSeries::Signal), double(x));
        QCOMPARE(rig.model.iX(), x + 1);
    }
    QCOMPARE(rig.count(RangeSeries::Alarm), 3);
    QCOMPARE(rig.model.analysis().state().AlarmCount, 1);
}

void RangeChartModelTest::malfunctionBarIsYellowInAlarmSeries() {
    ModelRig rig;
    rig.plot(400);
    rig.mode(ModeFault);
    QCOMPARE(rig.plot(400), Update::Plotted);
    QCOMPARE(rig.count(RangeSeries::Malfunction), 0);
    QCOMPARE(rig.count(RangeSeries::Alarm), 1);
    QCOMPARE(rig.model.series(RangeSeries::Alarm).newest().colour, rgb::Yellow);
    QCOMPARE(rig.plot(400), Update::Suppressed);
}

void RangeChartModelTest::yLimitsGrowWithSignal() {
    ModelRig rig;
    // A ПП threshold of 17.5 % makes the automatic scale's maximum trunc(20.25) = 20.
    rig.tables.setThresholdCell(ThresholdKind::PP, PP25, QStringLiteral("17,5"));
    rig.model.AutoYScale(0);
    QCOMPARE(rig.model.scale().OscYMax(), 20);
    QCOMPARE(rig.model.scale().OscYMin(), -56);

    rig.plot(512); // 28 %
    QCOMPARE(rig.model.SignalPercent(), 28.0);
    QCOMPARE(rig.model.scale().OscYMax(), 30);
    QCOMPARE(rig.model.scale().leftAxis().max, 30.0);
    rig.plot(0); // -100 %
    QCOMPARE(rig.model.scale().OscYMin(), -106);
    QCOMPARE(rig.model.scale().leftAxis().min, -106.0);
    // Never narrowed by the signal.
    rig.plot(400);
    QCOMPARE(rig.model.scale().leftAxis().max, 30.0);
    QCOMPARE(rig.model.scale().leftAxis().min, -106.0);
}

void RangeChartModelTest::returnToNormalRescalesBeforeGrowth() {
    ModelRig rig;
    rig.host.settings.signalDuringAlarm = true;
    rig.mode(ModeAlarm);
    rig.plot(400);
    QCOMPARE(rig.model.scale().leftAxis().max, 96.0);
    rig.mode(ModeNormal); // previous state alarm
    rig.plot(560);        // 40 %
    // Fitted to the thresholds (28, -56) first, then widened by the signal: 1.05 * 40 + 1.
    QCOMPARE(rig.model.scale().leftAxis().min, -56.0);
    QCOMPARE(rig.model.scale().leftAxis().max, 43.0);

    // With the automatic scale off the return changes nothing.
    ModelRig off;
    off.model.SetAutoYScale(false);
    off.mode(ModeAlarm);
    off.mode(ModeNormal);
    off.plot(400);
    QCOMPARE(off.model.scale().leftAxis().min, -96.0);
}

void RangeChartModelTest::trimmingKeepsInvariants() {
    ModelRig rig(0); // no width yet: a page of 16 s at 1 point per second
    QCOMPARE(rig.model.scale().MaxPointsPerPage(), 16);
    const unsigned pattern[] = {ModeNormal, ModeAlarm, ModeNormal, ModeFault, ModeNormal};
    for (int i = 0; i < 80; ++i) {
        rig.host.settings.signalDuringAlarm = (i / 20) % 2 == 1;
        rig.mode(pattern[(i / 3) % 5]);
        const unsigned sig = i % 2 ? 520 : 180;
        const int x = rig.model.iX();
        if (rig.plot(sig, sig > 500, false, sig < 200) != Update::Plotted)
            continue;
        checkInvariants(rig.model);
        if (QTest::currentTestFailed())
            return;
        // The three markers of this message survive its own trimming, at the signal's X.
        const double sx = rig.newestX(RangeSeries::Signal);
        QVERIFY(sx >= x);
        int markersAtX = 0;
        for (int m = FirstMarkerSeries; m <= LastMarkerSeries; ++m)
            markersAtX += !rig.model.series(m).empty() && rig.model.series(m).newest().x == sx;
        QCOMPARE(markersAtX, 3);
    }
    QCOMPARE(rig.count(RangeSeries::Signal), 16);
    QCOMPARE(rig.count(RangeSeries::Malfunction), 0);

    // A shorter page cuts everything to it at the next update.
    rig.model.scale().sbBottomAxisFastClick(1, 0, rig.model.iX());
    QCOMPARE(rig.model.scale().MaxPointsPerPage(), 8);
    rig.mode(ModeNormal);
    rig.plot(400);
    QCOMPARE(rig.count(RangeSeries::Signal), 8);
    checkInvariants(rig.model);
}

void RangeChartModelTest::pauseChangesNothing() {
    ModelRig rig;
    rig.host.settings.recording = true;
    rig.plot(400);
    rig.model.SetPlayback(PlaybackMode::Pause);
    rig.mode(ModeAlarm);
    QCOMPARE(rig.plot(0, false, true, true), Update::Paused);
    QCOMPARE(rig.count(RangeSeries::Signal), 1);
    QCOMPARE(rig.count(RangeSeries::Alarm), 0);
    QCOMPARE(rig.model.scale().leftAxis().min, -96.0);
    QCOMPARE(rig.model.analysis().state().AlarmCount, 0);
    QVERIFY(rig.host.events.isEmpty());
    QCOMPARE(rig.model.iX(), 1);
}

void RangeChartModelTest::showBeforeAlarmFreezesAtAlarm() {
    ModelRig rig;
    rig.model.SetPlayback(PlaybackMode::BeforeAlarm);
    QCOMPARE(rig.plot(400), Update::Plotted);
    // The Average handler sees the alarm begin on the Range page and pauses before drawing.
    rig.mode(ModeAlarm);
    rig.model.PauseIfShowingBeforeAlarm();
    QCOMPARE(rig.plot(400), Update::Paused);
    QCOMPARE(rig.count(RangeSeries::Alarm), 0);
    // In play the same call leaves the chart running.
    rig.model.SetPlayback(PlaybackMode::Play);
    rig.model.PauseIfShowingBeforeAlarm();
    QCOMPARE(rig.model.playback(), PlaybackMode::Play);
}

void RangeChartModelTest::missingAverageSkipsTheMessage() {
    ModelRig rig;
    rig.host.settings.recording = true;
    QCOMPARE(rig.plot(400), Update::Plotted);
    const auto allPoints = [&rig] {
        int n = 0;
        for (int i = 0; i < RangeSeriesCount; ++i)
            n += rig.model.series(i).count();
        return n;
    };
    QCOMPARE(allPoints(), 4);
    // A detector reporting an average of 0: no point, no marker, no analysis, no error.
    telemetry::average(rig.t(), 0, ModeNormal);
    QCOMPARE(rig.plot(500, true), Update::NoAverage);
    QCOMPARE(rig.plot(0), Update::NoAverage);
    QCOMPARE(allPoints(), 4);
    QCOMPARE(rig.model.iX(), 1);
    QVERIFY(!rig.model.analysis().state().PpExcessLatch);
    QCOMPARE(rig.model.scale().leftAxis().min, -96.0);

    // The next message with an average goes on at once: the skipped ones did not restart the
    // thinning.
    telemetry::average(rig.t(), 400, ModeNormal);
    rig.clock.advance(7);
    telemetry::signal(rig.t(), 400);
    QCOMPARE(rig.model.UpdateRangeChart(rig.host), Update::Plotted);
    QCOMPARE(rig.newestX(RangeSeries::Signal), 1.0);
}

void RangeChartModelTest::logLine_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<unsigned>("senspp");
    QTest::addColumn<QString>("expected");
    QTest::newRow("C") << QLocale::c() << 0u
                       << "In % : Signal=28.0000 PL=10.9375 pp=1 LL=-25 mp=0 HL=-50 bp=0 iX=0";
    QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << 0u
                             << "In % : Signal=28,0000 PL=10,9375 pp=1 LL=-25 mp=0 HL=-50 bp=0 "
                                "iX=0";
}

void RangeChartModelTest::logLine() {
    QFETCH(QLocale, locale);
    QFETCH(unsigned, senspp);
    QFETCH(QString, expected);
    QLocale::setDefault(locale);
    SwitchedOnLog log;
    ModelRig rig(643, &log.log);
    telemetry::thresholds(rig.t(), senspp, MP25, BP50, true); // written even with control off
    rig.plot(512, true);
    const QList<QByteArray> lines = log.text().split('\n');
    QCOMPARE(lines.size(), 3); // header, the line, the end
    QCOMPARE(QString::fromLatin1(lines[1].mid(14)), expected);
}

QTEST_GUILESS_MAIN(RangeChartModelTest)
#include "tst_rangechartmodel.moc"
