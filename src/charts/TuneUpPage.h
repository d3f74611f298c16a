#pragma once

#include "app/WindowParts.h"
#include "charts/AlignmentMath.h"
#include "charts/SignalDisplayHost.h"

#include <QWidget>

class PollCycle;
class QLabel;
class QPushButton;
class RangeOscillogram;
class TuneUpChartView;

// The contents of the alignment page `tsTuneUp`: the current signal and the held maximum in
// millivolts, the reset button, and the bar chart. The window puts this widget on the page
// and calls the handlers under the window design's names.
class TuneUpPage : public QWidget, public TuneUpPart {
    Q_OBJECT
public:
    TuneUpPage(PollCycle& link, RangeOscillogram& range, SignalDisplayHost& host,
               QWidget* parent = nullptr);

    // A Signal message while the page is shown and the detector reports alignment.
    void UpdateTuneUpChart() override;
    void tsTuneUpShow() override;
    void tsTuneUpHide() override;
    // Also the F8 action on this page.
    void btnTuneUpClearClick() override;
    // The detector left alignment for normal guarding or alarm while the page was shown.
    void DetectorLeftAlignment() override;

    const TuneUpReadings& readings() const { return m_readings; }
    TuneUpChartView* chTuneUp() const { return m_chart; }
    QLabel* lSignal() const { return m_signal; }
    QLabel* lTuneUpMax() const { return m_max; }
    QPushButton* btnTuneUpClear() const { return m_clear; }

private:
    PollCycle& m_link;
    RangeOscillogram& m_range;
    SignalDisplayHost& m_host;
    TuneUpReadings m_readings;
    QLabel* m_signal = nullptr;
    QLabel* m_max = nullptr;
    QPushButton* m_clear = nullptr;
    TuneUpChartView* m_chart = nullptr;
};
