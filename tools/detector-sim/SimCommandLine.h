#pragma once

#include "SimSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the standalone simulator was asked to do on its command line.
struct SimOptions {
    struct TimedCommand {
        int atMs = 0;
        QString command; // a console command, run at atMs after start
    };

    SimSettings settings;
    QString linkPath;
    QString logFile;
    bool quiet = false;
    bool streamAtStart = true;
    QStringList startCommands; // console commands that set up the scenarios at start
    QList<TimedCommand> timed;
    QString replayFile;
    double replaySpeed = 1.0;
    bool replayLoop = false;
};

// Parses the arguments (the first being the program name). Returns false with a message in
// *error for bad input; with --help or --version, returns false with the text in *error and
// *exitOk set.
bool parseSimCommandLine(const QStringList& arguments, SimOptions& options, QString* error,
                         bool* exitOk);
