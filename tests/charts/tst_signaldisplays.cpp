#include "ChartRig.h"
#include "TelemetryFrames.h"
#include "charts/OscillogramControls.h"
#include "charts/RangeChartView.h"
#include "charts/RangeOscillogram.h"
#include "charts/SignalDisplays.h"
#include "charts/TuneUpChartView.h"
#include "charts/TuneUpPage.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QByteArray signalFrame(unsigned sig, bool pp = false, bool mp = false, bool bp = false) {
    return telemetryFrame(1, sig & 0xFF, (sig >> 8) | (pp ? 4 : 0) | (mp ? 8 : 0) | (bp ? 16 : 0));
}

QByteArray averageFrame(unsigned aver, unsigned state) {
    return telemetryFrame(2, aver & 0xFF, (aver >> 8) | (state << 2));
}

// One complete cycle of a detector with cs = 1: average 400, ПП 25 %, МП 25 %, БП 50 %,
// manual regulation, no malfunction flags.
QByteArray cycle(unsigned state) {
    return averageFrame(400, state) + telemetryFrame(3, MP25, PP25) + telemetryFrame(4, 5, BP50) +
           telemetryFrame(5, 0, 1) + telemetryFrame(6, 0, 0x11) + telemetryFrame(7, 0x90, 0x01);
}

// The main window's part in this test: Signal messages go to the display of the page the test
// names. The window's own routing runs in tst_chartsinwindow.
class RoutingView : public LinkView {
public:
    SignalDisplays* displays = nullptr;
    const FakeDisplayHost* host = nullptr;
    void ShowSignal() override {
        if (host->page == DisplayPage::Range)
            displays->range().UpdateRangeChart();
        else if (host->page == DisplayPage::TuneUp)
            displays->tuneUp()->UpdateTuneUpChart();
    }
};

struct WindowRig {
    ManualClock clock{1'000'000'000};
    MemoryChannel channel;
    RoutingView view;
    PollCycle link{channel, clock, view};
    ScaleTables tables;
    FakeDisplayHost host;
    SignalDisplays displays{link, tables, clock, nullptr, host};
    QWidget window;

    WindowRig() {
        view.displays = &displays;
        view.host = &host;
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(range().oscillogramControls());
        layout->addWidget(range().chRange(), 1);
        layout->addWidget(displays.tuneUp(), 1);
        window.resize(643, 700);
        window.show();
        range().chRange()->setFixedWidth(643);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
    }
    RangeOscillogram& range() { return displays.range(); }
    RangeChartView* chart() { return range().chRange(); }
    const RangeChartModel& model() { return range().model(); }

    void feed(const QByteArray& bytes) {
        channel.push(bytes);
        while (channel.bytesAvailable() > 0)
            link.Tick();
    }
    void identify(unsigned state = ModeNormal) {
        clock.advance(1000);
        feed(cycle(state) + signalFrame(400));
        QCOMPARE(link.state(), EDevWork);
    }
    // One Signal frame per 60 ms: every one passes the thinning at 19 points per second.
    void sendSignals(int count, unsigned sig = 400, bool pp = false) {
        for (int i = 0; i < count; ++i) {
            clock.advance(60);
            feed(signalFrame(sig, pp));
        }
    }
};

QList<double> keys(const QSharedPointer<QCPGraphDataContainer>& data) {
    QList<double> k;
    for (const auto& d : *data)
        k << d.key;
    return k;
}

QList<double> keys(const ChartSeries& series) {
    QList<double> k;
    for (int i = 0; i < series.count(); ++i)
        k << series.at(i).x;
    return k;
}

QList<double> barKeys(QCPBars* bars) {
    QList<double> k;
    for (const auto& d : *bars->data())
        k << d.key;
    return k;
}

} // namespace

class SignalDisplaysTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signalFramesReachTheChart();
    void chartMirrorsTrimmingAndBars();
    void replotsAreCoalesced();
    void snapshotShowsTheEventsPoint();
    void controlsFollowTheModel();
    void alignmentPage();
};

