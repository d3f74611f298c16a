#pragma once

#include "pages/RangeSettingsLogic.h"

#include <QGroupBox>

class CommandSlots;
class DropDownList;
class OutlineFrame;
class QComboBox;
class QLabel;
class QPushButton;
class ScaleTables;
class TelemetryTable;

// The settings strip across the top of the Range page (group gbRange): the detector's settings
// in drop-down lists, Apply and Cancel, and the red frame of mismatching thresholds.
//
// The selectors are the edit buffer; the telemetry table is the reference. Every decision is
// made by the functions of RangeSettingsLogic over plain values; this widget only mirrors them.
// A selector's change handler runs only on the user's choice, never when the program moves it.
class RangeSettingsStrip : public QGroupBox {
    Q_OBJECT
public:
    RangeSettingsStrip(const TelemetryTable& telemetry, CommandSlots& commands,
                       const ScaleTables& tables, QWidget* parent = nullptr);

    // The page is shown: letter, position designation, speeds and address from the report, ask
    // the detector for normal mode, then load (Cancel). The window runs its chart steps after it.
    void loadOnShow();
    // Last step of showing the page: an address the list cannot show becomes "2" and is applied.
    // Returns whether it did.
    bool repairAddressOnShow();

    // Visibility decided by the information panel's reactions.
    void setAddressVisible(bool visible);
    void setLetterEnabled(bool enabled);
    // Every Position message: the designation selectors appear for good and follow the report
    // unless the user is editing them.
    void onPositionMessage();
    // The link was given up: the designation selectors lose their selection (they stay shown).
    void clearPositionSelection();

    bool isEdited() const { return m_s.edited; }
    const RangeSelectors& selectors() const { return m_s; }
    bool anyThresholdListDroppedDown() const;
    // Whether the red frame belongs on: thresholds differ from the report while nothing is
    // edited, awaiting confirmation or being chosen.
    bool wrongThresholdsWanted() const;
    void setWrongThresholdsShown(bool shown);
    void UpdateWrongThresholdsMarker() { setWrongThresholdsShown(wrongThresholdsWanted()); }

public Q_SLOTS:
    // Start-up and the properties page's Apply; the four threshold lists lose their selection.
    void setThresholdLists(const ThresholdLists& lists);

    void btnApplyRangeClick();
    void btnCancelRangeClick();
    void cbRegulRangeChange();
    void cbDistRangeChange();
    void cbRangeSensChange();
    // The lists without dependent fills only mark the page edited.
    void markEdited();

Q_SIGNALS:
    // After every Apply, buttons already disabled: the window rescales the oscillogram and, when
    // commands are pending and recording is on, records "Настройки изменены".
    void applied(bool commandsPending);

private:
    struct Binding {
        QComboBox* combo;
        QLabel* label;
        Selector RangeSelectors::*selector;
    };

    void build();
    DropDownList* addList(const char* name, Selector RangeSelectors::*selector, QLabel* label);
    QLabel* addLabel(const char* name, const QString& text);
    void takeUserChoices();
    void mirror();
    RangeReport report() const;

    const TelemetryTable& m_telemetry;
    CommandSlots& m_commands;
    const ScaleTables& m_tables;
    RangeSelectors m_s;

    QList<Binding> m_bindings;
    DropDownList* m_pp = nullptr;
    DropDownList* m_mp = nullptr;
    DropDownList* m_bp = nullptr;
    QLabel* m_newPosLabel = nullptr;
    QLabel* m_letterLabel = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    OutlineFrame* m_wrongThresholds = nullptr;
};
