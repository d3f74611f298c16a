#pragma once

#include <QString>

struct AxisRange {
    double min = 0;
    double max = 0;
};

// Which of the four scale buttons of the oscillogram can be pressed.
struct ScaleButtons {
    bool leftAxisUp = true;
    bool leftAxisDown = true;
    bool bottomAxisSlow = true;
    bool bottomAxisFast = true;
};

// The axes of the Range oscillogram and what steers them: the Y limits with their doubling,
// halving, growth and automatic fit to the thresholds, the page duration, and the rule that
// turns duration, plotting rate and chart width into points per page and marker width.
// The bottom axis counts points (one unit per plotted point), not time.
class OscillogramScale {
public:
    // 592 points in 31 s: the highest rate used to size a page, points per second.
    static constexpr double MaxPlotRate = 592.0 / 31.0;
    static constexpr int DesignPointsPerPage = 592;
    // Pixels of the chart's width that are not plot area.
    static constexpr int ChartMarginPx = 22;
    static constexpr int StartPeriod = 16;
    static constexpr int LongestPeriod = 128;
    static constexpr int StartYMax = 96;
    static constexpr int YCeiling = 400;
    static constexpr int YFloor = -100;

    OscillogramScale();

    // Start-up: page sized for the chart, time axis at its start range, "16 s".
    void Prepare(int chosenRate, int chartWidth);
    // chosenRate is the plotting rate picked on the properties page (1 when it is not a number).
    void RecalcMaxPointsPerPage(int chosenRate, int chartWidth);
    // Y limits from the thresholds (percent, positive); bpOnly for the regulation "Спец.2 БП".
    void FitYToThresholds(double ppPercent, double mpPercent, double bpPercent, bool bpOnly);

    void sbLeftAxisUpClick();
    void sbLeftAxisDownClick();
    void sbBottomAxisSlowClick(int chosenRate, int chartWidth);
    // iX tells whether the plot is following the newest point.
    void sbBottomAxisFastClick(int chosenRate, int chartWidth, int iX);

    // Time axis for the point about to be drawn at iX: once the first page is full, the window
    // is the last page plus a margin of 1 % of a page ahead.
    void FollowNewestPoint(int iX);
    // Y limits widen (never narrow) to take in a new signal value.
    void GrowToSignal(double signalPercent);

    // The properties page's Apply sets the plotting rate directly.
    void setSamplesPerSec(int rate) { m_samplesPerSec = rate < 1 ? 1 : rate; }

    int OscYMax() const { return m_yMax; }
    int OscYMin() const { return m_yMin; }
    int OscPeriod() const { return m_period; }
    int SamplesPerSec() const { return m_samplesPerSec; }
    int MaxPointsPerPage() const { return m_pointsPerPage; }
    int markerWidth() const { return m_markerWidth; }
    const AxisRange& bottomAxis() const { return m_bottom; }
    const AxisRange& leftAxis() const { return m_left; }
    const ScaleButtons& buttons() const { return m_buttons; }
    const QString& periodCaption() const { return m_periodCaption; }

private:
    void setY(int yMin, int yMax);

    int m_yMax = StartYMax;
    int m_yMin = -StartYMax;
    int m_period = StartPeriod;
    int m_samplesPerSec = 1;
    int m_pointsPerPage = DesignPointsPerPage;
    int m_markerWidth = 1;
    AxisRange m_bottom;
    AxisRange m_left;
    ScaleButtons m_buttons;
    QString m_periodCaption;
};
