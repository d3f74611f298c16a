// The real main window with its real port against the detector simulator on a pseudo-terminal,
// both on the test's event loop.

#include "SimulatedDetector.h"

#include "app/Main.h"
#include "app/WindowPages.h"
#include "common/Clock.h"
#include "protocol/CommandSlots.h"
#include "serial/SerialGate.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

constexpr int PortNumber = 7;

// A working folder whose settings file maps COM7 to a link to the simulator's terminal and
// remembers it as the last port; no other serial device is listed.
struct SimulatorRig : SimulatedDetector {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    std::unique_ptr<TfmMain> window;

    SimulatorRig() {
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("dev"));
        QDir(dir.path()).mkpath(QStringLiteral("sys"));
        const QString link = dir.filePath(QStringLiteral("detector"));
        linkAs(link);
        QFile ini(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[Ports]\nCOM%1=%2\n").arg(PortNumber).arg(link).toUtf8());
        ini.close();
    }
    ~SimulatorRig() {
        window.reset();
        sim.reset();
        QDir::setCurrent(oldDir);
    }

    // With `pages`, the window gets the program's own pages, as the program entry gives them.
    TfmMain& start(const Clock* clock, bool pages = false) {
        TfmMain::Setup setup;
        setup.clock = clock;
        setup.portRoots.dev = dir.filePath(QStringLiteral("dev"));
        setup.portRoots.sysClassTty = dir.filePath(QStringLiteral("sys"));
        window = std::make_unique<TfmMain>(setup);
        if (pages)
            new WindowPages(*window);
        window->show();
        sim->start();
        return *window;
    }

    QString text(const char* name) const {
        return window->findChild<QLabel*>(QLatin1String(name))->text();
    }
    int visibleTabs() const {
        auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("pcMain"));
        int count = 0;
        for (int i = 0; i < tabs->count(); ++i)
            count += tabs->isTabVisible(i) ? 1 : 0;
        return count;
    }
    QByteArray settings() const {
        QFile file(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
};

} // namespace

class WindowEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identifiesAndFillsPanel();
    void silentDetectorReturnsToNoLink();
    void unpluggedTerminalIsFoundAgain();
    void programPagesAlignAndCloseToNormal();
    void rangePageShowsTheThresholdsReadably();
};

void WindowEndToEndTest::identifiesAndFillsPanel() {
    SimulatorRig rig;
    QVERIFY(rig.ready);
    ManualClock clock(1'765'440'000'000);
    TfmMain& w = rig.start(&clock);
    QCOMPARE(w.portNumber(), PortNumber);
    QVERIFY(w.portOpened());

    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);
    QCOMPARE(w.activePage(), TfmMain::Page::Range);
    QCOMPARE(rig.visibleTabs(), 3);
    QVERIFY(w.shortcutsActive());
    QVERIFY(rig.settings().contains("ComPort=7"));

    // The model appears with the cycle after the identifying one.
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lModel"), QStringLiteral("Ведрис-100"), 5000);
    QCOMPARE(rig.text("lProg"), QStringLiteral("1.3"));
    QCOMPARE(rig.text("lOutType"), QStringLiteral("Реле"));
    QCOMPARE(rig.text("lLetter"), QStringLiteral("1"));
    QCOMPARE(rig.text("lState"), QStringLiteral("Норма"));
    QCOMPARE(rig.text("lDist"), QStringLiteral("100  м"));
    QCOMPARE(rig.text("lRegul"), QStringLiteral("Авто."));
    QCOMPARE(rig.text("lSens"), QStringLiteral("54  %"));
    QCOMPARE(rig.text("lSpeed"), QStringLiteral("0.1...6  м/с"));
    QCOMPARE(rig.text("lPower"), QStringLiteral("15.5  В"));
    QVERIFY(rig.text("lAver").endsWith(QStringLiteral("  мВ")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lPosition"), QStringLiteral("C15"), 5000);
}

void WindowEndToEndTest::silentDetectorReturnsToNoLink() {
    SimulatorRig rig;
    QVERIFY(rig.ready);
    ManualClock clock(1'765'440'000'000);
    TfmMain& w = rig.start(&clock);
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);

    rig.sim->setSilent(true);
    QTest::qWait(100); // what was on the line is taken
    // The supervision wakes at the thresholds in real time; the clock has passed them by then.
    clock.advance(2600);
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lState"), QStringLiteral("Пауза"), 5000);
    QCOMPARE(w.deviceState(), EDevPause);
    clock.advance(3600);
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lState"), QStringLiteral("Нет связи"), 5000);
    QCOMPARE(rig.text("lModel"), QStringLiteral("---"));
    QCOMPARE(rig.visibleTabs(), 1);
    QCOMPARE(w.activePage(), TfmMain::Page::About);
    QCOMPARE(w.noteText(), QStringLiteral("Ожидание ответа извещателя ..."));
    QVERIFY(!w.shortcutsActive());

    // The detector speaks again: identified anew.
    rig.sim->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);
    QVERIFY(w.shortcutsActive());
}

