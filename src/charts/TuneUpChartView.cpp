#include "charts/TuneUpChartView.h"

#include "charts/AlignmentMath.h"

namespace {

// Four minor ticks between the labelled ones.
class MillivoltTicker : public QCPAxisTickerFixed {
protected:
    int getSubTickCount(double) override { return 4; }
};

const QColor Lime(0x00, 0xFF, 0x00);
const QColor Red(0xFF, 0x00, 0x00);
constexpr int MaxLinePx = 2;

} // namespace

TuneUpChartView::TuneUpChartView(const TuneUpReadings& readings, QWidget* parent)
    : CoalescedPlot(parent), m_readings(readings), m_ticker(new MillivoltTicker) {
    setObjectName(QStringLiteral("chTuneUp"));
    xAxis->setLabel(QStringLiteral("мВ"));
    xAxis->setTicker(m_ticker);
    xAxis->setTickLength(0, 8);
    xAxis->setSubTickLength(0, 4);
    xAxis->grid()->setVisible(false);
    yAxis->setVisible(false);
    yAxis->grid()->setVisible(false);
    yAxis->setRange(0, 1);

    // The signal bar runs along X over the whole height.
    m_signal = new QCPBars(yAxis, xAxis);
    m_signal->setName(QStringLiteral("serTuneUp"));
    m_signal->setWidth(1);
    m_signal->setPen(Qt::NoPen);
    m_signal->data()->add(QCPBarsData(0.5, 0));

    // The maximum is a thin full-height line.
    m_max = new QCPBars(xAxis, yAxis);
    m_max->setName(QStringLiteral("serMax"));
    m_max->setWidthType(QCPBars::wtAbsolute);
    m_max->setWidth(MaxLinePx);
    m_max->setPen(Qt::NoPen);
    m_max->setBrush(Qt::black);
    m_max->data()->add(QCPBarsData(0, 1));
    TuneUpChartView::syncFromModel();
}

void TuneUpChartView::syncFromModel() {
    m_signal->data()->begin()->value = m_readings.TuneUpSignal();
    m_signal->setBrush(m_readings.barGreen() ? Lime : Red);
    m_max->data()->clear();
    m_max->data()->add(QCPBarsData(m_readings.TuneUpMax(), 1));
    xAxis->setRange(0, m_readings.axisMaximum());
    m_ticker->setTickStep(m_readings.axisStep());
}
