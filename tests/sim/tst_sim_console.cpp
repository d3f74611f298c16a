// The simulator's typed commands and its command line.

#include "DetectorSimulator.h"
#include "SimCommandLine.h"
#include "SimConsole.h"

#include <QTest>

class SimConsoleTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void changedWithoutFieldsMovesTheSensitivity();
    void commandLine_data();
    void commandLine();
    void commandLineScenariosSpeakTheConsoleLanguage();
    void badCommandLines_data();
    void badCommandLines();
};

void SimConsoleTest::commands_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    // What must hold afterwards: "state=1", "senspp=12", "silent=1", "log=<last event line>",
    // "reply~<text in the reply>", "quit".
    QTest::addColumn<QStringList>("checks");

    QTest::newRow("alarm") << "alarm on" << true
                           << QStringList{"state=1", "log=state 0 -> 1 (alarm)"};
    QTest::newRow("fault") << "  fault   on " << true << QStringList{"state=3"};
    QTest::newRow("silence seconds")
        << "silence 2.5" << true << QStringList{"silent=1", "log=silence 2500 ms"};
    QTest::newRow("silence on") << "silence on" << true
                                << QStringList{"silent=1", "log=silence on"};
    QTest::newRow("set fields") << "set senspp=12 adr 3" << true
                                << QStringList{"senspp=12", "adr=3", "log=set adr 1 -> 3"};
    QTest::newRow("changed with hold")
        << "changed sensmp=20 hold=1" << true << QStringList{"state=4", "sensmp=20"};
    QTest::newRow("refuse codes") << "refuse 0,3" << true << QStringList{"log=refuse codes 0,3"};
    QTest::newRow("refuse all") << "refuse on" << true << QStringList{"log=refuse codes 0,1,2,3"};
    QTest::newRow("dis") << "dis 3" << true << QStringList{"dis=3", "log=dis 3"};
    QTest::newRow("low supply") << "lowsupply on" << true << QStringList{"log=low supply on"};
    QTest::newRow("noise") << "noise 0.25" << true << QStringList{"log=noise 0.25"};
    QTest::newRow("corrupt") << "corrupt 0.1" << true << QStringList{"log=corrupt 0.1"};
    QTest::newRow("sweep default") << "sweep" << true << QStringList{"log=sweep 10000 ms"};
    QTest::newRow("sweep off") << "sweep off" << true << QStringList{"log=sweep off"};
    QTest::newRow("rate") << "rate 250" << true << QStringList{"log=rate 250"};
    QTest::newRow("stream") << "stream on" << true << QStringList{"log=streaming on"};
    QTest::newRow("blank line") << "   " << true << QStringList{};
    QTest::newRow("help") << "help" << true << QStringList{"reply~alarm on|off", "reply~quit"};
    QTest::newRow("show") << "show" << true << QStringList{"reply~senspp=10", "reply~mode 0"};
    QTest::newRow("quit") << "quit" << true << QStringList{"quit"};

    QTest::newRow("unknown command")
        << "frobnicate" << false << QStringList{"reply~unknown command 'frobnicate'; type help"};
    QTest::newRow("on/off missing") << "alarm" << false << QStringList{"reply~usage: alarm on|off"};
    QTest::newRow("field out of range")
        << "set senspp=40" << false
        << QStringList{"reply~senspp must be 0..31, not 40", "senspp=10"};
    QTest::newRow("one bad field, none set")
        << "set adr=2 volume=3" << false << QStringList{"reply~unknown field 'volume'", "adr=1"};
    QTest::newRow("value not a number")
        << "set adr=two" << false << QStringList{"reply~adr needs a whole number, not 'two'"};
    QTest::newRow("no such condition") << "dis 4" << false << QStringList{"reply~usage: dis"};
    QTest::newRow("probability above 1")
        << "noise 2" << false << QStringList{"reply~usage: noise PROBABILITY"};
    QTest::newRow("no such command code")
        << "refuse 5" << false << QStringList{"reply~usage: refuse"};
    QTest::newRow("negative silence") << "silence -1" << false << QStringList{"silent=0"};
    QTest::newRow("nothing to unplug")
        << "unplug" << false << QStringList{"reply~no open pseudo-terminal to unplug"};
    QTest::newRow("replay without file")
        << "replay /nonexistent/session.log" << false
        << QStringList{"reply~cannot read /nonexistent/session.log"};
}

