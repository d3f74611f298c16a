#include "app/AboutPage.h"

#include "app/MakerInfo.h"
#include "app/WindowFonts.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr char ProgramName[] = "VelmoraTuner";
constexpr char Purpose[] = "Программа настройки радиоволновых извещателей";
constexpr char Details[] = "Юстировка блоков, настройка параметров, осциллограмма сигнала\n"
                           "и запись тревожных событий по последовательному порту";

const QColor Navy(0x1B, 0x3A, 0x6B);
const QColor Sky(0x3F, 0x8F, 0xD8);
const QColor Zone(0x9C, 0xD3, 0xF5);
const QColor Signal(0xF2, 0xA9, 0x00);

void addEntry(QStringList& lines, const char* caption, const char* value) {
    const QString text = QString::fromUtf8(value).trimmed();
    if (!text.isEmpty())
        lines << QString::fromUtf8(caption) + QLatin1Char(' ') + text;
}

} // namespace

LogoWidget::LogoWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(96, 96);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void LogoWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal side = qMin(width(), height());
    painter.translate((width() - side) / 2.0, (height() - side) / 2.0);
    paintLogo(painter, side);
}

void LogoWidget::paintLogo(QPainter& painter, qreal side) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything below is laid out on a 100 x 100 grid.
    painter.scale(side / 100.0, side / 100.0);

    // Badge.
    QPainterPath badge;
    badge.addRoundedRect(QRectF(2, 2, 96, 96), 18, 18);
    QLinearGradient fill(0, 0, 0, 100);
    fill.setColorAt(0, Sky);
    fill.setColorAt(1, Navy);
    painter.fillPath(badge, fill);

    // The protected zone: the ellipse between the two units.
    QPainterPath zone;
    zone.addEllipse(QPointF(50, 52), 34, 15);
    painter.fillPath(zone, QColor(Zone.red(), Zone.green(), Zone.blue(), 90));
    painter.setPen(QPen(Zone, 1.6));
    painter.drawPath(zone);

    // Radio waves leaving the transmitter.
    painter.setPen(QPen(Signal, 2.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal r = 9 + i * 8;
        painter.drawArc(QRectF(16 - r, 52 - r, 2 * r, 2 * r), -35 * 16, 70 * 16);
    }

    // Transmitter (left) and receiver (right): a mast with its antenna head.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (const qreal x : {16.0, 84.0}) {
        painter.drawRoundedRect(QRectF(x - 2.2, 52, 4.4, 30), 1.5, 1.5);
        painter.drawRoundedRect(QRectF(x - 6, 42, 12, 16), 3, 3);
        painter.drawRect(QRectF(x - 9, 80, 18, 3.5));
    }
    painter.setBrush(Navy);
    painter.drawEllipse(QPointF(16, 50), 2.3, 2.3);
    painter.drawEllipse(QPointF(84, 50), 2.3, 2.3);

    // Ground line of the protected perimeter.
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1.2, Qt::DashLine));
    painter.drawLine(QPointF(10, 88), QPointF(90, 88));
    painter.restore();
}

QString AboutPage::contactText() {
    QStringList lines;
    addEntry(lines, maker_info::CompanyCaption, maker_info::Company);
    addEntry(lines, maker_info::AddressCaption, maker_info::Address);
    addEntry(lines, maker_info::WebCaption, maker_info::Web);
    addEntry(lines, maker_info::EmailCaption, maker_info::Email);
    addEntry(lines, maker_info::PhoneCaption, maker_info::Phone);
    return lines.join(QLatin1Char('\n'));
}

AboutPage::AboutPage(const QString& version, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AboutPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 16, 12, 12);
    layout->setSpacing(6);

    auto* logo = new LogoWidget(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setFixedSize(132, 132);
    layout->addWidget(logo, 0, Qt::AlignHCenter);

    auto* name = new QLabel(QString::fromLatin1(ProgramName), this);
    name->setObjectName(QStringLiteral("lProgramName"));
    name->setFont(window_fonts::interfaceFont(22, QFont::Bold));
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    auto* versionLabel = new QLabel(QStringLiteral("Версия ") + version, this);
    versionLabel->setObjectName(QStringLiteral("lProgramVersion"));
    versionLabel->setFont(window_fonts::interfaceFont(13));
    versionLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(versionLabel);

    auto* purpose = new QLabel(QString::fromUtf8(Purpose), this);
    purpose->setObjectName(QStringLiteral("lProgramPurpose"));
    purpose->setFont(window_fonts::interfaceFont(16, QFont::Bold));
    purpose->setAlignment(Qt::AlignCenter);
    layout->addWidget(purpose);

    auto* details = new QLabel(QString::fromUtf8(Details), this);
    details->setObjectName(QStringLiteral("lProgramDetails"));
    details->setFont(window_fonts::interfaceFont(13));
    details->setAlignment(Qt::AlignCenter);
    layout->addWidget(details);

    layout->addStretch(1);

    m_contacts = new QLabel(contactText(), this);
    m_contacts->setObjectName(QStringLiteral("lContacts"));
    m_contacts->setFont(window_fonts::interfaceFont(16));
    m_contacts->setAlignment(Qt::AlignCenter);
    m_contacts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_contacts->setVisible(!m_contacts->text().isEmpty());
    layout->addWidget(m_contacts);
    layout->addStretch(1);
}
