#pragma once

// For tests that link detector_sim_engine.

#include "DetectorSimulator.h"
#include "SimPseudoTerminal.h"

#include <QString>
#include <memory>

// The detector simulator serving a fresh pseudo-terminal, not yet started. A rig derives from
// it so that the simulator outlives the port the rig opens on the terminal. `ready` says
// whether the terminal (and its link, when one is asked for) is in place; when not, the reason
// has been printed.
struct SimulatedDetector {
    explicit SimulatedDetector(const SimSettings& settings = {}) {
        QString error;
        ready = pty.open(&error);
        if (!ready)
            qWarning("%s", qPrintable(error));
        sim = std::make_unique<DetectorSimulator>(pty.masterFd(), settings);
        sim->setPseudoTerminal(&pty);
    }

    // The terminal is also reachable under `path`, as a settings file's [Ports] entry names it.
    bool linkAs(const QString& path) {
        QString error;
        const bool linked = pty.setLink(path, &error);
        if (!linked)
            qWarning("%s", qPrintable(error));
        ready = ready && linked;
        return linked;
    }

    SimPseudoTerminal pty;
    std::unique_ptr<DetectorSimulator> sim;
    bool ready = false;
};
