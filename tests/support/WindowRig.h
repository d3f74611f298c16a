#pragma once

#include "TestFiles.h"
#include "app/Main.h"
#include "app/Password.h"
#include "app/WindowParts.h"
#include "common/Clock.h"
#include "connection/MemoryChannel.h"
#include "connection/PollCycle.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>

// Pages that write down what the window asks of them.
struct FakeTuneUp : TuneUpPart {
    QStringList calls;
    void tsTuneUpShow() override { calls << QStringLiteral("show"); }
    void tsTuneUpHide() override { calls << QStringLiteral("hide"); }
    void UpdateTuneUpChart() override { calls << QStringLiteral("chart"); }
    void btnTuneUpClearClick() override { calls << QStringLiteral("clear"); }
    void DetectorLeftAlignment() override { calls << QStringLiteral("leftAlignment"); }
};

struct FakeRange : RangePart {
    QStringList calls;
    panel::IdentificationLists lists;
    bool clearEnabled = false;
    bool recording = false;
    bool letterEditable = false;
    bool addressEditorVisible = false;
    bool throwOnShow = false;

    void tsRangeShow() override {
        calls << QStringLiteral("show");
        if (throwOnShow)
            throw std::runtime_error("page failed");
    }
    void tsRangeHide() override { calls << QStringLiteral("hide"); }
    void UpdateRangeChart() override { calls << QStringLiteral("chart"); }
    void btnApplyRangeClick() override { calls << QStringLiteral("apply"); }
    bool btnClearTrvRangeEnabled() const override { return clearEnabled; }
    void btnClearTrvRangeClick() override { calls << QStringLiteral("clearRecording"); }
    bool IsRecording() const override { return recording; }
    void ToggleRecording() override { calls << QStringLiteral("toggleRecording"); }
    void StopRecording() override { calls << QStringLiteral("stopRecording"); }
    void RecordLinkEvent(LinkEvent event) override { calls << linkEventLabel(event); }
    void SetThresholdLists(const panel::IdentificationLists& l) override { lists = l; }
    void SetLetterEditable(bool editable) override { letterEditable = editable; }
    void SetAddressEditorVisible(bool visible) override { addressEditorVisible = visible; }
    void ShowPositionEditor(unsigned symbol, unsigned number) override {
        calls << QStringLiteral("position %1 %2").arg(symbol).arg(number);
    }
    void ClearPositionEditor() override { calls << QStringLiteral("clearPosition"); }
};

struct FakeParams : ParamsPart {
    QStringList calls;
    bool applyEnabled = false;
    void tsParamsShow() override { calls << QStringLiteral("show"); }
    void btnApplayParamsClick() override { calls << QStringLiteral("apply"); }
    void SetApplyEnabled(bool enabled) override { applyEnabled = enabled; }
};

struct FakeOscillogram : OscillogramPart {
    QStringList calls;
    void actPlayChangeExecute() override { calls << QStringLiteral("play"); }
    void actAutoYScaleExecute() override { calls << QStringLiteral("autoY"); }
    void sbBottomAxisSlowClick() override { calls << QStringLiteral("slower"); }
    void sbBottomAxisFastClick() override { calls << QStringLiteral("faster"); }
    void sbLeftAxisUpClick() override { calls << QStringLiteral("up"); }
    void sbLeftAxisDownClick() override { calls << QStringLiteral("down"); }
    void PauseIfShowingBeforeAlarm() override { calls << QStringLiteral("pauseAtAlarm"); }
};

// A main window in a fresh working folder, with a manual clock and a link fed from memory.
// The settings file names COM5 (a device path that does not exist) as the remembered port.
class WindowRig {
public:
    static constexpr qint64 StartMs = 1765440000000; // a fixed moment, 2025-12-11

    QTemporaryDir dir;
    ManualClock clock{StartMs};
    MemoryChannel channel;
    bool polling = false;
    QMap<int, QString> ports;
    FakeTuneUp tuneUp;
    FakeRange range;
    FakeParams params;
    FakeOscillogram oscillogram;
    std::unique_ptr<TfmMain> window;

