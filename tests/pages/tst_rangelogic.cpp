#include "ReportFrames.h"
#include "pages/RangeSettingsLogic.h"
#include "protocol/CommandSlots.h"

#include <QtTest>

namespace {

ThresholdLists defaultLists(int codes, bool withNone = true) {
    return BuildThresholdLists(codes, withNone, DefaultThresholdPercent);
}

// The page as it stands after Show with the position designation on screen.
RangeSelectors shownFor(const RangeReport& r, const ScaleTables& tables, int codes = 32) {
    RangeSelectors s = InitialRangeSelectors();
    SetThresholdLists(s, defaultLists(codes));
    s.symbol.visible = s.tens.visible = s.units.visible = true;
    PrepareShow(s, r);
    LoadFromReport(s, r, tables);
    return s;
}

QString shown(const Selector& s) {
    return s.selected() ? s.items.at(s.position) : QStringLiteral("<none>");
}

} // namespace

class RangeLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unchangedApplyQueuesNothing_data();
    void unchangedApplyQueuesNothing();
    void automaticFillFollowsLengthTable_data();
    void automaticFillFollowsLengthTable();
    void manualSensitivitySetsAllThresholds();
    void automaticVariantThreeIsSentBackAsAutomatic();
    void shortLengthCodeLoadsAsTenMetres_data();
    void shortLengthCodeLoadsAsTenMetres();
    void lengthListFollowsModel_data();
    void lengthListFollowsModel();
    void detectorWithoutChecksumOffersThreeMethods();
    void unselectedFieldsKeepReportedValues_data();
    void unselectedFieldsKeepReportedValues();
    void addressRepair_data();
    void addressRepair();
    void methodDecidesWhatIsOffered_data();
    void methodDecidesWhatIsOffered();
    void wrongThresholdsFrame_data();
    void wrongThresholdsFrame();
    void positionDesignation();
};

void RangeLogicTest::unchangedApplyQueuesNothing_data() {
    QTest::addColumn<unsigned>("reg");
    QTest::addColumn<unsigned>("ctrl");
    QTest::newRow("manual") << 0u << 0u;
    QTest::newRow("special 1") << 1u << 0u;
    QTest::newRow("special 2") << 1u << 1u;
    QTest::newRow("automatic") << 2u << 0u;
}

void RangeLogicTest::unchangedApplyQueuesNothing() {
    QFETCH(unsigned, reg);
    QFETCH(unsigned, ctrl);
    ScaleTables tables;
    RangeReport r = plainReport();
    r.reg = reg;
    r.ctrl_pp_mp = ctrl;
    if (reg == 2) // the detector runs the length table's thresholds (40 m, band 0: code 15)
        r.senspp = r.sensmp = r.sensbp = 15;
    const RangeSelectors s = shownFor(r, tables);
    QVERIFY(!s.edited);
    QVERIFY(PlanApply(s, r).empty());
}

void RangeLogicTest::automaticFillFollowsLengthTable_data() {
    QTest::addColumn<int>("codes");
    QTest::addColumn<int>("sens");
    QTest::addColumn<int>("threshold");
    QTest::newRow("32 codes") << 32 << 30 << 30;
    QTest::newRow("19 codes") << 19 << -1 << ThresholdListFallback;
}

void RangeLogicTest::automaticFillFollowsLengthTable() {
    QFETCH(int, codes);
    QFETCH(int, sens);
    QFETCH(int, threshold);
    ScaleTables tables;
    RangeReport r = plainReport();
    r.cs = codes == 32;
    r.freq = 1;
    r.reg = 2;
    r.dist = 2; // 10 m: band 1's default code is 30
    const RangeSelectors s = shownFor(r, tables, codes);
    QCOMPARE(shown(s.dist), QStringLiteral("10"));
    QCOMPARE(s.sens.position, sens);
    QCOMPARE(s.pp.position, threshold);
    QCOMPARE(s.mp.position, threshold);
    QCOMPARE(s.bp.position, threshold);
    QVERIFY(!s.edited);
}

