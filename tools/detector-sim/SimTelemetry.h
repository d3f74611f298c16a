#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

// The simulator's own encoder of telemetry frames. It is deliberately written apart from
// the program's decoder, so that a fault on either side shows up when the two meet.
//
// Wire order: 0x00, B, A, C where B carries the message code in bits 7-5, A is the low data
// byte and C = (A + B) mod 256.
namespace SimTelemetry {

using Frame = std::array<quint8, 4>;

enum Code : int {
    Position = 0,
    Signal = 1,
    Average = 2,
    Sensitivity = 3,
    Section = 4,
    Speed = 5,
    Identity = 6,
    Power = 7,
};

// B = code << 5 | high (5 bits), A = low.
Frame pack(int code, int high, int low);

Frame position(int symbol, int number);
Frame signal(int sig, bool pp, bool mp, bool bp);
Frame average(int aver, int state);
Frame sensitivity(int senspp, int sensmp, int ctrl_pp_mp);
Frame section(int sensbp, int reg, int dist);
Frame speed(int dis, int ref, int amplif, int vel_max, int vel_min);
Frame identity(int cs, int adr, int letter, int prog, int dev);
Frame power(int freq, int out, int pwr);

QByteArray bytes(const Frame& frame);
// "00 41 55 96"
QString hex(const QByteArray& bytes);

} // namespace SimTelemetry
