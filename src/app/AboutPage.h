#pragma once

#include <QWidget>

class QLabel;

// The program's emblem, drawn as vectors so that it stays crisp at any size: the protected
// zone between a transmitter and a receiver, with the radio waves inside it.
class LogoWidget : public QWidget {
    Q_OBJECT
public:
    explicit LogoWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {150, 150}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

    // Draws the emblem into the square `side` x `side` at the painter's origin.
    static void paintLogo(class QPainter& painter, qreal side);

protected:
    void paintEvent(class QPaintEvent* event) override;
};

// Contents of the "О нас <F1>" page: emblem, program name, version and purpose, and the
// maker's contact block (its texts live in MakerInfo.h).
class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(const QString& version, QWidget* parent = nullptr);

    // The contact block as shown: one line per filled entry; empty when none is filled.
    static QString contactText();

private:
    QLabel* m_contacts = nullptr;
};
