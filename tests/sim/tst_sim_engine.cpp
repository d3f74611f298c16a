// The simulator engine over a real pseudo-terminal, read from the slave side as the program
// would read its serial port.

#include "SimTestLine.h"
#include "SimulatedDetector.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

// A detector on a fresh pseudo-terminal with the program's end open.
struct Rig : SimulatedDetector {
    explicit Rig(const SimSettings& settings = {}) : SimulatedDetector(settings) {
        line = std::make_unique<SlaveLine>(pty.slavePath());
        sim->start();
    }

    bool logged(const QString& text) const { return sim->eventLog().contains(text); }
    bool loggedStartingWith(const QString& text) const {
        for (const QString& l : sim->eventLog())
            if (l.startsWith(text))
                return true;
        return false;
    }

    std::unique_ptr<SlaveLine> line;
};

// "field=value", "field>value" or "field<value" checks, each waited for in turn.
bool waitForAll(SlaveLine& line, const QStringList& checks, QString* failed) {
    static const QRegularExpression form("^(\\w+)([=<>])(\\d+)$");
    for (const QString& check : checks) {
        const QRegularExpressionMatch m = form.match(check);
        const QString name = m.captured(1), op = m.captured(2);
        const int value = m.captured(3).toInt();
        const bool seen = waitForFrame(line, codeOfField(name), [&](const LineFrame& f) {
            const int actual = fieldOf(f, name);
            return op == "=" ? actual == value : op == "<" ? actual < value : actual > value;
        });
        if (!m.hasMatch() || !seen) {
            *failed = check;
            return false;
        }
    }
    return true;
}

} // namespace

class SimEngineTest : public QObject {
    Q_OBJECT
private slots:
    void streamCarriesCompleteCyclesAtTheRate();
    void saturatedStreamKeepsToTheLineRate();
    void commandIsAppliedAndShownInTheTelemetry_data();
    void commandIsAppliedAndShownInTheTelemetry();
    void alignmentModeComesAndGoes();
    void badFramesChangeNothing_data();
    void badFramesChangeNothing();
    void refusedCommandsAreNeverConfirmed();
    void silenceStopsTheStreamForItsTime();
    void scenariosShowInTheTelemetry_data();
    void scenariosShowInTheTelemetry();
    void lineNoiseAndCorruptFramesAreMixedIn();
    void streamFlowsOnlyWhileSomeoneListens();
    void unplugHangsUpAndReplugComesBackUnderTheLink();
    void replayPlaysTheLoggedBytes();
    void eventLinesGoToTheLogFile();
};

void SimEngineTest::streamCarriesCompleteCyclesAtTheRate() {
    Rig rig;
    QVERIFY(rig.ready);
    QElapsedTimer t;
    t.start();
    const QByteArray bytes = rig.line->collect(1000);
    const double seconds = t.elapsed() / 1000.0;

    const ScanResult scan = scanFrames(bytes);
    QCOMPARE(scan.skippedBytes, 0);
    QCOMPARE(scan.rejectedCandidates, 0);
    QVERIFY(scan.leftover.size() < 4);

    QList<int> cycleCodes;
    int signalsSinceCycleFrame = 0;
    int signalCount = 0;
    for (const LineFrame& f : scan.frames) {
        if (f.code == 1) {
            ++signalCount;
            ++signalsSinceCycleFrame;
            QVERIFY2(qAbs(f.value10() - 341) < 35, qPrintable(QString::number(f.value10())));
            continue;
        }
        if (!cycleCodes.isEmpty())
            QCOMPARE(signalsSinceCycleFrame, 1);
        signalsSinceCycleFrame = 0;
        cycleCodes << f.code;
        // The defaults are the design's worked examples.
        if (f.code == 2)
            QCOMPARE(f.wire, hexBytes("00415596"));
        if (f.code == 7)
            QCOMPARE(f.wire, hexBytes("00F19081"));
        if (f.code == 0)
            QCOMPARE(f.wire, hexBytes("00040F13"));
    }
    // Loosely 100 Signal frames per second, however busy the machine is.
    QVERIFY2(signalCount > 50 * seconds && signalCount < 130 * seconds,
             qPrintable(QString::number(signalCount)));

    // The cycle frames come as 2, 3, 4, 5, 6, 7 (a complete cycle ends with Power), then 0.
    const QList<int> order{2, 3, 4, 5, 6, 7, 0};
    const int start = cycleCodes.indexOf(2);
    QVERIFY(start >= 0);
    int complete = 0;
    for (int i = start; i < cycleCodes.size(); ++i) {
        QCOMPARE(cycleCodes[i], order[(i - start) % 7]);
        complete += cycleCodes[i] == 7;
    }
    QVERIFY(complete >= 5);
}

