#include "connection/PollCycle.h"

#include "common/Clock.h"
#include "connection/SerialChannel.h"
#include "log/EventLog.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <exception>

namespace {

// "nn:ss.zzz" of a moment's local time of day.
QByteArray minutesSecondsOf(qint64 epochMs) {
    return QDateTime::fromMSecsSinceEpoch(epochMs)
        .time()
        .toString(QStringLiteral("mm:ss.zzz"))
        .toLatin1();
}

// "nn:ss.zzz" of a duration (the part below an hour).
QByteArray minutesSecondsOfDuration(qint64 ms) {
    const auto belowAnHour = int(((ms % 3600000) + 3600000) % 3600000);
    return QTime(0, 0).addMSecs(belowAnHour).toString(QStringLiteral("mm:ss.zzz")).toLatin1();
}

} // namespace

QString linkEventLabel(LinkEvent event) {
    switch (event) {
    case LinkEvent::Pause:
        return QStringLiteral("Pause");
    case LinkEvent::LinkLoss:
        return QStringLiteral("Потеря связи");
    case LinkEvent::Alignment:
        return QStringLiteral("Юстировка");
    case LinkEvent::SettingsChanged:
        return QStringLiteral("Изменились настройки");
    }
    return {};
}

PollCycle::PollCycle(SerialChannel& channel, const Clock& clock, LinkView& view, EventLog* log)
    : m_channel(channel), m_clock(clock), m_view(view), m_log(log), m_packetTimeMs(clock.nowMs()) {}

bool PollCycle::logging() const {
    return m_log && m_log->logEnabled();
}

void PollCycle::log(const QByteArray& line) {
    if (logging())
        m_log->WriteLog(line);
}

void PollCycle::touchPacketTime() {
    m_packetTimeMs = m_clock.nowMs();
}

void PollCycle::Tick() {
    try {
        if (Recv()) {
            CommandSlots::LogLine logLine;
            if (logging())
                logLine = [this](const QByteArray& line) { m_log->WriteLog(line); };
            m_commands.SendPendingCommand(
                [this](const char* data, qint64 count) { return m_channel.write(data, count); },
                logLine);
        }
    } catch (const std::exception& e) {
        m_view.ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        m_view.ShowError(QString());
    }
}

void PollCycle::logSupervision(const char* message, qint64 now, qint64 period, qint64 limit) {
    if (!logging())
        return;
    log(message);
    log("Now()=" + minutesSecondsOf(now) + " PacketTime=" + minutesSecondsOf(m_packetTimeMs) +
        " period=" + minutesSecondsOfDuration(period) +
        " const=" + minutesSecondsOfDuration(limit));
}

qint64 PollCycle::msUntilSupervision() const {
    qint64 limit = PauseAfterMs; // a detect state that stays silent pauses long before it hangs
    if (m_state == EDevNone)
        limit = ReselectAfterMs;
    else if (m_state == EDevPause)
        limit = LossAfterMs;
    // The thresholds are strict: act one millisecond past them.
    return std::max<qint64>(1, m_packetTimeMs + limit + 1 - m_clock.nowMs());
}

bool PollCycle::supervise(qint64 now) {
    const qint64 period = now - m_packetTimeMs;
    if (period > HangAfterMs && m_state == EDevDetect) {
        logSupervision(
            "Hung!!! void TfmMain::Recv()|if(dblPeriod>1./24/60/60*12 && eDeviceState == "
            "EDevDetect)",
            now, period, HangAfterMs);
        m_state = EDevNone;
        m_packetTimeMs = now;
        ResetLink();
        return true;
    }
    if (period > LossAfterMs && m_state == EDevPause) {
        logSupervision("Lost!!! void TfmMain::Recv()|if(dblPeriod>1./24/60/60*3.5 && eDeviceState "
                       ">= EDevPause)",
                       now, period, LossAfterMs);
        m_state = EDevNone;
        m_packetTimeMs = now;
        ResetLink();
        if (m_view.IsRecording())
            m_view.RecordLinkEvent(LinkEvent::LinkLoss);
        return true;
    }
    if (period > PauseAfterMs && m_state >= EDevWork && m_state < EDevPause) {
        logSupervision("Pause!!! void TfmMain::Recv()|if(dblPeriod>1./24/60/60*2.5 && eDeviceState "
                       ">= EDevWork && eDeviceState < EDevPause)",
                       now, period, PauseAfterMs);
        m_state = EDevPause;
        m_telemetry.MarkPause();
        m_view.ShowMode(ModePause);
        m_packetTimeMs = now;
        if (m_view.IsRecording())
            m_view.RecordLinkEvent(LinkEvent::Pause);
        return true;
    }
    if (period > ReselectAfterMs && m_state == EDevNone) {
        m_packetTimeMs = now;
        m_view.ReselectPort();
        return true;
    }
    return false;
}