void RangeLogicTest::manualSensitivitySetsAllThresholds() {
    ScaleTables tables;
    RangeReport r = plainReport();
    r.reg = 2;
    RangeSelectors s = shownFor(r, tables);

    s.regul.position = RegulManual;
    RegulationChanged(s, r, tables);
    s.sens.position = int(s.sens.items.indexOf(QStringLiteral("70")));
    SensitivityChanged(s);
    QCOMPARE(s.pp.position, 15);
    QCOMPARE(s.mp.position, 15);
    QCOMPARE(s.bp.position, 15);
    QVERIFY(s.edited);

    const RangeApplyPlan plan = PlanApply(s, r);
    QCOMPARE(plan.mode, (ModeArgs{r.adr, 15, 0, 0}));
    QCOMPARE(plan.threshold, (ThresholdArgs{15, 15, r.letter}));
    QCOMPARE(plan.section, (SectionArgs{r.vel_min, r.vel_max, r.dist, 0}));
    QVERIFY(!plan.position);

    TelemetryTable telemetry;
    CommandSlots commands(telemetry);
    QueueApplyPlan(plan, commands);
    QCOMPARE(commands.slot(CommandCode::Mode).o_senspp(), 15u);
    QCOMPARE(commands.slot(CommandCode::Threshold).o_sensmp(), 15u);
    QCOMPARE(commands.slot(CommandCode::Threshold).o_sensbp(), 15u);
    QCOMPARE(commands.slot(CommandCode::Section).o_reg(), 0u);
    QVERIFY(!commands.slot(CommandCode::Position).pending);
    QVERIFY(commands.HasPendingCommands());
}

void RangeLogicTest::automaticVariantThreeIsSentBackAsAutomatic() {
    ScaleTables tables;
    RangeReport r = plainReport();
    r.reg = 3;
    r.senspp = r.sensmp = r.sensbp = 15;
    const RangeSelectors s = shownFor(r, tables);
    QCOMPARE(shown(s.regul), QStringLiteral("Авто."));
    const RangeApplyPlan plan = PlanApply(s, r);
    QCOMPARE(plan.section, (SectionArgs{r.vel_min, r.vel_max, r.dist, 2}));
    QVERIFY(!plan.mode && !plan.threshold && !plan.position);
}

void RangeLogicTest::shortLengthCodeLoadsAsTenMetres_data() {
    QTest::addColumn<unsigned>("dist");
    QTest::newRow("0") << 0u;
    QTest::newRow("1") << 1u;
}

void RangeLogicTest::shortLengthCodeLoadsAsTenMetres() {
    QFETCH(unsigned, dist);
    ScaleTables tables;
    RangeReport r = plainReport();
    r.dist = dist;
    const RangeSelectors s = shownFor(r, tables);
    QCOMPARE(shown(s.dist), QStringLiteral("10"));
    QCOMPARE(PlanApply(s, r).section, (SectionArgs{r.vel_min, r.vel_max, 2, 0}));
}

void RangeLogicTest::lengthListFollowsModel_data() {
    QTest::addColumn<unsigned>("dev");
    QTest::addColumn<QString>("longest");
    QTest::newRow("dev 0") << 0u << "300";
    QTest::newRow("dev 1") << 1u << "100";
    QTest::newRow("dev 2") << 2u << "300";
    QTest::newRow("dev 3") << 3u << "50";
    QTest::newRow("dev 4") << 4u << "100";
    QTest::newRow("dev 5") << 5u << "300";
    QTest::newRow("dev 6") << 6u << "200";
    QTest::newRow("dev 7") << 7u << "300";
}

void RangeLogicTest::lengthListFollowsModel() {
    QFETCH(unsigned, dev);
    QFETCH(QString, longest);
    ScaleTables tables;
    RangeReport r = plainReport();
    r.dev = dev;
    const RangeSelectors s = shownFor(r, tables);
    QCOMPARE(s.dist.items.first(), QStringLiteral("10"));
    QCOMPARE(s.dist.items.last(), longest);
    QCOMPARE(s.dist.items.size(), longest.toInt() / 10);
}

