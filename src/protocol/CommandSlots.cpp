#include "protocol/CommandSlots.h"

#include <cstdio>

namespace {

// Telemetry codes after which each slot is compared with the detector's values.
bool examinedAfter(std::size_t slot, unsigned code) {
    switch (slot) {
    case 0:
        return code == 2 || code == 3 || code == 6;
    case 1:
        return code == 3 || code == 4 || code == 6;
    case 2:
        return code == 4 || code == 5;
    default:
        return code == 0;
    }
}

unsigned commandStateOf(unsigned state) {
    return state == ModeAlignment ? 1 : 0;
}

} // namespace

void CommandSlots::arm(CommandCode code, std::uint8_t b1, std::uint8_t b2) {
    CommandSlot& s = m_slots[std::size_t(code)];
    s.bytes = {b1, b2, std::uint8_t(0x80 | ((b1 + b2) & 0x7F))};
    s.awaiting = true;
    s.pending = true;
    m_sendRequested = true;
}

void CommandSlots::EncodeModeCommand(unsigned adr, unsigned senspp, unsigned state,
                                     unsigned ctrl_pp_mp) {
    arm(CommandCode::Mode, std::uint8_t((adr & 0x0F) | ((ctrl_pp_mp & 1) << 4)),
        std::uint8_t(0x80 | (senspp & 0x1F) | ((state & 3) << 5)));
}

void CommandSlots::EncodeThresholdCommand(unsigned sensmp, unsigned sensbp, unsigned letter) {
    arm(CommandCode::Threshold, std::uint8_t(0x20 | (sensmp & 0x1F)),
        std::uint8_t(0x80 | (sensbp & 0x1F) | ((letter & 3) << 5)));
}

void CommandSlots::EncodeSectionCommand(unsigned vel_min, unsigned vel_max, unsigned dist,
                                        unsigned reg) {
    arm(CommandCode::Section, std::uint8_t(0x40 | (vel_min & 3) | ((vel_max & 3) << 2)),
        std::uint8_t(0x80 | (dist & 0x1F) | ((reg & 3) << 5)));
}

void CommandSlots::EncodePositionCommand(unsigned symbol, unsigned number) {
    arm(CommandCode::Position, std::uint8_t(0x60 | ((symbol & 0x0F) << 1)),
        std::uint8_t(0x80 | (number & 0x7F)));
}

void CommandSlots::requestMode(unsigned state) {
    const CommandSlot& s = m_slots[0];
    if (!s.awaiting)
        EncodeModeCommand(m_telemetry.adr(), m_telemetry.senspp(), state, m_telemetry.ctrl_pp_mp());
    else if (s.o_state() != state)
        EncodeModeCommand(s.o_adr(), s.o_senspp(), state, s.o_ctrl_pp_mp());
}

void CommandSlots::RequestAutomaticRegulation() {
    const CommandSlot& s = m_slots[2];
    if (!s.awaiting)
        EncodeSectionCommand(m_telemetry.vel_min(), m_telemetry.vel_max(), m_telemetry.dist(), 2);
    else if (s.o_reg() != 2)
        EncodeSectionCommand(s.o_vel_min(), s.o_vel_max(), s.o_dist(), 2);
}

