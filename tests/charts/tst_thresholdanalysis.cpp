#include "charts/ThresholdAnalysis.h"
#include "protocol/Telemetry.h"

#include <QtTest>

namespace {

// Writes down marker points and events in the order they happen.
struct Journal : ConditionEvents {
    QStringList entries;
    QString caption = QStringLiteral("0");

    void RecordEvent(const QString& label) override { entries << QStringLiteral("event ") + label; }
    QString AlarmNumberCaption() const override { return caption; }
    void SetAlarmNumberCaption(const QString& text) override { caption = text; }

    ThresholdAnalysis::AddMarker marker() {
        return [this](RangeSeries row, double y) {
            entries << QStringLiteral("%1 %2").arg(RangeSeriesLooks[int(row)].title).arg(y);
        };
    }
    QStringList events() const { return entries.filter(QStringLiteral("event ")); }
};

// ПП 25 %, МП 20 %, БП 50 %, recording on, state normal.
ThresholdReading reading(double signal, bool pp = false, bool mp = false, bool bp = false) {
    ThresholdReading r;
    r.signalPercent = signal;
    r.pp = pp;
    r.mp = mp;
    r.bp = bp;
    r.ppPercent = 25;
    r.mpPercent = 20;
    r.bpPercent = 50;
    r.recording = true;
    return r;
}

struct Analysis {
    ThresholdAnalysis analysis;
    Journal journal;
    bool reannounce = false;

    void classify(const ThresholdReading& r) {
        analysis.ClassifyThresholds(r, journal.marker(), journal);
    }
    void latches(unsigned state, bool recording = true) {
        analysis.UpdateConditionLatches(state, recording, reannounce, journal);
    }
    const ConditionState& s() const { return analysis.state(); }
};

} // namespace

class ThresholdAnalysisTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judgingModes_data();
    void judgingModes();
    void noModeSelected();
    void controlOffWatchesOnlyBp();
    void excessesCountedWhileRecording();
    void excessClosedWithOtherFlagIsNotCounted();
    void excessThroughAlarmIsNotCounted();
    void excessWithoutRecordingWaits();
    void alarmAndFaultLatches();
    void alarmNumberCaption_data();
    void alarmNumberCaption();
    void reannouncement_data();
    void reannouncement();
};

void ThresholdAnalysisTest::judgingModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<double>("signal");
    QTest::addColumn<QString>("ppRow");
    QTest::addColumn<bool>("latched");
    const double at = 25, below = 10, above = 60;
    QTest::newRow("0: level exactly at the threshold")
        << 0 << false << at << "serRangePPMax" << true;
    QTest::newRow("0: flag only") << 0 << true << below << "serRangePPMax" << true;
    QTest::newRow("0: neither") << 0 << false << below << "serRangePP" << false;
    QTest::newRow("1: level only") << 1 << false << above << "serRangePPUp" << true;
    QTest::newRow("1: flag") << 1 << true << above << "serRangePPMax" << true;
    QTest::newRow("1: neither") << 1 << false << below << "serRangePP" << false;
    QTest::newRow("2: level far above, no flag") << 2 << false << above << "serRangePP" << false;
    QTest::newRow("2: flag") << 2 << true << below << "serRangePPMax" << true;
    QTest::newRow("3: flag below the level") << 3 << true << below << "serRangePP" << false;
    QTest::newRow("3: level") << 3 << false << at << "serRangePPMax" << true;
}

void ThresholdAnalysisTest::judgingModes() {
    QFETCH(int, mode);
    QFETCH(bool, flag);
    QFETCH(double, signal);
    QFETCH(QString, ppRow);
    QFETCH(bool, latched);
    Analysis a;
    ThresholdReading r = reading(signal, flag);
    r.mode = thresholdExcessModeOf(mode);
    a.classify(r);
    QCOMPARE(a.journal.entries.size(), 3);
    QCOMPARE(a.journal.entries[0], ppRow + QStringLiteral(" 25"));
    QCOMPARE(a.s().PpExcessLatch, latched);
}

