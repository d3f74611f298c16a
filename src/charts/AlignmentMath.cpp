#include "charts/AlignmentMath.h"

double NiceAxisMaximum(double value) {
    long long n = static_cast<long long>(value * 10); // toward zero
    double step = 0.1;
    for (int i = 1; i <= 7 && n != 0; ++i) {
        n /= 5;
        step *= 5;
        if (n == 0)
            break;
        n /= 2;
        step *= 2;
    }
    return step;
}

bool TuneUpBarGreen(double signal, double maximum) {
    if (maximum == 0)
        return true;
    return signal / maximum >= 0.9;
}

bool TuneUpReadings::Update(double signalMv) {
    const bool newMaximum = signalMv >= m_maximum;
    if (newMaximum) {
        m_maximum = signalMv;
        m_axisMaximum = NiceAxisMaximum(m_maximum);
    }
    m_signal = signalMv;
    m_green = TuneUpBarGreen(m_signal, m_maximum);
    return newMaximum;
}

void TuneUpReadings::Restart() {
    m_maximum = 0;
    m_signal = 0;
}

void TuneUpReadings::ResetMaximum() {
    m_maximum = m_signal;
    m_green = true;
}

void TuneUpReadings::MarkAlignmentLeft() {
    m_signal = -1;
    m_maximum = -1;
}
