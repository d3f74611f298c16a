#pragma once

#include "app/WindowParts.h"
#include "charts/RangeChartModel.h"
#include "charts/SignalDisplayHost.h"

#include <QObject>
#include <QPointer>
#include <memory>

class OscillogramControls;
class RangeChartView;

// The Range oscillogram as the main window uses it: the model, its chart `chRange`, the
// contents of the group box `gbOscillogram`, and the handlers under the window design's names.
// The window places chRange() and oscillogramControls() in its layout and calls the handlers;
// its action list runs them for the shortcuts Ctrl+A/S/Q/W/Z and F7.
class RangeOscillogram : public QObject, public OscillogramPart {
    Q_OBJECT
public:
    RangeOscillogram(PollCycle& link, const ScaleTables& tables, const Clock& clock, EventLog* log,
                     SignalDisplayHost& host, QObject* parent = nullptr);
    ~RangeOscillogram() override;

    RangeChartView* chRange() const;
    OscillogramControls* oscillogramControls() const;
    RangeChartModel& model() { return m_model; }
    const RangeChartModel& model() const { return m_model; }

    // Start-up: points per page for the chart's width, time axis at its start.
    void Prepare();

    // A Signal message while the Range page is shown (also the alarm onset and the page's show).
    void UpdateRangeChart();
    // Chart resized, page shown, page duration changed.
    void RecalcMaxPointsPerPage();
    // The work of chbAutoYScaleClick: Y limits from the thresholds when the box is checked.
    void AutoYScale();
    void chbAutoYScaleClick() { AutoYScale(); }
    void actAutoYScaleExecute() override;
    void actPlayChangeExecute() override;
    void sbLeftAxisUpClick() override;
    void sbLeftAxisDownClick() override;
    void sbBottomAxisSlowClick() override;
    void sbBottomAxisFastClick() override;

    // An alarm begins on the Range page: "show before alarm" presses pause.
    void PauseIfShowingBeforeAlarm() override;
    // Thinning restarts from now (another page took the signal, or a page was shown).
    void TouchLastPlotTime() override { m_model.TouchLastPlotTime(); }
    // The properties page's Apply sets the plotting rate directly.
    void SetSamplesPerSec(int rate) { m_model.scale().setSamplesPerSec(rate); }
    // A recording starts: the analysis' latches and counters restart.
    void ClearForRecording() { m_model.analysis().ClearForRecording(); }
    const ConditionState& conditions() const { return m_model.analysis().state(); }

    // Chart and controls show the model's state now (before the window is captured).
    void flush();

private:
    class SnapshotHost;

    void connectControls();
    void changed();

    std::unique_ptr<SnapshotHost> m_snapshotHost;
    RangeChartModel m_model;
    SignalDisplayHost& m_host;
    QPointer<RangeChartView> m_chart;
    QPointer<OscillogramControls> m_controls;
};