void RangeLogicTest::detectorWithoutChecksumOffersThreeMethods() {
    ScaleTables tables;
    RangeReport r = plainReport();
    r.cs = 0;
    r.reg = 1;
    r.ctrl_pp_mp = 1;
    const RangeSelectors s = shownFor(r, tables, 19);
    QCOMPARE(s.regul.items, (QStringList{"Авто.", "Ручной", "Спец.1 ПП,МП,БП"}));
    QCOMPARE(s.regul.position, -1);
    // No method chosen: the detector keeps its own, nothing is sent as automatic.
    QVERIFY(PlanApply(s, r).empty());
}

void RangeLogicTest::unselectedFieldsKeepReportedValues_data() {
    QTest::addColumn<QString>("scenario");
    QTest::newRow("length beyond the model, speed changed") << "length";
    QTest::newRow("manual sensitivity ---") << "sensitivity";
    QTest::newRow("symbol beyond N") << "symbol";
    QTest::newRow("address offered but not reported") << "address";
}

void RangeLogicTest::unselectedFieldsKeepReportedValues() {
    QFETCH(QString, scenario);
    ScaleTables tables;
    RangeReport r = plainReport();
    if (scenario == "length") {
        r.dev = 3;   // lengths up to 50 m
        r.dist = 10; // 90 m
        RangeSelectors s = shownFor(r, tables);
        QCOMPARE(s.dist.position, -1);
        s.minSpeed.position = 3;
        MarkEdited(s);
        const RangeApplyPlan plan = PlanApply(s, r);
        QCOMPARE(plan.section, (SectionArgs{3, r.vel_max, 10, 0}));
        QVERIFY(!plan.mode && !plan.threshold && !plan.position);
    } else if (scenario == "sensitivity") {
        RangeSelectors s = shownFor(r, tables);
        s.sens.position = int(s.sens.items.indexOf(NoSensitivityText));
        SensitivityChanged(s);
        QCOMPARE(s.pp.position, -1);
        QCOMPARE(s.mp.position, ThresholdListFallback);
        const RangeApplyPlan plan = PlanApply(s, r);
        QVERIFY(!plan.mode); // ПП stays at the reported code
        QCOMPARE(plan.threshold, (ThresholdArgs{18, 18, r.letter}));
    } else if (scenario == "symbol") {
        r.symbol = 15;
        const RangeSelectors s = shownFor(r, tables);
        QCOMPARE(s.symbol.position, -1);
        QVERIFY(PlanApply(s, r).empty());
    } else if (scenario == "address") {
        r.out = 0; // no address is loaded, yet the selector is still on screen
        const RangeSelectors s = shownFor(r, tables);
        QVERIFY(s.address.visible);
        QCOMPARE(s.address.position, -1);
        QVERIFY(PlanApply(s, r).empty());
    }
}

void RangeLogicTest::addressRepair_data() {
    QTest::addColumn<unsigned>("adr");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("repaired");
    QTest::newRow("0") << 0u << true << true;
    QTest::newRow("13") << 13u << true << true;
    QTest::newRow("15") << 15u << true << true;
    QTest::newRow("12") << 12u << true << false;
    QTest::newRow("0, address not offered") << 0u << false << false;
}

void RangeLogicTest::addressRepair() {
    QFETCH(unsigned, adr);
    QFETCH(bool, visible);
    QFETCH(bool, repaired);
    ScaleTables tables;
    RangeReport r = plainReport();
    r.adr = adr;
    RangeSelectors s = InitialRangeSelectors();
    s.address.visible = visible;
    SetThresholdLists(s, defaultLists(32));
    PrepareShow(s, r);
    LoadFromReport(s, r, tables);
    QCOMPARE(AddressNeedsRepair(s, r), repaired);
    if (!repaired)
        return;
    RepairAddress(s);
    QCOMPARE(shown(s.address), QStringLiteral("2"));
    QCOMPARE(PlanApply(s, r).mode, (ModeArgs{2, r.senspp, 0, 0}));
}

void RangeLogicTest::methodDecidesWhatIsOffered_data() {
    // Shown and enabled state of sensitivity, ПП, МП, БП as "vis/en" pairs, then the length.
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("sens");
    QTest::addColumn<QString>("thresholds");
    QTest::addColumn<bool>("lengthEnabled");
    QTest::newRow("automatic") << 0 << "10"
                               << "10 10 10" << true;
    QTest::newRow("manual") << 1 << "11"
                            << "00 00 00" << false;
    QTest::newRow("special 1") << 2 << "00"
                               << "11 11 11" << false;
    QTest::newRow("special 2") << 3 << "00"
                               << "00 00 11" << false;
}

