#include "pages/PropertiesPage.h"

#include "config/IniFile.h"
#include "pages/PropertiesLogic.h"
#include "protocol/Scales.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int SenseRows = 4;
constexpr int SenseColumns = ThresholdCodeCount + 1;
constexpr int DistRows = 3;
constexpr int DistColumns = LengthCodeCount + 1;

// A header cell of the grid: fixed text that cannot be edited or selected.
QTableWidgetItem* headerCell(const QString& text, const QPalette& palette) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(palette.button());
    item->setForeground(palette.buttonText());
    return item;
}

QTableWidget* makeGrid(const char* name, int rows, int columns, QWidget* parent) {
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setObjectName(QLatin1String(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    const int rowHeight = grid->fontMetrics().height() + 4;
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->setFixedHeight(rows * rowHeight + grid->horizontalScrollBar()->sizeHint().height() +
                         2 * grid->frameWidth());
    return grid;
}

int columnWidthFor(const QWidget* grid, const QString& widest) {
    return grid->fontMetrics().horizontalAdvance(widest) + 8;
}

QComboBox* coefficientBox(const char* name, bool editable, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setEnabled(editable);
    box->setMinimumContentsLength(5); // "14,33"
    return box;
}

} // namespace

PropertiesPage::PropertiesPage(ScaleTables& tables, SupplyScale& scale, IniFile& settingsFile,
                               QWidget* parent)
    : QWidget(parent), m_tables(tables), m_scale(scale), m_file(settingsFile) {
    setObjectName(QStringLiteral("tsParams"));
    build();
    showTables();
    showCoefficients();
    takeFilterValues();
}

void PropertiesPage::build() {
    const QPalette headerPalette = palette();

    auto* senseGroup = new QGroupBox(
        QStringLiteral("Таблица соответствия значений порогов (%) чувствительности (%)"), this);
    senseGroup->setObjectName(QStringLiteral("gbParamsSense"));
    m_sense = makeGrid("sgSense", SenseRows, SenseColumns, senseGroup);
    const QStringList senseRows{QStringLiteral("Чув."), QStringLiteral("  ПП"),
                                QStringLiteral("  МП"), QStringLiteral("  БП")};
    for (int row = 0; row < SenseRows; ++row)
        m_sense->setItem(row, 0, headerCell(senseRows.at(row), headerPalette));
    for (int c = 0; c < ThresholdCodeCount; ++c)
        m_sense->setItem(0, c + 1, headerCell(SensitivityText(c), headerPalette));
    m_sense->setColumnWidth(0, columnWidthFor(m_sense, QStringLiteral("Чув.")));
    for (int column = 1; column < SenseColumns; ++column)
        m_sense->setColumnWidth(column, columnWidthFor(m_sense, QStringLiteral("10,9375")));
    (new QVBoxLayout(senseGroup))->addWidget(m_sense);

    auto* distGroup = new QGroupBox(
        QStringLiteral("Таблица соответствия значения порога (отсчеты) длине участка (м)"), this);
    distGroup->setObjectName(QStringLiteral("gbParamsDist"));
    m_dist = makeGrid("sgDist", DistRows, DistColumns, distGroup);
    const QStringList distRows{QStringLiteral("Длина уч."), QStringLiteral("Част9:Чув."),
                               QStringLiteral("Част24:Чув.")};
    for (int row = 0; row < DistRows; ++row)
        m_dist->setItem(row, 0, headerCell(distRows.at(row), headerPalette));
    for (int d = FirstLengthCode; d <= LastLengthCode; ++d)
        m_dist->setItem(0, d - 1,
                        headerCell(QString::number(SectionLengthMetres(d)), headerPalette));
    m_dist->setColumnWidth(0, columnWidthFor(m_dist, QStringLiteral("Част24:Чув.")));
    for (int column = 1; column < DistColumns; ++column)
        m_dist->setColumnWidth(column, columnWidthFor(m_dist, QStringLiteral("300")));
    (new QVBoxLayout(distGroup))->addWidget(m_dist);

    m_apply = new QPushButton(QStringLiteral("Применить <F5>"), this);
    m_apply->setObjectName(QStringLiteral("btnApplayParams"));
    m_apply->setToolTip(QStringLiteral("Задать параметры устройства"));
    m_apply->setEnabled(false);

    // The three groups side by side need the page's whole width at 820 px: Apply sits under
    // the coefficients, and every caption of the design is shown whole.
    auto* coefficientsColumn = new QVBoxLayout;
    coefficientsColumn->addWidget(buildCoefficients());
    coefficientsColumn->addStretch();
    coefficientsColumn->addWidget(m_apply);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    bottom->addLayout(coefficientsColumn);
    bottom->addWidget(buildExtras());
    bottom->addWidget(buildThresholdDisplay());
    bottom->addStretch();

    auto* page = new QVBoxLayout(this);
    page->addWidget(senseGroup);
    page->addWidget(distGroup);
    page->addLayout(bottom);
    page->addStretch();

    connect(m_sense, &QTableWidget::cellChanged, this, &PropertiesPage::thresholdCellEdited);
    connect(m_dist, &QTableWidget::cellChanged, this, &PropertiesPage::lengthCellEdited);
    connect(m_apply, &QPushButton::clicked, this, &PropertiesPage::btnApplayParamsClick);
}

QWidget* PropertiesPage::buildCoefficients() {
    auto* group = new QGroupBox(QStringLiteral("Коэффициенты"), this);
    group->setObjectName(QStringLiteral("gbParamsKoef"));
    m_kdc = coefficientBox("cbKdc", false, group);
    m_newKdc = coefficientBox("cbNewKdc", true, group);
    m_urd = coefficientBox("cbUrd", false, group);
    m_newUrd = coefficientBox("cbNewUrd", true, group);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    grid->addWidget(new QLabel(QStringLiteral("Текущие"), group), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Новые"), group), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Kdc:"), group), 1, 0);
    grid->addWidget(m_kdc, 1, 1);
    grid->addWidget(m_newKdc, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Urd:"), group), 2, 0);
    grid->addWidget(m_urd, 2, 1);
    grid->addWidget(m_newUrd, 2, 2);
    return group;
}

