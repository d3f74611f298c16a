#pragma once

#include "protocol/Telemetry.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>

// The four commands, one slot each, indexed by the command code.
enum class CommandCode : std::uint8_t {
    Mode = 0,
    Threshold = 1,
    Section = 2,
    Position = 3,
};

struct CommandSlot {
    bool pending = false;  // to be transmitted by the next send steps
    bool awaiting = false; // not yet confirmed by telemetry
    std::array<std::uint8_t, 3> bytes{};

    unsigned o_code() const { return (bytes[0] >> 5) & 3; }
    // Mode
    unsigned o_adr() const { return bytes[0] & 0x0F; }
    unsigned o_ctrl_pp_mp() const { return (bytes[0] >> 4) & 1; }
    unsigned o_senspp() const { return bytes[1] & 0x1F; }
    unsigned o_state() const { return (bytes[1] >> 5) & 3; }
    // Threshold
    unsigned o_sensmp() const { return bytes[0] & 0x1F; }
    unsigned o_sensbp() const { return bytes[1] & 0x1F; }
    unsigned o_letter() const { return (bytes[1] >> 5) & 3; }
    // Section
    unsigned o_vel_min() const { return bytes[0] & 3; }
    unsigned o_vel_max() const { return (bytes[0] >> 2) & 3; }
    unsigned o_dist() const { return bytes[1] & 0x1F; }
    unsigned o_reg() const { return (bytes[1] >> 5) & 3; }
    // Position
    unsigned o_symbol() const { return (bytes[0] >> 1) & 0x0F; }
    unsigned o_number() const { return bytes[1] & 0x7F; }
};

// Command slots, their three-fold repetition and their confirmation by telemetry.
// The send step transmits at most one frame per call; the poll cycle calls it only right
// after a receive step that decoded telemetry.
class CommandSlots {
public:
    // Writes the bytes of one transmission; returns how many the port accepted.
    using Writer = std::function<qint64(const char* data, qint64 count)>;
    // Receives the "Out:[" line of each transmission (without time stamp).
    using LogLine = std::function<void(const QByteArray& line)>;

    explicit CommandSlots(const TelemetryTable& telemetry) : m_telemetry(telemetry) {}

    void EncodeModeCommand(unsigned adr, unsigned senspp, unsigned state, unsigned ctrl_pp_mp);
    void EncodeThresholdCommand(unsigned sensmp, unsigned sensbp, unsigned letter);
    void EncodeSectionCommand(unsigned vel_min, unsigned vel_max, unsigned dist, unsigned reg);
    void EncodePositionCommand(unsigned symbol, unsigned number);

    void RequestAlignmentMode() { requestMode(1); }
    void RequestNormalMode() { requestMode(0); }
    void RequestAutomaticRegulation();

    // One send step; the log callback may be empty when logging is off.
    void SendPendingCommand(const Writer& write, const LogLine& log);
    void ConfirmCommands(unsigned code);
    void RearmUnconfirmedCommands();
    void RefreshSendFlag();
    void ClearModeCommand();
    bool HasPendingCommands() const { return m_sendRequested; }

    const CommandSlot& slot(CommandCode code) const { return m_slots[std::size_t(code)]; }
    int repeatCounter() const { return m_repeatCounter; }

    // Decoded text of a slot as the "Out:[" line shows it.
    static QByteArray DescribeSlot(const CommandSlot& slot);

private:
    void arm(CommandCode code, std::uint8_t b1, std::uint8_t b2);
    void requestMode(unsigned state);
    bool matchesTelemetry(std::size_t index) const;

    const TelemetryTable& m_telemetry;
    std::array<CommandSlot, 4> m_slots{};
    bool m_sendRequested = false;
    int m_repeatCounter = 3;
    // The last transmission; at most four bytes are ever used.
    std::array<char, 4> m_transmit{};
};
