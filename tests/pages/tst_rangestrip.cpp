#include "ChooseItem.h"
#include "ReportFrames.h"
#include "pages/RangeSettingsStrip.h"
#include "protocol/CommandSlots.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

struct Fixture {
    TelemetryTable telemetry;
    CommandSlots commands{telemetry};
    ScaleTables tables;
    RangeSettingsStrip strip{telemetry, commands, tables};

    explicit Fixture(const RangeReport& r = plainReport()) {
        storeReport(telemetry, r);
        strip.setThresholdLists(BuildThresholdLists(32, true, DefaultThresholdPercent));
    }

    template <typename W = QComboBox> W* widget(const char* name) {
        W* w = strip.findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString text(const char* list) { return widget(list)->currentText(); }
    bool shown(const char* name) { return widget<QWidget>(name)->isVisibleTo(&strip); }
    // The user picks an entry: only this runs the list's change handler.
    void choose(const char* list, const QString& item) { chooseItem(widget(list), item); }
    bool edited() {
        const bool apply = widget<QPushButton>("btnApplyRange")->isEnabled();
        if (apply != widget<QPushButton>("btnCancelRange")->isEnabled())
            qFatal("Apply and Cancel disagree");
        return apply;
    }
    // Confirms whatever the detector's telemetry already shows.
    void confirmAll() {
        for (unsigned code = 0; code < 8; ++code)
            commands.ConfirmCommands(code);
    }
};

} // namespace

class RangeStripTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAsDesigned();
    void showLoadsReportAndAsksForNormalMode();
    void userChoicesFillAndApplyQueues();
    void cancelReloadsReport();
    void addressRepairOnShow();
    void positionSelectorsFollowPositionMessages();
    void wrongThresholdsFrame();
};

void RangeStripTest::startsAsDesigned() {
    Fixture f;
    for (const char* name :
         {"gbRange",     "cbDistRange",    "cbRegulRange",    "cbRangeSens",      "cbRangePP",
          "cbRangeMP",   "cbRangeBP",      "cbNewMinSpeed",   "cbNewMaxSpeed",    "cbNewAddress",
          "cbNewLetter", "cbNewPosSymbol", "cbNewPosNumber1", "cbNewPosNumber2",  "lRangeSens",
          "lRangePP",    "lRangeMP",       "lRangeBP",        "lNewAddress",      "lNewLetter",
          "lNewPos",     "btnApplyRange",  "btnCancelRange",  "shWrongThresholds"}) {
        QVERIFY2(f.strip.objectName() == name || f.strip.findChild<QWidget*>(name), name);
    }
    QVERIFY(!f.edited());
    QVERIFY(!f.shown("shWrongThresholds"));
    QVERIFY(!f.shown("cbNewLetter") && !f.shown("lNewLetter"));
    QVERIFY(!f.shown("cbNewPosSymbol") && !f.shown("lNewPos") && !f.shown("cbNewPosNumber2"));
    QVERIFY(f.shown("cbNewAddress") && f.shown("lNewAddress"));
    QCOMPARE(f.widget("cbRegulRange")->itemText(3), QStringLiteral("Специальны 2 (БП)"));
    QCOMPARE(f.widget("cbRangeSens")->count(), 33);
    QCOMPARE(f.widget("cbRangeSens")->itemText(32), QStringLiteral("---"));
}

