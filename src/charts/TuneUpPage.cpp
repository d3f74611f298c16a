#include "charts/TuneUpPage.h"

#include "charts/RangeOscillogram.h"
#include "charts/TuneUpChartView.h"
#include "connection/PollCycle.h"
#include "protocol/DevicePanel.h"
#include "protocol/Scales.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int AlignmentHint = 7;

QString millivolts(double value) {
    return panel::decimalText(value, 3); // "0.000", as the panel's average level
}

QLabel* namedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

TuneUpPage::TuneUpPage(PollCycle& link, RangeOscillogram& range, SignalDisplayHost& host,
                       QWidget* parent)
    : QWidget(parent), m_link(link), m_range(range), m_host(host) {
    setObjectName(QStringLiteral("TuneUpPage"));
    auto* readingsGrid = new QGridLayout;
    readingsGrid->addWidget(namedLabel(QStringLiteral("Сигнал:"), nullptr, this), 0, 0);
    m_signal = namedLabel(millivolts(0), "lSignal", this);
    m_signal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readingsGrid->addWidget(m_signal, 0, 1);
    readingsGrid->addWidget(namedLabel(QStringLiteral("мВ"), nullptr, this), 0, 2);
    readingsGrid->addWidget(namedLabel(QStringLiteral("Максимум:"), nullptr, this), 1, 0);
    m_max = namedLabel(millivolts(0), "lTuneUpMax", this);
    m_max->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readingsGrid->addWidget(m_max, 1, 1);
    readingsGrid->addWidget(namedLabel(QStringLiteral("мВ"), nullptr, this), 1, 2);
    m_clear = new QPushButton(QStringLiteral("Сбросить максимум <F8>"), this);
    m_clear->setObjectName(QStringLiteral("btnTuneUpClear"));
    readingsGrid->addWidget(m_clear, 0, 3, 2, 1);
    readingsGrid->setColumnStretch(4, 1);

    m_chart = new TuneUpChartView(m_readings, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(readingsGrid);
    layout->addWidget(m_chart, 1);

    connect(m_clear, &QPushButton::clicked, this, &TuneUpPage::btnTuneUpClearClick);
}

void TuneUpPage::UpdateTuneUpChart() {
    const TelemetryTable& t = m_link.telemetry();
    const double v = SignalMillivolts(t.ref(), t.sig(), t.amplif());
    if (m_readings.Update(v))
        m_max->setText(millivolts(v));
    m_signal->setText(millivolts(v));
    m_chart->scheduleRefresh();
    if (const auto hint = UpdateHint(m_host.ActivePage(), t.state(), t.dis(), t.reg()))
        m_host.SetNote(*hint);
}

void TuneUpPage::tsTuneUpShow() {
    m_range.TouchLastPlotTime();
    if (m_link.telemetry().state() != ModeAlignment)
        m_link.commands().RequestAlignmentMode();
    m_host.SetNote(AlignmentHint);
    m_host.ShowAverageLevelUnknown();
    m_readings.Restart();
    UpdateTuneUpChart();
}

void TuneUpPage::tsTuneUpHide() {
    if (m_link.connected() && m_link.telemetry().state() == ModeAlignment)
        m_link.commands().RequestNormalMode();
}

void TuneUpPage::btnTuneUpClearClick() {
    m_readings.ResetMaximum();
    m_chart->scheduleRefresh();
    UpdateTuneUpChart();
}

void TuneUpPage::DetectorLeftAlignment() {
    m_readings.MarkAlignmentLeft();
    m_signal->setText(QStringLiteral("---"));
    m_max->setText(QStringLiteral("---"));
    m_chart->scheduleRefresh();
}
