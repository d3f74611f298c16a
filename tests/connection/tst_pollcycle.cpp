#include "RecordingView.h"
#include "TelemetryFrames.h"
#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "log/EventLog.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

namespace {

// One complete telemetry cycle: codes 2 to 7, Power last, for a detector with cs = 1.
QByteArray fullCycle() {
    return telemetryFrame(2, 0x55, 0x01) + telemetryFrame(3, 10, 10) + telemetryFrame(4, 10, 9) +
           telemetryFrame(5, 0x05, 0x01) + telemetryFrame(6, 0x00, 0x11) +
           telemetryFrame(7, 0x90, 0x11);
}

QByteArray signalFrame() {
    return telemetryFrame(1, 0x58, 0x02);
}

struct Rig {
    ManualClock clock{1'000'000};
    MemoryChannel channel;
    RecordingView view;
    PollCycle cycle{channel, clock, view};

    bool feed(const QByteArray& bytes) {
        channel.push(bytes);
        return cycle.Recv();
    }
    // Runs ticks until the channel is drained.
    void drain() {
        while (channel.bytesAvailable() > 0)
            cycle.Tick();
    }
    void identify() {
        channel.push(fullCycle() + signalFrame());
        drain();
        QCOMPARE(cycle.state(), EDevWork);
        cycle.clearReannounceRequest(); // as the recording does with it
        view.calls.clear();
    }
};

} // namespace

class PollCycleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void frameSplitAcrossReads();
    void streams_data();
    void streams();
    void carriedBytesWaitForTheNextRead();
    void cycleRule_data();
    void cycleRule();
    void statesFollowCyclesAndSignals();
    void pauseThenReturn();
    void pauseThenLoss_data();
    void pauseThenLoss();
    void hangInDetect();
    void reselectWhileNobodyAnswers();
    void alignmentAndSettingsChange();
    void sendOnlyAfterTelemetryOneFramePerTick();
    void linkResetKeepsSlotsOneToThree();
    void errorInReactionIsShownAndCycleGoesOn();
    void arbitraryBytesNeverBreakTheBuffer();
    void logLines();
};

void PollCycleTest::frameSplitAcrossReads() {
    Rig rig;
    QVERIFY(!rig.feed(QByteArray::fromHex("0041")));
    QCOMPARE(rig.cycle.carriedBytes(), 2);
    QVERIFY(rig.feed(QByteArray::fromHex("5596")));
    QCOMPARE(rig.cycle.telemetry().aver(), 341u);
    QCOMPARE(rig.cycle.carriedBytes(), 0);
}

void PollCycleTest::streams_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("reactions");
    QTest::addColumn<int>("carried");
    QTest::newRow("two frames") << QByteArray::fromHex("004155960026587E")
                                << QStringList{"ReactToAverage", "ShowSignal"} << 0;
    QTest::newRow("lead byte lost") << QByteArray::fromHex("415596"
                                                           "0026587E")
                                    << QStringList{"ShowSignal"} << 0;
    QTest::newRow("all zero") << QByteArray::fromHex("00000000") << QStringList{} << 3;
    QTest::newRow("frame inside a rejected candidate") << QByteArray::fromHex("00"
                                                                              "0026587E")
                                                       << QStringList{"ShowSignal"} << 0;
    QTest::newRow("bad checksum then good") << QByteArray::fromHex("00415597"
                                                                   "00415596")
                                            << QStringList{"ReactToAverage"} << 0;
    QTest::newRow("ends inside a frame") << QByteArray::fromHex("00415596"
                                                                "002658")
                                         << QStringList{"ReactToAverage"} << 3;
}

void PollCycleTest::streams() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, reactions);
    QFETCH(int, carried);
    Rig rig;
    rig.feed(bytes);
    QStringList seen;
    for (const QString& c : rig.view.calls)
        if (c == "ReactToAverage" || c == "ShowSignal")
            seen << c;
    QCOMPARE(seen, reactions);
    QCOMPARE(rig.cycle.carriedBytes(), carried);
}

void PollCycleTest::carriedBytesWaitForTheNextRead() {
    Rig rig;
    rig.feed(QByteArray::fromHex("002658"));
    QVERIFY(!rig.cycle.Recv()); // a read of nothing
    QCOMPARE(rig.cycle.carriedBytes(), 3);
    QVERIFY(rig.feed(QByteArray::fromHex("7E")));
    QCOMPARE(rig.cycle.telemetry().sig(), 600u);
}

