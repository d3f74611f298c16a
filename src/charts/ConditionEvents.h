#pragma once

#include <QString>

// Where the threshold and condition analysis reports what it saw: the alarm recording's
// snapshot with its label, and the recorded-alarm number shown on the Range page
// (`lTrvNumberRange`), which the analysis reads and raises at each recorded alarm.
class ConditionEvents {
public:
    virtual ~ConditionEvents() = default;
    // Called only while recording.
    virtual void RecordEvent(const QString& label) = 0;
    virtual QString AlarmNumberCaption() const = 0;
    virtual void SetAlarmNumberCaption(const QString& caption) = 0;
};
