#include "recording/OrderedFileWriter.h"

#include <QSaveFile>

OrderedFileWriter::OrderedFileWriter(bool background, QObject* parent)
    : QObject(parent), m_background(background) {
    if (m_background)
        m_worker = std::thread([this] { workerLoop(); });
}

OrderedFileWriter::~OrderedFileWriter() {
    if (!m_background)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join(); // the worker empties the queue before it ends
}

bool OrderedFileWriter::writeWhole(const QString& path, const QByteArray& bytes, QString* reason) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (reason)
            *reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<OrderedFileWriter::Failure> OrderedFileWriter::run(const Job& job) {
    const EncodedFile encoded =
        job.encode ? job.encode() : EncodedFile{{}, QStringLiteral("нет изображения")};
    if (!encoded.error.isEmpty())
        return Failure{job.path, encoded.error};
    QString reason;
    if (!writeWhole(job.path, encoded.bytes, &reason))
        return Failure{job.path, reason};
    return std::nullopt;
}

void OrderedFileWriter::enqueue(const QString& path, FileEncoder encode) {
    if (!m_background) {
        if (auto failure = run(Job{path, std::move(encode)}); failure && m_onFailure)
            m_onFailure(*failure);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(Job{path, std::move(encode)});
    }
    m_wake.notify_one();
}

int OrderedFileWriter::pending() const {
    std::lock_guard lock(m_mutex);
    return int(m_queue.size()) + m_busy;
}

void OrderedFileWriter::waitIdle() {
    if (m_background) {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_queue.empty() && m_busy == 0; });
    }
    deliverFailures();
}

void OrderedFileWriter::workerLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping, nothing left
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        lock.unlock();
        std::optional<Failure> failure = run(job);
        job = {}; // the picture is released here, written or not
        lock.lock();
        if (failure)
            noteFailure(std::move(*failure));
        --m_busy;
        if (m_queue.empty() && m_busy == 0)
            m_idle.notify_all();
    }
}

// Called with the mutex held, on the worker.
void OrderedFileWriter::noteFailure(Failure failure) {
    m_failures.push_back(std::move(failure));
    QMetaObject::invokeMethod(this, &OrderedFileWriter::deliverFailures, Qt::QueuedConnection);
}

void OrderedFileWriter::deliverFailures() {
    std::vector<Failure> failures;
    {
        std::lock_guard lock(m_mutex);
        failures.swap(m_failures);
    }
    if (m_onFailure) {
        for (const Failure& failure : failures)
            m_onFailure(failure);
    }
}
