#include "charts/HintChoice.h"

#include "protocol/Telemetry.h"

namespace hint {
constexpr int ChooseMode = 6;
constexpr int DoAlignment = 7;
constexpr int NoSignal = 8;
constexpr int SignalTooHigh = 10;
constexpr int LowSupply = 11;
constexpr int AutomaticSetUp = 12;
constexpr int ManualSetUp = 14;
constexpr int SignalTooLow = 16;
constexpr int Alarm = 17;
} // namespace hint

std::optional<int> UpdateHint(DisplayPage page, unsigned state, unsigned dis, unsigned reg) {
    if (page == DisplayPage::About && state != ModeAlarm)
        return hint::ChooseMode;
    switch (dis) {
    case 1:
        return hint::SignalTooLow;
    case 2:
        return hint::SignalTooHigh;
    case 3:
        return hint::LowSupply;
    default:
        break;
    }
    if (state == ModeAlarm && page == DisplayPage::TuneUp)
        return hint::NoSignal;
    if (state == ModeAlarm && (page == DisplayPage::Range || page == DisplayPage::About))
        return hint::Alarm;
    if ((state == ModeNormal || state == ModeAlarm) && page == DisplayPage::Range) {
        switch (reg) {
        case 0: // manual
        case 1: // special
            return hint::ManualSetUp;
        case 2: // automatic
            return hint::AutomaticSetUp;
        default:
            return std::nullopt;
        }
    }
    if (state == ModeAlignment && page == DisplayPage::TuneUp)
        return hint::DoAlignment;
    return std::nullopt;
}
