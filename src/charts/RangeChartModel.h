#pragma once

#include "charts/ChartSeries.h"
#include "charts/OscillogramScale.h"
#include "charts/PlaybackMode.h"
#include "charts/ThresholdAnalysis.h"

#include <array>

class Clock;
class EventLog;
class PollCycle;
class ScaleTables;
class SignalDisplayHost;

// The Range oscillogram's data: the twelve series, the axes and page size, the playback mode
// and the per-message update that thins, scales, trims and analyses. The chart widget only
// mirrors what this model holds.
//
// Invariants after every completed update: the signal series holds at most one page of points;
// no series holds a point left of the oldest signal point; X grows within every series.
class RangeChartModel {
public:
    static constexpr double AlarmBarHeight = 350;

    // What became of one call of UpdateRangeChart.
    enum class Update {
        Paused,     // the pause button is down
        Thinned,    // too soon after the last accepted message
        Suppressed, // the rest of an alarm or malfunction while its signal is not shown
        NoAverage,  // no average level yet (or a detector reporting 0): nothing to relate to
        Plotted,
    };

    RangeChartModel(PollCycle& link, const ScaleTables& tables, const Clock& clock,
                    EventLog* log = nullptr);

    // Start-up: axes and page for the chart's width.
    void Prepare(int chosenRate, int chartWidth) { m_scale.Prepare(chosenRate, chartWidth); }

    // One signal message from the telemetry table.
    Update UpdateRangeChart(SignalDisplayHost& host);

    // Thinning restarts from now (another page took the signal, or a page was shown).
    void TouchLastPlotTime();

    // Y limits from the reported thresholds, when the automatic Y scale is on.
    void AutoYScale(int regulationIndex);
    void SetAutoYScale(bool on) { m_autoYScale = on; }
    bool autoYScale() const { return m_autoYScale; }

    PlaybackMode playback() const { return m_playback; }
    void SetPlayback(PlaybackMode mode) { m_playback = mode; }
    void actPlayChangeExecute() { m_playback = NextPlaybackMode(m_playback); }
    // An alarm begins on the Range page: "show before alarm" freezes the chart before it.
    void PauseIfShowingBeforeAlarm();

    OscillogramScale& scale() { return m_scale; }
    const OscillogramScale& scale() const { return m_scale; }
    ThresholdAnalysis& analysis() { return m_analysis; }
    const ThresholdAnalysis& analysis() const { return m_analysis; }

    const ChartSeries& series(RangeSeries which) const { return m_series[std::size_t(which)]; }
    const ChartSeries& series(int index) const { return m_series[std::size_t(index)]; }
    int iX() const { return m_iX; }
    double SignalPercent() const { return m_signalPercent; }

private:
    ChartSeries& at(RangeSeries which) { return m_series[std::size_t(which)]; }
    bool thinningAccepts(qint64 nowMs) const;
    void addConditionBar(unsigned state, bool signalDuringAlarm);
    void trim();
    void writeLogLine(const ThresholdReading& reading);
    void noteMissingAverage();

    PollCycle& m_link;
    const ScaleTables& m_tables;
    const Clock& m_clock;
    EventLog* m_log;

    std::array<ChartSeries, RangeSeriesCount> m_series;
    OscillogramScale m_scale;
    ThresholdAnalysis m_analysis;
    PlaybackMode m_playback = PlaybackMode::Play;
    bool m_autoYScale = true;
    int m_iX = 0;
    qint64 m_lastPlotMs = 0;
    double m_signalPercent = 0;
    bool m_averageMissing = false;
};
