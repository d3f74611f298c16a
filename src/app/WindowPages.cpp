#include "app/WindowPages.h"

#include "app/ErrorBox.h"
#include "app/Main.h"
#include "charts/OscillogramControls.h"
#include "charts/RangeChartView.h"
#include "charts/RangeOscillogram.h"
#include "charts/SignalDisplays.h"
#include "charts/TuneUpPage.h"
#include "pages/PropertiesPage.h"
#include "pages/RangeSettingsStrip.h"
#include "recording/RecordingBox.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

WindowPages::WindowPages(TfmMain& window) : QObject(&window), m_window(window) {
    // The recording box first: the displays ask for the recording state as they start.
    m_box = new RecordingBox(window.clock(), &window.eventLog());
    m_box->setCaptureWindow(&window);
    m_box->hide();
    m_displays = std::make_unique<SignalDisplays>(window.pollCycle(), window.scaleTables(),
                                                  window.clock(), &window.eventLog(), *this);
    m_box->recorder().setPollCycle(&window.pollCycle());
    m_box->recorder().setConditionAnalysis(&oscillogram().model().analysis());

    m_strip = new RangeSettingsStrip(window.telemetry(), window.commands(), window.scaleTables());
    connect(m_strip, &RangeSettingsStrip::applied, this, [this](bool commandsPending) {
        oscillogram().AutoYScale();
        m_box->onSettingsApplied(commandsPending);
    });

    m_properties =
        new PropertiesPage(window.scaleTables(), window.supplyScale(), window.settingsFile());
    connect(m_properties, &PropertiesPage::rangeListsChanged, m_strip,
            &RangeSettingsStrip::setThresholdLists);
    connect(m_properties, &PropertiesPage::settingsWriteFailed, &window,
            [&window](const QString& message) { ShowErrorBox(message, &window); });
    m_properties->loadSettings(window.settings());
    oscillogram().SetSamplesPerSec(m_properties->pointsPerSecond());

    window.installTuneUpPage(m_displays->tuneUp(), m_displays->tuneUp());
    window.installRangePage(buildRangePage(), this);
    window.installParamsPage(m_properties, this);
    window.installOscillogramControls(oscillogram().oscillogramControls(), &oscillogram());
    oscillogram().Prepare();
}

WindowPages::~WindowPages() = default;

RangeOscillogram& WindowPages::oscillogram() {
    return m_displays->range();
}

RangeSettingsStrip* WindowPages::strip() const {
    return m_strip;
}

RecordingBox* WindowPages::recordingBox() const {
    return m_box;
}

PropertiesPage* WindowPages::properties() const {
    return m_properties;
}

// The strip takes the whole width at the top; the recording box stands beside the chart.
QWidget* WindowPages::buildRangePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_strip);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(2);
    lower->addWidget(oscillogram().chRange(), 1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_box);
    side->addStretch(1);
    lower->addLayout(side);
    layout->addLayout(lower, 1);
    return page;
}

// --- What the signal displays ask of the window ----------------------------------------------

DisplayPage WindowPages::ActivePage() const {
    return m_window.activePage();
}

RangeSettings WindowPages::CurrentRangeSettings() const {
    RangeSettings settings;
    settings.signalDuringAlarm = m_properties && m_properties->signalDuringAlarm();
    settings.thresholdExcess = m_properties ? m_properties->thresholdExcessMode() : 0;
    settings.recording = IsRecording();
    settings.regulationIndex = m_strip ? m_strip->selectors().regul.position : -1;
    settings.chosenRate = m_properties ? m_properties->pointsPerSecond() : 1;
    return settings;
}

void WindowPages::SetNote(int index) {
    m_window.SetNote(index);
}

void WindowPages::UpdateWrongThresholdsMarker() {
    if (m_strip)
        m_strip->UpdateWrongThresholdsMarker();
}

void WindowPages::ShowAverageLevelUnknown() {
    m_window.ShowAverageLevelUnknown();
}

void WindowPages::RecordEvent(const QString& label) {
    if (m_box)
        m_box->RecordEvent(label);
}

QString WindowPages::AlarmNumberCaption() const {
    return m_box ? m_box->AlarmNumberCaption() : QString();
}

void WindowPages::SetAlarmNumberCaption(const QString& caption) {
    if (m_box)
        m_box->SetAlarmNumberCaption(caption);
}

// --- The Range page ------------------------------------------------------------------------

// Showing the page: thinning restarts, the recording box appears (the window shows the
// oscillogram controls), the strip loads the detector's settings, the chart catches up, an
// address the list cannot show is repaired, and the scales follow the thresholds.
void WindowPages::tsRangeShow() {
    oscillogram().TouchLastPlotTime();
    m_box->show();
    m_strip->loadOnShow();
    oscillogram().UpdateRangeChart();
    m_strip->repairAddressOnShow();
    oscillogram().AutoYScale();
    oscillogram().RecalcMaxPointsPerPage();
}

void WindowPages::tsRangeHide() {
    m_box->hide();
}

void WindowPages::UpdateRangeChart() {
    oscillogram().UpdateRangeChart();
}

void WindowPages::btnApplyRangeClick() {
    m_strip->btnApplyRangeClick();
}

bool WindowPages::btnClearTrvRangeEnabled() const {
    return m_box && m_box->btnClearTrvRangeEnabled();
}

void WindowPages::btnClearTrvRangeClick() {
    m_box->btnClearTrvRangeClick();
}

bool WindowPages::IsRecording() const {
    return m_box && m_box->IsRecording();
}

void WindowPages::ToggleRecording() {
    m_box->ToggleRecording();
}

void WindowPages::StopRecording() {
    m_box->StopRecording();
}

void WindowPages::RecordLinkEvent(LinkEvent event) {
    m_box->RecordLinkEvent(event);
}

void WindowPages::SetThresholdLists(const panel::IdentificationLists& lists) {
    m_strip->setThresholdLists({lists.sensitivity, lists.pp, lists.mp, lists.bp});
}

void WindowPages::SetLetterEditable(bool editable) {
    m_strip->setLetterEnabled(editable);
}

void WindowPages::SetAddressEditorVisible(bool visible) {
    m_strip->setAddressVisible(visible);
}

void WindowPages::ShowPositionEditor(unsigned, unsigned) {
    m_strip->onPositionMessage();
}

void WindowPages::ClearPositionEditor() {
    m_strip->clearPositionSelection();
}

// --- The properties page -------------------------------------------------------------------

void WindowPages::tsParamsShow() {
    m_properties->tsParamsShow();
}

void WindowPages::btnApplayParamsClick() {
    m_properties->btnApplayParamsClick();
    oscillogram().SetSamplesPerSec(m_properties->pointsPerSecond());
}

void WindowPages::SetApplyEnabled(bool enabled) {
    if (m_properties)
        m_properties->setApplyEnabled(enabled);
}
