#include "app/Main.h"

#include "app/AboutPage.h"
#include "app/ErrorBox.h"
#include "app/Password.h"
#include "app/WindowFonts.h"
#include "common/Clock.h"
#include "common/Hints.h"
#include "connection/GateChannel.h"
#include "connection/PollCycle.h"
#include "connection/PollScheduler.h"
#include "log/Version.h"
#include "protocol/DevicePanel.h"
#include "serial/PortList.h"
#include "serial/SerialGate.h"
#include "ui_Main.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

namespace {

QColor colourOf(quint32 rgb) {
    return QColor::fromRgb(QRgb(rgb));
}

// The mode box's colours: a fixed value or the system's own.
QColor colourOf(const panel::PanelColour& colour, const QPalette& system) {
    switch (colour.role) {
    case panel::PanelColour::ButtonFace:
        return system.color(QPalette::Button);
    case panel::PanelColour::WindowText:
        return system.color(QPalette::WindowText);
    case panel::PanelColour::Rgb:
        break;
    }
    return colourOf(colour.rgb);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QString noValue() {
    return QString::fromUtf8(panel::NoValue);
}

} // namespace

TfmMain::TfmMain(QWidget* parent) : TfmMain(Setup{}, parent) {}

TfmMain::TfmMain(const Setup& setup, QWidget* parent)
    : QWidget(parent), ui(new Ui::TfmMain),
      m_clock(setup.clock ? *setup.clock : SystemClock::instance()), m_log(m_clock),
      m_settingsFile(QString::fromLatin1(ProgramBaseName) + QStringLiteral(".ini")) {
    FormCreate(setup);
}

TfmMain::~TfmMain() {
    if (m_scheduler)
        m_scheduler->stop();
    // The pages' contents go with the window's widgets; nothing calls them from here on.
    disconnect(ui->pcMain, nullptr, this, nullptr);
    m_tuneUp = &m_noTuneUp;
    m_range = &m_noRange;
    m_params = &m_noParams;
    m_oscillogram = &m_noOscillogram;
    // What was placed into the window may still refer to the link; it goes first.
    QList<QPointer<QObject>> placed;
    for (QObject* child : children())
        placed << child;
    for (const QPointer<QObject>& child : std::as_const(placed))
        delete child.data();
    delete ui;
}

// Start-up, in the order the parts depend on each other: controls, port and link state, log,
// title, the link reset (start-up look), settings, port list, and the poll timer last.
void TfmMain::FormCreate(const Setup& setup) {
    window_fonts::registerFallbackFonts();
    ui->setupUi(this);
    setFont(window_fonts::interfaceFont());
    ui->memoNote->setFont(window_fonts::hintFont());
    ui->memoNote->installEventFilter(this);
    {
        QPalette note = ui->memoNote->palette();
        note.setColor(QPalette::Base, note.color(QPalette::Button));
        ui->memoNote->setPalette(note);
    }
    ui->lPortProblem->setFont(window_fonts::interfaceFont());
    setTextColour(ui->lPortProblem, colourOf(0xFF0000));
    m_about = new AboutPage(VersionString(), ui->tsAbout);
    ui->layoutAbout->addWidget(m_about);

    buildActions();
    connect(ui->pcMain, &QTabWidget::currentChanged, this, &TfmMain::onTabChanged);
    connect(ui->cbComPort, &PortComboBox::aboutToDropDown, this, &TfmMain::cbComPortDropDown);
    connect(ui->cbComPort, &QComboBox::activated, this, [this](int) { cbComPortChange(); });

    m_gate = std::make_unique<SerialGate>(PortCatalog(setup.portRoots));
    m_gateChannel = std::make_unique<GateChannel>(*m_gate);
    m_channel = setup.channel ? setup.channel : m_gateChannel.get();
    m_log.StartLog();
    m_cycle = std::make_unique<PollCycle>(*m_channel, m_clock, *this, &m_log);
    m_cycle->setOnIdentified([this] { WritePortNumber(); });
    m_scheduler = std::make_unique<PollScheduler>(*m_cycle, *m_channel);
    connect(m_gate.get(), &SerialGate::readyRead, m_scheduler.get(),
            &PollScheduler::onBytesArrived);
    connect(m_gate.get(), &SerialGate::closedByError, this, [this](const QString& reason) {
        m_log.WriteLog(QStringLiteral("Port COM%1 closed: %2").arg(m_portNumber).arg(reason));
    });

    m_accessLevel = 1;
    m_baseTitle = QString::fromUtf8(DesignCaption) + QLatin1Char(' ') + VersionString();
    setWindowTitle(m_baseTitle);

    m_cycle->ResetLink();
    ReadSettings();
    m_portNumber = m_settings.comPort;
    cbComPortDropDown();

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    if (setup.startPolling)
        m_scheduler->start();
}

void TfmMain::ReadSettings() {
    if (!m_settingsFile.load())
        m_log.WriteLog(QStringLiteral("Settings file %1 not used: %2")
                           .arg(m_settingsFile.path(), m_settingsFile.loadError()));
    m_settings = readAppSettings(m_settingsFile);
    m_supply.Kdc = m_settings.kdc;
    m_supply.Urd = m_settings.urd;
    const std::array<const std::array<double, AppSettings::ThresholdCodes>*, 3> rows{
        &m_settings.pp, &m_settings.mp, &m_settings.bp};
    for (int k = 0; k < 3; ++k)
        for (int code = 0; code < AppSettings::ThresholdCodes; ++code)
            m_tables.setThresholdCell(ThresholdKind(k), code, FormatFourDecimals((*rows[k])[code]));
    for (int n = AppSettings::FirstLengthCode; n <= AppSettings::LastLengthCode; ++n) {
        m_tables.setLengthCell(0, n, QString::number(m_settings.freq0Dist[n]));
        m_tables.setLengthCell(1, n, QString::number(m_settings.freq1Dist[n]));
    }
    m_gate->catalog().setOverrides(m_settings.portDevices);
}

void TfmMain::WritePortNumber() {
    const SettingsWriteResult result = writePortNumber(m_settingsFile, m_portNumber);
    if (!result.ok)
        ShowErrorBox(result.error, this);
}

// --- Installed pages ---------------------------------------------------------------------

void TfmMain::installTuneUpPage(QWidget* content, TuneUpPart* part) {
    if (content)
        ui->layoutTuneUp->addWidget(content);
    m_tuneUp = part ? part : &m_noTuneUp;
}

void TfmMain::installRangePage(QWidget* content, RangePart* part) {
    if (content)
        ui->layoutRange->addWidget(content);
    m_range = part ? part : &m_noRange;
}

void TfmMain::installParamsPage(QWidget* content, ParamsPart* part) {
    if (content)
        ui->layoutParams->addWidget(content);
    m_params = part ? part : &m_noParams;
    m_params->SetApplyEnabled(connected());
}

void TfmMain::installOscillogramControls(QWidget* content, OscillogramPart* part) {
    if (content)
        ui->layoutOscillogram->addWidget(content);
    m_oscillogram = part ? part : &m_noOscillogram;
}

void TfmMain::setPasswordDialog(TfrmPassword* dialog) {
    m_password = dialog;
}

TelemetryTable& TfmMain::telemetry() {
    return m_cycle->telemetry();
}

CommandSlots& TfmMain::commands() {
    return m_cycle->commands();
}

DeviceState TfmMain::deviceState() const {
    return m_cycle->state();
}

// --- Keyboard actions --------------------------------------------------------------------

void TfmMain::buildActions() {
    struct Binding {
        const char* name;
        QKeySequence key;
        void (TfmMain::*handler)();
    };
    const Binding bindings[] = {
        {"actAboutSelect", Qt::Key_F1, &TfmMain::actAboutSelectExecute},
        {"actTuneUpSelect", Qt::Key_F2, &TfmMain::actTuneUpSelectExecute},
        {"actSetupSelect", Qt::Key_F3, &TfmMain::actSetupSelectExecute},
        {"actApply", Qt::Key_F5, &TfmMain::actApplyExecute},
        {"actSaveTrv", Qt::Key_F6, &TfmMain::actSaveTrvExecute},
        {"actPlayChange", Qt::Key_F7, &TfmMain::actPlayChangeExecute},
        {"actClear", Qt::Key_F8, &TfmMain::actClearExecute},
        {"actParamsSelect", Qt::Key_F9, &TfmMain::actParamsSelectExecute},
        {"actEnterPassword", Qt::Key_F10, &TfmMain::actEnterPasswordExecute},
        {"actAutoYScale", QKeySequence(Qt::CTRL | Qt::Key_Z), &TfmMain::actAutoYScaleExecute},
        {"actBottomAxisSlow", QKeySequence(Qt::CTRL | Qt::Key_Q), &TfmMain::sbBottomAxisSlowClick},
        {"actBottomAxisFast", QKeySequence(Qt::CTRL | Qt::Key_W), &TfmMain::sbBottomAxisFastClick},
        {"actLeftAxisUp", QKeySequence(Qt::CTRL | Qt::Key_A), &TfmMain::sbLeftAxisUpClick},
        {"actLeftAxisDown", QKeySequence(Qt::CTRL | Qt::Key_S), &TfmMain::sbLeftAxisDownClick},
    };
    for (const Binding& binding : bindings) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(binding.name));
        act->setShortcut(binding.key);
        act->setShortcutContext(Qt::WindowShortcut);
        act->setEnabled(false);
        connect(act, &QAction::triggered, this, binding.handler);
        addAction(act);
        m_actions << act;
    }
    action(QStringLiteral("actEnterPassword"))->setText(QStringLiteral("Введите пароль"));
}

