#pragma once

#include <QSerialPort>
#include <QString>

// The few things about a serial device that QSerialPort does not tell: the system calls
// behind SerialGate's open diagnosis and its non-blocking write. On Windows they degrade to
// what Qt's own backend already guarantees.
namespace systemport {

// The device a path leads to, symlinks followed; empty when nothing is there. Opening the
// device itself makes the lock file carry its usual name (LCK..ttyUSB0), which other serial
// programs check too.
QString resolveDevice(const QString& path);

// True when the calling process may not read and write the device (EACCES/EPERM), checked
// with the effective ids as open() uses them. Tells "no permission" from "busy", which Qt
// reports with the same error.
bool accessDenied(const QString& devicePath);

// Bytes that the driver still holds for transmission (0 where it cannot tell).
qint64 driverOutputQueue(qintptr handle);

// True when a write to the handle would take at least one byte without blocking; Qt's
// flush() turns a full driver buffer (EAGAIN) into an error that would close the port.
bool acceptsBytesNow(qintptr handle);

// Reads the device's hardware flow control setting as the system has it and holds the
// device open until the gate's own open is done, so that this look does not end with a last
// close (which would drop DTR and reset some boards).
class FlowControlProbe {
public:
    explicit FlowControlProbe(const QString& devicePath);
    ~FlowControlProbe();
    FlowControlProbe(const FlowControlProbe&) = delete;
    FlowControlProbe& operator=(const FlowControlProbe&) = delete;

    QSerialPort::FlowControl flowControl() const { return m_flowControl; }

private:
    int m_fd = -1;
    QSerialPort::FlowControl m_flowControl = QSerialPort::NoFlowControl;
};

} // namespace systemport
