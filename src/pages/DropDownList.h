#pragma once

#include <QComboBox>

// A drop-down list that can tell whether its list is open: a list the user is choosing from
// must not be judged against the detector's values.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    bool isDroppedDown() const { return m_droppedDown; }

    void showPopup() override {
        m_droppedDown = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        m_droppedDown = false;
    }

private:
    bool m_droppedDown = false;
};
