#pragma once

#include "connection/SerialChannel.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

// A SerialChannel over memory: bytes pushed in are what the detector "sent"; bytes written are
// kept for inspection. Feeds the receive path in tests, benchmarks and fuzzing in any chunking.
class MemoryChannel final : public SerialChannel {
public:
    void push(const QByteArray& bytes) { m_incoming.append(bytes); }
    // Limits how much one read returns, to imitate a port that delivers in small pieces.
    void setReadLimit(qint64 limit) { m_readLimit = limit; }

    qint64 read(char* buffer, qint64 count) override {
        if (!buffer || count < 1)
            return 0;
        const qint64 n = std::min({count, m_readLimit, qint64(m_incoming.size()) - m_readPos});
        if (n <= 0)
            return 0;
        std::memcpy(buffer, m_incoming.constData() + m_readPos, size_t(n));
        m_readPos += n;
        if (m_readPos == m_incoming.size()) {
            m_incoming.clear();
            m_readPos = 0;
        }
        return n;
    }
    qint64 write(const char* buffer, qint64 count) override {
        if (!buffer || count < 1)
            return 0;
        m_written.append(buffer, count);
        return count;
    }
    qint64 bytesAvailable() const override { return m_incoming.size() - m_readPos; }

    const QByteArray& written() const { return m_written; }
    void clearWritten() { m_written.clear(); }

private:
    QByteArray m_incoming;
    qint64 m_readPos = 0;
    qint64 m_readLimit = 1 << 30;
    QByteArray m_written;
};