void SimConsoleTest::commands() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(QStringList, checks);

    DetectorSimulator sim(-1);
    SimConsole console(sim);
    const SimConsole::Reply reply = console.execute(line);
    QCOMPARE(reply.ok, ok);
    for (const QString& check : checks) {
        if (check == "quit") {
            QVERIFY(reply.quit);
        } else if (check.startsWith("reply~")) {
            QVERIFY2(reply.text.contains(check.mid(6)), qPrintable(reply.text));
        } else if (check.startsWith("log=")) {
            QVERIFY(!sim.eventLog().isEmpty());
            QCOMPARE(sim.eventLog().last(), check.mid(4));
        } else if (check.startsWith("state=")) {
            QCOMPARE(sim.state(), check.mid(6).toInt());
        } else if (check.startsWith("silent=")) {
            QCOMPARE(sim.isSilent(), check.mid(7) == "1");
        } else {
            const QStringList parts = check.split('=');
            QCOMPARE(sim.settings().field(parts[0]).value_or(-1), parts[1].toInt());
        }
    }
    if (!checks.contains("quit"))
        QVERIFY(!reply.quit);
}

void SimConsoleTest::changedWithoutFieldsMovesTheSensitivity() {
    DetectorSimulator sim(-1);
    SimConsole console(sim);
    QVERIFY(console.execute("changed").ok);
    QCOMPARE(sim.settings().senspp, 11);
    QCOMPARE(sim.state(), 4);
    QVERIFY(sim.eventLog().contains("changed at detector for 2000 ms: senspp 10 -> 11"));
}

void SimConsoleTest::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    // "field=value" on the settings, "start=<command>", "at=<ms>:<command>", "link=", ...
    QTest::addColumn<QStringList>("checks");

    QTest::newRow("defaults") << QStringList{}
                              << QStringList{"dev=4", "freq=1", "cs=1", "aver=341", "stream=1"};
    QTest::newRow("model") << QStringList{"--dev", "2", "--freq", "0", "--cs", "0", "--prog", "1"}
                           << QStringList{"dev=2", "freq=0", "cs=0", "prog=1"};
    QTest::newRow("every group")
        << QStringList{"--senspp", "31", "--sensmp",  "0",  "--sensbp",     "5",    "--dist", "2",
                       "--reg",    "3",  "--vel_min", "3",  "--pwr",        "1023", "--out",  "2",
                       "--letter", "3",  "--adr",     "15", "--ctrl_pp_mp", "1"}
        << QStringList{"senspp=31", "sensmp=0", "sensbp=5", "dist=2", "reg=3",       "vel_min=3",
                       "pwr=1023",  "out=2",    "letter=3", "adr=15", "ctrl_pp_mp=1"};
    QTest::newRow("position") << QStringList{"--position", "h10"}
                              << QStringList{"symbol=7", "number=10"};
    QTest::newRow("scenarios") << QStringList{"--alarm", "--refuse",  "0,3", "--line-noise",
                                              "0.1",     "--silence", "3",   "--corrupt",
                                              "0.05",    "--sweep",   "4"}
                               << QStringList{"start=alarm on",     "start=refuse 0,3",
                                              "start=silence 3",    "start=noise 0.1",
                                              "start=corrupt 0.05", "start=sweep 4"};
    QTest::newRow("refuse all") << QStringList{"--refuse", "all", "--fault", "--low-supply"}
                                << QStringList{"start=fault on", "start=lowsupply on",
                                               "start=refuse on"};
    QTest::newRow("timed") << QStringList{"--at", "5:alarm on", "--at", "7.5: alarm off"}
                           << QStringList{"at=5000:alarm on", "at=7500:alarm off"};
    QTest::newRow("stream") << QStringList{"--rate",     "250",
                                           "--saturate", "--signals-per-cycle-frame",
                                           "3",          "--no-stream"}
                            << QStringList{"rate=250", "saturate=1", "spacing=3", "stream=0"};
    QTest::newRow("files") << QStringList{"--link",         "/tmp/x/detector",
                                          "--log",          "sim.log",
                                          "--replay",       "s.log",
                                          "--replay-speed", "0",
                                          "--quiet"}
                           << QStringList{"link=/tmp/x/detector", "log=sim.log", "replay=s.log",
                                          "replaySpeed=0", "quiet=1"};
}