// Real time: the terminal hangs up, the window goes through pause and loss, re-opens the port
// every 1.2 s and finds the detector when its terminal is back.
void WindowEndToEndTest::unpluggedTerminalIsFoundAgain() {
    SimulatorRig rig;
    QVERIFY(rig.ready);
    TfmMain& w = rig.start(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);

    QVERIFY(rig.sim->unplug());
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lState"), QStringLiteral("Нет связи"), 9000);
    QCOMPARE(rig.visibleTabs(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(w.noteText(),
                              QStringLiteral("Невозможно открыть выбранный COM-порт !!!"), 3000);
    QVERIFY(w.portProblem().contains(QStringLiteral("COM7")));

    QString error;
    QVERIFY2(rig.sim->replug(&error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 6000);
    QVERIFY(w.portProblem().isEmpty());
}

// The program's pages in the window: identification fills the Range page's lists, the
// alignment page puts the detector into alignment, and closing the window there brings it
// back to normal guarding before the port closes.
void WindowEndToEndTest::programPagesAlignAndCloseToNormal() {
    SimulatorRig rig;
    QVERIFY(rig.ready);
    ManualClock clock(1'765'440'000'000);
    TfmMain& w = rig.start(&clock, true);
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);
    auto* sens = w.findChild<QComboBox*>(QStringLiteral("cbRangeSens"));
    QVERIFY(sens);
    QCOMPARE(sens->count(), 33);
    QCOMPARE(sens->itemText(32), QStringLiteral("---"));

    w.setActivePage(TfmMain::Page::TuneUp);
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("lState"), QStringLiteral("Юстировка"), 5000);
    QCOMPARE(rig.sim->state(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(w.noteText(),
                              QStringLiteral("Выполните юстировку блоков извещателя."), 2000);
    QVERIFY(rig.text("lSignal") != QStringLiteral("---"));

    QVERIFY(w.close());
    QVERIFY(!w.commands().HasPendingCommands());
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim->state(), 0, 2000);
}

void WindowEndToEndTest::rangePageShowsTheThresholdsReadably() {
    SimulatorRig rig;
    QVERIFY(rig.ready);
    TfmMain& w = rig.start(&SystemClock::instance(), true);
    w.resize(w.minimumSize());
    QTRY_VERIFY_WITH_TIMEOUT(w.connected(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(w.activePage(), TfmMain::Page::Range, 5000);
    // Automatic regulation at 100 m on the second band: code 23 for all three thresholds,
    // each list as wide as its widest item at the window's smallest size.
    const QList<std::pair<const char*, const char*>> expected{
        {"cbRangePP", "47"}, {"cbRangeMP", "47"}, {"cbRangeBP", "59"}};
    for (const auto& [name, text] : expected) {
        auto* list = w.findChild<QComboBox*>(QLatin1String(name));
        QVERIFY(list);
        QTRY_COMPARE_WITH_TIMEOUT(list->currentText(), QString::fromLatin1(text), 3000);
        QVERIFY2(list->width() >= list->sizeHint().width(),
                 qPrintable(QStringLiteral("%1: %2 px of %3")
                                .arg(name)
                                .arg(list->width())
                                .arg(list->sizeHint().width())));
    }
}

QTEST_MAIN(WindowEndToEndTest)
#include "tst_window_e2e.moc"
