#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a recording counts. Alarms, faults and threshold excesses are counted by the threshold
// analysis, the link's conditions and settings changes by the recording itself; the summary
// file lists them all.
struct RecordingCounters {
    int AlarmCount = 0;
    int PpExcessCount = 0;
    int MpExcessCount = 0;
    int SettingsChangeCount = 0;
    int AlignmentCount = 0;
    int PauseCount = 0;
    int LinkLossCount = 0;
    int FaultCount = 0;

    bool operator==(const RecordingCounters&) const = default;
};

namespace recording {

// The eight counter lines that close a summary, "Тревог: 1" and so on, in their fixed order.
QStringList CounterLines(const RecordingCounters& counters);
// The summary's lines joined as the file holds them: each ended by CR LF.
QString SummaryText(const QStringList& lines);
// The same text as the file's bytes, in Windows-1251.
QByteArray EncodeSummary(const QStringList& lines);

} // namespace recording
