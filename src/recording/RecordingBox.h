#pragma once

#include "charts/ConditionEvents.h"
#include "connection/LinkView.h"
#include "recording/AlarmRecorder.h"
#include "recording/WidgetSnapshot.h"

#include <QGroupBox>
#include <QPointer>

#include <functional>

class Clock;
class EventLog;
class QCheckBox;
class QLabel;
class QPushButton;

// The recording box of the Range page (group gbTrv, "Тревог  " followed by the number of the
// last recorded alarm): the box "Сохр. <F6>" switches the alarm recording on and off, the
// button "Сброс <F8>" closes the recording and starts a new one. Once on, the recording goes on
// whichever page is shown, until the box is cleared, the reset, or the window closes.
//
// The snapshots show the whole window the box belongs to (or the one set with
// setCaptureWindow). A snapshot, folder or summary that cannot be written is shown in the box
// and reported through the problem reporter (the standard error box unless replaced); the
// recording stays on.
class RecordingBox : public QGroupBox, public ConditionEvents {
    Q_OBJECT
public:
    RecordingBox(const Clock& clock, EventLog* log, QWidget* parent = nullptr,
                 bool backgroundWriting = true);
    ~RecordingBox() override;

    AlarmRecorder& recorder() { return m_recorder; }
    const AlarmRecorder& recorder() const { return m_recorder; }

    // The window whose picture every snapshot takes; the box's own window when not set.
    void setCaptureWindow(QWidget* window) { m_captureWindow = window; }
    // Replaces the standard error box as the way problems reach the engineer.
    void setProblemReporter(std::function<void(const QString&)> reporter);

    // --- What the main window calls --------------------------------------------------------
    // The box is ticked.
    bool IsRecording() const;
    // F6 on the Range page: the box changes, and its handler runs as for a click.
    void ToggleRecording();
    // The window closes: the recording ends with its summary; the box stays ticked.
    void StopRecording();
    // A condition of the link seen by the poll cycle (called only while ticked).
    void RecordLinkEvent(LinkEvent event);
    // F8 on the Range page works only while the reset button is enabled.
    bool btnClearTrvRangeEnabled() const;

    // --- ConditionEvents: the threshold analysis --------------------------------------------
    void RecordEvent(const QString& label) override;
    QString AlarmNumberCaption() const override;
    void SetAlarmNumberCaption(const QString& caption) override;

    QCheckBox* saveBox() const { return m_save; }
    QPushButton* clearButton() const { return m_clear; }
    QLabel* numberLabel() const { return m_number; }
    QLabel* problemLabel() const { return m_problem; }

public Q_SLOTS:
    void chbSaveTrvRangeClick();
    void btnClearTrvRangeClick();
    // After Apply on the Range page: commands left to send make a settings-change event.
    void onSettingsApplied(bool commandsPending);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void placeNumberOnCaption();
    void showProblem(const QString& message);

    QPointer<QWidget> m_captureWindow;
    WidgetSnapshot m_snapshot;
    AlarmRecorder m_recorder;
    std::function<void(const QString&)> m_reporter;
    bool m_reporting = false;

    QCheckBox* m_save = nullptr;
    QLabel* m_number = nullptr;
    QPushButton* m_clear = nullptr;
    QLabel* m_problem = nullptr;
};
