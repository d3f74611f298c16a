#pragma once

#include <QString>
#include <QtGlobal>

// The hint line's messages: text and font colour always travel together.
enum class HintColour {
    Blue, // RGB 0000FF
    Red,  // RGB FF0000
    None, // the last entry has no colour of its own: the line keeps the one it has
};

struct HintEntry {
    QString text;
    HintColour colour = HintColour::Blue;
};

constexpr int HintCount = 19;

// Entries of the hint line by number. Numbers outside 0..18 give an empty entry without colour.
HintEntry hintEntry(int index);

// 0xRRGGBB of a hint colour; None gives the value of `fallback`.
quint32 hintColourRgb(HintColour colour, quint32 fallback = 0x0000FF);
