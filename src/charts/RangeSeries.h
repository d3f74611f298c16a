#pragma once

#include <array>
#include <cstdint>

// 0xRRGGBB; the core keeps colours without the GUI's colour classes.
using Rgb = std::uint32_t;

namespace rgb {
constexpr Rgb Black = 0x000000;
constexpr Rgb Yellow = 0xFFFF00;
constexpr Rgb Maroon = 0x800000;
constexpr Rgb Green = 0x008000;
constexpr Rgb Lime = 0x00FF00;
constexpr Rgb DarkBlue = 0x004080;
constexpr Rgb Blue = 0x0000FF;
constexpr Rgb Pink = 0xFF8080;
constexpr Rgb Red = 0xFF0000;
} // namespace rgb

// The series of the Range oscillogram; the value is the index the program uses, and the
// drawing order (later series are drawn over earlier ones).
enum class RangeSeries : int {
    Malfunction = 0, // never holds points: its colour is the colour of malfunction bars
    Alarm = 1,       // alarm and malfunction bars, coloured per point
    PP = 2,
    PPUp = 3,
    PPMax = 4,
    MP = 5,
    MPDown = 6,
    MPMin = 7,
    BP = 8,
    BPDown = 9,
    BPMin = 10,
    Signal = 11,
};

constexpr int RangeSeriesCount = 12;
constexpr int FirstMarkerSeries = int(RangeSeries::PP);
constexpr int LastMarkerSeries = int(RangeSeries::BPMin);

struct RangeSeriesLook {
    const char* title;
    Rgb colour;
    // Half height of a marker rectangle in pixels; 0 for bars and the signal line.
    int vertSize;
};

constexpr std::array<RangeSeriesLook, RangeSeriesCount> RangeSeriesLooks{{
    {"serRangeMalfunction", rgb::Yellow, 0},
    {"serRangeAlarm", rgb::Maroon, 0},
    {"serRangePP", rgb::Green, 1},
    {"serRangePPUp", rgb::Lime, 3},
    {"serRangePPMax", rgb::Lime, 5},
    {"serRangeMP", rgb::DarkBlue, 1},
    {"serRangeMPDown", rgb::Blue, 3},
    {"serRangeMPMin", rgb::Blue, 5},
    {"serRangeBP", rgb::Pink, 1},
    {"serRangeBPDown", rgb::Red, 3},
    {"serRangeBPMin", rgb::Red, 5},
    {"serRangeSignal", rgb::Black, 0},
}};

constexpr const RangeSeriesLook& lookOf(RangeSeries series) {
    return RangeSeriesLooks[std::size_t(series)];
}

constexpr bool isMarkerSeries(int index) {
    return index >= FirstMarkerSeries && index <= LastMarkerSeries;
}
