#pragma once

// Shared pieces of the recording tests: local times, file reading, and a snapshot source that
// stands in for the window.

#include "recording/SnapshotSource.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

inline qint64 localMs(int year, int month, int day, int h, int m, int s, int ms) {
    return QDateTime(QDate(year, month, day), QTime(h, m, s, ms)).toMSecsSinceEpoch();
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QString decode1251(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

// Files of a folder by name, sorted.
inline QStringList filesIn(const QString& folder, const QString& pattern = QStringLiteral("*")) {
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// Each capture yields "snapshot <n>" (n counting from 1) as its file's bytes; the encoders
// note the order in which they ran, which is the order of writing. While held, encoders wait
// until released, so a test can see work pile up behind the caller.
class FakeSnapshotSource final : public SnapshotSource {
public:
    int encodeDelayMs = 0;
    QString failNext; // the next capture's encoder fails with this reason

    void hold() {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release() {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_released.notify_all();
    }

    FileEncoder Capture() override {
        const int number = ++m_captures;
        QString failure;
        failure.swap(failNext);
        return [this, number, failure, delay = encodeDelayMs]() -> EncodedFile {
            if (delay > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            {
                std::unique_lock lock(m_mutex);
                m_released.wait(lock, [this] { return !m_held; });
                m_encoded.push_back(number);
            }
            if (!failure.isEmpty())
                return {{}, failure};
            return {QByteArray("snapshot ") + QByteArray::number(number), {}};
        };
    }

    int captures() const { return m_captures; }
    std::vector<int> encodedOrder() const {
        std::lock_guard lock(m_mutex);
        return m_encoded;
    }

private:
    std::atomic<int> m_captures{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::vector<int> m_encoded;
};
