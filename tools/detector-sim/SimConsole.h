#pragma once

#include <QString>

class DetectorSimulator;

// The simulator's text commands ("alarm on", "silence 5", "set senspp=12", ...), typed on the
// standalone program's standard input or scheduled from its command line.
class SimConsole {
public:
    struct Reply {
        bool ok = true;
        QString text;      // what to show the user; empty when the event log says it all
        bool quit = false; // the user asked to end the program
    };

    explicit SimConsole(DetectorSimulator& simulator) : m_sim(simulator) {}

    Reply execute(const QString& line);
    static QString help();

private:
    Reply show() const;
    DetectorSimulator& m_sim;
};
