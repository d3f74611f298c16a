#include "charts/RangeChartView.h"

#include "charts/RangeChartModel.h"

#include <algorithm>

namespace {

QColor colourOf(Rgb rgb) {
    return QColor::fromRgb(QRgb(rgb));
}

// Marker sizes are half extents around the point, so neighbouring markers of a row join
// into a band even when the page holds more points than the chart has pixels. A filled pixmap
// draws several times faster than a rectangular path, which matters at thousands of markers.
QCPScatterStyle markerStyle(const RangeSeriesLook& look, int halfWidth) {
    QPixmap rect(2 * halfWidth + 1, 2 * look.vertSize + 1);
    rect.fill(colourOf(look.colour));
    return QCPScatterStyle(rect);
}

constexpr int BarOutlinePx = 7;

QCPBars* makeBars(QCPAxis* key, QCPAxis* value, Rgb colour, const char* name) {
    auto* bars = new QCPBars(key, value);
    bars->setName(QString::fromLatin1(name));
    bars->setWidthType(QCPBars::wtPlotCoords);
    bars->setWidth(1); // the slot of one point
    bars->setPen(QPen(colourOf(colour), BarOutlinePx));
    bars->setBrush(colourOf(colour));
    return bars;
}

} // namespace

RangeChartView::RangeChartView(const RangeChartModel& model, QWidget* parent)
    : CoalescedPlot(parent), m_model(model) {
    setObjectName(QStringLiteral("chRange"));
    setUpAxes();

    // Bars first, so that markers and the signal are drawn over them.
    m_malfunctionBars = makeBars(xAxis, yAxis, lookOf(RangeSeries::Malfunction).colour,
                                 lookOf(RangeSeries::Malfunction).title);
    m_alarmBars =
        makeBars(xAxis, yAxis, lookOf(RangeSeries::Alarm).colour, lookOf(RangeSeries::Alarm).title);
    for (int i = FirstMarkerSeries; i <= LastMarkerSeries; ++i) {
        QCPGraph* g = addGraph();
        g->setName(QString::fromLatin1(RangeSeriesLooks[std::size_t(i)].title));
        g->setLineStyle(QCPGraph::lsNone);
        m_graphs[std::size_t(i)] = g;
    }
    QCPGraph* signal = addGraph();
    signal->setName(QString::fromLatin1(lookOf(RangeSeries::Signal).title));
    signal->setPen(QPen(colourOf(lookOf(RangeSeries::Signal).colour), 2));
    m_graphs[std::size_t(RangeSeries::Signal)] = signal;
    setMarkerWidth(model.scale().markerWidth());

    m_period = new QCPItemText(this);
    m_period->setObjectName(QStringLiteral("lPeriod"));
    m_period->setClipToAxisRect(false);
    m_period->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_period->position->setCoords(1, 1);
    m_period->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    m_period->setPadding(QMargins(2, 0, 3, 1));
    // A label of its own over the chart: readable over alarm bars too.
    m_period->setBrush(palette().window());
    RangeChartView::syncFromModel();
}

void RangeChartView::setUpAxes() {
    const QPen dotted(QColor(128, 128, 128), 0, Qt::DotLine);
    xAxis->setTicks(false);
    xAxis->setTickLabels(false);
    xAxis->grid()->setPen(dotted);
    xAxis->grid()->setZeroLinePen(dotted);
    yAxis->setTickLabelFont(QFont(QStringLiteral("Arial"), 8));
    yAxis->setNumberFormat(QStringLiteral("g"));
    yAxis->setNumberPrecision(7);
    yAxis->grid()->setPen(dotted);
    yAxis->grid()->setZeroLinePen(dotted);
}

QCPGraph* RangeChartView::graphOf(RangeSeries series) const {
    return m_graphs[std::size_t(series)];
}

void RangeChartView::setMarkerWidth(int width) {
    if (width == m_markerWidth)
        return;
    m_markerWidth = width;
    for (int i = FirstMarkerSeries; i <= LastMarkerSeries; ++i)
        m_graphs[std::size_t(i)]->setScatterStyle(
            markerStyle(RangeSeriesLooks[std::size_t(i)], width));
}

void RangeChartView::mirrorGraph(const ChartSeries& series, QCPGraph* graph, quint64& mirroredEnd) {
    const auto data = graph->data();
    if (series.empty())
        data->clear();
    else
        data->removeBefore(series.oldestX());
    for (quint64 s = std::max(mirroredEnd, series.firstSerial()); s < series.endSerial(); ++s) {
        const ChartPoint& p = series.bySerial(s);
        data->add(QCPGraphData(p.x, p.y));
    }
    mirroredEnd = series.endSerial();
}

void RangeChartView::mirrorBars(const ChartSeries& series) {
    // The malfunction series never holds points: every bar is in the alarm series, and its
    // colour says which kind it is.
    for (QCPBars* bars : {m_alarmBars, m_malfunctionBars}) {
        if (series.empty())
            bars->data()->clear();
        else
            bars->data()->removeBefore(series.oldestX());
    }
    quint64& mirroredEnd = m_mirroredEnd[std::size_t(RangeSeries::Alarm)];
    const Rgb malfunction = m_model.series(RangeSeries::Malfunction).colour();
    for (quint64 s = std::max(mirroredEnd, series.firstSerial()); s < series.endSerial(); ++s) {
        const ChartPoint& p = series.bySerial(s);
        QCPBars* bars = p.colour == malfunction ? m_malfunctionBars : m_alarmBars;
        bars->data()->add(QCPBarsData(p.x, p.y));
    }
    mirroredEnd = series.endSerial();
}

void RangeChartView::syncFromModel() {
    const OscillogramScale& scale = m_model.scale();
    setMarkerWidth(scale.markerWidth());
    for (int i = FirstMarkerSeries; i <= int(RangeSeries::Signal); ++i)
        mirrorGraph(m_model.series(i), m_graphs[std::size_t(i)], m_mirroredEnd[std::size_t(i)]);
    mirrorBars(m_model.series(RangeSeries::Alarm));

    // A single signal point has no line to show it.
    QCPGraph* signal = graphOf(RangeSeries::Signal);
    const bool lonePoint = signal->data()->size() == 1;
    if (lonePoint != (signal->scatterStyle().shape() != QCPScatterStyle::ssNone))
        signal->setScatterStyle(lonePoint ? QCPScatterStyle(QCPScatterStyle::ssDisc, 3)
                                          : QCPScatterStyle());

    xAxis->setRange(scale.bottomAxis().min, scale.bottomAxis().max);
    yAxis->setRange(scale.leftAxis().min, scale.leftAxis().max);
    // Bars rise from the bottom of the plot, wherever the Y range puts it.
    m_alarmBars->setBaseValue(scale.leftAxis().min);
    m_malfunctionBars->setBaseValue(scale.leftAxis().min);
    m_period->setText(scale.periodCaption());
}
