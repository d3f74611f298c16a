#pragma once

#include <QDateTime>
#include <QString>

// Names on disk of an alarm recording. Every name starts with the local time of its moment:
// "2024-05-01 12'34'56" for the folder, the same with ".789" milliseconds for the files. The
// apostrophes stand where a clock would show colons, which file names cannot carry.
namespace recording {

inline constexpr char StartLabel[] = "Начало записи";
inline constexpr char StopLabel[] = "Остановка записи";
// Apply on the Range page left commands to send.
inline constexpr char SettingsAppliedLabel[] = "Настройки изменены";
inline constexpr char SummarySuffix[] = " Содержание.txt";

// "yyyy-mm-dd hh'nn'ss" of the local time.
QString FolderName(const QDateTime& local);
// The folder name followed by "." and three digits of milliseconds.
QString Stamp(const QDateTime& local);
// stamp + " " + label + ".png"
QString SnapshotName(const QDateTime& local, const QString& label);
// stamp + " Содержание.txt"
QString SummaryName(const QDateTime& local);
// folder + the platform's separator + name.
QString JoinPath(const QString& folder, const QString& name);

} // namespace recording