void SimEngineTest::saturatedStreamKeepsToTheLineRate() {
    SimSettings settings;
    settings.saturate = true;
    Rig rig(settings);
    QVERIFY(rig.ready);
    rig.line->collect(100);

    QElapsedTimer t;
    t.start();
    const QByteArray bytes = rig.line->collect(1000);
    const double seconds = t.elapsed() / 1000.0;
    const double lineBytes = DetectorSimulator::LineBytesPerSecond * seconds;

    // Never faster than 57600 baud 8N1 (beyond the short credit a late tick may use), and
    // close to it when the machine keeps up.
    QVERIFY2(bytes.size() <= lineBytes + 300, qPrintable(QString::number(bytes.size())));
    QVERIFY2(bytes.size() >= lineBytes / 2, qPrintable(QString::number(bytes.size())));
    const ScanResult scan = scanFrames(bytes);
    QVERIFY(scan.frames.size() >= bytes.size() / 4 - 1);
    QCOMPARE(scan.rejectedCandidates, 0);
}

void SimEngineTest::commandIsAppliedAndShownInTheTelemetry_data() {
    QTest::addColumn<int>("cs");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QStringList>("telemetry");

    QTest::newRow("thresholds") << 1 << hexBytes("2CF4A0")
                                << "o_code:1 o_sensmp:12 o_sensbp:20 o_letter:3"
                                << QStringList{"sensmp=12", "sensbp=20", "letter=3"};
    QTest::newRow("mode") << 1 << hexBytes("03A5A8")
                          << "o_code:0 o_adr:3 o_ctrl_pp_mp:0 o_senspp:5 o_state:1"
                          << QStringList{"state=2", "adr=3", "senspp=5"};
    QTest::newRow("section") << 1 << hexBytes("4FDFAE")
                             << "o_code:2 o_vel_min:3 o_vel_max:3 o_dist:31 o_reg:2"
                             << QStringList{"vel_min=3", "vel_max=3", "dist=31", "reg=2"};
    QTest::newRow("position") << 1 << hexBytes("648FF3") << "o_code:3 o_symbol:2/C o_number:15"
                              << QStringList{"symbol=2", "number=15"};
    QTest::newRow("cs 0, sent twice")
        << 0 << hexBytes("018A018A") << "o_code:0 o_adr:1 o_ctrl_pp_mp:0 o_senspp:10 o_state:0"
        << QStringList{"cs=0", "senspp=10", "adr=1"};
}

void SimEngineTest::commandIsAppliedAndShownInTheTelemetry() {
    QFETCH(int, cs);
    QFETCH(QByteArray, frame);
    QFETCH(QString, decoded);
    QFETCH(QStringList, telemetry);

    SimSettings settings;
    settings.cs = cs;
    settings.senspp = settings.adr = settings.symbol = settings.number = 0;
    Rig rig(settings);
    QVERIFY(rig.ready);
    rig.line->collect(50);

    QVERIFY(rig.line->write(frame));
    QString failed;
    QVERIFY2(waitForAll(*rig.line, telemetry, &failed), qPrintable(failed));
    QCOMPARE(rig.sim->receivedCommands(), QList<QByteArray>{frame});
    QVERIFY(rig.logged(QStringLiteral("command [%1] %2 applied")
                           .arg(QString::fromLatin1(frame.toHex(' ').toUpper()), decoded)));
    QCOMPARE(rig.sim->counters().commandsApplied, 1);
}

