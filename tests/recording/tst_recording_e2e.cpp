// An alarm recording made by the real main window, its port and poll cycle, the Range
// oscillogram with its threshold analysis and the recording box, against the detector simulator
// on a pseudo-terminal. The Range page is put together here the way the window's Range page
// joins its chart and recording box; everything else is the program's own.

#include "RecordingRig.h"

#include "DetectorSimulator.h"
#include "SimPseudoTerminal.h"

#include "app/Main.h"
#include "charts/OscillogramControls.h"
#include "charts/RangeChartView.h"
#include "charts/RangeOscillogram.h"
#include "charts/SignalDisplays.h"
#include "charts/TuneUpPage.h"
#include "connection/PollCycle.h"
#include "protocol/Telemetry.h"
#include "recording/RecordingBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int PortNumber = 7;

// The window's side of the displays: its active page and hint line, the recording box's state
// and alarm number, snapshots through the box.
struct RangeHost : SignalDisplayHost {
    TfmMain* window = nullptr;
    RecordingBox* box = nullptr;

    DisplayPage ActivePage() const override { return window->activePage(); }
    RangeSettings CurrentRangeSettings() const override {
        RangeSettings settings;
        settings.recording = box->IsRecording();
        settings.chosenRate = 20;
        settings.regulationIndex = 0;
        return settings;
    }
    void SetNote(int index) override { window->SetNote(index); }
    void RecordEvent(const QString& label) override { box->RecordEvent(label); }
    QString AlarmNumberCaption() const override { return box->AlarmNumberCaption(); }
    void SetAlarmNumberCaption(const QString& caption) override {
        box->SetAlarmNumberCaption(caption);
    }
};

// The Range page: the oscillogram and the recording box, which is shown only with the page.
struct RangePage : RangePart {
    RangeOscillogram* oscillogram = nullptr;
    RecordingBox* box = nullptr;

    void tsRangeShow() override {
        box->show();
        oscillogram->TouchLastPlotTime();
        oscillogram->UpdateRangeChart();
        oscillogram->AutoYScale();
        oscillogram->RecalcMaxPointsPerPage();
    }
    void tsRangeHide() override { box->hide(); }
    void UpdateRangeChart() override { oscillogram->UpdateRangeChart(); }
    bool btnClearTrvRangeEnabled() const override { return box->btnClearTrvRangeEnabled(); }
    void btnClearTrvRangeClick() override { box->btnClearTrvRangeClick(); }
    bool IsRecording() const override { return box->IsRecording(); }
    void ToggleRecording() override { box->ToggleRecording(); }
    void StopRecording() override { box->StopRecording(); }
    void RecordLinkEvent(LinkEvent event) override { box->RecordLinkEvent(event); }
};

