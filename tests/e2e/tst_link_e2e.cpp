#include "LinkRig.h"

#include <QtTest>

class LinkEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identifiesEveryModel_data();
    void identifiesEveryModel();
    void commandConfirmed_data();
    void commandConfirmed();
    void refusedCommandIsSentThreeTimesEveryCycle();
    void pauseLossAndReturn();
    void portVanishesAndReturns();
    void noiseAndCorruptFramesAreSkipped();
};

void LinkEndToEndTest::identifiesEveryModel_data() {
    QTest::addColumn<int>("dev");
    QTest::addColumn<int>("freq");
    QTest::addColumn<int>("cs");
    for (int freq = 0; freq < 2; ++freq)
        for (int cs = 0; cs < 2; ++cs)
            for (int dev : {0, 1, 2, 5, 7})
                QTest::addRow("dev %d freq %d cs %d", dev, freq, cs) << dev << freq << cs;
}

void LinkEndToEndTest::identifiesEveryModel() {
    QFETCH(int, dev);
    QFETCH(int, freq);
    QFETCH(int, cs);
    SimSettings settings;
    settings.dev = dev;
    settings.freq = freq;
    settings.cs = cs;
    settings.adr = 9;
    LinkRig rig(settings);
    QVERIFY(rig.ready);
    QVERIFY(rig.waitIdentified());
    QCOMPARE(rig.watcher.identified, 1);
    const TelemetryTable& t = rig.cycle.telemetry();
    QCOMPARE(int(t.dev()), dev);
    QCOMPARE(int(t.freq()), freq);
    QCOMPARE(int(t.cs()), cs);
    QCOMPARE(int(t.adr()), 9);

    // The port on which the detector answered is remembered in the settings file.
    IniFile reread(rig.settingsFile->path());
    QVERIFY(reread.load());
    QCOMPARE(readAppSettings(reread).comPort, LinkRig::PortNumber);
}

void LinkEndToEndTest::commandConfirmed_data() {
    QTest::addColumn<int>("cs");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("with checksum") << 1 << QByteArray::fromHex("4FDFAE");
    QTest::newRow("frame twice") << 0 << QByteArray::fromHex("4FDF4FDF");
}

void LinkEndToEndTest::commandConfirmed() {
    QFETCH(int, cs);
    QFETCH(QByteArray, frame);
    SimSettings settings;
    settings.cs = cs;
    LinkRig rig(settings);
    QVERIFY(rig.waitIdentified());
    rig.cycle.commands().EncodeSectionCommand(3, 3, 31, 2);
    QVERIFY(QTest::qWaitFor(
        [&] { return !rig.cycle.commands().slot(CommandCode::Section).awaiting; }, 3000));
    QVERIFY(!rig.sim->receivedCommands().isEmpty());
    QCOMPARE(rig.sim->receivedCommands().first(), frame);
    const TelemetryTable& t = rig.cycle.telemetry();
    QCOMPARE(t.dist(), 31u);
    QCOMPARE(t.reg(), 2u);
    QCOMPARE(t.vel_min(), 3u);
    QCOMPARE(t.vel_max(), 3u);
}

void LinkEndToEndTest::refusedCommandIsSentThreeTimesEveryCycle() {
    LinkRig rig;
    QVERIFY(rig.waitIdentified());
    rig.sim->setRefusing(true);
    // Complete telemetry cycles end with the Power frame.
    const qint64 powerBefore = rig.sim->counters().frames[7];
    rig.cycle.commands().EncodeThresholdCommand(12, 20, 3);
    QVERIFY(QTest::qWaitFor([&] { return rig.sim->receivedCommands().size() >= 9; }, 5000));
    const qint64 cycles = rig.sim->counters().frames[7] - powerBefore;
    for (const QByteArray& f : rig.sim->receivedCommands())
        QCOMPARE(f, QByteArray::fromHex("2CF4A0"));
    QVERIFY(rig.cycle.commands().slot(CommandCode::Threshold).awaiting);
    // Three sends when armed, then three more per complete cycle, never more.
    QVERIFY2(rig.sim->receivedCommands().size() <= 3 * (cycles + 1),
             qPrintable(QStringLiteral("%1 sends in %2 cycles")
                            .arg(rig.sim->receivedCommands().size())
                            .arg(cycles)));
    QCOMPARE(rig.sim->receivedCommands().size() % 3, 0);
}

void LinkEndToEndTest::pauseLossAndReturn() {
    LinkRig rig;
    QVERIFY(rig.waitIdentified());
    rig.sim->setSilent(true);
    rig.run(100); // let the last frames in flight arrive
    rig.silence(2501);
    QCOMPARE(rig.cycle.state(), EDevPause);
    QCOMPARE(rig.watcher.modes.last(), unsigned(ModePause));
    rig.silence(3501);
    QCOMPARE(rig.cycle.state(), EDevNone);
    QCOMPARE(rig.watcher.resets, 1);
    QCOMPARE(rig.watcher.modes.last(), unsigned(ModeNoLink));

    rig.sim->setSilent(false);
    QVERIFY(rig.waitIdentified());
    QCOMPARE(rig.watcher.identified, 2);
}

void LinkEndToEndTest::portVanishesAndReturns() {
    LinkRig rig;
    QVERIFY(rig.waitIdentified());
    QVERIFY(rig.sim->unplug());
    QVERIFY(QTest::qWaitFor([&] { return !rig.gate.isOpen(); }, 2000));
    QVERIFY(!rig.gate.closeReason().isEmpty());
    rig.silence(2501);
    rig.silence(3501);
    QCOMPARE(rig.cycle.state(), EDevNone);
    // Nobody answers: the port is tried again every 1.2 s and fails while the link is gone.
    rig.silence(1201);
    QCOMPARE(rig.watcher.reselects, 1);
    QVERIFY(!rig.gate.isOpen());

    QString error;
    QVERIFY2(rig.sim->replug(&error), qPrintable(error));
    rig.silence(1201);
    QVERIFY(rig.gate.isOpen());
    QVERIFY(rig.waitIdentified());
}

void LinkEndToEndTest::noiseAndCorruptFramesAreSkipped() {
    LinkRig rig;
    QVERIFY(rig.waitIdentified());
    int commands = 0;
    rig.sim->setLineNoise(0.3);
    rig.sim->setCorruptRate(0.2);
    // A command sent into the noisy line still arrives and is confirmed.
    rig.cycle.commands().EncodePositionCommand(4, 42);
    QVERIFY(QTest::qWaitFor(
        [&] { return !rig.cycle.commands().slot(CommandCode::Position).awaiting; }, 3000));
    commands = int(rig.sim->receivedCommands().size());
    QVERIFY(commands >= 1);
    QCOMPARE(rig.cycle.telemetry().symbol(), 4u);
    QCOMPARE(rig.cycle.telemetry().number(), 42u);
    // Over a noisy second the link never falls silent and the stream keeps being decoded.
    const qint64 corruptBefore = rig.sim->counters().corruptFrames;
    rig.run(1000);
    QVERIFY(rig.sim->counters().corruptFrames > corruptBefore);
    QVERIFY(rig.cycle.state() == EDevWork || rig.cycle.state() == EDevParams);
    QCOMPARE(rig.watcher.resets, 0);
    // Every intact Signal frame the detector sent was decoded, none more.
    rig.sim->stop();
    rig.run(100);
    QCOMPARE(rig.watcher.signals_, rig.sim->counters().frames[1]);
}

QTEST_GUILESS_MAIN(LinkEndToEndTest)
#include "tst_link_e2e.moc"
