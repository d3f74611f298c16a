#include "app/PortComboBox.h"

void PortComboBox::showPopup() {
    Q_EMIT aboutToDropDown();
    QComboBox::showPopup();
}
