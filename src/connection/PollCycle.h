#pragma once

#include "connection/LinkView.h"
#include "protocol/CommandSlots.h"
#include "protocol/Telemetry.h"

#include <QByteArray>
#include <array>
#include <functional>

class Clock;
class EventLog;
class SerialChannel;

// The receive step, the link supervision and the send step of the detector link. One tick reads
// what the port holds, cuts it into frames, stores every good frame and runs its reactions, and,
// when telemetry came in, sends at most one command frame. Everything runs on one thread.
class PollCycle {
public:
    // Supervision limits, milliseconds of silence since the last good frame.
    static constexpr qint64 ReselectAfterMs = 1200;
    static constexpr qint64 PauseAfterMs = 2500;
    static constexpr qint64 LossAfterMs = 3500;
    static constexpr qint64 HangAfterMs = 12000;
    static constexpr int ReadChunk = 100;

    PollCycle(SerialChannel& channel, const Clock& clock, LinkView& view, EventLog* log = nullptr);

    // One tick: Recv(), then the send step when telemetry came in. Errors go to the view.
    void Tick();
    // True when at least one good frame was decoded; false also whenever supervision acted.
    bool Recv();
    // Forget the detector; the caller sets the state before.
    void ResetLink();

    DeviceState state() const { return m_state; }
    void setState(DeviceState state) { m_state = state; }
    bool connected() const { return m_state > EDevNone; }

    // Called once with the port number when a detector is identified (the settings file keeps it).
    void setOnIdentified(std::function<void()> callback) { m_onIdentified = std::move(callback); }

    // Set by a pause that ends while recording, cleared by whoever announces the condition.
    bool reannounceRequest() const { return m_reannounceRequest; }
    void clearReannounceRequest() { m_reannounceRequest = false; }

    TelemetryTable& telemetry() { return m_telemetry; }
    const TelemetryTable& telemetry() const { return m_telemetry; }
    CommandSlots& commands() { return m_commands; }
    const CommandSlots& commands() const { return m_commands; }

    // Milliseconds from now until the supervision could next act in the current state (at
    // least 1): a scheduler need not tick for supervision before then.
    qint64 msUntilSupervision() const;

    // Restart the silence count, e.g. after the port was opened again.
    void touchPacketTime();
    qint64 packetTimeMs() const { return m_packetTimeMs; }
    int carriedBytes() const { return m_rxCount; }
    int cycleSum() const { return m_cycleSum; }

private:
    bool supervise(qint64 now);
    void logSupervision(const char* message, qint64 now, qint64 period, qint64 limit);
    void carryUnscannedBytes(int index);
    void handleFrame(std::uint8_t A, std::uint8_t B);
    void react(unsigned code);
    void onAverage();
    void onPower();
    bool logging() const;
    void log(const QByteArray& line);

    SerialChannel& m_channel;
    const Clock& m_clock;
    LinkView& m_view;
    EventLog* m_log;
    TelemetryTable m_telemetry;
    CommandSlots m_commands{m_telemetry};
    std::function<void()> m_onIdentified;

    DeviceState m_state = EDevNone;
    qint64 m_packetTimeMs = 0;
    qint64 m_tickNowMs = 0;
    // Up to 3 carried bytes plus one read of ReadChunk.
    std::array<std::uint8_t, ReadChunk + 3> m_rxBuffer{};
    int m_rxCount = 0;
    int m_cycleSum = 0;
    bool m_reannounceRequest = false;
};
