// The recording box on a stand-in main window: the box and its shortcuts' entry points, the
// alarm number on the caption line, PNG snapshots of the whole window, problems shown to the
// engineer, and the stop at window close.

#include "RecordingRig.h"

#include "app/ErrorBox.h"
#include "charts/ThresholdAnalysis.h"
#include "common/Clock.h"
#include "protocol/Telemetry.h"
#include "recording/RecordingBox.h"

#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window the size of the main window with a red marker in its top left corner and the
// recording box below it.
struct StandInWindow {
    explicit StandInWindow(const Clock& clock, const QString& baseDirectory) {
        window.resize(820, 455);
        auto* layout = new QVBoxLayout(&window);
        marker = new QLabel(QStringLiteral("Маркер"), &window);
        marker->setAutoFillBackground(true);
        marker->setStyleSheet(QStringLiteral("background: #ff0000"));
        marker->setFixedSize(120, 40);
        layout->addWidget(marker);
        box = new RecordingBox(clock, nullptr, &window);
        layout->addWidget(box);
        box->recorder().setBaseDirectory(baseDirectory);
        box->setProblemReporter([this](const QString& message) { reported << message; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    QString folder() const { return box->recorder().diskPath(box->recorder().RecordingFolder()); }
    QStringList labels() const {
        QStringList labels;
        for (const QString& name : box->recorder().RecordingIndex())
            if (name.endsWith(".png"))
                labels << name.mid(24).chopped(4);
        return labels;
    }

    QWidget window;
    QLabel* marker = nullptr;
    RecordingBox* box = nullptr;
    QStringList reported;
};

} // namespace

class RecordingBoxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void startsOffAndDisabled();
    void tickingTakesAPngOfTheWholeWindow_data();
    void tickingTakesAPngOfTheWholeWindow();
    void alarmNumberOnTheCaptionAndItsReset();
    void settingsAppliedOnlyWithCommandsAndWhileTicked();
    void problemsAreShownInTheBoxAndTheErrorBox();
    void closeWhileRecordingWritesTheSummaryAndKeepsTheBoxTicked();

private:
    QTemporaryDir m_dir;
    ManualClock m_clock;
};

void RecordingBoxTest::init() {
    QVERIFY(m_dir.isValid());
    for (const QString& entry :
         QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QFileInfo(m_dir.filePath(entry)).isDir() ? QDir(m_dir.filePath(entry)).removeRecursively()
                                                 : QFile::remove(m_dir.filePath(entry));
    m_clock.setMs(localMs(2024, 5, 1, 12, 34, 56, 789));
}

void RecordingBoxTest::startsOffAndDisabled() {
    StandInWindow w(m_clock, m_dir.path());
    QCOMPARE(w.box->objectName(), "gbTrv");
    QCOMPARE(w.box->title(), "Тревог  ");
    QCOMPARE(w.box->saveBox()->objectName(), "chbSaveTrvRange");
    QCOMPARE(w.box->saveBox()->text(), "Сохр. <F6>");
    QCOMPARE(w.box->clearButton()->objectName(), "btnClearTrvRange");
    QCOMPARE(w.box->clearButton()->text(), "Сброс <F8>");
    QCOMPARE(w.box->numberLabel()->objectName(), "lTrvNumberRange");
    QCOMPARE(w.box->numberLabel()->text(), "0");
    QVERIFY(!w.box->IsRecording());
    QVERIFY(!w.box->numberLabel()->isEnabled());
    QVERIFY(!w.box->btnClearTrvRangeEnabled());
    QVERIFY(QDir(m_dir.path()).isEmpty());
    // The number reads right after the caption, on the caption line.
    const QRect number = w.box->numberLabel()->geometry();
    QVERIFY(number.bottom() <= w.box->contentsRect().top() + 4);
    QVERIFY(number.left() >= w.box->fontMetrics().horizontalAdvance("Тревог"));
}

void RecordingBoxTest::tickingTakesAPngOfTheWholeWindow_data() {
    QTest::addColumn<bool>("byShortcut");
    QTest::newRow("click") << false;
    QTest::newRow("F6") << true;
}

void RecordingBoxTest::tickingTakesAPngOfTheWholeWindow() {
    QFETCH(bool, byShortcut);
    StandInWindow w(m_clock, m_dir.path());
    if (byShortcut)
        w.box->ToggleRecording();
    else
        QTest::mouseClick(w.box->saveBox(), Qt::LeftButton, {},
                          QPoint(4, w.box->saveBox()->height() / 2));
    QVERIFY(w.box->IsRecording());
    QVERIFY(w.box->recorder().isRecording());
    QVERIFY(w.box->numberLabel()->isEnabled());
    QVERIFY(w.box->btnClearTrvRangeEnabled());
    w.box->recorder().waitForSnapshots();
    const QStringList pngs = filesIn(w.folder(), "*.png");
    QCOMPARE(pngs, QStringList{"2024-05-01 12'34'56.789 Начало записи.png"});

    const QString path = w.folder() + "/" + pngs.first();
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    QVERIFY(readBytes(path).startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), w.window.size() * w.window.devicePixelRatioF());
    // The whole window, not just the box: the marker at the top left is in the picture.
    const QPoint inMarker = w.marker->geometry().center() * w.window.devicePixelRatioF();
    QCOMPARE(image.pixelColor(inMarker), QColor(Qt::red));

    m_clock.advance(2000);
    if (byShortcut)
        w.box->ToggleRecording();
    else
        QTest::mouseClick(w.box->saveBox(), Qt::LeftButton, {},
                          QPoint(4, w.box->saveBox()->height() / 2));
    QVERIFY(!w.box->IsRecording());
    QVERIFY(!w.box->recorder().isRecording());
    QVERIFY(!w.box->numberLabel()->isEnabled());
    QVERIFY(!w.box->btnClearTrvRangeEnabled());
    QCOMPARE(filesIn(w.folder(), "*.png").size(), 2);
    QCOMPARE(filesIn(w.folder(), "*.txt"), QStringList{"2024-05-01 12'34'58.789 Содержание.txt"});
    QCOMPARE(w.labels(), (QStringList{"Начало записи", "Остановка записи"}));
    QVERIFY(w.reported.isEmpty());
}

// Alarm numbers follow the caption of lTrvNumberRange, which the analysis raises; the reset
// starts a new recording whose numbering begins at 1 again.
void RecordingBoxTest::alarmNumberOnTheCaptionAndItsReset() {
    StandInWindow w(m_clock, m_dir.path());
    ThresholdAnalysis analysis;
    w.box->recorder().setConditionAnalysis(&analysis);
    bool reannounce = false;
    auto point = [&](unsigned state) {
        m_clock.advance(150);
        analysis.UpdateConditionLatches(state, w.box->IsRecording(), reannounce, *w.box);
    };
    w.box->ToggleRecording();
    for (unsigned state : {ModeAlarm, ModeAlarm, ModeNormal, ModeAlarm, ModeNormal})
        point(state);
    QCOMPARE(w.box->numberLabel()->text(), "2");
    QCOMPARE(w.labels(),
             (QStringList{"Начало записи", "Тревога 1", "Норма", "Тревога 2", "Норма"}));
    const QString firstFolder = w.folder();

    m_clock.advance(1000);
    QTest::mouseClick(w.box->clearButton(), Qt::LeftButton);
    QCOMPARE(w.box->numberLabel()->text(), "0");
    QVERIFY(w.box->IsRecording());
    const QStringList firstSummary =
        decode1251(readBytes(firstFolder + "/" + filesIn(firstFolder, "*.txt").first()))
            .split("\r\n", Qt::SkipEmptyParts);
    QVERIFY(firstSummary.contains("Тревог: 2"));

    point(ModeAlarm);
    QCOMPARE(w.box->numberLabel()->text(), "1");
    QCOMPARE(w.labels(), (QStringList{"Начало записи", "Тревога 1"}));
    QVERIFY(w.folder() != firstFolder);
}

void RecordingBoxTest::settingsAppliedOnlyWithCommandsAndWhileTicked() {
    StandInWindow w(m_clock, m_dir.path());
    w.box->onSettingsApplied(true);
    QVERIFY(QDir(m_dir.path()).isEmpty());
    w.box->ToggleRecording();
    m_clock.advance(10);
    w.box->onSettingsApplied(false);
    m_clock.advance(10);
    w.box->onSettingsApplied(true);
    QCOMPARE(w.labels(), (QStringList{"Начало записи", "Настройки изменены"}));
    QCOMPARE(w.box->recorder().counters().SettingsChangeCount, 1);
}

// Without a reporter of its own the box uses the standard error box; the box itself keeps the
// message (with the path) in sight, and the recording goes on.
void RecordingBoxTest::problemsAreShownInTheBoxAndTheErrorBox() {
    QStringList errorBoxes;
    SetErrorBoxHandler([&](const QString& message) { errorBoxes << message; });
    {
        QFile blocker(m_dir.filePath("2024-05-01 12'34'56"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    StandInWindow w(m_clock, m_dir.path());
    w.box->setProblemReporter({});
    w.box->ToggleRecording();
    w.box->recorder().waitForSnapshots();
    QVERIFY(w.box->IsRecording());
    QCOMPARE(errorBoxes.size(), 2); // the folder and the start's snapshot
    QVERIFY(
        errorBoxes[0].contains(QDir::toNativeSeparators(m_dir.filePath("2024-05-01 12'34'56"))));
    QVERIFY(w.box->problemLabel()->isVisible());
    QCOMPARE(w.box->problemLabel()->text(), errorBoxes.last());
    QVERIFY(w.box->problemLabel()->toolTip().contains(errorBoxes.first()));

    // Once the way is free, the reset closes the old recording (whose stop snapshot and summary
    // have nowhere to go, and say so) and the new one works.
    QVERIFY(QFile::remove(m_dir.filePath("2024-05-01 12'34'56")));
    m_clock.advance(1000);
    QTest::mouseClick(w.box->clearButton(), Qt::LeftButton);
    w.box->recorder().waitForSnapshots();
    QCOMPARE(errorBoxes.size(), 4);
    QVERIFY(errorBoxes[2].contains("Остановка записи.png"));
    QVERIFY(errorBoxes[3].contains("Содержание.txt"));
    QCOMPARE(w.box->problemLabel()->text(), errorBoxes.last());
    QVERIFY(w.box->recorder().problems().isEmpty());
    QCOMPARE(filesIn(w.folder(), "*.png").size(), 1);
    // A recording started afresh clears the box's message.
    w.box->ToggleRecording();
    w.box->ToggleRecording();
    QVERIFY(!w.box->problemLabel()->isVisible());
    SetErrorBoxHandler({});
}

// The window's close handler stops a running recording without clearing the box; snapshots
// still being encoded are written before the summary, and before the window goes away.
void RecordingBoxTest::closeWhileRecordingWritesTheSummaryAndKeepsTheBoxTicked() {
    QString folder;
    {
        StandInWindow w(m_clock, m_dir.path());
        w.box->ToggleRecording();
        for (int i = 1; i <= 5; ++i) {
            m_clock.advance(7);
            w.box->RecordLinkEvent(i % 2 ? LinkEvent::Pause : LinkEvent::LinkLoss);
        }
        folder = w.folder();
        m_clock.advance(7);
        w.box->StopRecording();
        QVERIFY(w.box->IsRecording());
        QVERIFY(!w.box->recorder().isRecording());
        QCOMPARE(filesIn(folder, "*.png").size(), 7);
        const QStringList summary =
            decode1251(readBytes(m_dir.filePath(w.box->recorder().summaryPath())))
                .split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(summary.contains("Пауз: 3"));
        QVERIFY(summary.contains("Разрывов связи: 2"));
        // Events after the close record nothing.
        w.box->RecordLinkEvent(LinkEvent::Pause);
    }
    QCOMPARE(filesIn(folder, "*.png").size(), 7);
}

QTEST_MAIN(RecordingBoxTest)
#include "tst_recording_box.moc"
