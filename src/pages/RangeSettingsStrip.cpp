#include "pages/RangeSettingsStrip.h"

#include "pages/DropDownList.h"
#include "pages/OutlineFrame.h"
#include "protocol/CommandSlots.h"
#include "protocol/Telemetry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

void setLabelColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
}

QStringList itemsOf(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// A label above its list, as one column of the strip.
QVBoxLayout* column(QWidget* top, QWidget* bottom) {
    auto* layout = new QVBoxLayout;
    layout->setSpacing(2);
    if (top)
        layout->addWidget(top);
    else
        layout->addStretch();
    layout->addWidget(bottom);
    return layout;
}

} // namespace

RangeSettingsStrip::RangeSettingsStrip(const TelemetryTable& telemetry, CommandSlots& commands,
                                       const ScaleTables& tables, QWidget* parent)
    : QGroupBox(parent), m_telemetry(telemetry), m_commands(commands), m_tables(tables),
      m_s(InitialRangeSelectors()) {
    setObjectName(QStringLiteral("gbRange"));
    build();
    mirror();
}

QLabel* RangeSettingsStrip::addLabel(const char* name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    return label;
}

DropDownList* RangeSettingsStrip::addList(const char* name, Selector RangeSelectors::*selector,
                                          QLabel* label) {
    auto* list = new DropDownList(this);
    list->setObjectName(QLatin1String(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMaxVisibleItems(20);
    m_bindings.push_back({list, label, selector});
    return list;
}

void RangeSettingsStrip::build() {
    auto* regulLabel = addLabel("lRegulRange", QStringLiteral("Метод регул.:"));
    auto* regul = addList("cbRegulRange", &RangeSelectors::regul, regulLabel);
    auto* distLabel = addLabel("lDistRange", QStringLiteral("Дл.участка, м:"));
    auto* dist = addList("cbDistRange", &RangeSelectors::dist, distLabel);
    auto* sensLabel = addLabel("lRangeSens", QStringLiteral("Чувств.:"));
    auto* sens = addList("cbRangeSens", &RangeSelectors::sens, sensLabel);

    // The three threshold boxes sit in a panel of their own, which the red frame outlines.
    auto* thresholds = new QWidget(this);
    thresholds->setObjectName(QStringLiteral("pThresholds"));
    auto* ppLabel = addLabel("lRangePP", QStringLiteral("ПП:"));
    auto* mpLabel = addLabel("lRangeMP", QStringLiteral("МП:"));
    auto* bpLabel = addLabel("lRangeBP", QStringLiteral("БП:"));
    setLabelColour(ppLabel, QColor(0x00, 0x80, 0x00));
    setLabelColour(mpLabel, QColor(0x00, 0x00, 0xFF));
    setLabelColour(bpLabel, QColor(0xFF, 0x00, 0x00));
    m_pp = addList("cbRangePP", &RangeSelectors::pp, ppLabel);
    m_mp = addList("cbRangeMP", &RangeSelectors::mp, mpLabel);
    m_bp = addList("cbRangeBP", &RangeSelectors::bp, bpLabel);
    // Caption over the three labels over the three lists: the strip must fit the window's
    // 820 px with every list wide enough to read its value.
    auto* boxes = new QGridLayout(thresholds);
    boxes->setContentsMargins(5, 2, 5, 4);
    boxes->setHorizontalSpacing(6);
    boxes->setVerticalSpacing(1);
    auto* thresholdsCaption = addLabel("lThresholds", QStringLiteral("Пороги"));
    thresholdsCaption->setParent(thresholds);
    thresholdsCaption->setAlignment(Qt::AlignHCenter);
    boxes->addWidget(thresholdsCaption, 0, 0, 1, 3);
    int at = 0;
    for (auto [label, list] :
         {std::pair<QLabel*, QComboBox*>{ppLabel, m_pp}, {mpLabel, m_mp}, {bpLabel, m_bp}}) {
        label->setParent(thresholds);
        list->setParent(thresholds);
        boxes->addWidget(label, 1, at, Qt::AlignHCenter);
        boxes->addWidget(list, 2, at);
        ++at;
    }
    m_wrongThresholds = new OutlineFrame(QColor(0xFF, 0x00, 0x00), 3, thresholds);
    m_wrongThresholds->setObjectName(QStringLiteral("shWrongThresholds"));
    m_wrongThresholds->hide();

    auto* minLabel = addLabel("lNewMinSpeed", QStringLiteral("Vмин:"));
    auto* minSpeed = addList("cbNewMinSpeed", &RangeSelectors::minSpeed, minLabel);
    auto* maxLabel = addLabel("lNewMaxSpeed", QStringLiteral("Vмакс:"));
    auto* maxSpeed = addList("cbNewMaxSpeed", &RangeSelectors::maxSpeed, maxLabel);
    auto* addressLabel = addLabel("lNewAddress", QStringLiteral("Адр.:"));
    auto* address = addList("cbNewAddress", &RangeSelectors::address, addressLabel);
    m_letterLabel = addLabel("lNewLetter", QStringLiteral("Unit ID:"));
    auto* letter = addList("cbNewLetter", &RangeSelectors::letter, m_letterLabel);

    // The position designation: one caption over the letter and the two digits.
    m_newPosLabel = addLabel("lNewPos", QStringLiteral("П.обозн.:"));
    auto* symbol = addList("cbNewPosSymbol", &RangeSelectors::symbol, m_newPosLabel);
    auto* tens = addList("cbNewPosNumber1", &RangeSelectors::tens, nullptr);
    auto* units = addList("cbNewPosNumber2", &RangeSelectors::units, nullptr);
    auto* position = new QHBoxLayout;
    position->setSpacing(2);
    position->addWidget(symbol);
    position->addWidget(tens);
    position->addWidget(units);

    m_apply = new QPushButton(QStringLiteral("Примен.<F5>"), this);
    m_apply->setObjectName(QStringLiteral("btnApplyRange"));
    m_cancel = new QPushButton(QStringLiteral("Отмен.<Esc>"), this);
    m_cancel->setObjectName(QStringLiteral("btnCancelRange"));
    for (QPushButton* button : {m_apply, m_cancel})
        button->setFocusPolicy(Qt::TabFocus);

    // Two lines of selectors beside the threshold panel and the buttons: in one line the strip
    // would not fit the window's 820 px without squeezing lists below their values.
    auto* settingsLine = new QHBoxLayout;
    settingsLine->setSpacing(8);
    settingsLine->addLayout(column(regulLabel, regul));
    settingsLine->addLayout(column(distLabel, dist));
    settingsLine->addLayout(column(sensLabel, sens));
    settingsLine->addStretch();
    auto* positionColumn = new QVBoxLayout;
    positionColumn->setSpacing(2);
    positionColumn->addWidget(m_newPosLabel);
    positionColumn->addLayout(position);
    auto* unitLine = new QHBoxLayout;
    unitLine->setSpacing(8);
    unitLine->addLayout(column(minLabel, minSpeed));
    unitLine->addLayout(column(maxLabel, maxSpeed));
    unitLine->addLayout(column(addressLabel, address));
    unitLine->addLayout(column(m_letterLabel, letter));
    unitLine->addLayout(positionColumn);
    unitLine->addStretch();
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    lines->addLayout(settingsLine);
    lines->addLayout(unitLine);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_apply);
    buttons->addStretch();
    buttons->addWidget(m_cancel);

    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(6, 2, 6, 4);
    strip->setSpacing(8);
    strip->addLayout(lines);
    strip->addWidget(thresholds, 0, Qt::AlignVCenter);
    strip->addLayout(buttons);
    strip->addStretch();

    // A crowded strip must not squeeze a list below its contents: a value hidden behind the
    // arrow is no use to the engineer.
    for (const Binding& b : m_bindings)
        b.combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // Only the user's choice runs a handler: `activated` is not emitted for programmatic moves.
    for (const Binding& b : m_bindings) {
        void (RangeSettingsStrip::*handler)() = &RangeSettingsStrip::markEdited;
        if (b.combo == regul)
            handler = &RangeSettingsStrip::cbRegulRangeChange;
        else if (b.combo == dist)
            handler = &RangeSettingsStrip::cbDistRangeChange;
        else if (b.combo == sens)
            handler = &RangeSettingsStrip::cbRangeSensChange;
        connect(b.combo, &QComboBox::activated, this, handler);
    }
    connect(m_apply, &QPushButton::clicked, this, &RangeSettingsStrip::btnApplyRangeClick);
    connect(m_cancel, &QPushButton::clicked, this, &RangeSettingsStrip::btnCancelRangeClick);
}

RangeReport RangeSettingsStrip::report() const {
    return ReportOf(m_telemetry);
}

void RangeSettingsStrip::takeUserChoices() {
    for (const Binding& b : m_bindings)
        (m_s.*b.selector).position = b.combo->currentIndex();
}

void RangeSettingsStrip::mirror() {
    for (const Binding& b : m_bindings) {
        const Selector& selector = m_s.*b.selector;
        const QSignalBlocker blocker(b.combo);
        if (itemsOf(b.combo) != selector.items) {
            b.combo->clear();
            b.combo->addItems(selector.items);
        }
        b.combo->setCurrentIndex(selector.position);
        b.combo->setVisible(selector.visible);
        b.combo->setEnabled(selector.enabled);
        if (b.label)
            b.label->setVisible(selector.visible);
    }
    // The letter's caption follows the letter's enabling too.
    m_letterLabel->setEnabled(m_s.letter.enabled);
    m_apply->setEnabled(m_s.edited);
    m_cancel->setEnabled(m_s.edited);
}

void RangeSettingsStrip::setThresholdLists(const ThresholdLists& lists) {
    SetThresholdLists(m_s, lists);
    mirror();
}

void RangeSettingsStrip::loadOnShow() {
    PrepareShow(m_s, report());
    m_commands.RequestNormalMode();
    LoadFromReport(m_s, report(), m_tables);
    mirror();
}

bool RangeSettingsStrip::repairAddressOnShow() {
    if (!AddressNeedsRepair(m_s, report()))
        return false;
    RepairAddress(m_s);
    mirror();
    btnApplyRangeClick();
    return true;
}

void RangeSettingsStrip::setAddressVisible(bool visible) {
    m_s.address.visible = visible;
    mirror();
}

void RangeSettingsStrip::setLetterEnabled(bool enabled) {
    m_s.letter.enabled = enabled;
    mirror();
}

void RangeSettingsStrip::onPositionMessage() {
    m_s.symbol.visible = m_s.tens.visible = m_s.units.visible = true;
    if (PositionReloadWanted(m_s))
        LoadPosition(m_s, report());
    mirror();
}

void RangeSettingsStrip::clearPositionSelection() {
    ClearPosition(m_s);
    mirror();
}

bool RangeSettingsStrip::anyThresholdListDroppedDown() const {
    return m_pp->isDroppedDown() || m_mp->isDroppedDown() || m_bp->isDroppedDown();
}

bool RangeSettingsStrip::wrongThresholdsWanted() const {
    return WrongThresholdsShown(m_s, report(), m_commands.slot(CommandCode::Mode).awaiting,
                                m_commands.slot(CommandCode::Threshold).awaiting,
                                anyThresholdListDroppedDown());
}

void RangeSettingsStrip::setWrongThresholdsShown(bool shown) {
    if (m_wrongThresholds->isVisibleTo(m_wrongThresholds->parentWidget()) == shown)
        return;
    m_wrongThresholds->setVisible(shown);
    if (shown)
        m_wrongThresholds->raise();
}

void RangeSettingsStrip::btnApplyRangeClick() {
    takeUserChoices();
    QueueApplyPlan(PlanApply(m_s, report()), m_commands);
    m_s.edited = false;
    mirror();
    emit applied(m_commands.HasPendingCommands());
}

void RangeSettingsStrip::btnCancelRangeClick() {
    LoadFromReport(m_s, report(), m_tables);
    mirror();
}

void RangeSettingsStrip::cbRegulRangeChange() {
    takeUserChoices();
    RegulationChanged(m_s, report(), m_tables);
    mirror();
}

void RangeSettingsStrip::cbDistRangeChange() {
    takeUserChoices();
    LengthChanged(m_s, report(), m_tables);
    mirror();
}

void RangeSettingsStrip::cbRangeSensChange() {
    takeUserChoices();
    SensitivityChanged(m_s);
    mirror();
}

void RangeSettingsStrip::markEdited() {
    takeUserChoices();
    MarkEdited(m_s);
    mirror();
}
