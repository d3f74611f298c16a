#include "DetectorFrames.h"
#include "WindowRig.h"

#include "app/AccessCodes.h"
#include "app/ErrorBox.h"
#include "app/Password.h"
#include "connection/PollCycle.h"
#include "protocol/CommandSlots.h"

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using Page = TfmMain::Page;

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void startUpLook();
    void noShortcutBeforeIdentification();
    void identificationAtLevelOne();
    void functionKeysAfterIdentification();
    void developerCodeAddsPropertiesPage();
    void wrongCodeKeepsDialogOpen();
    void linkLossSuspendsShortcuts();
    void alignmentModeSwitchesPages();
    void alignmentBeforeIdentificationHasNoTab();
    void panelAfterCycles_data();
    void panelAfterCycles();
    void panelEdgeCases();
    void identificationSurvivesBadThresholdCell();
    void hintLine();
    void portListShowsPathAndReason();
    void errorInTickShowsErrorBox();
    void closeInNormalModeIsImmediate();
    void closeInAlignmentWaitsForCommand();
    void closeWaitEndsAfterTenSeconds();

private:
    std::unique_ptr<WindowRig> rig;
};

void MainWindowTest::init() {
    rig = std::make_unique<WindowRig>();
}

void MainWindowTest::cleanup() {
    rig.reset();
    SetErrorBoxHandler({});
    QLocale::setDefault(QLocale::c());
}

void MainWindowTest::startUpLook() {
    TfmMain& w = rig->start();
    QCOMPARE(w.windowTitle(),
             QStringLiteral("Программа настройки радиоволновых извещателей 1.56.0.0"));
    QVERIFY(w.minimumSize() == QSize(820, 455));
    QCOMPARE(rig->widget("pLeft")->maximumWidth(), 153);
    QCOMPARE(rig->widget("gbInfo")->maximumHeight(), 272);
    QCOMPARE(rig->widget("pNote")->maximumHeight(), 23);
    QCOMPARE(rig->label("lState")->maximumSize(), QSize(85, 15));
    QCOMPARE(rig->visibleTabs(), QStringList{QStringLiteral("О нас <F1>")});
    QCOMPARE(w.activePage(), Page::About);
    for (const char* name : {"lModel", "lProg", "lOutType", "lLetter", "lDist", "lRegul", "lSens",
                             "lSpeed", "lAver", "lPower"})
        QCOMPARE(rig->text(name), QStringLiteral("---"));
    QCOMPARE(rig->text("lState"), QStringLiteral("Нет связи"));
    QCOMPARE(rig->label("lState")->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x00));
    QVERIFY(rig->label("lPosition")->isHidden());
    QVERIFY(rig->label("lAddress")->isHidden());
    QCOMPARE(rig->text("Label48"), QStringLiteral("Подключение... <F4>"));
    // The remembered COM5 is configured but missing: the open fails.
    QCOMPARE(w.noteIndex(), 5);
    QCOMPARE(w.noteText(), QStringLiteral("Невозможно открыть выбранный COM-порт !!!"));
    QVERIFY(!w.shortcutsActive());
    QVERIFY(rig->widget("gbOscillogram")->isHidden());
}

void MainWindowTest::noShortcutBeforeIdentification() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    const int note = w.noteIndex();
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_F1), QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_F3),
          QKeySequence(Qt::Key_F5), QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_F9),
          QKeySequence(Qt::Key_F10), QKeySequence(Qt::CTRL | Qt::Key_Z),
          QKeySequence(Qt::CTRL | Qt::Key_A)}) {
        QTest::keySequence(&w, key);
        QCOMPARE(w.activePage(), Page::About);
        QCOMPARE(w.noteIndex(), note);
    }
    QVERIFY(rig->oscillogram.calls.isEmpty());
}

