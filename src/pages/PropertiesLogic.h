#pragma once

#include "config/AppSettings.h"
#include "pages/RangeSettingsLogic.h"
#include "protocol/Scales.h"

#include <QString>
#include <QStringList>
#include <optional>

// Items of the properties page's choices.
QStringList SelectFilterItems();     // plotting rate, points per second
QStringList TenPercentFilterItems(); // signal jumps above 10 % to discard
QStringList ThresholdExcessItems();  // how threshold excesses are shown

// The number an item shows; `fallback` when there is no selection or the text is no number.
int NumberOfItem(const QStringList& items, int position, int fallback);
// A stored choice of the radio group: above the last choice means the last one; below 0, none.
int ThresholdExcessChoice(int stored);

// A coefficient typed into a "Новые" box; nothing when it is not a number or is 0, since a
// zero factor would flatten the voltage scale.
std::optional<double> NewCoefficient(const QString& text);

// What the page's choices hold, as plain values.
struct PropertiesChoices {
    int selectPosition = 0;     // -1: none
    int tenPercentPosition = 0; // -1: none
    bool signalDuringAlarm = false;
    int thresholdExcess = 0;
};

// The values Apply writes: the coefficients in effect, the choices, and every table cell parsed,
// with its default where it does not parse. Everything else is kept from `base`.
AppSettings SettingsToWrite(const AppSettings& base, const SupplyScale& scale,
                            const PropertiesChoices& choices, const ScaleTables& tables);

// The percentage kept for a cell: what "#.####" can show, so that the file, the table and its
// readers hold the same value and a second Apply changes nothing.
double StoredThresholdPercent(double percent);

// Table cells from settings values: thresholds as "#.####", length codes in decimal.
void FillTables(ScaleTables& tables, const AppSettings& values);
// The Range page's threshold lists from settings values, all 32 codes.
ThresholdLists RangeListsOf(const AppSettings& values, bool withNoneEntry);