void SimEngineTest::alignmentModeComesAndGoes() {
    Rig rig;
    QVERIFY(rig.ready);
    QVERIFY(rig.line->write(hexBytes("03A5A8"))); // o_state 1
    QVERIFY(waitForField(*rig.line, "state", 2));
    QVERIFY(rig.logged("state 0 -> 2 (alignment)"));
    QVERIFY(rig.line->write(hexBytes("038588"))); // o_state 0
    QVERIFY(waitForField(*rig.line, "state", 0));
    QVERIFY(rig.logged("state 2 -> 0 (normal)"));
    QCOMPARE(rig.sim->state(), 0);
}

void SimEngineTest::badFramesChangeNothing_data() {
    QTest::addColumn<int>("cs");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("wrong checksum")
        << 1 << hexBytes("018A8C") << "rejected [01 8A 8C] bad checksum, expected 8B";
    QTest::newRow("2-byte frames to a cs 1 detector")
        << 1 << hexBytes("018A018A") << "rejected [01 8A] wrong length 2";
    QTest::newRow("checksummed frame to a cs 0 detector")
        << 0 << hexBytes("018A8B") << "rejected [01 8A 8B] wrong length 3";
    QTest::newRow("only one copy to a cs 0 detector")
        << 0 << hexBytes("018A") << "rejected [01 8A] no matching second copy";
}

void SimEngineTest::badFramesChangeNothing() {
    QFETCH(int, cs);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, logLine);

    SimSettings settings;
    settings.cs = cs;
    settings.senspp = settings.adr = 0;
    Rig rig(settings);
    QVERIFY(rig.ready);
    QVERIFY(rig.line->write(bytes));
    QTRY_VERIFY_WITH_TIMEOUT(rig.logged(logLine), 2000);

    const ScanResult scan = scanFrames(rig.line->collect(300));
    int sensitivityFrames = 0;
    for (const LineFrame& f : scan.frames) {
        if (f.code == 3) {
            ++sensitivityFrames;
            QCOMPARE(fieldOf(f, "senspp"), 0);
        }
    }
    QVERIFY(sensitivityFrames > 0);
    QVERIFY(rig.sim->receivedCommands().isEmpty());
    QCOMPARE(rig.sim->counters().commandsApplied, 0);
}

void SimEngineTest::refusedCommandsAreNeverConfirmed() {
    Rig rig;
    QVERIFY(rig.ready);
    rig.sim->setRefusedCodes(1 << SimCommand::Position);
    QVERIFY(rig.line->write(hexBytes("6E8AF8"))); // position H10
    QVERIFY(rig.line->write(hexBytes("2CF4A0"))); // thresholds are still taken
    QVERIFY(waitForField(*rig.line, "sensmp", 12));
    QVERIFY(rig.logged("command [6E 8A F8] o_code:3 o_symbol:7/H o_number:10 refused"));

    const ScanResult scan = scanFrames(rig.line->collect(400));
    int positions = 0;
    for (const LineFrame& f : scan.frames) {
        if (f.code == 0) {
            ++positions;
            QCOMPARE(f.wire, hexBytes("00040F13")); // still C15
        }
    }
    QVERIFY(positions > 0);
    QCOMPARE(rig.sim->receivedCommands(),
             (QList<QByteArray>{hexBytes("6E8AF8"), hexBytes("2CF4A0")}));
    QCOMPARE(rig.sim->counters().commandsRefused, 1);
}

void SimEngineTest::silenceStopsTheStreamForItsTime() {
    Rig rig;
    QVERIFY(rig.ready);
    rig.line->collect(50);
    QElapsedTimer t;
    rig.sim->silenceFor(500);
    t.start();
    rig.line->readAvailable(); // what was already on its way
    QVERIFY(rig.sim->isSilent());
    QCOMPARE(rig.line->collect(400).size(), 0);

    QByteArray resumed;
    while (resumed.isEmpty() && t.elapsed() < 3000)
        resumed = rig.line->collect(10);
    QVERIFY(!resumed.isEmpty());
    QVERIFY2(t.elapsed() >= 490, qPrintable(QString::number(t.elapsed())));
    QVERIFY(rig.logged("silence 500 ms"));
    QVERIFY(rig.logged("silence end"));

    rig.sim->setSilent(true);
    rig.line->readAvailable();
    QCOMPARE(rig.line->collect(200).size(), 0);
    rig.sim->setSilent(false);
    QVERIFY(waitForField(*rig.line, "aver", 341));
}

