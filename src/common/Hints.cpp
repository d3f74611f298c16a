#include "common/Hints.h"

#include <array>

namespace {

struct HintRow {
    const char* text; // UTF-8
    HintColour colour;
};

constexpr char RegulateText[] = "Выполните контрольные пересечения рубежа. Проверьте выдачу "
                                "тревоги. Отрегулируйте чувствительность.";
constexpr char SignalTooHighText[] = "Сигнал выше допустимого значения!";

// Some entries are never shown by any operation; they keep their numbers so that every
// other entry keeps its own.
constexpr std::array<HintRow, HintCount> Rows{{
    {"", HintColour::Blue},
    {"Низкий уровень входного сигнала!", HintColour::Blue},
    {"Высокий уровень входного сигнала!", HintColour::Blue},
    {"Выберете COM-порт подключения извещателя ...", HintColour::Blue},
    {"Ожидание ответа извещателя ...", HintColour::Blue},
    {"Невозможно открыть выбранный COM-порт !!!", HintColour::Blue},
    {"Выберете режим 'Юстировка' или 'Настройка'.", HintColour::Blue},
    {"Выполните юстировку блоков извещателя.", HintColour::Blue},
    {"Сигнал отсутствует!", HintColour::Blue},
    {"Ошибка обмена!", HintColour::Blue},
    {SignalTooHighText, HintColour::Red},
    {"Низкое напряжение электропитания!", HintColour::Blue},
    {"Выберите длину участка. Выполните контрольные пересечения рубежа. Проверьте выдачу "
     "тревоги. Переключитесь в ручной режим настройки, при необходимости.",
     HintColour::Blue},
    {RegulateText, HintColour::Blue},
    {RegulateText, HintColour::Blue},
    {SignalTooHighText, HintColour::Red},
    {"Слишком низкий уровень входного сигнала!", HintColour::Red},
    {"Тревога!", HintColour::Blue},
    {"", HintColour::None},
}};

} // namespace

HintEntry hintEntry(int index) {
    if (index < 0 || index >= HintCount)
        return {QString(), HintColour::None};
    const HintRow& row = Rows[std::size_t(index)];
    return {QString::fromUtf8(row.text), row.colour};
}

quint32 hintColourRgb(HintColour colour, quint32 fallback) {
    switch (colour) {
    case HintColour::Blue:
        return 0x0000FF;
    case HintColour::Red:
        return 0xFF0000;
    case HintColour::None:
        break;
    }
    return fallback;
}
