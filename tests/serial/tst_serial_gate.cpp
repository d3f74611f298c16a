#include "serial/SerialGate.h"

#include "PtyPair.h"

#include <QtTest>

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kPtyPort = 7;

SerialGate::OpenFailure failureOf(int value) {
    return static_cast<SerialGate::OpenFailure>(value);
}

QByteArray allByteValues() {
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

QByteArray readAll(SerialGate& gate) {
    char buffer[512];
    const qint64 n = gate.read(buffer, sizeof buffer);
    return QByteArray(buffer, int(n));
}

// Runs the code as another user when the test runs as root, whom file permissions never stop.
class EffectiveUser {
public:
    explicit EffectiveUser(uid_t uid) : m_saved(::geteuid()) { m_switched = ::seteuid(uid) == 0; }
    ~EffectiveUser() {
        if (m_switched)
            (void)::seteuid(m_saved);
    }
    bool switched() const { return m_switched; }

private:
    uid_t m_saved;
    bool m_switched = false;
};

// Counts socket notifier activations: a port that keeps reporting errors shows up here.
class SocketActivityCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::SockAct)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestSerialGate : public QObject {
    Q_OBJECT

private slots:
    void readsOnlyWhatHasArrived() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        gate.catalog().setOverrides({{kPtyPort, pty.slavePath()}});
        QSignalSpy arrived(&gate, &SerialGate::readyRead);

        QVERIFY2(gate.open(kPtyPort), qPrintable(gate.openFailureText()));
        QVERIFY(gate.isOpen());
        QCOMPARE(gate.openFailure(), SerialGate::OpenFailure::None);
        QCOMPARE(gate.devicePath(), pty.slavePath());

        char buffer[100];
        QCOMPARE(gate.read(buffer, 100), 0);

        QVERIFY(pty.send(QByteArray("\x00\x21\x05\x26\x00", 5)));
        QTRY_COMPARE(gate.bytesAvailable(), 5);
        QVERIFY(arrived.count() >= 1);
        QCOMPARE(gate.read(buffer, 100), 5);
        QCOMPARE(QByteArray(buffer, 5), QByteArray("\x00\x21\x05\x26\x00", 5));
        QCOMPARE(gate.read(buffer, 100), 0);

