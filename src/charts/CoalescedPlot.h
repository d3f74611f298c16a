#pragma once

#include <QTimer>
#include <qcustomplot.h>

// A QCustomPlot that mirrors a model and redraws at most at a fixed rate, however often the
// model changes: the poll cycle never waits for a repaint, and a burst of telemetry costs one
// replot per interval.
class CoalescedPlot : public QCustomPlot {
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 40; // 25 redraws a second at most

    explicit CoalescedPlot(QWidget* parent = nullptr);

    // The model changed: mirror and redraw within one interval.
    void scheduleRefresh();
    // Mirror and redraw now, e.g. before the window is captured into a snapshot.
    void flush();
    bool refreshPending() const { return m_refresh.isActive(); }
    // Mirror without redrawing (what a refresh does before its replot).
    void mirrorNow() { syncFromModel(); }

Q_SIGNALS:
    void resized();

protected:
    // Copies what changed in the model into the plottables and axes.
    virtual void syncFromModel() = 0;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTimer m_refresh;
};
