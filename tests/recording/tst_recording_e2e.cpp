// An alarm recording made by the program as it runs: the real main window with the pages the
// program installs into it (the Range page with its settings strip, oscillogram and recording
// box), its port and poll cycle, against the detector simulator on a pseudo-terminal.

#include "RecordingRig.h"

#include "DetectorSimulator.h"
#include "SimPseudoTerminal.h"

#include "app/Main.h"
#include "app/WindowPages.h"
#include "charts/RangeOscillogram.h"
#include "common/Clock.h"
#include "connection/PollCycle.h"
#include "pages/PropertiesLogic.h"
#include "protocol/Telemetry.h"
#include "recording/RecordingBox.h"

#include <QApplication>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int PortNumber = 7;

// A working folder whose settings file maps COM7 to the simulator's terminal and plots 20 points
// a second, so that the oscillogram's condition events follow the detector closely; the window
// on the system clock, with the program's own pages, as the program entry builds it.
struct Rig {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    SimPseudoTerminal pty;
    std::unique_ptr<DetectorSimulator> sim;
    std::unique_ptr<TfmMain> window;
    WindowPages* pages = nullptr;
    QStringList problems;
    bool ready = false;

    Rig() {
        QString error;
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("dev"));
        QDir(dir.path()).mkpath(QStringLiteral("sys"));
        const QString link = dir.filePath(QStringLiteral("detector"));
        ready = pty.open(&error) && pty.setLink(link, &error);
        if (!ready)
            qWarning("%s", qPrintable(error));
        QFile ini(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[Ports]\nCOM%1=%2\n[Filter]\nSelect=%3\n")
                      .arg(PortNumber)
                      .arg(link)
                      .arg(SelectFilterItems().indexOf(QStringLiteral("20")))
                      .toUtf8());
        ini.close();
        SimSettings settings;
        // Few cycle frames between the signals: a change of the level shows in the signal
        // for a while before the next Average message reports it.
        settings.signalsPerCycleFrame = 6;
        sim = std::make_unique<DetectorSimulator>(pty.masterFd(), settings);
        sim->setPseudoTerminal(&pty);
    }
    ~Rig() {
        window.reset();
        sim.reset();
        QDir::setCurrent(oldDir);
    }

    TfmMain& start() {
        TfmMain::Setup setup;
        setup.clock = &SystemClock::instance();
        setup.portRoots.dev = dir.filePath(QStringLiteral("dev"));
        setup.portRoots.sysClassTty = dir.filePath(QStringLiteral("sys"));
        window = std::make_unique<TfmMain>(setup);
        pages = new WindowPages(*window);
        // Problems are collected instead of shown in a modal box the test could not answer.
        box().setProblemReporter([this](const QString& message) { problems << message; });
        window->show();
        window->activateWindow();
        sim->start();
        return *window;
    }

    RecordingBox& box() { return *pages->recordingBox(); }
    AlarmRecorder& recorder() { return box().recorder(); }
    const ConditionState& conditions() { return pages->oscillogram().conditions(); }
    unsigned reportedState() { return window->pollCycle().telemetry().state(); }
    QStringList labels() {
        QStringList labels;
        for (const QString& name : recorder().RecordingIndex())
            if (name.endsWith(QStringLiteral(".png")))
                labels << name.mid(24).chopped(4); // after "yyyy-MM-dd hh'mm'ss.zzz "
        return labels;
    }
    bool recorded(const QString& label) { return labels().contains(label); }

    // The engineer picks an item of a list of the settings strip.
    bool choose(const char* name, const QString& item) {
        auto* list = window->findChild<QComboBox*>(QLatin1String(name));
        const int index = list ? list->findText(item) : -1;
        if (index < 0)
            return false;
        list->setCurrentIndex(index);
        emit list->activated(index);
        return true;
    }
};

} // namespace

class RecordingEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordingThroughEveryKindOfEvent();
};

