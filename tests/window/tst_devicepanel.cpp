#include "TelemetryFrames.h"
#include "common/Hints.h"
#include "protocol/DevicePanel.h"

#include <QLocale>
#include <QtTest>

using namespace panel;

namespace {

// A telemetry table holding the given Section, Sensitivity and Power fields.
TelemetryTable sectionTable(unsigned reg, unsigned ctrl, unsigned dist, unsigned senspp,
                            unsigned freq) {
    TelemetryTable t;
    t.StoreFrame(3, std::uint8_t(ctrl << 5), frameHighByte(3, senspp));
    t.StoreFrame(4, std::uint8_t((reg << 5) | dist), frameHighByte(4, 0));
    t.StoreFrame(7, 0, frameHighByte(7, freq << 4));
    return t;
}

} // namespace

class DevicePanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void modelNames_data();
    void modelNames();
    void outputAndAddress();
    void regulation();
    void modeLooks();
    void formats_data();
    void formats();
    void sensitivityByRegulation_data();
    void sensitivityByRegulation();
    void identificationLists();
    void identificationSurvivesBadCell();
    void hintTable();
};

void DevicePanelTest::modelNames_data() {
    QTest::addColumn<unsigned>("dev");
    QTest::addColumn<unsigned>("freq");
    QTest::addColumn<QString>("name");
    QTest::newRow("0/0") << 0u << 0u << "KVRS 10";
    QTest::newRow("1/1") << 1u << 1u << "Talvex-PC 24";
    QTest::newRow("2/1") << 2u << 1u << "VTQ/M 24";
    QTest::newRow("3/0") << 3u << 0u << "Ведрис-50 (9)";
    QTest::newRow("3/1") << 3u << 1u << "Ведрис-50";
    QTest::newRow("5/0") << 5u << 0u << "VTQ 10";
    QTest::newRow("7/0") << 7u << 0u << "Ведрис-300 (9)";
    QTest::newRow("7/1") << 7u << 1u << "Ведрис-300";
}

void DevicePanelTest::modelNames() {
    QFETCH(unsigned, dev);
    QFETCH(unsigned, freq);
    QFETCH(QString, name);
    QCOMPARE(modelName(dev, freq), name);
}

void DevicePanelTest::outputAndAddress() {
    QCOMPARE(outputTypeText(0, 0), QStringLiteral("Реле"));
    QCOMPARE(outputTypeText(0, 2), QStringLiteral("Радиоканал"));
    QCOMPARE(outputTypeText(4, 3), QStringLiteral("тип3"));
    // Model 2 has the OFDM output whatever it reports, and shows its address.
    QCOMPARE(outputTypeText(2, 0), QStringLiteral("OFDM"));
    QVERIFY(showsAddress(2, 0));
    QVERIFY(showsAddress(4, 1));
    QVERIFY(!showsAddress(4, 0));
    QVERIFY(!showsAddress(1, 2));
}

void DevicePanelTest::regulation() {
    QCOMPARE(regulationText(0, 1), QStringLiteral("Ручной"));
    QCOMPARE(regulationText(1, 0), QStringLiteral("Спец.1"));
    QCOMPARE(regulationText(1, 1), QStringLiteral("Спец.2"));
    QCOMPARE(regulationText(2, 1), QStringLiteral("Авто."));
    QCOMPARE(regulationText(3, 0), QStringLiteral("Авто.3"));
}

void DevicePanelTest::modeLooks() {
    const PanelColour white{PanelColour::Rgb, 0xFFFFFF};
    const PanelColour black{PanelColour::Rgb, 0x000000};
    const PanelColour yellow{PanelColour::Rgb, 0xFFFF00};
    const struct {
        unsigned state;
        const char* text;
        PanelColour background;
        PanelColour foreground;
    } rows[] = {
        {0, "Норма", {PanelColour::Rgb, 0x008000}, white},
        {1, "Тревога", {PanelColour::Rgb, 0xFF0000}, white},
        {2, "Юстировка", {PanelColour::Rgb, 0x00FF00}, black},
        {3, "Неисправность", yellow, black},
        {4, "Смен настроек с датчика", {PanelColour::Rgb, 0x0000FF}, white},
        {5, "state5", {PanelColour::ButtonFace, 0}, {PanelColour::WindowText, 0}},
        {6, "Нет связи", yellow, black},
        {7, "Пауза", yellow, black},
    };
    for (const auto& row : rows) {
        const ModeLook look = modeLook(row.state);
        QCOMPARE(look.text, QString::fromUtf8(row.text));
        QVERIFY2(look.background == row.background, row.text);
        QVERIFY2(look.foreground == row.foreground, row.text);
    }
}

void DevicePanelTest::formats_data() {
    QTest::addColumn<bool>("russian");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<QString>("average");
    QTest::newRow("C locale") << false << "0.4...10  м/с"
                              << "15.5  В"
                              << "4.444  мВ";
    QTest::newRow("Russian locale") << true << "0,4...10  м/с"
                                    << "15,5  В"
                                    << "4,444  мВ";
}

