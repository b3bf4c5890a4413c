// The label dialogs of a window: "Entity Labels" (the two label codes and
// the font slot of each class of a kind), "Select Label" (one code from the
// items a class can print), "Label Font" (one of the font slots, each drawn
// in its font) and "Labels Format" (places, lengths, precision, flags and the
// twelve font slots). Each edits working copies; the caller stores them on OK.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QColor>
#include <QDialog>
#include <QFont>

#include "core/expr/LabelChoices.h"
#include "core/model/LabelSettings.h"
#include "shell/ShrinkForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class TSketchPadWindow;
class TStoredSpinBox;
struct TClassRecord;
class TEntityClass;

// A font slot of a label record as a dialog shows it: the face, style and
// colour of the slot (the slot's pixel height only with withHeight; heights
// are pixels at 96 dots per inch). A slot outside 0..11 shows slot 0.
struct TWindowFont {
    QFont Font;
    QColor Colour;
};
TWindowFont ApplyWindowFont(const TLabelSettings& labels, int32_t slot, bool withHeight);

// After the font records of a window changed: the drawing makes its fonts
// from the records as it draws, so the window and those drawing it as an
// underlay repaint.
void RecreateLabelFonts(TSketchPadWindow& pad);

// "Select Label".
class TSelectLabelDB : public QDialog {
    Q_OBJECT
public:
    TSelectLabelDB(const TClassRecord& Class, bool Nodes, int32_t Code, QWidget* Parent = nullptr);
    QListWidget* ListBox1 = nullptr;
    // The code of the selected item; the code given when no item is selected
    // (a code the class cannot print stays as it was).
    int32_t Code() const;

private:
    int32_t FCode;
    int FAttributeCount;
    bool FNodes;
};

// "Label Font": slots 0..10.
class TLabelFontDB : public QDialog {
    Q_OBJECT
public:
    TLabelFontDB(const TLabelSettings& Labels, int32_t Slot, QWidget* Parent = nullptr);
    QListWidget* ListBox1 = nullptr;
    // The selected slot; the slot given when none is selected.
    int32_t Slot() const;

private:
    int32_t FSlot;
};

// Opens "Label Font" on slot; true (slot changed) on OK.
bool ChooseLabelFont(TSketchPadWindow& Pad, QWidget* Parent, const TLabelSettings& Labels, int32_t& Slot);

// "Entity Labels": one row per class 1..10 of the kind.
class TEntityLabelsDB : public TShrinkForm {
    Q_OBJECT
public:
    TEntityLabelsDB(TSketchPadWindow& Pad, bool Nodes, QWidget* Parent = nullptr);
    const bool Nodes;
    // Working copies of the kind's codes [class][1..2] and class fonts.
    std::array<std::array<int32_t, 3>, 11> Codes{};
    std::array<int32_t, 11> Fonts{};
    std::array<QRadioButton*, 11> RowButtons{};             // RadioButton1..10: classes 1..10
    std::array<QLabel*, 11> FirstLabels{}, SecondLabels{}, FontLabels{};
    QPushButton *FirstButton = nullptr, *SecondButton = nullptr, *FontButton = nullptr;
    // The class of the checked row.
    int SelectedClass() const;
    // Shows the dialog with a row per class of the kind (at least 7 rows).
    bool Run();
    // OK: the codes and fonts of every class of the kind, and the
    // class-labelled flags of classes 1..10.
    void Store(TLabelSettings& Labels) const;

    void ChooseLabel(int Line);
    void ChooseFont();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ShowRow(int Class);
    TSketchPadWindow& FPad;
    const TEntityClass& FClasses;
};

// "Labels Format".
class TLabelsFormatDB : public QDialog {
    Q_OBJECT
public:
    explicit TLabelsFormatDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
    // Working copies of the twelve font slots.
    std::array<TLogFont, LabelFontSlotCount> FontRecords;
    std::array<int32_t, LabelFontSlotCount> FontColors{};
    std::array<std::string, LabelFontSlotCount> FontNames;
    QListWidget* ListBox1 = nullptr;
    QPushButton *SetFontButton = nullptr, *ColorButton = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr; // node and link positions
    TStoredSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr, *SpinEdit3 = nullptr;
    QButtonGroup* RadioGroup1 = nullptr; // first link label location
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr;

    // "Set &Font": the font dialog for the selected slot.
    void SetFontClick();
    // The colour of the selected slot.
    void ColorClick();
    void Store(TLabelSettings& Labels) const;

private:
    void ShowSlot(int Slot);
    TSketchPadWindow& FPad;
    const TLabelSettings& FStored;
};
