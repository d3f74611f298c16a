#include "charts/RangeOscillogram.h"

#include "charts/OscillogramControls.h"
#include "charts/RangeChartView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QToolButton>

// Passes everything to the window, but brings the chart up to date before each snapshot, so
// that the picture of an event shows the point that caused it.
class RangeOscillogram::SnapshotHost final : public SignalDisplayHost {
public:
    SnapshotHost(SignalDisplayHost& host, RangeOscillogram& owner) : m_host(host), m_owner(owner) {}

    DisplayPage ActivePage() const override { return m_host.ActivePage(); }
    RangeSettings CurrentRangeSettings() const override { return m_host.CurrentRangeSettings(); }
    void SetNote(int index) override { m_host.SetNote(index); }
    void UpdateWrongThresholdsMarker() override { m_host.UpdateWrongThresholdsMarker(); }
    void ShowAverageLevelUnknown() override { m_host.ShowAverageLevelUnknown(); }
    QString AlarmNumberCaption() const override { return m_host.AlarmNumberCaption(); }
    void SetAlarmNumberCaption(const QString& caption) override {
        m_host.SetAlarmNumberCaption(caption);
    }
    void RecordEvent(const QString& label) override {
        m_owner.flush();
        m_host.RecordEvent(label);
    }

private:
    SignalDisplayHost& m_host;
    RangeOscillogram& m_owner;
};

RangeOscillogram::RangeOscillogram(PollCycle& link, const ScaleTables& tables, const Clock& clock,
                                   EventLog* log, SignalDisplayHost& host, QObject* parent)
    : QObject(parent), m_snapshotHost(std::make_unique<SnapshotHost>(host, *this)),
      m_model(link, tables, clock, log), m_host(host), m_chart(new RangeChartView(m_model)),
      m_controls(new OscillogramControls) {
    connectControls();
    Prepare();
}

RangeOscillogram::~RangeOscillogram() {
    // Widgets the window never took are still ours.
    if (m_chart && !m_chart->parent())
        delete m_chart;
    if (m_controls && !m_controls->parent())
        delete m_controls;
}

RangeChartView* RangeOscillogram::chRange() const {
    return m_chart;
}

OscillogramControls* RangeOscillogram::oscillogramControls() const {
    return m_controls;
}

void RangeOscillogram::connectControls() {
    OscillogramControls* c = m_controls;
    connect(c->sbLeftAxisUp, &QToolButton::clicked, this, &RangeOscillogram::sbLeftAxisUpClick);
    connect(c->sbLeftAxisDown, &QToolButton::clicked, this, &RangeOscillogram::sbLeftAxisDownClick);
    connect(c->sbBottomAxisSlow, &QToolButton::clicked, this,
            &RangeOscillogram::sbBottomAxisSlowClick);
    connect(c->sbBottomAxisFast, &QToolButton::clicked, this,
            &RangeOscillogram::sbBottomAxisFastClick);
    connect(c->playback, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.SetPlayback(PlaybackMode(id));
        changed();
    });
    // A programmatic change of the box raises the handler too (Ctrl+Z relies on it).
    connect(c->chbAutoYScale, &QCheckBox::toggled, this, [this](bool checked) {
        m_model.SetAutoYScale(checked);
        chbAutoYScaleClick();
    });
    connect(m_chart, &RangeChartView::resized, this, &RangeOscillogram::RecalcMaxPointsPerPage);
}

void RangeOscillogram::changed() {
    m_controls->mirror(m_model);
    m_chart->scheduleRefresh();
}

void RangeOscillogram::flush() {
    m_controls->mirror(m_model);
    m_chart->flush();
}

void RangeOscillogram::Prepare() {
    m_model.Prepare(m_host.CurrentRangeSettings().chosenRate, m_chart->width());
    changed();
}

void RangeOscillogram::UpdateRangeChart() {
    if (m_model.UpdateRangeChart(*m_snapshotHost) == RangeChartModel::Update::Plotted)
        m_chart->scheduleRefresh();
}

void RangeOscillogram::RecalcMaxPointsPerPage() {
    m_model.scale().RecalcMaxPointsPerPage(m_host.CurrentRangeSettings().chosenRate,
                                           m_chart->width());
    changed();
}

void RangeOscillogram::AutoYScale() {
    m_model.AutoYScale(m_host.CurrentRangeSettings().regulationIndex);
    changed();
}

void RangeOscillogram::actAutoYScaleExecute() {
    m_controls->chbAutoYScale->setChecked(!m_controls->chbAutoYScale->isChecked());
}

void RangeOscillogram::actPlayChangeExecute() {
    m_model.actPlayChangeExecute();
    changed();
}

void RangeOscillogram::sbLeftAxisUpClick() {
    m_model.scale().sbLeftAxisUpClick();
    changed();
}

void RangeOscillogram::sbLeftAxisDownClick() {
    m_model.scale().sbLeftAxisDownClick();
    changed();
}

void RangeOscillogram::sbBottomAxisSlowClick() {
    m_model.scale().sbBottomAxisSlowClick(m_host.CurrentRangeSettings().chosenRate,
                                          m_chart->width());
    changed();
}

void RangeOscillogram::sbBottomAxisFastClick() {
    m_model.scale().sbBottomAxisFastClick(m_host.CurrentRangeSettings().chosenRate,
                                          m_chart->width(), m_model.iX());
    changed();
}

void RangeOscillogram::PauseIfShowingBeforeAlarm() {
    m_model.PauseIfShowingBeforeAlarm();
    changed();
}