void ThresholdAnalysisTest::noModeSelected() {
    for (int index : {-1, 4}) {
        Analysis a;
        ThresholdReading r = reading(80, true, true, true);
        r.mode = thresholdExcessModeOf(index);
        a.classify(r);
        QVERIFY(a.journal.entries.isEmpty());
        QVERIFY(!a.s().PpExcessLatch && !a.s().MpExcessLatch);
    }
}

void ThresholdAnalysisTest::controlOffWatchesOnlyBp() {
    Analysis a;
    a.classify(reading(60, true));
    QVERIFY(a.s().PpExcessLatch);
    a.journal.entries.clear();
    ThresholdReading r = reading(-60, false, true, false);
    r.thresholdControlOff = true;
    a.classify(r);
    // МП/БП levels: -60 is below both lines; only БП is judged.
    QCOMPARE(a.journal.entries, QStringList{QStringLiteral("serRangeBPMin -50")});
    QVERIFY(a.s().PpExcessLatch);
    QVERIFY(!a.s().MpExcessLatch);
}

void ThresholdAnalysisTest::excessesCountedWhileRecording() {
    Analysis a;
    for (int excess = 1; excess <= 2; ++excess) {
        for (int i = 0; i < 3; ++i)
            a.classify(reading(30, true));
        a.journal.entries.clear();
        a.classify(reading(0));
        // The ПП point comes before the event, the МП and БП points after it.
        QCOMPARE(a.journal.entries,
                 (QStringList{QStringLiteral("serRangePP 25"),
                              QStringLiteral("event Превышение ПП %1").arg(excess),
                              QStringLiteral("serRangeMP -20"), QStringLiteral("serRangeBP -50")}));
        QCOMPARE(a.s().PpExcessCount, excess);
        QVERIFY(!a.s().PpExcessLatch);
    }
    // МП the same way, with its own count.
    a.classify(reading(-20));
    a.journal.entries.clear();
    a.classify(reading(0));
    QCOMPARE(a.journal.events(), QStringList{QStringLiteral("event Превышение МП 1")});
    QCOMPARE(a.s().MpExcessCount, 1);
    QCOMPARE(a.s().PpExcessCount, 2);
}

void ThresholdAnalysisTest::excessClosedWithOtherFlagIsNotCounted() {
    Analysis a;
    a.classify(reading(30, true));
    ThresholdReading closing = reading(0, false, true);
    closing.mode = ThresholdExcessMode::SignalOnly; // the МП flag does not make МП exceeded
    a.classify(closing);
    QVERIFY(!a.s().PpExcessLatch);
    QCOMPARE(a.s().PpExcessCount, 0);
    QVERIFY(a.journal.events().isEmpty());
}

void ThresholdAnalysisTest::excessThroughAlarmIsNotCounted() {
    Analysis a;
    a.classify(reading(30, true));
    ThresholdReading inAlarm = reading(30, true);
    inAlarm.state = ModeAlarm;
    a.classify(inAlarm);
    QVERIFY(a.s().PpExcessInAlarm);
    a.classify(reading(0)); // the alarm is over, so is the excess
    QVERIFY(!a.s().PpExcessLatch);
    QVERIFY(!a.s().PpExcessInAlarm);
    QCOMPARE(a.s().PpExcessCount, 0);

    // Closing during the alarm is not counted either.
    a.classify(reading(30, true));
    ThresholdReading closingInAlarm = reading(0);
    closingInAlarm.state = ModeAlarm;
    a.classify(closingInAlarm);
    QCOMPARE(a.s().PpExcessCount, 0);
    QVERIFY(a.journal.events().isEmpty());
}

void ThresholdAnalysisTest::excessWithoutRecordingWaits() {
    Analysis a;
    ThresholdReading r = reading(30, true);
    r.recording = false;
    a.classify(r);
    r = reading(0);
    r.recording = false;
    a.classify(r);
    QVERIFY(a.s().PpExcessLatch); // held until a recording
    a.analysis.ClearForRecording();
    a.classify(reading(0));
    QCOMPARE(a.s().PpExcessCount, 0);
    QVERIFY(a.journal.events().isEmpty());
}

