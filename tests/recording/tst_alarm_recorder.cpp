// The alarm recording without a window: names, the summary file, counters and latches together
// with the threshold analysis and the poll cycle, failures, and the ordered background writer.

#include "RecordingRig.h"

#include "charts/ThresholdAnalysis.h"
#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "log/EventLog.h"
#include "protocol/Telemetry.h"
#include "recording/AlarmRecorder.h"
#include "recording/RecordingNames.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The analysis reports to the recorder as the window's recording box does, with the alarm
// number caption kept here.
struct CaptionEvents : ConditionEvents {
    explicit CaptionEvents(AlarmRecorder& recorder) : recorder(recorder) {}
    void RecordEvent(const QString& label) override { recorder.RecordEvent(label); }
    QString AlarmNumberCaption() const override { return caption; }
    void SetAlarmNumberCaption(const QString& text) override { caption = text; }

    AlarmRecorder& recorder;
    QString caption = QStringLiteral("0");
};

// A LinkView that forwards the link's conditions to the recorder, as the window does.
struct RecorderLinkView : LinkView {
    explicit RecorderLinkView(AlarmRecorder& recorder) : recorder(recorder) {}
    bool IsRecording() const override { return recorder.isRecording(); }
    void RecordLinkEvent(LinkEvent event) override { recorder.RecordLinkEvent(event); }
    AlarmRecorder& recorder;
};

QByteArray frame(unsigned code, std::uint8_t A, std::uint8_t lowBitsOfB = 0) {
    const std::uint8_t B = std::uint8_t((code << 5) | (lowBitsOfB & 0x1F));
    const char bytes[4] = {0, char(B), char(A), char(std::uint8_t(A + B))};
    return QByteArray(bytes, 4);
}

// An Average message reporting the mode (aver 0x155).
QByteArray averageFrame(unsigned mode) {
    return frame(2, 0x55, std::uint8_t((mode << 2) | 0x01));
}

QByteArray fullCycle() {
    return averageFrame(ModeNormal) + frame(3, 10, 10) + frame(4, 10, 9) + frame(5, 0x05, 0x01) +
           frame(6, 0x00, 0x11) + frame(7, 0x90, 0x11);
}

QStringList labelsOf(const QStringList& names) {
    QStringList labels;
    for (const QString& name : names) // "yyyy-mm-dd hh'nn'ss.zzz " is 24 characters
        labels << name.mid(24).chopped(4);
    return labels;
}

} // namespace

class AlarmRecorderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void names_data();
    void names();
    void summaryOfTheExample();
    void tickAndClearGiveTwoSnapshotsAndZeroCounters();
    void resetWithinTheSameSecondSharesTheFolder();
    void alarmEndingInAFault();
    void alarmInProgressAtStartIsNumberOne();
    void linkConditionsCountOnlyWhileRecording();
    void pauseThenReturnThroughThePollCycle();
    void settingsAppliedCountsAsSettingsChange();
    void folderThatCannotBeMadeIsReportedAndRecordingGoesOn();
    void snapshotThatCannotBeEncodedIsReportedAndListed();
    void backgroundWriterKeepsOrderAndStopWaitsForIt();
    void logHasEverySnapshotAndTheSummary();

private:
    AlarmRecorder& makeRecorder(bool background = false);

    QTemporaryDir m_dir;
    ManualClock m_clock;
    std::unique_ptr<FakeSnapshotSource> m_sourceOwner;
    FakeSnapshotSource* m_source = nullptr;
    std::unique_ptr<AlarmRecorder> m_recorder;
    QStringList m_reported;
};