void SignalDisplaysTest::signalFramesReachTheChart() {
    WindowRig rig;
    QCOMPARE(rig.model().scale().MaxPointsPerPage(), 304);
    rig.identify();
    rig.sendSignals(5, 500, true); // 25 %: ПП reached
    rig.chart()->flush();

    QCPGraph* signal = rig.chart()->graphOf(RangeSeries::Signal);
    QCOMPARE(keys(signal->data()), keys(rig.model().series(RangeSeries::Signal)));
    QCOMPARE(signal->data()->size(), 6);
    QCOMPARE((signal->data()->constEnd() - 1)->value, 25.0);
    QCOMPARE(keys(rig.chart()->graphOf(RangeSeries::PPMax)->data()),
             (QList<double>{1, 2, 3, 4, 5}));
    QCOMPARE((rig.chart()->graphOf(RangeSeries::MP)->data()->constEnd() - 1)->value, -25.0);
    QCOMPARE((rig.chart()->graphOf(RangeSeries::BP)->data()->constEnd() - 1)->value, -50.0);

    // Axes are manual and follow the model; bottom axis without ticks or labels.
    QCOMPARE(rig.chart()->xAxis->range().lower, 0.0);
    QCOMPARE(rig.chart()->xAxis->range().upper, 307.04);
    QCOMPARE(rig.chart()->yAxis->range().lower, rig.model().scale().leftAxis().min);
    QCOMPARE(rig.chart()->yAxis->range().upper, rig.model().scale().leftAxis().max);
    QVERIFY(!rig.chart()->xAxis->ticks() && !rig.chart()->xAxis->tickLabels());
    QCOMPARE(rig.chart()->yAxis->grid()->pen().style(), Qt::DotLine);
    // Markers: 2 * width + 1 pixels wide, 2 * VertSize + 1 high.
    const QCPScatterStyle marker = rig.chart()->graphOf(RangeSeries::PPMax)->scatterStyle();
    QCOMPARE(marker.pixmap().size(), QSize(5, 11));
    QCOMPARE(marker.pixmap().toImage().pixelColor(2, 5), QColor(0, 0xFF, 0));
    QCOMPARE(rig.chart()->periodLabel()->text(), QStringLiteral("16 s"));
    QCOMPARE(rig.host.notes.last(), 14);
}

void SignalDisplaysTest::chartMirrorsTrimmingAndBars() {
    WindowRig rig;
    rig.host.settings.signalDuringAlarm = true;
    rig.identify();
    rig.sendSignals(200);
    rig.feed(averageFrame(400, ModeAlarm));
    rig.sendSignals(3, 600);
    rig.feed(averageFrame(400, ModeFault));
    rig.sendSignals(2, 100);
    rig.feed(averageFrame(400, ModeNormal));
    rig.sendSignals(150);
    rig.chart()->flush();

    const RangeChartModel& m = rig.model();
    QCOMPARE(m.series(RangeSeries::Signal).count(), 304);
    for (int i = FirstMarkerSeries; i <= int(RangeSeries::Signal); ++i)
        QCOMPARE(keys(rig.chart()->graphOf(RangeSeries(i))->data()), keys(m.series(i)));
    const QList<double> bars = keys(m.series(RangeSeries::Alarm));
    QCOMPARE(bars.size(), 5);
    QCOMPARE(barKeys(rig.chart()->alarmBars()), bars.mid(0, 3));
    QCOMPARE(barKeys(rig.chart()->malfunctionBars()), bars.mid(3, 2));
    QCOMPARE(rig.chart()->alarmBars()->baseValue(), m.scale().leftAxis().min);
    QCOMPARE(rig.chart()->alarmBars()->brush().color(), QColor(0x80, 0, 0));
    QCOMPARE(rig.chart()->malfunctionBars()->brush().color(), QColor(0xFF, 0xFF, 0));

    // Scrolled on until the bars are older than the page: they leave the chart too.
    rig.sendSignals(200);
    rig.chart()->flush();
    QVERIFY(rig.chart()->alarmBars()->data()->isEmpty());
    QVERIFY(rig.chart()->malfunctionBars()->data()->isEmpty());
    QCOMPARE(rig.chart()->graphOf(RangeSeries::Signal)->data()->size(), 304);
    QCOMPARE(rig.chart()->xAxis->range().upper, m.scale().bottomAxis().max);
}

