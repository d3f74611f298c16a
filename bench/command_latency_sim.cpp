// Delay from the last byte of the telemetry that allowed a send to the command frame's arrival
// at the detector, with the simulator saturating the line (57600 baud 8N1) on its own thread
// and the program's real link (SerialGate on the pseudo-terminal, PollCycle, PollScheduler) on
// the main thread.
//
// Each command is a position designation whose number is a sequence number, so every arrival
// is matched to the send it came from. The program notes how many bytes it had read when it
// sent; the simulator notes when each byte went onto the line: the difference between the
// arrival and the moment the last byte read before the send was written is the delay.

#include "DetectorSimulator.h"
#include "SimPseudoTerminal.h"
#include "common/Clock.h"
#include "connection/GateChannel.h"
#include "connection/PollCycle.h"
#include "connection/PollScheduler.h"
#include "serial/SerialGate.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double microsecondsSince(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

struct LineTimes {
    std::mutex mutex;
    std::vector<std::pair<qint64, SteadyClock::time_point>> written; // bytes sent so far, when
    std::vector<std::pair<int, SteadyClock::time_point>> arrived;    // sequence number, when
};

// Counts the bytes the program has read and notes, for every command it writes, that count.
class CountingChannel final : public SerialChannel {
public:
    explicit CountingChannel(SerialChannel& inner) : m_inner(inner) {}
    qint64 read(char* buffer, qint64 count) override {
        const qint64 n = m_inner.read(buffer, count);
        m_read += std::max<qint64>(n, 0);
        return n;
    }
    qint64 write(const char* buffer, qint64 count) override {
        const qint64 n = m_inner.write(buffer, count);
        if (n == count && count >= 2)
            sends.push_back({std::uint8_t(buffer[1]) & 0x7F, m_read});
        return n;
    }
    qint64 bytesAvailable() const override { return m_inner.bytesAvailable(); }

    std::vector<std::pair<int, qint64>> sends; // sequence number, bytes read before the send

private:
    SerialChannel& m_inner;
    qint64 m_read = 0;
};

class QuietView final : public LinkView {};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    SimPseudoTerminal pty;
    QString error;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }

    LineTimes times;
    std::atomic<bool> stop{false};
    QThread* detector = QThread::create([&] {
        SimSettings settings;
        settings.cs = 1;
        DetectorSimulator sim(pty.masterFd(), settings);
        sim.setSaturate(true);
        sim.setRefusing(true); // never confirmed: every command goes out three times per cycle
        sim.setWriteObserver([&](qint64 total) {
            const auto now = SteadyClock::now();
            std::lock_guard lock(times.mutex);
            times.written.push_back({total, now});
        });
        QObject::connect(&sim, &DetectorSimulator::commandReceived, [&](const QByteArray& frame) {
            const auto now = SteadyClock::now();
            std::lock_guard lock(times.mutex);
            times.arrived.push_back({std::uint8_t(frame.at(1)) & 0x7F, now});
        });
        sim.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (stop)
                loop.quit();
        });
        poll.start(20);
        loop.exec();
    });
    detector->start();

    SerialGate gate;
    GateChannel gateChannel(gate);
    CountingChannel channel(gateChannel);
    QuietView view;
    PollCycle cycle(channel, SystemClock::instance(), view);
    PollScheduler scheduler(cycle, channel);
    QObject::connect(&gate, &SerialGate::readyRead, &scheduler, &PollScheduler::onBytesArrived);
    if (!gate.openDevice(pty.slavePath())) {
        std::fprintf(stderr, "open %s: %s\n", qPrintable(pty.slavePath()),
                     qPrintable(gate.openFailureText()));
        return 1;
    }
    scheduler.start();

    // A new position command every 25 ms, numbered so that arrivals can be matched.
    int sequence = 0;
    QTimer commands;
    QObject::connect(&commands, &QTimer::timeout, [&] {
        if (cycle.state() > EDevNone)
            cycle.commands().EncodePositionCommand(1, unsigned(++sequence % 128));
    });
    commands.start(25);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    stop = true;
    detector->wait();
    delete detector;

    // Match each arrival to the earliest unmatched send of the same number.
    std::vector<double> delays;
    std::vector<bool> used(channel.sends.size(), false);
    std::size_t searchFrom = 0;
    for (const auto& [number, when] : times.arrived) {
        for (std::size_t i = searchFrom; i < channel.sends.size(); ++i) {
            if (used[i] || channel.sends[i].first != number)
                continue;
            used[i] = true;
            while (searchFrom < used.size() && used[searchFrom])
                ++searchFrom;
            const qint64 lastByte = channel.sends[i].second;
            const auto w = std::lower_bound(
                times.written.begin(), times.written.end(), lastByte,
                [](const auto& entry, qint64 bytes) { return entry.first < bytes; });
            if (w != times.written.end())
                delays.push_back(microsecondsSince(w->second, when) / 1000.0);
            break;
        }
    }
    if (delays.empty()) {
        std::fprintf(stderr, "no command arrived (%zu sent)\n", channel.sends.size());
        return 1;
    }
    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) {
        return delays[std::min(delays.size() - 1, std::size_t(q * delays.size()))];
    };
    const double lineBytesPerSecond = 5760.0;
    const double seconds_ = double(seconds);
    std::printf("command latency over %d s, simulator saturating the line\n", seconds);
    std::printf("  telemetry bytes sent      %lld (%.0f %% of the line rate)\n",
                (long long)(times.written.empty() ? 0 : times.written.back().first),
                times.written.empty()
                    ? 0.0
                    : 100.0 * double(times.written.back().first) / (lineBytesPerSecond * seconds_));
    std::printf("  commands sent / matched   %zu / %zu\n", channel.sends.size(), delays.size());
    std::printf("  delay median              %.3f ms (goal under 2 ms: %.1f %% of it)\n", at(0.5),
                100.0 * at(0.5) / 2.0);
    std::printf("  delay 99th percentile     %.3f ms\n", at(0.99));
    std::printf("  delay max                 %.3f ms\n", delays.back());
    return 0;
}