void MainWindowTest::identificationAtLevelOne() {
    TfmMain& w = rig->start();
    rig->feed(telemetryCycle(DetectorReport{}));
    QCOMPARE(w.deviceState(), EDevDetect);
    QCOMPARE(rig->visibleTabs(),
             (QStringList{QStringLiteral("О нас <F1>"), QStringLiteral("Юстировка <F2>"),
                          QStringLiteral("Настройки <F3>")}));
    QCOMPARE(w.activePage(), Page::Range);
    QVERIFY(w.shortcutsActive());
    QVERIFY(!rig->widget("gbOscillogram")->isHidden());
    QCOMPARE(rig->range.lists.sensitivity.size(), 33);
    // The detector's port is remembered.
    QVERIFY(rig->settingsText().contains("ComPort=5"));
    // Automatic regulation is not requested for a detector in manual mode.
    QVERIFY(!w.commands().HasPendingCommands());
}

void MainWindowTest::functionKeysAfterIdentification() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    rig->feed(telemetryCycle(DetectorReport{}));

    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(w.activePage(), Page::TuneUp);
    QVERIFY(rig->tuneUp.calls.contains(QStringLiteral("show")));
    QTest::keyClick(&w, Qt::Key_F8);
    QVERIFY(rig->tuneUp.calls.contains(QStringLiteral("clear")));

    QTest::keyClick(&w, Qt::Key_F9); // level 1: nothing
    QCOMPARE(w.activePage(), Page::TuneUp);

    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.activePage(), Page::Range);
    QVERIFY(rig->tuneUp.calls.contains(QStringLiteral("hide")));
    QVERIFY(!rig->widget("gbOscillogram")->isHidden());
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F8); // the recording's reset button is disabled
    QCOMPARE(rig->range.calls.count(QStringLiteral("apply")), 1);
    QCOMPARE(rig->range.calls.count(QStringLiteral("toggleRecording")), 1);
    QCOMPARE(rig->range.calls.count(QStringLiteral("clearRecording")), 0);
    rig->range.clearEnabled = true;
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(rig->range.calls.count(QStringLiteral("clearRecording")), 1);

    for (const auto& [key, call] : {std::pair{QKeySequence(Qt::Key_F7), "play"},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_Z), "autoY"},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_Q), "slower"},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_W), "faster"},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_A), "up"},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_S), "down"}}) {
        QTest::keySequence(&w, key);
        QCOMPARE(rig->oscillogram.calls.last(), QString::fromLatin1(call));
    }

    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(w.activePage(), Page::About);
    QCOMPARE(w.noteText(), QStringLiteral("Выберете режим 'Юстировка' или 'Настройка'."));
    QVERIFY(rig->widget("gbOscillogram")->isHidden());
    // About shown by a tab click while connected: an empty hint.
    w.setActivePage(Page::Range);
    rig->clickTab(QStringLiteral("О нас <F1>"));
    QCOMPARE(w.activePage(), Page::About);
    QCOMPARE(w.noteIndex(), 0);
    QCOMPARE(w.noteText(), QString());
}

void MainWindowTest::developerCodeAddsPropertiesPage() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    rig->feed(telemetryCycle(DetectorReport{}));
    const QString result = rig->answerPasswordDialog(QString::fromLatin1(access_codes::Developer));
    QCOMPARE(result, QString());
    QCOMPARE(w.accessLevel(), 2);
    QVERIFY(w.windowTitle().endsWith(QStringLiteral(" : Допуск разработчика")));
    QCOMPARE(rig->visibleTabs().last(), QStringLiteral("Свойства <F9>"));
    QCOMPARE(w.activePage(), Page::Params);
    QCOMPARE(rig->params.applyEnabled, true);

    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.activePage(), Page::Range);
    QTest::keyClick(&w, Qt::Key_F9);
    QCOMPARE(w.activePage(), Page::Params);
    QTest::keyClick(&w, Qt::Key_F5);
    QCOMPARE(rig->params.calls.count(QStringLiteral("apply")), 1);

    // Typing the code again keeps the title as it is.
    rig->answerPasswordDialog(QString::fromLatin1(access_codes::Developer));
    QCOMPARE(w.windowTitle(), w.baseTitle() + QStringLiteral(" : Допуск разработчика"));

    // The level survives a link loss; the tab comes back with the next detector.
    rig->silence(2600);
    rig->silence(3600);
    QCOMPARE(rig->visibleTabs(), QStringList{QStringLiteral("О нас <F1>")});
    QCOMPARE(rig->params.applyEnabled, false);
    rig->feed(telemetryCycle(DetectorReport{}));
    QCOMPARE(rig->visibleTabs().last(), QStringLiteral("Свойства <F9>"));
    // Identification itself ends on the Range page.
    QCOMPARE(w.activePage(), Page::Range);
}