void SimEngineTest::scenariosShowInTheTelemetry_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("telemetry");

    QTest::newRow("alarm") << "alarm" << QStringList{"state=1", "pp=1", "mp=1", "bp=1"};
    QTest::newRow("fault") << "fault" << QStringList{"state=3"};
    QTest::newRow("low supply") << "low supply" << QStringList{"pwr=230", "dis=3"};
    QTest::newRow("dis 1, input too low") << "dis 1" << QStringList{"dis=1", "aver=34"};
    QTest::newRow("dis 2, overload") << "dis 2" << QStringList{"dis=2", "aver=990"};
    QTest::newRow("changed at the detector")
        << "changed" << QStringList{"state=4", "senspp=20", "state=0"};
    QTest::newRow("fault outranks alignment") << "fault in alignment" << QStringList{"state=3"};
    QTest::newRow("sweep") << "sweep" << QStringList{"aver>950", "aver<70", "aver>950"};
}

void SimEngineTest::scenariosShowInTheTelemetry() {
    QFETCH(QString, scenario);
    QFETCH(QStringList, telemetry);

    Rig rig;
    QVERIFY(rig.ready);
    DetectorSimulator& sim = *rig.sim;
    if (scenario == "alarm") {
        sim.setAlarm(true);
    } else if (scenario == "fault") {
        sim.setFault(true);
    } else if (scenario == "low supply") {
        sim.setLowSupply(true);
    } else if (scenario == "dis 1") {
        sim.setDis(1);
    } else if (scenario == "dis 2") {
        sim.setDis(2);
    } else if (scenario == "changed") {
        SimSettings changed = sim.settings();
        changed.senspp = 20;
        sim.changeAtDetector(changed, 400);
    } else if (scenario == "sweep") {
        sim.setSweep(2000);
    } else if (scenario == "fault in alignment") {
        QVERIFY(rig.line->write(hexBytes("03A5A8")));
        QVERIFY(waitForField(*rig.line, "state", 2));
        sim.setFault(true);
    }
    QString failed;
    QVERIFY2(waitForAll(*rig.line, telemetry, &failed), qPrintable(failed));
}

void SimEngineTest::lineNoiseAndCorruptFramesAreMixedIn() {
    Rig rig;
    QVERIFY(rig.ready);
    rig.sim->setLineNoise(0.3);
    rig.sim->setCorruptRate(0.2);
    rig.line->readAvailable();
    const ScanResult scan = scanFrames(rig.line->collect(800));

    QVERIFY(scan.skippedBytes > 0);
    QVERIFY(scan.rejectedCandidates > 0);
    QVERIFY(rig.sim->counters().noiseBytes > 0);
    QVERIFY(rig.sim->counters().corruptFrames > 0);
    // Every frame that passes the program's check is a true one.
    QSet<int> codes;
    for (const LineFrame& f : scan.frames) {
        codes << f.code;
        if (f.code == 2)
            QCOMPARE(f.wire, hexBytes("00415596"));
        if (f.code == 6)
            QCOMPARE(fieldOf(f, "dev"), 4);
    }
    QCOMPARE(codes.size(), 8);
}

void SimEngineTest::streamFlowsOnlyWhileSomeoneListens() {
    Rig rig;
    QVERIFY(rig.ready);
    QTRY_VERIFY(rig.logged("listener connected"));
    rig.line->close();
    QTRY_VERIFY(rig.logged("listener gone"));
    const qint64 sentWhenGone = rig.sim->counters().bytesSent;
    QTest::qWait(200);
    QCOMPARE(rig.sim->counters().bytesSent, sentWhenGone);

    // Coming back, the reader gets fresh telemetry, not what piled up while it was away.
    QVERIFY(rig.line->reopen(rig.pty.slavePath()));
    const QByteArray first = rig.line->collect(100);
    QVERIFY(!first.isEmpty());
    QVERIFY2(first.size() < 400, qPrintable(QString::number(first.size())));
    QCOMPARE(rig.sim->eventLog().count("listener connected"), 2);
}

