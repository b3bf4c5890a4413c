// TMarkShortestDB, "Mark Shortest Path": grows shortest-path trees from up
// to five sets of start nodes over the window's links (costs from the link
// width expressions) and marks distances or mark values into the node and
// link attributes chosen on its pages.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "core/analysis/ShortestPaths.h"
#include "schema/SchemaCommon.h"
#include "tools/AnalysisRun.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TPathStatusDB;
class trealedit;
class TSketchPadWindow;
class TZOKMainWindow;

class TMarkShortestDB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1800;

    // Settings: the window's record, written by OK and by Go. Box: the
    // status box, whose Stop reaches the search through the run's hold.
    TMarkShortestDB(TSchemaContext& Context, TShortestPathSettings& Settings, TPathStatusDB& Box,
                    QWidget* Parent = nullptr);
    ~TMarkShortestDB() override;

    QTabWidget* PageControl1;
    std::array<QWidget*, 5> TabSheets{};          // [1..4] Find Path, Mark Links, Mark Nodes, Blocking Nodes
    std::array<QLineEdit*, 11> Edits{};           // [1..5] start names, [10] ending node name
    std::array<QSpinBox*, 6> SpinEdits{};         // [1..5] mark values
    std::array<QLabel*, 21> Labels{};             // [1..10] link classes, [11..20] node classes
    std::array<QComboBox*, 21> ComboBoxes{};      // [1..10] link marks, [11..20] node marks
    std::array<QCheckBox*, 11> CheckBoxes{};      // [1..10] blocking node classes
    trealedit* DistanceEdit;                      // "Maximum Distance:"
    QRadioButton *DistanceButton, *MarkValueButton; // "Mark Nodes with:"
    QPushButton *GoButton, *SetSearchButton, *OKButton, *CancelButton, *HelpButton;
    QToolButton* SpeedButton1; // "Link Width Expressions"

    // The further names of each start set (entry 0 stands for the edit).
    std::array<std::vector<std::string>, 6> Working;

    // Writes the controls into the settings; false (red text, message 304)
    // when the maximum distance is not a number of 0 or more.
    bool Store();
    // "Go": stores, then searches and marks.
    void GoClick();
    // "Set Search for Mark".
    void SetSearchClick();
    // Double click on start name edit k: the memo of its names.
    void EditNames(int Set);

    bool Searching() const { return FSearching; }
    bool SearchCriteriaSet() const { return FSetSearch; }
    bool StoredSettings() const { return FStored; }
    const TPathSearchResult& LastResult() const { return FResult; }

    // Holds the network while the search runs (empty: no hold, no Stop).
    TBeginRun BeginRun;
    // After a search: the windows of the network redraw.
    std::function<void()> Repaint;
    // The "Link Width Expressions" button (empty: the button is disabled).
    std::function<void()> OpenLinkWidths;
    // Shows help topic 1800 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Load();
    // The settings as the drop-downs, check boxes and spin edits show them.
    void ReadChoices(TShortestPathSettings& S) const;
    void EnableControls(bool On);

    TSchemaContext& Ctx;
    TShortestPathSettings& FSettings;
    TPathStatusDB& FBox;
    uint8_t FCalcStop = 0; // the search's stop request
    int FNodeClasses = 0, FLinkClasses = 0;
    bool FSearching = false, FSetSearch = false, FStored = false, FLoaded = false;
    TPathSearchResult FResult;
};

// Puts the "&Mark Shortest Path..." item into the main window's item table.
void RegisterPathPadItems(TZOKMainWindow& Main);
// When the item is enabled: while the network has nodes to start from.
bool MarkShortestPathItemEnabled(const TSketchPadWindow& Pad);
// The item's command: the dialog over the window's settings. OK (or a Go
// that stored the settings) marks the window modified.
bool MarkShortestPathCommand(TSketchPadWindow& Pad);