void SignalDisplaysTest::replotsAreCoalesced() {
    WindowRig rig;
    rig.identify();
    rig.chart()->flush();
    QSignalSpy replots(rig.chart(), &QCustomPlot::afterReplot);
    rig.sendSignals(30);
    // Thirty points drawn by the poll cycle, not one repaint yet.
    QCOMPARE(replots.count(), 0);
    QVERIFY(rig.chart()->refreshPending());
    QTRY_COMPARE(replots.count(), 1);
    QCOMPARE(rig.chart()->graphOf(RangeSeries::Signal)->data()->size(), 31);
}

void SignalDisplaysTest::snapshotShowsTheEventsPoint() {
    WindowRig rig;
    rig.host.settings.recording = true;
    rig.identify();
    // The first point after an identification announces the normal state.
    QCOMPARE(rig.host.events, QStringList{QStringLiteral("Норма")});
    rig.host.events.clear();
    rig.sendSignals(3, 500, true);
    QVERIFY(rig.chart()->refreshPending());
    // The snapshot of the ending excess must show the message's signal point and ПП marker.
    int signalDrawn = -1;
    int ppDrawn = -1;
    rig.host.onRecordEvent = [&] {
        signalDrawn = rig.chart()->graphOf(RangeSeries::Signal)->data()->size();
        ppDrawn = rig.chart()->graphOf(RangeSeries::PP)->data()->size();
    };
    rig.sendSignals(1, 400);
    QCOMPARE(rig.host.events, QStringList{QStringLiteral("Превышение ПП 1")});
    QCOMPARE(signalDrawn, 5);
    QCOMPARE(ppDrawn, 2); // the first point's and this one's
}

void SignalDisplaysTest::controlsFollowTheModel() {
    WindowRig rig;
    rig.identify();
    OscillogramControls* c = rig.range().oscillogramControls();

    QTest::mouseClick(c->sbBottomAxisSlow, Qt::LeftButton);
    QCOMPARE(rig.model().scale().OscPeriod(), 32);
    rig.chart()->flush();
    QCOMPARE(rig.chart()->periodLabel()->text(), QStringLiteral("32 \u0441"));
    // The page follows the chart's width when it is resized: 1243 px hold 19 points a second.
    rig.chart()->setFixedWidth(1243);
    QTRY_COMPARE(rig.model().scale().MaxPointsPerPage(), 608);

    // Down to [-1, 1] disables the down button; up enables it again.
    for (int i = 0; i < 7; ++i)
        QTest::mouseClick(c->sbLeftAxisDown, Qt::LeftButton);
    QCOMPARE(rig.model().scale().OscYMax(), 1);
    QVERIFY(!c->sbLeftAxisDown->isEnabled());
    QTest::mouseClick(c->sbLeftAxisUp, Qt::LeftButton);
    QVERIFY(c->sbLeftAxisDown->isEnabled());
    QCOMPARE(rig.model().scale().OscYMax(), 2);

    // A click on the check box: unchecked leaves the limits, checked fits the thresholds.
    QTest::mouseClick(c->chbAutoYScale, Qt::LeftButton, {},
                      QPoint(6, c->chbAutoYScale->height() / 2));
    QVERIFY(!rig.model().autoYScale());
    QCOMPARE(rig.model().scale().OscYMax(), 2);
    rig.range().actAutoYScaleExecute();
    QVERIFY(c->chbAutoYScale->isChecked());
    QCOMPARE(rig.model().scale().OscYMax(), 28);
    QCOMPARE(rig.model().scale().OscYMin(), -56);

    // Playback: one button down at a time, clicked or cycled.
    QTest::mouseClick(c->sbOscPause, Qt::LeftButton);
    QCOMPARE(rig.model().playback(), PlaybackMode::Pause);
    QVERIFY(!c->sbOscPlay->isChecked());
    rig.range().actPlayChangeExecute();
    QVERIFY(c->sbOscPlay->isChecked() && !c->sbOscPause->isChecked());
    QCOMPARE(c->sbOscAlarm->toolTip(), QStringLiteral("Показать до тревоги"));
}