void PollCycleTest::cycleRule_data() {
    QTest::addColumn<QList<unsigned>>("codes");
    QTest::addColumn<bool>("identified");
    QTest::newRow("2..7") << QList<unsigned>{2, 3, 4, 5, 6, 7} << true;
    QTest::newRow("3..7, sum 25") << QList<unsigned>{3, 4, 5, 6, 7} << false;
    QTest::newRow("six 6 then 7, sum 43") << QList<unsigned>{6, 6, 6, 6, 6, 6, 7} << true;
    QTest::newRow("signals interleaved")
        << QList<unsigned>{1, 2, 1, 3, 1, 4, 1, 5, 0, 6, 1, 7} << true;
    QTest::newRow("short cycle then full") << QList<unsigned>{3, 7, 2, 3, 4, 5, 6, 7} << true;
    QTest::newRow("sum cleared at every Power") << QList<unsigned>{2, 3, 4, 7, 5, 6, 7} << false;
}

void PollCycleTest::cycleRule() {
    QFETCH(QList<unsigned>, codes);
    QFETCH(bool, identified);
    Rig rig;
    int writes = 0;
    rig.cycle.setOnIdentified([&] { ++writes; });
    QByteArray bytes;
    for (unsigned code : codes)
        bytes += telemetryFrame(code, 0x10, 0x01);
    rig.feed(bytes);
    QCOMPARE(rig.cycle.state(), identified ? EDevDetect : EDevNone);
    QCOMPARE(rig.view.count("IdentifyDetector"), identified ? 1 : 0);
    QCOMPARE(writes, identified ? 1 : 0);
    QCOMPARE(rig.cycle.reannounceRequest(), identified);
}

void PollCycleTest::statesFollowCyclesAndSignals() {
    Rig rig;
    rig.feed(signalFrame());
    QCOMPARE(rig.cycle.state(), EDevNone);
    rig.feed(fullCycle());
    QCOMPARE(rig.cycle.state(), EDevDetect);
    rig.feed(fullCycle());
    QCOMPARE(rig.cycle.state(), EDevParams);
    rig.feed(signalFrame());
    QCOMPARE(rig.cycle.state(), EDevWork);
    QCOMPARE(rig.view.count("IdentifyDetector"), 1);
}

void PollCycleTest::pauseThenReturn() {
    Rig rig;
    rig.identify();
    rig.clock.advance(2500);
    QVERIFY(!rig.cycle.Recv());
    QCOMPARE(rig.cycle.state(), EDevWork); // strictly more than 2.5 s
    rig.clock.advance(100);
    QVERIFY(!rig.cycle.Recv());
    QCOMPARE(rig.cycle.state(), EDevPause);
    QCOMPARE(rig.cycle.telemetry().state(), unsigned(ModePause));
    QCOMPARE(rig.cycle.telemetry().previousState(), unsigned(ModeNormal));
    QVERIFY(rig.view.calls.contains("ShowMode(7)"));
    QVERIFY(rig.feed(telemetryFrame(5, 0x05, 0x01)));
    QCOMPARE(rig.cycle.state(), EDevWork);
    QVERIFY(!rig.cycle.reannounceRequest()); // only while recording
}

void PollCycleTest::pauseThenLoss_data() {
    QTest::addColumn<bool>("recording");
    QTest::newRow("not recording") << false;
    QTest::newRow("recording") << true;
}

void PollCycleTest::pauseThenLoss() {
    QFETCH(bool, recording);
    Rig rig;
    rig.identify();
    rig.view.recording = recording;
    rig.clock.advance(2600);
    rig.cycle.Recv();
    QCOMPARE(rig.cycle.state(), EDevPause);
    rig.clock.advance(3500);
    rig.cycle.Recv();
    QCOMPARE(rig.cycle.state(), EDevPause); // the loss counts from the pause, strictly
    rig.clock.advance(100);
    rig.cycle.Recv();
    QCOMPARE(rig.cycle.state(), EDevNone);
    QCOMPARE(rig.cycle.telemetry().state(), unsigned(ModeNoLink));
    QCOMPARE(rig.view.count("ShowLinkReset"), 1);
    QVERIFY(rig.view.calls.contains("SetNote(4)"));
    QCOMPARE(rig.view.count("Record(Pause)"), recording ? 1 : 0);
    QCOMPARE(rig.view.count("Record(Потеря связи)"), recording ? 1 : 0);
    // Nobody answers now: the port is selected again every 1.2 s.
    rig.clock.advance(1300);
    rig.cycle.Recv();
    QCOMPARE(rig.view.count("ReselectPort"), 1);
}

