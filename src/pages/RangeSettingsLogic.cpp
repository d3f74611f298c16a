#include "pages/RangeSettingsLogic.h"

#include "protocol/CommandSlots.h"
#include "protocol/Telemetry.h"

namespace {

QStringList numbersFrom(int first, int last) {
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    return items;
}

QStringList regulationItems(bool cs) {
    QStringList items{QStringLiteral("Авто."), QStringLiteral("Ручной"),
                      QStringLiteral("Спец.1 ПП,МП,БП")};
    if (cs)
        items << QStringLiteral("Спец.2 БП");
    return items;
}

int regulationPositionOf(unsigned reg, unsigned ctrl_pp_mp) {
    switch (reg) {
    case 0:
        return RegulManual;
    case 1:
        return ctrl_pp_mp ? RegulSpecial2 : RegulSpecial1;
    default:
        return RegulAuto;
    }
}

// Entries of the length list: "10", "20", ... up to the model's longest section.
int lengthEntriesOf(unsigned dev) {
    switch (dev) {
    case 1:
    case 4:
        return 10;
    case 3:
        return 5;
    case 6:
        return 20;
    default:
        return 30;
    }
}

QStringList lengthItems(unsigned dev) {
    QStringList items;
    for (int i = 1; i <= lengthEntriesOf(dev); ++i)
        items << QString::number(i * 10);
    return items;
}

// Threshold code c is position c; the sensitivity list's trailing "---" is not a code.
void selectCode(Selector& selector, int code, int codes) {
    selector.position = code >= 0 && code < codes && selector.has(code) ? code : -1;
}

void fallBackIfEmpty(Selector& selector) {
    if (!selector.selected())
        selector.select(ThresholdListFallback);
}

void offer(Selector& selector, bool shown, bool enabled) {
    selector.visible = shown;
    selector.enabled = enabled;
}

int noneEntryOf(const Selector& sens) {
    return int(sens.items.indexOf(NoSensitivityText));
}

// The method's command values: o_reg and the special-2 flag. Without a selection the detector's
// own method is kept.
struct RegulationValues {
    unsigned reg;
    unsigned special2;
};

RegulationValues regulationValuesOf(const Selector& regul, const RangeReport& r) {
    switch (regul.selected() ? regul.position : -1) {
    case RegulAuto:
        return {2, 0};
    case RegulManual:
        return {0, 0};
    case RegulSpecial1:
        return {1, 0};
    case RegulSpecial2:
        return {1, 1};
    default:
        return {r.reg, r.ctrl_pp_mp};
    }
}

// The selector's position plus an offset, or the reported value when nothing is selected.
unsigned chosenOr(const Selector& selector, unsigned reported, int offset = 0) {
    return selector.selected() ? unsigned(selector.position + offset) : reported;
}

} // namespace

RangeReport ReportOf(const TelemetryTable& t) {
    RangeReport r;
    r.senspp = t.senspp();
    r.sensmp = t.sensmp();
    r.ctrl_pp_mp = t.ctrl_pp_mp();
    r.sensbp = t.sensbp();
    r.dist = t.dist();
    r.reg = t.reg();
    r.vel_min = t.vel_min();
    r.vel_max = t.vel_max();
    r.dev = t.dev();
    r.letter = t.letter();
    r.adr = t.adr();
    r.cs = t.cs();
    r.out = t.out();
    r.freq = t.freq();
    r.symbol = t.symbol();
    r.number = t.number();
    return r;
}

RangeSelectors InitialRangeSelectors() {
    RangeSelectors s;
    s.regul.items = {QStringLiteral("Автоматический"), QStringLiteral("Ручной"),
                     QStringLiteral("Специальны 1 (ПП,МП,БП)"),
                     QStringLiteral("Специальны 2 (БП)")};
    s.minSpeed.items = {QStringLiteral("0,1"), QStringLiteral("0,2"), QStringLiteral("0,3"),
                        QStringLiteral("0,4")};
    s.maxSpeed.items = {QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("8"),
                        QStringLiteral("10")};
    s.address.items = numbersFrom(1, 12);
    s.letter.items = numbersFrom(1, 4);
    s.letter.visible = false;
    for (char letter = 'A'; letter <= 'N'; ++letter)
        s.symbol.items << QString(QLatin1Char(letter));
    s.tens.items = numbersFrom(0, 9);
    s.units.items = numbersFrom(0, 9);
    s.symbol.visible = s.tens.visible = s.units.visible = false;
    return s;
}

