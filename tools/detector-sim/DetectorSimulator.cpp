#include "DetectorSimulator.h"

#include "SimPseudoTerminal.h"

#include <QSocketNotifier>
#include <QTextStream>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <unistd.h>

namespace {

// Order of the slow frames: one complete cycle of codes 2..7 (ending with Power, which is how
// a listener recognises it), then the position designation.
constexpr std::array<int, 7> kCycle{
    SimTelemetry::Average,  SimTelemetry::Sensitivity, SimTelemetry::Section, SimTelemetry::Speed,
    SimTelemetry::Identity, SimTelemetry::Power,       SimTelemetry::Position};

// Unspent line time is kept for at most this long, so that a late tick does not turn into a
// burst faster than the line.
constexpr double kMaxCreditSeconds = 0.05;
// A reader that falls this far behind loses bytes, as it would on a real line.
constexpr int kMaxPendingOutput = 4096;
constexpr int kMaxLogLines = 20000;

QString stateName(int state) {
    static const char* const names[] = {
        "normal", "alarm",   "alignment", "fault", "changed at detector",
        "state5", "no link", "pause"};
    return QString::fromLatin1(names[state & 7]);
}

QString hexOf(const QByteArray& bytes) {
    return SimTelemetry::hex(bytes);
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

qint64 SimCounters::framesTotal() const {
    qint64 total = corruptFrames;
    for (qint64 n : frames)
        total += n;
    return total;
}

DetectorSimulator::DetectorSimulator(int fd, const SimSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_signal(settings.seed), m_decoder(settings.cs == 1),
      m_lineRandom(settings.seed + 1) {
    m_clock.start();
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    m_tickTimer.setInterval(TickMs);
    connect(&m_tickTimer, &QTimer::timeout, this, &DetectorSimulator::tick);
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(CommandQuietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &DetectorSimulator::judgeQuietLine);
    m_lastTickNs = m_clock.nsecsElapsed();
    m_tickTimer.start();
    attach(fd);
    m_reportedState = state();
}

DetectorSimulator::~DetectorSimulator() {
    detach();
}

// --- Port ---------------------------------------------------------------------------------

void DetectorSimulator::attach(int fd) {
    detach();
    m_fd = fd;
    m_decoder.setChecksummed(m_settings.cs == 1);
    if (m_fd < 0)
        return;
    m_readNotifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &DetectorSimulator::readCommands);
    checkListener();
}

void DetectorSimulator::detach() {
    delete m_readNotifier;
    m_readNotifier = nullptr;
    m_fd = -1;
    m_out.clear();
    m_quietTimer.stop();
    m_listener = Listener::Unknown;
}

bool DetectorSimulator::unplug() {
    if (!m_pty || !m_pty->isOpen())
        return false;
    detach();
    m_pty->close();
    logEvent(QStringLiteral("unplug"));
    return true;
}

bool DetectorSimulator::replug(QString* error) {
    if (!m_pty)
        return false;
    m_replugAtMs = -1;
    QString why;
    if (!m_pty->open(&why)) {
        logEvent(QStringLiteral("replug failed: %1").arg(why));
        if (error)
            *error = why;
        return false;
    }
    attach(m_pty->masterFd());
    logEvent(QStringLiteral("replug %1").arg(m_pty->slavePath()));
    emit portChanged(m_pty->slavePath());
    return true;
}

bool DetectorSimulator::unplugFor(int ms) {
    if (!unplug())
        return false;
    m_replugAtMs = nowMs() + std::max(ms, 0);
    return true;
}

void DetectorSimulator::checkListener() {
    if (m_fd < 0) {
        setListener(Listener::Absent);
        return;
    }
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return;
    setListener((p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? Listener::Absent
                                                             : Listener::Present);
}

void DetectorSimulator::setListener(Listener listener) {
    if (listener == m_listener)
        return;
    const bool wasPresent = m_listener == Listener::Present;
    m_listener = listener;
    // A hung-up pty reads as an endless error: stop listening to it until a reader is back.
    if (m_readNotifier)
        m_readNotifier->setEnabled(listener == Listener::Present);
    if (listener == Listener::Present) {
        m_lastTickNs = m_clock.nsecsElapsed();
        logEvent(QStringLiteral("listener connected"));
    } else {
        m_out.clear();
        if (wasPresent)
            logEvent(QStringLiteral("listener gone"));
    }
}

// --- Streaming ----------------------------------------------------------------------------

void DetectorSimulator::start() {
    if (m_streaming)
        return;
    m_streaming = true;
    m_lastTickNs = m_clock.nsecsElapsed();
    logEvent(QStringLiteral("streaming on"));
}

void DetectorSimulator::stop() {
    if (!m_streaming)
        return;
    m_streaming = false;
    logEvent(QStringLiteral("streaming off"));
}

void DetectorSimulator::setSignalRate(double perSecond) {
    m_settings.signalRate = std::clamp(perSecond, 1.0, 1440.0);
    logEvent(QStringLiteral("rate %1").arg(m_settings.signalRate));
}

void DetectorSimulator::setSaturate(bool on) {
    m_settings.saturate = on;
    logEvent(QStringLiteral("saturate %1").arg(onOff(on)));
}

void DetectorSimulator::setSignalsPerCycleFrame(int count) {
    m_settings.signalsPerCycleFrame = std::clamp(count, 0, 1000);
    m_patternPos = 0;
    logEvent(QStringLiteral("signals per cycle frame %1").arg(m_settings.signalsPerCycleFrame));
}

// --- Settings -----------------------------------------------------------------------------

bool DetectorSimulator::setField(const QString& name, int value, QString* error) {
    const auto before = m_settings.field(name);
    if (!m_settings.setField(name, value, error))
        return false;
    logEvent(QStringLiteral("set %1 %2 -> %3").arg(name).arg(*before).arg(value));
    if (name == QLatin1String("cs"))
        m_decoder.setChecksummed(value == 1);
    noteStateChange();
    return true;
}

int DetectorSimulator::state() const {
    if (m_fault)
        return 3;
    if (m_alignment)
        return 2;
    if (m_alarm)
        return 1;
    if (m_changedUntilMs >= 0)
        return 4;
    return m_settings.state;
}

// --- Scenarios ----------------------------------------------------------------------------

void DetectorSimulator::setAlarm(bool on) {
    m_alarm = on;
    m_alarmSinceMs = nowMs();
    logEvent(QStringLiteral("alarm %1").arg(onOff(on)));
    noteStateChange();
}

void DetectorSimulator::setFault(bool on) {
    m_fault = on;
    logEvent(QStringLiteral("fault %1").arg(onOff(on)));
    noteStateChange();
}

void DetectorSimulator::changeAtDetector(const SimSettings& changed, int holdMs) {
    QStringList differences;
    for (const QString& name : SimSettings::fieldNames()) {
        const int from = *m_settings.field(name);
        const int to = *changed.field(name);
        if (from != to) {
            differences << QStringLiteral("%1 %2 -> %3").arg(name).arg(from).arg(to);
            m_settings.setField(name, to);
        }
    }
    m_decoder.setChecksummed(m_settings.cs == 1);
    m_changedUntilMs = nowMs() + std::max(holdMs, 0);
    logEvent(QStringLiteral("changed at detector for %1 ms: %2")
                 .arg(holdMs)
                 .arg(differences.isEmpty() ? QStringLiteral("no value") : differences.join(", ")));
    noteStateChange();
}

void DetectorSimulator::silenceFor(int ms) {
    m_silent = true;
    m_silentUntilMs = nowMs() + std::max(ms, 0);
    logEvent(QStringLiteral("silence %1 ms").arg(ms));
}

void DetectorSimulator::setSilent(bool on) {
    m_silent = on;
    m_silentUntilMs = -1;
    logEvent(QStringLiteral("silence %1").arg(onOff(on)));
}

void DetectorSimulator::setLineNoise(double perFrame) {
    m_lineNoise = std::clamp(perFrame, 0.0, 1.0);
    logEvent(QStringLiteral("noise %1").arg(m_lineNoise));
}

void DetectorSimulator::setCorruptRate(double perFrame) {
    m_corruptRate = std::clamp(perFrame, 0.0, 1.0);
    logEvent(QStringLiteral("corrupt %1").arg(m_corruptRate));
}

void DetectorSimulator::setRefusing(bool on) {
    setRefusedCodes(on ? 0x0F : 0);
}

void DetectorSimulator::setRefusedCodes(quint8 codeMask) {
    m_refusedCodes = codeMask & 0x0F;
    QStringList codes;
    for (int code = 0; code < 4; ++code) {
        if (m_refusedCodes & (1 << code))
            codes << QString::number(code);
    }
    logEvent(codes.isEmpty() ? QStringLiteral("refuse off")
                             : QStringLiteral("refuse codes %1").arg(codes.join(',')));
}

void DetectorSimulator::setLowSupply(bool on) {
    m_lowSupply = on;
    logEvent(QStringLiteral("low supply %1").arg(onOff(on)));
}

void DetectorSimulator::setDis(int condition) {
    QString error;
    if (!m_settings.setField(QStringLiteral("dis"), condition, &error)) {
        logEvent(QStringLiteral("dis refused: %1").arg(error));
        return;
    }
    logEvent(QStringLiteral("dis %1").arg(condition));
}

void DetectorSimulator::setSweep(int periodMs) {
    m_sweepPeriodMs = std::max(periodMs, 0);
    m_sweepSinceMs = nowMs();
    logEvent(m_sweepPeriodMs > 0 ? QStringLiteral("sweep %1 ms").arg(m_sweepPeriodMs)
                                 : QStringLiteral("sweep off"));
}

bool DetectorSimulator::replay(const QString& logText, double speed, bool loop, QString* error) {
    SimInpReplay::Result parsed = SimInpReplay::parse(logText);
    if (!parsed.error.isEmpty()) {
        if (error)
            *error = parsed.error;
        logEvent(QStringLiteral("replay refused: %1").arg(parsed.error));
        return false;
    }
    qint64 bytes = 0;
    for (const SimInpReplay::Chunk& c : parsed.chunks)
        bytes += c.bytes.size();
    m_replay = parsed.chunks;
    m_replayIndex = 0;
    m_replayClockMs = 0.0;
    m_replaySpeed = speed;
    m_replayLoop = loop;
    logEvent(QStringLiteral("replay %1 candidates (%2 rejected), %3 bytes over %4 ms")
                 .arg(parsed.candidates)
                 .arg(parsed.rejected)
                 .arg(bytes)
                 .arg(m_replay.last().offsetMs));
    start();
    return true;
}

bool DetectorSimulator::replayFile(const QString& path, double speed, bool loop, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString why = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        if (error)
            *error = why;
        logEvent(QStringLiteral("replay refused: %1").arg(why));
        return false;
    }
    // The program writes its log in Windows-1251; the "Inp:" lines are plain ASCII.
    return replay(QString::fromLatin1(file.readAll()), speed, loop, error);
}

// --- Observation --------------------------------------------------------------------------

bool DetectorSimulator::setLogFile(const QString& path, QString* error) {
    m_logFile.close();
    m_logFile.setFileName(path);
    if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, m_logFile.errorString());
        return false;
    }
    return true;
}

