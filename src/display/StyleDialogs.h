// "Node Styles" and "Link Styles" (the default symbol or width and colour of
// each class, its legend flag and, for links, its arrow), "Pie" (the slice
// attributes of a node class and the window's pie colours) and "Shapes"
// (the window's symbol size, global shape, link style and shape-point marks).
// Each edits working copies; the caller stores them on OK.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QDialog>

#include "core/model/DisplaySettings.h"
#include "core/model/EntityClasses.h"
#include "display/DisplaySupport.h"
#include "shell/ShrinkForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TSketchPadWindow;
class TZOKMainWindow;

// The class styles as the dialogs edit them.
struct TClassStyles {
    struct TRow {
        int32_t Size = 1; // node size or link width; above 10 a symbol image + 10
        int32_t Colour = 1;
        uint8_t Arrow = 0;
        std::array<uint8_t, 11> Slices{}; // pie-slice attributes [1..10]
    };
    std::array<TRow, MaxClasses + 1> Rows;   // classes 0..10
    std::array<uint8_t, 11> Legend{};        // [1..10], the window's legend flags
    std::array<int32_t, 11> PieColors{};     // [1..10], the window's pie colours
};

class TClassStylesDB : public TShrinkForm {
    Q_OBJECT
public:
    TClassStylesDB(TSketchPadWindow& Pad, bool Nodes, QWidget* Parent = nullptr);
    const bool Nodes;
    TClassStyles Working;
    std::array<QRadioButton*, 12> RowButtons{};   // RadioButton1..11: classes 0..10
    std::array<QCheckBox*, 12> LegendBoxes{};     // rows 2..11
    std::array<QCheckBox*, 12> ArrowBoxes{};      // links, rows 1..11
    std::array<TSampleView*, 12> Samples{};
    std::array<QLabel*, 12> RowTexts{};           // the image number of a symbol size
    QPushButton *ShapeButton = nullptr, *ColorButton = nullptr, *BitmapButton = nullptr, *PieButton = nullptr;
    // The class of the checked row.
    int SelectedClass() const;
    // Shows the dialog with a row for class 0 and each named class.
    bool Run();
    // OK: the class records (shared by the views) and the window's legend
    // flags and pie colours.
    void Store(TEntityClass& Classes, TWidthSettings& Widths, TDisplaySettings& Display) const;

    void ChooseShape();
    void ChooseColor();
    void ChooseBitmap();
    void ChoosePie();

private:
    TSketchPadWindow& FPad;
    TSamplePad FSample;
    const TEntityClass& FClasses;
    void ShowRow(int Class);
};

class TNodeStylesDB : public TClassStylesDB {
    Q_OBJECT
public:
    explicit TNodeStylesDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
};

class TLinkStylesDB : public TClassStylesDB {
    Q_OBJECT
public:
    explicit TLinkStylesDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
};

class TPIeDB : public QDialog {
    Q_OBJECT
public:
    // Slices and PieColors are the working copies [1..10]; Size the class's
    // node size.
    TPIeDB(const TClassRecord& Class, const std::array<uint8_t, 11>& Slices, const std::array<int32_t, 11>& PieColors,
           int32_t Size, QWidget* Parent = nullptr);
    std::array<QComboBox*, 11> ComboBoxes{}; // ComboBox1..10: "None", then the attributes
    std::array<QComboBox*, 11> ColorBoxes{}; // ColorBox1..10: the sixteen basic colours
    QSpinBox* SizeEdit = nullptr;
    TSampleView* Sample = nullptr;
    // What OK gives back: a value no control could show stays unless changed.
    std::array<uint8_t, 11> Slices() const;
    std::array<int32_t, 11> PieColors() const;
    int32_t Size() const;

private:
    std::array<uint8_t, 11> FSlices;
    std::array<int32_t, 11> FColors;
    int32_t FSize;
    std::array<bool, 11> FSliceChanged{}, FColorChanged{};
    bool FSizeChanged = false;
    int FAttributeCount = 0;
};

class TShapesDB : public QDialog {
    Q_OBJECT
public:
    TShapesDB(TZOKMainWindow& Main, const TDisplaySettings& Display, QWidget* Parent = nullptr);
    QButtonGroup *SizeGroup = nullptr, *ShapeGroup = nullptr, *LinkStyleGroup = nullptr;
    QCheckBox* SuppressCB = nullptr;
    QPushButton* HelpButton = nullptr;
    void Store(TDisplaySettings& Display) const;

private:
    TDisplaySettings FShown;
    bool FSizeChanged = false, FShapeChanged = false, FLinkChanged = false, FSuppressChanged = false;
};
