#pragma once

// The program's real detector link (SerialGate on a pseudo-terminal, PollCycle, PollScheduler)
// against the simulator engine on the master side, both on the test's event loop. Time for the
// supervision comes from a ManualClock so that seconds of silence pass at once; the bytes go
// through the real port.

#include "SimulatedDetector.h"
#include "common/Clock.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "connection/GateChannel.h"
#include "connection/PollCycle.h"
#include "connection/PollScheduler.h"
#include "serial/SerialGate.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Stands in for the window: counts what the link asks of it and re-opens the port as the port
// list would.
class LinkWatcher : public LinkView {
public:
    SerialGate* gate = nullptr;
    PollCycle* cycle = nullptr;
    int portNumber = 0;
    int identified = 0;
    int resets = 0;
    int reselects = 0;
    qint64 signals_ = 0;
    QList<unsigned> modes;

    void ShowSignal() override { ++signals_; }
    void IdentifyDetector() override { ++identified; }
    void ShowLinkReset() override { ++resets; }
    void ShowMode(unsigned mode) override { modes << mode; }
    void ReselectPort() override {
        ++reselects;
        cycle->setState(EDevNone);
        cycle->ResetLink();
        gate->open(portNumber);
    }
};

struct LinkRig : SimulatedDetector {
    static constexpr int PortNumber = 7;

    explicit LinkRig(const SimSettings& settings = {}) : SimulatedDetector(settings) {
        // The settings file maps COM7 to a stable link to the pseudo-terminal, as in the field.
        link = dir.filePath(QStringLiteral("detector"));
        linkAs(link);
        settingsFile = std::make_unique<IniFile>(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
        gate.catalog().setOverrides({{PortNumber, link}});
        watcher.gate = &gate;
        watcher.cycle = &cycle;
        watcher.portNumber = PortNumber;
        cycle.setOnIdentified([this] { writePortNumber(*settingsFile, PortNumber); });
        QObject::connect(&gate, &SerialGate::readyRead, &scheduler, &PollScheduler::onBytesArrived);
        gate.open(PortNumber);
        scheduler.start();
        sim->start();
    }

    bool waitIdentified(int timeoutMs = 3000) {
        return QTest::qWaitFor([&] { return cycle.state() > EDevNone; }, timeoutMs);
    }
    // Lets the real port run while the manual clock stands still.
    void run(int ms) { QTest::qWait(ms); }
    // Silence as the supervision sees it: the clock jumps, one supervision tick runs.
    void silence(qint64 ms) {
        clock.advance(ms);
        cycle.Tick();
    }

    QTemporaryDir dir;
    QString link;
    std::unique_ptr<IniFile> settingsFile;
    ManualClock clock{1'000'000};
    SerialGate gate;
    GateChannel channel{gate};
    LinkWatcher watcher;
    PollCycle cycle{channel, clock, watcher};
    PollScheduler scheduler{cycle, channel};
};
