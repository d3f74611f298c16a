#pragma once

#include "charts/PlaybackMode.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QToolButton;
class RangeChartModel;

// The contents of the left panel's group box `gbOscillogram` ("Осциллограмма"; the window
// owns the box and shows it with the Range page): Y range and page duration buttons, the three
// playback buttons and the automatic Y scale box. It only shows the model's state; the
// RangeOscillogram connects its controls to the handlers.
class OscillogramControls : public QWidget {
    Q_OBJECT
public:
    explicit OscillogramControls(QWidget* parent = nullptr);

    // Enabled buttons, the pressed playback button and the check box, as the model has them.
    // Changes nothing the user could take for a click: no signal is raised.
    void mirror(const RangeChartModel& model);

    QToolButton* sbLeftAxisUp = nullptr;
    QToolButton* sbLeftAxisDown = nullptr;
    QToolButton* sbBottomAxisSlow = nullptr;
    QToolButton* sbBottomAxisFast = nullptr;
    QToolButton* sbOscPlay = nullptr;
    QToolButton* sbOscAlarm = nullptr;
    QToolButton* sbOscPause = nullptr;
    QButtonGroup* playback = nullptr; // ids are PlaybackMode values
    QCheckBox* chbAutoYScale = nullptr;

private:
    QToolButton* arrowButton(const char* name, Qt::ArrowType arrow);
    QToolButton* playbackButton(const char* name, const QString& hint, const QPixmap& glyph,
                                PlaybackMode mode);
    QLabel* label(const char* name, const QString& text);
};
