#include "SimCommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cmath>

namespace {

bool parseDouble(const QString& text, double minimum, double maximum, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value) && *value >= minimum && *value <= maximum;
}

} // namespace

bool parseSimCommandLine(const QStringList& arguments, SimOptions& options, QString* error,
                         bool* exitOk) {
    *exitOk = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated radio-wave detector on a pseudo-terminal. Prints \"PTY <slave path>\" on the "
        "first line of standard output, then streams telemetry and obeys command frames. "
        "Scenarios can be typed on standard input while it runs (type help)."));
    const QCommandLineOption help = parser.addHelpOption();

    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Symbolic link to the slave, kept up to date."),
                                  QStringLiteral("path"));
    const QCommandLineOption logFile(QStringLiteral("log"),
                                     QStringLiteral("Also append the event lines to this file."),
                                     QStringLiteral("file"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Do not print events on standard error."));
    const QCommandLineOption noStream(QStringLiteral("no-stream"),
                                      QStringLiteral("Start with the stream off ('stream on')."));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("Signal frames per second (default 100)."),
                                  QStringLiteral("n"));
    const QCommandLineOption spacing(
        QStringLiteral("signals-per-cycle-frame"),
        QStringLiteral("Signal frames between two cycle frames (default 1)."), QStringLiteral("n"));
    const QCommandLineOption saturate(QStringLiteral("saturate"),
                                      QStringLiteral("Send at the full line rate, 1440 frames/s."));
    const QCommandLineOption signalNoise(
        QStringLiteral("signal-noise"),
        QStringLiteral("Signal noise in percent of the averaged level (default 1.5)."),
        QStringLiteral("percent"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the noise generators (default 1)."),
                                  QStringLiteral("n"));
    const QCommandLineOption position(QStringLiteral("position"),
                                      QStringLiteral("Position designation, e.g. C15."),
                                      QStringLiteral("designation"));
    parser.addOptions(
        {link, logFile, quiet, noStream, rate, spacing, saturate, signalNoise, seed, position});

    QList<QCommandLineOption> fieldOptions;
    for (const QString& name : SimSettings::fieldNames()) {
        fieldOptions.append(
            QCommandLineOption(name,
                               QStringLiteral("Telemetry field %1 (0..%2, default %3).")
                                   .arg(name)
                                   .arg(*SimSettings::fieldMaximum(name))
                                   .arg(*options.settings.field(name)),
                               QStringLiteral("n")));
        parser.addOption(fieldOptions.last());
    }

    const QCommandLineOption alarm(QStringLiteral("alarm"), QStringLiteral("Start in alarm."));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Start faulty."));
    const QCommandLineOption lowSupply(QStringLiteral("low-supply"),
                                       QStringLiteral("Low supply voltage (dis 3)."));
    const QCommandLineOption refuse(QStringLiteral("refuse"),
                                    QStringLiteral("Never apply commands of these codes "
                                                   "('all' or a list such as 0,3)."),
                                    QStringLiteral("codes"));
    const QCommandLineOption silence(QStringLiteral("silence"),
                                     QStringLiteral("Stay silent for the first seconds."),
                                     QStringLiteral("seconds"));
    const QCommandLineOption lineNoise(
        QStringLiteral("line-noise"),
        QStringLiteral("Junk bytes before a frame with this probability (0..1)."),
        QStringLiteral("p"));
    const QCommandLineOption corrupt(
        QStringLiteral("corrupt"),
        QStringLiteral("A wrong checksum in a frame with this probability (0..1)."),
        QStringLiteral("p"));
    const QCommandLineOption sweep(QStringLiteral("sweep"),
                                   QStringLiteral("Sweep the signal 0..1023..0 once per period."),
                                   QStringLiteral("seconds"));
    const QCommandLineOption at(QStringLiteral("at"),
                                QStringLiteral("Run a console command later, e.g. "
                                               "--at \"5:alarm on\" (repeatable)."),
                                QStringLiteral("seconds:command"));
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("Replay the \"Inp:\" lines of a program log."),
                                    QStringLiteral("file"));
    const QCommandLineOption replaySpeed(
        QStringLiteral("replay-speed"),
        QStringLiteral("Replay speed factor; 0 sends as fast as the line allows (default 1)."),
        QStringLiteral("factor"));
    const QCommandLineOption replayLoop(QStringLiteral("replay-loop"),
                                        QStringLiteral("Start the replay again at its end."));
    parser.addOptions({alarm, fault, lowSupply, refuse, silence, lineNoise, corrupt, sweep, at,
                       replay, replaySpeed, replayLoop});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        *error = parser.helpText() + QLatin1Char('\n') + QStringLiteral("Console ") +
                 QStringLiteral("commands are listed by typing help while it runs.");
        *exitOk = true;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
        return false;
    }

    SimSettings& s = options.settings;
    for (const QCommandLineOption& option : fieldOptions) {
        if (!parser.isSet(option))
            continue;
        const QString name = option.names().first();
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--%1 needs a whole number, not '%2'")
                         .arg(name, parser.value(option));
            return false;
        }
        if (!s.setField(name, value, error))
            return false;
    }
    if (parser.isSet(position)) {
        static const QRegularExpression designation(QStringLiteral("^([A-Pa-p])(\\d{1,3})$"));
        const QRegularExpressionMatch m = designation.match(parser.value(position));
        const int number = m.hasMatch() ? m.captured(2).toInt() : -1;
        if (!m.hasMatch() || number > 127) {
            *error = QStringLiteral("--position needs a letter A..P and a number 0..127, e.g. C15");
            return false;
        }
        s.symbol = m.captured(1).toUpper().at(0).unicode() - 'A';
        s.number = number;
    }

    double value = 0.0;
    if (parser.isSet(rate)) {
        if (!parseDouble(parser.value(rate), 1, 1440, &value)) {
            *error = QStringLiteral("--rate must be 1..1440 frames per second");
            return false;
        }
        s.signalRate = value;
    }
    if (parser.isSet(spacing)) {
        if (!parseDouble(parser.value(spacing), 0, 1000, &value) || value != std::floor(value)) {
            *error = QStringLiteral("--signals-per-cycle-frame must be a whole number 0..1000");
            return false;
        }
        s.signalsPerCycleFrame = int(value);
    }
    if (parser.isSet(signalNoise)) {
        if (!parseDouble(parser.value(signalNoise), 0, 100, &value)) {
            *error = QStringLiteral("--signal-noise must be 0..100 percent");
            return false;
        }
        s.noisePercent = value;
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        s.seed = parser.value(seed).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed must be a whole number");
            return false;
        }
    }
    s.saturate = parser.isSet(saturate);

    options.linkPath = parser.value(link);
    options.logFile = parser.value(logFile);
    options.quiet = parser.isSet(quiet);
    options.streamAtStart = !parser.isSet(noStream);

    // Scenarios become the console commands a user would type, so both paths share one
    // set of rules and messages.
    QStringList& start = options.startCommands;
    if (parser.isSet(alarm))
        start << QStringLiteral("alarm on");
    if (parser.isSet(fault))
        start << QStringLiteral("fault on");
    if (parser.isSet(lowSupply))
        start << QStringLiteral("lowsupply on");
    if (parser.isSet(refuse)) {
        const QString codes = parser.value(refuse);
        start << QStringLiteral("refuse %1")
                     .arg(codes == QLatin1String("all") ? QStringLiteral("on") : codes);
    }
    if (parser.isSet(silence))
        start << QStringLiteral("silence %1").arg(parser.value(silence));
    if (parser.isSet(lineNoise))
        start << QStringLiteral("noise %1").arg(parser.value(lineNoise));
    if (parser.isSet(corrupt))
        start << QStringLiteral("corrupt %1").arg(parser.value(corrupt));
    if (parser.isSet(sweep))
        start << QStringLiteral("sweep %1").arg(parser.value(sweep));

    for (const QString& text : parser.values(at)) {
        const int colon = text.indexOf(QLatin1Char(':'));
        double seconds = 0.0;
        if (colon < 0 || !parseDouble(text.left(colon), 0, 86400, &seconds) ||
            text.mid(colon + 1).trimmed().isEmpty()) {
            *error = QStringLiteral("--at needs SECONDS:COMMAND, e.g. \"5:alarm on\", not '%1'")
                         .arg(text);
            return false;
        }
        options.timed.append({int(std::lround(seconds * 1000)), text.mid(colon + 1).trimmed()});
    }

    options.replayFile = parser.value(replay);
    if (parser.isSet(replaySpeed)) {
        if (!parseDouble(parser.value(replaySpeed), 0, 1000, &options.replaySpeed)) {
            *error = QStringLiteral("--replay-speed must be 0..1000");
            return false;
        }
    }
    options.replayLoop = parser.isSet(replayLoop);
    return true;
}
