#pragma once

#include <QDateTime>
#include <QtGlobal>

// Source of "now" for everything that measures time: the link supervision, log time stamps,
// recording names. Tests substitute a ManualClock so that seconds of silence pass instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since the epoch (UTC); local time of day is derived when formatting.
    virtual qint64 nowMs() const = 0;
    QDateTime nowLocal() const { return QDateTime::fromMSecsSinceEpoch(nowMs()); }
};

class SystemClock final : public Clock {
public:
    qint64 nowMs() const override { return QDateTime::currentMSecsSinceEpoch(); }
    static SystemClock& instance();
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(qint64 startMs = 0) : m_now(startMs) {}
    qint64 nowMs() const override { return m_now; }
    void setMs(qint64 ms) { m_now = ms; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now;
};
