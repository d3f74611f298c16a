#include "SimInpReplay.h"

#include <QRegularExpression>
#include <QStringList>

namespace SimInpReplay {

namespace {

constexpr qint64 kDayMs = 24LL * 3600 * 1000;

// Bytes at the start of next that the previous, rejected candidate already carried: the
// program's scan resumed at the first 0x00 after the rejected candidate's lead byte.
int sharedBytes(const QByteArray& previous, const QByteArray& next) {
    for (int p = 1; p < previous.size(); ++p) {
        if (previous[p] != 0)
            continue;
        const int shared = previous.size() - p;
        return next.startsWith(previous.mid(p)) ? shared : 0;
    }
    return 0;
}

} // namespace

bool isGoodFrame(const QByteArray& c) {
    if (c.size() != 4 || c[0] != 0)
        return false;
    const auto b = quint8(c[1]), a = quint8(c[2]), sum = quint8(c[3]);
    return quint8(a + b) == sum && (a + b + sum) != 0;
}

Result parse(const QString& logText) {
    static const QRegularExpression line(
        QStringLiteral(R"(^\s*(?:(\d{1,2}):(\d{2}):(\d{2})[.,](\d{3}))?\s*Inp:\[)"
                       R"(([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2})\])"));
    Result result;
    QByteArray previous;
    bool previousRejected = false;
    qint64 firstMs = -1;
    qint64 lastMs = 0;
    qint64 dayShift = 0;

    const QStringList lines = logText.split(QLatin1Char('\n'));
    for (const QString& text : lines) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        QByteArray candidate;
        for (int i = 5; i <= 8; ++i)
            candidate.append(char(m.captured(i).toUInt(nullptr, 16)));

        qint64 offset = lastMs;
        if (m.capturedLength(1) > 0) {
            qint64 ms = ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 +
                         m.captured(3).toLongLong()) *
                            1000 +
                        m.captured(4).toLongLong() + dayShift;
            if (firstMs < 0)
                firstMs = ms;
            if (ms - firstMs < lastMs - kDayMs / 2) { // the session ran past midnight
                dayShift += kDayMs;
                ms += kDayMs;
            }
            offset = std::max(ms - firstMs, lastMs);
        }
        lastMs = offset;

        const int skip = previousRejected ? sharedBytes(previous, candidate) : 0;
        const QByteArray fresh = candidate.mid(skip);
        if (!fresh.isEmpty()) {
            if (!result.chunks.isEmpty() && result.chunks.last().offsetMs == offset)
                result.chunks.last().bytes.append(fresh);
            else
                result.chunks.append(Chunk{offset, fresh});
        }
        ++result.candidates;
        previousRejected = !isGoodFrame(candidate);
        if (previousRejected)
            ++result.rejected;
        previous = candidate;
    }
    if (result.candidates == 0)
        result.error = QStringLiteral("no \"Inp:[\" lines found");
    return result;
}

} // namespace SimInpReplay
