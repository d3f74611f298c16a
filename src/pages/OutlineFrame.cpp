#include "pages/OutlineFrame.h"

#include <QEvent>
#include <QPainter>

OutlineFrame::OutlineFrame(QColor color, int penWidth, QWidget* parent)
    : QWidget(parent), m_color(color), m_penWidth(penWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
}

void OutlineFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(m_color, m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const int inset = m_penWidth / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
}

bool OutlineFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        raise();
    }
    return QWidget::eventFilter(watched, event);
}
