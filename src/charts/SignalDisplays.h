#pragma once

#include "charts/SignalDisplayHost.h"

#include <QObject>
#include <QPointer>

class Clock;
class EventLog;
class PollCycle;
class RangeOscillogram;
class ScaleTables;
class TuneUpPage;

// Both signal displays together, and the route of every Signal message to the display of the
// active page. The main window creates one, places its widgets and calls ShowSignal() from its
// LinkView::ShowSignal().
class SignalDisplays : public QObject {
    Q_OBJECT
public:
    SignalDisplays(PollCycle& link, const ScaleTables& tables, const Clock& clock, EventLog* log,
                   SignalDisplayHost& host, QObject* parent = nullptr);
    ~SignalDisplays() override;

    RangeOscillogram& range() { return *m_range; }
    // The contents of tsTuneUp.
    TuneUpPage* tuneUp() const;

    void ShowSignal();

private:
    PollCycle& m_link;
    SignalDisplayHost& m_host;
    RangeOscillogram* m_range = nullptr;
    QPointer<TuneUpPage> m_tuneUp;
};
