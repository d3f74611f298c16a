#include "serial/PortCatalog.h"

#include <QtTest>

namespace {

// A temporary /dev and /sys/class/tty: tty entries with their UART "type", device nodes
// (plain files do here) and /dev/serial links.
class FakeSystem {
public:
    FakeSystem() {
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("dev/serial/by-id"));
        root.mkpath(QStringLiteral("dev/serial/by-path"));
        root.mkpath(QStringLiteral("sys/class/tty"));
    }

    QString dev() const { return m_root.path() + QStringLiteral("/dev"); }
    QString sys() const { return m_root.path() + QStringLiteral("/sys/class/tty"); }
    PortCatalog catalog() const { return PortCatalog(PortCatalogRoots{dev(), sys()}); }

    // typeText empty: no "type" attribute at all.
    void addTty(const QString& name, const QString& typeText = {}, bool deviceNode = true) {
        QDir(sys()).mkpath(name);
        if (!typeText.isEmpty())
            writeFile(sys() + '/' + name + QStringLiteral("/type"), typeText.toLatin1() + '\n');
        if (deviceNode)
            writeFile(dev() + '/' + name, {});
    }

    void addSerialLink(const QString& kind, const QString& linkName, const QString& device) {
        QVERIFY(QFile::link(QStringLiteral("../../") + device,
                            dev() + QStringLiteral("/serial/") + kind + '/' + linkName));
    }

private:
    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir m_root;
};

QList<int> numbersOf(const ComPortTable& table) {
    QList<int> numbers;
    for (const ComPortEntry& entry : table)
        numbers.append(entry.Number);
    return numbers;
}

} // namespace

class TestPortCatalog : public QObject {
    Q_OBJECT

private slots:
    // One device in an otherwise empty system: is it listed, and as which COM number.
    void numbering_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("deviceNode");
        QTest::addColumn<int>("number"); // 0: not listed