    WindowRig() : m_oldDir(QDir::currentPath()) {
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("dev"));
        QDir(dir.path()).mkpath(QStringLiteral("sys"));
        ports.insert(5, portPath(5));
    }
    ~WindowRig() {
        window.reset();
        QDir::setCurrent(m_oldDir);
    }

    QString portPath(int number) const {
        return dir.filePath(QStringLiteral("ttyMissing%1").arg(number));
    }
    void addPort(int number, const QString& path) { ports.insert(number, path); }
    void enableLog() {
        QFile(dir.filePath(QStringLiteral("VelmoraTuner.log"))).open(QIODevice::WriteOnly);
    }

    TfmMain& start() {
        QFile ini(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Connection]\nComPort=5\n[Ports]\n");
        for (auto it = ports.cbegin(); it != ports.cend(); ++it)
            ini.write(QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value()).toUtf8());
        ini.close();
        TfmMain::Setup setup;
        setup.clock = &clock;
        setup.portRoots.dev = dir.filePath(QStringLiteral("dev"));
        setup.portRoots.sysClassTty = dir.filePath(QStringLiteral("sys"));
        setup.channel = &channel;
        setup.startPolling = polling;
        window = std::make_unique<TfmMain>(setup);
        window->installTuneUpPage(nullptr, &tuneUp);
        window->installRangePage(nullptr, &range);
        window->installParamsPage(nullptr, &params);
        window->installOscillogramControls(nullptr, &oscillogram);
        return *window;
    }

    // The detector's bytes arrive; ticks run until all are taken.
    void feed(const QByteArray& bytes) {
        channel.push(bytes);
        while (channel.bytesAvailable() > 0)
            window->pollCycle().Tick();
    }
    // Time passes without a byte; then one tick.
    void silence(qint64 ms) {
        clock.advance(ms);
        window->pollCycle().Tick();
    }

    bool showActive() {
        window->show();
        window->activateWindow();
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == window.get(); });
    }

    template <typename T> T* findTyped(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QWidget* widget(const char* name) const { return findTyped<QWidget>(name); }
    QLabel* label(const char* name) const { return findTyped<QLabel>(name); }
    QString text(const char* name) const { return label(name)->text(); }

    QStringList visibleTabs() const {
        auto* tabs = findTyped<QTabWidget>("pcMain");
        QStringList result;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->isTabVisible(i))
                result << tabs->tabText(i);
        return result;
    }
    void clickTab(const QString& caption) const {
        auto* tabs = findTyped<QTabWidget>("pcMain");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption)
                QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                                  tabs->tabBar()->tabRect(i).center());
    }

    QByteArray settingsText() const {
        return readFile(dir.filePath(QStringLiteral("VelmoraTuner.ini")));
    }
    QByteArray logText() const {
        return readFile(dir.filePath(QStringLiteral("VelmoraTuner.log")));
    }

    // F10, type `code`, press "Проверить". Returns "caption: text" of the message box when one
    // came (it is closed, and the dialog, which must still be open with the typed text, is
    // left with Esc), or an empty text when the dialog closed on the code.
    QString answerPasswordDialog(const QString& code) {
        struct Outcome {
            QString message;
            bool dialogSeen = false;
            bool stayedOpen = false;
        };
        auto outcome = std::make_shared<Outcome>();
        QTimer::singleShot(0, [outcome, code] {
            auto* dialog = qobject_cast<TfrmPassword*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            outcome->dialogSeen = true;
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("ePassword"));
            edit->setText(code);
            QTimer::singleShot(0, [outcome, dialog, edit, code] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                outcome->message = box->windowTitle() + QStringLiteral(": ") + box->text();
                QTimer::singleShot(0, [outcome, dialog, edit, code] {
                    outcome->stayedOpen = dialog->isVisible() && edit->text() == code;
                    QTest::keyClick(dialog, Qt::Key_Escape);
                });
                box->button(QMessageBox::Ok)->click();
            });
            dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
        });
        QTest::keyClick(window.get(), Qt::Key_F10);
        QCoreApplication::processEvents();
        // The main window takes the keyboard back once the dialog is gone.
        showActive();
        if (!outcome->dialogSeen)
            return QStringLiteral("[no dialog]");
        if (!outcome->message.isEmpty() && !outcome->stayedOpen)
            return outcome->message + QStringLiteral(" [dialog closed]");
        return outcome->message;
    }

private:
    QString m_oldDir;
};