QString SensitivityText(int code) {
    return QString::number(SensitivityPercent(code));
}

QString ThresholdText(double percent) {
    return FormatRounded(percent);
}

void SetThresholdLists(RangeSelectors& s, const ThresholdLists& lists) {
    s.sens.items = lists.sens;
    s.pp.items = lists.pp;
    s.mp.items = lists.mp;
    s.bp.items = lists.bp;
    s.sens.position = s.pp.position = s.mp.position = s.bp.position = -1;
}

void LoadFromReport(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables) {
    s.regul.items = regulationItems(r.cs);
    s.regul.select(regulationPositionOf(r.reg, r.ctrl_pp_mp));

    s.dist.items = lengthItems(r.dev);
    s.dist.select(r.dist < 2 ? 0 : int(r.dist) - 2);

    const int codes = s.thresholdCodes();
    if (r.reg == 0)
        selectCode(s.sens, int(r.senspp), codes);
    else if (r.reg == 1)
        s.sens.select(noneEntryOf(s.sens));
    else
        selectCode(s.sens, tables.LengthThresholdCode(int(r.freq), int(r.dist)), codes);

    s.pp.select(int(r.senspp));
    s.mp.select(int(r.sensmp));
    s.bp.select(int(r.sensbp));
    fallBackIfEmpty(s.pp);
    fallBackIfEmpty(s.mp);
    fallBackIfEmpty(s.bp);

    RegulationChanged(s, r, tables);
    LoadPosition(s, r);
    s.edited = false;
}

void PrepareShow(RangeSelectors& s, const RangeReport& r) {
    s.letter.select(int(r.letter));
    if (r.number != 127)
        LoadPosition(s, r);
    s.minSpeed.select(int(r.vel_min));
    s.maxSpeed.select(int(r.vel_max));
    if (r.out == 1 || r.dev == 2)
        s.address.select(int(r.adr) - 1);
    else
        s.address.position = -1;
}

void LoadPosition(RangeSelectors& s, const RangeReport& r) {
    s.symbol.select(int(r.symbol));
    s.tens.select(int(r.number / 10 % 10));
    s.units.select(int(r.number % 10));
}

void ClearPosition(RangeSelectors& s) {
    s.symbol.position = s.tens.position = s.units.position = -1;
}

bool PositionReloadWanted(const RangeSelectors& s) {
    return !s.edited || !s.symbol.selected() || !s.tens.selected() || !s.units.selected();
}

void RegulationChanged(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables) {
    switch (s.regul.selected() ? s.regul.position : -1) {
    case RegulAuto:
        offer(s.sens, true, false);
        s.dist.enabled = true;
        offer(s.pp, true, false);
        offer(s.mp, true, false);
        offer(s.bp, true, false);
        LengthChanged(s, r, tables);
        break;
    case RegulManual:
        offer(s.sens, true, true);
        s.dist.enabled = false;
        offer(s.pp, false, false);
        offer(s.mp, false, false);
        offer(s.bp, false, false);
        break;
    case RegulSpecial1:
        offer(s.sens, false, false);
        s.dist.enabled = false;
        offer(s.pp, true, true);
        offer(s.mp, true, true);
        offer(s.bp, true, true);
        break;
    case RegulSpecial2:
        offer(s.sens, false, false);
        s.dist.enabled = false;
        offer(s.pp, false, false);
        offer(s.mp, false, false);
        offer(s.bp, true, true);
        break;
    default:
        break; // no method chosen: the selectors stay as they are
    }
    s.edited = true;
}

