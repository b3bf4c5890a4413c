// The dialogs of the long/lat and elevation computations over a whole
// network: "Compute Longitude and Latitude" (TCalcLongLatDB) and the
// elevation dialog (TElevationDB). Both keep their choices in the window's
// long/lat settings and report in a read-only status field.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "core/geo/Delaunay.h"
#include "tools/ToolWidgets.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TMessageSink;
class TNetwork;
class TNode;
class trealedit;
struct TWindowSettings;

// What the window connects to both dialogs.
struct TGeographyHooks {
    // After positions changed (X, Y from long/lat): the windows of the
    // network take the new extents and repaint. After other computations:
    // a repaint.
    std::function<void(bool moved)> NetworkChanged;
    // Draws the triangles' edges of a triangulation over the window.
    std::function<void(std::vector<TDEdge>)> ShowTriangles;
    // Lets pending events run during a long computation.
    std::function<void()> ProcessEvents;
    // Held while a computation runs (the window's busy gate).
    std::function<std::shared_ptr<void>()> LongStep;
    // Shows a help topic (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;
    // Where message boxes go (default: Qt message boxes over the dialog).
    TMessageSink* Boxes = nullptr;
};

class TCalcLongLatDB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 2400;

    TCalcLongLatDB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent = nullptr);
    ~TCalcLongLatDB() override;
    TGeographyHooks Hooks;

    QGroupBox* ProjectionRG;
    QButtonGroup* ProjectionMethod; // 0..3
    QLineEdit *PivotNodeEB, *SecondNodeEB;
    QLabel* StatusEB;
    trealedit* PixelsPerDegreeEB;
    QSpinBox* RangeSE;
    QCheckBox *OnlyZerosCB, *OnlyFreeNodesCB;
    QGroupBox* EstimateGB;
    QPushButton *LongLatButton, *XYButton, *EstimateButton, *OKButton, *CancelButton, *HelpButton;

    void FormShow();
    void accept() override; // OK
    void LongLatButtonClick();
    void XYButtonClick();
    void EstimateButtonClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // The scale edit as a number (one the computations can use: not 0);
    // else red, the status says so, false. The scale carries the sign of the
    // change of Y with latitude, so a negative one is as good as a positive.
    bool ReadScale(double& Scale, bool Computing);
    // The two node names, which the network file keeps in its code page:
    // false, the field marked and one box, where it cannot keep them.
    bool NamesKept();
    // The pivot of the name; nullptr when none matches.
    TNode* FindNamed(const QLineEdit* Edit) const;
    void Store(bool All, double Scale);
    void Status(const std::string& Text);
    TMessageSink& Sink();

    TNetwork& FNet;
    TWindowSettings& FSettings;
    toolwidgets::TDialogBoxes FBoxes;
};

class TElevationDB : public QDialog {
    Q_OBJECT
public:
    TElevationDB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent = nullptr);
    ~TElevationDB() override;
    TGeographyHooks Hooks;

    QGroupBox* MethodRG;
    QButtonGroup* Method; // 0 none .. 3 triangulation
    QLabel* ConstantLabel;
    trealedit* ConstantEB;
    QCheckBox *OnlyZerosCB, *ComputeShapesCB, *UseShapesCB, *LockCB;
    QLabel* StatusEB;
    QPushButton *CalculateButton, *UnlockButton, *OKButton, *CancelButton;

    void FormShow();
    void accept() override; // OK
    void CalculateButtonClick();
    void UnlockButtonClick();
    // The constant's controls are usable only for the constant method.
    void MethodClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    bool ReadConstant(double& Value);
    void Status(const std::string& Text);
    TMessageSink& Sink();

    TNetwork& FNet;
    TWindowSettings& FSettings;
    toolwidgets::TDialogBoxes FBoxes;
};
