#pragma once

#include "serial/PortCatalog.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

// The one serial port of the detector link: opened by COM number with 8N1 line settings,
// read without ever waiting, written without ever blocking the calling thread.
//
// Bytes arrive through the event loop (the poll timer runs in it) and wait in the port's
// buffer until read() takes them. A port that fails while open (USB adapter unplugged, the
// other side of a pseudo-terminal closed) is closed at once and closedByError() says why;
// the link supervision then reopens it through the port list.
class SerialGate : public QObject {
    Q_OBJECT

public:
    enum class OpenFailure { None, Absent, Busy, NoPermission, Other };

    // write() accepts a new frame only while at most this many earlier bytes wait for the
    // line: 64 bytes take about 11 ms at 57600 baud, while the send step puts out one 3-byte
    // command per received frame. More means the line is stalled, and queueing further would
    // only make stale commands arrive late.
    static constexpr qint64 kWriteBacklogLimit = 64;
    static constexpr int kDefaultBaudRate = 57600;

    explicit SerialGate(QObject* parent = nullptr);
    explicit SerialGate(PortCatalog catalog, QObject* parent = nullptr);
    ~SerialGate() override;

    SerialGate(const SerialGate&) = delete;
    SerialGate& operator=(const SerialGate&) = delete;

    // The number -> device mapping used by open(); the owner sets the [Ports] overrides here.
    PortCatalog& catalog() { return m_catalog; }
    const PortCatalog& catalog() const { return m_catalog; }

    // Closes whatever was open, then opens COM<portNumber> as the catalog maps it.
    bool open(int portNumber, int baudRate = kDefaultBaudRate);
    // Closes whatever was open, then opens the device (a symlink is followed) exclusively at
    // baudRate 8N1. Flow control and the DTR/RTS lines stay as the system had them, except
    // that XON/XOFF is always off: the frames are binary and carry those byte values.
    bool openDevice(const QString& devicePath, int baudRate = kDefaultBaudRate);
    // Closing a closed gate does nothing.
    void close();
    bool isOpen() const { return m_open; }

    // The bytes already received, at most count; 0 when none, when closed, when buffer is
    // null or count < 1.
    qint64 read(char* buffer, qint64 count);
    // Queues the whole buffer and hands to the system what it takes right away. Returns count,
    // or 0 when closed, on a null buffer or count < 1, or when more than kWriteBacklogLimit
    // bytes are still waiting (a frame is never accepted in part).
    qint64 write(const char* buffer, qint64 count);
    // Received bytes waiting to be read.
    qint64 bytesAvailable() const;

    // Path given to the last open attempt (before following symlinks).
    const QString& devicePath() const { return m_devicePath; }
    // Why the last open attempt failed; None after a successful open.
    OpenFailure openFailure() const { return m_openFailure; }
    // The same as a Russian text for the window; empty after a successful open.
    const QString& openFailureText() const { return m_openFailureText; }
    // Why the port was last closed by an error; cleared by the next open attempt.
    const QString& closeReason() const { return m_closeReason; }

    static QString describe(OpenFailure failure);

signals:
    // New bytes have been received.
    void readyRead();
    // The open port failed and has been closed; reason is a Russian text for the log.
    void closedByError(const QString& reason);

private:
    bool failOpen(OpenFailure failure, const QString& detail);
    void onPortError(QSerialPort::SerialPortError error);
    qint64 bytesWaitingForLine() const;

    PortCatalog m_catalog;
    QSerialPort m_port;
    bool m_open = false;
    QString m_devicePath;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openFailureText;
    QString m_closeReason;
};