QAction* TfmMain::action(const QString& objectName) const {
    for (QAction* act : m_actions)
        if (act->objectName() == objectName)
            return act;
    return nullptr;
}

void TfmMain::setShortcutsActive(bool active) {
    m_shortcutsActive = active;
    for (QAction* act : std::as_const(m_actions))
        act->setEnabled(active);
}

void TfmMain::actAboutSelectExecute() {
    setActivePage(Page::About);
    SetNote(6);
}

void TfmMain::actTuneUpSelectExecute() {
    setActivePage(Page::TuneUp);
}

void TfmMain::actSetupSelectExecute() {
    setActivePage(Page::Range);
}

void TfmMain::actApplyExecute() {
    if (m_activePage == Page::Range)
        m_range->btnApplyRangeClick();
    else if (m_activePage == Page::Params)
        m_params->btnApplayParamsClick();
}

void TfmMain::actSaveTrvExecute() {
    if (m_activePage == Page::Range)
        m_range->ToggleRecording();
}

void TfmMain::actPlayChangeExecute() {
    m_oscillogram->actPlayChangeExecute();
}

void TfmMain::actClearExecute() {
    if (m_activePage == Page::TuneUp)
        m_tuneUp->btnTuneUpClearClick();
    else if (m_activePage == Page::Range && m_range->btnClearTrvRangeEnabled())
        m_range->btnClearTrvRangeClick();
}

