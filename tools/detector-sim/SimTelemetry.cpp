#include "SimTelemetry.h"

#include <QString>

namespace SimTelemetry {

Frame pack(int code, int high, int low) {
    const auto b = static_cast<quint8>(((code & 7) << 5) | (high & 0x1F));
    const auto a = static_cast<quint8>(low & 0xFF);
    return {0x00, b, a, static_cast<quint8>((a + b) & 0xFF)};
}

// A 10-bit value travels as bits 9-8 in B bits 1-0 and bits 7-0 in A.
static int highBits(int value10) {
    return (value10 >> 8) & 3;
}

Frame position(int symbol, int number) {
    return pack(Position, (symbol & 0x0F) << 1, number & 0x7F);
}

Frame signal(int sig, bool pp, bool mp, bool bp) {
    const int flags = (bp ? 0x10 : 0) | (mp ? 0x08 : 0) | (pp ? 0x04 : 0);
    return pack(Signal, flags | highBits(sig), sig);
}

Frame average(int aver, int state) {
    return pack(Average, ((state & 7) << 2) | highBits(aver), aver);
}

Frame sensitivity(int senspp, int sensmp, int ctrl_pp_mp) {
    return pack(Sensitivity, senspp, ((ctrl_pp_mp & 1) << 5) | (sensmp & 0x1F));
}

Frame section(int sensbp, int reg, int dist) {
    return pack(Section, sensbp, ((reg & 3) << 5) | (dist & 0x1F));
}

Frame speed(int dis, int ref, int amplif, int vel_max, int vel_min) {
    return pack(Speed, ((dis & 3) << 3) | ((ref & 1) << 2) | (amplif & 3),
                ((vel_max & 3) << 2) | (vel_min & 3));
}

Frame identity(int cs, int adr, int letter, int prog, int dev) {
    return pack(Identity, ((cs & 1) << 4) | (adr & 0x0F),
                ((letter & 3) << 6) | ((prog & 7) << 3) | (dev & 7));
}

Frame power(int freq, int out, int pwr) {
    return pack(Power, ((freq & 1) << 4) | ((out & 3) << 2) | highBits(pwr), pwr);
}

QByteArray bytes(const Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), int(frame.size()));
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace SimTelemetry