void DevicePanelTest::formats() {
    QFETCH(bool, russian);
    QFETCH(QString, speed);
    QFETCH(QString, supply);
    QFETCH(QString, average);
    QLocale::setDefault(russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    QCOMPARE(speedText(3, 3), speed);
    QCOMPARE(supplyText(SupplyScale{}, 400), supply);
    QCOMPARE(averageLevelText(0, 341, 1), average);
    // No group separator even where the locale has one.
    QCOMPARE(decimalText(1234.5, 1), russian ? QStringLiteral("1234,5") : QStringLiteral("1234.5"));
    QCOMPARE(sectionLengthText(0), QStringLiteral("0  м"));
    QCOMPARE(sectionLengthText(1), QStringLiteral("0  м"));
    QCOMPARE(sectionLengthText(31), QStringLiteral("300  м"));
    QCOMPARE(versionText(0, 1), QStringLiteral("0.1"));
    QCOMPARE(letterText(3), QStringLiteral("4"));
    QCOMPARE(positionText(0, 7), QStringLiteral("A07"));
    QCOMPARE(positionText(14, 15), QStringLiteral("O15"));
    QCOMPARE(positionText(0, 127), QStringLiteral("A127"));
}

void DevicePanelTest::sensitivityByRegulation_data() {
    QTest::addColumn<unsigned>("reg");
    QTest::addColumn<unsigned>("ctrl");
    QTest::addColumn<unsigned>("dist");
    QTest::addColumn<unsigned>("senspp");
    QTest::addColumn<unsigned>("freq");
    QTest::addColumn<QString>("text");
    QTest::newRow("manual: ПП code") << 0u << 0u << 5u << 10u << 0u << "80  %";
    QTest::newRow("special 1") << 1u << 0u << 5u << 10u << 0u << "---";
    QTest::newRow("special 2") << 1u << 1u << 5u << 10u << 0u << "---";
    QTest::newRow("auto, band 0, 10 m") << 2u << 0u << 2u << 0u << 0u << "70  %";
    QTest::newRow("auto, band 1, 10 m") << 2u << 0u << 2u << 0u << 1u << "40  %";
    QTest::newRow("auto 3 as auto") << 3u << 0u << 2u << 0u << 1u << "40  %";
}

void DevicePanelTest::sensitivityByRegulation() {
    QFETCH(unsigned, reg);
    QFETCH(unsigned, ctrl);
    QFETCH(unsigned, dist);
    QFETCH(unsigned, senspp);
    QFETCH(unsigned, freq);
    QFETCH(QString, text);
    QCOMPARE(sensitivityText(sectionTable(reg, ctrl, dist, senspp, freq), ScaleTables{}), text);
}

void DevicePanelTest::identificationLists() {
    const ScaleTables tables;
    const IdentificationLists narrow = buildIdentificationLists(0, tables);
    QCOMPARE(narrow.sensitivity.size(), 20);
    QCOMPARE(narrow.sensitivity.first(), QStringLiteral("100"));
    QCOMPARE(narrow.sensitivity.at(18), QStringLiteral("64"));
    QCOMPARE(narrow.sensitivity.last(), QStringLiteral("---"));
    QCOMPARE(narrow.pp.size(), 19);
    QVERIFY(narrow.notes.isEmpty());

    const IdentificationLists wide = buildIdentificationLists(1, tables);
    QCOMPARE(wide.sensitivity.size(), 33);
    QCOMPARE(wide.sensitivity.at(31), QStringLiteral("38"));
    QCOMPARE(wide.bp.size(), 32);
    // "#" rounds half away from zero: 10.9375 -> 11, 23.4375 -> 23, (31 + 15) * 100 / 64 -> 72.
    QCOMPARE(wide.pp.first(), QStringLiteral("11"));
    QCOMPARE(wide.bp.first(), QStringLiteral("23"));
    QCOMPARE(wide.bp.last(), QStringLiteral("72"));
}

void DevicePanelTest::identificationSurvivesBadCell() {
    ScaleTables tables;
    tables.setThresholdCell(ThresholdKind::MP, 5, QStringLiteral("1x"));
    tables.setThresholdCell(ThresholdKind::PP, 6, QStringLiteral("33,4"));
    const IdentificationLists lists = buildIdentificationLists(0, tables);
    // Every list is complete: the bad cell gives its code's default, 18.75 -> "19".
    QCOMPARE(lists.mp.size(), 19);
    QCOMPARE(lists.mp.at(5), QStringLiteral("19"));
    QCOMPARE(lists.pp.at(6), QStringLiteral("33"));
    QCOMPARE(lists.sensitivity.last(), QStringLiteral("---"));
    QCOMPARE(lists.notes.size(), 1);
    QVERIFY(lists.notes.first().contains(QStringLiteral("MP5")));
    QVERIFY(lists.notes.first().contains(QStringLiteral("\"1x\"")));
}

void DevicePanelTest::hintTable() {
    QCOMPARE(HintCount, 19);
    QCOMPARE(hintEntry(3).text, QStringLiteral("Выберете COM-порт подключения извещателя ..."));
    QCOMPARE(hintEntry(6).text, QStringLiteral("Выберете режим 'Юстировка' или 'Настройка'."));
    QCOMPARE(hintEntry(13).text, hintEntry(14).text);
    QCOMPARE(hintEntry(10).text, hintEntry(15).text);
    for (int i = 0; i < HintCount; ++i) {
        const bool red = i == 10 || i == 15 || i == 16;
        const HintColour expected = i == 18 ? HintColour::None
                                    : red   ? HintColour::Red
                                            : HintColour::Blue;
        QCOMPARE(int(hintEntry(i).colour), int(expected));
    }
    QVERIFY(hintEntry(0).text.isEmpty());
    QVERIFY(hintEntry(18).text.isEmpty());
    QCOMPARE(int(hintEntry(19).colour), int(HintColour::None));
    QCOMPARE(hintColourRgb(HintColour::Red), 0xFF0000u);
    QCOMPARE(hintColourRgb(HintColour::None, 0x123456), 0x123456u);
}

QTEST_GUILESS_MAIN(DevicePanelTest)
#include "tst_devicepanel.moc"
