#include "config/AppSettings.h"

#include "config/IniFile.h"

#include <QByteArray>

namespace {

// Section and key names exactly as the file has always spelled them.
constexpr char Koef[] = "Koef";
constexpr char Filter[] = "Filter";
constexpr char Display[] = "Display";
constexpr char Sens[] = "Sens";
constexpr char Connection[] = "Connection";
constexpr char Ports[] = "Ports";

QByteArray numberedKey(const char* stem, int number) {
    return QByteArray(stem) + QByteArray::number(number);
}

// Factory threshold percentages: steps of 100/64 from code 0, БП 8 steps above ПП and МП.
double factoryUpperPercent(int code) {
    return (code + 7) * 100.0 / 64.0;
}
double factoryLowerBandPercent(int code) {
    return (code + 15) * 100.0 / 64.0;
}

// Factory threshold code per section length code, for the two frequency bands.
int factoryLengthCode(int band, int code) {
    struct Row {
        int lastCode;
        int band0;
        int band1;
    };
    static constexpr Row rows[] = {
        {1, 15, 31},  {2, 15, 30}, {4, 15, 29}, {6, 15, 28}, {8, 10, 27},
        {10, 10, 25}, {12, 7, 23}, {14, 7, 20}, {16, 7, 17}, {19, 6, 15},
        {20, 6, 13},  {22, 5, 13}, {25, 5, 11}, {28, 3, 10}, {31, 3, 9},
    };
    for (const Row& row : rows) {
        if (code <= row.lastCode) {
            return band == 0 ? row.band0 : row.band1;
        }
    }
    return band == 0 ? 3 : 31;
}

// "COM7" (any letter case) gives 7; anything else, leading zeros included, gives 0.
int portNumberOfKey(const QByteArray& key) {
    if (key.size() < 4 || !key.first(3).toUpper().startsWith("COM") || key.at(3) == '0') {
        return 0;
    }
    const QByteArrayView digits = QByteArrayView(key).sliced(3);
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
    }
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : 0;
}

SettingsWriteResult saveFile(IniFile& file) {
    if (file.save()) {
        return {};
    }
    return {false, file.saveError()};
}

} // namespace

AppSettings AppSettings::defaults() {
    AppSettings s;
    for (int code = 0; code < ThresholdCodes; ++code) {
        s.pp[code] = factoryUpperPercent(code);
        s.mp[code] = factoryUpperPercent(code);
        s.bp[code] = factoryLowerBandPercent(code);
    }
    for (int code = 0; code <= LastLengthCode; ++code) {
        s.freq0Dist[code] = factoryLengthCode(0, code);
        s.freq1Dist[code] = factoryLengthCode(1, code);
    }
    return s;
}

AppSettings readAppSettings(const IniFile& file) {
    AppSettings s = AppSettings::defaults();
    s.kdc = file.readReal(Koef, "Kdc", s.kdc);
    s.urd = file.readReal(Koef, "Urd", s.urd);
    s.filterSelect = file.readInteger(Filter, "Select", s.filterSelect);
    s.filterMaxTenPercent = file.readInteger(Filter, "MaxTenPercent", s.filterMaxTenPercent);
    s.displaySignalDuringAlarm =
        file.readBool(Display, "SignalDuringAlarm", s.displaySignalDuringAlarm);
    for (int code = 0; code < AppSettings::ThresholdCodes; ++code) {
        s.pp[code] = file.readReal("PP", numberedKey("PP", code), s.pp[code]);
        s.mp[code] = file.readReal("MP", numberedKey("MP", code), s.mp[code]);
        s.bp[code] = file.readReal("BP", numberedKey("BP", code), s.bp[code]);
    }
    for (int code = AppSettings::FirstLengthCode; code <= AppSettings::LastLengthCode; ++code) {
        s.freq0Dist[code] =
            file.readInteger(Sens, numberedKey("Freq0Dist", code), s.freq0Dist[code]);
        s.freq1Dist[code] =
            file.readInteger(Sens, numberedKey("Freq1Dist", code), s.freq1Dist[code]);
    }
    s.displayThresholdExcess =
        file.readInteger(Display, "ThresholdExcess", s.displayThresholdExcess);
    s.comPort = file.readInteger(Connection, "ComPort", s.comPort);

    for (const QByteArray& key : file.keys(Ports)) {
        const int number = portNumberOfKey(key);
        if (number <= 0) {
            continue;
        }
        const QString device = file.readString(Ports, key).trimmed();
        if (!device.isEmpty()) {
            s.portDevices.insert(number, device);
        }
    }
    return s;
}

SettingsWriteResult writePortNumber(IniFile& file, int portNumber) {
    file.writeInteger(Connection, "ComPort", portNumber);
    return saveFile(file);
}

SettingsWriteResult writeAppSettings(IniFile& file, const AppSettings& values) {
    file.writeReal(Koef, "Kdc", values.kdc);
    file.writeReal(Koef, "Urd", values.urd);
    file.writeInteger(Filter, "Select", values.filterSelect);
    file.writeInteger(Filter, "MaxTenPercent", values.filterMaxTenPercent);
    file.writeBool(Display, "SignalDuringAlarm", values.displaySignalDuringAlarm);
    for (int code = 0; code < AppSettings::ThresholdCodes; ++code) {
        file.writeReal("PP", numberedKey("PP", code), values.pp[code]);
        file.writeReal("MP", numberedKey("MP", code), values.mp[code]);
        file.writeReal("BP", numberedKey("BP", code), values.bp[code]);
    }
    for (int code = AppSettings::FirstLengthCode; code <= AppSettings::LastLengthCode; ++code) {
        file.writeInteger(Sens, numberedKey("Freq0Dist", code), values.freq0Dist[code]);
        file.writeInteger(Sens, numberedKey("Freq1Dist", code), values.freq1Dist[code]);
    }
    file.writeInteger(Display, "ThresholdExcess", values.displayThresholdExcess);
    return saveFile(file);
}