void SimConsoleTest::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, checks);

    SimOptions o;
    QString error;
    bool exitOk = true;
    QVERIFY2(parseSimCommandLine(QStringList{"detector-sim"} + args, o, &error, &exitOk),
             qPrintable(error));
    QStringList timed;
    for (const auto& t : o.timed)
        timed << QStringLiteral("%1:%2").arg(t.atMs).arg(t.command);

    for (const QString& check : checks) {
        const int eq = check.indexOf('=');
        const QString key = check.left(eq), value = check.mid(eq + 1);
        if (key == "start")
            QVERIFY2(o.startCommands.contains(value), qPrintable(o.startCommands.join('|')));
        else if (key == "at")
            QVERIFY2(timed.contains(value), qPrintable(timed.join('|')));
        else if (key == "stream")
            QCOMPARE(o.streamAtStart, value == "1");
        else if (key == "rate")
            QCOMPARE(o.settings.signalRate, value.toDouble());
        else if (key == "saturate")
            QCOMPARE(o.settings.saturate, value == "1");
        else if (key == "spacing")
            QCOMPARE(o.settings.signalsPerCycleFrame, value.toInt());
        else if (key == "link")
            QCOMPARE(o.linkPath, value);
        else if (key == "log")
            QCOMPARE(o.logFile, value);
        else if (key == "replay")
            QCOMPARE(o.replayFile, value);
        else if (key == "replaySpeed")
            QCOMPARE(o.replaySpeed, value.toDouble());
        else if (key == "quiet")
            QCOMPARE(o.quiet, value == "1");
        else
            QCOMPARE(o.settings.field(key).value_or(-1), value.toInt());
    }
}

void SimConsoleTest::commandLineScenariosSpeakTheConsoleLanguage() {
    SimOptions o;
    QString error;
    bool exitOk = false;
    QVERIFY(parseSimCommandLine({"detector-sim", "--alarm", "--fault", "--low-supply", "--refuse",
                                 "all", "--silence", "1.5", "--line-noise", "0.2", "--corrupt",
                                 "0.1", "--sweep", "6", "--at", "1:dis 2"},
                                o, &error, &exitOk));
    DetectorSimulator sim(-1);
    SimConsole console(sim);
    for (const QString& command : o.startCommands + QStringList{o.timed.first().command}) {
        const SimConsole::Reply reply = console.execute(command);
        QVERIFY2(reply.ok, qPrintable(command + ": " + reply.text));
    }
    QCOMPARE(sim.state(), 3);
    QVERIFY(sim.isSilent());
    QCOMPARE(sim.settings().dis, 2);
}

void SimConsoleTest::badCommandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("field too wide")
        << QStringList{"--senspp", "40"} << "senspp must be 0..31, not 40";
    QTest::newRow("field not a number")
        << QStringList{"--dev", "x"} << "--dev needs a whole number, not 'x'";
    QTest::newRow("position letter")
        << QStringList{"--position", "Z9"}
        << "--position needs a letter A..P and a number 0..127, e.g. C15";
    QTest::newRow("position number")
        << QStringList{"--position", "C128"}
        << "--position needs a letter A..P and a number 0..127, e.g. C15";
    QTest::newRow("timed without time")
        << QStringList{"--at", "alarm on"}
        << "--at needs SECONDS:COMMAND, e.g. \"5:alarm on\", not 'alarm on'";
    QTest::newRow("rate zero") << QStringList{"--rate", "0"}
                               << "--rate must be 1..1440 frames per second";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << "Unknown option 'bogus'.";
    QTest::newRow("stray argument") << QStringList{"COM3"} << "unexpected argument 'COM3'";
}

void SimConsoleTest::badCommandLines() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    SimOptions o;
    QString error;
    bool exitOk = true;
    QVERIFY(!parseSimCommandLine(QStringList{"detector-sim"} + args, o, &error, &exitOk));
    QVERIFY(!exitOk);
    QCOMPARE(error, message);
}

QTEST_GUILESS_MAIN(SimConsoleTest)
#include "tst_sim_console.moc"
