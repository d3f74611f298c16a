#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// Message kinds of the detector's telemetry, by the 3-bit code in bits 7-5 of byte B.
enum class TelemetryCode : std::uint8_t {
    Position = 0,
    Signal = 1,
    Average = 2,
    Sensitivity = 3,
    Section = 4,
    Speed = 5,
    Identity = 6,
    Power = 7,
};

constexpr int TelemetryCodeCount = 8;

// Detector modes carried in `state`; 6 and 7 are written by the program itself.
enum DetectorMode : std::uint8_t {
    ModeNormal = 0,
    ModeAlarm = 1,
    ModeAlignment = 2,
    ModeFault = 3,
    ModeSettingsChanged = 4,
    ModeUnknown5 = 5,
    ModeNoLink = 6,
    ModePause = 7,
};

QString modeText(unsigned state);

// A frame on the wire is 00, B, A, C with C = (A + B) mod 256; all zero is never a frame.
constexpr bool CheckFrame(std::uint8_t w0, std::uint8_t w1, std::uint8_t w2, std::uint8_t w3) {
    return w0 == 0x00 && std::uint8_t(w1 + w2) == w3 && (w0 + w1 + w2 + w3) != 0;
}

// The diagnostic "Inp:" text of one frame candidate, fields taken from the candidate itself.
// Returned as ASCII bytes: it is written at frame rate when logging is on.
QByteArray BuildInpLine(std::uint8_t w0, std::uint8_t w1, std::uint8_t w2, std::uint8_t w3);

// The last good data bytes of every message code, read through fixed masks.
class TelemetryTable {
public:
    struct Bytes {
        std::uint8_t A = 0;
        std::uint8_t B = 0;
    };

    TelemetryTable() = default;

    void StoreFrame(unsigned code, std::uint8_t A, std::uint8_t B);
    // Forget the detector: everything zero, then mode "Нет связи" in last and previous.
    void Reset();
    // Telemetry paused: the mode before the pause moves to previous, the current reads 7.
    void MarkPause();

    const Bytes& last(unsigned code) const { return m_last[code & 7]; }
    const Bytes& previous(unsigned code) const { return m_previous[code & 7]; }

    // Position
    unsigned symbol() const { return (b(0) >> 1) & 0x0F; }
    unsigned number() const { return a(0) & 0x7F; }
    // Signal
    unsigned sig() const { return word(1); }
    unsigned pp() const { return (b(1) >> 2) & 1; }
    unsigned mp() const { return (b(1) >> 3) & 1; }
    unsigned bp() const { return (b(1) >> 4) & 1; }
    // Average
    unsigned aver() const { return word(2); }
    unsigned state() const { return (b(2) >> 2) & 7; }
    unsigned previousState() const { return (m_previous[2].B >> 2) & 7; }
    // Sensitivity
    unsigned senspp() const { return b(3) & 0x1F; }
    unsigned sensmp() const { return a(3) & 0x1F; }
    unsigned ctrl_pp_mp() const { return (a(3) >> 5) & 1; }
    // Section
    unsigned sensbp() const { return b(4) & 0x1F; }
    unsigned dist() const { return a(4) & 0x1F; }
    unsigned reg() const { return (a(4) >> 5) & 3; }
    // Speed
    unsigned amplif() const { return b(5) & 3; }
    unsigned ref() const { return (b(5) >> 2) & 1; }
    unsigned dis() const { return (b(5) >> 3) & 3; }
    unsigned vel_min() const { return a(5) & 3; }
    unsigned vel_max() const { return (a(5) >> 2) & 3; }
    // Identity
    unsigned adr() const { return b(6) & 0x0F; }
    unsigned cs() const { return (b(6) >> 4) & 1; }
    unsigned dev() const { return a(6) & 7; }
    unsigned prog() const { return (a(6) >> 3) & 7; }
    unsigned letter() const { return (a(6) >> 6) & 3; }
    // Power
    unsigned pwr() const { return word(7); }
    unsigned out() const { return (b(7) >> 2) & 3; }
    unsigned freq() const { return (b(7) >> 4) & 1; }

private:
    unsigned a(unsigned code) const { return m_last[code].A; }
    unsigned b(unsigned code) const { return m_last[code].B; }
    unsigned word(unsigned code) const { return (a(code) + 256u * b(code)) & 0x3FF; }

    std::array<Bytes, TelemetryCodeCount> m_last{};
    std::array<Bytes, TelemetryCodeCount> m_previous{};
};
