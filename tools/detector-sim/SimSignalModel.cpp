#include "SimSignalModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

SimSignalModel::Sample SimSignalModel::next(double level, double noisePercent, qint64 alarmMs,
                                            const Thresholds& t) {
    double value = level;
    if (alarmMs >= 0) {
        const double phase =
            2.0 * std::numbers::pi * double(alarmMs % AlarmPeriodMs) / AlarmPeriodMs;
        value += level * AlarmDepth * std::sin(phase);
    }
    if (noisePercent > 0.0 && level > 0.0) {
        std::normal_distribution<double> noise(0.0, level * noisePercent / 100.0);
        value += noise(m_random);
    }

    Sample s;
    s.sig = int(std::lround(std::clamp(value, 0.0, 1023.0)));
    s.pp = s.sig > level * (1.0 + upperPercent(t.senspp) / 100.0);
    s.mp = s.sig < level * (1.0 - lowerPercent(t.sensmp) / 100.0);
    s.bp = s.sig < level * (1.0 - deepPercent(t.sensbp) / 100.0);
    return s;
}

double SimSignalModel::sweepLevel(qint64 elapsedMs, qint64 periodMs) {
    if (periodMs <= 0)
        return 0.0;
    const double half = double(periodMs) / 2.0;
    const double at = std::fmod(double(elapsedMs), double(periodMs));
    const double rising = at <= half ? at / half : (periodMs - at) / half;
    return 1023.0 * rising;
}
