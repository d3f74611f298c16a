#include "charts/ThresholdAnalysis.h"

#include "protocol/Scales.h"
#include "protocol/Telemetry.h"

ThresholdExcessMode thresholdExcessModeOf(int itemIndex) {
    if (itemIndex < 0 || itemIndex > int(ThresholdExcessMode::SignalOnly))
        return ThresholdExcessMode::None;
    return ThresholdExcessMode(itemIndex);
}

ExcessOutcome JudgeThreshold(ThresholdExcessMode mode, bool flag, bool levelHit) {
    switch (mode) {
    case ThresholdExcessMode::LevelAsIndicator:
        return flag || levelHit ? ExcessOutcome::Exceeded : ExcessOutcome::Normal;
    case ThresholdExcessMode::LevelNotAsIndicator:
        if (flag)
            return ExcessOutcome::Exceeded;
        return levelHit ? ExcessOutcome::LevelOnly : ExcessOutcome::Normal;
    case ThresholdExcessMode::IndicatorOnly:
        return flag ? ExcessOutcome::Exceeded : ExcessOutcome::Normal;
    case ThresholdExcessMode::SignalOnly:
        return levelHit ? ExcessOutcome::Exceeded : ExcessOutcome::Normal;
    case ThresholdExcessMode::None:
        break;
    }
    return ExcessOutcome::Normal;
}

void ThresholdAnalysis::addPoint(const AddMarker& addMarker, const ExcessRows& rows,
                                 ExcessOutcome outcome, double y) {
    switch (outcome) {
    case ExcessOutcome::Normal:
        addMarker(rows.normal, y);
        break;
    case ExcessOutcome::LevelOnly:
        addMarker(rows.levelOnly, y);
        break;
    case ExcessOutcome::Exceeded:
        addMarker(rows.exceeded, y);
        break;
    }
}

void ThresholdAnalysis::closeOrHoldExcess(ExcessOutcome outcome, const ExcessLatch& excess,
                                          bool otherFlag, const ThresholdReading& reading,
                                          ConditionEvents& events) {
    if (outcome != ExcessOutcome::Normal) {
        excess.latch = true;
        if (reading.state == ModeAlarm)
            excess.inAlarm = true;
        return;
    }
    // An excess ends; it is counted only when it had nothing to do with an alarm and the other
    // threshold was not exceeded at the same time. Without a recording the latch waits.
    if (!excess.latch || !reading.recording)
        return;
    excess.latch = false;
    if (!excess.inAlarm && reading.state != ModeAlarm && !otherFlag) {
        ++excess.count;
        events.RecordEvent(QString::fromUtf8(excess.label) + QString::number(excess.count));
    }
    excess.inAlarm = false;
}

void ThresholdAnalysis::ClassifyThresholds(const ThresholdReading& reading,
                                           const AddMarker& addMarker, ConditionEvents& events) {
    if (reading.mode == ThresholdExcessMode::None)
        return;
    const double s = reading.signalPercent;
    if (!reading.thresholdControlOff) {
        const auto pp = JudgeThreshold(reading.mode, reading.pp, s >= reading.ppPercent);
        addPoint(addMarker, {RangeSeries::PP, RangeSeries::PPUp, RangeSeries::PPMax}, pp,
                 reading.ppPercent);
        closeOrHoldExcess(pp,
                          {m_state.PpExcessLatch, m_state.PpExcessInAlarm, m_state.PpExcessCount,
                           "Превышение ПП "},
                          reading.mp, reading, events);

        const auto mp = JudgeThreshold(reading.mode, reading.mp, s <= -reading.mpPercent);
        addPoint(addMarker, {RangeSeries::MP, RangeSeries::MPDown, RangeSeries::MPMin}, mp,
                 -reading.mpPercent);
        closeOrHoldExcess(mp,
                          {m_state.MpExcessLatch, m_state.MpExcessInAlarm, m_state.MpExcessCount,
                           "Превышение МП "},
                          reading.pp, reading, events);
    }
    const auto bp = JudgeThreshold(reading.mode, reading.bp, s <= -reading.bpPercent);
    addPoint(addMarker, {RangeSeries::BP, RangeSeries::BPDown, RangeSeries::BPMin}, bp,
             -reading.bpPercent);
}

void ThresholdAnalysis::UpdateConditionLatches(unsigned state, bool recording,
                                               bool& reannounceRequest, ConditionEvents& events) {
    if (!m_state.AlarmLatch && state == ModeAlarm) {
        m_state.AlarmLatch = true;
        ++m_state.AlarmCount;
        if (recording) {
            const int number = ParseInteger(events.AlarmNumberCaption()).value_or(0) + 1;
            events.SetAlarmNumberCaption(QString::number(number));
            events.RecordEvent(QStringLiteral("Тревога ") + events.AlarmNumberCaption());
        }
    } else if (reannounceRequest || (m_state.AlarmLatch && state != ModeAlarm)) {
        m_state.AlarmLatch = false;
        reannounceRequest = false;
        if (state == ModeNormal && recording)
            events.RecordEvent(QStringLiteral("Норма"));
    }

    if (!m_state.FaultLatch && state == ModeFault) {
        m_state.FaultLatch = true;
        ++m_state.FaultCount;
        if (recording)
            events.RecordEvent(QStringLiteral("Неисправность"));
    } else if (m_state.FaultLatch && state != ModeFault) {
        m_state.FaultLatch = false;
    }
}
