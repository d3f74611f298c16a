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

// Both signal displays together: the Range oscillogram and the alignment page, which shares its
// thinning. The main window creates one, places its widgets and routes each Signal message to
// the display of its active page.
class SignalDisplays : public QObject {
    Q_OBJECT
public:
    SignalDisplays(PollCycle& link, const ScaleTables& tables, const Clock& clock, EventLog* log,
                   SignalDisplayHost& host, QObject* parent = nullptr);
    ~SignalDisplays() override;

    RangeOscillogram& range() { return *m_range; }
    // The contents of tsTuneUp.
    TuneUpPage* tuneUp() const;

private:
    RangeOscillogram* m_range = nullptr;
    QPointer<TuneUpPage> m_tuneUp;
};
