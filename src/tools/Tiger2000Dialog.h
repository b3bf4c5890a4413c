// TTiger2000DB, "TIGER 2000 Import": the scale, translations and projection
// with which a set of TIGER/Line 2000 record files becomes part of a
// window's network, and the import itself ("&IMPORT").
//
// The window hands over its network and its settings (the values live in
// its long/lat settings) and connects the hooks below.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "core/shapes/TigerImport.h"

class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TMessageSink;
class TNetwork;
class TZOKMainWindow;
class trealedit;
struct TWindowSettings;

class TTiger2000DB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1900;

    TTiger2000DB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent = nullptr);
    ~TTiger2000DB() override;

    // ---- what the window connects
    // Clears the window's own Saved byte (OK changed its values).
    std::function<void()> ClearSaved;
    // After an import that added elements, also one that failed on the way:
    // the windows of the network take in the new extents and repaint.
    std::function<void(const TTigerResult&)> NetworkChanged;
    // Holds the network while an import runs (true) and lets it go (false).
    std::function<void(bool)> HoldNetwork;
    // Lets events through now and then during an import (default: the
    // pending events other than user input).
    std::function<void()> Pump;
    // Shows help topic 1900 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;
    // Runs a file dialog; true when a file was chosen (default: exec).
    std::function<bool(QFileDialog&)> RunFileDialog;
    // Where message boxes go (default: Qt message boxes over the dialog).
    TMessageSink* Boxes = nullptr;

    // ---- controls
    trealedit *YScaleEB, *XTranslateEB, *YTranslateEB;
    QLabel *YScaleLabel, *XTranslateLabel, *YTranslateLabel; // a click imports
    QGroupBox* ProjectionRG;
    QButtonGroup* Projection; // 0 Equidistant, 1 Transverse Mercator, 2 Lambert Conformal
    QPushButton *ImportButton, *OKButton, *CancelButton, *HelpButton;
    QLabel* StatusEB; // "Status:", what the last import added
    QFileDialog* TigerDB; // "TIGER Import"

    // ---- operations
    // The controls from the window's values.
    void FormShow();
    // Reads the three values and the projection; a text that is not a
    // number, and a Y scale of 0, turn red. False (after message 291) when
    // one does.
    bool CheckValues(TTigerSettings& Values);
    // OK: the checked values into the window.
    void OKClick();
    // "&IMPORT": the values checked, a file of the set chosen, the set read.
    void ImportClick();
    // Imports the set that AnyFile names with Values and shows what it
    // added in the status. On success the dialog closes, unless points were
    // placed on the world's edge: the status says so, and the dialog stays
    // open for it to be read.
    TTigerResult ImportSet(const std::string& AnyFile, TTigerSettings Values);
    bool Importing() const { return FImporting; }

    void reject() override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    static QString ImportButtonHint();
    TMessageSink& Sink();

    TNetwork& FNet;
    TWindowSettings& FSettings;
    std::unique_ptr<TMessageSink> FOwnBoxes;
    bool FImporting = false;
};

// Whether two sets of import values are the same.
bool SameTigerSettings(const TTigerSettings& A, const TTigerSettings& B);

// The window's projection code from the radio index (0 Equidistant, 2
// Transverse Mercator, 3 Lambert Conformal), and the radio that shows a code
// (0 and 1 both Equidistant).
int TigerMethodOfRadio(int Radio);
int TigerRadioOfMethod(int Method);

// Puts the "&TIGER 2000" item's command into the main window's item table
// (always enabled: the dialog imports into whatever the window holds).
void RegisterTigerPadItems(TZOKMainWindow& Main);
