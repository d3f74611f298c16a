#pragma once

#include "app/WindowParts.h"
#include "charts/HintChoice.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "connection/LinkView.h"
#include "log/EventLog.h"
#include "protocol/Scales.h"
#include "serial/PortCatalog.h"

#include <QList>
#include <QWidget>
#include <array>
#include <memory>

namespace Ui {
class TfmMain;
}

class AboutPage;
class Clock;
class CommandSlots;
class PollCycle;
class PollScheduler;
class QAction;
class SerialChannel;
class SerialGate;
class TelemetryTable;
class TfrmPassword;

// The main window. It owns everything of a run: the port, the poll cycle with the telemetry
// and the command slots, the settings file, the log, the tables and the access level. The
// poll cycle reaches it through LinkView; the pages built elsewhere are installed into it and
// driven through the interfaces of WindowParts.h.
class TfmMain final : public QWidget, public LinkView {
    Q_OBJECT
public:
    // The pages in tab order: "О нас", "Юстировка", "Настройки", "Свойства".
    using Page = DisplayPage;
    static constexpr int PageCount = 4;

    static constexpr char DesignCaption[] = "Программа настройки радиоволновых извещателей";
    static constexpr char DeveloperSuffix[] = " : Допуск разработчика";
    static constexpr int BaudRate = 57600;
    // The close waits at most this long for the normal-mode command to go out.
    static constexpr qint64 CloseWaitMs = 10000;

    // What a test replaces; the program uses the defaults.
    struct Setup {
        const Clock* clock = nullptr;     // the system clock when null
        PortCatalogRoots portRoots;       // where serial devices are listed
        SerialChannel* channel = nullptr; // bytes of the link instead of the port's
        bool startPolling = true;         // false: the test runs the ticks itself
    };

    explicit TfmMain(QWidget* parent = nullptr);
    explicit TfmMain(const Setup& setup, QWidget* parent = nullptr);
    ~TfmMain() override;

    // --- Pages built elsewhere -------------------------------------------------------------
    // `content` goes into the page (or the left panel's oscillogram box); `part` (often the
    // same object) receives the page's calls. Neither is owned beyond Qt's parenting.
    void installTuneUpPage(QWidget* content, TuneUpPart* part);
    void installRangePage(QWidget* content, RangePart* part);
    void installParamsPage(QWidget* content, ParamsPart* part);
    void installOscillogramControls(QWidget* content, OscillogramPart* part);
    // The dialog of F10; the program entry creates it after the window.
    void setPasswordDialog(TfrmPassword* dialog);

    // --- State that the pages read ---------------------------------------------------------
    PollCycle& pollCycle() { return *m_cycle; }
    TelemetryTable& telemetry();
    CommandSlots& commands();
    DeviceState deviceState() const;
    bool connected() const { return deviceState() > EDevNone; }
    int accessLevel() const { return m_accessLevel; }
    ScaleTables& scaleTables() { return m_tables; }
    SupplyScale& supplyScale() { return m_supply; }
    AppSettings& settings() { return m_settings; }
    IniFile& settingsFile() { return m_settingsFile; }
    EventLog& eventLog() { return m_log; }
    const Clock& clock() const { return m_clock; }
    SerialGate& serialGate() { return *m_gate; }
    int portNumber() const { return m_portNumber; }
    bool portOpened() const { return m_portOpened; }
    QString baseTitle() const { return m_baseTitle; }

    Page activePage() const { return m_activePage; }
    bool isTabOffered(Page page) const { return m_offered[std::size_t(page)]; }
    // Makes a page active as a click on its tab does: the hide handler of the page left, then
    // the show handler of the new one. A page whose tab is not offered is shown without a tab.
    void setActivePage(Page page);
    bool shortcutsActive() const { return m_shortcutsActive; }
    QAction* action(const QString& objectName) const;

    // The hint line now: entry number and text.
    int noteIndex() const { return m_noteIndex; }
    QString noteText() const;
    // Why the last open of the port failed; empty after a successful open.
    QString portProblem() const;

