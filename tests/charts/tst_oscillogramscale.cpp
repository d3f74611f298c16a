#include "charts/OscillogramScale.h"
#include "charts/PlaybackMode.h"

#include <QtTest>

namespace {

constexpr int ChartWidth = 643; // 621 px of plot area

QString ranges(const OscillogramScale& s) {
    return QStringLiteral("[%1, %2]").arg(s.OscYMin()).arg(s.OscYMax());
}

} // namespace

class OscillogramScaleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startState();
    void yButtons_data();
    void yButtons();
    void pageDurationButtons();
    void pageShorterKeepsTheFollowedEdge();
    void pointsPerPage_data();
    void pointsPerPage();
    void fitToThresholds();
    void playbackCycle();
};

void OscillogramScaleTest::startState() {
    OscillogramScale s;
    s.Prepare(1, ChartWidth);
    QCOMPARE(ranges(s), QStringLiteral("[-96, 96]"));
    QCOMPARE(s.leftAxis().min, -96.0);
    QCOMPARE(s.bottomAxis().min, 0.0);
    QCOMPARE(s.bottomAxis().max, 1.01 * 304);
    QCOMPARE(s.periodCaption(), QStringLiteral("16 s"));
    QVERIFY(s.buttons().leftAxisUp && s.buttons().leftAxisDown && s.buttons().bottomAxisSlow &&
            s.buttons().bottomAxisFast);
}

void OscillogramScaleTest::yButtons_data() {
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("lastDisabled");
    QTest::newRow("up") << true
                        << QStringList{"[-100, 192]", "[-100, 384]", "[-100, 400]", "[-100, 400]"}
                        << true;
    QTest::newRow("down") << false << QStringList{"[-48, 48]", "[-24, 24]", "[-12, 12]", "[-6, 6]",
                                                  "[-3, 3]",   "[-1, 1]",   "[-1, 1]"}
                          << true;
}

void OscillogramScaleTest::yButtons() {
    QFETCH(bool, up);
    QFETCH(QStringList, steps);
    OscillogramScale s;
    for (const QString& expected : steps) {
        up ? s.sbLeftAxisUpClick() : s.sbLeftAxisDownClick();
        QCOMPARE(ranges(s), expected);
        QCOMPARE(s.leftAxis().max, double(s.OscYMax()));
        QCOMPARE(s.leftAxis().min, double(s.OscYMin()));
    }
    // The pressed-out button is disabled (the last click did nothing); the other enabled.
    QCOMPARE(up ? s.buttons().leftAxisUp : s.buttons().leftAxisDown, false);
    QCOMPARE(up ? s.buttons().leftAxisDown : s.buttons().leftAxisUp, true);
    // The other direction enables it again.
    up ? s.sbLeftAxisDownClick() : s.sbLeftAxisUpClick();
    QVERIFY(s.buttons().leftAxisUp && s.buttons().leftAxisDown);
}

void OscillogramScaleTest::pageDurationButtons() {
    OscillogramScale slow;
    slow.Prepare(1, ChartWidth);
    const QStringList longer{QStringLiteral("32 \u0441"), QStringLiteral("64 \u0441"),
                             QStringLiteral("128 \u0441")};
    for (const QString& caption : longer) {
        const double left = slow.bottomAxis().min;
        slow.sbBottomAxisSlowClick(1, ChartWidth);
        QCOMPARE(slow.periodCaption(), caption);
        QCOMPARE(slow.bottomAxis().min, left);
        QCOMPARE(slow.bottomAxis().max, 1.01 * slow.MaxPointsPerPage() + left);
    }
    QVERIFY(!slow.buttons().bottomAxisSlow);
    slow.sbBottomAxisSlowClick(1, ChartWidth);
    QCOMPARE(slow.OscPeriod(), 128);

    OscillogramScale fast;
    fast.Prepare(1, ChartWidth);
    const QStringList shorter{QStringLiteral("8 s"), QStringLiteral("4 s"), QStringLiteral("2 s"),
                              QStringLiteral("1 s")};
    for (const QString& caption : shorter) {
        fast.sbBottomAxisFastClick(1, ChartWidth, 0);
        QCOMPARE(fast.periodCaption(), caption);
    }
    QVERIFY(!fast.buttons().bottomAxisFast);
    QVERIFY(fast.buttons().bottomAxisSlow);
    fast.sbBottomAxisFastClick(1, ChartWidth, 0);
    QCOMPARE(fast.OscPeriod(), 1);
    fast.sbBottomAxisSlowClick(1, ChartWidth);
    QVERIFY(fast.buttons().bottomAxisFast);
}