void AlarmRecorderTest::init() {
    QVERIFY(m_dir.isValid());
    for (const QString& entry :
         QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QVERIFY(QFileInfo(m_dir.filePath(entry)).isDir()
                    ? QDir(m_dir.filePath(entry)).removeRecursively()
                    : QFile::remove(m_dir.filePath(entry)));
    m_recorder.reset();
    m_reported.clear();
    m_sourceOwner = std::make_unique<FakeSnapshotSource>();
    m_source = m_sourceOwner.get();
    m_clock.setMs(localMs(2024, 5, 1, 12, 34, 56, 789));
}

AlarmRecorder& AlarmRecorderTest::makeRecorder(bool background) {
    m_recorder = std::make_unique<AlarmRecorder>(m_clock, *m_source, nullptr, background);
    m_recorder->setBaseDirectory(m_dir.path());
    m_recorder->setProblemHandler([this](const QString& message) { m_reported << message; });
    return *m_recorder;
}

void AlarmRecorderTest::names_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("snapshot");
    QTest::addColumn<QString>("summary");
    QTest::newRow("example") << QDateTime(QDate(2024, 5, 1), QTime(12, 34, 56, 789))
                             << "2024-05-01 12'34'56"
                             << "2024-05-01 12'34'56.789 Тревога 1.png"
                             << "2024-05-01 12'34'56.789 Содержание.txt";
    QTest::newRow("padding") << QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5, 7))
                             << "2025-01-02 03'04'05"
                             << "2025-01-02 03'04'05.007 Тревога 1.png"
                             << "2025-01-02 03'04'05.007 Содержание.txt";
    QTest::newRow("midnight") << QDateTime(QDate(2023, 12, 31), QTime(0, 0, 0, 0))
                              << "2023-12-31 00'00'00"
                              << "2023-12-31 00'00'00.000 Тревога 1.png"
                              << "2023-12-31 00'00'00.000 Содержание.txt";
    QTest::newRow("evening") << QDateTime(QDate(2024, 10, 20), QTime(23, 59, 59, 999))
                             << "2024-10-20 23'59'59"
                             << "2024-10-20 23'59'59.999 Тревога 1.png"
                             << "2024-10-20 23'59'59.999 Содержание.txt";
}

void AlarmRecorderTest::names() {
    QFETCH(QDateTime, time);
    QFETCH(QString, folder);
    QFETCH(QString, snapshot);
    QFETCH(QString, summary);
    QCOMPARE(recording::FolderName(time), folder);
    QCOMPARE(recording::SnapshotName(time, QStringLiteral("Тревога 1")), snapshot);
    QCOMPARE(recording::SummaryName(time), summary);
    QCOMPARE(recording::JoinPath(folder, snapshot), folder + QDir::separator() + snapshot);

    // The recorder takes its names from the clock, in local time.
    m_clock.setMs(time.toMSecsSinceEpoch());
    AlarmRecorder& recorder = makeRecorder();
    recorder.StartRecording();
    QCOMPARE(recorder.RecordingFolder(), folder);
    const QString start = QString(snapshot).replace("Тревога 1", "Начало записи");
    QCOMPARE(recorder.RecordingIndex(), QStringList{start});
    QVERIFY(QFileInfo(m_dir.filePath(folder)).isDir());
    QVERIFY(QFile::exists(m_dir.filePath(folder + "/" + start)));
}

