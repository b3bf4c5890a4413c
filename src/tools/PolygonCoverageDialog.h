// TPolygonCoverageDB, "Polygon Coverage": how much of every zone polygon the
// named elements cover (their polygons, circles around them, or buffers
// around links and chains), written as a share of a zone quantity into an
// attribute of each zone's owner node.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "core/analysis/PolygonCoverage.h"
#include "schema/SchemaCommon.h"
#include "tools/AnalysisRun.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;
class TCoverageMarks;
class TSketchPadWindow;
class TZOKMainWindow;

class TPolygonCoverageDB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 2200;

    // Settings: the window's record, written by OK. Marks: where covered
    // points are shown (nullptr: nowhere).
    TPolygonCoverageDB(TSchemaContext& Context, TPolygonCoverageSettings& Settings, TCoverageMarks* Marks,
                       QWidget* Parent = nullptr);
    ~TPolygonCoverageDB() override;

    QLineEdit* Edit1;      // the element name
    QLineEdit* StatusEdit; // read-only
    QSpinBox* RadiusEdit;  // "Buffer Radius:"
    std::array<QRadioButton*, 5> TypeButtons{}; // element types 0..4
    QCheckBox* IntersectBox;
    std::array<QLabel*, 11> Labels{};        // [1..10] node class names
    std::array<QComboBox*, 11> InputBoxes{};  // [1..10] "Attributes for Input"
    std::array<QComboBox*, 11> OutputBoxes{}; // [1..10] output attributes
    QToolButton *RefreshButton, *SizeButton; // "Refresh", "Node Size Expressions"
    QPushButton *GoButton, *OKButton, *CancelButton, *HelpButton;

    // The further element names (entry 0 stands for the edit).
    std::vector<std::string> Working;

    // "&Go": looks up the elements and runs the coverage.
    void GoClick();
    // "Refresh": the marks go and the window redraws.
    void RefreshClick();
    // Double click on the element edit: the memo of the names.
    void EditNames();
    // The settings as the controls show them.
    TPolygonCoverageSettings Choices() const;
    int ElementType() const;

    bool Scanning() const { return FScanning; }
    const TCoverageResult& LastResult() const { return FResult; }

    // Holds the network while the scan runs (empty: no hold).
    TBeginRun BeginRun;
    // The window redraws (Refresh, and after a run that wrote values).
    std::function<void()> Repaint;
    // The "Node Size Expressions" button (empty: the button is disabled).
    std::function<void()> OpenSizeExpressions;
    // Shows help topic 2200 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;

    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Load();
    void ShowCount();
    void InputChanged(int Class);
    void EnableControls(bool On);

    TSchemaContext& Ctx;
    TPolygonCoverageSettings& FSettings;
    QPointer<TCoverageMarks> FMarks;
    int FNodeClasses = 0;
    bool FScanning = false;
    TCoverageResult FResult;
};

// Puts the "Polygon Coverage..." item into the main window's item table.
void RegisterCoveragePadItems(TZOKMainWindow& Main);
// When the item is enabled: while the network has a node class (zones and
// their inputs are chosen per class).
bool PolygonCoverageItemEnabled(const TSketchPadWindow& Pad);
// The item's command: the dialog over the window's coverage settings.
bool PolygonCoverageCommand(TSketchPadWindow& Pad);
