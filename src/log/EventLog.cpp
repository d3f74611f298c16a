#include "log/EventLog.h"

#include "common/Clock.h"
#include "log/Version.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace {

// "hh:mm:ss.zzz" of the local time of day, written without going through QString.
void appendTimeOfDay(QByteArray& line, const QTime& time) {
    char text[12];
    const auto twoDigits = [&text](int at, int value) {
        text[at] = static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    twoDigits(0, time.hour());
    text[2] = ':';
    twoDigits(3, time.minute());
    text[5] = ':';
    twoDigits(6, time.second());
    text[8] = '.';
    const int ms = time.msec();
    text[9] = static_cast<char>('0' + ms / 100);
    text[10] = static_cast<char>('0' + ms / 10 % 10);
    text[11] = static_cast<char>('0' + ms % 10);
    line.append(text, sizeof text);
}

} // namespace

EventLog::EventLog(const Clock& clock, QString path)
    : m_clock(clock), m_path(std::move(path)), m_encoder("windows-1251") {}

void EventLog::StartLog() {
    if (!QFileInfo::exists(m_path)) {
        return;
    }
    m_file.close();
    QFile::remove(m_path);
    {
        QFile fresh(m_path);
        if (fresh.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fresh.close();
        }
    }
    m_enabled = true;
    const QDate today = m_clock.nowLocal().date();
    WriteLog(QLocale().toString(today, QLocale::ShortFormat) + QLatin1Char(' ') +
             QLatin1String(ProgramBaseName) + QLatin1String(" v") + VersionString());
}

bool EventLog::WriteLog(const QString& text) {
    if (!m_enabled) {
        return true;
    }
    if (!m_encoder.isValid()) {
        return writeLine(text.toLatin1());
    }
    const QByteArray bytes = m_encoder.encode(text);
    return writeLine(bytes);
}

bool EventLog::WriteLog(QByteArrayView text) {
    if (!m_enabled) {
        return true;
    }
    return writeLine(text);
}

bool EventLog::ensureOpen() {
    if (m_file.isOpen()) {
        return true;
    }
    m_file.setFileName(m_path);
    // Never creates the file: logging is for runs that found it present.
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered |
                       QIODevice::ExistingOnly);
}

bool EventLog::writeLine(QByteArrayView text) {
    if (!ensureOpen()) {
        return false;
    }
    m_line.resize(0);
    appendTimeOfDay(m_line, m_clock.nowLocal().time());
    m_line.append("  ", 2);
    m_line.append(text);
    m_line.append('\n');
    if (m_file.write(m_line) != m_line.size()) {
        m_file.close(); // opened afresh by the next call
        return false;
    }
    return true;
}
