#include "protocol/CommandSlots.h"

#include <QtTest>

namespace {

// Telemetry bytes for a detector with the given identity fields.
void storeIdentity(TelemetryTable& t, unsigned cs, unsigned adr = 1) {
    t.StoreFrame(6, 0x00, std::uint8_t(0xC0 | (cs << 4) | adr));
}

struct Sent {
    QList<QByteArray> frames;
    QList<QByteArray> lines;
};

// Runs one send step and records what went out and what was logged.
void sendStep(CommandSlots& commands, Sent& sent) {
    commands.SendPendingCommand(
        [&](const char* data, qint64 count) {
            sent.frames.append(QByteArray(data, count));
            return count;
        },
        [&](const QByteArray& line) { sent.lines.append(line); });
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encoders_data();
    void encoders();
    void outLines_data();
    void outLines();
    void threeSendsThenNextSlot();
    void confirmationStopsAndSharedCounterCarries();
    void modeConfirmationFollowsAlignment();
    void positionRepeatsAfterEveryMismatch();
    void rearmAndReset();
    void requestNormalMode();
    void requestAutomaticRegulation();
    void failedWriteKeepsBookkeeping();
};

void CommandsTest::encoders_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QList<unsigned>>("args");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("mode 1 10 0 0")
        << 0 << QList<unsigned>{1, 10, 0, 0} << QByteArray::fromHex("018A8B");
    QTest::newRow("mode 3 5 1 0") << 0 << QList<unsigned>{3, 5, 1, 0}
                                  << QByteArray::fromHex("03A5A8");
    QTest::newRow("threshold 12 20 3")
        << 1 << QList<unsigned>{12, 20, 3} << QByteArray::fromHex("2CF4A0");
    QTest::newRow("section 3 3 31 2")
        << 2 << QList<unsigned>{3, 3, 31, 2} << QByteArray::fromHex("4FDFAE");
    QTest::newRow("position 2 15") << 3 << QList<unsigned>{2, 15} << QByteArray::fromHex("648FF3");
    QTest::newRow("fields masked")
        << 3 << QList<unsigned>{2 + 16, 15 + 128} << QByteArray::fromHex("648FF3");
}

void CommandsTest::encoders() {
    QFETCH(int, slot);
    QFETCH(QList<unsigned>, args);
    QFETCH(QByteArray, bytes);
    TelemetryTable t;
    CommandSlots commands(t);
    switch (slot) {
    case 0:
        commands.EncodeModeCommand(args[0], args[1], args[2], args[3]);
        break;
    case 1:
        commands.EncodeThresholdCommand(args[0], args[1], args[2]);
        break;
    case 2:
        commands.EncodeSectionCommand(args[0], args[1], args[2], args[3]);
        break;
    default:
        commands.EncodePositionCommand(args[0], args[1]);
    }
    const CommandSlot& s = commands.slot(CommandCode(slot));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(s.bytes.data()), 3), bytes);
    QVERIFY(s.pending && s.awaiting && commands.HasPendingCommands());
}

void CommandsTest::outLines_data() {
    QTest::addColumn<unsigned>("cs");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("with checksum") << 1u
                                   << QByteArray("Out:[01 8A 8B] send:3 bytes o_code:0 o_adr:1 "
                                                 "o_ctrl_pp_mp:0 o_senspp:10 o_state:0  ");
    QTest::newRow("frame twice") << 0u
                                 << QByteArray("Out:[01 8A 01 8A] send:4 bytes o_code:0 o_adr:1 "
                                               "o_ctrl_pp_mp:0 o_senspp:10 o_state:0  ");
}

void CommandsTest::outLines() {
    QFETCH(unsigned, cs);
    QFETCH(QByteArray, line);
    TelemetryTable t;
    storeIdentity(t, cs);
    CommandSlots commands(t);
    commands.EncodeModeCommand(1, 10, 0, 0);
    Sent sent;
    sendStep(commands, sent);
    QCOMPARE(sent.lines, QList<QByteArray>{line});
    QCOMPARE(sent.frames.first().size(), cs ? 3 : 4);

    commands.EncodePositionCommand(2, 15);
    commands.ClearModeCommand();
    commands.RefreshSendFlag();
    Sent position;
    sendStep(commands, position);
    QVERIFY(position.lines.first().endsWith("o_code:3 o_symbol:2/C o_number:15"));
    if (cs)
        QCOMPARE(position.lines.first(),
                 QByteArray("Out:[64 8F F3] send:3 bytes o_code:3 o_symbol:2/C o_number:15"));

    CommandSlots others(t);
    others.EncodeThresholdCommand(12, 20, 3);
    others.EncodeSectionCommand(3, 3, 31, 2);
    Sent more;
    sendStep(others, more);
    QVERIFY(more.lines.first().endsWith("o_code:1 o_sensmp:12 o_sensbp:20 o_letter:3  "));
    for (int i = 0; i < 3; ++i)
        sendStep(others, more);
    QVERIFY(more.lines.last().endsWith("o_code:2 o_vel_min:3 o_vel_max:3 o_dist:31 o_reg:2  "));
}

