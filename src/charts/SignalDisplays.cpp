#include "charts/SignalDisplays.h"

#include "charts/RangeOscillogram.h"
#include "charts/TuneUpPage.h"
#include "connection/PollCycle.h"

SignalDisplays::SignalDisplays(PollCycle& link, const ScaleTables& tables, const Clock& clock,
                               EventLog* log, SignalDisplayHost& host, QObject* parent)
    : QObject(parent), m_link(link), m_host(host),
      m_range(new RangeOscillogram(link, tables, clock, log, host, this)),
      m_tuneUp(new TuneUpPage(link, *m_range, host)) {}

SignalDisplays::~SignalDisplays() {
    if (m_tuneUp && !m_tuneUp->parent())
        delete m_tuneUp;
}

TuneUpPage* SignalDisplays::tuneUp() const {
    return m_tuneUp;
}

void SignalDisplays::ShowSignal() {
    switch (m_host.ActivePage()) {
    case DisplayPage::TuneUp:
        m_range->TouchLastPlotTime();
        if (m_link.connected() && m_link.telemetry().state() == ModeAlignment)
            m_tuneUp->UpdateTuneUpChart();
        break;
    case DisplayPage::Range:
        m_range->UpdateRangeChart();
        break;
    case DisplayPage::About:
    case DisplayPage::Params:
        break;
    }
}