// A short recording with one alarm, driven through the analysis as the Range page does.
void AlarmRecorderTest::summaryOfTheExample() {
    AlarmRecorder& recorder = makeRecorder();
    ThresholdAnalysis analysis;
    recorder.setConditionAnalysis(&analysis);
    CaptionEvents events(recorder);
    bool reannounce = false;

    recorder.StartRecording(); // 12:34:56.789
    m_clock.setMs(localMs(2024, 5, 1, 12, 35, 10, 2));
    analysis.UpdateConditionLatches(ModeAlarm, true, reannounce, events);
    m_clock.setMs(localMs(2024, 5, 1, 12, 35, 12, 0));
    analysis.UpdateConditionLatches(ModeAlarm, true, reannounce, events); // still the same alarm
    m_clock.setMs(localMs(2024, 5, 1, 12, 35, 14, 517));
    analysis.UpdateConditionLatches(ModeNormal, true, reannounce, events);
    m_clock.setMs(localMs(2024, 5, 1, 12, 40, 0, 120));
    recorder.StopRecording();

    const QString summaryPath = "2024-05-01 12'34'56/2024-05-01 12'40'00.120 Содержание.txt";
    QCOMPARE(QDir::fromNativeSeparators(recorder.summaryPath()), summaryPath);
    const QByteArray bytes = readBytes(m_dir.filePath(summaryPath));
    const QString expected = QStringLiteral("2024-05-01 12'34'56.789 Начало записи.png\r\n"
                                            "2024-05-01 12'35'10.002 Тревога 1.png\r\n"
                                            "2024-05-01 12'35'14.517 Норма.png\r\n"
                                            "2024-05-01 12'40'00.120 Остановка записи.png\r\n"
                                            "Тревог: 1\r\n"
                                            "Превышений ПП: 0\r\n"
                                            "Превышений МП: 0\r\n"
                                            "Смен настроек с датчика: 0\r\n"
                                            "Юстировок: 0\r\n"
                                            "Пауз: 0\r\n"
                                            "Разрывов связи: 0\r\n"
                                            "Неисправностей: 0\r\n");
    QCOMPARE(decode1251(bytes), expected);
    // One byte per letter in Windows-1251: "Тревог: 1" CR LF.
    QVERIFY(bytes.contains(QByteArray::fromHex("0d0ad2f0e5e2eee33a20310d0a")));
    QCOMPARE(bytes.size(), expected.size());
    // Every snapshot named in it is in the folder.
    for (const QString& line : expected.split("\r\n").mid(0, 4))
        QVERIFY2(QFile::exists(m_dir.filePath("2024-05-01 12'34'56/" + line)), qPrintable(line));
    QCOMPARE(recorder.counters().AlarmCount, 1);
    QVERIFY(m_reported.isEmpty());
}

void AlarmRecorderTest::tickAndClearGiveTwoSnapshotsAndZeroCounters() {
    AlarmRecorder& recorder = makeRecorder();
    recorder.StartRecording();
    const QString folder = m_dir.filePath(recorder.RecordingFolder());
    QCOMPARE(filesIn(folder), QStringList{"2024-05-01 12'34'56.789 Начало записи.png"});
    QCOMPARE(readBytes(folder + "/" + filesIn(folder).first()), QByteArray("snapshot 1"));
    m_clock.advance(1500);
    recorder.StopRecording();
    QVERIFY(!recorder.isRecording());
    QCOMPARE(filesIn(folder, "*.png").size(), 2);
    QCOMPARE(filesIn(folder, "*.txt"), QStringList{"2024-05-01 12'34'58.289 Содержание.txt"});
    const QStringList lines = decode1251(readBytes(m_dir.filePath(recorder.summaryPath())))
                                  .split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 10);
    QCOMPARE(labelsOf(lines.mid(0, 2)), (QStringList{"Начало записи", "Остановка записи"}));
    for (const QString& counter : lines.mid(2))
        QVERIFY2(counter.endsWith(": 0"), qPrintable(counter));
    QCOMPARE(recorder.RecordingIndex(), lines); // kept until the next start
    // A second stop changes nothing.
    recorder.StopRecording();
    QCOMPARE(filesIn(folder).size(), 3);
}

void AlarmRecorderTest::resetWithinTheSameSecondSharesTheFolder() {
    AlarmRecorder& recorder = makeRecorder();
    m_clock.setMs(localMs(2024, 5, 1, 12, 34, 56, 100));
    recorder.StartRecording();
    m_clock.advance(200);
    recorder.RecordLinkEvent(LinkEvent::Pause);
    m_clock.advance(200);
    recorder.StopRecording();
    m_clock.advance(1);
    recorder.StartRecording(); // still 12:34:56
    m_clock.advance(100);
    recorder.StopRecording();

    const QString folder = m_dir.filePath("2024-05-01 12'34'56");
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    QCOMPARE(filesIn(folder, "*.png").size(), 5);
    QCOMPARE(filesIn(folder, "*.txt").size(), 2);
    const QStringList second = decode1251(readBytes(m_dir.filePath(recorder.summaryPath())))
                                   .split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(second.first(), "2024-05-01 12'34'56.501 Начало записи.png");
    QCOMPARE(labelsOf(second.mid(0, 2)), (QStringList{"Начало записи", "Остановка записи"}));
    QVERIFY(second.contains("Пауз: 0")); // the first recording's pause is not the second's
    QVERIFY(m_reported.isEmpty());       // the existing folder is no problem
}

