#pragma once

#include "connection/SerialChannel.h"
#include "serial/SerialGate.h"

// The poll cycle's view of the real port.
class GateChannel final : public SerialChannel {
public:
    explicit GateChannel(SerialGate& gate) : m_gate(gate) {}
    qint64 read(char* buffer, qint64 count) override { return m_gate.read(buffer, count); }
    qint64 write(const char* buffer, qint64 count) override { return m_gate.write(buffer, count); }
    qint64 bytesAvailable() const override { return m_gate.bytesAvailable(); }

private:
    SerialGate& m_gate;
};