QWidget* PropertiesPage::buildExtras() {
    auto* group = new QGroupBox(QStringLiteral("Дополнительно"), this);
    group->setObjectName(QStringLiteral("gbParamsDop"));
    m_selectFilter = new QComboBox(group);
    m_selectFilter->setObjectName(QStringLiteral("cbSelectFilter"));
    m_selectFilter->addItems(SelectFilterItems());
    m_tenPercentFilter = new QComboBox(group);
    m_tenPercentFilter->setObjectName(QStringLiteral("cbTenPercentFilter"));
    m_tenPercentFilter->addItems(TenPercentFilterItems());
    m_signalDuringAlarm =
        new QCheckBox(QStringLiteral("Отображать сигнал во время трквоги"), group);
    m_signalDuringAlarm->setObjectName(QStringLiteral("cbDisplaySignalDuringAlarm"));
    // Each caption over its list: beside it the long captions would not fit.
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(1);
    grid->addWidget(new QLabel(QStringLiteral("Прореживание сигнала до отсчетов/сек"), group), 0,
                    0);
    grid->addWidget(m_selectFilter, 1, 0, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("Кол-во отбрасываемых скачков >10%"), group), 2, 0);
    grid->addWidget(m_tenPercentFilter, 3, 0, Qt::AlignLeft);
    grid->addWidget(m_signalDuringAlarm, 4, 0);
    return group;
}

QWidget* PropertiesPage::buildThresholdDisplay() {
    auto* group = new QGroupBox(QStringLiteral("Показывать превышение порога по"), this);
    group->setObjectName(QStringLiteral("rgThresholds"));
    m_thresholds = new QButtonGroup(group);
    auto* column = new QVBoxLayout(group);
    column->setSpacing(2);
    const QStringList items = ThresholdExcessItems();
    for (int i = 0; i < items.size(); ++i) {
        auto* choice = new QRadioButton(items.at(i), group);
        m_thresholds->addButton(choice, i);
        column->addWidget(choice);
    }
    m_thresholds->button(0)->setChecked(true);
    return group;
}