    // Identification's lists again (the properties page's Apply changes the tables).
    void RebuildRangeLists();
    // The hint for the active page and the detector's condition (none: the line stays).
    void UpdateHint();
    // The averaged level reads "---" (the alignment page shows the signal instead).
    void ShowAverageLevelUnknown();
    void UpdatePages();

    // --- LinkView: the poll cycle's reactions -----------------------------------------------
    void ShowMode(unsigned mode) override;
    void ShowSignal() override;
    void ReactToAverage() override;
    void ReactToSensitivity() override;
    void ReactToSection() override;
    void ReactToSpeed() override;
    void ShowAverageLevel() override;
    void ReactToIdentity() override;
    void ReactToPower() override;
    void ShowPosition() override;
    void IdentifyDetector() override;
    void ActivateAlignmentPage() override;
    void ShowLinkReset() override;
    void SetNote(int index) override;
    void UpdatePages(DeviceState state) override;
    void ReselectPort() override;
    bool IsRecording() const override;
    void RecordLinkEvent(LinkEvent event) override;
    void ShowError(const QString& message) override;

public Q_SLOTS:
    // Port list.
    void cbComPortDropDown();
    void cbComPortChange();
    // Pages.
    void tsAboutShow();
    // Keyboard actions.
    void actAboutSelectExecute();
    void actTuneUpSelectExecute();
    void actSetupSelectExecute();
    void actApplyExecute();
    void actSaveTrvExecute();
    void actPlayChangeExecute();
    void actClearExecute();
    void actParamsSelectExecute();
    void actEnterPasswordExecute();
    void actAutoYScaleExecute();
    void sbBottomAxisSlowClick();
    void sbBottomAxisFastClick();
    void sbLeftAxisUpClick();
    void sbLeftAxisDownClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const Setup& setup);
    void FormClose();
    void buildActions();
    void setShortcutsActive(bool active);
    void ReadSettings();
    void WritePortNumber();
    void applyNote(int index);
    void fitNoteFont();
    void showPortProblem(const QString& text);
    void fillPortList(const QList<int>& numbers, int selected, const ComPortTable& table);
    void applyOfferedTabs(const std::array<bool, PageCount>& offered);
    void runPageShow(Page page);
    void runPageHide(Page page);
    void runRangeShow();
    void focusAfterPortList();
    void setValue(class QLabel* label, const QString& text);
    QWidget* pageWidget(Page page) const;
    Page pageOfIndex(int index) const;
    void onTabChanged(int index);

    Ui::TfmMain* ui;
    const Clock& m_clock;
    EventLog m_log;
    IniFile m_settingsFile;
    AppSettings m_settings;
    ScaleTables m_tables;
    SupplyScale m_supply;
    std::unique_ptr<SerialGate> m_gate;
    std::unique_ptr<SerialChannel> m_gateChannel;
    SerialChannel* m_channel = nullptr;
    std::unique_ptr<PollCycle> m_cycle;
    std::unique_ptr<PollScheduler> m_scheduler;

    TuneUpPart m_noTuneUp;
    RangePart m_noRange;
    ParamsPart m_noParams;
    OscillogramPart m_noOscillogram;
    TuneUpPart* m_tuneUp = &m_noTuneUp;
    RangePart* m_range = &m_noRange;
    ParamsPart* m_params = &m_noParams;
    OscillogramPart* m_oscillogram = &m_noOscillogram;
    TfrmPassword* m_password = nullptr;
    AboutPage* m_about = nullptr;

    QList<QAction*> m_actions;
    bool m_shortcutsActive = false;
    std::array<bool, PageCount> m_offered{true, false, false, false};
    Page m_activePage = Page::About;
    bool m_switchingPages = false;

    quint8 m_accessLevel = 1;
    int m_portNumber = 0;
    bool m_portOpened = false;
    QString m_lastLoggedPortProblem;
    QString m_baseTitle;
    int m_noteIndex = -1;
    bool m_closing = false;
};