void DetectorSimulator::logEvent(const QString& text) {
    m_log.append(text);
    if (m_log.size() > kMaxLogLines)
        m_log.removeFirst();
    if (m_logFile.isOpen()) {
        QTextStream(&m_logFile) << QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"))
                                << "  " << text << '\n';
        m_logFile.flush();
    }
    emit eventLogged(text);
}

void DetectorSimulator::noteStateChange() {
    const int now = state();
    if (now == m_reportedState)
        return;
    logEvent(
        QStringLiteral("state %1 -> %2 (%3)").arg(m_reportedState).arg(now).arg(stateName(now)));
    m_reportedState = now;
}

// --- Commands -----------------------------------------------------------------------------

void DetectorSimulator::readCommands() {
    if (m_fd < 0)
        return;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            handleDecoded(m_decoder.feed(QByteArray(buffer, int(n))));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            setListener(Listener::Absent); // EIO: the reader closed its side
        break;
    }
    if (m_decoder.hasOpenFrame())
        m_quietTimer.start();
    else
        m_quietTimer.stop();
}

void DetectorSimulator::judgeQuietLine() {
    handleDecoded(m_decoder.flush());
}

void DetectorSimulator::handleDecoded(const QList<SimCommandDecoder::Result>& results) {
    for (const SimCommandDecoder::Result& r : results) {
        if (!r.accepted) {
            ++m_counters.commandsRejected;
            logEvent(QStringLiteral("rejected [%1] %2").arg(hexOf(r.raw), r.reason));
            continue;
        }
        m_commands.append(r.raw);
        emit commandReceived(r.raw);
        const QString text =
            QStringLiteral("command [%1] %2").arg(hexOf(r.raw), r.command.describe());
        if (m_refusedCodes & (1 << r.command.code)) {
            ++m_counters.commandsRefused;
            logEvent(text + QStringLiteral(" refused"));
            continue;
        }
        ++m_counters.commandsApplied;
        logEvent(text + QStringLiteral(" applied"));
        applyCommand(r.command);
    }
}

