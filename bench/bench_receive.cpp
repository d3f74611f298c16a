// Decoding speed of the real receive path (PollCycle::Recv over an in-memory port), against
// the line-rate limit: 57600 baud 8N1 carries 5760 bytes/s, that is 1440 four-byte frames/s.

#include "TelemetryFrames.h"
#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"
#include "log/EventLog.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr double LineRateFramesPerSecond = 1440.0;

// What a detector sends: signal frames around an average of 341, a complete cycle and a
// position frame after every ten signals, and now and then a damaged byte.
QByteArray realisticStream(int frames, int* goodFrames) {
    QRandomGenerator rng(7);
    QByteArray stream;
    int good = 0;
    while (good < frames) {
        for (int i = 0; i < 10; ++i, ++good) {
            const unsigned sig = 341 + rng.bounded(-30, 30);
            stream += telemetryFrame(1, sig & 0xFF, sig >> 8);
        }
        stream += telemetryFrame(2, 0x55, 0x01) + telemetryFrame(3, 10, 10) +
                  telemetryFrame(4, 10, 9) + telemetryFrame(5, 5, 1) + telemetryFrame(6, 0, 0x11) +
                  telemetryFrame(7, 0x90, 0x11) + telemetryFrame(0, 15, 4);
        good += 7;
        if (rng.bounded(50) == 0)
            stream += char(rng.bounded(256));
    }
    *goodFrames = good;
    return stream;
}

void decode(benchmark::State& state, EventLog* log) {
    int framesPerPass = 0;
    const QByteArray stream = realisticStream(20000, &framesPerPass);
    ManualClock clock;
    MemoryChannel channel;
    LinkView view;
    PollCycle cycle(channel, clock, view, log);
    qint64 frames = 0;
    for (auto _ : state) {
        channel.push(stream);
        while (channel.bytesAvailable() > 0)
            cycle.Recv();
        frames += framesPerPass;
    }
    state.counters["frames_per_s"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["x_line_rate"] =
        benchmark::Counter(double(frames) / LineRateFramesPerSecond, benchmark::Counter::kIsRate);
}

void BM_ReceiveLoggingOff(benchmark::State& state) {
    decode(state, nullptr);
}
BENCHMARK(BM_ReceiveLoggingOff)->Unit(benchmark::kMillisecond);

void BM_ReceiveLoggingOn(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("VelmoraTuner.log"));
    QFile(path).open(QIODevice::WriteOnly);
    ManualClock clock;
    EventLog log(clock, path);
    log.StartLog();
    decode(state, &log);
}
BENCHMARK(BM_ReceiveLoggingOn)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