void PollCycleTest::hangInDetect() {
    Rig rig;
    rig.feed(fullCycle());
    QCOMPARE(rig.cycle.state(), EDevDetect);
    rig.clock.advance(12001); // one gap longer than 12 s, as after a suspend
    QVERIFY(!rig.cycle.Recv());
    QCOMPARE(rig.cycle.state(), EDevNone);
    QCOMPARE(rig.view.count("ShowLinkReset"), 1);
}

void PollCycleTest::reselectWhileNobodyAnswers() {
    Rig rig;
    int reopened = 0;
    rig.view.onReselect = [&] { ++reopened; };
    rig.clock.advance(1200);
    rig.cycle.Recv();
    QCOMPARE(reopened, 0);
    rig.clock.advance(1);
    rig.channel.push(fullCycle());
    QVERIFY(!rig.cycle.Recv()); // supervision acted: nothing read in this tick
    QCOMPARE(reopened, 1);
    QVERIFY(rig.cycle.Recv());
    QCOMPARE(rig.cycle.state(), EDevDetect);
}

void PollCycleTest::alignmentAndSettingsChange() {
    Rig rig;
    rig.identify();
    rig.view.recording = true;
    rig.feed(telemetryFrame(2, 0x55, 0x01 | (2 << 2)));
    QCOMPARE(rig.view.calls.mid(0, 3),
             (QStringList{"ActivateAlignmentPage", "ReactToAverage", "Record(Юстировка)"}));
    rig.view.calls.clear();
    rig.feed(telemetryFrame(2, 0x55, 0x01 | (2 << 2))); // no change: nothing
    QCOMPARE(rig.view.count("ActivateAlignmentPage"), 0);
    rig.feed(telemetryFrame(2, 0x55, 0x01 | (4 << 2)));
    QCOMPARE(rig.view.count("Record(Изменились настройки)"), 1);

    // A pause that ends while recording announces the condition again.
    rig.clock.advance(2600);
    rig.cycle.Recv();
    rig.view.calls.clear();
    rig.feed(telemetryFrame(2, 0x55, 0x01 | (4 << 2)));
    QCOMPARE(rig.view.count("Record(Юстировка)"), 1);
    QVERIFY(!rig.cycle.reannounceRequest());
}

void PollCycleTest::sendOnlyAfterTelemetryOneFramePerTick() {
    Rig rig;
    rig.identify(); // cs = 1
    rig.cycle.commands().EncodeModeCommand(1, 10, 0, 0);
    rig.cycle.commands().EncodeThresholdCommand(12, 20, 3);
    rig.cycle.Tick(); // nothing received: nothing sent
    QCOMPARE(rig.channel.written(), QByteArray());
    for (int i = 0; i < 8; ++i) {
        rig.channel.push(signalFrame() + signalFrame());
        rig.cycle.Tick();
        QCOMPARE(rig.channel.written().size(), 3 * std::min(i + 1, 6));
    }
    QCOMPARE(rig.channel.written(), QByteArray::fromHex("018A8B018A8B018A8B"
                                                        "2CF4A02CF4A02CF4A0"));
    // The detector's telemetry matches the mode command but not the thresholds: only the
    // threshold command goes out again after the next complete cycle.
    rig.channel.clearWritten();
    rig.channel.push(fullCycle());
    rig.cycle.Tick();
    QCOMPARE(rig.cycle.state(), EDevParams);
    QVERIFY(!rig.cycle.commands().slot(CommandCode::Mode).awaiting);
    QCOMPARE(rig.channel.written(), QByteArray::fromHex("2CF4A0"));
}

