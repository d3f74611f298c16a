#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair for tests: slavePath() plays the serial device that the program
// opens, the test plays the detector through the master side. The line is raw, so binary
// bytes pass unchanged in both directions. The master is non-blocking; closing it hangs up
// the slave side the way an unplugged USB adapter does.
class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0)
            return;
        char name[128] = {};
        if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0) {
            closeMaster();
            return;
        }
        m_slavePath = QString::fromLocal8Bit(name);
        // Line settings made on the master apply to the slave side.
        termios settings{};
        if (::tcgetattr(m_master, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(m_master, TCSANOW, &settings);
        }
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    int masterFd() const { return m_master; }
    const QString& slavePath() const { return m_slavePath; }

    // The line settings of the slave side as its user left them.
    termios slaveSettings() const {
        termios settings{};
        ::tcgetattr(m_master, &settings);
        return settings;
    }

    // Bytes the "detector" sends; waits (up to timeoutMs) while the pty buffer is full.
    bool send(const QByteArray& bytes, int timeoutMs = 2000) {
        QElapsedTimer timer;
        timer.start();
        qsizetype done = 0;
        while (done < bytes.size() && m_master >= 0) {
            const ssize_t n =
                ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            if (timer.elapsed() >= timeoutMs)
                return false;
            waitFor(POLLOUT, 10);
        }
        return done == bytes.size();
    }

    // Reads until count bytes have come from the slave side or timeoutMs has passed.
    QByteArray receive(qsizetype count, int timeoutMs = 2000) {
        QByteArray received;
        QElapsedTimer timer;
        timer.start();
        while (received.size() < count && m_master >= 0) {
            char chunk[4096];
            const ssize_t n =
                ::read(m_master, chunk,
                       size_t(std::min<qsizetype>(count - received.size(), sizeof chunk)));
            if (n > 0) {
                received.append(chunk, n);
                continue;
            }
            if (timer.elapsed() >= timeoutMs)
                break;
            waitFor(POLLIN, 10);
        }
        return received;
    }

    // Everything the slave side has sent so far, without waiting.
    QByteArray drain() {
        QByteArray received;
        char chunk[4096];
        ssize_t n = 0;
        while (m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0)
            received.append(chunk, n);
        return received;
    }

    void closeMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    void waitFor(short events, int timeoutMs) {
        pollfd pfd{m_master, events, 0};
        // With the slave side closed the master reports a hang-up at once; pause anyway.
        if (::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLHUP))
            ::usleep(useconds_t(timeoutMs) * 1000);
    }

    int m_master = -1;
    QString m_slavePath;
};
