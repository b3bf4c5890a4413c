// "Polygon Styles" (the window's 41 polygon styles: fill and border colour,
// fill pattern, border line) and "Color Palettes" (the window's sixteen
// palette colours and whether links and nodes use them). Both edit working
// copies; the caller stores them on OK.
#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

#include "core/model/DisplaySettings.h"
#include "display/DisplaySupport.h"
#include "shell/ShrinkForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class TSketchPadWindow;

class TPolygonStylesDB : public TShrinkForm {
    Q_OBJECT
public:
    explicit TPolygonStylesDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
    std::array<TPolygonStyle, PolygonStyleCount> Styles; // working styles 0..40
    std::array<int32_t, 26> Colors{};                    // working colours; 1..16 the chooser's custom colours
    QButtonGroup* Group = nullptr;                       // RadioButton1..41: styles 0..40
    std::array<TSampleView*, PolygonStyleCount + 1> Samples{};
    QPushButton *FillColorButton = nullptr, *BorderColorButton = nullptr, *FillPatternButton = nullptr,
                *BorderLineButton = nullptr;
    int SelectedStyle() const;
    bool Run();
    void Store(TDisplaySettings& Display) const;

    void ChooseFillColor();
    void ChooseBorderColor();
    void ChooseFillPattern();
    void ChooseBorderLine();

private:
    TSketchPadWindow& FPad;
    TSamplePad FSample;
    void Repaint(int Style);
};

class TPolygonColorsDB : public QDialog {
    Q_OBJECT
public:
    explicit TPolygonColorsDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
    std::array<int32_t, 26> Swatches{}; // 1..16 as stored ($00BBGGRR)
    std::array<TSampleView*, 17> Shapes{}; // Shape1..Shape16
    QComboBox* SchemeBox = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    // A swatch was clicked: the colour chooser edits the swatches as its
    // custom colours.
    void EditSwatch(int N);
    void Store(TDisplaySettings& Display) const;

private:
    TSketchPadWindow& FPad;
    uint8_t FUse;
    bool FUseChanged = false;
};
