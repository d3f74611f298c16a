#include "serial/PortList.h"

QString portEntryText(int number) {
    return QStringLiteral("COM%1").arg(number);
}

int portNumberOfEntry(const QString& text) {
    bool ok = false;
    const int number = text.mid(3).toInt(&ok, 10);
    return ok ? number : 0;
}

PortListState MergePortList(const PortListState& list, const QList<int>& present, int portNumber) {
    PortListState result = list;
    QList<int>& entries = result.numbers;
    int& selected = result.selected;
    if (selected >= entries.size())
        selected = -1;

    int j = 0;
    for (const int n : present) {
        for (;;) {
            if (j == entries.size()) {
                entries.append(n);
                if (n == portNumber)
                    selected = j;
                ++j;
                break;
            }
            const int m = entries.at(j);
            if (n > m) {
                // The port of entry j is gone.
                entries.removeAt(j);
                if (selected == j)
                    selected = -1;
                else if (selected > j)
                    --selected;
                continue;
            }
            if (n < m) {
                entries.insert(j, n);
                if (selected >= j)
                    ++selected;
            }
            if (n == portNumber)
                selected = j;
            ++j;
            break;
        }
    }
    if (selected < 0 && !entries.isEmpty())
        selected = int(entries.size()) - 1;
    return result;
}
