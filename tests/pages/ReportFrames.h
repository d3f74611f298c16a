#pragma once

#include "TelemetryFrames.h"
#include "pages/RangeSettingsLogic.h"
#include "protocol/Telemetry.h"

#include <cstdint>

// Puts a detector's report into the telemetry table the way its frames would: one message of
// each code carrying the report's fields, mode "Норма".
inline void storeReport(TelemetryTable& t, const RangeReport& r) {
    auto byte = [](unsigned v) { return std::uint8_t(v); };
    t.StoreFrame(0, byte(r.number & 0x7F), frameHighByte(0, (r.symbol & 0x0F) << 1));
    t.StoreFrame(2, 100, frameHighByte(2, 0));
    t.StoreFrame(3, byte((r.ctrl_pp_mp << 5) | (r.sensmp & 0x1F)), frameHighByte(3, r.senspp));
    t.StoreFrame(4, byte((r.reg << 5) | (r.dist & 0x1F)), frameHighByte(4, r.sensbp));
    t.StoreFrame(5, byte((r.vel_max << 2) | r.vel_min), frameHighByte(5, 0));
    t.StoreFrame(6, byte((r.letter << 6) | (r.dev & 7)),
                 frameHighByte(6, (r.cs << 4) | (r.adr & 0x0F)));
    t.StoreFrame(7, 0, frameHighByte(7, (r.freq << 4) | (r.out << 2)));
}

// A manual-regulation detector with every value inside the page's lists.
inline RangeReport plainReport() {
    RangeReport r;
    r.cs = 1;
    r.reg = 0;
    r.senspp = 10;
    r.sensmp = 11;
    r.sensbp = 12;
    r.dist = 5;
    r.vel_min = 1;
    r.vel_max = 2;
    r.adr = 3;
    r.out = 1;
    r.letter = 1;
    r.symbol = 2;
    r.number = 15;
    return r;
}
