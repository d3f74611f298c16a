// The Range settings strip against the simulated detector over a pseudo-terminal: the real port,
// poll cycle and command sending in between, as the program runs them.

#include "ChooseItem.h"
#include "SimulatedDetector.h"
#include "common/Clock.h"
#include "connection/GateChannel.h"
#include "connection/LinkView.h"
#include "connection/PollCycle.h"
#include "connection/PollScheduler.h"
#include "pages/RangeSettingsStrip.h"
#include "protocol/DevicePanel.h"
#include "serial/SerialGate.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

// What the main window does for the Range page when the poll cycle reacts to telemetry.
class PageView : public LinkView {
public:
    RangeSettingsStrip* strip = nullptr;
    PollCycle* cycle = nullptr;
    const ScaleTables* tables = nullptr;
    QStringList errors;

    void IdentifyDetector() override {
        const panel::IdentificationLists lists =
            panel::buildIdentificationLists(cycle->telemetry().cs(), *tables);
        strip->setThresholdLists({lists.sensitivity, lists.pp, lists.mp, lists.bp});
        if (cycle->telemetry().reg() == 3)
            cycle->commands().RequestAutomaticRegulation();
        strip->loadOnShow(); // the Range page becomes the active page
        strip->repairAddressOnShow();
    }
    void ReactToIdentity() override { strip->setLetterEnabled(cycle->telemetry().dev() < 2); }
    void ReactToPower() override {
        if (cycle->state() == EDevParams)
            strip->setAddressVisible(cycle->telemetry().out() == 1 ||
                                     cycle->telemetry().dev() == 2);
    }
    void ShowPosition() override { strip->onPositionMessage(); }
    void ShowError(const QString& message) override { errors << message; }
};

struct Rig : SimulatedDetector {
    SerialGate gate;
    GateChannel channel{gate};
    PageView view;
    PollCycle cycle{channel, SystemClock::instance(), view};
    PollScheduler scheduler{cycle, channel};
    ScaleTables tables;
    RangeSettingsStrip strip{cycle.telemetry(), cycle.commands(), tables};

    explicit Rig(const SimSettings& settings) : SimulatedDetector(settings) {
        if (!ready)
            return;
        view.strip = &strip;
        view.cycle = &cycle;
        view.tables = &tables;
        QObject::connect(&gate, &SerialGate::readyRead, &scheduler, &PollScheduler::onBytesArrived);
        ready = gate.openDevice(pty.slavePath());
        if (!ready)
            qWarning("%s", qPrintable(gate.openFailureText()));
        scheduler.start();
        sim->start();
    }

    QComboBox* list(const char* name) { return strip.findChild<QComboBox*>(name); }
    void choose(const char* name, const QString& item) { chooseItem(list(name), item); }
    bool anyAwaiting() const {
        for (CommandCode code : {CommandCode::Mode, CommandCode::Threshold, CommandCode::Section,
                                 CommandCode::Position})
            if (cycle.commands().slot(code).awaiting)
                return true;
        return false;
    }
};

QSet<QByteArray> distinct(const QList<QByteArray>& frames) {
    return QSet<QByteArray>(frames.begin(), frames.end());
}

} // namespace

class PagesEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appliedSettingsReachTheDetectorAndComeBack_data();
    void appliedSettingsReachTheDetectorAndComeBack();
};

void PagesEndToEndTest::appliedSettingsReachTheDetectorAndComeBack_data() {
    QTest::addColumn<int>("cs");
    QTest::addColumn<int>("sensitivities");
    QTest::newRow("3-byte frames") << 1 << 33;
    QTest::newRow("2-byte frames sent twice") << 0 << 20;
}

