#include "serial/SerialGate.h"

#include "serial/SystemPort.h"

#include <QMetaEnum>
#include <utility>

namespace {

QString errorName(QSerialPort::SerialPortError error) {
    const char* key = QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(error);
    return key ? QString::fromLatin1(key) : QString::number(int(error));
}

// Qt 6.4 reports a hang-up as ReadError or ResourceError depending on a stale errno, so its
// own error string is no help here; the error's name goes into the reason instead.
QString closeReasonText(QSerialPort::SerialPortError error) {
    QString text;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        text = QStringLiteral("связь с портом потеряна: устройство отключено "
                              "или другая сторона закрыла порт");
        break;
    case QSerialPort::WriteError:
        text = QStringLiteral("ошибка записи в порт");
        break;
    default:
        text = QStringLiteral("ошибка порта");
        break;
    }
    return text + QStringLiteral(" (") + errorName(error) + QLatin1Char(')');
}

SerialGate::OpenFailure classifyOpenError(QSerialPort::SerialPortError error,
                                          const QString& device) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return SerialGate::OpenFailure::Absent;
    case QSerialPort::PermissionError:
        // Qt reports a held lock file, TIOCEXCL (EBUSY) and EACCES all as PermissionError.
        return systemport::accessDenied(device) ? SerialGate::OpenFailure::NoPermission
                                                : SerialGate::OpenFailure::Busy;
    default:
        return SerialGate::OpenFailure::Other;
    }
}

} // namespace

SerialGate::SerialGate(QObject* parent) : SerialGate(PortCatalog{}, parent) {}

SerialGate::SerialGate(PortCatalog catalog, QObject* parent)
    : QObject(parent), m_catalog(std::move(catalog)), m_port(this) {
    connect(&m_port, &QSerialPort::readyRead, this, &SerialGate::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialGate::onPortError);
}

SerialGate::~SerialGate() {
    close();
}

QString SerialGate::describe(OpenFailure failure) {
    switch (failure) {
    case OpenFailure::None:
        return {};
    case OpenFailure::Absent:
        return QStringLiteral("порт отсутствует");
    case OpenFailure::Busy:
        return QStringLiteral("порт занят другой программой");
    case OpenFailure::NoPermission:
        return QStringLiteral("нет прав доступа: добавьте пользователя в группу dialout");
    case OpenFailure::Other:
        break;
    }
    return QStringLiteral("не удалось открыть порт");
}

bool SerialGate::open(int portNumber, int baudRate) {
    const QString path = m_catalog.devicePathFor(portNumber);
    if (path.isEmpty()) {
        close();
        m_devicePath.clear();
        m_closeReason.clear();
        return failOpen(OpenFailure::Absent, {});
    }
    return openDevice(path, baudRate);
}

bool SerialGate::openDevice(const QString& devicePath, int baudRate) {
    close();
    m_devicePath = devicePath;
    m_closeReason.clear();

    const QString device = systemport::resolveDevice(devicePath);
    if (device.isEmpty())
        return failOpen(OpenFailure::Absent, {});

    m_port.setPortName(device);
    m_port.setBaudRate(baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    // Qt always writes a flow control setting on open; give it the one the device has.
    const systemport::FlowControlProbe probe(device);
    m_port.setFlowControl(probe.flowControl());
    if (!m_port.open(QIODevice::ReadWrite))
        return failOpen(classifyOpenError(m_port.error(), device), m_port.errorString());

    m_open = true;
    m_openFailure = OpenFailure::None;
    m_openFailureText.clear();
    return true;
}

void SerialGate::close() {
    m_open = false;
    if (m_port.isOpen())
        m_port.close();
}

qint64 SerialGate::read(char* buffer, qint64 count) {
    if (!m_open || !buffer || count < 1)
        return 0;
    // Only the port's buffer is read: the event loop has already moved the received bytes
    // there, so this never waits.
    const qint64 received = m_port.read(buffer, count);
    return received > 0 ? received : 0;
}

qint64 SerialGate::write(const char* buffer, qint64 count) {
    if (!m_open || !buffer || count < 1)
        return 0;
    if (bytesWaitingForLine() > kWriteBacklogLimit)
        return 0;
    if (m_port.write(buffer, count) != count)
        return 0;
    // Hand the bytes to the driver now rather than at the next event loop turn; what the
    // driver cannot take yet goes out when the port signals it is writable.
    if (systemport::acceptsBytesNow(qintptr(m_port.handle())))
        m_port.flush();
    // A failing write closes the port (onPortError) from inside flush().
    return m_open ? count : 0;
}

qint64 SerialGate::bytesAvailable() const {
    return m_open ? m_port.bytesAvailable() : 0;
}

bool SerialGate::failOpen(OpenFailure failure, const QString& detail) {
    m_openFailure = failure;
    m_openFailureText = describe(failure);
    if (failure == OpenFailure::Other && !detail.isEmpty())
        m_openFailureText += QStringLiteral(": ") + detail;
    return false;
}

void SerialGate::onPortError(QSerialPort::SerialPortError error) {
    // Failures of an open attempt are reported by open() itself.
    if (!m_open)
        return;
    // UnsupportedOperationError: a pseudo-terminal refusing modem-line ioctls; TimeoutError
    // only comes from waitFor* calls. Neither means the port is gone.
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError ||
        error == QSerialPort::TimeoutError)
        return;
    // Anything else: Qt 6.4 keeps the port "open" after a hang-up and repeats the error at
    // every event loop turn, so close now and let the link supervision reopen it.
    const QString reason = closeReasonText(error);
    close();
    m_closeReason = reason;
    emit closedByError(reason);
}

qint64 SerialGate::bytesWaitingForLine() const {
    return m_port.bytesToWrite() + systemport::driverOutputQueue(qintptr(m_port.handle()));
}