void MainWindowTest::wrongCodeKeepsDialogOpen() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    rig->feed(telemetryCycle(DetectorReport{}));
    QTest::keyClick(&w, Qt::Key_F2);
    for (const QString& code :
         {QString(), QStringLiteral(" ") + QLatin1String(access_codes::Developer),
          QLatin1String(access_codes::Developer) + QStringLiteral(" "), QStringLiteral("000")}) {
        const QString message = rig->answerPasswordDialog(code);
        QCOMPARE(message, QStringLiteral("Ошибка: Неправильный пароль!!!"));
    }
    // Codes A and C close the dialog silently and change nothing.
    QCOMPARE(rig->answerPasswordDialog(QString::fromLatin1(access_codes::CodeA)), QString());
    QCOMPARE(rig->answerPasswordDialog(QString::fromLatin1(access_codes::CodeC)), QString());
    QCOMPARE(w.accessLevel(), 1);
    QCOMPARE(w.windowTitle(), w.baseTitle());
    // Whatever the result, the page rules ran: the Range page is active.
    QCOMPARE(w.activePage(), Page::Range);
    QVERIFY(!rig->visibleTabs().contains(QStringLiteral("Свойства <F9>")));
}

void MainWindowTest::linkLossSuspendsShortcuts() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    rig->feed(telemetryCycle(DetectorReport{}) + frameOf(DetectorReport{}, 1));
    QCOMPARE(w.deviceState(), EDevWork);

    rig->silence(2600);
    QCOMPARE(w.deviceState(), EDevPause);
    QCOMPARE(rig->text("lState"), QStringLiteral("Пауза"));
    QVERIFY(w.shortcutsActive());

    rig->silence(3600);
    QCOMPARE(w.deviceState(), EDevNone);
    QCOMPARE(rig->text("lState"), QStringLiteral("Нет связи"));
    QCOMPARE(rig->text("lModel"), QStringLiteral("---"));
    QCOMPARE(rig->visibleTabs(), QStringList{QStringLiteral("О нас <F1>")});
    QCOMPARE(w.activePage(), Page::About);
    QCOMPARE(w.noteText(), QStringLiteral("Ожидание ответа извещателя ..."));
    QVERIFY(!w.shortcutsActive());
    QVERIFY(rig->range.calls.contains(QStringLiteral("clearPosition")));
    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.activePage(), Page::About);

    // The next detector restores them.
    rig->feed(telemetryCycle(DetectorReport{}));
    QVERIFY(w.shortcutsActive());
    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(w.activePage(), Page::TuneUp);
}

void MainWindowTest::alignmentModeSwitchesPages() {
    TfmMain& w = rig->start();
    DetectorReport report;
    rig->feed(telemetryCycle(report));
    QCOMPARE(w.activePage(), Page::Range);

    report.state = 2; // the detector enters alignment
    rig->feed(frameOf(report, 2));
    QCOMPARE(w.activePage(), Page::TuneUp);
    QCOMPARE(rig->text("lState"), QStringLiteral("Юстировка"));
    rig->feed(frameOf(report, 5));
    QCOMPARE(rig->text("lAver"), QStringLiteral("---"));
    rig->feed(frameOf(report, 1));
    QCOMPARE(rig->tuneUp.calls.count(QStringLiteral("chart")), 1);

    report.state = 0; // ... and leaves it: readings reset, the Range page's show handler runs
    const int rangeShows = int(rig->range.calls.count(QStringLiteral("show")));
    rig->feed(frameOf(report, 2));
    QVERIFY(rig->tuneUp.calls.contains(QStringLiteral("leftAlignment")));
    QCOMPARE(rig->range.calls.count(QStringLiteral("show")), rangeShows + 1);
    QCOMPARE(w.activePage(), Page::TuneUp);

    // An alarm beginning on the Range page pauses "show before alarm" and redraws once.
    w.setActivePage(Page::Range);
    const int charts = int(rig->range.calls.count(QStringLiteral("chart")));
    report.state = 1;
    rig->feed(frameOf(report, 2));
    QVERIFY(rig->oscillogram.calls.contains(QStringLiteral("pauseAtAlarm")));
    QCOMPARE(rig->range.calls.count(QStringLiteral("chart")), charts + 1);
    QCOMPARE(w.noteText(), QStringLiteral("Тревога!"));
    rig->feed(frameOf(report, 5));
    QCOMPARE(rig->text("lAver"), QStringLiteral("---"));
}

