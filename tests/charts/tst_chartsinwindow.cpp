// The signal displays installed in the real main window: frames through its poll cycle,
// shortcuts through its action list, page changes through its handlers.
#include "DetectorFrames.h"
#include "WindowRig.h"
#include "charts/OscillogramControls.h"
#include "charts/RangeChartView.h"
#include "charts/RangeOscillogram.h"
#include "charts/SignalDisplays.h"
#include "charts/TuneUpPage.h"

#include <QGroupBox>
#include <QToolButton>
#include <QtTest>

namespace {

// The window's side of the displays: page and hint line from TfmMain, the other pages'
// choices as a test sets them.
struct WindowHost : SignalDisplayHost {
    TfmMain* window = nullptr;
    RangeSettings settings;
    QStringList events;
    QString caption = QStringLiteral("0");

    DisplayPage ActivePage() const override { return window->activePage(); }
    RangeSettings CurrentRangeSettings() const override { return settings; }
    void SetNote(int index) override { window->SetNote(index); }
    void RecordEvent(const QString& label) override { events << label; }
    QString AlarmNumberCaption() const override { return caption; }
    void SetAlarmNumberCaption(const QString& text) override { caption = text; }
};

// The Range page's chart steps (its settings strip and recording box are not part of this).
struct RangeChartPart : RangePart {
    RangeOscillogram* oscillogram = nullptr;
    void tsRangeShow() override {
        oscillogram->TouchLastPlotTime();
        oscillogram->UpdateRangeChart();
        oscillogram->AutoYScale();
        oscillogram->RecalcMaxPointsPerPage();
    }
    void UpdateRangeChart() override { oscillogram->UpdateRangeChart(); }
};

struct ChartWindowRig : WindowRig {
    WindowHost host;
    RangeChartPart rangePart;
    std::unique_ptr<SignalDisplays> displays;
    DetectorReport report;

    ChartWindowRig() {
        TfmMain& w = start();
        host.window = &w;
        displays = std::make_unique<SignalDisplays>(w.pollCycle(), w.scaleTables(), clock,
                                                    &w.eventLog(), host);
        rangePart.oscillogram = &displays->range();
        w.installTuneUpPage(displays->tuneUp(), displays->tuneUp());
        w.installRangePage(displays->range().chRange(), &rangePart);
        w.installOscillogramControls(displays->range().oscillogramControls(), &displays->range());
        w.resize(820, 455);
    }
    ~ChartWindowRig() {
        window.reset(); // the window's pages go first, then the displays behind them
        displays.reset();
    }

    RangeOscillogram& range() { return displays->range(); }
    const RangeChartModel& model() { return range().model(); }
    OscillogramControls* controls() { return range().oscillogramControls(); }

    void identify() {
        clock.advance(1000);
        feed(telemetryCycle(report) + frameOf(report, 1));
        QVERIFY(window->shortcutsActive());
    }
    void sendSignals(int count, unsigned sig) {
        report.sig = sig;
        for (int i = 0; i < count; ++i) {
            clock.advance(60);
            feed(frameOf(report, 1));
        }
    }
    void mode(unsigned state) {
        report.state = state;
        feed(frameOf(report, 2));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.get(), Qt::Key(key), modifiers);
    }
    QString yRange() {
        return QStringLiteral("[%1, %2]")
            .arg(model().scale().OscYMin())
            .arg(model().scale().OscYMax());
    }
};

} // namespace

class ChartsInWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oscillogramOnTheRangePage();
    void shortcutsReachTheOscillogram();
    void showBeforeAlarmStopsAtTheAlarm();
    void alignmentPage();
};

void ChartsInWindowTest::oscillogramOnTheRangePage() {
    ChartWindowRig rig;
    QVERIFY(rig.showActive());
    rig.identify();
    QCOMPARE(rig.window->activePage(), DisplayPage::Range);
    QVERIFY(rig.widget("gbOscillogram")->isVisible());
    QVERIFY(rig.controls()->isVisible());
    QCOMPARE(rig.model().scale().MaxPointsPerPage(), 304);
    // Fitted to the reported thresholds by the page's show: ПП 26.6 %, МП 28.1 %, БП 42.2 %.
    QCOMPARE(rig.yRange(), QStringLiteral("[-47, 30]"));

    rig.sendSignals(8, 451); // 32.3 %: ПП reached, the Y range grows
    RangeChartView* chart = rig.range().chRange();
    chart->flush();
    QCOMPARE(chart->graphOf(RangeSeries::Signal)->data()->size(), 8);
    QCOMPARE(chart->graphOf(RangeSeries::PPMax)->data()->size(), 8);
    QCOMPARE(chart->yAxis->range().upper, 34.0);
    QCOMPARE(rig.window->noteIndex(), 14);

    // On another page the oscillogram takes no points; back on the Range page its X axis goes
    // on without a gap.
    rig.key(Qt::Key_F1);
    rig.sendSignals(3, 451);
    QCOMPARE(rig.model().series(RangeSeries::Signal).count(), 8);
    QVERIFY(!rig.widget("gbOscillogram")->isVisible());
    rig.key(Qt::Key_F3);
    rig.sendSignals(1, 451);
    QCOMPARE(rig.model().series(RangeSeries::Signal).newest().x, 8.0);
}

