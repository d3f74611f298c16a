// The standalone detector-sim program: the way scripts and the demo use it.

#include "SimTestLine.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Waits for the next line on the program's standard output.
QString readLine(QProcess& p, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < timeoutMs)
        p.waitForReadyRead(50);
    return QString::fromUtf8(p.readLine()).trimmed();
}

} // namespace

class SimProgramTest : public QObject {
    Q_OBJECT
private slots:
    void servesAPseudoTerminalAndTakesTypedScenarios();
    void unplugPrintsTheNewTerminalAndTheLinkFollows();
    void endsCleanlyOnTermination();
    void refusesBadOptions();
};

void SimProgramTest::servesAPseudoTerminalAndTakesTypedScenarios() {
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    QProcess sim;
    sim.start(DETECTOR_SIM_PATH, {"--link", link, "--log", dir.filePath("sim.log"), "--dev", "2"});
    QVERIFY(sim.waitForStarted());

    const QString first = readLine(sim);
    QVERIFY2(first.startsWith("PTY /dev/pts/"), qPrintable(first));
    QCOMPARE(QFileInfo(link).symLinkTarget(), first.mid(4));

    SlaveLine line(link);
    QVERIFY(line.isOpen());
    QVERIFY(waitForField(line, "dev", 2));

    sim.write("alarm on\n");
    QVERIFY(waitForField(line, "state", 1));
    QVERIFY(line.write(QByteArray::fromHex("2CF4A0")));
    QVERIFY(waitForField(line, "sensmp", 12));

    sim.write("bogus\nshow\n");
    QString shown;
    while (!shown.contains("commands applied"))
        shown += readLine(sim) + '\n';
    QVERIFY2(shown.startsWith("mode 1, streaming, listener connected"), qPrintable(shown));
    QVERIFY(shown.contains("commands applied 1, refused 0, rejected 0"));

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    const QString events = QString::fromUtf8(sim.readAllStandardError());
    QVERIFY(events.contains("unknown command 'bogus'; type help"));
    QVERIFY(events.contains(
        "  command [2C F4 A0] o_code:1 o_sensmp:12 o_sensbp:20 o_letter:3 applied"));
    QFile log(dir.filePath("sim.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("  state 0 -> 1 (alarm)\n"));
}

void SimProgramTest::unplugPrintsTheNewTerminalAndTheLinkFollows() {
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    QProcess sim;
    sim.start(DETECTOR_SIM_PATH, {"--link", link, "--quiet", "--at", "0.3:unplug 0.4"});
    QVERIFY(sim.waitForStarted());
    QVERIFY(readLine(sim).startsWith("PTY "));
    SlaveLine line(link);
    QVERIFY(waitForField(line, "aver", 341));

    const QString again = readLine(sim, 5000);
    QVERIFY2(again.startsWith("PTY /dev/pts/"), qPrintable(again));
    QTRY_COMPARE(QFileInfo(link).symLinkTarget(), again.mid(4));
    line.readAvailable();
    QVERIFY(line.hungUp); // the old terminal went away with the unplug
    QVERIFY(line.reopen(link));
    QVERIFY(waitForField(line, "aver", 341));

    sim.closeWriteChannel(); // end of input does not end the simulation
    QVERIFY(waitForField(line, "aver", 341));
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
}

void SimProgramTest::endsCleanlyOnTermination() {
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    QProcess sim;
    sim.start(DETECTOR_SIM_PATH, {"--link", link, "--quiet"});
    QVERIFY(sim.waitForStarted());
    QVERIFY(readLine(sim).startsWith("PTY "));
    QVERIFY(QFileInfo(link).isSymLink());
    ::kill(pid_t(sim.processId()), SIGTERM);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void SimProgramTest::refusesBadOptions() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("taken"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    struct Case {
        QStringList args;
        int exitCode;
        QString message;
    };
    const QList<Case> cases{
        {{"--senspp", "32"}, 2, "detector-sim: senspp must be 0..31, not 32"},
        {{"--at", "1:frobnicate"}, 0, "unknown command 'frobnicate'; type help"},
        {{"--link", blocker.fileName()}, 1, "is not a symbolic link; not replacing it"},
        {{"--replay", dir.filePath("none.log")}, 2, "detector-sim: cannot read"},
    };
    for (const Case& c : cases) {
        QProcess sim;
        sim.start(DETECTOR_SIM_PATH, c.args + QStringList{"--quiet", "--at", "1.5:quit"});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), c.exitCode);
        const QString errors = QString::fromUtf8(sim.readAllStandardError());
        QVERIFY2(errors.contains(c.message), qPrintable(errors));
    }
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "tst_sim_program.moc"
