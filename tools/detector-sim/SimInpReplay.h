#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Turns the program's diagnostic log back into the byte stream that produced it.
//
// Every candidate frame the program examined appears as a line such as
//   09:05:03.007  Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0
// A rejected candidate was skipped by one byte only, so the next candidate may start inside
// it; those shared bytes are sent once. Bytes the program skipped without a candidate left no
// trace and cannot be restored.
namespace SimInpReplay {

struct Chunk {
    qint64 offsetMs = 0; // time since the first candidate, from the line's time stamp
    QByteArray bytes;
};

struct Result {
    QList<Chunk> chunks;
    int candidates = 0; // "Inp:" lines found
    int rejected = 0;   // of which the program refused
    QString error;      // set when nothing could be replayed
};

Result parse(const QString& logText);

// A candidate the program takes as a frame: lead byte 0, checksum right, not all zero.
bool isGoodFrame(const QByteArray& candidate);

} // namespace SimInpReplay