void TfmMain::actParamsSelectExecute() {
    if (m_accessLevel == 2)
        setActivePage(Page::Params);
}

void TfmMain::actEnterPasswordExecute() {
    if (!m_password)
        m_password = new TfrmPassword(this);
    if (m_password->exec() == TfrmPassword::Yes) {
        m_accessLevel = 2;
        setWindowTitle(m_baseTitle + QString::fromUtf8(DeveloperSuffix));
    }
    UpdatePages();
}

void TfmMain::actAutoYScaleExecute() {
    m_oscillogram->actAutoYScaleExecute();
}

void TfmMain::sbBottomAxisSlowClick() {
    m_oscillogram->sbBottomAxisSlowClick();
}

void TfmMain::sbBottomAxisFastClick() {
    m_oscillogram->sbBottomAxisFastClick();
}

void TfmMain::sbLeftAxisUpClick() {
    m_oscillogram->sbLeftAxisUpClick();
}

void TfmMain::sbLeftAxisDownClick() {
    m_oscillogram->sbLeftAxisDownClick();
}

// --- Pages -------------------------------------------------------------------------------

QWidget* TfmMain::pageWidget(Page page) const {
    switch (page) {
    case Page::About:
        return ui->tsAbout;
    case Page::TuneUp:
        return ui->tsTuneUp;
    case Page::Range:
        return ui->tsRange;
    case Page::Params:
        return ui->tsParams;
    }
    return ui->tsAbout;
}