void DetectorSimulator::applyCommand(const SimCommand& c) {
    switch (c.code) {
    case SimCommand::Mode:
        m_settings.adr = c.adr;
        m_settings.ctrl_pp_mp = c.ctrl_pp_mp;
        m_settings.senspp = c.senspp;
        if (c.state == 0 || c.state == 1)
            m_alignment = c.state == 1;
        else
            logEvent(QStringLiteral("o_state %1 has no meaning; mode kept").arg(c.state));
        break;
    case SimCommand::Threshold:
        m_settings.sensmp = c.sensmp;
        m_settings.sensbp = c.sensbp;
        m_settings.letter = c.letter;
        break;
    case SimCommand::Section:
        m_settings.vel_min = c.vel_min;
        m_settings.vel_max = c.vel_max;
        m_settings.dist = c.dist;
        m_settings.reg = c.reg;
        break;
    case SimCommand::Position:
        m_settings.symbol = c.symbol;
        m_settings.number = c.number;
        break;
    }
    noteStateChange();
}

// --- Telemetry ----------------------------------------------------------------------------

void DetectorSimulator::tick() {
    const qint64 nowNs = m_clock.nsecsElapsed();
    const double seconds = double(nowNs - m_lastTickNs) / 1e9;
    m_lastTickNs = nowNs;

    runTimedScenarios(nowNs / 1000000);
    checkListener();
    if (!m_streaming || m_silent || m_listener != Listener::Present) {
        m_byteCredit = 0.0;
        m_frameCredit = 0.0;
        return;
    }
    m_byteCredit = std::min(m_byteCredit + seconds * LineBytesPerSecond,
                            kMaxCreditSeconds * LineBytesPerSecond);
    QByteArray out;
    if (isReplaying())
        playReplay(seconds, out);
    else
        generate(seconds, out);
    send(out);
}

