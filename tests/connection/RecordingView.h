#pragma once

#include "connection/LinkView.h"

#include <QStringList>

// A LinkView that writes down every call the poll cycle makes, in order.
class RecordingView : public LinkView {
public:
    QStringList calls;
    bool recording = false;
    std::function<void()> onReselect;

    void ShowMode(unsigned mode) override { calls << QStringLiteral("ShowMode(%1)").arg(mode); }
    void ShowSignal() override { calls << QStringLiteral("ShowSignal"); }
    void ReactToAverage() override { calls << QStringLiteral("ReactToAverage"); }
    void ReactToSensitivity() override { calls << QStringLiteral("ReactToSensitivity"); }
    void ReactToSection() override { calls << QStringLiteral("ReactToSection"); }
    void ReactToSpeed() override { calls << QStringLiteral("ReactToSpeed"); }
    void ShowAverageLevel() override { calls << QStringLiteral("ShowAverageLevel"); }
    void ReactToIdentity() override { calls << QStringLiteral("ReactToIdentity"); }
    void ReactToPower() override { calls << QStringLiteral("ReactToPower"); }
    void ShowPosition() override { calls << QStringLiteral("ShowPosition"); }
    void IdentifyDetector() override { calls << QStringLiteral("IdentifyDetector"); }
    void ActivateAlignmentPage() override { calls << QStringLiteral("ActivateAlignmentPage"); }
    void ShowLinkReset() override { calls << QStringLiteral("ShowLinkReset"); }
    void SetNote(int index) override { calls << QStringLiteral("SetNote(%1)").arg(index); }
    void UpdatePages(DeviceState state) override {
        calls << QStringLiteral("UpdatePages(%1)").arg(int(state));
    }
    void ReselectPort() override {
        calls << QStringLiteral("ReselectPort");
        if (onReselect)
            onReselect();
    }
    bool IsRecording() const override { return recording; }
    void RecordLinkEvent(LinkEvent event) override {
        calls << QStringLiteral("Record(%1)").arg(linkEventLabel(event));
    }
    void ShowError(const QString& message) override {
        calls << QStringLiteral("Error(%1)").arg(message);
    }

    int count(const QString& call) const { return int(calls.count(call)); }
};