void RecordingEndToEndTest::recordingThroughEveryKindOfEvent() {
    Rig rig;
    QVERIFY(rig.ready);
    TfmMain& w = rig.start();
    QVERIFY(!rig.box().isVisible()); // hidden until the Range page shows
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }, 5000));
    QTRY_VERIFY_WITH_TIMEOUT(w.connected() && w.shortcutsActive(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.activePage(), DisplayPage::Range, 5000);
    QVERIFY(rig.box().isVisible());
    QVERIFY(w.isAncestorOf(&rig.box()));

    // F6 on the Range page switches the recording on.
    QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(rig.box().IsRecording());
    QVERIFY(rig.recorder().isRecording());
    const QString folder = rig.recorder().RecordingFolder();
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(rig.labels(), QStringList{QStringLiteral("Начало записи")});

    // An alarm, its end.
    rig.sim->setAlarm(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Тревога 1"), 5000);
    QCOMPARE(rig.box().numberLabel()->text(), QStringLiteral("1"));
    rig.sim->setAlarm(false);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Норма"), 5000);

    // A fault, and its end, which records nothing.
    rig.sim->setFault(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Неисправность"), 5000);
    rig.sim->setFault(false);
    QTRY_COMPARE_WITH_TIMEOUT(rig.reportedState(), unsigned(ModeNormal), 5000);

    // The level jumps by 40 %: until the detector's next Average message reports the new level
    // the signal is far above ПП; when it does, the excess ends and is counted. The way back
    // down goes in two steps that stay inside МП.
    for (int attempt = 0; attempt < 6 && rig.conditions().PpExcessCount == 0; ++attempt) {
        for (int aver : {480, 400, 341}) {
            QVERIFY(rig.sim->setField(QStringLiteral("aver"), aver));
            QTRY_COMPARE_WITH_TIMEOUT(w.pollCycle().telemetry().aver(), unsigned(aver), 5000);
            QTest::qWait(200);
        }
    }
    QVERIFY(rig.conditions().PpExcessCount > 0);
    QVERIFY(rig.recorded("Превышение ПП 1"));

    // Apply on the Range page leaves commands to send: a settings change of the page. (It also
    // sends the page's thresholds, those of automatic regulation, which the excess above must
    // not have yet.)
    QTRY_VERIFY_WITH_TIMEOUT(!w.commands().HasPendingCommands(), 5000);
    QVERIFY(rig.choose("cbNewMaxSpeed", QStringLiteral("10")));
    QTest::keyClick(&w, Qt::Key_F5);
    QVERIFY(rig.recorded("Настройки изменены"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.commands().HasPendingCommands(), 5000);

    // Settings changed with the detector's own controls.
    SimSettings changed = rig.sim->settings();
    changed.senspp = 12;
    rig.sim->changeAtDetector(changed, 1000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Изменились настройки"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.reportedState(), unsigned(ModeNormal), 5000);

    // A pause: the detector is silent for 3 s and comes back.
    rig.sim->silenceFor(3000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Pause"), 6000);
    QTRY_COMPARE_WITH_TIMEOUT(w.deviceState(), EDevWork, 6000);

    // A loss: silent until the link is given up, then back and identified again.
    rig.sim->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Потеря связи"), 12000);
    QCOMPARE(w.activePage(), DisplayPage::About);
    QVERIFY(!rig.box().isVisible());  // the box goes with its page ...
    QVERIFY(rig.box().IsRecording()); // ... the recording goes on without the link
    rig.sim->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(w.activePage(), DisplayPage::Range, 10000);
    QVERIFY(rig.box().isVisible());
    // The identified detector's condition is announced again: "Норма" at the next point of the
    // oscillogram, or "Юстировка" if an Average message comes first.
    QTRY_VERIFY_WITH_TIMEOUT(rig.labels().last() == QStringLiteral("Норма") ||
                                 rig.labels().last() == QStringLiteral("Юстировка"),
                             5000);

    // Closing the window stops the recording with its summary; the box stays ticked.
    const int snapshotsBeforeClose = int(rig.labels().size());
    QVERIFY(w.close());
    QVERIFY(!rig.recorder().isRecording());
    QVERIFY(rig.box().IsRecording());
    QCOMPARE(rig.recorder().pendingSnapshots(), 0);
    QVERIFY2(rig.problems.isEmpty(), qPrintable(rig.problems.join('\n')));

    // Every file of the summary is in the folder, and nothing else is.
    const QStringList summary = decode1251(readBytes(rig.recorder().summaryPath()))
                                    .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY(summary.size() > 8);
    const QStringList files = summary.mid(0, summary.size() - 8);
    QCOMPARE(files.size(), snapshotsBeforeClose + 1);
    QVERIFY(files.first().endsWith(QStringLiteral(" Начало записи.png")));
    QVERIFY(files.last().endsWith(QStringLiteral(" Остановка записи.png")));
    QStringList onDisk = filesIn(folder, QStringLiteral("*.png"));
    QStringList listed = files;
    onDisk.sort();
    listed.sort();
    QCOMPARE(onDisk, listed);
    QCOMPARE(filesIn(folder, QStringLiteral("*.txt")),
             QStringList{QFileInfo(rig.recorder().summaryPath()).fileName()});

    // Each is a PNG of the whole window.
    const QSize windowPixels = w.size() * w.devicePixelRatioF();
    for (const QString& name : files) {
        QImageReader reader(folder + QLatin1Char('/') + name);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(name + ": " + reader.errorString()));
        QCOMPARE(image.size(), windowPixels);
    }

    // The counts agree with the snapshots.
    const QStringList labels = rig.labels();
    auto countOf = [&](const QString& prefix) {
        return int(std::count_if(labels.cbegin(), labels.cend(),
                                 [&](const QString& l) { return l.startsWith(prefix); }));
    };
    const QStringList counters = summary.mid(files.size());
    QCOMPARE(counters, (QStringList{
                           QStringLiteral("Тревог: 1"),
                           QStringLiteral("Превышений ПП: %1").arg(countOf("Превышение ПП ")),
                           QStringLiteral("Превышений МП: %1").arg(countOf("Превышение МП ")),
                           QStringLiteral("Смен настроек с датчика: 2"),
                           QStringLiteral("Юстировок: %1").arg(countOf("Юстировка")),
                           QStringLiteral("Пауз: 2"),
                           QStringLiteral("Разрывов связи: 1"),
                           QStringLiteral("Неисправностей: 1"),
                       }));
    QCOMPARE(countOf("Тревога "), 1);
    QCOMPARE(countOf("Неисправность"), 1);
    QCOMPARE(countOf("Pause"), 2);
    QCOMPARE(countOf("Изменились настройки"), 1);
    QCOMPARE(countOf("Настройки изменены"), 1);
}

QTEST_MAIN(RecordingEndToEndTest)
#include "tst_recording_e2e.moc"
