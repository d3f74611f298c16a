#pragma once

#include "charts/CoalescedPlot.h"

class TuneUpReadings;

// The alignment chart `chTuneUp`: one horizontal bar for the current signal (`serTuneUp`,
// green or red), a thin vertical line at the held maximum (`serMax`), and a millivolt axis in
// steps of 1, 5, 10 that follows the maximum.
class TuneUpChartView : public CoalescedPlot {
    Q_OBJECT
public:
    explicit TuneUpChartView(const TuneUpReadings& readings, QWidget* parent = nullptr);

    QCPBars* serTuneUp() const { return m_signal; }
    QCPBars* serMax() const { return m_max; }

protected:
    void syncFromModel() override;

private:
    const TuneUpReadings& m_readings;
    QCPBars* m_signal = nullptr;
    QCPBars* m_max = nullptr;
    QSharedPointer<QCPAxisTickerFixed> m_ticker;
};
