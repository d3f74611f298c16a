#pragma once

#include "protocol/Scales.h"
#include "protocol/Telemetry.h"

#include <QString>
#include <QStringList>

// What the information panel shows for the connected detector, computed from its telemetry.
// Numbers use the locale's decimal separator; a number and its unit are joined by two spaces.
namespace panel {

inline constexpr char UnitMetres[] = "м";
inline constexpr char UnitMillivolts[] = "мВ";
inline constexpr char UnitPercent[] = "%";
inline constexpr char UnitSpeed[] = "м/с";
inline constexpr char UnitVolts[] = "В";
// What every value label shows while no detector is identified.
inline constexpr char NoValue[] = "---";

// A colour of the mode box: a fixed RGB value or one of the system's own colours.
struct PanelColour {
    enum Role { Rgb, ButtonFace, WindowText };
    Role role = Rgb;
    quint32 rgb = 0;

    friend bool operator==(const PanelColour&, const PanelColour&) = default;
};

struct ModeLook {
    QString text;
    PanelColour background;
    PanelColour foreground;
};

// Text and colours of the mode box for a `state` value (only its low three bits count).
ModeLook modeLook(unsigned state);

// "Извещатель:" by band and model; "Ведрис-50 (9)" is the first band's variant.
QString modelName(unsigned dev, unsigned freq);
// "Тип выхода:"; model 2 always has the OFDM output.
QString outputTypeText(unsigned dev, unsigned out);
// "Метод регул:"; the special method shows its variant ("Спец.1", "Спец.2").
QString regulationText(unsigned reg, unsigned ctrl_pp_mp);
// The address is shown for OFDM outputs and for model 2.
bool showsAddress(unsigned dev, unsigned out);

// A number with the locale's decimal separator and exactly `decimals` digits after it
// (patterns "0.0", "0.000"); never with group separators.
QString decimalText(double value, int decimals);
QString withUnit(const QString& number, const char* unit);

QString versionText(unsigned cs, unsigned prog);                        // "1.3"
QString letterText(unsigned letter);                                    // 1..4
QString addressText(unsigned adr);                                      // decimal
QString positionText(unsigned symbol, unsigned number);                 // "A07", "O15", "A127"
QString sectionLengthText(unsigned dist);                               // "120  м", "0  м"
QString speedText(unsigned vel_min, unsigned vel_max);                  // "0,4...10  м/с"
QString supplyText(const SupplyScale& scale, unsigned pwr);             // "15,5  В"
QString averageLevelText(unsigned ref, unsigned aver, unsigned amplif); // "4,444  мВ"

// "Чувствит.:" by regulation method: manual shows the ПП code's sensitivity, special shows
// "---", automatic the sensitivity of the length table's code for the band and length.
QString sensitivityText(const TelemetryTable& telemetry, const ScaleTables& tables);

// The Range page's lists as identification builds them for a detector: sensitivity per
// threshold code and the three threshold percentages per code ("#"), 19 codes for a detector
// with cs 0 and 32 with cs 1, the sensitivity list ending with "---". A threshold cell that
// does not parse gives the default percentage of its code, and a note says so.
struct IdentificationLists {
    QStringList sensitivity;
    QStringList pp;
    QStringList mp;
    QStringList bp;
    QStringList notes; // one line per cell that fell back to its default
};

int highestThresholdCode(unsigned cs);
IdentificationLists buildIdentificationLists(unsigned cs, const ScaleTables& tables);

} // namespace panel
