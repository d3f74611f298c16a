#pragma once

#include <QString>

enum DeviceState : unsigned char {
    EDevNone = 0,   // no detector identified on the open port
    EDevWork = 1,   // identified detector, signal frames arriving
    EDevDetect = 2, // just identified by its first complete telemetry cycle
    EDevParams = 3, // a further complete cycle just arrived
    EDevPause = 4,  // the identified detector has been silent for more than 2.5 s
};

// Conditions of the link that an alarm recording keeps a snapshot and a count of.
enum class LinkEvent { Pause, LinkLoss, Alignment, SettingsChanged };
QString linkEventLabel(LinkEvent event);

// What the poll cycle asks of the window. Every reaction defaults to nothing, so that the
// core runs (and is tested) without a window and a test overrides only what it watches.
class LinkView {
public:
    virtual ~LinkView() = default;

    // Information panel and displays, one call per message code.
    virtual void ShowMode(unsigned /*mode*/) {}
    virtual void ShowSignal() {}
    virtual void ReactToAverage() {}
    virtual void ReactToSensitivity() {}
    virtual void ReactToSection() {}
    virtual void ReactToSpeed() {}
    virtual void ShowAverageLevel() {}
    virtual void ReactToIdentity() {}
    virtual void ReactToPower() {}
    virtual void ShowPosition() {}
    // The detector answered with its first complete cycle.
    virtual void IdentifyDetector() {}
    // The detector entered alignment mode: its page becomes the active one.
    virtual void ActivateAlignmentPage() {}

    // The link was given up: panel to "---", pages back to "О нас", shortcuts suspended.
    virtual void ShowLinkReset() {}
    virtual void SetNote(int /*index*/) {}
    virtual void UpdatePages(DeviceState /*state*/) {}

    // Nobody answered for 1.2 s: re-list the ports and open the chosen one again.
    virtual void ReselectPort() {}

    virtual bool IsRecording() const { return false; }
    virtual void RecordLinkEvent(LinkEvent /*event*/) {}

    // An error escaped a tick; the cycle goes on.
    virtual void ShowError(const QString& /*message*/) {}
};
