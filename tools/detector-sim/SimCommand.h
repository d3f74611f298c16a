#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One command frame as the detector understands it: byte 1 carries the command code in
// bits 6-5, byte 2 (bit 7 set) the rest; fields keep the names of the telemetry they set.
struct SimCommand {
    enum Code : int { Mode = 0, Threshold = 1, Section = 2, Position = 3 };

    int code = 0;
    // Mode
    int adr = 0;
    int ctrl_pp_mp = 0;
    int senspp = 0;
    int state = 0; // 1 asks for alignment, 0 for normal guarding
    // Threshold
    int sensmp = 0;
    int sensbp = 0;
    int letter = 0;
    // Section
    int vel_min = 0;
    int vel_max = 0;
    int dist = 0;
    int reg = 0;
    // Position
    int symbol = 0;
    int number = 0;

    static SimCommand fromBytes(quint8 b1, quint8 b2);
    // "o_code:0 o_adr:1 o_ctrl_pp_mp:0 o_senspp:10 o_state:0"
    QString describe() const;
};

// Cuts the bytes the program sends into command frames and judges each one.
//
// A frame starts at a byte with bit 7 clear; the following bytes have bit 7 set. A detector
// with cs = 1 takes exactly 3 bytes whose last is 0x80 | ((b1 + b2) & 0x7F); one with cs = 0
// takes the 2-byte frame only when it arrives twice in a row. Anything else is ignored, and
// the decoder says why.
class SimCommandDecoder {
public:
    struct Result {
        bool accepted = false;
        QByteArray raw;     // the bytes as they came (3, or 4 for a 2-byte frame sent twice)
        SimCommand command; // meaningful when accepted
        QString reason;     // why the bytes were ignored
    };

    explicit SimCommandDecoder(bool checksummed = true) : m_checksummed(checksummed) {}

    // Switching the frame kind drops whatever was half received.
    void setChecksummed(bool checksummed);
    bool checksummed() const { return m_checksummed; }

    // One read's worth of bytes. A frame of the full length is judged when the read ends (the
    // program writes a frame at once, so a byte too many arrives with it); a lone first copy,
    // a short frame or stray bytes wait for more bytes or for flush().
    QList<Result> feed(const QByteArray& bytes);
    // The line went quiet: judge whatever is still open.
    QList<Result> flush();
    bool hasOpenFrame() const;

private:
    void closeGroup(QList<Result>& out);
    void closeStray(QList<Result>& out);
    void rejectFirstCopy(QList<Result>& out);
    static Result reject(const QByteArray& raw, const QString& reason);

    bool m_checksummed;
    QByteArray m_group;     // starts with a byte whose bit 7 is clear
    QByteArray m_stray;     // bytes with bit 7 set that follow no start byte
    QByteArray m_firstCopy; // cs = 0: the first 2-byte copy, waiting for its twin
};
