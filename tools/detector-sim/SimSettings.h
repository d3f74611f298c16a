#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Everything the simulated detector reports in its telemetry, plus how it streams.
// Field names are those of the diagnostic log, so the command line, the console and the
// event log all speak the same words.
struct SimSettings {
    // Identity message
    int dev = 4;  // model within the band; 4 with freq 1 is a "Ведрис-100"
    int freq = 1; // frequency band
    int cs = 1;   // 1: 3-byte command frames with checksum; 0: 2-byte frames sent twice
    int prog = 3; // firmware minor digit
    int adr = 1;
    int letter = 0;
    // Sensitivity message
    int senspp = 10;
    int sensmp = 10;
    int ctrl_pp_mp = 0;
    // Section message
    int sensbp = 10;
    int dist = 11; // 100 m
    int reg = 2;   // automatic
    // Speed message
    int vel_min = 0;
    int vel_max = 1;
    int amplif = 1;
    int ref = 0;
    int dis = 0;
    // Position message
    int symbol = 2; // 'C'
    int number = 15;
    // Power message
    int pwr = 400; // about 15.5 V with the default scale
    int out = 0;
    // Average message: the mode reported when no scenario overrides it, and the level
    int state = 0;
    int aver = 341;

    // Received-signal noise, standard deviation in percent of the averaged level.
    double noisePercent = 1.5;
    // Signal frames per second (ignored when saturating the line).
    double signalRate = 100.0;
    // Signal frames between two frames of the cycle (codes 2..7, then Position).
    int signalsPerCycleFrame = 1;
    // Send as many frames as 57600 baud 8N1 carries (1440 frames/s).
    bool saturate = false;
    // Seed of the noise generator, so a run can be repeated exactly.
    quint32 seed = 1;

    // The telemetry fields by name ("senspp", "ctrl_pp_mp", ...), in message order.
    static QStringList fieldNames();
    // Largest value the field can carry on the wire (its bit width), or nullopt if unknown.
    static std::optional<int> fieldMaximum(const QString& name);
    std::optional<int> field(const QString& name) const;
    // Sets a telemetry field; refuses unknown names and values outside the field's width.
    bool setField(const QString& name, int value, QString* error = nullptr);
};
