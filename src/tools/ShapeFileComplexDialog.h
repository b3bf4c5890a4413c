// TComplexShapeFileDB, "Multiple Shapefiles Import": a script of up to 100
// steps (an operation and a file name each) on ten pages of ten rows, kept
// in .sfs files, edited row by row, searched and replaced, and run step by
// step over the program's windows. It is made when the program starts and
// lives as long as the program; the table it keeps between showings is the
// one OK stored.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QString>

#include "core/shapes/BatchRun.h"
#include "core/shapes/BatchScript.h"

class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TMessageSink;
class TZOKMainWindow;

// The find and replace box over the file names (searching down, no case or
// whole-word options).
class TBatchReplaceDB : public QDialog {
    Q_OBJECT
public:
    explicit TBatchReplaceDB(QWidget* Parent = nullptr);
    QLineEdit *FindEdit, *ReplaceEdit;
    QPushButton *FindButton, *ReplaceButton, *ReplaceAllButton, *CloseButton;
    std::string FindText() const;
};

class TComplexShapeFileDB : public QDialog {
    Q_OBJECT
public:
    explicit TComplexShapeFileDB(QWidget* Parent = nullptr);
    ~TComplexShapeFileDB() override;

    // The program-wide table: filled by OK, loaded by each showing.
    TBatchScript Stored;

    // ---- what the program connects
    // The work of the steps (the main window's windows); the dialog may own it.
    TBatchHost* Operations = nullptr;
    std::unique_ptr<TBatchHost> OwnOperations;
    // Where message boxes go (default: Qt message boxes over the dialog).
    std::function<TMessageSink&()> MessageBoxes;
    // Holds every window open while a run goes on (true), and lets go (false).
    std::function<void(bool)> HoldWindows;
    // Runs a file dialog; true when a file was chosen (default: exec).
    std::function<bool(QFileDialog&)> RunFileDialog;
    // Lets events through between steps (default: pending events other than
    // user input).
    std::function<void()> Pump;

    // ---- controls
    QTabWidget* PageControl1;                // pages "First" .. "Tenth"
    std::array<QComboBox*, 101> ComboBoxes{}; // ComboBox1..100: the operations
    std::array<QLineEdit*, 101> Edits{};      // Edit1..100: the file names, read only
    QLineEdit* StepEdit;                      // the step counter
    QToolButton *UpButton, *DownButton;
    QPushButton *ClearButton, *SaveButton, *OpenButton, *InsertButton, *DeleteButton, *ReplaceButton, *ExecuteButton,
        *OKButton, *CancelButton;
    QFileDialog *FileNameDB = nullptr, *SaveSpecDB, *OpenSpecDB;
    TBatchReplaceDB* ReplaceDB;

    // ---- operations
    // The rows from the stored table; the counter at "0"; Execute enabled.
    void FormShow();
    // The rows as they stand.
    const TBatchScript& Rows() const { return FRows; }
    void SetRows(const TBatchScript& Rows);
    void OKClick();
    void ClearClick();
    bool SaveTo(const std::string& Path);
    bool OpenFrom(const std::string& Path);
    void SaveClick();
    void OpenClick();
    // Moves the row whose control has the focus.
    void MoveUpClick();
    void MoveDownClick();
    // At the row last entered.
    void InsertClick();
    void DeleteClick();
    void ReplaceClick(); // shows the find and replace box
    // The find and replace box's buttons.
    int FindNext(const std::string& Text);
    void ReplaceOne(const std::string& Text, const std::string& Replacement);
    void ReplaceAll(const std::string& Text, const std::string& Replacement);
    // The file dialog of a row (a double click on its name).
    void ChooseFileName(int Row);
    // Runs the rows as they stand.
    TBatchRunResult ExecuteClick();
    bool Running() const { return FRunning; }

    // The row whose control has the focus (0 for none), the one last entered.
    int FocusedRow() const;
    int LastEnteredRow() const { return FLastRow; }
    // Whether a row shows highlighted (yellow).
    bool RowHighlighted(int Row) const;
    // Highlights or clears one row, or clears them all.
    void HighlightRow(int Row, bool On);
    void ClearHighlights();
    void ShowPageOf(int Row);

    void reject() override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    class TProgressHost;
    TMessageSink& Sink();
    bool Choose(QFileDialog& Dialog, QString& File);
    // Text for the rows, as the .sfs file stores names (Latin-1);
    // false, said in a message naming it, when Latin-1 lacks a letter of it.
    bool StoredText(const QString& Text, std::string& Stored);
    void ShowRow(int Row);
    void ShowRows();
    void SetRunning(bool Running);
    void MoveRow(bool Up);
    void NewFileNameDB();

    TBatchScript FRows;
    std::unique_ptr<TMessageSink> FOwnBoxes;
    int FLastRow = 0;
    int FHighlighted = 0; // the row a run highlights
    std::array<bool, 101> FYellow{};
    bool FRunning = false;
    QString FLastFolder; // of the file the last row chose
};

// Makes the program's batch dialog over the main window's windows (at start).
TComplexShapeFileDB* CreateComplexShapeFileDB(TZOKMainWindow& Main);
// The program's batch dialog; nullptr before it is made.
TComplexShapeFileDB* ComplexShapeFileDBOf(TZOKMainWindow& Main);
// Shows it modally (the shapefile dialog's "&Multiple Shapefiles Import").
void ShowComplexShapeFileDB(TZOKMainWindow& Main);
