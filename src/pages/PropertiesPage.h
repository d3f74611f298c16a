#pragma once

#include "config/AppSettings.h"
#include "pages/RangeSettingsLogic.h"

#include <QWidget>

class IniFile;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;
struct SupplyScale;

// The developer's properties page (tsParams): the threshold table sgSense and the length table
// sgDist, the supply-scale coefficients, the oscillogram filters and display choices.
//
// The tables are live: a committed cell edit goes into the ScaleTables at once, where every
// reader takes it from. Apply writes everything to the settings file, reads the tables back from
// it in their normal form and hands the Range page its new threshold lists.
class PropertiesPage : public QWidget {
    Q_OBJECT
public:
    PropertiesPage(ScaleTables& tables, SupplyScale& scale, IniFile& settingsFile,
                   QWidget* parent = nullptr);

    // Start-up: everything from the settings file's values; emits rangeListsChanged with the
    // "---" entry.
    void loadSettings(const AppSettings& settings);
    // The page is shown: the "Новые" boxes start from the coefficients in effect.
    void tsParamsShow();
    // Enabled only while a detector is connected (the page rules decide).
    void setApplyEnabled(bool enabled);

    // Values the oscillogram reads. The rate and the jump count change only at start-up and
    // Apply; the check box and the radio group are read as they stand.
    int pointsPerSecond() const { return m_pointsPerSecond; }
    int discardedJumps() const { return m_discardedJumps; }
    bool signalDuringAlarm() const;
    int thresholdExcessMode() const; // position in rgThresholds, -1 when none

public Q_SLOTS:
    // Apply. Nothing goes to the detector. On a write failure settingsWriteFailed tells why; the
    // values are in effect all the same.
    SettingsWriteResult btnApplayParamsClick();

Q_SIGNALS:
    void rangeListsChanged(const ThresholdLists& lists);
    void settingsWriteFailed(const QString& message);

private:
    void build();
    QWidget* buildCoefficients();
    QWidget* buildExtras();
    QWidget* buildThresholdDisplay();
    void showTables();
    void showCoefficients();
    void takeFilterValues();
    void thresholdCellEdited(int row, int column);
    void lengthCellEdited(int row, int column);

    ScaleTables& m_tables;
    SupplyScale& m_scale;
    IniFile& m_file;
    AppSettings m_loaded = AppSettings::defaults();
    int m_pointsPerSecond = 1;
    int m_discardedJumps = 0;

    QTableWidget* m_sense = nullptr;
    QTableWidget* m_dist = nullptr;
    QComboBox* m_kdc = nullptr;
    QComboBox* m_newKdc = nullptr;
    QComboBox* m_urd = nullptr;
    QComboBox* m_newUrd = nullptr;
    QComboBox* m_selectFilter = nullptr;
    QComboBox* m_tenPercentFilter = nullptr;
    QCheckBox* m_signalDuringAlarm = nullptr;
    QButtonGroup* m_thresholds = nullptr;
    QPushButton* m_apply = nullptr;
};
