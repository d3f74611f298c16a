// The simulator's own frame encoder, command decoder and signal model.

#include "SimCommand.h"
#include "SimSettings.h"
#include "SimSignalModel.h"
#include "SimTelemetry.h"

#include <QTest>

namespace {

QByteArray hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Feeds the bytes whole or one at a time, then lets the line go quiet.
QList<SimCommandDecoder::Result> decodeAll(bool checksummed, const QByteArray& bytes,
                                           bool byteByByte) {
    SimCommandDecoder decoder(checksummed);
    QList<SimCommandDecoder::Result> results;
    if (byteByByte) {
        for (char c : bytes)
            results += decoder.feed(QByteArray(1, c));
    } else {
        results += decoder.feed(bytes);
    }
    results += decoder.flush();
    return results;
}

} // namespace

class SimCodecTest : public QObject {
    Q_OBJECT
private slots:
    void telemetryFrames_data();
    void telemetryFrames();
    void acceptedCommands_data();
    void acceptedCommands();
    void rejectedCommands_data();
    void rejectedCommands();
    void completeFramesAreJudgedWithoutWaitingForQuiet();
    void decoderResynchronisesAfterJunk();
    void alarmRaisesTheDetectorsFlagsQuietGuardingDoesNot();
    void sweepRunsUpAndDown();
    void settingsFieldsKeepTheirWireWidths();
};

void SimCodecTest::telemetryFrames_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("wire");

    using namespace SimTelemetry;
    // The first four are the design's worked examples.
    QTest::newRow("Average aver 341 state 0") << bytes(average(341, 0)) << "00 41 55 96";
    QTest::newRow("Signal sig 600 pp") << bytes(signal(600, true, false, false)) << "00 26 58 7E";
    QTest::newRow("Position C15") << bytes(position(2, 15)) << "00 04 0F 13";
    QTest::newRow("Power pwr 400 out 0 freq 1") << bytes(power(1, 0, 400)) << "00 F1 90 81";
    QTest::newRow("Signal full scale, all flags")
        << bytes(signal(1023, true, true, true)) << "00 3F FF 3E";
    QTest::newRow("Average state 2") << bytes(average(341, 2)) << "00 49 55 9E";
    QTest::newRow("Sensitivity 12/20 variant 1") << bytes(sensitivity(12, 20, 1)) << "00 6C 34 A0";
    QTest::newRow("Section bp 20 reg 2 dist 31") << bytes(section(20, 2, 31)) << "00 94 5F F3";
    QTest::newRow("Speed dis 3 ref 1 amplif 2 vel 3/1")
        << bytes(speed(3, 1, 2, 3, 1)) << "00 BE 0D CB";
    QTest::newRow("Identity cs 1 adr 5 letter 3 prog 3 dev 4")
        << bytes(identity(1, 5, 3, 3, 4)) << "00 D5 DC B1";
    QTest::newRow("values wider than the field are cut")
        << bytes(position(18, 130)) << "00 04 02 06";
}

void SimCodecTest::telemetryFrames() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, wire);
    QCOMPARE(hexOf(frame), wire);
}

void SimCodecTest::acceptedCommands_data() {
    QTest::addColumn<bool>("checksummed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("mode adr 1 senspp 10")
        << true << hexBytes("018A8B") << "o_code:0 o_adr:1 o_ctrl_pp_mp:0 o_senspp:10 o_state:0";
    QTest::newRow("mode alignment")
        << true << hexBytes("03A5A8") << "o_code:0 o_adr:3 o_ctrl_pp_mp:0 o_senspp:5 o_state:1";
    QTest::newRow("thresholds") << true << hexBytes("2CF4A0")
                                << "o_code:1 o_sensmp:12 o_sensbp:20 o_letter:3";
    QTest::newRow("section") << true << hexBytes("4FDFAE")
                             << "o_code:2 o_vel_min:3 o_vel_max:3 o_dist:31 o_reg:2";
    QTest::newRow("position") << true << hexBytes("648FF3") << "o_code:3 o_symbol:2/C o_number:15";
    QTest::newRow("mode variant 2")
        << true << hexBytes("118A9B") << "o_code:0 o_adr:1 o_ctrl_pp_mp:1 o_senspp:10 o_state:0";
    QTest::newRow("cs 0: sent twice")
        << false << hexBytes("018A018A") << "o_code:0 o_adr:1 o_ctrl_pp_mp:0 o_senspp:10 o_state:0";
    QTest::newRow("cs 0: position twice")
        << false << hexBytes("648F648F") << "o_code:3 o_symbol:2/C o_number:15";
}

void SimCodecTest::acceptedCommands() {
    QFETCH(bool, checksummed);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, decoded);

    for (bool byteByByte : {false, true}) {
        // Two frames back to back must come out as two.
        const auto results = decodeAll(checksummed, bytes + bytes, byteByByte);
        QCOMPARE(results.size(), 2);
        for (const auto& r : results) {
            QVERIFY2(r.accepted, qPrintable(r.reason));
            QCOMPARE(r.raw, bytes);
            QCOMPARE(r.command.describe(), decoded);
        }
    }
}

