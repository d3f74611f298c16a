#include "charts/CoalescedPlot.h"

CoalescedPlot::CoalescedPlot(QWidget* parent) : QCustomPlot(parent) {
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(RefreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        syncFromModel();
        replot();
    });
    // Instrument plots: no antialiasing, cheap polylines.
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phFastPolylines, true);
    setLocale(QLocale());
}

void CoalescedPlot::scheduleRefresh() {
    if (!m_refresh.isActive())
        m_refresh.start();
}

void CoalescedPlot::flush() {
    m_refresh.stop();
    syncFromModel();
    replot();
}

void CoalescedPlot::resizeEvent(QResizeEvent* event) {
    QCustomPlot::resizeEvent(event);
    Q_EMIT resized();
}
