#pragma once

// Test-side view of the simulated line: the slave end of the pseudo-terminal, and a frame
// scanner that follows the program's recognition rule (lead 0x00, (A + B) mod 256 = C, not
// all zero; a rejected candidate is skipped by one byte).

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

struct LineFrame {
    int code = 0;
    quint8 b = 0; // high byte, code in bits 7-5
    quint8 a = 0; // low byte
    QByteArray wire;

    int value10() const { return (a + 256 * b) & 0x3FF; }
};

struct ScanResult {
    QList<LineFrame> frames;
    int rejectedCandidates = 0;
    int skippedBytes = 0; // bytes outside any candidate
    QByteArray leftover;
    QStringList inpLines; // the program's "Inp:[..] chsum:.." prefix for every candidate
};

inline ScanResult scanFrames(const QByteArray& bytes) {
    ScanResult r;
    int i = 0;
    while (bytes.size() - i >= 4) {
        if (bytes[i] != 0) {
            ++r.skippedBytes;
            ++i;
            continue;
        }
        const auto b = quint8(bytes[i + 1]), a = quint8(bytes[i + 2]), c = quint8(bytes[i + 3]);
        const bool sumOk = quint8(a + b) == c;
        r.inpLines << QStringLiteral("Inp:[%1] chsum:%2")
                          .arg(QString::fromLatin1(bytes.mid(i, 4).toHex(' ').toUpper()),
                               sumOk ? QStringLiteral("Ok") : QStringLiteral("!!!Err!!!"));
        if (!sumOk || a + b + c == 0) {
            ++r.rejectedCandidates;
            ++i;
            continue;
        }
        r.frames.append(LineFrame{b >> 5, b, a, bytes.mid(i, 4)});
        i += 4;
    }
    r.leftover = bytes.mid(i);
    return r;
}

// Field readers over one frame, named as in the diagnostic log.
inline int fieldOf(const LineFrame& f, const QString& name) {
    const int b = f.b, a = f.a;
    static const QHash<QString, std::function<int(int, int)>> readers{
        {"symbol", [](int b, int) { return (b >> 1) & 15; }},
        {"number", [](int, int a) { return a & 127; }},
        {"sig", [](int b, int a) { return (a + 256 * b) & 0x3FF; }},
        {"pp", [](int b, int) { return (b >> 2) & 1; }},
        {"mp", [](int b, int) { return (b >> 3) & 1; }},
        {"bp", [](int b, int) { return (b >> 4) & 1; }},
        {"aver", [](int b, int a) { return (a + 256 * b) & 0x3FF; }},
        {"state", [](int b, int) { return (b >> 2) & 7; }},
        {"senspp", [](int b, int) { return b & 31; }},
        {"sensmp", [](int, int a) { return a & 31; }},
        {"ctrl_pp_mp", [](int, int a) { return (a >> 5) & 1; }},
        {"sensbp", [](int b, int) { return b & 31; }},
        {"reg", [](int, int a) { return (a >> 5) & 3; }},
        {"dist", [](int, int a) { return a & 31; }},
        {"dis", [](int b, int) { return (b >> 3) & 3; }},
        {"vel_max", [](int, int a) { return (a >> 2) & 3; }},
        {"vel_min", [](int, int a) { return a & 3; }},
        {"cs", [](int b, int) { return (b >> 4) & 1; }},
        {"adr", [](int b, int) { return b & 15; }},
        {"letter", [](int, int a) { return (a >> 6) & 3; }},
        {"dev", [](int, int a) { return a & 7; }},
        {"pwr", [](int b, int a) { return (a + 256 * b) & 0x3FF; }},
        {"out", [](int b, int) { return (b >> 2) & 3; }},
        {"freq", [](int b, int) { return (b >> 4) & 1; }},
    };
    return readers.value(name)(b, a);
}

// The message code that carries a field.
inline int codeOfField(const QString& name) {
    static const QHash<QString, int> codes{
        {"symbol", 0},     {"number", 0},  {"sig", 1},   {"pp", 1},     {"mp", 1},
        {"bp", 1},         {"aver", 2},    {"state", 2}, {"senspp", 3}, {"sensmp", 3},
        {"ctrl_pp_mp", 3}, {"sensbp", 4},  {"reg", 4},   {"dist", 4},   {"dis", 5},
        {"vel_max", 5},    {"vel_min", 5}, {"cs", 6},    {"adr", 6},    {"letter", 6},
        {"dev", 6},        {"pwr", 7},     {"out", 7},   {"freq", 7},
    };
    return codes.value(name, -1);
}

// The program's end of the line: the slave side, opened like a serial port.
class SlaveLine {
public:
    explicit SlaveLine(const QString& path) { reopen(path); }
    ~SlaveLine() { close(); }

    bool reopen(const QString& path) {
        close();
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return m_fd >= 0;
    }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool isOpen() const { return m_fd >= 0; }

    // Whatever has arrived; sets hungUp when the other side is gone.
    QByteArray readAvailable() {
        QByteArray out;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                out.append(buffer, int(n));
                continue;
            }
            hungUp = n == 0 || (errno != EAGAIN && errno != EINTR);
            break;
        }
        return out;
    }

    // Runs the event loop for ms milliseconds and returns the bytes received meanwhile.
    QByteArray collect(int ms) {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QTest::qWait(5);
            out += readAvailable();
        }
        return out;
    }

    bool write(const QByteArray& bytes) {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    bool hungUp = false;

private:
    int m_fd = -1;
};

// Runs the event loop until a good frame of that code satisfies the predicate.
template <typename Predicate>
bool waitForFrame(SlaveLine& line, int code, Predicate predicate, int timeoutMs = 3000) {
    QByteArray pending;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QTest::qWait(5);
        pending += line.readAvailable();
        const ScanResult scan = scanFrames(pending);
        for (const LineFrame& f : scan.frames) {
            if (f.code == code && predicate(f))
                return true;
        }
        pending = scan.leftover;
    }
    return false;
}

// Runs the event loop until a good frame of that field's message shows the value.
inline bool waitForField(SlaveLine& line, const QString& name, int value, int timeoutMs = 3000) {
    return waitForFrame(
        line, codeOfField(name), [&](const LineFrame& f) { return fieldOf(f, name) == value; },
        timeoutMs);
}
