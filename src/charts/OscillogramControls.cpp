#include "charts/OscillogramControls.h"

#include "charts/RangeChartModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

QPixmap glyph(int width, int height, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    draw(painter);
    return pixmap;
}

QPixmap playGlyph() {
    return glyph(11, 9, [](QPainter& p) {
        const QPoint triangle[] = {{2, 0}, {2, 8}, {9, 4}};
        p.drawPolygon(triangle, 3);
    });
}

QPixmap pauseGlyph() {
    return glyph(11, 9, [](QPainter& p) {
        p.drawRect(2, 0, 2, 9);
        p.drawRect(7, 0, 2, 9);
    });
}

// A play triangle up to a red bar: play until the alarm.
QPixmap alarmGlyph() {
    return glyph(14, 9, [](QPainter& p) {
        const QPoint triangle[] = {{1, 0}, {1, 8}, {8, 4}};
        p.drawPolygon(triangle, 3);
        p.setBrush(QColor(0x80, 0, 0));
        p.drawRect(10, 0, 3, 9);
    });
}

} // namespace

OscillogramControls::OscillogramControls(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OscillogramControls"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(3);

    sbLeftAxisUp = arrowButton("sbLeftAxisUp", Qt::UpArrow);
    sbLeftAxisDown = arrowButton("sbLeftAxisDown", Qt::DownArrow);
    sbBottomAxisSlow = arrowButton("sbBottomAxisSlow", Qt::UpArrow);
    sbBottomAxisFast = arrowButton("sbBottomAxisFast", Qt::DownArrow);
    grid->addWidget(label("lMaxY", QStringLiteral("макс Y:")), 0, 0);
    grid->addWidget(sbLeftAxisUp, 0, 1);
    grid->addWidget(label("lLeftAxisUpKey", QStringLiteral("<Ctrl-A>")), 0, 2);
    grid->addWidget(sbLeftAxisDown, 1, 1);
    grid->addWidget(label("lLeftAxisDownKey", QStringLiteral("<Ctrl-S>")), 1, 2);
    grid->addWidget(label("Label20", QStringLiteral("макс X:")), 2, 0);
    grid->addWidget(sbBottomAxisSlow, 2, 1);
    grid->addWidget(label("lBottomAxisSlowKey", QStringLiteral("<Ctrl-Q>")), 2, 2);
    grid->addWidget(sbBottomAxisFast, 3, 1);
    grid->addWidget(label("lBottomAxisFastKey", QStringLiteral("<Ctrl-W>")), 3, 2);

    playback = new QButtonGroup(this);
    playback->setExclusive(true);
    sbOscPlay = playbackButton("sbOscPlay", QStringLiteral("Воспроизвести"), playGlyph(),
                               PlaybackMode::Play);
    sbOscAlarm = playbackButton("sbOscAlarm", QStringLiteral("Показать до тревоги"), alarmGlyph(),
                                PlaybackMode::BeforeAlarm);
    sbOscPause =
        playbackButton("sbOscPause", QStringLiteral("Пауза"), pauseGlyph(), PlaybackMode::Pause);
    sbOscPlay->setChecked(true);
    QLabel* f7 = label("Label21", QStringLiteral("<F7>"));
    f7->setAlignment(Qt::AlignCenter);
    grid->addWidget(f7, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch();
    buttons->addWidget(sbOscPlay);
    buttons->addWidget(sbOscAlarm);
    buttons->addWidget(sbOscPause);
    buttons->addStretch();
    grid->addLayout(buttons, 5, 0, 1, 3);

    chbAutoYScale = new QCheckBox(QStringLiteral("Автомасштаб Y<Ctrl-Z>"), this);
    chbAutoYScale->setObjectName(QStringLiteral("chbAutoYScale"));
    chbAutoYScale->setChecked(true);
    grid->addWidget(chbAutoYScale, 6, 0, 1, 3);
}

QToolButton* OscillogramControls::arrowButton(const char* name, Qt::ArrowType arrow) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(18, 16);
    return button;
}

QToolButton* OscillogramControls::playbackButton(const char* name, const QString& hint,
                                                 const QPixmap& pixmap, PlaybackMode mode) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(24, 20);
    playback->addButton(button, int(mode));
    return button;
}

QLabel* OscillogramControls::label(const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void OscillogramControls::mirror(const RangeChartModel& model) {
    const ScaleButtons& b = model.scale().buttons();
    sbLeftAxisUp->setEnabled(b.leftAxisUp);
    sbLeftAxisDown->setEnabled(b.leftAxisDown);
    sbBottomAxisSlow->setEnabled(b.bottomAxisSlow);
    sbBottomAxisFast->setEnabled(b.bottomAxisFast);
    {
        const QSignalBlocker blocker(playback);
        playback->button(int(model.playback()))->setChecked(true);
    }
    const QSignalBlocker blocker(chbAutoYScale);
    chbAutoYScale->setChecked(model.autoYScale());
}
