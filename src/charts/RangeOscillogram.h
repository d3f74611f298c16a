#pragma once

#include "charts/RangeChartModel.h"
#include "charts/SignalDisplayHost.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

class OscillogramControls;
class QAction;
class RangeChartView;

// The Range oscillogram as the main window uses it: the model, its chart `chRange`, the
// controls `gbOscillogram` and their shortcuts, and the handlers under the window design's
// names. The window places chRange() and gbOscillogram() in its layout, adds actions() to
// its action list (they are suspended with it), and calls the handlers.
class RangeOscillogram : public QObject {
    Q_OBJECT
public:
    RangeOscillogram(PollCycle& link, const ScaleTables& tables, const Clock& clock, EventLog* log,
                     SignalDisplayHost& host, QObject* parent = nullptr);
    ~RangeOscillogram() override;

    RangeChartView* chRange() const;
    OscillogramControls* gbOscillogram() const;
    // actLeftAxisUp (Ctrl+A), actLeftAxisDown (Ctrl+S), actBottomAxisSlow (Ctrl+Q),
    // actBottomAxisFast (Ctrl+W), actAutoYScale (Ctrl+Z), actPlayChange (F7).
    QList<QAction*> actions() const { return m_actions; }
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
    void actAutoYScaleExecute();
    void actPlayChangeExecute();
    void sbLeftAxisUpClick();
    void sbLeftAxisDownClick();
    void sbBottomAxisSlowClick();
    void sbBottomAxisFastClick();

    // The Range page is shown (gbOscillogram appears) or left (tsRangeHide's share).
    void ShowControls();
    void tsRangeHide();
    // An alarm begins on the Range page: "show before alarm" presses pause.
    void PauseIfShowingBeforeAlarm();
    // Thinning restarts from now (another page took the signal, or a page was shown).
    void TouchLastPlotTime() { m_model.TouchLastPlotTime(); }
    // The properties page's Apply sets the plotting rate directly.
    void SetSamplesPerSec(int rate) { m_model.scale().setSamplesPerSec(rate); }
    // A recording starts: the analysis' latches and counters restart.
    void ClearForRecording() { m_model.analysis().ClearForRecording(); }
    const ConditionState& conditions() const { return m_model.analysis().state(); }

    // Chart and controls show the model's state now (before the window is captured).
    void flush();

private:
    class SnapshotHost;

    void createActions();
    void connectControls();
    void changed();

    std::unique_ptr<SnapshotHost> m_snapshotHost;
    RangeChartModel m_model;
    SignalDisplayHost& m_host;
    QPointer<RangeChartView> m_chart;
    QPointer<OscillogramControls> m_controls;
    QList<QAction*> m_actions;
};
