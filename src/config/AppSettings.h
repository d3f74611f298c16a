#pragma once

#include <QMap>
#include <QString>
#include <array>

class IniFile;

// The settings file, relative to the working directory of the process.
inline constexpr char SettingsFileName[] = "VelmoraTuner.ini";

// The program's own settings as stored in VelmoraTuner.ini, with the factory values for
// everything the file does not hold. Plain data: the window reads it into its controls at
// start-up and fills one from its controls for the properties page's Apply.
struct AppSettings {
    static constexpr int ThresholdCodes = 32; // sensitivity codes 0..31
    static constexpr int FirstLengthCode = 2; // 10 m
    static constexpr int LastLengthCode = 31; // 300 m

    double kdc = 14.33;          // [Koef] Kdc, supply voltage scale factor
    double urd = 1.5;            // [Koef] Urd, supply voltage offset in volts
    int filterSelect = 0;        // [Filter] Select, position in the plotting rate list
    int filterMaxTenPercent = 0; // [Filter] MaxTenPercent, position in the ten-percent list
    bool displaySignalDuringAlarm = false; // [Display] SignalDuringAlarm
    int displayThresholdExcess = 0;        // [Display] ThresholdExcess, choice of rgThresholds
    // [PP] PP<i>, [MP] MP<i>, [BP] BP<i>: threshold percent per sensitivity code i.
    std::array<double, ThresholdCodes> pp{};
    std::array<double, ThresholdCodes> mp{};
    std::array<double, ThresholdCodes> bp{};
    // [Sens] Freq0Dist<n>, Freq1Dist<n>: threshold code per section length code n, indexed by
    // n itself; entries 0 and 1 are not stored in the file and keep their factory values.
    std::array<int, LastLengthCode + 1> freq0Dist{};
    std::array<int, LastLengthCode + 1> freq1Dist{};
    int comPort = 0; // [Connection] ComPort, the port last used with an identified detector
    // [Ports] COM<n>=<device path>: devices that replace or add to the built-in numbering.
    QMap<int, QString> portDevices;

    // Factory values, used for every key that is missing or unreadable.
    static AppSettings defaults();
};

// Outcome of a write: on failure the text names the file and the reason.
struct SettingsWriteResult {
    bool ok = true;
    QString error;
};

// Everything the file holds, with defaults() for what is missing or does not parse.
AppSettings readAppSettings(const IniFile& file);

// Remembers the port of an identified detector in [Connection] ComPort and saves the file.
SettingsWriteResult writePortNumber(IniFile& file, int portNumber);

// The file side of the properties page's Apply: stores [Koef], [Filter], [Display] and the two
// tables from `values` and saves the file once. ComPort and [Ports] are left as they are.
SettingsWriteResult writeAppSettings(IniFile& file, const AppSettings& values);