void AlarmRecorderTest::alarmEndingInAFault() {
    AlarmRecorder& recorder = makeRecorder();
    ThresholdAnalysis analysis;
    recorder.setConditionAnalysis(&analysis);
    CaptionEvents events(recorder);
    bool reannounce = false;
    recorder.StartRecording();
    for (unsigned state : {ModeNormal, ModeAlarm, ModeAlarm, ModeFault, ModeFault, ModeNormal}) {
        m_clock.advance(100);
        analysis.UpdateConditionLatches(state, true, reannounce, events);
    }
    QCOMPARE(labelsOf(recorder.RecordingIndex()),
             (QStringList{"Начало записи", "Тревога 1", "Неисправность"}));
    QVERIFY(!analysis.state().AlarmLatch);
    QVERIFY(!analysis.state().FaultLatch);
    recorder.StopRecording();
    const QStringList lines = recorder.RecordingIndex();
    QVERIFY(lines.contains("Тревог: 1"));
    QVERIFY(lines.contains("Неисправностей: 1"));
}

// The latch cleared by the start lets an alarm already in progress be recorded as number 1;
// alarms before the start are not in the recording's count.
void AlarmRecorderTest::alarmInProgressAtStartIsNumberOne() {
    AlarmRecorder& recorder = makeRecorder();
    ThresholdAnalysis analysis;
    recorder.setConditionAnalysis(&analysis);
    CaptionEvents events(recorder);
    bool reannounce = false;
    analysis.UpdateConditionLatches(ModeAlarm, false, reannounce, events); // counted, not recorded
    QCOMPARE(analysis.state().AlarmCount, 1);
    analysis.state().PpExcessLatch = true; // an excess in progress is forgotten as well
    recorder.StartRecording();
    QCOMPARE(analysis.state().AlarmCount, 0);
    QVERIFY(!analysis.state().PpExcessLatch);
    m_clock.advance(40);
    analysis.UpdateConditionLatches(ModeAlarm, true, reannounce, events);
    QCOMPARE(labelsOf(recorder.RecordingIndex()), (QStringList{"Начало записи", "Тревога 1"}));
    QCOMPARE(recorder.counters().AlarmCount, 1);
}

void AlarmRecorderTest::linkConditionsCountOnlyWhileRecording() {
    AlarmRecorder& recorder = makeRecorder();
    const LinkEvent all[] = {LinkEvent::Pause, LinkEvent::LinkLoss, LinkEvent::Alignment,
                             LinkEvent::SettingsChanged};
    for (LinkEvent event : all)
        recorder.RecordLinkEvent(event);
    QVERIFY(!recorder.RecordEvent("Норма"));
    QCOMPARE(m_source->captures(), 0);

    recorder.StartRecording();
    for (LinkEvent event : all) {
        m_clock.advance(10);
        recorder.RecordLinkEvent(event);
    }
    m_clock.advance(10);
    recorder.RecordLinkEvent(LinkEvent::Pause);
    RecordingCounters expected;
    expected.PauseCount = 2;
    expected.LinkLossCount = 1;
    expected.AlignmentCount = 1;
    expected.SettingsChangeCount = 1;
    QCOMPARE(recorder.counters(), expected);
    QCOMPARE(labelsOf(recorder.RecordingIndex()),
             (QStringList{"Начало записи", "Pause", "Потеря связи", "Юстировка",
                          "Изменились настройки", "Pause"}));
    recorder.StopRecording();
    QCOMPARE(recorder.RecordingIndex().mid(7),
             (QStringList{"Тревог: 0", "Превышений ПП: 0", "Превышений МП: 0",
                          "Смен настроек с датчика: 1", "Юстировок: 1", "Пауз: 2",
                          "Разрывов связи: 1", "Неисправностей: 0"}));
    recorder.StartRecording();
    QCOMPARE(recorder.counters(), RecordingCounters{});
}

