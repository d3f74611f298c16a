#pragma once

#include <QString>
#include <array>
#include <optional>
#include <utility>

// The three thresholds: ПП above the averaged level, МП and БП below it.
enum class ThresholdKind { PP = 0, MP = 1, BP = 2 };

constexpr int ThresholdCodeCount = 32; // codes 0..31
constexpr int FirstLengthCode = 2;     // 10 m
constexpr int LastLengthCode = 31;     // 300 m
constexpr int LengthCodeCount = LastLengthCode - FirstLengthCode + 1;

double DefaultThresholdPercent(ThresholdKind kind, int code);
int SensitivityPercent(int code);
int SectionLengthMetres(int code);
int DefaultLengthThresholdCode(int band, int code);
double MinSpeed(int code);
int MaxSpeed(int code);
double SignalMillivolts(unsigned ref, unsigned value, unsigned amplif);
std::pair<double, double> ThresholdLevels(double averageMv, double ppPercent, double mpPercent);
unsigned CommandStateOf(unsigned state);

// Parses a number written with either decimal separator ("20,5" or "20.5"), as the tables'
// cells and the settings file may hold either.
std::optional<double> ParseReal(const QString& text);
std::optional<int> ParseInteger(const QString& text);
// "#.####" and "#" patterns with the locale's decimal separator.
QString FormatFourDecimals(double value);
QString FormatRounded(double value);

// Coefficients of the supply-voltage scale (settings "Koef").
struct SupplyScale {
    double Kdc = 14.33;
    double Urd = 1.5;
    double SupplyVolts(unsigned pwr) const { return pwr * 2.5 * Kdc / 1023.0 + Urd; }
};

// The properties page's two tables, held as the text of their cells: an edited cell is in
// effect for every reader at once, and a cell that does not parse falls back to the default.
class ScaleTables {
public:
    ScaleTables();

    QString thresholdCell(ThresholdKind kind, int code) const;
    void setThresholdCell(ThresholdKind kind, int code, const QString& text);
    QString lengthCell(int band, int lengthCode) const;
    void setLengthCell(int band, int lengthCode, const QString& text);

    double ThresholdPercent(ThresholdKind kind, int code) const;
    // Strict reader: no value when the cell does not parse.
    std::optional<double> ThresholdPercentStrict(ThresholdKind kind, int code) const;
    int LengthThresholdCode(int band, int lengthCode) const;

private:
    std::array<std::array<QString, ThresholdCodeCount>, 3> m_threshold;
    std::array<std::array<QString, LengthCodeCount>, 2> m_length;
};
