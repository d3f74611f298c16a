#pragma once

#include "protocol/Scales.h"

#include <QString>
#include <QStringList>
#include <optional>

class CommandSlots;
class TelemetryTable;

// The detector's settings as it last reported them: the reference that every decision of the
// Range settings page compares its selectors with. The page keeps no copy of its own.
struct RangeReport {
    unsigned senspp = 0;
    unsigned sensmp = 0;
    unsigned ctrl_pp_mp = 0;
    unsigned sensbp = 0;
    unsigned dist = 0;
    unsigned reg = 0;
    unsigned vel_min = 0;
    unsigned vel_max = 0;
    unsigned dev = 0;
    unsigned letter = 0;
    unsigned adr = 0;
    unsigned cs = 0;
    unsigned out = 0;
    unsigned freq = 0;
    unsigned symbol = 0;
    unsigned number = 0;
};

RangeReport ReportOf(const TelemetryTable& telemetry);

// One drop-down list of the page: its items, the chosen position (-1: none) and how it is shown.
struct Selector {
    QStringList items;
    int position = -1;
    bool visible = true;
    bool enabled = true;

    bool has(int pos) const { return pos >= 0 && pos < items.size(); }
    bool selected() const { return has(position); }
    // A position the list does not have leaves it without a selection.
    void select(int pos) { position = has(pos) ? pos : -1; }
};

// Item texts of the four threshold lists. Position c of every list belongs to threshold code c;
// the sensitivity list may end with "---" (no single sensitivity: special regulation).
struct ThresholdLists {
    QStringList sens;
    QStringList pp;
    QStringList mp;
    QStringList bp;
};

// The whole settings strip as plain values: the selectors are the page's edit buffer.
struct RangeSelectors {
    Selector regul;
    Selector dist;
    Selector sens;
    Selector pp;
    Selector mp;
    Selector bp;
    Selector minSpeed;
    Selector maxSpeed;
    Selector address;
    Selector letter;
    Selector symbol;
    Selector tens;
    Selector units;
    // Apply and Cancel are enabled exactly while the page is edited.
    bool edited = false;

    // Code entries of the threshold lists (the sensitivity list's "---" is not a code).
    int thresholdCodes() const { return int(pp.items.size()); }
};

// Positions of the regulation selector.
enum RegulationPosition { RegulAuto = 0, RegulManual = 1, RegulSpecial1 = 2, RegulSpecial2 = 3 };

inline const QString NoSensitivityText = QStringLiteral("---");
// A threshold list left without a selection by a load or a fill takes the last code of the
// 19-entry lists, which every list has.
constexpr int ThresholdListFallback = 18;

// The strip as the window is designed, before any list is built or detector loaded.
RangeSelectors InitialRangeSelectors();

// Lists from threshold percentages, percent(kind, code) (start-up: the settings file; properties
// Apply: the values just written), codes 0..codes-1, formatted "#".
template <typename PercentOf>
ThresholdLists BuildThresholdLists(int codes, bool withNoneEntry, PercentOf percent);
QString SensitivityText(int code);
QString ThresholdText(double percent);

// New lists; the four threshold selectors lose their selection.
void SetThresholdLists(RangeSelectors& s, const ThresholdLists& lists);

// Cancel: every selector from the report, the method-dependent fills, not edited.
void LoadFromReport(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables);
// The part of the page's Show that comes before the load: letter, position designation (unless
// the detector reports none, 127), speeds, and the address where the detector has one.
void PrepareShow(RangeSelectors& s, const RangeReport& r);
// The position designation selectors from the report.
void LoadPosition(RangeSelectors& s, const RangeReport& r);
// The link was given up: the designation selectors lose their selection.
void ClearPosition(RangeSelectors& s);
// A Position message reloads the designation unless the user is editing it.
bool PositionReloadWanted(const RangeSelectors& s);

// Handlers of the user's choices.
void RegulationChanged(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables);
void LengthChanged(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables);
void SensitivityChanged(RangeSelectors& s);
inline void MarkEdited(RangeSelectors& s) {
    s.edited = true;
}

// An address the selector cannot show (0, 13..15) on a detector whose address is offered.
bool AddressNeedsRepair(const RangeSelectors& s, const RangeReport& r);
// Address 2 (not 1), which the next Apply sends.
void RepairAddress(RangeSelectors& s);

// What Apply queues. Every field of a group comes from its selector, or from the report when
// the selector has no selection, so that nothing is invented; a group goes out only when one
// of its fields differs from the report.
struct ModeArgs {
    unsigned adr, senspp, state, ctrl_pp_mp;
    bool operator==(const ModeArgs&) const = default;
};
struct ThresholdArgs {
    unsigned sensmp, sensbp, letter;
    bool operator==(const ThresholdArgs&) const = default;
};
struct SectionArgs {
    unsigned vel_min, vel_max, dist, reg;
    bool operator==(const SectionArgs&) const = default;
};
struct PositionArgs {
    unsigned symbol, number;
    bool operator==(const PositionArgs&) const = default;
};
struct RangeApplyPlan {
    std::optional<SectionArgs> section;
    std::optional<ModeArgs> mode;
    std::optional<ThresholdArgs> threshold;
    std::optional<PositionArgs> position;

    bool empty() const { return !section && !mode && !threshold && !position; }
};

RangeApplyPlan PlanApply(const RangeSelectors& s, const RangeReport& r);
void QueueApplyPlan(const RangeApplyPlan& plan, CommandSlots& commands);

// The red frame around the threshold boxes: the detector's thresholds differ from the page's
// while nothing is being edited, sent or chosen.
bool WrongThresholdsShown(const RangeSelectors& s, const RangeReport& r, bool modeAwaiting,
                          bool thresholdAwaiting, bool thresholdListDroppedDown);

template <typename PercentOf>
ThresholdLists BuildThresholdLists(int codes, bool withNoneEntry, PercentOf percent) {
    ThresholdLists lists;
    for (int c = 0; c < codes; ++c) {
        lists.sens << SensitivityText(c);
        lists.pp << ThresholdText(percent(ThresholdKind::PP, c));
        lists.mp << ThresholdText(percent(ThresholdKind::MP, c));
        lists.bp << ThresholdText(percent(ThresholdKind::BP, c));
    }
    if (withNoneEntry)
        lists.sens << NoSensitivityText;
    return lists;
}
