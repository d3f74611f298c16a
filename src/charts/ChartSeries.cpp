#include "charts/ChartSeries.h"

void ChartSeries::DeleteOldest() {
    if (m_points.empty())
        return;
    m_points.pop_front();
    ++m_deleted;
}