void SignalDisplaysTest::alignmentPage() {
    WindowRig rig;
    rig.identify();
    rig.feed(signalFrame(0));
    TuneUpPage* page = rig.displays.tuneUp();
    rig.host.page = DisplayPage::TuneUp;
    page->tsTuneUpShow();
    // A silent receiver when the page opens: maximum 0 mV, the bar green, no error.
    page->chTuneUp()->flush();
    QCOMPARE(page->lTuneUpMax()->text(), QStringLiteral("0.000"));
    QCOMPARE(page->chTuneUp()->serTuneUp()->brush().color(), QColor(0, 0xFF, 0));
    QCOMPARE(page->chTuneUp()->xAxis->range().upper, 0.1);
    QVERIFY(rig.link.commands().slot(CommandCode::Mode).pending);
    QCOMPARE(rig.link.commands().slot(CommandCode::Mode).o_state(), 1u);
    QCOMPARE(rig.host.notes.last(), 7);
    QCOMPARE(rig.host.averageUnknownShown, 1);

    // The detector answers in alignment mode; its Signal frames reach the page.
    rig.feed(cycle(ModeAlignment));
    // ref 0, amplif 1: 341 counts are 4.444 mV.
    rig.feed(signalFrame(341));
    QCOMPARE(page->lSignal()->text(), QStringLiteral("4.444"));
    QCOMPARE(page->lTuneUpMax()->text(), QStringLiteral("4.444"));
    rig.feed(signalFrame(300)); // 3.910 mV, 88 % of the maximum
    QCOMPARE(page->lSignal()->text(), QStringLiteral("3.910"));
    QCOMPARE(page->lTuneUpMax()->text(), QStringLiteral("4.444"));
    page->chTuneUp()->flush();
    QCOMPARE(page->chTuneUp()->serTuneUp()->brush().color(), QColor(0xFF, 0, 0));
    QCOMPARE(page->chTuneUp()->xAxis->range().upper, 5.0);
    QCOMPARE(page->chTuneUp()->serMax()->data()->begin()->key, page->readings().TuneUpMax());
    QCOMPARE(page->chTuneUp()->xAxis->label(), QStringLiteral("мВ"));

    // The reset takes the current signal as the maximum; the scale may shrink.
    QTest::mouseClick(page->btnTuneUpClear(), Qt::LeftButton);
    QCOMPARE(page->lTuneUpMax()->text(), QStringLiteral("3.910"));
    page->chTuneUp()->flush();
    QCOMPARE(page->chTuneUp()->serTuneUp()->brush().color(), QColor(0, 0xFF, 0));
    QCOMPARE(page->chTuneUp()->xAxis->range().upper, 5.0);
    QCOMPARE(rig.host.notes.last(), 7);

    // The detector leaves alignment: readings "---".
    page->DetectorLeftAlignment();
    QCOMPARE(page->lSignal()->text(), QStringLiteral("---"));
    QCOMPARE(page->readings().TuneUpMax(), -1.0);

    // Leaving the page while the detector reports alignment asks for normal mode.
    rig.link.commands().ClearModeCommand();
    page->tsTuneUpHide();
    QCOMPARE(rig.link.commands().slot(CommandCode::Mode).o_state(), 0u);
    QVERIFY(rig.link.commands().slot(CommandCode::Mode).pending);

    // Shown again while the detector already reports alignment: nothing is sent.
    WindowRig again;
    again.identify(ModeAlignment);
    again.host.page = DisplayPage::TuneUp;
    again.displays.tuneUp()->tsTuneUpShow();
    QVERIFY(!again.link.commands().slot(CommandCode::Mode).pending);
}

QTEST_MAIN(SignalDisplaysTest)
#include "tst_signaldisplays.moc"
