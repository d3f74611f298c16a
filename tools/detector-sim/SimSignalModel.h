#pragma once

#include <QtGlobal>

#include <random>

// The received signal of a detector: noise around the averaged level in quiet guarding, a
// deep swing when an intruder crosses the section. The detector's own threshold flags follow
// from its threshold codes, so an alarm raises ПП, МП and БП the way a real one would.
class SimSignalModel {
public:
    struct Thresholds {
        int senspp = 10;
        int sensmp = 10;
        int sensbp = 10;
    };
    struct Sample {
        int sig = 0;
        bool pp = false;
        bool mp = false;
        bool bp = false;
    };

    explicit SimSignalModel(quint32 seed = 1) : m_random(seed) {}
    void reseed(quint32 seed) { m_random.seed(seed); }

    // level: the averaged level the signal stays around (0..1023);
    // noisePercent: standard deviation of the noise in percent of that level;
    // alarmMs: time since the alarm began, or a negative value when there is none.
    Sample next(double level, double noisePercent, qint64 alarmMs, const Thresholds& t);

    // Threshold percentages of the averaged level for a threshold code (0..31).
    static double upperPercent(int code) { return (code + 7) * 100.0 / 64.0; }
    static double lowerPercent(int code) { return (code + 7) * 100.0 / 64.0; }
    static double deepPercent(int code) { return (code + 15) * 100.0 / 64.0; }

    // Level of a sweep: 0 up to 1023 and back down again, once per period.
    static double sweepLevel(qint64 elapsedMs, qint64 periodMs);

    // How far the alarm swing takes the signal from its level, and how fast it swings.
    static constexpr double AlarmDepth = 0.8;
    static constexpr int AlarmPeriodMs = 1500;

private:
    std::mt19937 m_random;
};
