#pragma once

#include "charts/ConditionEvents.h"
#include "charts/RangeSeries.h"

#include <functional>

// How an excess of a threshold is judged (`rgThresholds` item index, setting ThresholdExcess).
enum class ThresholdExcessMode : int {
    None = -1,               // no item selected: nothing drawn, nothing latched
    LevelAsIndicator = 0,    // the detector's flag or the signal level
    LevelNotAsIndicator = 1, // the flag; the level alone gets rows of its own
    IndicatorOnly = 2,       // the flag
    SignalOnly = 3,          // the signal level
};

ThresholdExcessMode thresholdExcessModeOf(int itemIndex);

enum class ExcessOutcome { Normal, LevelOnly, Exceeded };

// Outcome for one threshold: `flag` is the detector's excess flag, `levelHit` the level test.
ExcessOutcome JudgeThreshold(ThresholdExcessMode mode, bool flag, bool levelHit);

// One accepted oscillogram message as the analysis sees it.
struct ThresholdReading {
    double signalPercent = 0;
    bool pp = false; // the detector's excess flags
    bool mp = false;
    bool bp = false;
    unsigned state = 0;               // detector mode of the last Average message
    bool thresholdControlOff = false; // ctrl_pp_mp = 1: only БП is watched
    double ppPercent = 0;             // threshold percentages, positive
    double mpPercent = 0;
    double bpPercent = 0;
    ThresholdExcessMode mode = ThresholdExcessMode::LevelAsIndicator;
    bool recording = false;
};

// Latches and counters that live for the whole run; a new recording clears them.
struct ConditionState {
    bool PpExcessLatch = false;
    bool PpExcessInAlarm = false;
    bool MpExcessLatch = false;
    bool MpExcessInAlarm = false;
    int PpExcessCount = 0;
    int MpExcessCount = 0;
    bool AlarmLatch = false;
    bool FaultLatch = false;
    int AlarmCount = 0;
    int FaultCount = 0;
};

// The per-message analysis of the Range oscillogram: which marker row each threshold point
// goes to, completed ПП and МП excesses, and the onset and end of alarms and malfunctions.
// It draws through `AddMarker` and reports through ConditionEvents only.
class ThresholdAnalysis {
public:
    // Adds one threshold point (at the current message's X) to a marker row.
    using AddMarker = std::function<void(RangeSeries row, double y)>;

    void ClassifyThresholds(const ThresholdReading& reading, const AddMarker& addMarker,
                            ConditionEvents& events);
    // `reannounceRequest` is the link's request to announce the condition again (after a pause
    // or an identification); it is cleared here when consumed.
    void UpdateConditionLatches(unsigned state, bool recording, bool& reannounceRequest,
                                ConditionEvents& events);

    // A recording starts: every latch and counter back to its initial value.
    void ClearForRecording() { m_state = ConditionState{}; }

    const ConditionState& state() const { return m_state; }
    ConditionState& state() { return m_state; }

private:
    struct ExcessRows {
        RangeSeries normal;
        RangeSeries levelOnly;
        RangeSeries exceeded;
    };
    struct ExcessLatch {
        bool& latch;
        bool& inAlarm;
        int& count;
        const char* label;
    };

    static void addPoint(const AddMarker& addMarker, const ExcessRows& rows, ExcessOutcome outcome,
                         double y);
    void closeOrHoldExcess(ExcessOutcome outcome, const ExcessLatch& excess, bool otherFlag,
                           const ThresholdReading& reading, ConditionEvents& events);

    ConditionState m_state;
};
