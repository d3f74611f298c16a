#include "recording/RecordingSummary.h"

#include <QStringEncoder>

namespace recording {

QStringList CounterLines(const RecordingCounters& c) {
    const std::pair<const char*, int> rows[] = {
        {"Тревог: ", c.AlarmCount},
        {"Превышений ПП: ", c.PpExcessCount},
        {"Превышений МП: ", c.MpExcessCount},
        {"Смен настроек с датчика: ", c.SettingsChangeCount},
        {"Юстировок: ", c.AlignmentCount},
        {"Пауз: ", c.PauseCount},
        {"Разрывов связи: ", c.LinkLossCount},
        {"Неисправностей: ", c.FaultCount},
    };
    QStringList lines;
    for (const auto& [label, value] : rows)
        lines << QString::fromUtf8(label) + QString::number(value);
    return lines;
}

QString SummaryText(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QByteArray EncodeSummary(const QStringList& lines) {
    QStringEncoder encoder("windows-1251");
    return encoder.encode(SummaryText(lines));
}

} // namespace recording
