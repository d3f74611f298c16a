#pragma once

#include "app/WindowParts.h"
#include "charts/SignalDisplayHost.h"

#include <QObject>
#include <QPointer>
#include <memory>

class PropertiesPage;
class QWidget;
class RangeOscillogram;
class RangeSettingsStrip;
class RecordingBox;
class SignalDisplays;
class TfmMain;

// The pages of the program, built from their parts and installed into the main window:
//  - "Юстировка": the alignment chart with its readings;
//  - "Настройки": the settings strip across the top, the oscillogram below it with the
//    recording box beside it, and the oscillogram controls in the left panel;
//  - "Свойства": the properties page with the tool's tables.
// It answers the window's calls for the Range and properties pages and the signal displays'
// questions about the window. Owned by the window (a child object); created once at start-up.
class WindowPages final : public QObject,
                          public SignalDisplayHost,
                          public RangePart,
                          public ParamsPart {
    Q_OBJECT
public:
    explicit WindowPages(TfmMain& window);
    ~WindowPages() override;

    SignalDisplays& displays() { return *m_displays; }
    RangeOscillogram& oscillogram();
    RangeSettingsStrip* strip() const;
    RecordingBox* recordingBox() const;
    PropertiesPage* properties() const;

    // --- SignalDisplayHost -----------------------------------------------------------------
    DisplayPage ActivePage() const override;
    RangeSettings CurrentRangeSettings() const override;
    void SetNote(int index) override;
    void UpdateWrongThresholdsMarker() override;
    void ShowAverageLevelUnknown() override;
    void RecordEvent(const QString& label) override;
    QString AlarmNumberCaption() const override;
    void SetAlarmNumberCaption(const QString& caption) override;

    // --- RangePart -------------------------------------------------------------------------
    void tsRangeShow() override;
    void tsRangeHide() override;
    void UpdateRangeChart() override;
    void btnApplyRangeClick() override;
    bool btnClearTrvRangeEnabled() const override;
    void btnClearTrvRangeClick() override;
    bool IsRecording() const override;
    void ToggleRecording() override;
    void StopRecording() override;
    void RecordLinkEvent(LinkEvent event) override;
    void SetThresholdLists(const panel::IdentificationLists& lists) override;
    void SetLetterEditable(bool editable) override;
    void SetAddressEditorVisible(bool visible) override;
    void ShowPositionEditor(unsigned symbol, unsigned number) override;
    void ClearPositionEditor() override;

    // --- ParamsPart ------------------------------------------------------------------------
    void tsParamsShow() override;
    void btnApplayParamsClick() override;
    void SetApplyEnabled(bool enabled) override;

private:
    QWidget* buildRangePage();

    TfmMain& m_window;
    QPointer<RecordingBox> m_box;
    QPointer<RangeSettingsStrip> m_strip;
    QPointer<PropertiesPage> m_properties;
    std::unique_ptr<SignalDisplays> m_displays;
};
