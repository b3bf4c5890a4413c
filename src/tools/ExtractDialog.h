// TExtractDB, "Extract and Update": edits a window's extract/update formats
// (the template line of every node and link class and the options), keeps
// them in .xup files, and starts Extract and Update from its controls.
//
// The window hands over its network, its settings (the formats are its
// ExtractFormats) and its view, and connects the hooks below. The controls
// are the working copy: OK, Open and Save write them into the window's
// record; Extract and Update run from the controls as they stand.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "core/model/ExtractFormats.h"
#include "core/tables/Update.h"
#include "shell/ShrinkForm.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class TEntityClass;
class TMessageSink;
class TNetwork;
class trealedit;
struct TViewRecord;
struct TWindowSettings;

// The separation radio lists Columnar, Tabs, Commas, dBase; the stored codes
// are 0 columnar, 1 commas, 2 tabs, 3 dBase. The map is its own inverse.
int SeparationRadioIndex(int code);
int SeparationCode(int radioIndex);

// The lists of the property chooser.
enum class TPropertyList { NodeProperties, LinkProperties, OtherItems };

class TExtractDB : public TShrinkForm {
    Q_OBJECT
public:
    static constexpr int HelpContext = 400;

    TExtractDB(TNetwork& Net, TWindowSettings& Settings, const TViewRecord& View, QWidget* Parent = nullptr);
    ~TExtractDB() override;

    // ---- what the window connects

    // Clears the window's own Saved byte (its formats changed).
    std::function<void()> ClearSaved;
    // After an update that changed the network: the window takes in the new
    // extents (CoordinatesChanged) and repaints.
    std::function<void(const TUpdateResult&)> NetworkUpdated;
    // The window's last extract file name.
    std::string* LastExtractFile = nullptr;
    // The attribute chooser ("Select Attribute") on class ClassNo of Classes,
    // and the property chooser ("Select Property") on a list of the kind (0
    // nodes, 1 links). True with the chosen alias or short name.
    std::function<bool(const TEntityClass& Classes, int ClassNo, std::string& Alias)> SelectAttribute;
    std::function<bool(TPropertyList List, int Kind, std::string& ShortName)> SelectProperty;
    // Shows help topic 400 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;
    // Runs a file dialog; true when a file was chosen (default: exec).
    std::function<bool(QFileDialog&)> RunFileDialog;
    // Shows the update's line count ("N Lines") while it runs.
    std::function<void(const std::string&)> ShowProgress;
    // Where message boxes go (default: Qt message boxes over the dialog).
    TMessageSink* Boxes = nullptr;

    // The shapefile export shows "dBase" and checks "Extract Only Nodes with
    // Polygons" without changing what is stored; every other caller clears them.
    bool ForceDBase = false;
    bool ForceOnlyPolygons = false;
    // The shapefile export hands over the state of its own filter box (0 or
    // 1); -1 shows the window's.
    int ShownFilter = -1;

    // ---- controls
    QTabWidget* PageControl1;
    QWidget *NodePage, *LinkPage, *OptionsPage, *NewPage, *TransformPage;
    std::array<QLabel*, 21> Labels{}; // Label1..Label20
    std::array<QLineEdit*, 21> Edits{}; // Edit1..Edit20: node classes 1..10, link classes 1..10
    QGroupBox* RadioGroup1;
    QButtonGroup* Separation;
    QLineEdit *SearchEB, *ReplaceEB;
    QCheckBox *AssumeNamesCB, *OnlyPolygonsCB, *FilterCB;
    QGroupBox* RadioGroup2;
    QButtonGroup* OldNew;
    QLineEdit *NewNodesEB, *NewLinksEB;
    trealedit *XScaleEB, *YScaleEB, *XTranslateEB, *YTranslateEB;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *Button1, *Button2, *Button3, *Button4, *HelpButton;
    QFileDialog *UpdateDB, *ExtractDB, *OpenFormatsDialog, *SaveFormatsDialog;
    QMenu* PopupMenu1;
    QAction *Undo1, *Cut1, *Paste1, *Copy1, *Delete1, *SelectAll1, *Attributes1, *NodeProperties1,
        *LinkProperties1, *OtherItems1;

    // ---- operations
    // Loads the controls from the window's record (again when the form shows,
    // so that the force flags set after creation count).
    void FormShow();
    // Stores the controls into the window's record; false (nothing stored)
    // when the transform values are refused.
    bool StoreControls();
    void BitBtn1Click(); // OK
    void BitBtn3Click(); // Clear
    void Button1Click(); // Extract
    void Button2Click(); // Update
    void Button3Click(); // Open formats
    void Button4Click(); // Save formats
    // The formats as the controls stand (the transform values as parsed).
    TExtractFormats ControlFormats() const;
    // The row (1..20) whose edit the context menu acts on; 0 for none.
    int CurrentRow() const { return FCurrentRow; }
    // Prepares the context menu for edit Row (1..20) as it is about to show.
    void PreparePopup(int Row);
    void InsertItem(const std::string& Text);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    bool CheckTransform(bool ForUpdate);
    // The texts the network file cannot keep are marked and reported.
    bool TextsKept();
    bool ChooseFile(QFileDialog& Dialog, std::string& File);
    void CommitFormats(const TExtractFormats& Formats);
    void Help();
    void ChooseAttribute();
    void ChooseProperty(TPropertyList List);
    TMessageSink& Sink();

    TNetwork& FNet;
    TWindowSettings& FSettings;
    const TViewRecord& FView;
    std::unique_ptr<TMessageSink> FOwnBoxes;
    QWidget* FHelpWindow = nullptr;
    uint8_t FStoredMode = 0;     // kept while ForceDBase shows dBase
    uint8_t FStoredPolygons = 0; // kept while ForceOnlyPolygons checks the box
    int FCurrentRow = 0;
    bool FBusy = false;
};

// Whether two formats records hold the same values.
bool SameFormats(const TExtractFormats& A, const TExtractFormats& B);
