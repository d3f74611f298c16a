#pragma once

#include <QList>
#include <QString>

// The entries of the port list in the window, as plain data: the COM number of each entry in
// list order and the selected position (-1 for none).
struct PortListState {
    QList<int> numbers;
    int selected = -1;

    // The number of the selected entry; 0 when nothing is selected.
    int selectedNumber() const { return selected >= 0 ? numbers.value(selected) : 0; }
};

// "COM" and the number in decimal: the text of a list entry.
QString portEntryText(int number);
// The number of a list entry read back from its text: the characters from the fourth on as
// a decimal integer; 0 when they do not form one.
int portNumberOfEntry(const QString& text);

// Brings the list in line with the ports the system offers now (`present`, in the system's
// order, normally ascending), keeping the list's order:
//  - a present port missing from the list is inserted where it belongs;
//  - an entry whose port is gone is removed, unless it stands after every present port;
//  - the selected entry stays selected wherever it moves; removing it leaves no selection;
//  - the entry of `portNumber` is selected when it is present;
//  - with no selection left, the last entry is selected (none in an empty list).
// The port number to open is then the result's selectedNumber().
PortListState MergePortList(const PortListState& list, const QList<int>& present, int portNumber);
