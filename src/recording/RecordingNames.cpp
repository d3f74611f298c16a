#include "recording/RecordingNames.h"

#include <QDir>

namespace recording {

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FolderName(const QDateTime& local) {
    const QDate d = local.date();
    const QTime t = local.time();
    return QStringLiteral("%1-%2-%3 %4'%5'%6")
        .arg(QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')), twoDigits(d.month()),
             twoDigits(d.day()), twoDigits(t.hour()), twoDigits(t.minute()), twoDigits(t.second()));
}

QString Stamp(const QDateTime& local) {
    return FolderName(local) +
           QStringLiteral(".%1").arg(local.time().msec(), 3, 10, QLatin1Char('0'));
}

QString SnapshotName(const QDateTime& local, const QString& label) {
    return Stamp(local) + QLatin1Char(' ') + label + QStringLiteral(".png");
}

QString SummaryName(const QDateTime& local) {
    return Stamp(local) + QString::fromUtf8(SummarySuffix);
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

} // namespace recording
