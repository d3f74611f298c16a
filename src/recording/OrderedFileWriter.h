#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// The bytes of one file, or why they could not be made.
struct EncodedFile {
    QByteArray bytes;
    QString error; // empty when the bytes are good
};

// Turns a captured picture into the bytes of its file. Runs on the writer's thread when the
// writer works in the background, so it must own everything it touches.
using FileEncoder = std::function<EncodedFile()>;

// Writes files one after another in the order they were queued. In the background the
// encoding and writing happen on one worker thread, so the caller (the window's thread, in the
// middle of a poll tick) only pays for queueing; one worker keeps the order of the files.
//
// Failures come back on the thread that owns the writer: from its event loop soon after they
// happen, and at the latest from waitIdle(), so a caller that waits learns every failure
// before it goes on.
class OrderedFileWriter : public QObject {
    Q_OBJECT
public:
    struct Failure {
        QString path;
        QString reason;
    };
    using FailureHandler = std::function<void(const Failure&)>;

    explicit OrderedFileWriter(bool background, QObject* parent = nullptr);
    ~OrderedFileWriter() override; // waits for the queue

    bool background() const { return m_background; }
    void setFailureHandler(FailureHandler handler) { m_onFailure = std::move(handler); }

    // Queues the file; inline mode writes it before returning.
    void enqueue(const QString& path, FileEncoder encode);
    // Returns once every queued file is written or has failed, failures reported.
    void waitIdle();
    // Files queued and not yet done.
    int pending() const;

    // Writes the bytes under path as a whole (a temporary file renamed at the end, so a
    // reader never sees half a file); the reason on failure.
    static bool writeWhole(const QString& path, const QByteArray& bytes, QString* reason);

private:
    struct Job {
        QString path;
        FileEncoder encode;
    };

    static std::optional<Failure> run(const Job& job);
    void workerLoop();
    void noteFailure(Failure failure);
    void deliverFailures();

    const bool m_background;
    FailureHandler m_onFailure;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_queue;
    int m_busy = 0; // jobs taken by the worker and not finished
    bool m_stopping = false;
    std::vector<Failure> m_failures;
    std::thread m_worker;
};