void MainWindowTest::alignmentBeforeIdentificationHasNoTab() {
    TfmMain& w = rig->start();
    DetectorReport report;
    report.state = 2;
    rig->feed(frameOf(report, 2));
    QCOMPARE(w.activePage(), Page::TuneUp);
    QCOMPARE(rig->visibleTabs(), QStringList{QStringLiteral("О нас <F1>")});
    QCOMPARE(rig->findTyped<QTabWidget>("pcMain")->currentWidget(), rig->widget("tsTuneUp"));
    // Nobody completes a cycle: the port is tried again and the page control returns to "О нас".
    rig->silence(1300);
    QCOMPARE(w.activePage(), Page::About);
    QCOMPARE(rig->findTyped<QTabWidget>("pcMain")->currentWidget(), rig->widget("tsAbout"));
    QVERIFY(rig->tuneUp.calls.contains(QStringLiteral("hide")));
}

void MainWindowTest::panelAfterCycles_data() {
    QTest::addColumn<unsigned>("dev");
    QTest::addColumn<unsigned>("freq");
    QTest::addColumn<unsigned>("out");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("outType");
    QTest::addColumn<bool>("address");
    QTest::newRow("Ведрис-100, relay") << 4u << 1u << 0u << "Ведрис-100"
                                       << "Реле" << false;
    QTest::newRow("first band variant") << 7u << 0u << 2u << "Ведрис-300 (9)"
                                        << "Радиоканал" << false;
    QTest::newRow("OFDM output") << 0u << 0u << 1u << "KVRS 10"
                                 << "OFDM" << true;
    QTest::newRow("model 2 is OFDM") << 2u << 1u << 0u << "VTQ/M 24"
                                     << "OFDM" << true;
}

void MainWindowTest::panelAfterCycles() {
    QFETCH(unsigned, dev);
    QFETCH(unsigned, freq);
    QFETCH(unsigned, out);
    QFETCH(QString, model);
    QFETCH(QString, outType);
    QFETCH(bool, address);
    rig->start();
    DetectorReport report;
    report.dev = dev;
    report.freq = freq;
    report.out = out;
    report.adr = 9;
    rig->feed(telemetryCycle(report));
    // The identifying cycle leaves the model and the address for the next one.
    QCOMPARE(rig->text("lModel"), QStringLiteral("---"));
    QCOMPARE(rig->text("lOutType"), outType);
    QVERIFY(rig->label("lAddress")->isHidden());
    rig->feed(telemetryCycle(report));
    QCOMPARE(rig->text("lModel"), model);
    QCOMPARE(!rig->label("lAddress")->isHidden(), address);
    QCOMPARE(!rig->label("lAddressLabel")->isHidden(), address);
    QCOMPARE(rig->text("lAddress"), address ? QStringLiteral("9") : QString());
    QCOMPARE(rig->range.addressEditorVisible, address);
    QCOMPARE(rig->range.letterEditable, dev < 2);
}