        // A short read leaves the rest for the next one.
        QVERIFY(pty.send("0123456789"));
        QTRY_COMPARE(gate.bytesAvailable(), 10);
        QCOMPARE(gate.read(buffer, 4), 4);
        QCOMPARE(gate.read(buffer + 4, 100), 6);
        QCOMPARE(QByteArray(buffer, 10), QByteArray("0123456789"));
    }

    void writeReachesTheLineWithoutTheEventLoop() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));

        // No event loop turn between write() and the check: the bytes went out at once.
        QCOMPARE(gate.write("\xA1\x0F\xB0", 3), 3);
        QCOMPARE(pty.receive(3), QByteArray("\xA1\x0F\xB0", 3));
    }

    void binaryBytesPassUnchanged() {
        // XON/XOFF, CR/LF and the other control bytes are ordinary frame bytes.
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));
        const QByteArray bytes = allByteValues();

        QCOMPARE(gate.write(bytes.constData(), bytes.size()), bytes.size());
        QCOMPARE(pty.receive(bytes.size()), bytes);

        QVERIFY(pty.send(bytes));
        QTRY_COMPARE(gate.bytesAvailable(), bytes.size());
        QCOMPARE(readAll(gate), bytes);
    }

    void guards_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("nullBuffer");
        QTest::addColumn<int>("count");

        QTest::newRow("closed gate") << false << false << 3;
        QTest::newRow("null buffer") << true << true << 3;
        QTest::newRow("count 0") << true << false << 0;
        QTest::newRow("negative count") << true << false << -1;
    }

    void guards() {
        QFETCH(bool, open);
        QFETCH(bool, nullBuffer);
        QFETCH(int, count);

        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        if (open)
            QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));
        QVERIFY(pty.send("abc"));
        if (open)
            QTRY_COMPARE(gate.bytesAvailable(), 3);

        char buffer[8] = {'x', 'y', 'z'};
        char* target = nullBuffer ? nullptr : buffer;
        QCOMPARE(gate.write(target, count), 0);
        QCOMPARE(gate.read(target, count), 0);
        QCOMPARE(buffer[0], 'x');
        // Nothing was sent and nothing received was consumed.
        QCOMPARE(pty.receive(1, 50), QByteArray());
        QCOMPARE(gate.bytesAvailable(), open ? 3 : 0);
    }

    void lineSettings_data() {
        QTest::addColumn<bool>("hardwareFlowBefore");
        QTest::newRow("no hardware flow control") << false;
        QTest::newRow("hardware flow control kept") << true;
    }

    void lineSettings() {
        QFETCH(bool, hardwareFlowBefore);

        PtyPair pty;
        QVERIFY(pty.isValid());
        termios before = pty.slaveSettings();
        // Settings another program may have left: 7E2 at 9600 with XON/XOFF.
        cfsetispeed(&before, B9600);
        cfsetospeed(&before, B9600);
        before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
        before.c_iflag |= IXON | IXOFF;
        if (hardwareFlowBefore)
            before.c_cflag |= CRTSCTS;
        else
            before.c_cflag &= ~CRTSCTS;
        QCOMPARE(tcsetattr(pty.masterFd(), TCSANOW, &before), 0);

        SerialGate gate;
        QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));
        const termios after = pty.slaveSettings();
        QCOMPARE(cfgetospeed(&after), speed_t(B57600));
        QCOMPARE(cfgetispeed(&after), speed_t(B57600));
        QCOMPARE(after.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(after.c_cflag & PARENB, tcflag_t(0));
        QCOMPARE(after.c_cflag & CSTOPB, tcflag_t(0));
        QCOMPARE(after.c_iflag & (IXON | IXOFF), tcflag_t(0));
        QCOMPARE((after.c_cflag & CRTSCTS) != 0, hardwareFlowBefore);
    }

    void reopenReleasesThePreviousPort() {
        PtyPair first;
        PtyPair second;
        QVERIFY(first.isValid() && second.isValid());
        SerialGate gate;
        gate.catalog().setOverrides({{1, first.slavePath()}, {2, second.slavePath()}});

        QVERIFY2(gate.open(1), qPrintable(gate.openFailureText()));
        QVERIFY2(gate.open(1),
                 qPrintable(gate.openFailureText())); // the port this gate already holds
        QVERIFY2(gate.open(2), qPrintable(gate.openFailureText()));
        QCOMPARE(gate.devicePath(), second.slavePath());

        SerialGate other;
        QVERIFY2(other.openDevice(first.slavePath()), qPrintable(other.openFailureText()));
        QVERIFY(!other.openDevice(second.slavePath()));

        // The gate talks to the second port only.
        QCOMPARE(gate.write("ok", 2), 2);
        QCOMPARE(second.receive(2), QByteArray("ok"));
        QCOMPARE(first.receive(1, 50), QByteArray());
    }

    void openFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failure");

        QTest::newRow("missing device") << "missing" << int(SerialGate::OpenFailure::Absent);
        QTest::newRow("dangling symlink") << "dangling" << int(SerialGate::OpenFailure::Absent);
        QTest::newRow("number without a device")
            << "number 0" << int(SerialGate::OpenFailure::Absent);
        QTest::newRow("configured port not there")
            << "number 9" << int(SerialGate::OpenFailure::Absent);
        QTest::newRow("not a terminal") << "regular file" << int(SerialGate::OpenFailure::Other);
    }

    void openFailures() {
        QFETCH(QString, kind);
        QFETCH(int, failure);

        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
        SerialGate gate;
        gate.catalog().setOverrides({{9, missing}});
        bool opened = true;
        if (kind == QLatin1String("missing")) {
            opened = gate.openDevice(missing);
        } else if (kind == QLatin1String("dangling")) {
            const QString link = dir.filePath(QStringLiteral("detector"));
            QVERIFY(QFile::link(missing, link));
            opened = gate.openDevice(link);
        } else if (kind == QLatin1String("number 0")) {
            opened = gate.open(0);
        } else if (kind == QLatin1String("number 9")) {
            opened = gate.open(9);
        } else {
            QFile file(dir.filePath(QStringLiteral("plain")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            opened = gate.openDevice(file.fileName());
        }

        QVERIFY(!opened);
        QVERIFY(!gate.isOpen());
        QCOMPARE(gate.openFailure(), failureOf(failure));
        QVERIFY(gate.openFailureText().startsWith(SerialGate::describe(failureOf(failure))));
        char buffer[4] = {};
        QCOMPARE(gate.read(buffer, 4), 0);
        QCOMPARE(gate.write(buffer, 4), 0);
    }

    void failureTexts() {
        QCOMPARE(SerialGate::describe(SerialGate::OpenFailure::None), QString());
        QCOMPARE(SerialGate::describe(SerialGate::OpenFailure::Absent),
                 QStringLiteral("порт отсутствует"));
        QCOMPARE(SerialGate::describe(SerialGate::OpenFailure::Busy),
                 QStringLiteral("порт занят другой программой"));
        QCOMPARE(SerialGate::describe(SerialGate::OpenFailure::NoPermission),
                 QStringLiteral("нет прав доступа: добавьте пользователя в группу dialout"));
    }

    void busyWhileAnotherGateHoldsIt() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("detector"));
        QVERIFY(QFile::link(pty.slavePath(), link));

        SerialGate holder;
        QVERIFY2(holder.openDevice(link), qPrintable(holder.openFailureText()));

        // Under its own name and through the link alike.
        for (const QString& path : {pty.slavePath(), link}) {
            SerialGate second;
            QVERIFY(!second.openDevice(path));
            QCOMPARE(second.openFailure(), SerialGate::OpenFailure::Busy);
            QCOMPARE(second.openFailureText(), QStringLiteral("порт занят другой программой"));
        }

        // The failed attempts did not disturb the holder.
        QVERIFY(holder.isOpen());
        QCOMPARE(holder.write("x", 1), 1);
        QCOMPARE(pty.receive(1), QByteArray("x"));
    }

    void noPermission() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        const QByteArray device = QFile::encodeName(pty.slavePath());
        QCOMPARE(::chmod(device.constData(), 0), 0);

        SerialGate gate;
        bool opened = true;
        {
            // Root passes every permission check; look at the device as user "nobody".
            EffectiveUser nobody(::geteuid() == 0 ? 65534 : ::geteuid());
            if (!nobody.switched())
                QSKIP("cannot change the effective user");
            opened = gate.openDevice(pty.slavePath());
        }
        QVERIFY(!opened);
        QCOMPARE(gate.openFailure(), SerialGate::OpenFailure::NoPermission);
        QVERIFY(gate.openFailureText().contains(QStringLiteral("dialout")));
    }

    void hangUpClosesOnceAndQuietly() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));
        QSignalSpy closed(&gate, &SerialGate::closedByError);
        QVERIFY(pty.send(QByteArray("\x00\x21\x05\x26", 4)));
        QTRY_COMPARE(gate.bytesAvailable(), 4);

        pty.closeMaster(); // the simulator quits, or the adapter is pulled
        QVERIFY(closed.wait(2000));
        QVERIFY(!gate.isOpen());
        QVERIFY(!gate.closeReason().isEmpty());
        QCOMPARE(closed.at(0).at(0).toString(), gate.closeReason());
        char buffer[8];
        QCOMPARE(gate.read(buffer, 8), 0);
        QCOMPARE(gate.write(buffer, 8), 0);

        // Once closed, the dead port no longer wakes the event loop.
        SocketActivityCounter activity;
        QCoreApplication::instance()->installEventFilter(&activity);
        QTest::qWait(300);
        QCoreApplication::instance()->removeEventFilter(&activity);
        QVERIFY2(activity.count < 5, qPrintable(QString::number(activity.count)));
        QCOMPARE(closed.count(), 1);

        // The next open attempt reports the port as unusable instead of opening a dead line.
        QVERIFY(!gate.openDevice(pty.slavePath()));
        QVERIFY(gate.closeReason().isEmpty());
    }

    void writeRefusesWhileTheLineIsBackedUp() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialGate gate;
        QVERIFY2(gate.openDevice(pty.slavePath()), qPrintable(gate.openFailureText()));

        // Nobody reads the other side: the driver buffer fills, then the gate's own queue.
        QByteArray sent;
        bool refused = false;
        for (int frame = 0; frame < 100000 && !refused; ++frame) {
            const QByteArray bytes = QByteArray::number(frame).rightJustified(8, '0');
            if (gate.write(bytes.constData(), bytes.size()) == bytes.size())
                sent += bytes;
            else
                refused = true;
        }
        QVERIFY(refused);
        QVERIFY2(gate.isOpen(), qPrintable(gate.closeReason())); // a full buffer is no error

        // Reading the other side lets everything accepted go out, in order.
        QByteArray received;
        QElapsedTimer timer;
        timer.start();
        while (received.size() < sent.size() && timer.elapsed() < 10000) {
            received += pty.drain();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCOMPARE(received.size(), sent.size());
        QVERIFY(received == sent);

        QCOMPARE(gate.write("again", 5), 5);
        QCOMPARE(pty.receive(5), QByteArray("again"));
    }
};

QTEST_GUILESS_MAIN(TestSerialGate)
#include "tst_serial_gate.moc"
