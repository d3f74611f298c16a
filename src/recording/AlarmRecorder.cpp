#include "recording/AlarmRecorder.h"

#include "charts/ThresholdAnalysis.h"
#include "common/Clock.h"
#include "connection/PollCycle.h"
#include "log/EventLog.h"
#include "recording/RecordingNames.h"
#include "recording/SnapshotSource.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

AlarmRecorder::AlarmRecorder(const Clock& clock, SnapshotSource& source, EventLog* log,
                             bool backgroundWriting)
    : m_clock(clock), m_source(source), m_log(log), m_writer(backgroundWriting) {
    m_writer.setFailureHandler([this](const OrderedFileWriter::Failure& failure) {
        report("не удалось сохранить снимок", failure.path, failure.reason);
    });
}

QString AlarmRecorder::diskPath(const QString& relativePath) const {
    if (m_baseDirectory.isEmpty())
        return relativePath;
    return recording::JoinPath(m_baseDirectory, relativePath);
}

void AlarmRecorder::StartRecording() {
    if (m_recording)
        StopRecording();
    m_folder = recording::FolderName(m_clock.nowLocal());
    m_index.clear();
    m_problems.clear();
    if (m_cycle)
        m_cycle->clearReannounceRequest();
    if (m_analysis)
        m_analysis->ClearForRecording();
    m_own = RecordingCounters{};
    makeFolder();
    m_recording = true;
    RecordEvent(QString::fromUtf8(recording::StartLabel));
}

// A folder that already exists is fine: a reset within the same second as the start gets the
// same name, and its snapshots join the earlier ones.
void AlarmRecorder::makeFolder() {
    const QString path = diskPath(m_folder);
    std::error_code error;
    const std::filesystem::path native(path.toStdU16String());
    std::filesystem::create_directory(native, error);
    if (!error || std::filesystem::is_directory(native))
        return;
    report("не удалось создать папку", path, QString::fromLocal8Bit(error.message()));
}

bool AlarmRecorder::RecordEvent(const QString& label) {
    if (!m_recording)
        return false;
    if (m_cycle)
        m_cycle->clearReannounceRequest();
    const QString name = recording::SnapshotName(m_clock.nowLocal(), label);
    const QString path = recording::JoinPath(m_folder, name);
    m_index.append(name);
    m_writer.enqueue(diskPath(path), m_source.Capture());
    log(path);
    return true;
}

void AlarmRecorder::RecordLinkEvent(LinkEvent event) {
    if (!m_recording)
        return;
    RecordEvent(linkEventLabel(event));
    switch (event) {
    case LinkEvent::Pause:
        ++m_own.PauseCount;
        break;
    case LinkEvent::LinkLoss:
        ++m_own.LinkLossCount;
        break;
    case LinkEvent::Alignment:
        ++m_own.AlignmentCount;
        break;
    case LinkEvent::SettingsChanged:
        ++m_own.SettingsChangeCount;
        break;
    }
}

void AlarmRecorder::RecordSettingsApplied() {
    if (!m_recording)
        return;
    RecordEvent(QString::fromUtf8(recording::SettingsAppliedLabel));
    ++m_own.SettingsChangeCount;
}

void AlarmRecorder::StopRecording() {
    if (!m_recording)
        return;
    RecordEvent(QString::fromUtf8(recording::StopLabel));
    m_recording = false;
    const QString path = recording::JoinPath(m_folder, recording::SummaryName(m_clock.nowLocal()));
    // The summary comes after every snapshot it names.
    m_writer.waitIdle();
    m_index += recording::CounterLines(counters());
    m_summaryPath = path;
    writeSummary(path);
}

void AlarmRecorder::writeSummary(const QString& path) {
    QString reason;
    if (!OrderedFileWriter::writeWhole(diskPath(path), recording::EncodeSummary(m_index), &reason))
        report("не удалось сохранить содержание записи", diskPath(path), reason);
    log(path + QLatin1Char('\n') + recording::SummaryText(m_index));
}

RecordingCounters AlarmRecorder::counters() const {
    RecordingCounters all = m_own;
    if (m_analysis) {
        const ConditionState& s = m_analysis->state();
        all.AlarmCount = s.AlarmCount;
        all.PpExcessCount = s.PpExcessCount;
        all.MpExcessCount = s.MpExcessCount;
        all.FaultCount = s.FaultCount;
    }
    return all;
}

void AlarmRecorder::report(const char* what, const QString& path, const QString& reason) {
    const QString message =
        QStringLiteral("Запись тревог: %1 «%2»: %3")
            .arg(QString::fromUtf8(what),
                 QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                 reason.isEmpty() ? QStringLiteral("причина неизвестна") : reason);
    m_problems.append(message);
    log(message);
    if (m_onProblem)
        m_onProblem(message);
}

void AlarmRecorder::log(const QString& text) {
    if (m_log)
        m_log->WriteLog(text);
}