void LengthChanged(RangeSelectors& s, const RangeReport& r, const ScaleTables& tables) {
    if (s.regul.position != RegulAuto)
        return;
    const int code = tables.LengthThresholdCode(int(r.freq), s.dist.position + 2);
    const int codes = s.thresholdCodes();
    selectCode(s.sens, code, codes);
    s.pp.select(code);
    s.mp.select(code);
    s.bp.select(code);
    fallBackIfEmpty(s.pp);
    fallBackIfEmpty(s.mp);
    fallBackIfEmpty(s.bp);
    s.edited = true;
}

void SensitivityChanged(RangeSelectors& s) {
    if (s.regul.position == RegulManual) {
        s.pp.select(s.sens.position);
        s.mp.select(s.pp.position);
        s.bp.select(s.pp.position);
        fallBackIfEmpty(s.mp);
        fallBackIfEmpty(s.bp);
    }
    s.edited = true;
}

bool AddressNeedsRepair(const RangeSelectors& s, const RangeReport& r) {
    return s.address.visible && (r.adr == 0 || r.adr > 12);
}

void RepairAddress(RangeSelectors& s) {
    s.address.select(1);
}

RangeApplyPlan PlanApply(const RangeSelectors& s, const RangeReport& r) {
    RangeApplyPlan plan;
    const RegulationValues method = regulationValuesOf(s.regul, r);

    const SectionArgs section{chosenOr(s.minSpeed, r.vel_min), chosenOr(s.maxSpeed, r.vel_max),
                              chosenOr(s.dist, r.dist, 2), method.reg};
    if (section != SectionArgs{r.vel_min, r.vel_max, r.dist, r.reg})
        plan.section = section;

    const unsigned adr = s.address.visible ? chosenOr(s.address, r.adr, 1) : r.adr;
    const ModeArgs mode{adr, chosenOr(s.pp, r.senspp), 0, method.special2};
    if (mode.adr != r.adr || mode.senspp != r.senspp || mode.ctrl_pp_mp != r.ctrl_pp_mp)
        plan.mode = mode;

    const unsigned letter = s.letter.enabled ? chosenOr(s.letter, r.letter) : r.letter;
    const ThresholdArgs threshold{chosenOr(s.mp, r.sensmp), chosenOr(s.bp, r.sensbp), letter};
    if (threshold != ThresholdArgs{r.sensmp, r.sensbp, r.letter})
        plan.threshold = threshold;

    if (s.symbol.visible) {
        const unsigned tens = chosenOr(s.tens, r.number / 10 % 10);
        const unsigned units = chosenOr(s.units, r.number % 10);
        const unsigned symbol = chosenOr(s.symbol, r.symbol);
        if (symbol != r.symbol || tens != r.number / 10 % 10 || units != r.number % 10)
            plan.position = PositionArgs{symbol, 10 * tens + units};
    }
    return plan;
}

void QueueApplyPlan(const RangeApplyPlan& plan, CommandSlots& commands) {
    if (plan.section)
        commands.EncodeSectionCommand(plan.section->vel_min, plan.section->vel_max,
                                      plan.section->dist, plan.section->reg);
    if (plan.mode)
        commands.EncodeModeCommand(plan.mode->adr, plan.mode->senspp, plan.mode->state,
                                   plan.mode->ctrl_pp_mp);
    if (plan.threshold)
        commands.EncodeThresholdCommand(plan.threshold->sensmp, plan.threshold->sensbp,
                                        plan.threshold->letter);
    if (plan.position)
        commands.EncodePositionCommand(plan.position->symbol, plan.position->number);
}

bool WrongThresholdsShown(const RangeSelectors& s, const RangeReport& r, bool modeAwaiting,
                          bool thresholdAwaiting, bool thresholdListDroppedDown) {
    const bool differ = s.pp.position != int(r.senspp) || s.mp.position != int(r.sensmp) ||
                        s.bp.position != int(r.sensbp);
    return differ && !s.edited && !modeAwaiting && !thresholdAwaiting && !thresholdListDroppedDown;
}
