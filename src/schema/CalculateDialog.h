// "Calculate": the editor of a window's Calculate program (relation lines,
// the line ranges and parameters of the classes and system stages, the
// program file), from which the side tables open and the run starts; and
// the attribute picker of its popup menu.
#pragma once

#include <array>

#include <QDialog>

#include "core/calc/CalcDialogModel.h"
#include "schema/SchemaCommon.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class TSketchPadWindow;

// "Entity Types and Attibutes": the classes of one kind with their
// attributes; the picked attribute's number, 0 when nothing was picked.
class TCalculateAttributesDB : public QDialog {
    Q_OBJECT
public:
    TCalculateAttributesDB(const TNetwork& Net, bool Links, QWidget* Parent = nullptr);
    QTreeWidget* TreeView1;
    QPushButton *OKBtn, *CancelBtn;
    int Picked() const;
};
int PickCalculateAttribute(TSchemaContext& Context, bool Links, QWidget* Parent = nullptr);

class TCalculateDB : public QDialog {
    Q_OBJECT
public:
    TCalculateDB(TSchemaContext& Context, TSketchPadWindow& Pad, QWidget* Parent = nullptr);

    struct TRowControls {
        QLabel* Label = nullptr;
        QSpinBox* Begin = nullptr;
        QSpinBox* End = nullptr;
        QLineEdit* Parameters = nullptr;
    };

    QWidget* Body; // every control but the window frame; disabled while a run goes on
    QTabWidget* PageControl1;
    QWidget *RelationsTab, *NodeLinesTab, *LinkLinesTab, *SystemLinesTab;
    std::array<QLineEdit*, CalcLineCount + 1> Edits{}; // Edit1..Edit10
    std::array<std::array<TRowControls, CalcLineCount + 1>, 3> Rows{};
    QLineEdit* FileNameEB;
    QPushButton *CloseButton, *OpenButton, *SaveButton, *LookupButton, *LinkEndsButton, *PolyOwnerButton, *Button9,
        *VariablesButton;
    QToolButton *UpButton, *DownButton, *ClearButton;
    QMenu* PopupMenu;
    QAction *UndoItem, *CutItem, *PasteItem, *CopyItem, *DeleteItem, *SelectAllItem;
    QAction *NodeAttributesItem, *LinkAttributesItem, *NodePropertiesItem, *LinkPropertiesItem;
    int NodeCount = 0, LinkCount = 0;
    // The relation edit that last had the focus: the target of the popup
    // menu and of the line buttons.
    int FocusedLine = 1;

    TCalcProgram& Program();
    // The program into the controls, and back (StoreProgram on every close).
    void ShowProgram();
    void StoreProgram();
    TCalcDialogFields Fields() const;

    void OpenClick();
    void SaveClick();
    void Button9Click(); // "&Start"
    void ClearClick();
    void MoveLine(bool Up);
    void VariablesClick();
    void LookupClick();
    void LinkEndsClick();
    void PolyOwnerClick();
    // Popup: the edit items by the focused edit's state, Paste by the clipboard.
    void UpdatePopup();
    void InsertAttribute(bool Links);
    void InsertProperty(bool Links);
    // Double click on a relation edit: "Edit Line n".
    void EditLine(int Line);
    // The file name without its folder, as FileNameEB shows it.
    void ShowFileName();

public slots:
    void done(int Result) override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TSketchPadWindow& Pad;
    bool Running() const;
    // A close, clear or open while a run goes on: refused.
    bool RefuseWhileRunning();
    void InsertText(const std::string& Text);
    void UpdateLineButtons();
};

// The Calculate menu item: the dialog over the window's program.
bool CalculateCommand(TSketchPadWindow& Pad);
