#include "SimCommand.h"

namespace {

// A run of bytes longer than this cannot be a command; judging it early bounds the memory.
constexpr int kLongestGroup = 8;

quint8 checksumOf(quint8 b1, quint8 b2) {
    return quint8(0x80 | ((b1 + b2) & 0x7F));
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

SimCommand SimCommand::fromBytes(quint8 b1, quint8 b2) {
    SimCommand c;
    c.code = (b1 >> 5) & 3;
    switch (c.code) {
    case Mode:
        c.adr = b1 & 0x0F;
        c.ctrl_pp_mp = (b1 >> 4) & 1;
        c.senspp = b2 & 0x1F;
        c.state = (b2 >> 5) & 3;
        break;
    case Threshold:
        c.sensmp = b1 & 0x1F;
        c.sensbp = b2 & 0x1F;
        c.letter = (b2 >> 5) & 3;
        break;
    case Section:
        c.vel_min = b1 & 3;
        c.vel_max = (b1 >> 2) & 3;
        c.dist = b2 & 0x1F;
        c.reg = (b2 >> 5) & 3;
        break;
    case Position:
        c.symbol = (b1 >> 1) & 0x0F;
        c.number = b2 & 0x7F;
        break;
    }
    return c;
}

QString SimCommand::describe() const {
    const QString head = QStringLiteral("o_code:%1 ").arg(code);
    switch (code) {
    case Mode:
        return head + QStringLiteral("o_adr:%1 o_ctrl_pp_mp:%2 o_senspp:%3 o_state:%4")
                          .arg(adr)
                          .arg(ctrl_pp_mp)
                          .arg(senspp)
                          .arg(state);
    case Threshold:
        return head + QStringLiteral("o_sensmp:%1 o_sensbp:%2 o_letter:%3")
                          .arg(sensmp)
                          .arg(sensbp)
                          .arg(letter);
    case Section:
        return head + QStringLiteral("o_vel_min:%1 o_vel_max:%2 o_dist:%3 o_reg:%4")
                          .arg(vel_min)
                          .arg(vel_max)
                          .arg(dist)
                          .arg(reg);
    default:
        return head + QStringLiteral("o_symbol:%1/%2 o_number:%3")
                          .arg(symbol)
                          .arg(QChar(char16_t(u'A' + symbol)))
                          .arg(number);
    }
}

void SimCommandDecoder::setChecksummed(bool checksummed) {
    m_checksummed = checksummed;
    m_group.clear();
    m_stray.clear();
    m_firstCopy.clear();
}

QList<SimCommandDecoder::Result> SimCommandDecoder::feed(const QByteArray& bytes) {
    QList<Result> out;
    for (char ch : bytes) {
        const auto byte = quint8(ch);
        if ((byte & 0x80) == 0) {
            closeGroup(out);
            closeStray(out);
            m_group = QByteArray(1, ch);
        } else if (m_group.isEmpty()) {
            m_stray.append(ch);
        } else {
            m_group.append(ch);
            if (m_group.size() > kLongestGroup)
                closeGroup(out);
        }
    }
    // End of this read: what is plainly complete need not wait for the line to go quiet.
    const int expected = m_checksummed ? 3 : 2;
    if (m_group.size() > expected || (m_checksummed && m_group.size() == 3) ||
        (!m_checksummed && m_group.size() == 2 && !m_firstCopy.isEmpty()))
        closeGroup(out);
    return out;
}

QList<SimCommandDecoder::Result> SimCommandDecoder::flush() {
    QList<Result> out;
    closeGroup(out);
    closeStray(out);
    rejectFirstCopy(out);
    return out;
}

bool SimCommandDecoder::hasOpenFrame() const {
    return !m_group.isEmpty() || !m_firstCopy.isEmpty() || !m_stray.isEmpty();
}

void SimCommandDecoder::closeGroup(QList<Result>& out) {
    if (m_group.isEmpty())
        return;
    const QByteArray group = m_group;
    m_group.clear();
    const auto b1 = quint8(group.size() > 0 ? group[0] : 0);
    const auto b2 = quint8(group.size() > 1 ? group[1] : 0);

    if (m_checksummed) {
        if (group.size() != 3) {
            out << reject(group, QStringLiteral("wrong length %1").arg(group.size()));
        } else if (quint8(group[2]) != checksumOf(b1, b2)) {
            out << reject(group, QStringLiteral("bad checksum, expected %1")
                                     .arg(hexOf(QByteArray(1, char(checksumOf(b1, b2))))));
        } else {
            out << Result{true, group, SimCommand::fromBytes(b1, b2), {}};
        }
        return;
    }

    if (group.size() != 2) {
        rejectFirstCopy(out);
        out << reject(group, QStringLiteral("wrong length %1").arg(group.size()));
        return;
    }
    if (m_firstCopy.isEmpty()) {
        m_firstCopy = group;
        return;
    }
    if (m_firstCopy == group) {
        m_firstCopy.clear();
        out << Result{true, group + group, SimCommand::fromBytes(b1, b2), {}};
        return;
    }
    // Two different frames: the first had no twin; the second may still get one.
    rejectFirstCopy(out);
    m_firstCopy = group;
}

void SimCommandDecoder::closeStray(QList<Result>& out) {
    if (m_stray.isEmpty())
        return;
    out << reject(m_stray, QStringLiteral("no start byte"));
    m_stray.clear();
}

void SimCommandDecoder::rejectFirstCopy(QList<Result>& out) {
    if (m_firstCopy.isEmpty())
        return;
    out << reject(m_firstCopy, QStringLiteral("no matching second copy"));
    m_firstCopy.clear();
}

SimCommandDecoder::Result SimCommandDecoder::reject(const QByteArray& raw, const QString& reason) {
    Result r;
    r.raw = raw;
    r.reason = reason;
    return r;
}