void ChartsInWindowTest::shortcutsReachTheOscillogram() {
    ChartWindowRig rig;
    QVERIFY(rig.showActive());
    rig.identify();
    rig.key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(rig.yRange(), QStringLiteral("[-94, 60]"));
    rig.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(rig.yRange(), QStringLiteral("[-47, 30]"));
    rig.key(Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(rig.model().scale().OscPeriod(), 32);
    rig.key(Qt::Key_W, Qt::ControlModifier);
    rig.key(Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(rig.model().scale().OscPeriod(), 8);

    // F7 three times from play: show before alarm, pause, play.
    OscillogramControls* c = rig.controls();
    rig.key(Qt::Key_F7);
    QVERIFY(c->sbOscAlarm->isChecked());
    rig.key(Qt::Key_F7);
    QVERIFY(c->sbOscPause->isChecked());
    rig.key(Qt::Key_F7);
    QVERIFY(c->sbOscPlay->isChecked());
    QCOMPARE(rig.model().playback(), PlaybackMode::Play);

    // Ctrl+Z: off keeps the limits, on fits them to the thresholds again.
    rig.key(Qt::Key_A, Qt::ControlModifier);
    rig.key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!c->chbAutoYScale->isChecked());
    QCOMPARE(rig.yRange(), QStringLiteral("[-94, 60]"));
    rig.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(rig.yRange(), QStringLiteral("[-47, 30]"));

    // On the alignment page the box is hidden and Ctrl+A still changes the Y range.
    rig.key(Qt::Key_F2);
    QCOMPARE(rig.window->activePage(), DisplayPage::TuneUp);
    QVERIFY(!rig.widget("gbOscillogram")->isVisible());
    rig.key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(rig.yRange(), QStringLiteral("[-94, 60]"));
}

void ChartsInWindowTest::showBeforeAlarmStopsAtTheAlarm() {
    ChartWindowRig rig;
    QVERIFY(rig.showActive());
    rig.identify();
    rig.sendSignals(3, 400);
    rig.key(Qt::Key_F7);
    QCOMPARE(rig.model().playback(), PlaybackMode::BeforeAlarm);
    rig.sendSignals(2, 400);
    const int points = rig.model().series(RangeSeries::Signal).count();
    QCOMPARE(points, 5);

    rig.mode(ModeAlarm);
    QVERIFY(rig.controls()->sbOscPause->isChecked());
    rig.sendSignals(3, 600);
    QCOMPARE(rig.model().series(RangeSeries::Signal).count(), points);
    QCOMPARE(rig.model().series(RangeSeries::Alarm).count(), 0);
    QCOMPARE(rig.model().analysis().state().AlarmCount, 0);

    // F7 from pause resumes play: the alarm is drawn now.
    rig.key(Qt::Key_F7);
    rig.sendSignals(1, 600);
    QCOMPARE(rig.model().series(RangeSeries::Alarm).count(), 1);
}

void ChartsInWindowTest::alignmentPage() {
    ChartWindowRig rig;
    QVERIFY(rig.showActive());
    rig.identify();
    rig.key(Qt::Key_F2);
    TuneUpPage* page = rig.displays->tuneUp();
    QVERIFY(page->isVisible());
    QVERIFY(rig.window->commands().slot(CommandCode::Mode).pending);
    QCOMPARE(rig.window->commands().slot(CommandCode::Mode).o_state(), 1u);
    QCOMPARE(rig.window->noteIndex(), 7);

    // Until the detector answers in alignment mode its signal does not reach the page.
    const QString opened = page->lSignal()->text();
    rig.sendSignals(1, 341);
    QCOMPARE(page->lSignal()->text(), opened);

    // The detector answers in alignment mode; its signal moves the bar.
    rig.mode(ModeAlignment);
    rig.sendSignals(1, 341); // ref 0, amplif 1: 4.444 mV
    QCOMPARE(page->lSignal()->text(), QLocale().toString(4.444, 'f', 3));
    // The maximum is still the 5.213 mV read when the page opened; F8 drops it to the signal.
    QCOMPARE(page->readings().axisMaximum(), 10.0);
    rig.key(Qt::Key_F8);
    QCOMPARE(page->lTuneUpMax()->text(), QLocale().toString(4.444, 'f', 3));
    QCOMPARE(page->readings().axisMaximum(), 5.0);

    // Leaving alignment for normal guarding while the page is shown: the readings are "---".
    rig.mode(ModeNormal);
    QCOMPARE(page->lSignal()->text(), QStringLiteral("---"));
    QCOMPARE(page->lTuneUpMax()->text(), QStringLiteral("---"));
}

QTEST_MAIN(ChartsInWindowTest)
#include "tst_chartsinwindow.moc"