void RangeStripTest::showLoadsReportAndAsksForNormalMode() {
    Fixture f;
    QCOMPARE(ReportOf(f.telemetry).sensbp, 12u);
    f.strip.loadOnShow();
    QCOMPARE(f.text("cbRegulRange"), QStringLiteral("Ручной"));
    QCOMPARE(f.text("cbDistRange"), QStringLiteral("40"));
    QCOMPARE(f.text("cbRangeSens"), QStringLiteral("80"));
    QCOMPARE(f.widget("cbRangePP")->currentIndex(), 10);
    QCOMPARE(f.widget("cbRangeBP")->currentIndex(), 12);
    QCOMPARE(f.text("cbNewMinSpeed") + ' ' + f.text("cbNewMaxSpeed"), QStringLiteral("0,2 8"));
    QCOMPARE(f.text("cbNewAddress"), QStringLiteral("3"));
    QCOMPARE(f.text("cbNewLetter"), QStringLiteral("2"));
    QVERIFY(!f.shown("cbRangePP")); // manual: one sensitivity for all
    QVERIFY(!f.widget("cbDistRange")->isEnabled());
    QVERIFY(!f.edited()); // the load's own method change does not count as an edit

    const CommandSlot& mode = f.commands.slot(CommandCode::Mode);
    QVERIFY(mode.pending && mode.awaiting);
    QCOMPARE(mode.o_state(), 0u);
    QCOMPARE(mode.o_adr(), 3u);
}

void RangeStripTest::userChoicesFillAndApplyQueues() {
    RangeReport r = plainReport();
    r.reg = 2;
    r.senspp = r.sensmp = r.sensbp = 15; // the length table's code for 40 m
    Fixture f(r);
    f.strip.loadOnShow();
    f.confirmAll();
    QSignalSpy applied(&f.strip, &RangeSettingsStrip::applied);

    f.choose("cbRegulRange", QStringLiteral("Ручной"));
    QVERIFY(f.edited());
    QVERIFY(f.widget("cbRangeSens")->isEnabled());
    QVERIFY(!f.shown("lRangePP") && !f.shown("cbRangeMP"));
    f.choose("cbRangeSens", QStringLiteral("70"));
    f.choose("cbNewMaxSpeed", QStringLiteral("10"));
    f.widget<QPushButton>("btnApplyRange")->click();

    QVERIFY(!f.edited());
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0).at(0).toBool(), true);
    const CommandSlot& section = f.commands.slot(CommandCode::Section);
    QVERIFY(section.pending);
    QCOMPARE(section.o_reg(), 0u);
    QCOMPARE(section.o_vel_max(), 3u);
    QCOMPARE(section.o_dist(), 5u);
    // The sensitivity "70" is code 15, which is also what the detector has: ПП, МП and БП
    // are unchanged and their commands stay idle.
    QVERIFY(!f.commands.slot(CommandCode::Mode).pending);
    QVERIFY(!f.commands.slot(CommandCode::Threshold).pending);

    // A second Apply with nothing changed queues nothing new.
    f.commands.ConfirmCommands(4);
    f.commands.ConfirmCommands(5);
    f.commands.RefreshSendFlag();
    f.strip.btnApplyRangeClick();
    QCOMPARE(applied.at(1).at(0).toBool(), true); // the unconfirmed section command still waits
}

void RangeStripTest::cancelReloadsReport() {
    Fixture f;
    f.strip.loadOnShow();
    f.choose("cbRegulRange", QStringLiteral("Спец.2 БП"));
    QVERIFY(f.shown("cbRangeBP") && !f.shown("cbRangePP") && !f.shown("cbRangeSens"));
    f.choose("cbRangeBP", QStringLiteral("72"));
    f.widget<QPushButton>("btnCancelRange")->click();
    QVERIFY(!f.edited());
    QCOMPARE(f.text("cbRegulRange"), QStringLiteral("Ручной"));
    QCOMPARE(f.widget("cbRangeBP")->currentIndex(), 12);
    QVERIFY(f.shown("cbRangeSens"));
}

void RangeStripTest::addressRepairOnShow() {
    RangeReport r = plainReport();
    r.adr = 0;
    Fixture f(r);
    f.strip.loadOnShow();
    QCOMPARE(f.widget("cbNewAddress")->currentIndex(), -1);
    QSignalSpy applied(&f.strip, &RangeSettingsStrip::applied);
    QVERIFY(f.strip.repairAddressOnShow());
    QCOMPARE(f.text("cbNewAddress"), QStringLiteral("2"));
    QCOMPARE(applied.count(), 1);
    const CommandSlot& mode = f.commands.slot(CommandCode::Mode);
    QCOMPARE(mode.o_adr(), 2u);
    QCOMPARE(mode.o_state(), 0u);
    QCOMPARE(mode.o_senspp(), 10u);

    f.strip.setAddressVisible(false); // a detector without an address is never repaired
    QVERIFY(!f.strip.repairAddressOnShow());
}

