#pragma once

#include <QComboBox>

// The port list: announces that its list is about to drop down (by click or F4) before the
// list opens, so the entries can be refreshed first.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

Q_SIGNALS:
    void aboutToDropDown();
};