TfmMain::Page TfmMain::pageOfIndex(int index) const {
    for (int i = 0; i < PageCount; ++i)
        if (ui->pcMain->widget(index) == pageWidget(Page(i)))
            return Page(i);
    return Page::About;
}

void TfmMain::onTabChanged(int index) {
    if (!m_switchingPages && index >= 0)
        setActivePage(pageOfIndex(index));
}

void TfmMain::setActivePage(Page page) {
    {
        const QSignalBlocker blocker(ui->pcMain);
        ui->pcMain->setCurrentWidget(pageWidget(page));
    }
    if (page == m_activePage)
        return;
    const Page left = m_activePage;
    m_activePage = page;
    runPageHide(left);
    runPageShow(page);
}

void TfmMain::runPageShow(Page page) {
    switch (page) {
    case Page::About:
        tsAboutShow();
        break;
    case Page::TuneUp:
        m_tuneUp->tsTuneUpShow();
        break;
    case Page::Range:
        runRangeShow();
        break;
    case Page::Params:
        m_params->tsParamsShow();
        break;
    }
}

void TfmMain::runPageHide(Page page) {
    switch (page) {
    case Page::About:
        break;
    case Page::TuneUp:
        m_tuneUp->tsTuneUpHide();
        break;
    case Page::Range:
        ui->gbOscillogram->setVisible(false);
        m_range->tsRangeHide();
        break;
    case Page::Params:
        m_params->tsParamsHide();
        break;
    }
}

// The oscillogram controls belong to the Range page and are visible exactly while its show
// handler has run and its hide handler has not.
void TfmMain::runRangeShow() {
    ui->gbOscillogram->setVisible(true);
    m_range->tsRangeShow();
}

void TfmMain::tsAboutShow() {
    SetNote(connected() ? 0 : 4);
}

void TfmMain::UpdatePages() {
    UpdatePages(deviceState());
}

void TfmMain::UpdatePages(DeviceState state) {
    const bool isConnected = state > EDevNone;
    std::array<bool, PageCount> offered{true, isConnected, isConnected, false};
    if (m_accessLevel == 2) {
        offered[std::size_t(Page::Params)] = isConnected;
        m_params->SetApplyEnabled(isConnected);
    }
    applyOfferedTabs(offered);
    if (m_accessLevel == 2 && offered[std::size_t(Page::Params)])
        setActivePage(Page::Params);
    else if (m_accessLevel != 2 && offered[std::size_t(Page::Range)])
        setActivePage(Page::Range);
}

// Shows and hides tabs. When the active page is left without a tab, the page control moves to
// the offered tab that now stands where the active one stood, or to the last offered tab.
void TfmMain::applyOfferedTabs(const std::array<bool, PageCount>& offered) {
    const std::array<bool, PageCount> before = m_offered;
    m_offered = offered;
    {
        m_switchingPages = true;
        const QSignalBlocker blocker(ui->pcMain);
        for (int i = 0; i < PageCount; ++i)
            ui->pcMain->setTabVisible(ui->pcMain->indexOf(pageWidget(Page(i))), offered[i]);
        m_switchingPages = false;
    }
    const auto active = std::size_t(m_activePage);
    if (offered[active]) {
        setActivePage(m_activePage); // the tab bar may have moved on its own
        return;
    }
    int position = 0;
    for (std::size_t i = 0; i < active; ++i)
        position += before[i] ? 1 : 0;
    Page target = Page::About;
    int seen = 0;
    for (int i = 0; i < PageCount; ++i) {
        if (!offered[i])
            continue;
        target = Page(i);
        if (seen++ == position)
            break;
    }
    setActivePage(target);
}

// --- Hint line ---------------------------------------------------------------------------

void TfmMain::SetNote(int index) {
    applyNote(index);
    if (index != 5)
        showPortProblem({});
}