void RangeStripTest::positionSelectorsFollowPositionMessages() {
    Fixture f;
    f.strip.loadOnShow();
    QVERIFY(!f.shown("cbNewPosSymbol"));
    f.strip.onPositionMessage();
    QVERIFY(f.shown("lNewPos") && f.shown("cbNewPosSymbol") && f.shown("cbNewPosNumber1"));
    QCOMPARE(f.text("cbNewPosSymbol") + f.text("cbNewPosNumber1") + f.text("cbNewPosNumber2"),
             QStringLiteral("C15"));

    // While the user edits, a new report does not overwrite the choice.
    f.choose("cbNewPosSymbol", QStringLiteral("F"));
    f.telemetry.StoreFrame(0, 42, 4 << 1);
    f.strip.onPositionMessage();
    QCOMPARE(f.text("cbNewPosSymbol") + f.text("cbNewPosNumber1"), QStringLiteral("F1"));

    f.strip.btnApplyRangeClick();
    QCOMPARE(f.commands.slot(CommandCode::Position).o_symbol(), 5u);
    QCOMPARE(f.commands.slot(CommandCode::Position).o_number(), 15u);
    f.strip.onPositionMessage(); // not edited any more: the report comes in
    QCOMPARE(f.text("cbNewPosSymbol") + f.text("cbNewPosNumber1") + f.text("cbNewPosNumber2"),
             QStringLiteral("E42"));

    f.strip.clearPositionSelection(); // the link is given up: the selectors stay on screen
    QCOMPARE(f.widget("cbNewPosNumber2")->currentIndex(), -1);
    f.telemetry.Reset();
    f.strip.loadOnShow();
    QVERIFY(f.shown("cbNewPosSymbol"));
    f.choose("cbNewMinSpeed", QStringLiteral("0,4"));
    f.strip.clearPositionSelection();
    f.telemetry.StoreFrame(0, 42, 4 << 1); // even while edited, an empty selector is refilled
    f.strip.onPositionMessage();
    QCOMPARE(f.text("cbNewPosSymbol") + f.text("cbNewPosNumber1") + f.text("cbNewPosNumber2"),
             QStringLiteral("E42"));
}

void RangeStripTest::wrongThresholdsFrame() {
    RangeReport r = plainReport();
    r.reg = 2; // automatic: the page shows the length table's code 15, the detector reports 10
    Fixture f(r);
    f.strip.loadOnShow();
    f.strip.UpdateWrongThresholdsMarker();
    QVERIFY(!f.shown("shWrongThresholds")); // the normal-mode request is not yet confirmed
    f.confirmAll();
    f.strip.UpdateWrongThresholdsMarker();
    QVERIFY(f.shown("shWrongThresholds"));

    auto* bp = f.widget("cbRangeBP");
    bp->setEnabled(true);
    f.strip.show();
    bp->showPopup();
    QVERIFY(f.strip.anyThresholdListDroppedDown());
    f.strip.UpdateWrongThresholdsMarker();
    QVERIFY(!f.shown("shWrongThresholds"));
    bp->hidePopup();
    f.strip.UpdateWrongThresholdsMarker();
    QVERIFY(f.shown("shWrongThresholds"));

    f.choose("cbNewMinSpeed", QStringLiteral("0,4"));
    f.strip.UpdateWrongThresholdsMarker();
    QVERIFY(!f.shown("shWrongThresholds"));
}

QTEST_MAIN(RangeStripTest)
#include "tst_rangestrip.moc"
