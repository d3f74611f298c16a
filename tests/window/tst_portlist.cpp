#include "serial/PortList.h"

#include <QtTest>

class PortListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entryText_data();
    void entryText();
    void merge_data();
    void merge();
};

void PortListTest::entryText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("COM255") << "COM255" << 255;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("letters") << "COMX" << 0;
    QTest::newRow("trailing junk") << "COM3a" << 0;
}

void PortListTest::entryText() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(portNumberOfEntry(text), number);
    if (number > 0)
        QCOMPARE(portEntryText(number), text);
}

using Numbers = QList<int>;

void PortListTest::merge_data() {
    QTest::addColumn<Numbers>("list");
    QTest::addColumn<int>("selected");
    QTest::addColumn<Numbers>("present");
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<Numbers>("expected");
    QTest::addColumn<int>("expectedSelected");

    QTest::newRow("empty list, remembered port present")
        << Numbers{} << -1 << Numbers{1, 3, 7} << 3 << Numbers{1, 3, 7} << 1;
    QTest::newRow("remembered port missing: the last entry")
        << Numbers{} << -1 << Numbers{1, 3, 7} << 9 << Numbers{1, 3, 7} << 2;
    QTest::newRow("no remembered port: the last entry")
        << Numbers{} << -1 << Numbers{2, 4} << 0 << Numbers{2, 4} << 1;
    QTest::newRow("new port inserted, selection follows its entry")
        << Numbers{3, 7} << 1 << Numbers{3, 5, 7} << 7 << Numbers{3, 5, 7} << 2;
    QTest::newRow("new port inserted after the selected one")
        << Numbers{1, 7} << 0 << Numbers{1, 5, 7} << 1 << Numbers{1, 5, 7} << 0;
    QTest::newRow("gone port removed, selection before it stays")
        << Numbers{1, 3, 7} << 0 << Numbers{1, 7} << 1 << Numbers{1, 7} << 0;
    QTest::newRow("selected entry after every present port stays")
        << Numbers{1, 9} << 1 << Numbers{1} << 9 << Numbers{1, 9} << 1;
    QTest::newRow("selected port gone: the last entry")
        << Numbers{1, 3, 7} << 1 << Numbers{1, 7} << 3 << Numbers{1, 7} << 1;
    QTest::newRow("selection moves with an entry removed before it")
        << Numbers{1, 3, 7} << 2 << Numbers{3, 7} << 0 << Numbers{3, 7} << 1;
    QTest::newRow("remembered port wins over the old selection")
        << Numbers{1, 3, 7} << 0 << Numbers{1, 3, 7} << 7 << Numbers{1, 3, 7} << 2;
    QTest::newRow("no ports at all") << Numbers{} << -1 << Numbers{} << 4 << Numbers{} << -1;
    QTest::newRow("every port gone but one after them")
        << Numbers{2, 5} << 0 << Numbers{} << 2 << Numbers{2, 5} << 0;
}

void PortListTest::merge() {
    QFETCH(Numbers, list);
    QFETCH(int, selected);
    QFETCH(Numbers, present);
    QFETCH(int, portNumber);
    QFETCH(Numbers, expected);
    QFETCH(int, expectedSelected);

    const PortListState result = MergePortList({list, selected}, present, portNumber);
    QCOMPARE(result.numbers, expected);
    QCOMPARE(result.selected, expectedSelected);
    QCOMPARE(result.selectedNumber(), expectedSelected >= 0 ? expected[expectedSelected] : 0);
}

QTEST_GUILESS_MAIN(PortListTest)
#include "tst_portlist.moc"