void DetectorSimulator::runTimedScenarios(qint64 now) {
    if (m_silentUntilMs >= 0 && now >= m_silentUntilMs) {
        m_silent = false;
        m_silentUntilMs = -1;
        logEvent(QStringLiteral("silence end"));
    }
    if (m_changedUntilMs >= 0 && now >= m_changedUntilMs)
        m_changedUntilMs = -1;
    if (m_replugAtMs >= 0 && now >= m_replugAtMs)
        replug();
    noteStateChange();
}

void DetectorSimulator::generate(double seconds, QByteArray& out) {
    const int perCycleFrame = m_settings.signalsPerCycleFrame;
    if (!m_settings.saturate) {
        // Signal frames come at signalRate; the cycle frames ride between them.
        const double framesPerSecond =
            perCycleFrame > 0 ? m_settings.signalRate * (perCycleFrame + 1) / perCycleFrame
                              : m_settings.signalRate;
        m_frameCredit = std::min(m_frameCredit + seconds * framesPerSecond,
                                 std::max(2.0, kMaxCreditSeconds * framesPerSecond));
    }
    const qint64 now = nowMs();
    while (m_byteCredit >= 4.0 && (m_settings.saturate || m_frameCredit >= 1.0)) {
        const QByteArray bytes = nextFrame(now);
        m_byteCredit -= bytes.size();
        m_frameCredit = m_settings.saturate ? 0.0 : m_frameCredit - 1.0;
        out.append(bytes);
    }
}

