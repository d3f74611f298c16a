#pragma once

#include "charts/RangeSeries.h"

#include <QtGlobal>
#include <deque>

struct ChartPoint {
    double x = 0;
    double y = 0;
    Rgb colour = 0;
};

// The points of one chart series, oldest first. Points are only appended at the new end and
// deleted at the old end; every point keeps a serial number (its position in the sequence of
// all points ever added), so that a drawing layer can mirror the series incrementally.
class ChartSeries {
public:
    explicit ChartSeries(Rgb colour = rgb::Black) : m_colour(colour) {}

    void Add(double x, double y, Rgb colour) { m_points.push_back({x, y, colour}); }
    void DeleteOldest();

    int count() const { return int(m_points.size()); }
    bool empty() const { return m_points.empty(); }
    // Only for a series that holds points.
    double oldestX() const { return m_points.front().x; }
    const ChartPoint& at(int index) const { return m_points[std::size_t(index)]; }
    const ChartPoint& newest() const { return m_points.back(); }
    Rgb colour() const { return m_colour; }

    // Serial numbers: the oldest point held, and one past the newest.
    quint64 firstSerial() const { return m_deleted; }
    quint64 endSerial() const { return m_deleted + m_points.size(); }
    const ChartPoint& bySerial(quint64 serial) const {
        return m_points[std::size_t(serial - m_deleted)];
    }

private:
    std::deque<ChartPoint> m_points;
    Rgb m_colour;
    quint64 m_deleted = 0;
};
