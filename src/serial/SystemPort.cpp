#include "serial/SystemPort.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace systemport {

#ifdef Q_OS_UNIX

QString resolveDevice(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

bool accessDenied(const QString& devicePath) {
    const QByteArray native = QFile::encodeName(devicePath);
    if (::faccessat(AT_FDCWD, native.constData(), R_OK | W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

qint64 driverOutputQueue(qintptr handle) {
    int queued = 0;
    if (handle < 0 || ::ioctl(int(handle), TIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return queued;
}

bool acceptsBytesNow(qintptr handle) {
    pollfd pfd{int(handle), POLLOUT, 0};
    return handle >= 0 && ::poll(&pfd, 1, 0) == 1 && (pfd.revents & (POLLOUT | POLLERR | POLLHUP));
}

FlowControlProbe::FlowControlProbe(const QString& devicePath) {
    m_fd = ::open(QFile::encodeName(devicePath).constData(),
                  O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0 && (settings.c_cflag & CRTSCTS))
        m_flowControl = QSerialPort::HardwareControl;
}

FlowControlProbe::~FlowControlProbe() {
    if (m_fd >= 0)
        ::close(m_fd);
}

#else

QString resolveDevice(const QString& path) {
    return path;
}

bool accessDenied(const QString&) {
    return false;
}

qint64 driverOutputQueue(qintptr) {
    return 0;
}

// Qt's Windows backend writes with overlapped I/O: flush() never blocks there.
bool acceptsBytesNow(qintptr) {
    return true;
}

FlowControlProbe::FlowControlProbe(const QString&) {}

FlowControlProbe::~FlowControlProbe() = default;

#endif

} // namespace systemport
