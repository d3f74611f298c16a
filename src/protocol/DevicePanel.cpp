#include "protocol/DevicePanel.h"

#include <QLocale>
#include <array>

namespace panel {

namespace {

constexpr std::array<const char*, 16> ModelNames{
    "KVRS 10",        "Talvex-PC 10", "VTQ/M 10",       "Ведрис-50 (9)",
    "Ведрис-100 (9)", "VTQ 10",       "Ведрис-200 (9)", "Ведрис-300 (9)",
    "KVRS 24",        "Talvex-PC 24", "VTQ/M 24",       "Ведрис-50",
    "Ведрис-100",     "VTQ 24",       "Ведрис-200",     "Ведрис-300",
};

constexpr std::array<const char*, 4> OutputTypes{"Реле", "OFDM", "Радиоканал", "тип3"};
constexpr std::array<const char*, 4> RegulationNames{"Ручной", "Спец.1", "Авто.", "Авто.3"};

constexpr unsigned ModelWithOfdm = 2;
constexpr unsigned OutputOfdm = 1;

PanelColour rgb(quint32 value) {
    return {PanelColour::Rgb, value};
}

constexpr quint32 White = 0xFFFFFF;
constexpr quint32 Black = 0x000000;
constexpr quint32 Yellow = 0xFFFF00;

const char* kindName(ThresholdKind kind) {
    switch (kind) {
    case ThresholdKind::PP:
        return "PP";
    case ThresholdKind::MP:
        return "MP";
    case ThresholdKind::BP:
        return "BP";
    }
    return "";
}

} // namespace

ModeLook modeLook(unsigned state) {
    const QString text = modeText(state);
    switch (state & 7) {
    case ModeNormal:
        return {text, rgb(0x008000), rgb(White)};
    case ModeAlarm:
        return {text, rgb(0xFF0000), rgb(White)};
    case ModeAlignment:
        return {text, rgb(0x00FF00), rgb(Black)};
    case ModeFault:
        return {text, rgb(Yellow), rgb(Black)};
    case ModeSettingsChanged:
        return {text, rgb(0x0000FF), rgb(White)};
    case ModeUnknown5:
        return {text, {PanelColour::ButtonFace, 0}, {PanelColour::WindowText, 0}};
    default: // no link, pause
        return {text, rgb(Yellow), rgb(Black)};
    }
}

QString modelName(unsigned dev, unsigned freq) {
    return QString::fromUtf8(ModelNames[((freq & 1) << 3) | (dev & 7)]);
}

QString outputTypeText(unsigned dev, unsigned out) {
    return QString::fromUtf8(OutputTypes[dev == ModelWithOfdm ? OutputOfdm : (out & 3)]);
}

QString regulationText(unsigned reg, unsigned ctrl_pp_mp) {
    if (reg == 1 && ctrl_pp_mp == 1)
        return QStringLiteral("Спец.2");
    return QString::fromUtf8(RegulationNames[reg & 3]);
}

bool showsAddress(unsigned dev, unsigned out) {
    return out == OutputOfdm || dev == ModelWithOfdm;
}

QString decimalText(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString withUnit(const QString& number, const char* unit) {
    return number + QStringLiteral("  ") + QString::fromUtf8(unit);
}

QString versionText(unsigned cs, unsigned prog) {
    return QStringLiteral("%1.%2").arg(cs).arg(prog);
}

QString letterText(unsigned letter) {
    return QString::number(letter + 1);
}

QString addressText(unsigned adr) {
    return QString::number(adr);
}

QString positionText(unsigned symbol, unsigned number) {
    return QChar(char16_t(u'A' + symbol)) +
           QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString sectionLengthText(unsigned dist) {
    return withUnit(QString::number(SectionLengthMetres(int(dist))), UnitMetres);
}

QString speedText(unsigned vel_min, unsigned vel_max) {
    return withUnit(decimalText(MinSpeed(int(vel_min)), 1) + QStringLiteral("...") +
                        QString::number(MaxSpeed(int(vel_max))),
                    UnitSpeed);
}

QString supplyText(const SupplyScale& scale, unsigned pwr) {
    return withUnit(decimalText(scale.SupplyVolts(pwr), 1), UnitVolts);
}

QString averageLevelText(unsigned ref, unsigned aver, unsigned amplif) {
    return withUnit(decimalText(SignalMillivolts(ref, aver, amplif), 3), UnitMillivolts);
}

QString sensitivityText(const TelemetryTable& t, const ScaleTables& tables) {
    int code = 0;
    switch (t.reg()) {
    case 0:
        code = int(t.senspp());
        break;
    case 1:
        return QString::fromUtf8(NoValue);
    default:
        code = tables.LengthThresholdCode(int(t.freq()), int(t.dist()));
        break;
    }
    return withUnit(QString::number(SensitivityPercent(code)), UnitPercent);
}

int highestThresholdCode(unsigned cs) {
    return cs == 1 ? 31 : 18;
}

IdentificationLists buildIdentificationLists(unsigned cs, const ScaleTables& tables) {
    IdentificationLists lists;
    QStringList* rows[3] = {&lists.pp, &lists.mp, &lists.bp};
    const int last = highestThresholdCode(cs);
    for (int code = 0; code <= last; ++code) {
        lists.sensitivity << QString::number(SensitivityPercent(code));
        for (int k = 0; k < 3; ++k) {
            const auto kind = ThresholdKind(k);
            double percent = 0;
            if (const auto parsed = tables.ThresholdPercentStrict(kind, code)) {
                percent = *parsed;
            } else {
                percent = DefaultThresholdPercent(kind, code);
                lists.notes << QStringLiteral("Threshold cell %1%2 \"%3\" is not a number: "
                                              "default %4 used")
                                   .arg(QLatin1String(kindName(kind)))
                                   .arg(code)
                                   .arg(tables.thresholdCell(kind, code))
                                   .arg(FormatFourDecimals(percent));
            }
            *rows[k] << FormatRounded(percent);
        }
    }
    lists.sensitivity << QString::fromUtf8(NoValue);
    return lists;
}

} // namespace panel
