#include "SimSettings.h"

#include <array>

namespace {

struct FieldInfo {
    const char* name;
    int SimSettings::*member;
    int maximum;
};

// Widths as they travel in the telemetry messages.
constexpr std::array<FieldInfo, 23> kFields{{
    {"symbol", &SimSettings::symbol, 15},
    {"number", &SimSettings::number, 127},
    {"aver", &SimSettings::aver, 1023},
    {"state", &SimSettings::state, 7},
    {"senspp", &SimSettings::senspp, 31},
    {"sensmp", &SimSettings::sensmp, 31},
    {"ctrl_pp_mp", &SimSettings::ctrl_pp_mp, 1},
    {"dist", &SimSettings::dist, 31},
    {"reg", &SimSettings::reg, 3},
    {"sensbp", &SimSettings::sensbp, 31},
    {"vel_min", &SimSettings::vel_min, 3},
    {"vel_max", &SimSettings::vel_max, 3},
    {"amplif", &SimSettings::amplif, 3},
    {"ref", &SimSettings::ref, 1},
    {"dis", &SimSettings::dis, 3},
    {"dev", &SimSettings::dev, 7},
    {"prog", &SimSettings::prog, 7},
    {"letter", &SimSettings::letter, 3},
    {"adr", &SimSettings::adr, 15},
    {"cs", &SimSettings::cs, 1},
    {"pwr", &SimSettings::pwr, 1023},
    {"out", &SimSettings::out, 3},
    {"freq", &SimSettings::freq, 1},
}};

const FieldInfo* findField(const QString& name) {
    for (const FieldInfo& f : kFields) {
        if (name == QLatin1String(f.name))
            return &f;
    }
    return nullptr;
}

} // namespace

QStringList SimSettings::fieldNames() {
    QStringList names;
    for (const FieldInfo& f : kFields)
        names << QString::fromLatin1(f.name);
    return names;
}

std::optional<int> SimSettings::fieldMaximum(const QString& name) {
    if (const FieldInfo* f = findField(name))
        return f->maximum;
    return std::nullopt;
}

std::optional<int> SimSettings::field(const QString& name) const {
    if (const FieldInfo* f = findField(name))
        return this->*(f->member);
    return std::nullopt;
}

bool SimSettings::setField(const QString& name, int value, QString* error) {
    const FieldInfo* f = findField(name);
    if (!f) {
        if (error)
            *error = QStringLiteral("unknown field '%1' (known: %2)")
                         .arg(name, fieldNames().join(QLatin1Char(' ')));
        return false;
    }
    if (value < 0 || value > f->maximum) {
        if (error)
            *error =
                QStringLiteral("%1 must be 0..%2, not %3").arg(name).arg(f->maximum).arg(value);
        return false;
    }
    this->*(f->member) = value;
    return true;
}
