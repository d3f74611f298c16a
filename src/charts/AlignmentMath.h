#pragma once

// The alignment page's readings in millivolts and the arithmetic of its bar chart.

// The axis maximum for a value: the next step of 0.1, 0.5, 1, 5, 10, 50 ... above it
// (a value exactly on a step gets the next one; anything below 0.1 gets 0.1).
double NiceAxisMaximum(double value);

// The bar is green while the signal is at least 90 % of the held maximum. A maximum of 0 mV
// (a silent receiver when the page opens or the maximum is reset) shows green as well.
bool TuneUpBarGreen(double signal, double maximum);

// The current signal, the held maximum and the scale derived from them.
class TuneUpReadings {
public:
    // One reading: returns true when it became the new maximum (the scale follows it then).
    bool Update(double signalMv);
    // The page opens: a new maximum for this visit.
    void Restart();
    // The reset button: the maximum drops to the current signal.
    void ResetMaximum();
    // The detector left alignment: both marks at -1 until the next alignment.
    void MarkAlignmentLeft();

    double TuneUpSignal() const { return m_signal; }
    double TuneUpMax() const { return m_maximum; }
    double axisMaximum() const { return m_axisMaximum; }
    double axisStep() const { return 0.2 * m_axisMaximum; }
    bool barGreen() const { return m_green; }

private:
    double m_signal = 0;
    double m_maximum = 0;
    double m_axisMaximum = 0.5;
    bool m_green = true;
};
