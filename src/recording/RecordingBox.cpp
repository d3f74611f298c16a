#include "recording/RecordingBox.h"

#include "app/ErrorBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QVBoxLayout>

RecordingBox::RecordingBox(const Clock& clock, EventLog* log, QWidget* parent,
                           bool backgroundWriting)
    : QGroupBox(QStringLiteral("Тревог  "), parent), m_snapshot([this]() -> QWidget* {
          return m_captureWindow ? m_captureWindow.data() : window();
      }),
      m_recorder(clock, m_snapshot, log, backgroundWriting) {
    setObjectName(QStringLiteral("gbTrv"));
    build();
    m_recorder.setProblemHandler([this](const QString& message) { showProblem(message); });
}

// The writer finishes the snapshots still queued when it goes away with the recorder; the
// window's own objects (its log among them) may already be gone then, so nothing is reported.
RecordingBox::~RecordingBox() = default;

void RecordingBox::build() {
    m_save = new QCheckBox(QStringLiteral("Сохр. <F6>"), this);
    m_save->setObjectName(QStringLiteral("chbSaveTrvRange"));
    m_clear = new QPushButton(QStringLiteral("Сброс <F8>"), this);
    m_clear->setObjectName(QStringLiteral("btnClearTrvRange"));
    m_clear->setEnabled(false);
    m_clear->setFocusPolicy(Qt::NoFocus);
    // Not in the layout: it sits on the caption line, right after "Тревог".
    m_number = new QLabel(QStringLiteral("0"), this);
    m_number->setObjectName(QStringLiteral("lTrvNumberRange"));
    m_number->setEnabled(false);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lTrvProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: red"));
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_save);
    layout->addWidget(m_clear);
    layout->addWidget(m_problem);
    layout->addStretch();

    // A change made by F6 runs the same handler as a click.
    connect(m_save, &QCheckBox::toggled, this, &RecordingBox::chbSaveTrvRangeClick);
    connect(m_clear, &QPushButton::clicked, this, &RecordingBox::btnClearTrvRangeClick);
}

void RecordingBox::setProblemReporter(std::function<void(const QString&)> reporter) {
    m_reporter = std::move(reporter);
}

bool RecordingBox::IsRecording() const {
    return m_save->isChecked();
}

void RecordingBox::ToggleRecording() {
    m_save->setChecked(!m_save->isChecked());
}

void RecordingBox::StopRecording() {
    m_recorder.StopRecording();
}

void RecordingBox::RecordLinkEvent(LinkEvent event) {
    m_recorder.RecordLinkEvent(event);
}

bool RecordingBox::btnClearTrvRangeEnabled() const {
    return m_clear->isEnabled();
}

void RecordingBox::RecordEvent(const QString& label) {
    m_recorder.RecordEvent(label);
}

QString RecordingBox::AlarmNumberCaption() const {
    return m_number->text();
}

void RecordingBox::SetAlarmNumberCaption(const QString& caption) {
    m_number->setText(caption);
    placeNumberOnCaption();
}

void RecordingBox::chbSaveTrvRangeClick() {
    const bool on = m_save->isChecked();
    m_number->setEnabled(on);
    m_clear->setEnabled(on);
    if (on) {
        m_problem->clear();
        m_problem->hide();
        m_recorder.StartRecording();
    } else {
        m_recorder.StopRecording();
    }
    SetAlarmNumberCaption(QStringLiteral("0"));
}

void RecordingBox::btnClearTrvRangeClick() {
    m_problem->clear();
    m_problem->hide();
    m_recorder.StopRecording();
    SetAlarmNumberCaption(QStringLiteral("0"));
    m_recorder.StartRecording();
}

void RecordingBox::onSettingsApplied(bool commandsPending) {
    if (commandsPending && IsRecording())
        m_recorder.RecordSettingsApplied();
}

// The problem stays in the box until the next recording starts; the engineer is told once per
// problem, and a problem that comes while an earlier one is still being shown only updates the
// box, so a full disk cannot stack up error boxes.
void RecordingBox::showProblem(const QString& message) {
    m_problem->setText(message);
    m_problem->setToolTip(m_recorder.problems().join(QLatin1Char('\n')));
    m_problem->show();
    if (m_reporting)
        return;
    m_reporting = true;
    if (m_reporter)
        m_reporter(message);
    else
        ShowErrorBox(message, window());
    m_reporting = false;
}

void RecordingBox::placeNumberOnCaption() {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect caption =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    m_number->adjustSize();
    m_number->move(caption.right() + 1,
                   caption.top() + (caption.height() - m_number->height()) / 2);
    m_number->raise();
}

void RecordingBox::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeNumberOnCaption();
}

void RecordingBox::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    placeNumberOnCaption();
}
