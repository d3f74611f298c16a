#include "SimPseudoTerminal.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

// Raw mode on the slave: no echo, no line editing, no CR/LF translation, 8 data bits.
// Opening and closing the slave here also leaves the master reporting a hang-up until a
// real client opens it, which is how the simulator tells that nobody listens.
bool makeSlaveRaw(const QByteArray& slave, QString* error) {
    const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = systemError("open slave");
        return false;
    }
    termios t{};
    bool ok = tcgetattr(fd, &t) == 0;
    if (ok) {
        cfmakeraw(&t);
        cfsetispeed(&t, B57600);
        cfsetospeed(&t, B57600);
        ok = tcsetattr(fd, TCSANOW, &t) == 0;
    }
    if (!ok && error)
        *error = systemError("raw mode");
    ::close(fd);
    return ok;
}

} // namespace

SimPseudoTerminal::~SimPseudoTerminal() {
    close();
}

bool SimPseudoTerminal::open(QString* error) {
    close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        if (error)
            *error = systemError("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        if (error)
            *error = systemError("pseudo-terminal setup");
        ::close(master);
        return false;
    }
    if (!makeSlaveRaw(QByteArray(name), error)) {
        ::close(master);
        return false;
    }
    m_master = master;
    m_slavePath = QString::fromLocal8Bit(name);
    return m_linkPath.isEmpty() || placeLink(error);
}

void SimPseudoTerminal::close() {
    if (m_master < 0)
        return;
    removeLink();
    ::close(m_master);
    m_master = -1;
}

bool SimPseudoTerminal::setLink(const QString& path, QString* error) {
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isSymLink()) {
        if (error)
            *error =
                QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(path);
        return false;
    }
    m_linkPath = path;
    return m_master < 0 || placeLink(error);
}

bool SimPseudoTerminal::placeLink(QString* error) {
    // Link beside the target name, then rename over it: the name never points nowhere.
    const QByteArray target = m_slavePath.toLocal8Bit();
    const QByteArray link = m_linkPath.toLocal8Bit();
    const QByteArray temporary = link + ".new" + QByteArray::number(getpid());
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), link.constData()) != 0) {
        if (error)
            *error = systemError(qPrintable(QStringLiteral("link %1").arg(m_linkPath)));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void SimPseudoTerminal::removeLink() {
    if (m_linkPath.isEmpty())
        return;
    // Only our own link: someone may have pointed the name elsewhere meanwhile.
    if (QFileInfo(m_linkPath).symLinkTarget() == QFileInfo(m_slavePath).absoluteFilePath())
        QFile::remove(m_linkPath);
}
