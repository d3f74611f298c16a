// Turning the program's "Inp:" log lines back into the bytes that were on the line.

#include "SimInpReplay.h"
#include "SimTelemetry.h"
#include "SimTestLine.h"

#include <QTest>

#include <random>

namespace {

QByteArray replayed(const SimInpReplay::Result& r) {
    QByteArray all;
    for (const SimInpReplay::Chunk& c : r.chunks)
        all += c.bytes;
    return all;
}

// The log the program would write for this byte stream, one candidate every `stepMs`.
QString logOf(const QByteArray& stream, int stepMs) {
    QString text;
    QTime t(9, 5, 3, 7);
    for (const QString& line : scanFrames(stream).inpLines) {
        text += t.toString("hh:mm:ss.zzz") + "  " + line + " code:0 \n";
        t = t.addMSecs(stepMs);
    }
    return text;
}

// The bytes that some candidate covered, in order: all a log can tell.
QByteArray bytesInCandidates(const QByteArray& stream) {
    QByteArray covered;
    int coveredUpTo = 0;
    int i = 0;
    while (stream.size() - i >= 4) {
        if (stream[i] != 0) {
            ++i;
            continue;
        }
        const int from = std::max(i, coveredUpTo);
        covered += stream.mid(from, i + 4 - from);
        coveredUpTo = i + 4;
        const QByteArray candidate = stream.mid(i, 4);
        i += SimInpReplay::isGoodFrame(candidate) ? 4 : 1;
    }
    return covered;
}

} // namespace

class SimReplayTest : public QObject {
    Q_OBJECT
private slots:
    void linesBecomeBytesAtTheirTimes();
    void bytesSharedWithARejectedCandidateAreSentOnce_data();
    void bytesSharedWithARejectedCandidateAreSentOnce();
    void aNoisyStreamSurvivesTheRoundTrip();
    void sessionRunningPastMidnight();
    void nothingToReplay();
};

void SimReplayTest::linesBecomeBytesAtTheirTimes() {
    const QString log = "09:05:03.007  Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0\r\n"
                        "09:05:03.007  Inp:[00 26 58 7E] chsum:Ok code:1 sig:600 pp:1 mp:0 bp:0\r\n"
                        "09:05:03.012  In % : Signal=12\r\n"
                        "09:05:03.012  Out:[01 8A 8B] send:3 bytes o_code:0 o_adr:1\r\n"
                        "09:05:04.250  Inp:[00 41 55 97] chsum:!!!Err!!! code:2 \r\n"
                        "Inp:[00 F1 90 81] chsum:Ok code:7 pwr:400 out:0 freq:1 code:7\n";
    const SimInpReplay::Result r = SimInpReplay::parse(log);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.candidates, 4);
    QCOMPARE(r.rejected, 1);
    QCOMPARE(r.chunks.size(), 2);
    QCOMPARE(r.chunks[0].offsetMs, 0);
    QCOMPARE(r.chunks[0].bytes, QByteArray::fromHex("004155960026587E"));
    QCOMPARE(r.chunks[1].offsetMs, 1243); // a line without a time keeps the last one
    QCOMPARE(r.chunks[1].bytes, QByteArray::fromHex("0041559700F19081"));
}

void SimReplayTest::bytesSharedWithARejectedCandidateAreSentOnce_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("frame starts inside a bad one") << QByteArray::fromHex("0041000026587E");
    QTest::newRow("all-zero candidate") << QByteArray::fromHex("0000000041559600");
    QTest::newRow("bad frame, then good") << QByteArray::fromHex("004155970041559600F19081");
    QTest::newRow("good frames only") << QByteArray::fromHex("004155960026587E");
}

void SimReplayTest::bytesSharedWithARejectedCandidateAreSentOnce() {
    QFETCH(QByteArray, stream);
    const SimInpReplay::Result r = SimInpReplay::parse(logOf(stream, 0));
    QCOMPARE(replayed(r).toHex(' '), bytesInCandidates(stream).toHex(' '));
    // The replayed bytes give the program the same frames as the original ones did.
    QCOMPARE(scanFrames(replayed(r)).inpLines, scanFrames(stream).inpLines);
}

void SimReplayTest::aNoisyStreamSurvivesTheRoundTrip() {
    // Frames of every kind with junk between them and some broken checksums.
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255), kind(0, 9);
    QByteArray stream;
    for (int n = 0; n < 2000; ++n) {
        SimTelemetry::Frame f = SimTelemetry::pack(byte(random) >> 5, byte(random), byte(random));
        switch (kind(random)) {
        case 0:
            f[3] ^= 0x55;
            break;
        case 1:
            stream.append(char(byte(random)));
            break;
        case 2:
            f[2] = 0; // a zero data byte: a candidate may start inside the frame
            f[3] = f[1];
            break;
        }
        stream += SimTelemetry::bytes(f);
    }
    const SimInpReplay::Result r = SimInpReplay::parse(logOf(stream, 1));
    QVERIFY(r.rejected > 100);
    QCOMPARE(replayed(r), bytesInCandidates(stream));
    QCOMPARE(scanFrames(replayed(r)).inpLines, scanFrames(stream).inpLines);
}

void SimReplayTest::sessionRunningPastMidnight() {
    const SimInpReplay::Result r = SimInpReplay::parse(
        "23:59:59.900  Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0\n"
        "00:00:00.100  Inp:[00 26 58 7E] chsum:Ok code:1 sig:600 pp:1 mp:0 bp:0\n"
        "00:00:01.100  Inp:[00 04 0F 13] chsum:Ok code:0 symbol:2/C number:15\n");
    QCOMPARE(r.chunks.size(), 3);
    QCOMPARE(r.chunks[1].offsetMs, 200);
    QCOMPARE(r.chunks[2].offsetMs, 1200);
}

void SimReplayTest::nothingToReplay() {
    const SimInpReplay::Result r =
        SimInpReplay::parse("09:05:03.012  Out:[01 8A 8B] send:3 bytes\nInp:[00 41 55] chsum:Ok\n");
    QCOMPARE(r.candidates, 0);
    QVERIFY(r.chunks.isEmpty());
    QCOMPARE(r.error, QStringLiteral("no \"Inp:[\" lines found"));
}

QTEST_GUILESS_MAIN(SimReplayTest)
#include "tst_sim_replay.moc"
