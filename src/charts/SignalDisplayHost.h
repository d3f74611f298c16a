#pragma once

#include "charts/ConditionEvents.h"
#include "charts/HintChoice.h"

// The choices of other pages that the Range oscillogram reads at each update.
struct RangeSettings {
    bool signalDuringAlarm = false; // cbDisplaySignalDuringAlarm
    int thresholdExcess = 0;        // rgThresholds item index, -1 for none
    bool recording = false;         // chbSaveTrvRange
    int regulationIndex = -1;       // cbRegulRange item index; 3 is "Спец.2 БП"
    int chosenRate = 1;             // number shown in cbSelectFilter, 1 when it shows none
};

// What the signal displays need of the main window around them. The window implements it;
// every value is read at the moment of use, as the controls hold it then.
class SignalDisplayHost : public ConditionEvents {
public:
    virtual DisplayPage ActivePage() const = 0;
    virtual RangeSettings CurrentRangeSettings() const = 0;
    // Hint line entry i (text and colour).
    virtual void SetNote(int index) = 0;
    // The red frame around the threshold selectors follows the detector's report.
    virtual void UpdateWrongThresholdsMarker() {}
    // The averaged-level label of the information panel shows "---" on the alignment page.
    virtual void ShowAverageLevelUnknown() {}
};
