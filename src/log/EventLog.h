#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringEncoder>

class Clock;

// The diagnostic log. It is on only when its file exists when the program starts; the file is
// then emptied and every line goes into it as "hh:mm:ss.zzz", two spaces, the text and a line
// feed, in Windows-1251. Each line is one unbuffered write at the end of the file, so a crash
// loses nothing already logged and another program can follow the file while it grows.
class EventLog {
public:
    static constexpr char DefaultFileName[] = "VelmoraTuner.log";

    // `clock` must outlive the log; the path is relative to the working directory.
    explicit EventLog(const Clock& clock, QString path = QString::fromLatin1(DefaultFileName));

    // Decides once whether this run logs: if the file exists it is emptied, logging is on and
    // the first line gives the date and the program's version. Failures are ignored; logging
    // is then on or off as far as the steps got.
    void StartLog();
    bool logEnabled() const { return m_enabled; }

    // True when logging is off or the line was written; false when the file could not be
    // opened or written (the next call tries to open it again).
    bool WriteLog(const QString& text);
    // Text that is already Windows-1251 bytes (in practice ASCII): no conversion on the way,
    // for the lines written for every frame.
    bool WriteLog(QByteArrayView text);
    bool WriteLog(const QByteArray& text) { return WriteLog(QByteArrayView(text)); }
    bool WriteLog(const char* text) { return WriteLog(QByteArrayView(text)); }

    const QString& path() const { return m_path; }

private:
    bool ensureOpen();
    bool writeLine(QByteArrayView text);

    const Clock& m_clock;
    QString m_path;
    bool m_enabled = false;
    QFile m_file;
    QByteArray m_line; // reused so that a line costs no allocation once warmed up
    QStringEncoder m_encoder;
};