void TfmMain::applyNote(int index) {
    // The oscillogram asks for its hint at every point; only a change costs a new layout.
    if (index == m_noteIndex)
        return;
    const HintEntry entry = hintEntry(index);
    m_noteIndex = index;
    ui->memoNote->setText(entry.text);
    ui->memoNote->setToolTip(entry.text);
    ui->memoNote->setCursorPosition(0);
    fitNoteFont();
    if (entry.colour != HintColour::None)
        setTextColour(ui->memoNote, colourOf(hintColourRgb(entry.colour)));
}

// The hint line stays one line: a text wider than the line is set in a smaller size of the
// same face rather than cut off.
void TfmMain::fitNoteFont() {
    constexpr int DesignPixels = 15;
    constexpr int SmallestPixels = 10;
    QLineEdit* memo = ui->memoNote;
    const int room = memo->contentsRect().width() - 8;
    int pixels = DesignPixels;
    QFont font = window_fonts::hintFont(pixels);
    while (pixels > SmallestPixels && QFontMetrics(font).horizontalAdvance(memo->text()) > room)
        font = window_fonts::hintFont(--pixels);
    if (font != memo->font())
        memo->setFont(font);
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->memoNote && event->type() == QEvent::Resize)
        fitNoteFont();
    return QWidget::eventFilter(watched, event);
}

QString TfmMain::noteText() const {
    return ui->memoNote->text();
}

void TfmMain::UpdateHint() {
    const TelemetryTable& t = telemetry();
    if (const std::optional<int> index = ::UpdateHint(m_activePage, t.state(), t.dis(), t.reg()))
        SetNote(*index);
}

void TfmMain::showPortProblem(const QString& text) {
    if (text == ui->lPortProblem->text() && ui->lPortProblem->isHidden() == text.isEmpty())
        return;
    ui->lPortProblem->setText(text);
    ui->lPortProblem->setVisible(!text.isEmpty());
}

QString TfmMain::portProblem() const {
    return ui->lPortProblem->text();
}

// --- Port list ---------------------------------------------------------------------------

void TfmMain::fillPortList(const QList<int>& numbers, int selected, const ComPortTable& table) {
    QComboBox* box = ui->cbComPort;
    const QSignalBlocker blocker(box);
    bool same = box->count() == numbers.size();
    for (int i = 0; same && i < numbers.size(); ++i)
        same = portNumberOfEntry(box->itemText(i)) == numbers[i];
    if (!same) {
        box->clear();
        for (const int n : numbers)
            box->addItem(portEntryText(n));
    }
    for (int i = 0; i < numbers.size(); ++i) {
        QString path = m_gate->catalog().devicePathFor(numbers[i]);
        QString stable;
        bool present = false;
        for (const ComPortEntry& entry : table) {
            if (entry.Number == numbers[i]) {
                path = entry.devicePath;
                stable = entry.stablePath;
                present = true;
            }
        }
        QString tip = path.isEmpty() ? QStringLiteral("нет устройства") : path;
        if (!stable.isEmpty() && stable != path)
            tip += QLatin1Char('\n') + stable;
        if (!present)
            tip += QStringLiteral(" (отсутствует)");
        box->setItemData(i, tip, Qt::ToolTipRole);
    }
    box->setCurrentIndex(selected);
    box->setToolTip(selected >= 0 ? box->itemData(selected, Qt::ToolTipRole).toString()
                                  : QString());
}

void TfmMain::cbComPortDropDown() {
    SetNote(3);
    m_gate->close();
    const ComPortTable table = m_gate->catalog().EnumComPorts();
    QList<int> present;
    for (const ComPortEntry& entry : table)
        present << entry.Number;
    PortListState list;
    for (int i = 0; i < ui->cbComPort->count(); ++i)
        list.numbers << portNumberOfEntry(ui->cbComPort->itemText(i));
    list.selected = ui->cbComPort->currentIndex();
    const PortListState merged = MergePortList(list, present, m_portNumber);
    fillPortList(merged.numbers, merged.selected, table);
    m_portNumber = merged.selectedNumber();
    m_portOpened = m_gate->open(m_portNumber, BaudRate);
    if (m_portOpened) {
        m_lastLoggedPortProblem.clear();
        return;
    }
    SetNote(5);
    const QString path = m_gate->devicePath();
    QString problem = m_portNumber > 0 ? QStringLiteral("COM%1").arg(m_portNumber)
                                       : QStringLiteral("Нет COM-портов");
    if (!path.isEmpty())
        problem += QStringLiteral(" (%1)").arg(path);
    if (m_portNumber > 0)
        problem += QStringLiteral(": ") + m_gate->openFailureText();
    showPortProblem(problem);
    // Once per cause: the attempt repeats every 1.2 s while nothing answers.
    if (problem != m_lastLoggedPortProblem) {
        m_lastLoggedPortProblem = problem;
        m_log.WriteLog(QStringLiteral("Port not opened: ") + problem);
    }
}