void CommandsTest::threeSendsThenNextSlot() {
    TelemetryTable t;
    storeIdentity(t, 1);
    CommandSlots commands(t);
    commands.EncodeModeCommand(1, 10, 0, 0);
    commands.EncodeSectionCommand(3, 3, 31, 2);
    Sent sent;
    for (int i = 0; i < 7; ++i)
        sendStep(commands, sent);
    QCOMPARE(sent.frames.size(), 6);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(sent.frames[i], QByteArray::fromHex("018A8B"));
    for (int i = 3; i < 6; ++i)
        QCOMPARE(sent.frames[i], QByteArray::fromHex("4FDFAE"));
    QVERIFY(!commands.HasPendingCommands());
    QVERIFY(commands.slot(CommandCode::Mode).awaiting); // sent, not yet confirmed
    QCOMPARE(commands.repeatCounter(), 3);
}

void CommandsTest::confirmationStopsAndSharedCounterCarries() {
    TelemetryTable t;
    storeIdentity(t, 1, 0);
    CommandSlots commands(t);
    commands.EncodeThresholdCommand(12, 20, 3);
    commands.EncodeSectionCommand(3, 3, 31, 2);
    Sent sent;
    sendStep(commands, sent);
    // The detector reports the commanded thresholds and letter.
    t.StoreFrame(3, 12, 0x60);
    t.StoreFrame(4, 0, 0x80 | 20);
    t.StoreFrame(6, 0xC0, 0xD0);
    commands.ConfirmCommands(6);
    QVERIFY(!commands.slot(CommandCode::Threshold).awaiting);
    for (int i = 0; i < 5; ++i)
        sendStep(commands, sent);
    // One threshold frame, then the section frame only twice: the shared counter stood at 2.
    QCOMPARE(sent.frames.size(), 3);
    QCOMPARE(sent.frames[1], QByteArray::fromHex("4FDFAE"));
    QCOMPARE(sent.frames[2], QByteArray::fromHex("4FDFAE"));
}

void CommandsTest::modeConfirmationFollowsAlignment() {
    TelemetryTable t;
    storeIdentity(t, 1, 1);
    t.StoreFrame(3, 0, 0x60 | 10);
    CommandSlots commands(t);
    commands.EncodeModeCommand(1, 10, 1, 0); // ask for alignment
    t.StoreFrame(2, 0x55, 0x41);             // still normal
    commands.ConfirmCommands(2);
    QVERIFY(commands.slot(CommandCode::Mode).awaiting);
    t.StoreFrame(2, 0x55, 0x41 | (2 << 2)); // alignment
    commands.ConfirmCommands(5);            // not examined after a Speed frame
    QVERIFY(commands.slot(CommandCode::Mode).awaiting);
    commands.ConfirmCommands(2);
    QVERIFY(!commands.slot(CommandCode::Mode).awaiting);

    commands.EncodeModeCommand(1, 10, 0, 0); // back to normal: any state but 2 confirms
    t.StoreFrame(2, 0x55, 0x41 | (4 << 2));
    commands.ConfirmCommands(2);
    QVERIFY(!commands.slot(CommandCode::Mode).awaiting);
}

void CommandsTest::positionRepeatsAfterEveryMismatch() {
    TelemetryTable t;
    storeIdentity(t, 1);
    CommandSlots commands(t);
    commands.EncodePositionCommand(2, 15);
    Sent sent;
    for (int i = 0; i < 4; ++i)
        sendStep(commands, sent);
    QCOMPARE(sent.frames.size(), 3);
    t.StoreFrame(0, 14, 0x04); // A14: not what was asked
    commands.ConfirmCommands(0);
    commands.RefreshSendFlag();
    QVERIFY(commands.HasPendingCommands());
    sendStep(commands, sent);
    QCOMPARE(sent.frames.size(), 4);
    t.StoreFrame(0, 15, 0x04);
    commands.ConfirmCommands(0);
    commands.RefreshSendFlag();
    QVERIFY(!commands.HasPendingCommands());
    QVERIFY(!commands.slot(CommandCode::Position).awaiting);
}

