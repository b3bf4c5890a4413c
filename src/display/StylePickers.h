// The small pickers of the style dialogs: a symbol or width, a colour entry,
// a fill pattern, a border line. Each shows its entries as painted samples;
// a double click on an entry chooses it and closes the picker. A stored value
// that no entry shows is kept unless the user picks an entry.
#pragma once

#include <QDialog>

#include "core/model/DisplaySettings.h"
#include "display/DisplaySupport.h"
#include "shell/ShrinkForm.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QRadioButton;
class QSpinBox;
class TSketchPadWindow;

class TPickerDB : public TShrinkForm {
    Q_OBJECT
public:
    TPickerDB(TSketchPadWindow& Pad, const TDisplaySettings* Display, QWidget* Parent);
    QButtonGroup* Group = nullptr;
    // The user picked an entry (or changed a control of the picker).
    bool Changed = false;
    // Shows the picker with its rows; true when confirmed.
    bool Run(int Rows);

protected:
    TSketchPadWindow& FPad;
    TSamplePad FSample;
    QGridLayout* FGrid = nullptr;
    // Row k: RadioButton<k> with its caption and its sample beside it.
    QRadioButton* AddRow(int K, const QString& Caption, TSampleView* Sample, int GridRow, int GridColumn = 0);
    // OK and Cancel under the rows; then the rows are found by name.
    void Finish(int GridRow);
    void Check(int K);
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

// "Link Shapes" (link widths), "Node Shapes" (node symbols): entries 1..10,
// and "Custom" with an image number 11..240 that stores the number + 10.
class TLinkShapesDB : public TPickerDB {
    Q_OBJECT
public:
    TLinkShapesDB(TSketchPadWindow& Pad, bool Nodes, int32_t Value, int32_t Colour, QWidget* Parent = nullptr);
    QSpinBox* SpinEdit1 = nullptr;
    int32_t Result() const;

private:
    int32_t FValue;
    bool FExact;
};

// "LinkColorsDB" (links), "Node Colors" (nodes): entry k is colour k - 1.
class TLinkColorsDB : public TPickerDB {
    Q_OBJECT
public:
    TLinkColorsDB(TSketchPadWindow& Pad, bool Nodes, int32_t Colour, QWidget* Parent = nullptr);
    int32_t Result() const;

private:
    int32_t FColour;
};

// "Fill Pattern": the nine brush styles, or a hatch bitmap.
class TFillPatternDB : public TPickerDB {
    Q_OBJECT
public:
    TFillPatternDB(TSketchPadWindow& Pad, const TPolygonStyle& Style, QWidget* Parent = nullptr);
    QComboBox* ComboBox5 = nullptr;
    TPolygonStyle Result() const;

private:
    TPolygonStyle FStyle;
    bool FShown = false;
};

// "Border Line": the eleven pens.
class TBorderStyleDB : public TPickerDB {
    Q_OBJECT
public:
    TBorderStyleDB(TSketchPadWindow& Pad, const TPolygonStyle& Style, QWidget* Parent = nullptr);
    TPolygonStyle Result() const;

private:
    TPolygonStyle FStyle;
};