void PagesEndToEndTest::appliedSettingsReachTheDetectorAndComeBack() {
    QFETCH(int, cs);
    QFETCH(int, sensitivities);
    SimSettings settings;
    settings.cs = cs;
    Rig rig(settings);
    QVERIFY(rig.ready);
    // The simulator's detector: "Ведрис-100" of band 1, automatic at 100 m.
    QTRY_VERIFY_WITH_TIMEOUT(rig.cycle.state() > EDevNone, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.list("cbNewPosSymbol")->isVisibleTo(&rig.strip), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.anyAwaiting(), 5000); // the normal-mode request of the show
    QCOMPARE(rig.list("cbRegulRange")->currentText(), QStringLiteral("Авто."));
    QCOMPARE(rig.list("cbDistRange")->currentText(), QStringLiteral("100"));
    QCOMPARE(rig.list("cbDistRange")->count(), 10);
    QCOMPARE(rig.list("cbRangeSens")->count(), sensitivities);
    QCOMPARE(rig.list("cbNewPosSymbol")->currentText(), QStringLiteral("C"));
    QVERIFY(rig.view.errors.isEmpty());

    // The engineer: 60 m in automatic, then special 1 with thresholds of his own, other speeds
    // and another position designation.
    rig.choose("cbDistRange", QStringLiteral("60"));
    QCOMPARE(rig.list("cbRangePP")->currentIndex(), cs ? 27 : ThresholdListFallback); // 60 m
    rig.choose("cbRegulRange", QStringLiteral("Спец.1 ПП,МП,БП"));
    QVERIFY(rig.list("cbRangePP")->isEnabled());
    rig.list("cbRangePP")->setCurrentIndex(5);
    emit rig.list("cbRangePP")->activated(5);
    rig.list("cbRangeMP")->setCurrentIndex(6);
    emit rig.list("cbRangeMP")->activated(6);
    rig.list("cbRangeBP")->setCurrentIndex(7);
    emit rig.list("cbRangeBP")->activated(7);
    rig.choose("cbNewMinSpeed", QStringLiteral("0,3"));
    rig.choose("cbNewMaxSpeed", QStringLiteral("10"));
    rig.choose("cbNewPosSymbol", QStringLiteral("F"));
    rig.choose("cbNewPosNumber1", QStringLiteral("4"));
    rig.choose("cbNewPosNumber2", QStringLiteral("2"));

    const qsizetype before = rig.sim->receivedCommands().size();
    rig.strip.findChild<QPushButton*>("btnApplyRange")->click();
    QVERIFY(rig.cycle.commands().HasPendingCommands());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.anyAwaiting(), 5000);

    const QList<QByteArray> sent = rig.sim->receivedCommands().mid(before);
    // Without checksum each command goes out as its first two bytes, twice.
    auto onWire = [cs](const char* hex) {
        const QByteArray frame = QByteArray::fromHex(hex);
        return cs ? frame : frame.left(2).repeated(2);
    };
    const QSet<QByteArray> expected{
        onWire("4EA7F5"), // section: vel_min 2, vel_max 3, dist 7, reg 1
        onWire("018586"), // mode: adr 1, senspp 5, state 0, special 1
        onWire("2687AD"), // thresholds: sensmp 6, sensbp 7, letter 0
        onWire("6AAA94"), // position: F, 42
    };
    QCOMPARE(distinct(sent), expected);
    const SimSettings& detector = rig.sim->settings();
    QCOMPARE(detector.reg, 1);
    QCOMPARE(detector.dist, 7);
    QCOMPARE(detector.sensbp, 7);
    QCOMPARE(detector.number, 42);

    // Showing the page again loads what the detector now confirms.
    rig.strip.loadOnShow();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.anyAwaiting(), 5000);
    QCOMPARE(rig.list("cbRegulRange")->currentText(), QStringLiteral("Спец.1 ПП,МП,БП"));
    QCOMPARE(rig.list("cbDistRange")->currentText(), QStringLiteral("60"));
    QCOMPARE(rig.list("cbRangePP")->currentIndex(), 5);
    QCOMPARE(rig.list("cbRangeMP")->currentIndex(), 6);
    QCOMPARE(rig.list("cbRangeBP")->currentIndex(), 7);
    QCOMPARE(rig.list("cbNewMinSpeed")->currentText() + ' ' +
                 rig.list("cbNewMaxSpeed")->currentText(),
             QStringLiteral("0,3 10"));
    QCOMPARE(rig.list("cbNewPosSymbol")->currentText() +
                 rig.list("cbNewPosNumber1")->currentText() +
                 rig.list("cbNewPosNumber2")->currentText(),
             QStringLiteral("F42"));
    QVERIFY(!rig.strip.isEdited());
    QVERIFY(!rig.strip.wrongThresholdsWanted());
    QVERIFY(rig.view.errors.isEmpty());
}

QTEST_MAIN(PagesEndToEndTest)
#include "tst_pages_e2e.moc"
