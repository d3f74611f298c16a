#pragma once

#include "TelemetryFrames.h"

#include <QByteArray>

// Telemetry as a detector puts it on the wire, for feeding the window's link in tests.
struct DetectorReport {
    unsigned state = 0, aver = 341;
    unsigned senspp = 10, sensmp = 11, ctrl_pp_mp = 0;
    unsigned sensbp = 12, dist = 11, reg = 0;
    unsigned vel_min = 3, vel_max = 3, amplif = 1, ref = 0, dis = 0;
    unsigned dev = 4, prog = 3, letter = 1, adr = 5, cs = 1;
    unsigned pwr = 400, out = 0, freq = 1;
    unsigned symbol = 2, number = 15;
    unsigned sig = 400;
};

inline QByteArray frameOf(const DetectorReport& r, unsigned code) {
    switch (code) {
    case 0:
        return telemetryFrame(0, r.number & 0x7F, (r.symbol & 0x0F) << 1);
    case 1:
        return telemetryFrame(1, r.sig & 0xFF, (r.sig >> 8) & 3);
    case 2:
        return telemetryFrame(2, r.aver & 0xFF, ((r.state & 7) << 2) | ((r.aver >> 8) & 3));
    case 3:
        return telemetryFrame(3, (r.ctrl_pp_mp << 5) | (r.sensmp & 0x1F), r.senspp & 0x1F);
    case 4:
        return telemetryFrame(4, (r.reg << 5) | (r.dist & 0x1F), r.sensbp & 0x1F);
    case 5:
        return telemetryFrame(5, (r.vel_max << 2) | r.vel_min,
                              (r.dis << 3) | (r.ref << 2) | r.amplif);
    case 6:
        return telemetryFrame(6, (r.letter << 6) | ((r.prog & 7) << 3) | (r.dev & 7),
                              (r.cs << 4) | (r.adr & 0x0F));
    default:
        return telemetryFrame(7, r.pwr & 0xFF, (r.freq << 4) | (r.out << 2) | ((r.pwr >> 8) & 3));
    }
}

// A complete telemetry cycle: codes 2 to 7, the Power frame last.
inline QByteArray telemetryCycle(const DetectorReport& r) {
    QByteArray bytes;
    for (unsigned code = 2; code <= 7; ++code)
        bytes += frameOf(r, code);
    return bytes;
}
