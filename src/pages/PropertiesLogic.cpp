#include "pages/PropertiesLogic.h"

#include <cmath>

namespace {

QStringList numberItems(int first, int last, std::initializer_list<int> more) {
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    for (int n : more)
        items << QString::number(n);
    return items;
}

} // namespace

QStringList SelectFilterItems() {
    return numberItems(1, 10, {15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 116, 120, 150, 200});
}

QStringList TenPercentFilterItems() {
    return numberItems(0, 10, {15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 120, 150, 200});
}

QStringList ThresholdExcessItems() {
    return {QStringLiteral("Уровень сигнала как индикатор "),
            QStringLiteral("Уровень сигнала не как индикатор "), QStringLiteral("Только индикатор"),
            QStringLiteral("Только сигнал")};
}

int NumberOfItem(const QStringList& items, int position, int fallback) {
    if (position < 0 || position >= items.size())
        return fallback;
    return ParseInteger(items.at(position)).value_or(fallback);
}

int ThresholdExcessChoice(int stored) {
    const int last = int(ThresholdExcessItems().size()) - 1;
    return stored < 0 ? -1 : std::min(stored, last);
}

std::optional<double> NewCoefficient(const QString& text) {
    const std::optional<double> value = ParseReal(text);
    if (!value || *value == 0.0)
        return std::nullopt;
    return value;
}

double StoredThresholdPercent(double percent) {
    return std::round(percent * 10000.0) / 10000.0;
}

AppSettings SettingsToWrite(const AppSettings& base, const SupplyScale& scale,
                            const PropertiesChoices& choices, const ScaleTables& tables) {
    AppSettings out = base;
    out.kdc = scale.Kdc;
    out.urd = scale.Urd;
    out.filterSelect = choices.selectPosition;
    out.filterMaxTenPercent = choices.tenPercentPosition;
    out.displaySignalDuringAlarm = choices.signalDuringAlarm;
    out.displayThresholdExcess = choices.thresholdExcess;
    for (int c = 0; c < ThresholdCodeCount; ++c) {
        out.pp[c] = StoredThresholdPercent(tables.ThresholdPercent(ThresholdKind::PP, c));
        out.mp[c] = StoredThresholdPercent(tables.ThresholdPercent(ThresholdKind::MP, c));
        out.bp[c] = StoredThresholdPercent(tables.ThresholdPercent(ThresholdKind::BP, c));
    }
    for (int d = FirstLengthCode; d <= LastLengthCode; ++d) {
        out.freq0Dist[d] = tables.LengthThresholdCode(0, d);
        out.freq1Dist[d] = tables.LengthThresholdCode(1, d);
    }
    return out;
}

void FillTables(ScaleTables& tables, const AppSettings& values) {
    for (int c = 0; c < ThresholdCodeCount; ++c) {
        tables.setThresholdCell(ThresholdKind::PP, c, FormatFourDecimals(values.pp[c]));
        tables.setThresholdCell(ThresholdKind::MP, c, FormatFourDecimals(values.mp[c]));
        tables.setThresholdCell(ThresholdKind::BP, c, FormatFourDecimals(values.bp[c]));
    }
    for (int d = FirstLengthCode; d <= LastLengthCode; ++d) {
        tables.setLengthCell(0, d, QString::number(values.freq0Dist[d]));
        tables.setLengthCell(1, d, QString::number(values.freq1Dist[d]));
    }
}

ThresholdLists RangeListsOf(const AppSettings& values, bool withNoneEntry) {
    return BuildThresholdLists(ThresholdCodeCount, withNoneEntry, [&](ThresholdKind kind, int c) {
        switch (kind) {
        case ThresholdKind::PP:
            return values.pp[c];
        case ThresholdKind::MP:
            return values.mp[c];
        case ThresholdKind::BP:
            break;
        }
        return values.bp[c];
    });
}
