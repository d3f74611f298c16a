#include "protocol/Scales.h"

#include <QLocale>
#include <cmath>

namespace {

constexpr double ReferenceVolts[2] = {5.0, 2.5};
constexpr double GainDivisor[4] = {2287.5, 375.0, 61.0, 10.0};

bool validCode(int code) {
    return code >= 0 && code < ThresholdCodeCount;
}

bool validLength(int band, int lengthCode) {
    return (band == 0 || band == 1) && lengthCode >= FirstLengthCode &&
           lengthCode <= LastLengthCode;
}

} // namespace

double DefaultThresholdPercent(ThresholdKind kind, int code) {
    const int offset = kind == ThresholdKind::BP ? 15 : 7;
    return (code + offset) * 100.0 / 64.0;
}

int SensitivityPercent(int code) {
    return 100 - 2 * code;
}

int SectionLengthMetres(int code) {
    return code < 2 ? 0 : (code - 1) * 10;
}

int DefaultLengthThresholdCode(int band, int code) {
    if (band == 0) {
        if (code <= 6)
            return 15;
        if (code <= 10)
            return 10;
        if (code <= 16)
            return 7;
        if (code <= 20)
            return 6;
        if (code <= 25)
            return 5;
        return 3;
    }
    if (code < 2 || code > 31)
        return 31;
    static constexpr int band1[32] = {31, 31, 30, 29, 29, 28, 28, 27, 27, 25, 25,
                                      23, 23, 20, 20, 17, 17, 15, 15, 15, 13, 13,
                                      13, 11, 11, 11, 10, 10, 10, 9,  9,  9};
    return band1[code];
}

double MinSpeed(int code) {
    return (code + 1) * 0.1;
}

int MaxSpeed(int code) {
    return 2 * code + 4;
}

double SignalMillivolts(unsigned ref, unsigned value, unsigned amplif) {
    return ReferenceVolts[ref & 1] * 1000.0 * value / 1023.0 / GainDivisor[amplif & 3];
}

std::pair<double, double> ThresholdLevels(double averageMv, double ppPercent, double mpPercent) {
    return {averageMv + averageMv * ppPercent / 100.0, averageMv - averageMv * mpPercent / 100.0};
}

unsigned CommandStateOf(unsigned state) {
    return state == 2 ? 1 : 0;
}

std::optional<double> ParseReal(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QString FormatFourDecimals(double value) {
    // The "#.####" pattern: up to four decimals, no trailing zeros and no zero before the
    // separator, so one half reads ",5" on a Russian system.
    QString s = QLocale().toString(value, 'f', 4);
    const QString point = QLocale().decimalPoint();
    if (s.contains(point)) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(point))
            s.chop(point.size());
    }
    const bool negative = s.startsWith(QLatin1Char('-'));
    const QString digits = negative ? s.mid(1) : s;
    if (digits == QLatin1String("0"))
        return QString();
    if (digits.startsWith(QLatin1Char('0') + point))
        s = (negative ? QStringLiteral("-") : QString()) + digits.mid(1);
    return s;
}

QString FormatRounded(double value) {
    // The "#" pattern: nearest integer, halves away from zero, nothing at all for zero.
    const double rounded = std::round(value);
    if (rounded == 0.0)
        return QString();
    return QLocale().toString(rounded, 'f', 0);
}

ScaleTables::ScaleTables() {
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < ThresholdCodeCount; ++c)
            m_threshold[k][c] = FormatFourDecimals(DefaultThresholdPercent(ThresholdKind(k), c));
    for (int band = 0; band < 2; ++band)
        for (int d = FirstLengthCode; d <= LastLengthCode; ++d)
            m_length[band][d - FirstLengthCode] =
                QString::number(DefaultLengthThresholdCode(band, d));
}

QString ScaleTables::thresholdCell(ThresholdKind kind, int code) const {
    return validCode(code) ? m_threshold[int(kind)][code] : QString();
}

void ScaleTables::setThresholdCell(ThresholdKind kind, int code, const QString& text) {
    if (validCode(code))
        m_threshold[int(kind)][code] = text;
}

QString ScaleTables::lengthCell(int band, int lengthCode) const {
    return validLength(band, lengthCode) ? m_length[band][lengthCode - FirstLengthCode] : QString();
}

void ScaleTables::setLengthCell(int band, int lengthCode, const QString& text) {
    if (validLength(band, lengthCode))
        m_length[band][lengthCode - FirstLengthCode] = text;
}

std::optional<double> ScaleTables::ThresholdPercentStrict(ThresholdKind kind, int code) const {
    return ParseReal(thresholdCell(kind, code));
}

double ScaleTables::ThresholdPercent(ThresholdKind kind, int code) const {
    return ThresholdPercentStrict(kind, code).value_or(DefaultThresholdPercent(kind, code));
}

int ScaleTables::LengthThresholdCode(int band, int lengthCode) const {
    return ParseInteger(lengthCell(band, lengthCode))
        .value_or(DefaultLengthThresholdCode(band, lengthCode));
}
