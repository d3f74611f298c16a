#pragma once

#include "TelemetryFrames.h"
#include "charts/SignalDisplayHost.h"
#include "common/Clock.h"
#include "connection/LinkView.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "protocol/Scales.h"
#include "protocol/Telemetry.h"

#include <QList>
#include <QStringList>
#include <functional>

// A window stand-in for the signal displays: it writes down what they report and hands them
// the choices a test sets.
class FakeDisplayHost : public SignalDisplayHost {
public:
    DisplayPage page = DisplayPage::Range;
    RangeSettings settings;
    QStringList events;
    QString alarmCaption = QStringLiteral("0");
    QList<int> notes;
    int wrongMarkerUpdates = 0;
    int averageUnknownShown = 0;
    std::function<void()> onRecordEvent; // sees the window as the snapshot would

    DisplayPage ActivePage() const override { return page; }
    RangeSettings CurrentRangeSettings() const override { return settings; }
    void SetNote(int index) override { notes << index; }
    void UpdateWrongThresholdsMarker() override { ++wrongMarkerUpdates; }
    void ShowAverageLevelUnknown() override { ++averageUnknownShown; }
    void RecordEvent(const QString& label) override {
        if (onRecordEvent)
            onRecordEvent();
        events << label;
    }
    QString AlarmNumberCaption() const override { return alarmCaption; }
    void SetAlarmNumberCaption(const QString& caption) override { alarmCaption = caption; }
};

// Telemetry as the detector reports it, written straight into the table.
namespace telemetry {

inline void signal(TelemetryTable& t, unsigned sig, bool pp = false, bool mp = false,
                   bool bp = false) {
    t.StoreFrame(1, std::uint8_t(sig & 0xFF),
                 frameHighByte(1, (sig >> 8) | (pp ? 4u : 0u) | (mp ? 8u : 0u) | (bp ? 16u : 0u)));
}

inline void average(TelemetryTable& t, unsigned aver, unsigned state) {
    t.StoreFrame(2, std::uint8_t(aver & 0xFF), frameHighByte(2, (aver >> 8) | (state << 2)));
}

inline void thresholds(TelemetryTable& t, unsigned senspp, unsigned sensmp, unsigned sensbp,
                       bool controlOff = false) {
    t.StoreFrame(3, std::uint8_t(sensmp | (controlOff ? 0x20u : 0u)), frameHighByte(3, senspp));
    t.StoreFrame(4, std::uint8_t(t.dist() | (t.reg() << 5)), frameHighByte(4, sensbp));
}

inline void section(TelemetryTable& t, unsigned dist, unsigned reg) {
    t.StoreFrame(4, std::uint8_t(dist | (reg << 5)), frameHighByte(4, t.sensbp()));
}

inline void speed(TelemetryTable& t, unsigned dis, unsigned ref = 0, unsigned amplif = 0) {
    t.StoreFrame(5, 0, frameHighByte(5, amplif | (ref << 2) | (dis << 3)));
}

} // namespace telemetry

// Threshold codes whose default percentages are round: ПП 25 %, МП 25 %, БП 50 %.
constexpr unsigned PP25 = 9;
constexpr unsigned MP25 = 9;
constexpr unsigned BP50 = 17;

// The poll cycle's state without a port: telemetry, command slots and the link flags.
struct LinkRig {
    ManualClock clock{1'000'000'000};
    MemoryChannel channel;
    LinkView view;
    PollCycle link{channel, clock, view};
    ScaleTables tables;

    TelemetryTable& t() { return link.telemetry(); }
};