void SimEngineTest::unplugHangsUpAndReplugComesBackUnderTheLink() {
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    Rig rig;
    QVERIFY(rig.ready);
    QVERIFY(rig.pty.setLink(link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), rig.pty.slavePath());
    QVERIFY(rig.line->reopen(link));
    QVERIFY(waitForField(*rig.line, "aver", 341));

    QSignalSpy portChanged(rig.sim.get(), &DetectorSimulator::portChanged);
    QVERIFY(rig.sim->unplugFor(300));
    rig.line->readAvailable();
    QVERIFY(rig.line->hungUp);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(rig.logged("unplug"));

    QTRY_COMPARE_WITH_TIMEOUT(portChanged.size(), 1, 3000);
    const QString newSlave = portChanged.first().first().toString();
    QVERIFY(rig.logged("replug " + newSlave));
    QCOMPARE(QFileInfo(link).symLinkTarget(), newSlave);
    QVERIFY(rig.line->reopen(link));
    QVERIFY(waitForField(*rig.line, "aver", 341));

    // Without a pseudo-terminal to own there is nothing to pull out.
    DetectorSimulator bare(-1);
    QVERIFY(!bare.unplug());
}

void SimEngineTest::replayPlaysTheLoggedBytes() {
    Rig rig;
    QVERIFY(rig.ready);
    const QString log =
        "10:00:00.000  Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0\n"
        "10:00:00.000  Inp:[00 41 00 26] chsum:!!!Err!!! code:2 \n"
        "10:00:00.000  Inp:[00 26 58 7E] chsum:Ok code:1 sig:600 pp:1 mp:0 bp:0\n"
        "10:00:00.300  Inp:[00 F1 90 81] chsum:Ok code:7 pwr:400 out:0 freq:1 code:7\n";
    QSignalSpy finished(rig.sim.get(), &DetectorSimulator::replayFinished);
    rig.line->collect(30);
    QVERIFY(rig.sim->replay(log, 1.0));
    rig.line->readAvailable(); // generated frames sent before the replay took over

    QElapsedTimer t;
    t.start();
    QByteArray got;
    qint64 powerAtMs = -1;
    while (t.elapsed() < 3000 && !got.endsWith(hexBytes("00F19081"))) {
        got += rig.line->collect(5);
        if (got.endsWith(hexBytes("00F19081")))
            powerAtMs = t.elapsed();
    }
    // The bad candidate's last two bytes start the next frame; they went over the line once.
    QCOMPARE(got.toHex(' '), hexBytes("00415596"
                                      "0041"
                                      "0026587E"
                                      "00F19081")
                                 .toHex(' '));
    QVERIFY2(powerAtMs >= 250, qPrintable(QString::number(powerAtMs))); // logged timing kept
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(rig.logged("replay 4 candidates (1 rejected), 14 bytes over 300 ms"));
    QVERIFY(rig.logged("replay end"));
    QVERIFY(!rig.sim->isStreaming());
    QCOMPARE(rig.line->collect(100).size(), 0);

    QString error;
    QVERIFY(!rig.sim->replay("no frames here", 1.0, false, &error));
    QCOMPARE(error, QStringLiteral("no \"Inp:[\" lines found"));
}

void SimEngineTest::eventLinesGoToTheLogFile() {
    QTemporaryDir dir;
    DetectorSimulator sim(-1);
    QVERIFY(sim.setLogFile(dir.filePath("sim.log")));
    QSignalSpy lines(&sim, &DetectorSimulator::eventLogged);
    sim.setAlarm(true);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].first().toString(), QStringLiteral("alarm on"));
    QCOMPARE(lines[1].first().toString(), QStringLiteral("state 0 -> 1 (alarm)"));

    QFile file(dir.filePath("sim.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList written = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(written.size(), 2);
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  alarm on$")
                .match(written[0])
                .hasMatch());

    QString error;
    QVERIFY(!sim.setLogFile(dir.filePath("missing/sim.log"), &error));
    QVERIFY(error.startsWith("cannot write"));
}

QTEST_GUILESS_MAIN(SimEngineTest)
#include "tst_sim_engine.moc"
