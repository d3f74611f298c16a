#include "protocol/Telemetry.h"

#include <QtTest>

class TelemetryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inpLine_data();
    void inpLine();
    void checkFrame_data();
    void checkFrame();
    void fieldsDecode();
    void freeBitsIgnored();
    void previousKeepsTheLastAverageOnly();
    void resetAndPause();
    void modeTexts();
};

void TelemetryTest::inpLine_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("average") << QByteArray::fromHex("00415596")
                             << QByteArray("Inp:[00 41 55 96] chsum:Ok code:2 aver:341 state:0");
    QTest::newRow("signal") << QByteArray::fromHex("0026587E")
                            << QByteArray(
                                   "Inp:[00 26 58 7E] chsum:Ok code:1 sig:600 pp:1 mp:0 bp:0");
    QTest::newRow("position") << QByteArray::fromHex("00040F13")
                              << QByteArray(
                                     "Inp:[00 04 0F 13] chsum:Ok code:0 symbol:2/C number:15");
    QTest::newRow("power") << QByteArray::fromHex("00F19081")
                           << QByteArray(
                                  "Inp:[00 F1 90 81] chsum:Ok code:7 pwr:400 out:0 freq:1 code:7");
    QTest::newRow("bad checksum") << QByteArray::fromHex("00415597")
                                  << QByteArray("Inp:[00 41 55 97] chsum:!!!Err!!! code:2 ");
    QTest::newRow("all zero logs Ok")
        << QByteArray::fromHex("00000000")
        << QByteArray("Inp:[00 00 00 00] chsum:Ok code:0 symbol:0/A number:0");
    // Sensitivity: senspp 12 in B, ctrl_pp_mp 1 and sensmp 20 in A.
    QTest::newRow("sensitivity")
        << QByteArray::fromHex("006C34A0")
        << QByteArray("Inp:[00 6C 34 A0] chsum:Ok code:3 sensmp:20 senspp:12 ctrl_pp_mp:1");
}

void TelemetryTest::inpLine() {
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, line);
    const auto* w = reinterpret_cast<const std::uint8_t*>(wire.constData());
    QCOMPARE(BuildInpLine(w[0], w[1], w[2], w[3]), line);
}

void TelemetryTest::checkFrame_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("good");
    QTest::newRow("good") << QByteArray::fromHex("00415596") << true;
    QTest::newRow("checksum wraps") << QByteArray::fromHex("00F19081") << true;
    QTest::newRow("wrong checksum") << QByteArray::fromHex("00415597") << false;
    QTest::newRow("no lead byte") << QByteArray::fromHex("01415596") << false;
    QTest::newRow("all zero") << QByteArray::fromHex("00000000") << false;
}

void TelemetryTest::checkFrame() {
    QFETCH(QByteArray, wire);
    QFETCH(bool, good);
    const auto* w = reinterpret_cast<const std::uint8_t*>(wire.constData());
    QCOMPARE(CheckFrame(w[0], w[1], w[2], w[3]), good);
}

void TelemetryTest::fieldsDecode() {
    TelemetryTable t;
    t.StoreFrame(1, 0x58, 0x26 | 0x10 | 0x08); // sig 600 with all three flags
    QCOMPARE(t.sig(), 600u);
    QCOMPARE(t.pp(), 1u);
    QCOMPARE(t.mp(), 1u);
    QCOMPARE(t.bp(), 1u);
    t.StoreFrame(2, 0x55, 0x41 | (4 << 2)); // aver 341, state 4
    QCOMPARE(t.aver(), 341u);
    QCOMPARE(t.state(), 4u);
    t.StoreFrame(4, 0x40 | 0x1F, 0x80 | 9); // reg 2, dist 31, sensbp 9
    QCOMPARE(t.reg(), 2u);
    QCOMPARE(t.dist(), 31u);
    QCOMPARE(t.sensbp(), 9u);
    t.StoreFrame(5, 0x0E,
                 0xA0 | 0x18 | 0x04 | 0x02); // vel_max 3, vel_min 2, dis 3, ref 1, amplif 2
    QCOMPARE(t.vel_min(), 2u);
    QCOMPARE(t.vel_max(), 3u);
    QCOMPARE(t.dis(), 3u);
    QCOMPARE(t.ref(), 1u);
    QCOMPARE(t.amplif(), 2u);
    t.StoreFrame(6, 0xC0 | 0x28 | 0x05,
                 0xC0 | 0x10 | 0x0B); // letter 3, prog 5, dev 5, cs 1, adr 11
    QCOMPARE(t.letter(), 3u);
    QCOMPARE(t.prog(), 5u);
    QCOMPARE(t.dev(), 5u);
    QCOMPARE(t.cs(), 1u);
    QCOMPARE(t.adr(), 11u);
    t.StoreFrame(7, 0x90, 0xF1 | 0x0C); // pwr 400, out 3, freq 1
    QCOMPARE(t.pwr(), 400u);
    QCOMPARE(t.out(), 3u);
    QCOMPARE(t.freq(), 1u);
}

void TelemetryTest::freeBitsIgnored() {
    TelemetryTable plain, noisy;
    plain.StoreFrame(0, 0x0F, 0x04);
    noisy.StoreFrame(0, 0x8F, 0x05); // A bit 7 and B bit 0 are free
    QCOMPARE(noisy.symbol(), plain.symbol());
    QCOMPARE(noisy.number(), plain.number());
    QCOMPARE(plain.symbol(), 2u);
    QCOMPARE(plain.number(), 15u);
}

void TelemetryTest::previousKeepsTheLastAverageOnly() {
    TelemetryTable t;
    t.StoreFrame(1, 0x58, 0x26);
    t.StoreFrame(2, 0x55, 0x41);            // state 0
    t.StoreFrame(2, 0x55, 0x41 | (2 << 2)); // state 2
    QCOMPARE(t.state(), 2u);
    QCOMPARE(t.previousState(), 0u);
    QCOMPARE(t.previous(2).A, std::uint8_t(0x55));
    QCOMPARE(t.previous(1).A, std::uint8_t(0)); // an Average frame never touches Signal's
    t.StoreFrame(3, 1, 0x61);
    QCOMPARE(t.previous(3).B, std::uint8_t(0));
}

void TelemetryTest::resetAndPause() {
    TelemetryTable t;
    t.StoreFrame(2, 0x55, 0x41 | (1 << 2));
    t.StoreFrame(6, 0x01, 0xD3);
    t.MarkPause();
    QCOMPARE(t.state(), unsigned(ModePause));
    QCOMPARE(t.previousState(), unsigned(ModeAlarm));
    QCOMPARE(t.aver(), 341u); // only the state bits change
    t.Reset();
    QCOMPARE(t.state(), unsigned(ModeNoLink));
    QCOMPARE(t.previousState(), unsigned(ModeNoLink));
    QCOMPARE(t.aver(), 0u);
    QCOMPARE(t.adr(), 0u);
}

void TelemetryTest::modeTexts() {
    const char* expected[] = {
        "Норма",  "Тревога",   "Юстировка", "Неисправность", "Смен настроек с датчика",
        "state5", "Нет связи", "Пауза"};
    for (unsigned s = 0; s < 8; ++s)
        QCOMPARE(modeText(s), QString::fromUtf8(expected[s]));
}

QTEST_GUILESS_MAIN(TelemetryTest)
#include "tst_telemetry.moc"
