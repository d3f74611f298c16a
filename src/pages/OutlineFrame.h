#pragma once

#include <QColor>
#include <QWidget>

// A coloured outline laid over its parent's whole area, leaving the parent's controls usable
// underneath. Follows the parent's size.
class OutlineFrame : public QWidget {
    Q_OBJECT
public:
    OutlineFrame(QColor color, int penWidth, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor m_color;
    int m_penWidth;
};