void TfmMain::cbComPortChange() {
    m_cycle->setState(EDevNone);
    m_cycle->ResetLink();
    SetNote(4);
    m_portNumber = portNumberOfEntry(ui->cbComPort->currentText());
    cbComPortDropDown();
    // Picked by the user: the supervision's next deadline starts from the new state.
    m_scheduler->supervisionChanged();
}

void TfmMain::ReselectPort() {
    cbComPortChange();
}

// --- Information panel -------------------------------------------------------------------

void TfmMain::setValue(QLabel* label, const QString& text) {
    label->setText(text);
}

void TfmMain::ShowMode(unsigned mode) {
    const panel::ModeLook look = panel::modeLook(mode);
    const QPalette system = QApplication::palette();
    QPalette palette = ui->lState->palette();
    palette.setColor(QPalette::Window, colourOf(look.background, system));
    palette.setColor(QPalette::WindowText, colourOf(look.foreground, system));
    ui->lState->setPalette(palette);
    ui->lState->setText(look.text);
    ui->lState->setToolTip(look.text);
}

void TfmMain::ShowLinkReset() {
    if (m_activePage != Page::TuneUp)
        setActivePage(Page::About);
    for (QLabel* label :
         {ui->lModel, ui->lProg, ui->lOutType, ui->lLetter, ui->lAddress, ui->lPosition})
        setValue(label, noValue());
    m_range->ClearPositionEditor();
    for (QLabel* label : {ui->lDist, ui->lAver, ui->lSens, ui->lRegul, ui->lSpeed, ui->lPower})
        setValue(label, noValue());
    setShortcutsActive(false);
}

void TfmMain::ShowSignal() {
    if (m_activePage == Page::TuneUp) {
        m_oscillogram->TouchLastPlotTime();
        if (connected() && telemetry().state() == ModeAlignment)
            m_tuneUp->UpdateTuneUpChart();
    } else if (m_activePage == Page::Range) {
        m_range->UpdateRangeChart();
    }
}

void TfmMain::ActivateAlignmentPage() {
    setActivePage(Page::TuneUp);
}

void TfmMain::ReactToAverage() {
    const TelemetryTable& t = telemetry();
    const unsigned mode = t.state();
    const unsigned previous = t.previousState();
    ShowMode(mode);
    if (m_activePage == Page::TuneUp) {
        if (previous == ModeAlignment && (mode == ModeNormal || mode == ModeAlarm)) {
            m_tuneUp->DetectorLeftAlignment();
            runRangeShow();
        } else if (previous == ModeAlarm && mode == ModeAlignment) {
            std::array<bool, PageCount> offered = m_offered;
            offered[std::size_t(Page::Range)] = connected();
            applyOfferedTabs(offered);
        }
    }
    if (previous != ModeAlarm && mode == ModeAlarm && m_activePage == Page::Range) {
        m_oscillogram->PauseIfShowingBeforeAlarm();
        m_range->UpdateRangeChart();
    }
    UpdateHint();
}

void TfmMain::ReactToSensitivity() {}

void TfmMain::ReactToSection() {
    const TelemetryTable& t = telemetry();
    setValue(ui->lRegul, panel::regulationText(t.reg(), t.ctrl_pp_mp()));
    setValue(ui->lSens, panel::sensitivityText(t, m_tables));
    setValue(ui->lDist, panel::sectionLengthText(t.dist()));
}

void TfmMain::ReactToSpeed() {
    const TelemetryTable& t = telemetry();
    setValue(ui->lSpeed, panel::speedText(t.vel_min(), t.vel_max()));
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    setTextColour(ui->lAver, text);
    setTextColour(ui->lPower, text);
}

