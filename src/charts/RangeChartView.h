#pragma once

#include "charts/CoalescedPlot.h"
#include "charts/RangeSeries.h"

#include <array>

class RangeChartModel;
class ChartSeries;

// The Range oscillogram `chRange`: draws what the RangeChartModel holds. Series 2 to 10 are
// marker rows of small rectangles, the signal is a black line, alarm and malfunction bars
// rise from the bottom of the plot. Points are mirrored incrementally: only what was added
// since the last refresh is copied, and what the model trimmed is cut off.
class RangeChartView : public CoalescedPlot {
    Q_OBJECT
public:
    explicit RangeChartView(const RangeChartModel& model, QWidget* parent = nullptr);

    // The plottable that shows a model series (the alarm series shows in alarmBars() and
    // malfunctionBars(), split by the colour of each point).
    QCPGraph* graphOf(RangeSeries series) const;
    QCPBars* alarmBars() const { return m_alarmBars; }
    QCPBars* malfunctionBars() const { return m_malfunctionBars; }
    QCPItemText* periodLabel() const { return m_period; }

protected:
    void syncFromModel() override;

private:
    void setUpAxes();
    void setMarkerWidth(int width);
    void mirrorGraph(const ChartSeries& series, QCPGraph* graph, quint64& mirroredEnd);
    void mirrorBars(const ChartSeries& series);

    const RangeChartModel& m_model;
    std::array<QCPGraph*, RangeSeriesCount> m_graphs{};
    std::array<quint64, RangeSeriesCount> m_mirroredEnd{};
    QCPBars* m_alarmBars = nullptr;
    QCPBars* m_malfunctionBars = nullptr;
    QCPItemText* m_period = nullptr;
    int m_markerWidth = 0;
};
