#include "SimConsole.h"

#include "DetectorSimulator.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <optional>

namespace {

using Reply = SimConsole::Reply;

Reply failure(const QString& text) {
    return Reply{false, text, false};
}

std::optional<bool> parseOnOff(const QString& word) {
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<double> parseNumber(const QString& word, double minimum, double maximum) {
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

int toMs(double seconds) {
    return int(std::lround(seconds * 1000.0));
}

// "senspp=12" or the pair "senspp" "12"; fills settings, or says what is wrong.
QString applyAssignments(const QStringList& words, SimSettings& settings, int* holdMs) {
    for (int i = 0; i < words.size(); ++i) {
        QString name = words[i];
        QString value;
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            return QStringLiteral("missing value for %1").arg(name);
        }
        if (holdMs && name == QLatin1String("hold")) {
            const auto seconds = parseNumber(value, 0, 3600);
            if (!seconds)
                return QStringLiteral("hold must be seconds, not '%1'").arg(value);
            *holdMs = toMs(*seconds);
            continue;
        }
        bool ok = false;
        const int number = value.toInt(&ok);
        QString error;
        if (!ok)
            return QStringLiteral("%1 needs a whole number, not '%2'").arg(name, value);
        if (!settings.setField(name, number, &error))
            return error;
    }
    return {};
}

} // namespace

QString SimConsole::help() {
    return QStringLiteral(
        "commands:\n"
        "  alarm on|off            intruder in the section: deep signal swing, state 1\n"
        "  fault on|off            malfunction, state 3\n"
        "  changed [F=V ...] [hold=S]  settings changed at the detector, state 4 for S s\n"
        "                          (default 2 s; without fields senspp goes up by one)\n"
        "  silence S|on|off        stop sending for S seconds, or until 'silence off'\n"
        "  noise P                 junk bytes before a frame with probability P (0..1)\n"
        "  corrupt P               a wrong checksum in a frame with probability P (0..1)\n"
        "  refuse on|off|CODES     never apply commands (all, none, or codes like 0,3)\n"
        "  lowsupply on|off        low supply voltage, reported as dis 3\n"
        "  dis N                   report condition N (0 none, 1 low input, 2 overload, 3 supply)\n"
        "  sweep [S|off]           sweep the signal 0..1023..0 once per S seconds (default 10)\n"
        "  set F=V ...             set telemetry fields (dev freq cs adr letter senspp ...)\n"
        "  rate N                  Signal frames per second\n"
        "  saturate on|off         send at the full line rate, 1440 frames/s\n"
        "  stream on|off           start or stop the telemetry stream\n"
        "  unplug [S]              close the port (the reader hangs up); back after S seconds\n"
        "  replug                  open a new port (the link follows)\n"
        "  replay FILE [SPEED] [loop]  send the \"Inp:\" frames of a program log\n"
        "  show                    settings, mode and counters\n"
        "  help                    this list\n"
        "  quit                    end the simulator");
}

SimConsole::Reply SimConsole::execute(const QString& line) {
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    QStringList words = line.trimmed().split(spaces, Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString command = words.takeFirst().toLower();
    const QString arg = words.value(0).toLower();

    auto needOnOff = [&](auto apply) -> Reply {
        const auto on = parseOnOff(arg);
        if (!on || words.size() != 1)
            return failure(QStringLiteral("usage: %1 on|off").arg(command));
        apply(*on);
        return {};
    };

    if (command == QLatin1String("help") || command == QLatin1String("?"))
        return Reply{true, help(), false};
    if (command == QLatin1String("quit") || command == QLatin1String("exit"))
        return Reply{true, {}, true};
    if (command == QLatin1String("show"))
        return show();
    if (command == QLatin1String("alarm"))
        return needOnOff([&](bool on) { m_sim.setAlarm(on); });
    if (command == QLatin1String("fault"))
        return needOnOff([&](bool on) { m_sim.setFault(on); });
    if (command == QLatin1String("lowsupply"))
        return needOnOff([&](bool on) { m_sim.setLowSupply(on); });
    if (command == QLatin1String("saturate"))
        return needOnOff([&](bool on) { m_sim.setSaturate(on); });
    if (command == QLatin1String("stream"))
        return needOnOff([&](bool on) { on ? m_sim.start() : m_sim.stop(); });

    if (command == QLatin1String("silence")) {
        if (const auto on = parseOnOff(arg); on && words.size() == 1) {
            m_sim.setSilent(*on);
            return {};
        }
        const auto seconds = parseNumber(arg, 0, 86400);
        if (!seconds || words.size() != 1)
            return failure(QStringLiteral("usage: silence SECONDS|on|off"));
        m_sim.silenceFor(toMs(*seconds));
        return {};
    }
    if (command == QLatin1String("noise") || command == QLatin1String("corrupt")) {
        const auto rate = parseNumber(arg, 0, 1);
        if (!rate || words.size() != 1)
            return failure(QStringLiteral("usage: %1 PROBABILITY (0..1)").arg(command));
        command == QLatin1String("noise") ? m_sim.setLineNoise(*rate) : m_sim.setCorruptRate(*rate);
        return {};
    }
    if (command == QLatin1String("refuse")) {
        if (const auto on = parseOnOff(arg); on && words.size() == 1) {
            m_sim.setRefusing(*on);
            return {};
        }
        quint8 mask = 0;
        for (const QString& code : arg.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int n = code.toInt(&ok);
            if (!ok || n < 0 || n > 3)
                return failure(QStringLiteral("usage: refuse on|off|CODES (command codes 0..3)"));
            mask |= quint8(1 << n);
        }
        if (mask == 0 || words.size() != 1)
            return failure(QStringLiteral("usage: refuse on|off|CODES (command codes 0..3)"));
        m_sim.setRefusedCodes(mask);
        return {};
    }
    if (command == QLatin1String("dis")) {
        const auto n = parseNumber(arg, 0, 3);
        if (!n || words.size() != 1 || *n != std::floor(*n))
            return failure(QStringLiteral("usage: dis 0|1|2|3"));
        m_sim.setDis(int(*n));
        return {};
    }
    if (command == QLatin1String("sweep")) {
        if (arg == QLatin1String("off")) {
            m_sim.setSweep(0);
            return {};
        }
        const auto seconds =
            words.isEmpty() ? std::optional<double>(10.0) : parseNumber(arg, 0.1, 3600);
        if (!seconds || words.size() > 1)
            return failure(QStringLiteral("usage: sweep [SECONDS|off]"));
        m_sim.setSweep(toMs(*seconds));
        return {};
    }
    if (command == QLatin1String("rate")) {
        const auto rate = parseNumber(arg, 1, 1440);
        if (!rate || words.size() != 1)
            return failure(QStringLiteral("usage: rate FRAMES_PER_SECOND (1..1440)"));
        m_sim.setSignalRate(*rate);
        return {};
    }
    if (command == QLatin1String("set")) {
        if (words.isEmpty())
            return failure(QStringLiteral("usage: set FIELD=VALUE ..."));
        SimSettings wanted = m_sim.settings();
        if (const QString error = applyAssignments(words, wanted, nullptr); !error.isEmpty())
            return failure(error);
        for (const QString& name : SimSettings::fieldNames()) {
            if (*wanted.field(name) != *m_sim.settings().field(name))
                m_sim.setField(name, *wanted.field(name));
        }
        return {};
    }
    if (command == QLatin1String("changed")) {
        SimSettings wanted = m_sim.settings();
        int holdMs = DetectorSimulator::DefaultChangedHoldMs;
        if (const QString error = applyAssignments(words, wanted, &holdMs); !error.isEmpty())
            return failure(error);
        bool anyField = false;
        for (const QString& word : words)
            anyField = anyField || !word.startsWith(QLatin1String("hold"));
        if (!anyField)
            wanted.senspp = (wanted.senspp + 1) % 32;
        m_sim.changeAtDetector(wanted, holdMs);
        return {};
    }
    if (command == QLatin1String("unplug")) {
        bool done = false;
        if (words.isEmpty()) {
            done = m_sim.unplug();
        } else {
            const auto seconds = parseNumber(arg, 0, 86400);
            if (!seconds || words.size() != 1)
                return failure(QStringLiteral("usage: unplug [SECONDS]"));
            done = m_sim.unplugFor(toMs(*seconds));
        }
        return done ? Reply{} : failure(QStringLiteral("no open pseudo-terminal to unplug"));
    }
    if (command == QLatin1String("replug")) {
        QString error;
        if (!m_sim.replug(&error))
            return failure(error.isEmpty() ? QStringLiteral("no pseudo-terminal to open") : error);
        return {};
    }
    if (command == QLatin1String("replay")) {
        if (words.isEmpty() || words.size() > 3)
            return failure(QStringLiteral("usage: replay FILE [SPEED] [loop]"));
        const QString path = words[0];
        double speed = 1.0;
        bool loop = false;
        for (int i = 1; i < words.size(); ++i) {
            if (words[i].toLower() == QLatin1String("loop")) {
                loop = true;
            } else if (const auto s = parseNumber(words[i], 0, 1000)) {
                speed = *s;
            } else {
                return failure(QStringLiteral("usage: replay FILE [SPEED] [loop]"));
            }
        }
        QString error;
        if (!m_sim.replayFile(path, speed, loop, &error))
            return failure(error);
        return {};
    }
    return failure(QStringLiteral("unknown command '%1'; type help").arg(command));
}

SimConsole::Reply SimConsole::show() const {
    const SimSettings& s = m_sim.settings();
    QStringList fields;
    for (const QString& name : SimSettings::fieldNames())
        fields << QStringLiteral("%1=%2").arg(name).arg(*s.field(name));
    const SimCounters& c = m_sim.counters();
    QStringList frames;
    for (int code = 0; code < 8; ++code)
        frames << QString::number(c.frames[code]);
    QString text;
    text += QStringLiteral("mode %1, %2, %3\n")
                .arg(m_sim.state())
                .arg(m_sim.isStreaming() ? QStringLiteral("streaming") : QStringLiteral("stopped"))
                .arg(m_sim.hasListener() ? QStringLiteral("listener connected")
                                         : QStringLiteral("no listener"));
    text += fields.join(QLatin1Char(' ')) + QLatin1Char('\n');
    text += QStringLiteral("rate %1/s, %2 signals per cycle frame%3\n")
                .arg(s.signalRate)
                .arg(s.signalsPerCycleFrame)
                .arg(s.saturate ? QStringLiteral(", saturating") : QString());
    text +=
        QStringLiteral("frames by code %1, corrupt %2, noise bytes %3, bytes sent %4, dropped %5\n")
            .arg(frames.join(QLatin1Char('/')))
            .arg(c.corruptFrames)
            .arg(c.noiseBytes)
            .arg(c.bytesSent)
            .arg(c.bytesDropped);
    text += QStringLiteral("commands applied %1, refused %2, rejected %3")
                .arg(c.commandsApplied)
                .arg(c.commandsRefused)
                .arg(c.commandsRejected);
    return Reply{true, text, false};
}