QByteArray DetectorSimulator::nextFrame(qint64 now) {
    const int block = m_settings.signalsPerCycleFrame + 1;
    const int cycleLength = int(kCycle.size()) * block;
    const int pos = m_patternPos % cycleLength;
    m_patternPos = (pos + 1) % cycleLength;
    const int code = (pos % block) < block - 1 ? int(SimTelemetry::Signal) : kCycle[pos / block];

    QByteArray bytes;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (m_lineNoise > 0.0 && chance(m_lineRandom) < m_lineNoise) {
        // Junk never contains 0x00, so it cannot pass for the start of a frame.
        std::uniform_int_distribution<int> count(1, 3), junk(1, 255);
        for (int n = count(m_lineRandom); n > 0; --n)
            bytes.append(char(junk(m_lineRandom)));
        m_counters.noiseBytes += bytes.size();
    }
    SimTelemetry::Frame frame = frameOf(code, now);
    if (m_corruptRate > 0.0 && chance(m_lineRandom) < m_corruptRate) {
        std::uniform_int_distribution<int> flip(1, 255);
        frame[3] = quint8(frame[3] ^ flip(m_lineRandom));
        ++m_counters.corruptFrames;
    } else {
        ++m_counters.frames[code];
    }
    bytes.append(SimTelemetry::bytes(frame));
    return bytes;
}

SimTelemetry::Frame DetectorSimulator::frameOf(int code, qint64 now) {
    const SimSettings& s = m_settings;
    switch (code) {
    case SimTelemetry::Signal: {
        const SimSignalModel::Sample sample =
            m_signal.next(levelAt(now), s.noisePercent, m_alarm ? now - m_alarmSinceMs : -1,
                          {s.senspp, s.sensmp, s.sensbp});
        return SimTelemetry::signal(sample.sig, sample.pp, sample.mp, sample.bp);
    }
    case SimTelemetry::Average:
        return SimTelemetry::average(int(std::lround(levelAt(now))), state());
    case SimTelemetry::Sensitivity:
        return SimTelemetry::sensitivity(s.senspp, s.sensmp, s.ctrl_pp_mp);
    case SimTelemetry::Section:
        return SimTelemetry::section(s.sensbp, s.reg, s.dist);
    case SimTelemetry::Speed:
        return SimTelemetry::speed(effectiveDis(), s.ref, s.amplif, s.vel_max, s.vel_min);
    case SimTelemetry::Identity:
        return SimTelemetry::identity(s.cs, s.adr, s.letter, s.prog, s.dev);
    case SimTelemetry::Power:
        return SimTelemetry::power(s.freq, s.out, m_lowSupply ? LowSupplyPwr : s.pwr);
    default:
        return SimTelemetry::position(s.symbol, s.number);
    }
}

double DetectorSimulator::levelAt(qint64 now) const {
    if (m_sweepPeriodMs > 0)
        return SimSignalModel::sweepLevel(now - m_sweepSinceMs, m_sweepPeriodMs);
    switch (effectiveDis()) {
    case 1: // input level too low
        return m_settings.aver / 10.0;
    case 2: // signal above the admissible value
        return OverloadLevel;
    default:
        return m_settings.aver;
    }
}

int DetectorSimulator::effectiveDis() const {
    return m_lowSupply ? 3 : m_settings.dis;
}

void DetectorSimulator::playReplay(double seconds, QByteArray& out) {
    m_replayClockMs += m_replaySpeed > 0.0 ? seconds * 1000.0 * m_replaySpeed : 1e18;
    while (m_replayIndex < m_replay.size() && m_byteCredit > 0.0 &&
           m_replay[m_replayIndex].offsetMs <= m_replayClockMs) {
        const QByteArray& bytes = m_replay[m_replayIndex++].bytes;
        out.append(bytes);
        m_byteCredit -= bytes.size();
        m_counters.replayBytes += bytes.size();
    }
    if (m_replayIndex < m_replay.size())
        return;
    if (m_replayLoop) {
        m_replayIndex = 0;
        m_replayClockMs = 0.0;
        logEvent(QStringLiteral("replay again"));
        return;
    }
    m_replay.clear();
    logEvent(QStringLiteral("replay end"));
    stop();
    emit replayFinished();
}

void DetectorSimulator::send(const QByteArray& bytes) {
    if (bytes.isEmpty() && m_out.isEmpty())
        return;
    if (m_out.size() + bytes.size() > kMaxPendingOutput)
        m_counters.bytesDropped += bytes.size();
    else
        m_out.append(bytes);
    flushOutput();
}

void DetectorSimulator::flushOutput() {
    while (!m_out.isEmpty() && m_fd >= 0) {
        const ssize_t n = ::write(m_fd, m_out.constData(), size_t(m_out.size()));
        if (n > 0) {
            m_counters.bytesSent += n;
            m_out.remove(0, int(n));
            if (m_writeObserver)
                m_writeObserver(m_counters.bytesSent);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            setListener(Listener::Absent);
        break;
    }
}
