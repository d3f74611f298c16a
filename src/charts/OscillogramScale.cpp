#include "charts/OscillogramScale.h"

#include <algorithm>

namespace {

// The shorter-page button and start-up write a Latin "s", the longer-page button a Cyrillic
// "с"; the label has always looked like this and users know it so.
QString latinCaption(int period) {
    return QString::number(period) + QStringLiteral(" s");
}

QString cyrillicCaption(int period) {
    return QString::number(period) + QStringLiteral(" \u0441");
}

int truncated(double value) {
    return int(value); // toward zero
}

} // namespace

OscillogramScale::OscillogramScale() {
    setY(-StartYMax, StartYMax);
    m_bottom = {0, 1.01 * m_pointsPerPage};
    m_periodCaption = latinCaption(m_period);
}

void OscillogramScale::Prepare(int chosenRate, int chartWidth) {
    RecalcMaxPointsPerPage(chosenRate, chartWidth);
    m_bottom = {0, 1.01 * m_pointsPerPage};
    m_periodCaption = latinCaption(m_period);
}

void OscillogramScale::setY(int yMin, int yMax) {
    m_yMin = yMin;
    m_yMax = yMax;
    m_left = {double(yMin), double(yMax)};
}

void OscillogramScale::RecalcMaxPointsPerPage(int chosenRate, int chartWidth) {
    m_samplesPerSec = chosenRate < 1 ? 1 : chosenRate;
    const double rate = m_samplesPerSec <= MaxPlotRate ? m_samplesPerSec : MaxPlotRate;
    const int points = truncated(m_period * rate);
    const int avail = chartWidth - ChartMarginPx;
    if (avail > points) {
        // More pixels than points: raise the rate until the page fills the width.
        m_samplesPerSec = avail / m_period;
        if (m_samplesPerSec > MaxPlotRate)
            m_samplesPerSec = truncated(MaxPlotRate);
        m_pointsPerPage = m_samplesPerSec * m_period;
    } else {
        m_pointsPerPage = points;
    }
    // A chart not laid out yet has no width; its markers still need a size.
    m_markerWidth = std::max(1, (avail / m_pointsPerPage) / 2 + 1);
}

void OscillogramScale::FitYToThresholds(double ppPercent, double mpPercent, double bpPercent,
                                        bool bpOnly) {
    m_buttons.leftAxisDown = true;
    m_buttons.leftAxisUp = true;
    const int a = truncated(-mpPercent * 1.1 - 1);
    const int b = truncated(-bpPercent * 1.1 - 1);
    const int yMax = bpOnly ? truncated(bpPercent * 0.25 + 1) : truncated(ppPercent * 1.1 + 1);
    setY(std::min(a, b), yMax);
}

void OscillogramScale::sbLeftAxisUpClick() {
    if (!m_buttons.leftAxisUp)
        return;
    m_buttons.leftAxisDown = true;
    setY(std::max(2 * m_yMin, YFloor), std::min(2 * m_yMax, YCeiling));
    if (m_yMax >= YCeiling)
        m_buttons.leftAxisUp = false;
}

void OscillogramScale::sbLeftAxisDownClick() {
    if (!m_buttons.leftAxisDown)
        return;
    m_buttons.leftAxisUp = true;
    setY(m_yMin / 2, m_yMax / 2);
    if (m_yMax <= 1)
        m_buttons.leftAxisDown = false;
}

void OscillogramScale::sbBottomAxisSlowClick(int chosenRate, int chartWidth) {
    if (!m_buttons.bottomAxisSlow)
        return;
    m_buttons.bottomAxisFast = true;
    m_period *= 2;
    RecalcMaxPointsPerPage(chosenRate, chartWidth);
    m_bottom.max = 1.01 * m_pointsPerPage + m_bottom.min; // the left edge stays
    m_periodCaption = cyrillicCaption(m_period);
    if (m_period >= LongestPeriod)
        m_buttons.bottomAxisSlow = false;
}

void OscillogramScale::sbBottomAxisFastClick(int chosenRate, int chartWidth, int iX) {
    if (!m_buttons.bottomAxisFast)
        return;
    m_buttons.bottomAxisSlow = true;
    m_period /= 2;
    RecalcMaxPointsPerPage(chosenRate, chartWidth);
    const double page = 1.01 * m_pointsPerPage;
    if (iX + 0.01 * m_pointsPerPage >= m_bottom.max)
        m_bottom.min = m_bottom.max - page; // following the newest point: the right edge stays
    else
        m_bottom.max = m_bottom.min + page;
    m_periodCaption = latinCaption(m_period);
    if (m_period == 1)
        m_buttons.bottomAxisFast = false;
}

void OscillogramScale::FollowNewestPoint(int iX) {
    const double ahead = iX + 0.01 * m_pointsPerPage;
    if (ahead >= m_bottom.max) {
        m_bottom.max = ahead;
        m_bottom.min = iX - m_pointsPerPage;
    }
}

void OscillogramScale::GrowToSignal(double signalPercent) {
    if (m_yMax < signalPercent) {
        m_yMax = truncated(1.05 * signalPercent + 1);
        m_left.max = m_yMax;
    }
    if (m_yMin > signalPercent) {
        m_yMin = truncated(1.05 * signalPercent - 1);
        m_left.min = m_yMin;
    }
}