void ThresholdAnalysisTest::alarmAndFaultLatches() {
    Analysis a;
    a.latches(ModeAlarm);
    QCOMPARE(a.journal.events(), QStringList{QStringLiteral("event Тревога 1")});
    QCOMPARE(a.journal.caption, QStringLiteral("1"));
    a.latches(ModeAlarm);
    QCOMPARE(a.s().AlarmCount, 1);
    a.latches(ModeNormal);
    QCOMPARE(a.journal.events().last(), QStringLiteral("event Норма"));
    QVERIFY(!a.s().AlarmLatch);

    // Alarm straight into a fault: no "Норма", the fault is recorded in the same message.
    a.latches(ModeAlarm);
    a.journal.entries.clear();
    a.latches(ModeFault);
    QCOMPARE(a.journal.events(), QStringList{QStringLiteral("event Неисправность")});
    QVERIFY(!a.s().AlarmLatch);
    QVERIFY(a.s().FaultLatch);
    a.latches(ModeFault);
    QCOMPARE(a.s().FaultCount, 1);
    // A fault that ends is not an event (the mode is the pause's 7 here).
    a.journal.entries.clear();
    a.latches(ModePause);
    QVERIFY(!a.s().FaultLatch);
    QVERIFY(a.journal.events().isEmpty());
    QCOMPARE(a.s().AlarmCount, 2);

    // Without a recording the counts rise but nothing is recorded or numbered.
    Analysis quiet;
    quiet.latches(ModeAlarm, false);
    quiet.latches(ModeNormal, false);
    quiet.latches(ModeFault, false);
    QCOMPARE(quiet.s().AlarmCount, 1);
    QCOMPARE(quiet.s().FaultCount, 1);
    QCOMPARE(quiet.journal.caption, QStringLiteral("0"));
    QVERIFY(quiet.journal.entries.isEmpty());

    // A new recording starts from nothing latched: an alarm in progress is alarm 1 again.
    a.analysis.ClearForRecording();
    a.journal.caption = QStringLiteral("0");
    a.journal.entries.clear();
    a.latches(ModeAlarm);
    QCOMPARE(a.journal.events(), QStringList{QStringLiteral("event Тревога 1")});
    QCOMPARE(a.s().AlarmCount, 1);
}

void ThresholdAnalysisTest::alarmNumberCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::newRow("number") << "4"
                            << "Тревога 5";
    QTest::newRow("not a number") << "---"
                                  << "Тревога 1";
    QTest::newRow("empty") << ""
                           << "Тревога 1";
}

void ThresholdAnalysisTest::alarmNumberCaption() {
    QFETCH(QString, caption);
    Analysis a;
    a.journal.caption = caption;
    a.latches(ModeAlarm);
    QTEST(a.journal.events().value(0).mid(6), "label");
}

void ThresholdAnalysisTest::reannouncement_data() {
    QTest::addColumn<unsigned>("state");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QStringList>("events");
    // After an identification in normal mode: "Норма" though no alarm was latched.
    QTest::newRow("normal") << unsigned(ModeNormal) << true << QStringList{"event Норма"};
    // The first point after a pause still reads mode 7: consumed silently.
    QTest::newRow("after pause") << unsigned(ModePause) << true << QStringList{};
    QTest::newRow("not recording") << unsigned(ModeNormal) << false << QStringList{};
}

void ThresholdAnalysisTest::reannouncement() {
    QFETCH(unsigned, state);
    QFETCH(bool, recording);
    QFETCH(QStringList, events);
    Analysis a;
    a.reannounce = true;
    a.latches(state, recording);
    QVERIFY(!a.reannounce);
    QCOMPARE(a.journal.events(), events);
}

QTEST_GUILESS_MAIN(ThresholdAnalysisTest)
#include "tst_thresholdanalysis.moc"
