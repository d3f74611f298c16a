#pragma once

#include "SimCommand.h"
#include "SimInpReplay.h"
#include "SimSettings.h"
#include "SimSignalModel.h"
#include "SimTelemetry.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

#include <array>
#include <random>

class QSocketNotifier;
class SimPseudoTerminal;

struct SimCounters {
    std::array<qint64, 8> frames{}; // intact frames sent, per message code
    qint64 corruptFrames = 0;       // frames sent with a wrong checksum
    qint64 noiseBytes = 0;          // junk bytes put on the line
    qint64 bytesSent = 0;           // everything written to the port
    qint64 bytesDropped = 0;        // generated while the reader lagged far behind
    qint64 replayBytes = 0;
    qint64 commandsApplied = 0;
    qint64 commandsRefused = 0;
    qint64 commandsRejected = 0;

    qint64 framesTotal() const;
};

// A simulated detector on the master side of a pseudo-terminal (or any non-blocking fd).
//
// It streams telemetry the way the hardware does: Signal frames at a steady rate with the
// cycle of Average, Sensitivity, Section, Speed, Identity, Power and Position frames woven in,
// never faster than 57600 baud 8N1 carries (5760 bytes/s). It reads command frames, applies
// them and shows the new values in its next telemetry. Scenarios (alarm, fault, silence,
// line noise, refusing commands, ...) can be switched at any time. Every event goes to an
// event log, one line each, so that a test can assert on it.
//
// Runs on the Qt event loop of the thread that owns it; nothing happens without one.
class DetectorSimulator : public QObject {
    Q_OBJECT
public:
    static constexpr int LineBytesPerSecond = 5760;
    static constexpr int TickMs = 2;
    // A command frame still incomplete after this much quiet on the line is judged as it is.
    static constexpr int CommandQuietMs = 5;
    // Supply code reported in the low-supply scenario (about 9.5 V on the program's scale).
    static constexpr int LowSupplyPwr = 230;
    // Averaged level reported with dis 2 (signal above the admissible value).
    static constexpr int OverloadLevel = 990;
    static constexpr int DefaultChangedHoldMs = 2000;

    // fd: the master side, not owned; -1 runs the detector with nothing attached.
    explicit DetectorSimulator(int fd, const SimSettings& settings = {}, QObject* parent = nullptr);
    ~DetectorSimulator() override;

    // --- Port ---------------------------------------------------------------------------
    void attach(int fd);
    void detach();
    int fd() const { return m_fd; }
    // With a pseudo-terminal given, unplug() closes it (the slave hangs up) and replug()
    // opens a new one; the terminal is not owned.
    void setPseudoTerminal(SimPseudoTerminal* pty) { m_pty = pty; }
    bool unplug();
    bool replug(QString* error = nullptr);
    bool unplugFor(int ms);
    // True while a reader holds the other side open (the stream only flows then).
    bool hasListener() const { return m_listener == Listener::Present; }

    // --- Streaming ----------------------------------------------------------------------
    void start();
    void stop();
    bool isStreaming() const { return m_streaming; }
    void setSignalRate(double perSecond);
    void setSaturate(bool on);
    void setSignalsPerCycleFrame(int count);

    // --- Settings -----------------------------------------------------------------------
    const SimSettings& settings() const { return m_settings; }
    bool setField(const QString& name, int value, QString* error = nullptr);
    // The mode the detector reports now, scenarios included.
    int state() const;