void CommandsTest::rearmAndReset() {
    TelemetryTable t;
    storeIdentity(t, 1);
    CommandSlots commands(t);
    commands.EncodeModeCommand(1, 10, 1, 0);
    commands.EncodeThresholdCommand(12, 20, 3);
    Sent sent;
    for (int i = 0; i < 6; ++i)
        sendStep(commands, sent);
    QVERIFY(!commands.HasPendingCommands());
    commands.RearmUnconfirmedCommands();
    QVERIFY(commands.HasPendingCommands());
    QVERIFY(commands.slot(CommandCode::Mode).pending &&
            commands.slot(CommandCode::Threshold).pending);

    commands.ClearModeCommand();
    QVERIFY(!commands.slot(CommandCode::Mode).awaiting &&
            !commands.slot(CommandCode::Mode).pending);
    QVERIFY(commands.slot(CommandCode::Threshold).awaiting &&
            commands.slot(CommandCode::Threshold).pending);
    QVERIFY(!commands.HasPendingCommands()); // until the next good frame refreshes the flag
    commands.RefreshSendFlag();
    QVERIFY(commands.HasPendingCommands());
}

void CommandsTest::requestNormalMode() {
    TelemetryTable t;
    storeIdentity(t, 1, 5);
    t.StoreFrame(3, 0x20, 0x60 | 7); // ctrl_pp_mp 1, senspp 7
    CommandSlots commands(t);
    commands.RequestNormalMode();
    QCOMPARE(commands.slot(CommandCode::Mode).bytes[0], std::uint8_t(0x15));
    QCOMPARE(commands.slot(CommandCode::Mode).o_state(), 0u);

    // Awaiting a command that already asks for normal mode: unchanged.
    const auto before = commands.slot(CommandCode::Mode).bytes;
    t.StoreFrame(6, 0, 0xC0 | 0x10 | 9);
    commands.RequestNormalMode();
    QCOMPARE(commands.slot(CommandCode::Mode).bytes, before);

    // Awaiting alignment: re-encoded from the slot's own fields, not from telemetry.
    commands.EncodeModeCommand(3, 5, 1, 0);
    commands.RequestNormalMode();
    const CommandSlot& s = commands.slot(CommandCode::Mode);
    QCOMPARE(s.o_state(), 0u);
    QCOMPARE(s.o_adr(), 3u);
    QCOMPARE(s.o_senspp(), 5u);
}

void CommandsTest::requestAutomaticRegulation() {
    TelemetryTable t;
    t.StoreFrame(4, 0x00 | 10, 0x80); // dist 10, reg 0
    t.StoreFrame(5, 0x09, 0xA0);      // vel_max 2, vel_min 1
    CommandSlots commands(t);
    commands.RequestAutomaticRegulation();
    const CommandSlot& s = commands.slot(CommandCode::Section);
    QCOMPARE(s.o_reg(), 2u);
    QCOMPARE(s.o_dist(), 10u);
    QCOMPARE(s.o_vel_min(), 1u);
    QCOMPARE(s.o_vel_max(), 2u);
    commands.EncodeSectionCommand(0, 3, 20, 0);
    commands.RequestAutomaticRegulation();
    QCOMPARE(s.o_reg(), 2u);
    QCOMPARE(s.o_dist(), 20u);
    QCOMPARE(s.o_vel_max(), 3u);
}

void CommandsTest::failedWriteKeepsBookkeeping() {
    TelemetryTable t;
    storeIdentity(t, 1);
    CommandSlots commands(t);
    commands.EncodeModeCommand(1, 10, 0, 0);
    QList<QByteArray> lines;
    for (int i = 0; i < 3; ++i)
        commands.SendPendingCommand([](const char*, qint64) { return qint64(0); },
                                    [&](const QByteArray& l) { lines.append(l); });
    QVERIFY(lines.first().startsWith("Out:[01 8A 8B] send:0 bytes "));
    QVERIFY(!commands.HasPendingCommands());
    QVERIFY(commands.slot(CommandCode::Mode).awaiting);
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