// Silence, then the detector answers again: "Pause", then "Юстировка" at the next Average
// message, which consumes the link's request to announce the condition again.
void AlarmRecorderTest::pauseThenReturnThroughThePollCycle() {
    AlarmRecorder& recorder = makeRecorder();
    MemoryChannel channel;
    RecorderLinkView view(recorder);
    PollCycle cycle(channel, m_clock, view);
    recorder.setPollCycle(&cycle);
    channel.push(fullCycle() + frame(1, 0x58, 0x02));
    while (channel.bytesAvailable() > 0)
        cycle.Tick();
    QVERIFY(cycle.reannounceRequest()); // identification asks for an announcement
    recorder.StartRecording();
    QVERIFY(!cycle.reannounceRequest()); // the start's snapshot answers it

    m_clock.advance(2600);
    cycle.Tick();
    QCOMPARE(cycle.state(), EDevPause);
    channel.push(frame(1, 0x58, 0x02));
    cycle.Tick();
    QVERIFY(cycle.reannounceRequest());
    channel.push(averageFrame(ModeNormal));
    cycle.Tick();
    QVERIFY(!cycle.reannounceRequest());
    QCOMPARE(labelsOf(recorder.RecordingIndex()),
             (QStringList{"Начало записи", "Pause", "Юстировка"}));
    QCOMPARE(recorder.counters().PauseCount, 1);
    QCOMPARE(recorder.counters().AlignmentCount, 1);

    // Silence long enough for a loss after the pause.
    m_clock.advance(2600);
    cycle.Tick();
    m_clock.advance(3600);
    cycle.Tick();
    QCOMPARE(cycle.state(), EDevNone);
    QCOMPARE(labelsOf(recorder.RecordingIndex()).mid(3), (QStringList{"Pause", "Потеря связи"}));
    QCOMPARE(recorder.counters().LinkLossCount, 1);
}

void AlarmRecorderTest::settingsAppliedCountsAsSettingsChange() {
    AlarmRecorder& recorder = makeRecorder();
    recorder.RecordSettingsApplied();
    recorder.StartRecording();
    m_clock.advance(5);
    recorder.RecordSettingsApplied();
    QCOMPARE(recorder.counters().SettingsChangeCount, 1);
    QCOMPARE(labelsOf(recorder.RecordingIndex()).last(), "Настройки изменены");
}

// A file in the way of the folder: the folder, every snapshot and the summary fail; each is
// reported with its path and the system's reason, and the recording goes on.
void AlarmRecorderTest::folderThatCannotBeMadeIsReportedAndRecordingGoesOn() {
    const QString blocker = m_dir.filePath("2024-05-01 12'34'56");
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    AlarmRecorder& recorder = makeRecorder();
    recorder.StartRecording();
    QVERIFY(recorder.isRecording());
    QCOMPARE(m_reported.size(), 2); // the folder, then the start's snapshot
    QVERIFY2(m_reported[0].contains("не удалось создать папку") &&
                 m_reported[0].contains(QDir::toNativeSeparators(blocker)) &&
                 m_reported[0].endsWith("File exists"),
             qPrintable(m_reported[0]));
    QVERIFY2(m_reported[1].contains("не удалось сохранить снимок") &&
                 m_reported[1].contains("Начало записи.png"),
             qPrintable(m_reported[1]));
    m_clock.advance(10);
    recorder.RecordLinkEvent(LinkEvent::Pause);
    QVERIFY(recorder.isRecording());
    QCOMPARE(recorder.counters().PauseCount, 1);
    recorder.StopRecording();
    QVERIFY2(m_reported.last().contains("не удалось сохранить содержание записи") &&
                 m_reported.last().contains("Содержание.txt"),
             qPrintable(m_reported.last()));
    QCOMPARE(recorder.problems(), m_reported);
}