void PropertiesPage::showTables() {
    {
        const QSignalBlocker blocker(m_sense);
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < ThresholdCodeCount; ++c)
                m_sense->setItem(k + 1, c + 1,
                                 new QTableWidgetItem(m_tables.thresholdCell(ThresholdKind(k), c)));
    }
    const QSignalBlocker blocker(m_dist);
    for (int band = 0; band < 2; ++band)
        for (int d = FirstLengthCode; d <= LastLengthCode; ++d)
            m_dist->setItem(band + 1, d - 1, new QTableWidgetItem(m_tables.lengthCell(band, d)));
}

void PropertiesPage::showCoefficients() {
    m_kdc->setEditText(IniFile::formatReal(m_scale.Kdc));
    m_newKdc->setEditText(IniFile::formatReal(m_scale.Kdc));
    m_urd->setEditText(IniFile::formatReal(m_scale.Urd));
    m_newUrd->setEditText(IniFile::formatReal(m_scale.Urd));
}

void PropertiesPage::takeFilterValues() {
    m_pointsPerSecond = NumberOfItem(SelectFilterItems(), m_selectFilter->currentIndex(), 1);
    m_discardedJumps = NumberOfItem(TenPercentFilterItems(), m_tenPercentFilter->currentIndex(), 0);
}

void PropertiesPage::thresholdCellEdited(int row, int column) {
    if (row >= 1 && row <= 3 && column >= 1)
        m_tables.setThresholdCell(ThresholdKind(row - 1), column - 1,
                                  m_sense->item(row, column)->text());
}

void PropertiesPage::lengthCellEdited(int row, int column) {
    if (row >= 1 && row <= 2 && column >= 1)
        m_tables.setLengthCell(row - 1, column + 1, m_dist->item(row, column)->text());
}

bool PropertiesPage::signalDuringAlarm() const {
    return m_signalDuringAlarm->isChecked();
}

int PropertiesPage::thresholdExcessMode() const {
    return m_thresholds->checkedId();
}

void PropertiesPage::setApplyEnabled(bool enabled) {
    m_apply->setEnabled(enabled);
}

void PropertiesPage::loadSettings(const AppSettings& settings) {
    m_loaded = settings;
    m_scale.Kdc = settings.kdc;
    m_scale.Urd = settings.urd;
    auto choose = [](QComboBox* list, int position) {
        list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
    };
    choose(m_selectFilter, settings.filterSelect);
    choose(m_tenPercentFilter, settings.filterMaxTenPercent);
    m_signalDuringAlarm->setChecked(settings.displaySignalDuringAlarm);
    showCoefficients();
    takeFilterValues();
    FillTables(m_tables, settings);
    showTables();

    const int choice = ThresholdExcessChoice(settings.displayThresholdExcess);
    m_thresholds->setExclusive(false);
    for (QAbstractButton* button : m_thresholds->buttons())
        button->setChecked(m_thresholds->id(button) == choice);
    m_thresholds->setExclusive(true);

    emit rangeListsChanged(RangeListsOf(settings, true));
}

void PropertiesPage::tsParamsShow() {
    showCoefficients();
}

SettingsWriteResult PropertiesPage::btnApplayParamsClick() {
    if (const auto kdc = NewCoefficient(m_newKdc->currentText())) {
        m_scale.Kdc = *kdc;
        m_kdc->setEditText(IniFile::formatReal(*kdc));
    }
    if (const auto urd = NewCoefficient(m_newUrd->currentText())) {
        m_scale.Urd = *urd;
        m_urd->setEditText(IniFile::formatReal(*urd));
    }
    takeFilterValues();

    const PropertiesChoices choices{m_selectFilter->currentIndex(),
                                    m_tenPercentFilter->currentIndex(),
                                    m_signalDuringAlarm->isChecked(), m_thresholds->checkedId()};
    SettingsWriteResult written =
        writeAppSettings(m_file, SettingsToWrite(m_loaded, m_scale, choices, m_tables));

    // The tables show what the file now holds, in its normal form.
    const AppSettings stored = readAppSettings(m_file);
    FillTables(m_tables, stored);
    showTables();
    emit rangeListsChanged(RangeListsOf(stored, false));

    if (!written.ok)
        emit settingsWriteFailed(written.error);
    return written;
}
