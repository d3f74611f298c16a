// detector-sim: a simulated detector on a pseudo-terminal, for the demo and manual sessions.

#include "DetectorSimulator.h"
#include "SimCommandLine.h"
#include "SimConsole.h"
#include "SimPseudoTerminal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// Ctrl+C, kill and a closed terminal end the program through the event loop, so the
// pseudo-terminal is closed and the link removed on the way out.
void quitOnTerminationSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(qintptr(g_signalPipe[0]), QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
}

void printLine(FILE* stream, const QString& text) {
    std::fputs(qPrintable(text), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// Reads whole lines from standard input without ever blocking the event loop: one read() per
// readiness notice never blocks. (Standard input is not made non-blocking: that flag would
// stay on the user's terminal after the program ends.)
class ConsoleInput : public QObject {
public:
    ConsoleInput(SimConsole& console, QCoreApplication& app) : m_console(console), m_app(app) {
        if (::fcntl(0, F_GETFD) == -1)
            return; // no standard input at all
        m_notifier = new QSocketNotifier(0, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ConsoleInput::readAvailable);
    }

private:
    void readAvailable() {
        char buffer[1024];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0) {
            // End of input (or a background run with none): keep simulating.
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                m_notifier->setEnabled(false);
            return;
        }
        m_pending.append(buffer, int(n));
        int end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
            const SimConsole::Reply reply = m_console.execute(line);
            if (!reply.text.isEmpty())
                printLine(reply.ok ? stdout : stderr, reply.text);
            if (reply.quit)
                m_app.quit();
        }
    }

    SimConsole& m_console;
    QCoreApplication& m_app;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("detector-sim"));
    quitOnTerminationSignals(app);

    SimOptions options;
    QString message;
    bool exitOk = false;
    if (!parseSimCommandLine(QCoreApplication::arguments(), options, &message, &exitOk)) {
        printLine(exitOk ? stdout : stderr,
                  exitOk ? message : QStringLiteral("detector-sim: ") + message);
        return exitOk ? 0 : 2;
    }

    SimPseudoTerminal pty;
    if ((!options.linkPath.isEmpty() && !pty.setLink(options.linkPath, &message)) ||
        !pty.open(&message)) {
        printLine(stderr, QStringLiteral("detector-sim: ") + message);
        return 1;
    }
    printLine(stdout, QStringLiteral("PTY ") + pty.slavePath());

    DetectorSimulator simulator(pty.masterFd(), options.settings);
    simulator.setPseudoTerminal(&pty);
    if (!options.logFile.isEmpty() && !simulator.setLogFile(options.logFile, &message)) {
        printLine(stderr, QStringLiteral("detector-sim: ") + message);
        return 1;
    }
    if (!options.quiet) {
        QObject::connect(&simulator, &DetectorSimulator::eventLogged, [](const QString& line) {
            printLine(stderr,
                      QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz  ")) + line);
        });
    }
    QObject::connect(&simulator, &DetectorSimulator::portChanged,
                     [](const QString& path) { printLine(stdout, QStringLiteral("PTY ") + path); });

    SimConsole console(simulator);
    for (const QString& command : options.startCommands) {
        const SimConsole::Reply reply = console.execute(command);
        if (!reply.ok) {
            printLine(stderr, QStringLiteral("detector-sim: ") + reply.text);
            return 2;
        }
    }
    for (const SimOptions::TimedCommand& timed : options.timed) {
        QTimer::singleShot(timed.atMs, &simulator, [&console, &app, command = timed.command] {
            const SimConsole::Reply reply = console.execute(command);
            if (!reply.text.isEmpty())
                printLine(reply.ok ? stdout : stderr, reply.text);
            if (reply.quit)
                app.quit();
        });
    }
    if (!options.replayFile.isEmpty()) {
        if (!simulator.replayFile(options.replayFile, options.replaySpeed, options.replayLoop,
                                  &message)) {
            printLine(stderr, QStringLiteral("detector-sim: ") + message);
            return 2;
        }
    } else if (options.streamAtStart) {
        simulator.start();
    }

    ConsoleInput input(console, app);
    return app.exec();
}
