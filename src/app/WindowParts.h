#pragma once

#include "connection/LinkView.h"
#include "protocol/DevicePanel.h"

#include <QString>

// The window's pages are built as widgets of their own and installed into the main window
// (TfmMain::installTuneUpPage and its siblings). The window drives each page through one of
// the small interfaces below. Every hook does nothing by default, so the window runs with any
// page still missing, and a page overrides only what it takes part in.

// The alignment page (tab "Юстировка <F2>").
class TuneUpPart {
public:
    virtual ~TuneUpPart() = default;
    virtual void tsTuneUpShow() {}
    virtual void tsTuneUpHide() {}
    // A Signal message while the page is active and the detector reports alignment.
    virtual void UpdateTuneUpChart() {}
    // F8 on the page.
    virtual void btnTuneUpClearClick() {}
    // The detector left alignment for normal guarding or alarm while the page was shown:
    // the readings become "---" until the next alignment.
    virtual void DetectorLeftAlignment() {}
};

// The Range page (tab "Настройки <F3>"): settings strip, oscillogram and alarm recording.
class RangePart {
public:
    virtual ~RangePart() = default;
    virtual void tsRangeShow() {}
    virtual void tsRangeHide() {}
    // A Signal message while the page is active; also once when an alarm begins on it.
    virtual void UpdateRangeChart() {}
    // F5 on the page.
    virtual void btnApplyRangeClick() {}
    // F8 on the page runs the recording's reset only while its button is enabled.
    virtual bool btnClearTrvRangeEnabled() const { return false; }
    virtual void btnClearTrvRangeClick() {}
    // The recording box "Сохр. <F6>": its state, the F6 toggle, and the stop at window close.
    virtual bool IsRecording() const { return false; }
    virtual void ToggleRecording() {}
    virtual void StopRecording() {}
    // One snapshot and counter for a condition of the link (called only while recording).
    virtual void RecordLinkEvent(LinkEvent /*event*/) {}
    // Identification (and the properties page's Apply) rebuild the threshold lists.
    virtual void SetThresholdLists(const panel::IdentificationLists& /*lists*/) {}
    // The letter can be changed on models 0 and 1 only.
    virtual void SetLetterEditable(bool /*editable*/) {}
    // The address editor follows the panel's address labels.
    virtual void SetAddressEditorVisible(bool /*visible*/) {}
    // The detector reported its position designation: the editor shows it (unless an edit
    // is in progress) and becomes visible for the rest of the run.
    virtual void ShowPositionEditor(unsigned /*symbol*/, unsigned /*number*/) {}
    // Link reset: the designation selectors lose their selection.
    virtual void ClearPositionEditor() {}
};

// The oscillogram controls `gbOscillogram` in the left panel and their shortcuts.
class OscillogramPart {
public:
    virtual ~OscillogramPart() = default;
    virtual void actPlayChangeExecute() {}  // F7
    virtual void actAutoYScaleExecute() {}  // Ctrl+Z
    virtual void sbBottomAxisSlowClick() {} // Ctrl+Q
    virtual void sbBottomAxisFastClick() {} // Ctrl+W
    virtual void sbLeftAxisUpClick() {}     // Ctrl+A
    virtual void sbLeftAxisDownClick() {}   // Ctrl+S
    // An alarm begins on the Range page: in "show before alarm" the playback pauses.
    virtual void PauseIfShowingBeforeAlarm() {}
    // A Signal message reached the alignment page: the oscillogram's thinning starts anew
    // from now.
    virtual void TouchLastPlotTime() {}
};

// The properties page (tab "Свойства <F9>", access level 2).
class ParamsPart {
public:
    virtual ~ParamsPart() = default;
    virtual void tsParamsShow() {}
    virtual void tsParamsHide() {}
    // F5 on the page.
    virtual void btnApplayParamsClick() {}
    // Apply is possible only while a detector is connected.
    virtual void SetApplyEnabled(bool /*enabled*/) {}
};