void MainWindowTest::panelEdgeCases() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    rig->start();
    DetectorReport report;
    report.reg = 1;
    report.ctrl_pp_mp = 1;
    report.dist = 0;
    report.cs = 0;
    report.prog = 1;
    report.letter = 3;
    rig->feed(telemetryCycle(report));
    QCOMPARE(rig->text("lRegul"), QStringLiteral("Спец.2"));
    QCOMPARE(rig->text("lSens"), QStringLiteral("---"));
    QCOMPARE(rig->text("lDist"), QStringLiteral("0  м"));
    QCOMPARE(rig->text("lProg"), QStringLiteral("0.1"));
    QCOMPARE(rig->text("lLetter"), QStringLiteral("4"));
    QCOMPARE(rig->text("lSpeed"), QStringLiteral("0,4...10  м/с"));
    QCOMPARE(rig->text("lPower"), QStringLiteral("15,5  В"));
    QCOMPARE(rig->text("lAver"), QStringLiteral("4,444  мВ"));
    QCOMPARE(rig->range.lists.sensitivity.size(), 20);

    report.state = 5;
    rig->feed(frameOf(report, 2));
    QCOMPARE(rig->text("lState"), QStringLiteral("state5"));
    QCOMPARE(rig->label("lState")->palette().color(QPalette::Window),
             QApplication::palette().color(QPalette::Button));

    // The position designation appears with the first Position message and stays.
    report.symbol = 14;
    report.number = 7;
    rig->feed(frameOf(report, 0));
    QVERIFY(!rig->label("lPosition")->isHidden());
    QCOMPARE(rig->text("lPosition"), QStringLiteral("O07"));
    QCOMPARE(rig->range.calls.last(), QStringLiteral("position 14 7"));
}

void MainWindowTest::identificationSurvivesBadThresholdCell() {
    rig->enableLog();
    TfmMain& w = rig->start();
    w.scaleTables().setThresholdCell(ThresholdKind::BP, 3, QStringLiteral("abc"));
    DetectorReport report;
    report.reg = 3; // found in "Авто.3": switched to "Авто." by the identification
    rig->feed(telemetryCycle(report));
    QCOMPARE(rig->range.lists.bp.size(), 32);
    QCOMPARE(rig->range.lists.bp.at(3), QStringLiteral("28")); // (3 + 15) * 100 / 64 = 28.125
    QCOMPARE(rig->range.lists.sensitivity.last(), QStringLiteral("---"));
    QVERIFY(w.shortcutsActive());
    QCOMPARE(w.activePage(), Page::Range);
    QVERIFY(w.commands().HasPendingCommands());
    QVERIFY(rig->logText().contains("Threshold cell BP3 \"abc\" is not a number"));
}

void MainWindowTest::hintLine() {
    TfmMain& w = rig->start();
    QVERIFY(rig->showActive());
    auto* memo = rig->findTyped<QLineEdit>("memoNote");
    const auto colour = [memo] { return memo->palette().color(QPalette::Text); };
    w.SetNote(10);
    QCOMPARE(w.noteText(), QStringLiteral("Сигнал выше допустимого значения!"));
    QCOMPARE(colour(), QColor(255, 0, 0));
    QCOMPARE(memo->font().pixelSize(), 15);
    QVERIFY(memo->font().bold() && memo->font().italic());
    // Entry 18 has no colour of its own: the line keeps red.
    w.SetNote(18);
    QCOMPARE(w.noteText(), QString());
    QCOMPARE(colour(), QColor(255, 0, 0));
    w.SetNote(17);
    QCOMPARE(w.noteText(), QStringLiteral("Тревога!"));
    QCOMPARE(colour(), QColor(0, 0, 255));
    // The longest entry is set smaller so that it stays on one visible line.
    w.SetNote(12);
    QVERIFY(w.noteText().startsWith(QStringLiteral("Выберите длину участка.")));
    QVERIFY(memo->font().pixelSize() < 15);
    QVERIFY(QFontMetrics(memo->font()).horizontalAdvance(w.noteText()) <
            memo->contentsRect().width());
    w.SetNote(6);
    QCOMPARE(memo->font().pixelSize(), 15);
}