void OscillogramScaleTest::pageShorterKeepsTheFollowedEdge() {
    // Following the newest point (drawn at X = 100, the next one comes at 101): the right edge
    // stays. Pages of 38 and 19 points.
    OscillogramScale following;
    following.Prepare(1, ChartWidth);
    for (int i = 0; i < 3; ++i)
        following.sbBottomAxisFastClick(1, ChartWidth, 0);
    QCOMPARE(following.MaxPointsPerPage(), 38);
    for (int x = 0; x <= 100; ++x)
        following.FollowNewestPoint(x);
    const double right = following.bottomAxis().max;
    QCOMPARE(right, 100 + 0.38);
    following.sbBottomAxisFastClick(1, ChartWidth, 101);
    QCOMPARE(following.bottomAxis().max, right);
    QCOMPARE(following.bottomAxis().min, right - 1.01 * following.MaxPointsPerPage());

    // Before the first page is full: the left edge stays.
    OscillogramScale starting;
    starting.Prepare(1, ChartWidth);
    starting.sbBottomAxisFastClick(1, ChartWidth, 10);
    QCOMPARE(starting.bottomAxis().min, 0.0);
    QCOMPARE(starting.bottomAxis().max, 1.01 * starting.MaxPointsPerPage());
}

void OscillogramScaleTest::pointsPerPage_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("samplesPerSec");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("markerWidth");
    // Wide chart: the rate is raised to fill the width, but never above 19 per second.
    QTest::newRow("643 px, 16 s, rate 1") << ChartWidth << 1 << 16 << 19 << 304 << 2;
    QTest::newRow("643 px, 128 s, rate 1") << ChartWidth << 1 << 128 << 4 << 512 << 1;
    // More points than pixels: the chosen rate is kept and every message is plotted.
    QTest::newRow("643 px, 128 s, rate 200") << ChartWidth << 200 << 128 << 200 << 2444 << 1;
    QTest::newRow("643 px, 16 s, rate 200") << ChartWidth << 200 << 16 << 19 << 304 << 2;
    QTest::newRow("1222 px, 1 s, rate 1") << 1222 << 1 << 1 << 19 << 19 << 32;
    QTest::newRow("no width yet") << 0 << 5 << 16 << 5 << 80 << 1;
    QTest::newRow("rate not a number") << 0 << 0 << 16 << 1 << 16 << 1;
}

void OscillogramScaleTest::pointsPerPage() {
    QFETCH(int, width);
    QFETCH(int, rate);
    QFETCH(int, period);
    OscillogramScale s;
    s.Prepare(rate, width);
    while (s.OscPeriod() < period)
        s.sbBottomAxisSlowClick(rate, width);
    while (s.OscPeriod() > period)
        s.sbBottomAxisFastClick(rate, width, 0);
    QCOMPARE(s.OscPeriod(), period);
    QTEST(s.SamplesPerSec(), "samplesPerSec");
    QTEST(s.MaxPointsPerPage(), "points");
    QTEST(s.markerWidth(), "markerWidth");
}

void OscillogramScaleTest::fitToThresholds() {
    OscillogramScale s;
    for (int i = 0; i < 6; ++i)
        s.sbLeftAxisDownClick();
    QVERIFY(!s.buttons().leftAxisDown);
    s.FitYToThresholds(24, 14, 24, false);
    QCOMPARE(ranges(s), QStringLiteral("[-27, 27]"));
    QVERIFY(s.buttons().leftAxisUp && s.buttons().leftAxisDown);
    // Regulation "Спец.2 БП": the top follows a quarter of БП.
    s.FitYToThresholds(24, 14, 24, true);
    QCOMPARE(ranges(s), QStringLiteral("[-27, 7]"));
    QCOMPARE(s.leftAxis().max, 7.0);
}

void OscillogramScaleTest::playbackCycle() {
    PlaybackMode mode = PlaybackMode::Play;
    mode = NextPlaybackMode(mode);
    QCOMPARE(mode, PlaybackMode::BeforeAlarm);
    mode = NextPlaybackMode(mode);
    QCOMPARE(mode, PlaybackMode::Pause);
    mode = NextPlaybackMode(mode);
    QCOMPARE(mode, PlaybackMode::Play);
}

QTEST_GUILESS_MAIN(OscillogramScaleTest)
#include "tst_oscillogramscale.moc"
