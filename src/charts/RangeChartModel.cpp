#include "charts/RangeChartModel.h"

#include "charts/SignalDisplayHost.h"
#include "common/Clock.h"
#include "connection/PollCycle.h"
#include "log/EventLog.h"
#include "protocol/Scales.h"

#include <QLocale>

namespace {

constexpr qint64 MsPerSecond = 1000;

// "General" number format of the log: up to 15 significant digits, no trailing zeros.
QString general(double value) {
    return QLocale().toString(value, 'g', 15);
}

} // namespace

RangeChartModel::RangeChartModel(PollCycle& link, const ScaleTables& tables, const Clock& clock,
                                 EventLog* log)
    : m_link(link), m_tables(tables), m_clock(clock), m_log(log), m_lastPlotMs(clock.nowMs()) {
    for (int i = 0; i < RangeSeriesCount; ++i)
        m_series[std::size_t(i)] = ChartSeries(RangeSeriesLooks[std::size_t(i)].colour);
}

void RangeChartModel::TouchLastPlotTime() {
    m_lastPlotMs = m_clock.nowMs();
}

bool RangeChartModel::thinningAccepts(qint64 nowMs) const {
    // At least 1/SamplesPerSec seconds since the last accepted message; equality accepts.
    return (nowMs - m_lastPlotMs) * m_scale.SamplesPerSec() >= MsPerSecond;
}

void RangeChartModel::PauseIfShowingBeforeAlarm() {
    if (m_playback == PlaybackMode::BeforeAlarm)
        m_playback = PlaybackMode::Pause;
}

void RangeChartModel::AutoYScale(int regulationIndex) {
    if (!m_autoYScale)
        return;
    const TelemetryTable& t = m_link.telemetry();
    m_scale.FitYToThresholds(m_tables.ThresholdPercent(ThresholdKind::PP, int(t.senspp())),
                             m_tables.ThresholdPercent(ThresholdKind::MP, int(t.sensmp())),
                             m_tables.ThresholdPercent(ThresholdKind::BP, int(t.sensbp())),
                             regulationIndex == 3);
}

void RangeChartModel::addConditionBar(unsigned state, bool signalDuringAlarm) {
    if (state != ModeAlarm && state != ModeFault)
        return;
    // A malfunction bar lives in the alarm series, in the malfunction series' colour.
    const Rgb colour = state == ModeAlarm ? series(RangeSeries::Alarm).colour()
                                          : series(RangeSeries::Malfunction).colour();
    at(RangeSeries::Alarm).Add(m_iX, AlarmBarHeight, colour);
    // Without the signal the bar gets a slot of its own and the point follows one unit later.
    if (!signalDuringAlarm)
        ++m_iX;
}

void RangeChartModel::trim() {
    const int page = m_scale.MaxPointsPerPage();
    ChartSeries& signal = at(RangeSeries::Signal);
    while (signal.count() > page)
        signal.DeleteOldest();
    const double first = signal.empty() ? 0.0 : double(qint64(signal.oldestX()));
    static constexpr RangeSeries others[] = {
        RangeSeries::PP,     RangeSeries::PPUp,        RangeSeries::PPMax, RangeSeries::MP,
        RangeSeries::MPDown, RangeSeries::MPMin,       RangeSeries::BP,    RangeSeries::BPDown,
        RangeSeries::BPMin,  RangeSeries::Malfunction, RangeSeries::Alarm};
    for (RangeSeries which : others) {
        ChartSeries& s = at(which);
        while (!s.empty() && s.oldestX() < first)
            s.DeleteOldest();
    }
}

void RangeChartModel::noteMissingAverage() {
    // Said once per run of such messages: they can come at telemetry rate.
    if (!m_averageMissing && m_log && m_log->logEnabled())
        m_log->WriteLog(QStringLiteral("In % : aver=0, no average level: signal not plotted"));
    m_averageMissing = true;
}

void RangeChartModel::writeLogLine(const ThresholdReading& r) {
    if (!m_log || !m_log->logEnabled())
        return;
    const QString line = QStringLiteral("In % : Signal=") +
                         QLocale().toString(m_signalPercent, 'f', 4) + QStringLiteral(" PL=") +
                         general(r.ppPercent) + QStringLiteral(" pp=") + QString::number(r.pp) +
                         QStringLiteral(" LL=") + general(-r.mpPercent) + QStringLiteral(" mp=") +
                         QString::number(r.mp) + QStringLiteral(" HL=") + general(-r.bpPercent) +
                         QStringLiteral(" bp=") + QString::number(r.bp) + QStringLiteral(" iX=") +
                         QString::number(m_iX);
    m_log->WriteLog(line);
}

RangeChartModel::Update RangeChartModel::UpdateRangeChart(SignalDisplayHost& host) {
    if (m_playback == PlaybackMode::Pause)
        return Update::Paused;
    const qint64 now = m_clock.nowMs();
    if (!thinningAccepts(now))
        return Update::Thinned;

    const TelemetryTable& t = m_link.telemetry();
    const RangeSettings settings = host.CurrentRangeSettings();
    const unsigned state = t.state();
    const ConditionState& latches = m_analysis.state();
    if (!settings.signalDuringAlarm &&
        ((latches.AlarmLatch && state == ModeAlarm) || (latches.FaultLatch && state == ModeFault)))
        return Update::Suppressed;
    if (t.aver() == 0) {
        noteMissingAverage();
        return Update::NoAverage;
    }
    m_averageMissing = false;

    m_lastPlotMs = now;
    const Rgb signalColour = series(RangeSeries::Signal).colour();
    addConditionBar(state, settings.signalDuringAlarm);
    if (t.previousState() != ModeNormal && state == ModeNormal)
        AutoYScale(settings.regulationIndex);
    host.UpdateWrongThresholdsMarker();

    m_signalPercent = double(static_cast<long double>(t.sig()) / t.aver() * 100 - 100);
    m_scale.FollowNewestPoint(m_iX);
    at(RangeSeries::Signal).Add(m_iX, m_signalPercent, signalColour);
    m_scale.GrowToSignal(m_signalPercent);
    if (const auto hint = UpdateHint(host.ActivePage(), state, t.dis(), t.reg()))
        host.SetNote(*hint);
    trim();

    ThresholdReading reading;
    reading.signalPercent = m_signalPercent;
    reading.pp = t.pp() != 0;
    reading.mp = t.mp() != 0;
    reading.bp = t.bp() != 0;
    reading.state = state;
    reading.thresholdControlOff = t.ctrl_pp_mp() != 0;
    reading.ppPercent = m_tables.ThresholdPercent(ThresholdKind::PP, int(t.senspp()));
    reading.mpPercent = m_tables.ThresholdPercent(ThresholdKind::MP, int(t.sensmp()));
    reading.bpPercent = m_tables.ThresholdPercent(ThresholdKind::BP, int(t.sensbp()));
    reading.mode = thresholdExcessModeOf(settings.thresholdExcess);
    reading.recording = settings.recording;
    m_analysis.ClassifyThresholds(
        reading, [this](RangeSeries row, double y) { at(row).Add(m_iX, y, series(row).colour()); },
        host);

    bool reannounce = m_link.reannounceRequest();
    m_analysis.UpdateConditionLatches(state, settings.recording, reannounce, host);
    if (!reannounce)
        m_link.clearReannounceRequest();

    writeLogLine(reading);
    ++m_iX;
    return Update::Plotted;
}