void CommandSlots::SendPendingCommand(const Writer& write, const LogLine& log) {
    if (!m_sendRequested)
        return;
    --m_repeatCounter;
    const bool withChecksum = m_telemetry.cs() == 1;
    CommandSlot* chosen = nullptr;
    for (CommandSlot& s : m_slots) {
        if (s.pending) {
            chosen = &s;
            break;
        }
    }
    qint64 length = 0;
    if (chosen) {
        m_transmit[0] = char(chosen->bytes[0]);
        m_transmit[1] = char(chosen->bytes[1]);
        m_transmit[2] = char(chosen->bytes[2]);
        length = withChecksum ? 3 : 2;
        chosen->pending = m_repeatCounter > 0;
        if (!withChecksum) {
            // Without a checksum byte the detector takes the 2-byte frame twice in a row.
            m_transmit[2] = m_transmit[0];
            m_transmit[3] = m_transmit[1];
            length = 4;
        }
    }
    if (m_repeatCounter < 1)
        m_repeatCounter = 3;
    if (chosen) {
        const qint64 written = write ? write(m_transmit.data(), length) : 0;
        if (log) {
            QByteArray line = "Out:[";
            for (qint64 i = 0; i < length; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X",
                              unsigned(std::uint8_t(m_transmit[i])));
                line += hex;
            }
            line += "] send:" + QByteArray::number(written) + " bytes " + DescribeSlot(*chosen);
            log(line);
        }
    }
    RefreshSendFlag();
}

QByteArray CommandSlots::DescribeSlot(const CommandSlot& s) {
    char text[128];
    int n = 0;
    switch (s.o_code()) {
    case 0:
        n = std::snprintf(text, sizeof text,
                          "o_code:0 o_adr:%u o_ctrl_pp_mp:%u o_senspp:%u o_state:%u  ", s.o_adr(),
                          s.o_ctrl_pp_mp(), s.o_senspp(), s.o_state());
        break;
    case 1:
        n = std::snprintf(text, sizeof text, "o_code:1 o_sensmp:%u o_sensbp:%u o_letter:%u  ",
                          s.o_sensmp(), s.o_sensbp(), s.o_letter());
        break;
    case 2:
        n = std::snprintf(text, sizeof text,
                          "o_code:2 o_vel_min:%u o_vel_max:%u o_dist:%u o_reg:%u  ", s.o_vel_min(),
                          s.o_vel_max(), s.o_dist(), s.o_reg());
        break;
    default:
        n = std::snprintf(text, sizeof text, "o_code:3 o_symbol:%u/%c o_number:%u", s.o_symbol(),
                          char('A' + s.o_symbol()), s.o_number());
        break;
    }
    return QByteArray(text, n);
}

bool CommandSlots::matchesTelemetry(std::size_t index) const {
    const CommandSlot& s = m_slots[index];
    const TelemetryTable& t = m_telemetry;
    switch (index) {
    case 0:
        return s.o_state() == commandStateOf(t.state()) && s.o_ctrl_pp_mp() == t.ctrl_pp_mp() &&
               s.o_senspp() == t.senspp() && s.o_adr() == t.adr();
    case 1:
        return s.o_sensmp() == t.sensmp() && s.o_sensbp() == t.sensbp() &&
               s.o_letter() == t.letter();
    case 2:
        return s.o_vel_min() == t.vel_min() && s.o_vel_max() == t.vel_max() &&
               s.o_dist() == t.dist() && s.o_reg() == t.reg();
    default:
        return s.o_symbol() == t.symbol() && s.o_number() == t.number();
    }
}

void CommandSlots::ConfirmCommands(unsigned code) {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        CommandSlot& s = m_slots[i];
        if (!s.awaiting || !examinedAfter(i, code))
            continue;
        if (matchesTelemetry(i)) {
            s.awaiting = false;
            s.pending = false;
        } else if (i == 3) {
            // An untaken position command goes out again after every Position frame.
            s.pending = true;
            m_sendRequested = true;
        }
    }
}

void CommandSlots::RearmUnconfirmedCommands() {
    for (CommandSlot& s : m_slots)
        s.pending = s.awaiting;
    m_sendRequested = m_slots[0].pending || m_slots[1].pending || m_slots[2].pending;
}

void CommandSlots::RefreshSendFlag() {
    m_sendRequested = false;
    for (const CommandSlot& s : m_slots)
        m_sendRequested = m_sendRequested || s.pending;
}

void CommandSlots::ClearModeCommand() {
    m_slots[0].awaiting = false;
    m_slots[0].pending = false;
    m_sendRequested = false;
}
