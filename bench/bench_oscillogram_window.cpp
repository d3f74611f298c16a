// What the Range oscillogram costs the window's thread at its largest page: a 643 px chart,
// a page of 128 s at the highest plotting rate, 200 points per second, so P = 2444 points with
// every series filled. One accepted message runs the model's update (thinning, scaling,
// trimming, threshold analysis) and mirrors its points into the chart; the chart is redrawn
// at most every CoalescedPlot::RefreshIntervalMs, so each message carries a share of one
// replot. "share_of_5ms" is the mean cost of one message divided by the 5 ms that one point
// may take at 200 points per second.

#include "TelemetryFrames.h"
#include "WindowBenchmarkMain.h"
#include "charts/RangeChartView.h"
#include "charts/RangeOscillogram.h"
#include "common/Clock.h"
#include "connection/LinkView.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "protocol/Scales.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int PointsPerSecond = 200;
constexpr double PointBudgetSeconds = 1.0 / PointsPerSecond;
constexpr qint64 PointSpacingMs = 1000 / PointsPerSecond;
// Messages accepted between two redraws of the chart.
constexpr int MessagesPerReplot = PointsPerSecond * CoalescedPlot::RefreshIntervalMs / 1000;

struct BenchHost : SignalDisplayHost {
    RangeSettings settings;
    DisplayPage ActivePage() const override { return DisplayPage::Range; }
    RangeSettings CurrentRangeSettings() const override { return settings; }
    void SetNote(int) override {}
    void RecordEvent(const QString&) override {}
    QString AlarmNumberCaption() const override { return QStringLiteral("0"); }
    void SetAlarmNumberCaption(const QString&) override {}
};

// The oscillogram on the Range page with a detector whose thresholds are ПП 25 %, МП 25 %,
// БП 50 %; the signal wanders through every marker row, with alarms and malfunctions.
struct Oscillogram {
    ManualClock clock{1'000'000'000};
    MemoryChannel channel;
    LinkView view;
    PollCycle link{channel, clock, view};
    ScaleTables tables;
    BenchHost host;
    std::unique_ptr<RangeOscillogram> range;
    qint64 message = 0;

    Oscillogram() {
        host.settings.chosenRate = PointsPerSecond;
        host.settings.thresholdExcess = 1; // the level-only rows are used too
        host.settings.signalDuringAlarm = true;
        TelemetryTable& t = link.telemetry();
        t.StoreFrame(3, 9, frameHighByte(3, 9));
        t.StoreFrame(4, 5, frameHighByte(4, 17));
        range = std::make_unique<RangeOscillogram>(link, tables, clock, nullptr, host);
        RangeChartView* chart = range->chRange();
        chart->setFixedSize(643, 360);
        chart->show();
        QApplication::processEvents();
        for (int i = 0; i < 3; ++i)
            range->sbBottomAxisSlowClick();
        for (int i = 0; i < range->model().scale().MaxPointsPerPage() + 200; ++i)
            next();
        chart->flush();
        QApplication::processEvents();
    }

    // One accepted Signal message.
    void next() {
        static constexpr struct {
            unsigned sig;
            unsigned flags; // pp 4, mp 8, bp 16
        } pattern[] = {{400, 0}, {520, 0},  {520, 4}, {280, 0}, {280, 8},
                       {180, 0}, {180, 16}, {430, 0}, {370, 0}, {410, 0}};
        const auto& p = pattern[(message / 7) % 10];
        TelemetryTable& t = link.telemetry();
        const unsigned state = message % 500 < 5 ? ModeAlarm : message % 500 < 8 ? ModeFault : 0;
        t.StoreFrame(2, 400 & 0xFF, frameHighByte(2, (400 >> 8) | (state << 2)));
        const unsigned sig = p.sig + unsigned(message % 5);
        t.StoreFrame(1, std::uint8_t(sig & 0xFF), frameHighByte(1, (sig >> 8) | p.flags));
        clock.advance(PointSpacingMs);
        range->UpdateRangeChart();
        ++message;
    }
};

Oscillogram* g_osc = nullptr;

void report(benchmark::State& state, double seconds, qint64 count) {
    const double mean = count ? seconds / double(count) : 0.0;
    state.counters["us"] = mean * 1e6;
    state.counters["share_of_5ms"] = mean / PointBudgetSeconds;
    state.counters["points"] = g_osc->range->model().series(RangeSeries::Signal).count();
}

// One accepted message and the mirroring of its points into the chart.
void BM_AcceptedUpdate(benchmark::State& state) {
    RangeChartView* chart = g_osc->range->chRange();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        g_osc->next();
        chart->mirrorNow();
        seconds += timer.nsecsElapsed() / 1e9;
    }
    report(state, seconds, state.iterations());
}
BENCHMARK(BM_AcceptedUpdate);

// One redraw of the full page.
void BM_Replot(benchmark::State& state) {
    RangeChartView* chart = g_osc->range->chRange();
    double seconds = 0;
    for (auto _ : state) {
        g_osc->next();
        chart->mirrorNow();
        QElapsedTimer timer;
        timer.start();
        chart->replot(QCustomPlot::rpImmediateRefresh);
        seconds += timer.nsecsElapsed() / 1e9;
    }
    report(state, seconds, state.iterations());
    state.counters["replots_per_s"] = 1000.0 / CoalescedPlot::RefreshIntervalMs;
}
BENCHMARK(BM_Replot)->Unit(benchmark::kMillisecond);

// What one message costs with its share of the redraws: every MessagesPerReplot-th message
// redraws the chart, as the refresh timer does at 200 points per second.
void BM_UpdateWithReplotShare(benchmark::State& state) {
    RangeChartView* chart = g_osc->range->chRange();
    double seconds = 0;
    qint64 n = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        g_osc->next();
        if (++n % MessagesPerReplot == 0) {
            chart->mirrorNow();
            chart->replot(QCustomPlot::rpImmediateRefresh);
        }
        seconds += timer.nsecsElapsed() / 1e9;
    }
    report(state, seconds, n);
    state.counters["messages_per_replot"] = MessagesPerReplot;
}
BENCHMARK(BM_UpdateWithReplotShare);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv, [] {
        auto oscillogram = std::make_unique<Oscillogram>();
        g_osc = oscillogram.get();
        return oscillogram;
    });
}
