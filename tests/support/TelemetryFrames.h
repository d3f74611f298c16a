#pragma once

#include <QByteArray>
#include <cstdint>

// Byte B of a telemetry frame: the message code in bits 7-5 over five data bits.
constexpr std::uint8_t frameHighByte(unsigned code, unsigned lowBits) {
    return std::uint8_t((code << 5) | (lowBits & 0x1F));
}

// One telemetry frame as the detector puts it on the line: 00, B, A, (A + B) mod 256.
inline QByteArray telemetryFrame(unsigned code, unsigned A, unsigned lowBitsOfB = 0) {
    const std::uint8_t b = frameHighByte(code, lowBitsOfB);
    const auto a = std::uint8_t(A);
    const char bytes[4] = {0, char(b), char(a), char(std::uint8_t(a + b))};
    return QByteArray(bytes, 4);
}