// A working folder whose settings file maps COM7 to the simulator's terminal; the window on the
// system clock, as the program runs.
struct Rig {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    SimPseudoTerminal pty;
    std::unique_ptr<DetectorSimulator> sim;
    RangeHost host;
    RangePage page;
    std::unique_ptr<TfmMain> window;
    std::unique_ptr<SignalDisplays> displays;
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
        ini.write(QStringLiteral("[Ports]\nCOM%1=%2\n").arg(PortNumber).arg(link).toUtf8());
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
        displays.reset();
        sim.reset();
        QDir::setCurrent(oldDir);
    }

    TfmMain& start() {
        TfmMain::Setup setup;
        setup.portRoots.dev = dir.filePath(QStringLiteral("dev"));
        setup.portRoots.sysClassTty = dir.filePath(QStringLiteral("sys"));
        window = std::make_unique<TfmMain>(setup);
        TfmMain& w = *window;
        host.window = &w;
        // The box first: the oscillogram asks the host for the recording state at once.
        auto* content = new QWidget;
        auto* box = new RecordingBox(w.clock(), &w.eventLog(), content);
        box->setProblemReporter([this](const QString& message) { problems << message; });
        box->hide();
        host.box = box;
        displays = std::make_unique<SignalDisplays>(w.pollCycle(), w.scaleTables(), w.clock(),
                                                    &w.eventLog(), host);
        auto* layout = new QHBoxLayout(content);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(displays->range().chRange(), 1);
        layout->addWidget(box);
        page.box = box;
        page.oscillogram = &displays->range();
        box->recorder().setPollCycle(&w.pollCycle());
        box->recorder().setConditionAnalysis(&displays->range().model().analysis());
        w.installTuneUpPage(displays->tuneUp(), displays->tuneUp());
        w.installRangePage(content, &page);
        w.installOscillogramControls(displays->range().oscillogramControls(), &displays->range());
        w.resize(820, 455);
        w.show();
        w.activateWindow();
        sim->start();
        return w;
    }

    RecordingBox& box() { return *host.box; }
    AlarmRecorder& recorder() { return host.box->recorder(); }
    const ConditionState& conditions() { return displays->range().conditions(); }
    unsigned reportedState() { return window->pollCycle().telemetry().state(); }
    QStringList labels() {
        QStringList labels;
        for (const QString& name : recorder().RecordingIndex())
            if (name.endsWith(".png"))
                labels << name.mid(24).chopped(4);
        return labels;
    }
    bool recorded(const QString& label) { return labels().contains(label); }

    QStringList problems;
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
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }, 5000));
    QTRY_VERIFY_WITH_TIMEOUT(w.connected() && w.shortcutsActive(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.activePage(), DisplayPage::Range, 5000);
    QVERIFY(rig.box().isVisible());

    // F6 on the Range page switches the recording on.
    QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(rig.box().IsRecording());
    QVERIFY(rig.recorder().isRecording());
    const QString folder = rig.recorder().RecordingFolder();
    QVERIFY(QFileInfo(folder).isDir());

    // An alarm, its end.
    rig.sim->setAlarm(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorded("Тревога 1"), 5000);
    QCOMPARE(rig.box().numberLabel()->text(), "1");
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
    QVERIFY(rig.box().IsRecording()); // recording goes on without the link and its page
    rig.sim->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(w.activePage(), DisplayPage::Range, 10000);
    // The identified detector's condition is announced again: "Норма" at the next point of the
    // oscillogram, or "Юстировка" if an Average message comes first.
    QTRY_VERIFY_WITH_TIMEOUT(rig.labels().last() == "Норма" || rig.labels().last() == "Юстировка",
                             5000);

    // Closing the window stops the recording with its summary.
    const int snapshotsBeforeClose = int(rig.labels().size());
    w.close();
    QVERIFY(!rig.recorder().isRecording());
    QVERIFY(rig.box().IsRecording());
    QVERIFY2(rig.problems.isEmpty(), qPrintable(rig.problems.join('\n')));

    // Every file of the summary is in the folder, and nothing else is.
    const QStringList summary = decode1251(readBytes(rig.recorder().summaryPath()))
                                    .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QStringList files = summary.mid(0, summary.size() - 8);
    QCOMPARE(files.size(), snapshotsBeforeClose + 1);
    QVERIFY(files.first().endsWith(" Начало записи.png"));
    QVERIFY(files.last().endsWith(" Остановка записи.png"));
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
                           QStringLiteral("Смен настроек с датчика: 1"),
                           QStringLiteral("Юстировок: %1").arg(countOf("Юстировка")),
                           QStringLiteral("Пауз: 2"),
                           QStringLiteral("Разрывов связи: 1"),
                           QStringLiteral("Неисправностей: 1"),
                       }));
    QCOMPARE(countOf("Тревога "), 1);
    QCOMPARE(countOf("Неисправность"), 1);
    QCOMPARE(countOf("Pause"), 2);
}

QTEST_MAIN(RecordingEndToEndTest)
#include "tst_recording_e2e.moc"
