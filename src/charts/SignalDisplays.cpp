#include "charts/SignalDisplays.h"

#include "charts/RangeOscillogram.h"
#include "charts/TuneUpPage.h"

SignalDisplays::SignalDisplays(PollCycle& link, const ScaleTables& tables, const Clock& clock,
                               EventLog* log, SignalDisplayHost& host, QObject* parent)
    : QObject(parent), m_range(new RangeOscillogram(link, tables, clock, log, host, this)),
      m_tuneUp(new TuneUpPage(link, *m_range, host)) {}

SignalDisplays::~SignalDisplays() {
    if (m_tuneUp && !m_tuneUp->parent())
        delete m_tuneUp;
}

TuneUpPage* SignalDisplays::tuneUp() const {
    return m_tuneUp;
}