bool PollCycle::Recv() {
    const qint64 now = m_clock.nowMs();
    m_tickNowMs = now;
    if (supervise(now))
        return false;

    const qint64 n =
        m_channel.read(reinterpret_cast<char*>(m_rxBuffer.data()) + m_rxCount, ReadChunk);
    bool result = false;
    if (n <= 0)
        return false;
    if (logging())
        log("Recv: " + QByteArray::number(n));
    m_rxCount += int(n);

    // The carry runs however the scan ends: a reaction that throws must not leave its frame
    // in the buffer to be handled (and fail) again at every following tick.
    int index = 0;
    struct CarryOnExit {
        PollCycle& cycle;
        int& index;
        ~CarryOnExit() { cycle.carryUnscannedBytes(index); }
    } carry{*this, index};

    while (index + 3 < m_rxCount) {
        const std::uint8_t* p = m_rxBuffer.data() + index;
        if (p[0] != 0x00) {
            ++index;
            continue;
        }
        if (logging())
            log(BuildInpLine(p[0], p[1], p[2], p[3]));
        if (!CheckFrame(p[0], p[1], p[2], p[3])) {
            ++index;
            continue;
        }
        const std::uint8_t A = p[2], B = p[1];
        index += 4;
        result = true;
        handleFrame(A, B);
    }
    return result;
}

void PollCycle::carryUnscannedBytes(int index) {
    // The 0 to 3 bytes of an incomplete frame move to the start of the buffer.
    const int carried = m_rxCount - index;
    std::memmove(m_rxBuffer.data(), m_rxBuffer.data() + index, size_t(carried));
    m_rxCount = carried;
}

void PollCycle::handleFrame(std::uint8_t A, std::uint8_t B) {
    const unsigned code = B >> 5;
    m_packetTimeMs = m_tickNowMs;
    if (m_state == EDevPause) {
        if (m_view.IsRecording())
            m_reannounceRequest = true;
        m_state = EDevWork;
    }
    if (code >= 2)
        m_cycleSum += int(code);
    m_telemetry.StoreFrame(code, A, B);
    react(code);
    m_commands.RefreshSendFlag();
}

void PollCycle::react(unsigned code) {
    switch (TelemetryCode(code)) {
    case TelemetryCode::Position:
        m_view.ShowPosition();
        m_commands.ConfirmCommands(0);
        break;
    case TelemetryCode::Signal:
        m_view.ShowSignal();
        if (m_state > EDevNone)
            m_state = EDevWork;
        break;
    case TelemetryCode::Average:
        onAverage();
        break;
    case TelemetryCode::Sensitivity:
        m_view.ReactToSensitivity();
        m_commands.ConfirmCommands(3);
        break;
    case TelemetryCode::Section:
        m_view.ReactToSection();
        m_commands.ConfirmCommands(4);
        break;
    case TelemetryCode::Speed:
        m_view.ReactToSpeed();
        m_view.ShowAverageLevel();
        m_commands.ConfirmCommands(5);
        break;
    case TelemetryCode::Identity:
        m_view.ReactToIdentity();
        m_commands.ConfirmCommands(6);
        break;
    case TelemetryCode::Power:
        onPower();
        break;
    }
}

void PollCycle::onAverage() {
    const unsigned mode = m_telemetry.state();
    const bool changed = mode != m_telemetry.previousState();
    if (changed && mode == ModeAlignment)
        m_view.ActivateAlignmentPage();
    m_view.ReactToAverage();
    if ((changed && mode == ModeAlignment) || m_reannounceRequest) {
        m_reannounceRequest = false;
        if (m_view.IsRecording())
            m_view.RecordLinkEvent(LinkEvent::Alignment);
    } else if (changed && mode == ModeSettingsChanged && m_view.IsRecording()) {
        m_view.RecordLinkEvent(LinkEvent::SettingsChanged);
    }
    m_commands.ConfirmCommands(2);
}

void PollCycle::onPower() {
    // One frame of each code 2..7 adds up to exactly 27.
    if (m_cycleSum >= 27) {
        if (m_state == EDevNone) {
            m_state = EDevDetect;
            m_reannounceRequest = true;
            m_view.IdentifyDetector();
            if (m_onIdentified)
                m_onIdentified();
        } else {
            m_state = EDevParams;
            m_commands.RearmUnconfirmedCommands();
        }
    }
    m_cycleSum = 0;
    m_view.ReactToPower();
}

void PollCycle::ResetLink() {
    m_view.ShowLinkReset();
    m_telemetry.Reset();
    m_view.ShowMode(ModeNoLink);
    m_view.SetNote(4);
    m_view.UpdatePages(m_state);
    m_commands.ClearModeCommand();
}