void SimCodecTest::rejectedCommands_data() {
    QTest::addColumn<bool>("checksummed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rejections");
    QTest::addColumn<bool>("sameWhenSplit");

    QTest::newRow("wrong checksum") << true << hexBytes("018A8C")
                                    << QStringList{"[01 8A 8C] bad checksum, expected 8B"} << true;
    QTest::newRow("checksum byte missing")
        << true << hexBytes("018A") << QStringList{"[01 8A] wrong length 2"} << true;
    QTest::newRow("one byte too many")
        << true << hexBytes("018A8B8B") << QStringList{"[01 8A 8B 8B] wrong length 4"}
        << false; // a full frame is judged when its read ends
    QTest::newRow("cs 0 frame to a cs 1 detector")
        << true << hexBytes("018A018A")
        << QStringList{"[01 8A] wrong length 2", "[01 8A] wrong length 2"} << true;
    QTest::newRow("no start byte")
        << true << hexBytes("8A8B") << QStringList{"[8A 8B] no start byte"} << true;
    QTest::newRow("cs 0: only one copy")
        << false << hexBytes("018A") << QStringList{"[01 8A] no matching second copy"} << true;
    QTest::newRow("cs 0: copies differ")
        << false << hexBytes("018A018B")
        << QStringList{"[01 8A] no matching second copy", "[01 8B] no matching second copy"}
        << true;
    QTest::newRow("cs 1 frame to a cs 0 detector")
        << false << hexBytes("018A8B") << QStringList{"[01 8A 8B] wrong length 3"} << true;
}

void SimCodecTest::rejectedCommands() {
    QFETCH(bool, checksummed);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rejections);
    QFETCH(bool, sameWhenSplit);

    for (bool byteByByte : {false, true}) {
        if (byteByByte && !sameWhenSplit)
            continue;
        QStringList seen;
        for (const auto& r : decodeAll(checksummed, bytes, byteByByte)) {
            QVERIFY2(!r.accepted, qPrintable(hexOf(r.raw)));
            seen << QStringLiteral("[%1] %2").arg(hexOf(r.raw), r.reason);
        }
        QCOMPARE(seen, rejections);
    }
}

void SimCodecTest::completeFramesAreJudgedWithoutWaitingForQuiet() {
    // The program writes a whole frame at once; confirming it must not wait for a timer.
    SimCommandDecoder checksummed(true);
    QCOMPARE(checksummed.feed(hexBytes("2CF4A0")).size(), 1);
    QVERIFY(!checksummed.hasOpenFrame());

    SimCommandDecoder twice(false);
    QCOMPARE(twice.feed(hexBytes("2CF4")).size(), 0); // the second copy may follow
    QVERIFY(twice.hasOpenFrame());
    const auto results = twice.feed(hexBytes("2CF4"));
    QCOMPARE(results.size(), 1);
    QVERIFY(results.first().accepted);
    QCOMPARE(results.first().raw, hexBytes("2CF42CF4"));
    QVERIFY(!twice.hasOpenFrame());
}

void SimCodecTest::decoderResynchronisesAfterJunk() {
    SimCommandDecoder decoder(true);
    const auto results = decoder.feed(hexBytes("FF8A01"
                                               "2CF4A0"));
    QStringList kinds;
    for (const auto& r : results)
        kinds << (r.accepted ? QStringLiteral("ok [%1]") : QStringLiteral("ignored [%1]"))
                     .arg(hexOf(r.raw));
    QCOMPARE(kinds, (QStringList{"ignored [FF 8A]", "ignored [01]", "ok [2C F4 A0]"}));
}

void SimCodecTest::alarmRaisesTheDetectorsFlagsQuietGuardingDoesNot() {
    SimSignalModel model(7);
    const SimSignalModel::Thresholds thresholds{10, 10, 10};

    int flagged = 0;
    for (int ms = 0; ms < 5000; ms += 10) {
        const auto s = model.next(341, 1.5, -1, thresholds);
        QVERIFY(s.sig > 300 && s.sig < 380);
        flagged += s.pp || s.mp || s.bp;
    }
    QCOMPARE(flagged, 0);

    bool pp = false, mp = false, bp = false;
    for (int ms = 0; ms < SimSignalModel::AlarmPeriodMs; ms += 10) {
        const auto s = model.next(341, 1.5, ms, thresholds);
        pp = pp || s.pp;
        mp = mp || s.mp;
        bp = bp || s.bp;
        QVERIFY(!(s.pp && s.mp)); // one side of the level at a time
    }
    QVERIFY(pp && mp && bp);
}

void SimCodecTest::sweepRunsUpAndDown() {
    QCOMPARE(SimSignalModel::sweepLevel(0, 10000), 0.0);
    QCOMPARE(SimSignalModel::sweepLevel(2500, 10000), 511.5);
    QCOMPARE(SimSignalModel::sweepLevel(5000, 10000), 1023.0);
    QCOMPARE(SimSignalModel::sweepLevel(7500, 10000), 511.5);
    QCOMPARE(SimSignalModel::sweepLevel(12500, 10000), 511.5);
}

void SimCodecTest::settingsFieldsKeepTheirWireWidths() {
    SimSettings s;
    QString error;
    QVERIFY(s.setField("senspp", 31, &error));
    QCOMPARE(*s.field("senspp"), 31);
    QVERIFY(!s.setField("senspp", 32, &error));
    QCOMPARE(error, QStringLiteral("senspp must be 0..31, not 32"));
    QVERIFY(!s.setField("pwr", -1, &error));
    QVERIFY(s.setField("pwr", 1023, &error));
    QVERIFY(!s.setField("volume", 3, &error));
    QVERIFY(error.startsWith("unknown field 'volume'"));
    QCOMPARE(SimSettings::fieldNames().size(), 23);
    QCOMPARE(*s.field("pwr"), 1023); // a refused value changes nothing
}

QTEST_GUILESS_MAIN(SimCodecTest)
#include "tst_sim_codec.moc"