void MainWindowTest::portListShowsPathAndReason() {
    rig->addPort(3, rig->dir.filePath(QStringLiteral("ttyMissing3")));
    TfmMain& w = rig->start();
    auto* box = rig->findTyped<QComboBox>("cbComPort");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(0), QStringLiteral("COM3"));
    QCOMPARE(box->currentText(), QStringLiteral("COM5"));
    QVERIFY(box->itemData(1, Qt::ToolTipRole).toString().contains(rig->portPath(5)));
    QVERIFY(box->toolTip().contains(rig->portPath(5)));
    QCOMPARE(w.noteText(), QStringLiteral("Невозможно открыть выбранный COM-порт !!!"));
    QVERIFY(w.portProblem().contains(QStringLiteral("COM5")));
    QVERIFY(w.portProblem().contains(QStringLiteral("порт отсутствует")));
    QVERIFY(!rig->label("lPortProblem")->isHidden());

    // A port that appears is in the list the next time it drops down (F4 or a click).
    QDir(rig->dir.path()).mkpath(QStringLiteral("sys/ttyS3"));
    QFile(rig->dir.filePath(QStringLiteral("dev/ttyS3"))).open(QIODevice::WriteOnly);
    box->showPopup();
    box->hidePopup();
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(1), QStringLiteral("COM4"));
    QCOMPARE(box->currentText(), QStringLiteral("COM5"));
    QVERIFY(box->itemData(1, Qt::ToolTipRole).toString().endsWith(QStringLiteral("dev/ttyS3")));

    // Picking another entry drops the link, shows the waiting hint and refreshes.
    box->setCurrentIndex(0);
    emit box->activated(0);
    QCOMPARE(w.portNumber(), 3);
    QVERIFY(w.portProblem().contains(QStringLiteral("COM3")));
    // Any other hint takes the reason away.
    w.SetNote(4);
    QVERIFY(rig->label("lPortProblem")->isHidden());
}

void MainWindowTest::errorInTickShowsErrorBox() {
    QStringList shown;
    SetErrorBoxHandler([&](const QString& message) { shown << message; });
    TfmMain& w = rig->start();
    rig->range.throwOnShow = true;
    rig->feed(telemetryCycle(DetectorReport{}));
    QCOMPARE(shown, QStringList{QStringLiteral("page failed")});
    // The next tick runs as usual.
    rig->feed(frameOf(DetectorReport{}, 2));
    QCOMPARE(rig->text("lState"), QStringLiteral("Норма"));
    QVERIFY(w.connected());
}

void MainWindowTest::closeInNormalModeIsImmediate() {
    TfmMain& w = rig->start();
    rig->feed(telemetryCycle(DetectorReport{}));
    rig->channel.clearWritten();
    QVERIFY(w.close());
    QCOMPARE(w.noteIndex(), 0);
    QVERIFY(rig->channel.written().isEmpty());
    QCOMPARE(rig->clock.nowMs(), WindowRig::StartMs);
}

void MainWindowTest::closeInAlignmentWaitsForCommand() {
    TfmMain& w = rig->start();
    DetectorReport report;
    report.state = 2;
    rig->feed(telemetryCycle(report));
    rig->channel.clearWritten();
    // The detector keeps talking while the window waits; each arrival runs a tick.
    QTimer talk;
    connect(&talk, &QTimer::timeout, [&] { rig->feed(frameOf(report, 1)); });
    talk.start(2);
    QVERIFY(w.close());
    talk.stop();
    QVERIFY(!w.commands().HasPendingCommands());
    const CommandSlot& mode = w.commands().slot(CommandCode::Mode);
    QCOMPARE(mode.o_state(), 0u);
    // Three transmissions of the 3-byte frame.
    const QByteArray frame(reinterpret_cast<const char*>(mode.bytes.data()), 3);
    QCOMPARE(rig->channel.written(), frame + frame + frame);
    QCOMPARE(rig->clock.nowMs(), WindowRig::StartMs);
}

void MainWindowTest::closeWaitEndsAfterTenSeconds() {
    TfmMain& w = rig->start();
    DetectorReport report;
    report.state = 2;
    rig->feed(telemetryCycle(report));
    // No tick runs (the detector is gone): only the time limit ends the wait.
    QTimer time;
    connect(&time, &QTimer::timeout, [&] { rig->clock.advance(250); });
    time.start(1);
    const qint64 before = rig->clock.nowMs();
    QVERIFY(w.close());
    time.stop();
    const qint64 waited = rig->clock.nowMs() - before;
    QVERIFY2(waited > TfmMain::CloseWaitMs && waited <= TfmMain::CloseWaitMs + 250,
             qPrintable(QString::number(waited)));
    QVERIFY(w.commands().HasPendingCommands());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