void RangeLogicTest::methodDecidesWhatIsOffered() {
    QFETCH(int, method);
    QFETCH(QString, sens);
    QFETCH(QString, thresholds);
    QFETCH(bool, lengthEnabled);
    auto flags = [](const Selector& s) {
        return QStringLiteral("%1%2").arg(int(s.visible)).arg(int(s.enabled));
    };
    ScaleTables tables;
    const RangeReport r = plainReport();
    RangeSelectors s = shownFor(r, tables);
    s.regul.position = method;
    s.edited = false;
    RegulationChanged(s, r, tables);
    QCOMPARE(flags(s.sens), sens);
    QCOMPARE(flags(s.pp) + ' ' + flags(s.mp) + ' ' + flags(s.bp), thresholds);
    QCOMPARE(s.dist.enabled, lengthEnabled);
    QVERIFY(s.edited);

    // Without a method the selectors stay as they were, and the page is edited all the same.
    const RangeSelectors before = s;
    s.regul.position = -1;
    s.edited = false;
    RegulationChanged(s, r, tables);
    QCOMPARE(flags(s.sens), flags(before.sens));
    QCOMPARE(flags(s.bp), flags(before.bp));
    QVERIFY(s.edited);
}

void RangeLogicTest::wrongThresholdsFrame_data() {
    QTest::addColumn<unsigned>("reportedBp");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("modeAwaiting");
    QTest::addColumn<bool>("thresholdAwaiting");
    QTest::addColumn<bool>("droppedDown");
    QTest::addColumn<bool>("shown");
    QTest::newRow("equal") << 12u << false << false << false << false << false;
    QTest::newRow("differ") << 20u << false << false << false << false << true;
    QTest::newRow("differ, edited") << 20u << true << false << false << false << false;
    QTest::newRow("differ, mode awaiting") << 20u << false << true << false << false << false;
    QTest::newRow("differ, threshold awaiting") << 20u << false << false << true << false << false;
    QTest::newRow("differ, list open") << 20u << false << false << false << true << false;
}

void RangeLogicTest::wrongThresholdsFrame() {
    QFETCH(unsigned, reportedBp);
    QFETCH(bool, edited);
    QFETCH(bool, modeAwaiting);
    QFETCH(bool, thresholdAwaiting);
    QFETCH(bool, droppedDown);
    QFETCH(bool, shown);
    ScaleTables tables;
    RangeReport r = plainReport();
    RangeSelectors s = shownFor(r, tables);
    s.edited = edited;
    r.sensbp = reportedBp; // the detector changed its БП on its own after the load
    QCOMPARE(WrongThresholdsShown(s, r, modeAwaiting, thresholdAwaiting, droppedDown), shown);
}

void RangeLogicTest::positionDesignation() {
    ScaleTables tables;
    RangeReport r = plainReport();
    r.number = 127; // Show leaves the designation alone for 127, the load does not
    RangeSelectors s = InitialRangeSelectors();
    SetThresholdLists(s, defaultLists(32));
    PrepareShow(s, r);
    QCOMPARE(s.symbol.position, -1);
    LoadFromReport(s, r, tables);
    QCOMPARE(shown(s.tens) + shown(s.units), QStringLiteral("27"));

    r.number = 105; // only the last two digits can be shown, and nothing is sent back
    s.symbol.visible = true;
    LoadFromReport(s, r, tables);
    QCOMPARE(shown(s.symbol) + shown(s.tens) + shown(s.units), QStringLiteral("C05"));
    QVERIFY(PlanApply(s, r).empty());

    s.tens.position = 4;
    MarkEdited(s);
    QCOMPARE(PlanApply(s, r).position, (PositionArgs{2, 45}));
    QVERIFY(!PositionReloadWanted(s)); // the user is editing
    s.units.position = -1;
    QVERIFY(PositionReloadWanted(s));
}

QTEST_GUILESS_MAIN(RangeLogicTest)
#include "tst_rangelogic.moc"