    // --- Scenarios ----------------------------------------------------------------------
    void setAlarm(bool on);
    void setFault(bool on);
    // Settings changed with the detector's own controls: the new values are taken and the
    // detector reports state 4 for holdMs.
    void changeAtDetector(const SimSettings& changed, int holdMs = DefaultChangedHoldMs);
    void silenceFor(int ms);
    void setSilent(bool on);
    bool isSilent() const { return m_silent; }
    // Probability per frame of junk bytes before it / of a wrong checksum in it.
    void setLineNoise(double perFrame);
    void setCorruptRate(double perFrame);
    // Refused commands are read and logged but never applied, so never confirmed.
    void setRefusing(bool on);
    void setRefusedCodes(quint8 codeMask); // bit n refuses command code n
    void setLowSupply(bool on);
    void setDis(int condition);
    void setSweep(int periodMs); // 0 stops the sweep
    // Replays the candidates of a diagnostic log instead of the generated telemetry.
    // speed 1 keeps the logged timing, 2 is twice as fast, 0 as fast as the line allows.
    bool replay(const QString& logText, double speed = 1.0, bool loop = false,
                QString* error = nullptr);
    bool replayFile(const QString& path, double speed = 1.0, bool loop = false,
                    QString* error = nullptr);
    bool isReplaying() const { return !m_replay.isEmpty(); }

    // --- Observation --------------------------------------------------------------------
    QStringList eventLog() const { return m_log; }
    void clearEventLog() { m_log.clear(); }
    // Called on the simulator's thread right after every write to the port with the total of
    // bytes sent so far: lets a benchmark time when each byte went onto the line.
    void setWriteObserver(std::function<void(qint64 totalBytesSent)> observer) {
        m_writeObserver = std::move(observer);
    }
    // Also appends every event line, time-stamped, to a file.
    bool setLogFile(const QString& path, QString* error = nullptr);
    // The accepted command frames exactly as they came, oldest first.
    QList<QByteArray> receivedCommands() const { return m_commands; }
    const SimCounters& counters() const { return m_counters; }

signals:
    void eventLogged(const QString& line);
    void commandReceived(const QByteArray& frame);
    void portChanged(const QString& slavePath);
    void replayFinished();

private:
    enum class Listener { Unknown, Present, Absent };

    void tick();
    void runTimedScenarios(qint64 nowMs);
    void checkListener();
    void setListener(Listener listener);
    void readCommands();
    void judgeQuietLine();
    void handleDecoded(const QList<SimCommandDecoder::Result>& results);
    void applyCommand(const SimCommand& command);
    void generate(double seconds, QByteArray& out);
    void playReplay(double seconds, QByteArray& out);
    QByteArray nextFrame(qint64 nowMs);
    SimTelemetry::Frame frameOf(int code, qint64 nowMs);
    double levelAt(qint64 nowMs) const;
    int effectiveDis() const;
    void send(const QByteArray& bytes);
    void flushOutput();
    void noteStateChange();
    void logEvent(const QString& text);
    qint64 nowMs() const { return m_clock.elapsed(); }

    SimSettings m_settings;
    int m_fd = -1;
    SimPseudoTerminal* m_pty = nullptr;
    QSocketNotifier* m_readNotifier = nullptr;
    Listener m_listener = Listener::Unknown;

    QElapsedTimer m_clock;
    QTimer m_tickTimer;
    QTimer m_quietTimer;
    qint64 m_lastTickNs = 0;
    double m_byteCredit = 0.0;
    double m_frameCredit = 0.0;
    int m_patternPos = 0;
    QByteArray m_out;
    std::function<void(qint64)> m_writeObserver;

    SimSignalModel m_signal;
    SimCommandDecoder m_decoder;
    std::mt19937 m_lineRandom;

    bool m_streaming = false;
    bool m_alarm = false;
    qint64 m_alarmSinceMs = 0;
    bool m_fault = false;
    bool m_alignment = false;
    qint64 m_changedUntilMs = -1;
    bool m_silent = false;
    qint64 m_silentUntilMs = -1;
    double m_lineNoise = 0.0;
    double m_corruptRate = 0.0;
    quint8 m_refusedCodes = 0;
    bool m_lowSupply = false;
    qint64 m_sweepPeriodMs = 0;
    qint64 m_sweepSinceMs = 0;
    qint64 m_replugAtMs = -1;

    QList<SimInpReplay::Chunk> m_replay;
    int m_replayIndex = 0;
    double m_replayClockMs = 0.0;
    double m_replaySpeed = 1.0;
    bool m_replayLoop = false;

    int m_reportedState = -1;
    QStringList m_log;
    QFile m_logFile;
    QList<QByteArray> m_commands;
    SimCounters m_counters;
};
