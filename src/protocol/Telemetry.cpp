#include "protocol/Telemetry.h"

#include <cstdio>

namespace {

void setStateBits(std::uint8_t& B, unsigned state) {
    B = std::uint8_t((B & ~0x1C) | ((state & 7) << 2));
}

} // namespace

QString modeText(unsigned state) {
    switch (state & 7) {
    case ModeNormal:
        return QStringLiteral("Норма");
    case ModeAlarm:
        return QStringLiteral("Тревога");
    case ModeAlignment:
        return QStringLiteral("Юстировка");
    case ModeFault:
        return QStringLiteral("Неисправность");
    case ModeSettingsChanged:
        return QStringLiteral("Смен настроек с датчика");
    case ModeUnknown5:
        return QStringLiteral("state5");
    case ModeNoLink:
        return QStringLiteral("Нет связи");
    default:
        return QStringLiteral("Пауза");
    }
}

void TelemetryTable::StoreFrame(unsigned code, std::uint8_t A, std::uint8_t B) {
    code &= 7;
    if (code == 1 || code == 2)
        m_previous[code] = m_last[code];
    m_last[code] = {A, B};
}

void TelemetryTable::Reset() {
    m_last.fill({});
    m_previous.fill({});
    setStateBits(m_last[2].B, ModeNoLink);
    setStateBits(m_previous[2].B, ModeNoLink);
}

void TelemetryTable::MarkPause() {
    setStateBits(m_previous[2].B, state());
    setStateBits(m_last[2].B, ModePause);
}

QByteArray BuildInpLine(std::uint8_t w0, std::uint8_t w1, std::uint8_t w2, std::uint8_t w3) {
    const unsigned B = w1, A = w2, C = w3;
    const unsigned code = B >> 5;
    const bool ok = ((A + B) & 0xFF) == C;
    const unsigned word = (A + 256 * B) & 0x3FF;
    char text[160];
    int n = std::snprintf(text, sizeof text, "Inp:[%02X %02X %02X %02X] chsum:%s code:%u ", w0, w1,
                          w2, w3, ok ? "Ok" : "!!!Err!!!", code);
    if (ok) {
        const size_t room = sizeof text - size_t(n);
        char* tail = text + n;
        switch (code) {
        case 0:
            n += std::snprintf(tail, room, "symbol:%u/%c number:%u", (B >> 1) & 0x0F,
                               char('A' + ((B >> 1) & 0x0F)), A & 0x7F);
            break;
        case 1:
            n += std::snprintf(tail, room, "sig:%u pp:%u mp:%u bp:%u", word, (B >> 2) & 1,
                               (B >> 3) & 1, (B >> 4) & 1);
            break;
        case 2:
            n += std::snprintf(tail, room, "aver:%u state:%u", word, (B >> 2) & 7);
            break;
        case 3:
            n += std::snprintf(tail, room, "sensmp:%u senspp:%u ctrl_pp_mp:%u", A & 0x1F, B & 0x1F,
                               (A >> 5) & 1);
            break;
        case 4:
            n += std::snprintf(tail, room, "dist:%u reg:%u sensbp:%u", A & 0x1F, (A >> 5) & 3,
                               B & 0x1F);
            break;
        case 5:
            n += std::snprintf(tail, room, "vel_min:%u vel_max:%u amplif:%u ref:%u dis:%u", A & 3,
                               (A >> 2) & 3, B & 3, (B >> 2) & 1, (B >> 3) & 3);
            break;
        case 6:
            n += std::snprintf(tail, room, "dev:%u prog:%u letter:%u adr:%u cs:%u", A & 7,
                               (A >> 3) & 7, (A >> 6) & 3, B & 0x0F, (B >> 4) & 1);
            break;
        default:
            n += std::snprintf(tail, room, "pwr:%u out:%u freq:%u code:%u", word, (B >> 2) & 3,
                               (B >> 4) & 1, code);
            break;
        }
    }
    return QByteArray(text, n);
}
