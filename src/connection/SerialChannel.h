#pragma once

#include <QtGlobal>

// The byte stream of the detector link as the poll cycle sees it: the real port in the
// program, a buffer in tests, benchmarks and fuzzing.
class SerialChannel {
public:
    virtual ~SerialChannel() = default;
    // Never waits: the bytes already received, at most count; 0 when none or closed.
    virtual qint64 read(char* buffer, qint64 count) = 0;
    // Never blocks the caller; returns the bytes accepted.
    virtual qint64 write(const char* buffer, qint64 count) = 0;
    // Received bytes still waiting to be read.
    virtual qint64 bytesAvailable() const = 0;
};
