#pragma once

#include "connection/LinkView.h"
#include "recording/OrderedFileWriter.h"
#include "recording/RecordingSummary.h"

#include <QString>
#include <QStringList>

#include <functional>

class Clock;
class EventLog;
class PollCycle;
class SnapshotSource;
class ThresholdAnalysis;

// One alarm recording at a time: a folder named after the moment it started, a PNG snapshot of
// the window for every event, and at the stop a summary file that lists the snapshots and the
// counts of the events.
//
// Snapshots are captured at once but encoded and written by an ordered writer, in the
// background by default (encoding a window as PNG takes tens of milliseconds, longer than a
// poll tick may stall). The stop waits for every pending snapshot before it writes the summary,
// so nothing is lost and the summary names only files that were meant to exist.
//
// A folder, snapshot or summary that cannot be written is reported through the problem handler
// with its path and the system's reason, and logged; the recording stays on.
class AlarmRecorder {
public:
    using ProblemHandler = std::function<void(const QString& message)>;

    // `clock`, `source` and `log` must outlive the recorder; `log` may be null.
    AlarmRecorder(const Clock& clock, SnapshotSource& source, EventLog* log = nullptr,
                  bool backgroundWriting = true);

    // Where the recording folders are made; the working directory when empty.
    void setBaseDirectory(const QString& directory) { m_baseDirectory = directory; }
    // The link whose request to announce the detector's condition again every snapshot answers.
    void setPollCycle(PollCycle* cycle) { m_cycle = cycle; }
    // The analysis that counts alarms, faults and excesses and keeps their latches; a new
    // recording clears them, the summary reports its counts.
    void setConditionAnalysis(ThresholdAnalysis* analysis) { m_analysis = analysis; }
    void setProblemHandler(ProblemHandler handler) { m_onProblem = std::move(handler); }

    bool isRecording() const { return m_recording; }

    // A new folder, latches and counters cleared, the "Начало записи" snapshot. A recording
    // still running is stopped first.
    void StartRecording();
    // The "Остановка записи" snapshot, then, once every snapshot is written, the summary.
    void StopRecording();
    // One snapshot named after now and the label. Does nothing (false) when not recording.
    bool RecordEvent(const QString& label);
    // A condition of the link: its snapshot and its counter.
    void RecordLinkEvent(LinkEvent event);
    // Apply on the Range page left commands to send.
    void RecordSettingsApplied();

    // All eight counts: the recording's own and those of the analysis.
    RecordingCounters counters() const;
    // Relative to the base directory.
    const QString& RecordingFolder() const { return m_folder; }
    // Snapshot names in the order taken; after the stop, the summary's lines.
    const QStringList& RecordingIndex() const { return m_index; }
    // Path of the last summary (folder and name), empty before the first stop.
    const QString& summaryPath() const { return m_summaryPath; }
    // Problems reported since the recording started.
    const QStringList& problems() const { return m_problems; }

    // Where a path of the recording is on disk.
    QString diskPath(const QString& relativePath) const;
    // Returns once every snapshot taken so far is written or has failed.
    void waitForSnapshots() { m_writer.waitIdle(); }
    int pendingSnapshots() const { return m_writer.pending(); }
    bool backgroundWriting() const { return m_writer.background(); }

private:
    void makeFolder();
    void writeSummary(const QString& path);
    void report(const char* what, const QString& path, const QString& reason);
    void log(const QString& text);

    const Clock& m_clock;
    SnapshotSource& m_source;
    EventLog* m_log;
    PollCycle* m_cycle = nullptr;
    ThresholdAnalysis* m_analysis = nullptr;
    ProblemHandler m_onProblem;
    OrderedFileWriter m_writer;

    QString m_baseDirectory;
    bool m_recording = false;
    QString m_folder;
    QStringList m_index;
    QString m_summaryPath;
    QStringList m_problems;
    RecordingCounters m_own; // the counts that the recording raises itself
};
