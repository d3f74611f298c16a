#pragma once

#include <QComboBox>
#include <QTest>

// The user picks `item` in a drop-down list. Unlike a change the program makes, this runs the
// list's change handler (activated); a missing item fails the calling test.
inline void chooseItem(QComboBox* list, const QString& item) {
    const int index = list->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    list->setCurrentIndex(index);
    emit list->activated(index);
}