        QTest::newRow("ttyS0 is COM1") << "ttyS0"
                                       << "4" << true << 1;
        QTest::newRow("ttyS3 is COM4") << "ttyS3"
                                       << "4" << true << 4;
        QTest::newRow("ttyS99 is COM100") << "ttyS99"
                                          << "4" << true << 100;
        QTest::newRow("ttyS100 is outside the legacy range") << "ttyS100"
                                                             << "4" << true << 0;
        QTest::newRow("phantom ttyS (type 0)") << "ttyS1"
                                               << "0" << true << 0;
        QTest::newRow("ttyS without a type attribute") << "ttyS5"
                                                       << "" << true << 6;
        QTest::newRow("ttyS without a device node") << "ttyS2"
                                                    << "4" << false << 0;
        QTest::newRow("ttyUSB0 is COM101") << "ttyUSB0"
                                           << "" << true << 101;
        QTest::newRow("ttyUSB99 is COM200") << "ttyUSB99"
                                            << "" << true << 200;
        QTest::newRow("ttyUSB100 is outside its range") << "ttyUSB100"
                                                        << "" << true << 0;
        QTest::newRow("ttyACM0 is COM201") << "ttyACM0"
                                           << "" << true << 201;
        QTest::newRow("ttyACM54 is COM255") << "ttyACM54"
                                            << "" << true << 255;
        QTest::newRow("ttyACM55 would be above 255") << "ttyACM55"
                                                     << "" << true << 0;
        QTest::newRow("USB type is not checked") << "ttyUSB2"
                                                 << "0" << true << 103;
        QTest::newRow("virtual console") << "tty0"
                                         << "" << true << 0;
        QTest::newRow("other UART family") << "ttySAC0"
                                           << "4" << true << 0;
        QTest::newRow("leading zero") << "ttyUSB07"
                                      << "" << true << 0;
        QTest::newRow("no index") << "ttyUSB"
                                  << "" << true << 0;
    }

    void numbering() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(bool, deviceNode);
        QFETCH(int, number);

        FakeSystem system;
        system.addTty(name, type, deviceNode);
        const ComPortTable table = system.catalog().EnumComPorts();

        if (number == 0) {
            QVERIFY2(table.isEmpty(),
                     qPrintable(QStringLiteral("listed as COM%1").arg(table.value(0).Number)));
            return;
        }
        QCOMPARE(table.size(), 1);
        QCOMPARE(table[0].Number, number);
        QVERIFY(table[0].Present);
        QVERIFY(!table[0].configured);
        QCOMPARE(table[0].devicePath, system.dev() + '/' + name);
        // The rule works both ways: the number leads back to the same device.
        QCOMPARE(system.catalog().devicePathFor(number), table[0].devicePath);
    }

    void orderedByNumberWhateverTheDirectoryOrder() {
        FakeSystem system;
        for (const char* name : {"ttyUSB1", "ttyS10", "ttyACM0", "ttyS2", "ttyUSB0", "ttyS1"})
            system.addTty(QString::fromLatin1(name), QStringLiteral("4"));
        system.addTty(QStringLiteral("ttyS0"), QStringLiteral("0"));

        QCOMPARE(numbersOf(system.catalog().EnumComPorts()), (QList<int>{2, 3, 11, 101, 102, 201}));
    }

    void usbPortsRememberTheirStablestName() {
        FakeSystem system;
        system.addTty(QStringLiteral("ttyS0"), QStringLiteral("4"));
        system.addTty(QStringLiteral("ttyUSB0"));
        system.addTty(QStringLiteral("ttyUSB1"));
        system.addTty(QStringLiteral("ttyUSB2"));
        system.addTty(QStringLiteral("ttyACM0"));
        // by-id wins over by-path; an adapter without a serial number has only by-path.
        system.addSerialLink(QStringLiteral("by-path"), QStringLiteral("pci-0:1.0-port0"),
                             QStringLiteral("ttyUSB0"));
        system.addSerialLink(QStringLiteral("by-id"), QStringLiteral("usb-FTDI_A1-if00-port0"),
                             QStringLiteral("ttyUSB0"));
        system.addSerialLink(QStringLiteral("by-path"), QStringLiteral("pci-0:2.0-port0"),
                             QStringLiteral("ttyUSB1"));
        // Two interfaces of one device: the first name is taken, so the choice never flips.
        system.addSerialLink(QStringLiteral("by-id"), QStringLiteral("usb-Board_B-if02"),
                             QStringLiteral("ttyACM0"));
        system.addSerialLink(QStringLiteral("by-id"), QStringLiteral("usb-Board_B-if00"),
                             QStringLiteral("ttyACM0"));
        // A link whose device is gone leads nowhere and is ignored.
        system.addSerialLink(QStringLiteral("by-id"), QStringLiteral("usb-Gone-if00"),
                             QStringLiteral("ttyUSB9"));

        const ComPortTable table = system.catalog().EnumComPorts();
        QCOMPARE(numbersOf(table), (QList<int>{1, 101, 102, 103, 201}));
        const QString byId = system.dev() + QStringLiteral("/serial/by-id/");
        const QString byPath = system.dev() + QStringLiteral("/serial/by-path/");
        QCOMPARE(table[0].stablePath, system.dev() + QStringLiteral("/ttyS0"));
        QCOMPARE(table[1].stablePath, byId + QStringLiteral("usb-FTDI_A1-if00-port0"));
        QCOMPARE(table[2].stablePath, byPath + QStringLiteral("pci-0:2.0-port0"));
        QCOMPARE(table[3].stablePath, system.dev() + QStringLiteral("/ttyUSB2"));
        QCOMPARE(table[4].stablePath, byId + QStringLiteral("usb-Board_B-if00"));
        // What is opened stays the device node.
        QCOMPARE(table[1].devicePath, system.dev() + QStringLiteral("/ttyUSB0"));
    }

    void overridesAddAndReplacePorts() {
        FakeSystem system;
        system.addTty(QStringLiteral("ttyS0"), QStringLiteral("4"));
        system.addTty(QStringLiteral("ttyS1"), QStringLiteral("4"));
        system.addTty(QStringLiteral("ttyUSB0"));
        PortCatalog catalog = system.catalog();
        catalog.setOverrides({
            {2, QStringLiteral("/dev/pts/7")},          // replaces ttyS1
            {5, QStringLiteral(" /tmp/detector-sim ")}, // adds a port; the device may not exist yet
            {250, QStringLiteral("/dev/serial/by-id/usb-FTDI_A1-if00-port0")},
            {0, QStringLiteral("/dev/pts/1")},   // not a port number
            {256, QStringLiteral("/dev/pts/2")}, // above the range
            {9, QStringLiteral("  ")},           // no path
        });

        const ComPortTable table = catalog.EnumComPorts();
        QCOMPARE(numbersOf(table), (QList<int>{1, 2, 5, 101, 250}));
        QCOMPARE(table[0].devicePath, system.dev() + QStringLiteral("/ttyS0"));
        QVERIFY(!table[0].configured);
        QCOMPARE(table[1].devicePath, QStringLiteral("/dev/pts/7"));
        QCOMPARE(table[1].stablePath, QStringLiteral("/dev/pts/7"));
        QVERIFY(table[1].configured);
        QCOMPARE(table[2].devicePath, QStringLiteral("/tmp/detector-sim"));
        QVERIFY(table[2].Present);
        QCOMPARE(table[4].devicePath, QStringLiteral("/dev/serial/by-id/usb-FTDI_A1-if00-port0"));

        QCOMPARE(catalog.devicePathFor(2), QStringLiteral("/dev/pts/7"));
        QCOMPARE(catalog.devicePathFor(5), QStringLiteral("/tmp/detector-sim"));
        QCOMPARE(catalog.devicePathFor(9), system.dev() + QStringLiteral("/ttyS8"));
        QCOMPARE(catalog.devicePathFor(0), QString());
        QCOMPARE(catalog.devicePathFor(256), QString());
        QCOMPARE(catalog.overrides().keys(), (QList<int>{2, 5, 250}));

        // New overrides replace the old ones entirely.
        catalog.setOverrides({});
        QCOMPARE(numbersOf(catalog.EnumComPorts()), (QList<int>{1, 2, 101}));
        QCOMPARE(catalog.devicePathFor(2), system.dev() + QStringLiteral("/ttyS1"));
    }

    void emptySystemListsNothing() {
        // Roots that do not exist at all, as on a machine without sysfs tty entries.
        const PortCatalog catalog(PortCatalogRoots{QStringLiteral("/nonexistent/dev"),
                                                   QStringLiteral("/nonexistent/sys")});
        QVERIFY(catalog.EnumComPorts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortCatalog)
#include "tst_port_catalog.moc"