void TfmMain::ShowAverageLevelUnknown() {
    setValue(ui->lAver, noValue());
}

void TfmMain::ShowAverageLevel() {
    const TelemetryTable& t = telemetry();
    if (m_activePage == Page::TuneUp || t.state() == ModeAlarm)
        setValue(ui->lAver, noValue());
    else
        setValue(ui->lAver, panel::averageLevelText(t.ref(), t.aver(), t.amplif()));
}

void TfmMain::ReactToIdentity() {
    const TelemetryTable& t = telemetry();
    setValue(ui->lProg, panel::versionText(t.cs(), t.prog()));
    ui->lLetterLabel->setEnabled(true);
    ui->lLetter->setEnabled(true);
    setValue(ui->lLetter, panel::letterText(t.letter()));
    m_range->SetLetterEditable(t.dev() < 2);
}

void TfmMain::ReactToPower() {
    const TelemetryTable& t = telemetry();
    setValue(ui->lOutType, panel::outputTypeText(t.dev(), t.out()));
    setValue(ui->lPower, panel::supplyText(m_supply, t.pwr()));
    if (deviceState() != EDevParams)
        return;
    setValue(ui->lModel, panel::modelName(t.dev(), t.freq()));
    const bool address = panel::showsAddress(t.dev(), t.out());
    ui->lAddressLabel->setVisible(address);
    ui->lAddress->setVisible(address);
    setValue(ui->lAddress, address ? panel::addressText(t.adr()) : QString());
    m_range->SetAddressEditorVisible(address);
}

void TfmMain::ShowPosition() {
    const TelemetryTable& t = telemetry();
    if (ui->lPosition->isHidden()) {
        ui->lPositionLabel->setVisible(true);
        ui->lPosition->setVisible(true);
    }
    setValue(ui->lPosition, panel::positionText(t.symbol(), t.number()));
    m_range->ShowPositionEditor(t.symbol(), t.number());
}

void TfmMain::RebuildRangeLists() {
    const panel::IdentificationLists lists =
        panel::buildIdentificationLists(telemetry().cs(), m_tables);
    for (const QString& note : lists.notes)
        m_log.WriteLog(QStringLiteral("IdentifyDetector: ") + note);
    m_range->SetThresholdLists(lists);
}

void TfmMain::IdentifyDetector() {
    const TelemetryTable& t = telemetry();
    RebuildRangeLists();
    if (t.reg() == 3)
        commands().RequestAutomaticRegulation();
    UpdatePages();
    if (t.state() == ModeAlignment) {
        setActivePage(Page::TuneUp);
    } else {
        setActivePage(Page::Range);
        UpdateHint();
    }
    setShortcutsActive(true);
    focusAfterPortList();
}

// The input focus goes to the control after the port list in tab order.
void TfmMain::focusAfterPortList() {
    QWidget* start = ui->cbComPort;
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this) &&
            isAncestorOf(w)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// --- Recording and errors ----------------------------------------------------------------

bool TfmMain::IsRecording() const {
    return m_range->IsRecording();
}

void TfmMain::RecordLinkEvent(LinkEvent event) {
    m_range->RecordLinkEvent(event);
}

void TfmMain::ShowError(const QString& message) {
    ShowErrorBox(message, this);
}

// --- Close -------------------------------------------------------------------------------

void TfmMain::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        FormClose();
    }
    event->accept();
}

// A detector left in alignment mode is asked back to normal guarding first. The wait lets
// the poll ticks run (they send the command right after telemetry) and ends when nothing is
// pending any more or after CloseWaitMs, also when the detector has stopped answering.
void TfmMain::FormClose() {
    SetNote(0);
    if (telemetry().state() == ModeAlignment) {
        commands().RequestNormalMode();
        const qint64 start = m_clock.nowMs();
        QEventLoop waiter;
        while (commands().HasPendingCommands() && m_clock.nowMs() - start <= CloseWaitMs) {
            QTimer::singleShot(1, &waiter, &QEventLoop::quit);
            waiter.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    m_scheduler->stop();
    m_gate->close();
    if (m_range->IsRecording())
        m_range->StopRecording();
}