void PollCycleTest::linkResetKeepsSlotsOneToThree() {
    Rig rig;
    rig.identify();
    rig.cycle.commands().EncodeModeCommand(1, 10, 1, 0);
    rig.cycle.commands().EncodeSectionCommand(0, 1, 10, 2);
    rig.cycle.setState(EDevNone);
    rig.cycle.ResetLink();
    QCOMPARE(rig.view.calls,
             (QStringList{"ShowLinkReset", "ShowMode(6)", "SetNote(4)", "UpdatePages(0)"}));
    QVERIFY(!rig.cycle.commands().slot(CommandCode::Mode).awaiting);
    QVERIFY(rig.cycle.commands().slot(CommandCode::Section).pending);
    rig.channel.push(signalFrame());
    rig.cycle.Tick();
    // The table was reset, so cs reads 0: the 2-byte frame twice.
    QCOMPARE(rig.channel.written(), QByteArray::fromHex("44CA44CA"));
}

namespace {
class ThrowingView : public RecordingView {
public:
    void ShowSignal() override { throw std::runtime_error("деление на ноль"); }
};
} // namespace

void PollCycleTest::errorInReactionIsShownAndCycleGoesOn() {
    ManualClock clock;
    MemoryChannel channel;
    ThrowingView view;
    PollCycle cycle(channel, clock, view);
    channel.push(signalFrame());
    cycle.Tick();
    QCOMPARE(view.calls.last(), QStringLiteral("Error(деление на ноль)"));
    channel.push(fullCycle());
    cycle.Tick();
    QCOMPARE(cycle.state(), EDevDetect);
}

void PollCycleTest::arbitraryBytesNeverBreakTheBuffer() {
    QRandomGenerator rng(12345);
    Rig rig;
    for (int round = 0; round < 2000; ++round) {
        QByteArray chunk(int(rng.bounded(1, 300)), Qt::Uninitialized);
        for (char& c : chunk)
            c = rng.bounded(4) == 0 ? 0 : char(rng.bounded(256));
        if (round % 7 == 0)
            chunk += fullCycle();
        rig.channel.setReadLimit(rng.bounded(1, 120));
        rig.channel.push(chunk);
        rig.drain();
        QVERIFY(rig.cycle.carriedBytes() >= 0 && rig.cycle.carriedBytes() <= 3);
        QVERIFY(rig.cycle.cycleSum() >= 0);
    }
    QVERIFY(rig.cycle.state() != EDevNone);
}

void PollCycleTest::logLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath("VelmoraTuner.log");
    QFile(path).open(QIODevice::WriteOnly);
    ManualClock clock(QDateTime(QDate(2025, 12, 9), QTime(10, 15, 27, 650)).toMSecsSinceEpoch());
    EventLog log(clock, path);
    log.StartLog();
    MemoryChannel channel;
    RecordingView view;
    PollCycle cycle(channel, clock, view, &log);
    channel.push(fullCycle() + QByteArray::fromHex("00415597"));
    cycle.Recv();
    cycle.commands().EncodeModeCommand(1, 10, 0, 0);
    channel.push(signalFrame());
    cycle.Tick();
    clock.advance(2600);
    cycle.Recv();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.takeLast(), QByteArray()); // every line ends in a line feed
    for (QByteArray& line : lines) {
        QCOMPARE(line.mid(12, 2), QByteArray("  "));
        line = line.mid(14);
    }
    QCOMPARE(lines.at(1), QByteArray("Recv: 28"));
    QCOMPARE(lines.at(2), QByteArray("Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0"));
    QCOMPARE(lines.at(8), QByteArray("Inp:[00 41 55 97] chsum:!!!Err!!! code:2 "));
    QCOMPARE(lines.at(9), QByteArray("Recv: 4"));
    QCOMPARE(lines.at(11), QByteArray("Out:[01 8A 8B] send:3 bytes o_code:0 o_adr:1 o_ctrl_pp_mp:0 "
                                      "o_senspp:10 o_state:0  "));
    QCOMPARE(lines.at(12),
             QByteArray("Pause!!! void TfmMain::Recv()|if(dblPeriod>1./24/60/60*2.5 && "
                        "eDeviceState >= EDevWork && eDeviceState < EDevPause)"));
    QCOMPARE(lines.at(13), QByteArray("Now()=15:30.250 PacketTime=15:27.650 period=00:02.600 "
                                      "const=00:02.500"));
}

QTEST_GUILESS_MAIN(PollCycleTest)
#include "tst_pollcycle.moc"