void AlarmRecorderTest::snapshotThatCannotBeEncodedIsReportedAndListed() {
    AlarmRecorder& recorder = makeRecorder(true);
    recorder.StartRecording();
    m_source->failNext = QStringLiteral("кодирование PNG: нет памяти");
    m_clock.advance(10);
    recorder.RecordEvent("Норма");
    m_clock.advance(10);
    recorder.RecordEvent("Неисправность");
    recorder.StopRecording();
    QCOMPARE(m_reported.size(), 1);
    QVERIFY2(m_reported[0].contains("Норма.png") && m_reported[0].endsWith("нет памяти"),
             qPrintable(m_reported[0]));
    const QString folder = m_dir.filePath(recorder.RecordingFolder());
    QCOMPARE(filesIn(folder, "*.png").size(), 3); // no file, and no half file, for the failed one
    // The summary still lists the failed snapshot in its place.
    QCOMPARE(labelsOf(recorder.RecordingIndex().mid(0, 4)),
             (QStringList{"Начало записи", "Норма", "Неисправность", "Остановка записи"}));
    QVERIFY(QFile::exists(m_dir.filePath(recorder.summaryPath())));
}

// Encoding happens behind the caller's back, in the order of the events, and the stop does
// not write the summary before the last snapshot is on disk.
void AlarmRecorderTest::backgroundWriterKeepsOrderAndStopWaitsForIt() {
    AlarmRecorder& recorder = makeRecorder(true);
    QVERIFY(recorder.backgroundWriting());
    m_source->hold();
    recorder.StartRecording();
    for (int i = 0; i < 6; ++i) {
        m_clock.advance(1);
        recorder.RecordEvent(QStringLiteral("Превышение ПП %1").arg(i + 1));
    }
    // Every snapshot is still waiting for its encoding; the events did not.
    QCOMPARE(recorder.pendingSnapshots(), 7);
    QVERIFY(filesIn(m_dir.filePath(recorder.RecordingFolder())).isEmpty());
    m_source->encodeDelayMs = 20; // the stop's own snapshot is slow as well
    m_source->release();
    recorder.StopRecording();
    QCOMPARE(recorder.pendingSnapshots(), 0);
    const std::vector<int> order = m_source->encodedOrder();
    QCOMPARE(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    const QString folder = m_dir.filePath(recorder.RecordingFolder());
    const QStringList names = recorder.RecordingIndex().mid(0, 8);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(readBytes(folder + "/" + names[i]), "snapshot " + QByteArray::number(i + 1));
    // The summary is newer than every snapshot.
    const QDateTime summaryTime = QFileInfo(m_dir.filePath(recorder.summaryPath())).lastModified();
    for (const QString& name : names)
        QVERIFY(QFileInfo(folder + "/" + name).lastModified() <= summaryTime);
    QVERIFY(m_reported.isEmpty());
}

void AlarmRecorderTest::logHasEverySnapshotAndTheSummary() {
    const QString logPath = m_dir.filePath("VelmoraTuner.log");
    {
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    EventLog log(m_clock, logPath);
    log.StartLog();
    AlarmRecorder recorder(m_clock, *m_source, &log, false);
    recorder.setBaseDirectory(m_dir.path());
    recorder.StartRecording();
    m_clock.advance(1000);
    recorder.RecordEvent("Норма");
    recorder.StopRecording();

    const QString text = decode1251(readBytes(logPath));
    const QString sep = QDir::separator();
    QVERIFY(text.contains("12:34:56.789  2024-05-01 12'34'56" + sep +
                          "2024-05-01 12'34'56.789 Начало записи.png\n"));
    QVERIFY(text.contains("12:34:57.789  2024-05-01 12'34'56" + sep +
                          "2024-05-01 12'34'57.789 Норма.png\n"));
    const QString summary = "12:34:57.789  2024-05-01 12'34'56" + sep +
                            "2024-05-01 12'34'57.789 Содержание.txt\n" +
                            "2024-05-01 12'34'56.789 Начало записи.png\r\n";
    QVERIFY2(text.contains(summary), qPrintable(text));
    QVERIFY(text.endsWith("Неисправностей: 0\r\n\n"));
}

QTEST_GUILESS_MAIN(AlarmRecorderTest)
#include "tst_alarm_recorder.moc"
