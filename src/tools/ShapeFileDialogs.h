// The shapefile dialogs: "ArcGIS Shapefile Import" (TShapeFileDB), whose
// values live for the whole run, and "ArcGIS Shapefile Export"
// (TShapeExportDB). The window connects the hooks that act on it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "core/shapes/ShapeImport.h"
#include "tools/ToolWidgets.h"

class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMessageSink;
class TNetwork;
class trealedit;
struct TViewRecord;
struct TWindowSettings;

// The import dialog's values of this run.
TShapeImportSettings& ProgramShapeSettings();

class TShapeFileDB : public QDialog {
    Q_OBJECT
public:
    explicit TShapeFileDB(TShapeImportSettings& Settings, QWidget* Parent = nullptr);
    ~TShapeFileDB() override;

    // ---- what the window connects
    // Imports the file into the window with the settings, fits, repaints and
    // marks it modified; returns the import's status line.
    std::function<std::string(const std::string& File, const TShapeImportSettings&)> Import;
    // OK: the window keeps the method, the Y scale and the translations.
    std::function<void(const TShapeImportSettings&)> Store;
    // Runs a file dialog; true when a file was chosen (default: exec).
    std::function<bool(QFileDialog&)> RunFileDialog;
    // "&Multiple Shapefiles Import": the batch dialog, whose steps use the
    // values read.
    std::function<void()> MultipleImport;
    TMessageSink* Boxes = nullptr;

    // ---- controls
    trealedit *MilesPerDegreeEB, *PixelsPerMileEB, *XScaleEB, *YScaleEB, *XTranslateEB, *YTranslateEB;
    QGroupBox* ProjectionRG;
    QButtonGroup* Projection; // 0 Linear .. 3 Lambert Conformal
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6;
    // What the last import read and skipped.
    QLabel* StatusEB;
    QFileDialog* ShapeDB;

    void FormShow();
    void Button1Click(); // OK
    void Button3Click(); // Single Shapefile Import
    void Button4Click(); // Suggest
    void Button5Click(); // Compute
    void Button6Click(); // Multiple Shapefiles Import
    void ProjectionRGClick();
    // Reads and checks the six values into the settings; false (with the
    // failing fields red) when one is refused.
    bool ReadEdits();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Reads the miles per degree and pixels per mile (and with All the
    // scales and translations) into s.
    bool ReadFields(bool All, TShapeImportSettings& s);
    bool ChooseFile(std::string& File);
    TMessageSink& Sink();
    void ShowMiles(double Miles);

    TShapeImportSettings& FSettings;
    toolwidgets::TDialogBoxes FBoxes;
    QString FMilesText; // what Compute showed for FMiles
    double FMiles = 0;
};

class TShapeExportDB : public QDialog {
    Q_OBJECT
public:
    TShapeExportDB(TNetwork& Net, TWindowSettings& Settings, const TViewRecord& View, QWidget* Parent = nullptr);
    ~TShapeExportDB() override;

    // ---- what the window connects
    std::function<bool(QFileDialog&)> RunFileDialog;
    // Lets pending events run during the export.
    std::function<void()> ProcessEvents;
    // Held while the export runs (the window's busy gate).
    std::function<std::shared_ptr<void>()> LongStep;
    // Shows the window's Extract and Update dialog in dBase, with only
    // polygon owners when asked, and with this dialog's filter box (default:
    // a plain one over the network and settings).
    std::function<void(bool OnlyPolygons, bool Filter)> ShowExtract;
    TMessageSink* Boxes = nullptr;

    // ---- controls
    QGroupBox* RadioGroup1;
    QButtonGroup* Choice;
    QCheckBox* FilterCB;
    QLabel* StatusEB;
    QPushButton *Button1, *Button2, *Button3, *Button4;
    QFileDialog* ExportDB;

    void FormShow();
    void Button1Click(); // OK
    void Button3Click(); // Export
    void Button4Click(); // Extract/Update

protected:
    void showEvent(QShowEvent* Event) override;

private:
    TMessageSink& Sink();

    TNetwork& FNet;
    TWindowSettings& FSettings;
    const TViewRecord& FView;
    toolwidgets::TDialogBoxes FBoxes;
};
