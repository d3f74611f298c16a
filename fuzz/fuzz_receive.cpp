// The receive path takes whatever the serial line delivers: any bytes, in any chunking, with
// any gaps between reads. Input layout: pairs of (chunk length, clock step) control bytes are
// drawn from the front, the rest is the byte stream.

#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Re-arms commands from the view as the window would, so the send step runs too.
class BusyView final : public LinkView {
public:
    PollCycle* cycle = nullptr;
    void IdentifyDetector() override { cycle->commands().RequestAutomaticRegulation(); }
    void ReactToAverage() override {
        if (cycle->telemetry().state() == 2)
            cycle->commands().RequestNormalMode();
    }
    bool IsRecording() const override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    ManualClock clock(1'000'000);
    MemoryChannel channel;
    BusyView view;
    PollCycle cycle(channel, clock, view);
    view.cycle = &cycle;

    size_t control = size / 8; // the first eighth steers chunking and time
    const std::uint8_t* stream = data + control;
    size_t remaining = size - control;
    size_t c = 0;
    while (remaining > 0) {
        const size_t chunk =
            c < control ? std::min<size_t>(remaining, data[c] % 120 + 1) : remaining;
        const qint64 step = c + 1 < control ? qint64(data[c + 1]) * 40 : 1;
        c += 2;
        channel.push(QByteArray(reinterpret_cast<const char*>(stream), qsizetype(chunk)));
        stream += chunk;
        remaining -= chunk;
        clock.advance(step);
        while (channel.bytesAvailable() > 0) {
            cycle.Tick();
            if (cycle.carriedBytes() < 0 || cycle.carriedBytes() > 3)
                std::abort();
            if (cycle.cycleSum() < 0)
                std::abort();
        }
    }
    // The stream always drains: nothing is left unread after the last ticks.
    if (channel.bytesAvailable() != 0)
        std::abort();
    return 0;
}
