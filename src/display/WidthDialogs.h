// The width and size dialogs of a window: "Width Expressions" (the style
// expression of each node or link class, or the desire-line expression),
// the interval dialogs ("Node Intervals", "Link Intervals") and "Width
// Status" (display modes, legends and the user trip tables). Each edits
// working copies; the caller stores them on OK.
#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

#include "core/model/DesireTable.h"
#include "core/model/DisplaySettings.h"
#include "core/model/WidthSettings.h"
#include "shell/ShrinkForm.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class TSketchPadWindow;
class TStoredSpinBox;
class TEntityClass;

enum class TWidthKind { Nodes, Links, Desire };

// "Width Expressions".
class TWidthExpressionsDB : public TShrinkForm {
    Q_OBJECT
public:
    TWidthExpressionsDB(TSketchPadWindow& Pad, TWidthKind Kind, QWidget* Parent = nullptr);
    const TWidthKind Kind;
    std::array<QLabel*, 11> Labels{}; // Label1..10
    std::array<QLineEdit*, 11> Edits{}; // Edit1..10: classes 1..10, or the desire line in row 1
    QMenu* PopupMenu = nullptr;
    QLineEdit* LastEdit = nullptr; // the edit last entered: the pop-up menu acts on it
    // Shows a row per class of the kind (one row for desire lines), at least 3.
    bool Run();
    void Store(TWidthSettings& Widths) const;

    // The pop-up menu's pickers: an attribute's positional name, or the
    // property letter and code, at the caret of the last edit.
    void InsertAttribute();
    void InsertProperty();
    // A double click: the expression memo over the edit's text.
    void EditExpression(QLineEdit* Edit);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ShowPopup(QLineEdit* Edit, const QPoint& At);
    TSketchPadWindow& FPad;
    const TEntityClass* FClasses = nullptr; // nullptr for desire lines
};

// "Node Intervals" / "Link Intervals": 40 rows on four pages.
class TWidthIntervalsDB : public QDialog {
    Q_OBJECT
public:
    TWidthIntervalsDB(TSketchPadWindow& Pad, bool Nodes, QWidget* Parent = nullptr);
    const bool Nodes;
    QTabWidget* PageControl = nullptr;
    std::array<QLineEdit*, MaxWidthIntervals + 1> BottomEdits{}, TopEdits{};
    std::array<TStoredSpinBox*, MaxWidthIntervals + 1> WidthEdits{};
    std::array<QCheckBox*, MaxWidthIntervals + 1> LegendBoxes{};
    QPushButton *OKButton = nullptr, *NominalButton = nullptr;
    // "&Nominal": interval k gets the width k.
    void NominalClick();
    // OK: every bound must read as a number; one that does not turns red
    // (its page shows) and the dialog stays open.
    void accept() override;
    void Store(TWidthSettings& Widths) const;

private:
    std::array<double, MaxWidthIntervals + 1> FTop{}, FBottom{};
};

// "Width Status".
class TWidthStatusDB : public QDialog {
    Q_OBJECT
public:
    explicit TWidthStatusDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
    QTabWidget* PageControl = nullptr;
    QButtonGroup *RadioGroup1 = nullptr, *RadioGroup2 = nullptr, *RadioGroup3 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr;
    TStoredSpinBox *NodeXEdit = nullptr, *NodeYEdit = nullptr, *LinkXEdit = nullptr, *LinkYEdit = nullptr;
    QLabel *NodeFontLabel = nullptr, *LinkFontLabel = nullptr;
    QCheckBox *NodeBoxCB = nullptr, *LinkBoxCB = nullptr, *ShowDesireCB = nullptr;
    QPushButton *NodeBitmapsButton = nullptr, *LinkBitmapsButton = nullptr, *LoadTableButton = nullptr,
                *ClearTableButton = nullptr;
    QLineEdit* StatusEdit = nullptr;
    int32_t NodeLegendFont = 0, LinkLegendFont = 0;
    // The window's trip tables: loaded or cleared here, and the window's at once.
    TSharedDesireTables DesireTables;

    // "Load Table": a file dialog, then the tables read against the window's
    // network; the status shows "Table loaded." or what went wrong (the
    // tables shown before stay then). A loaded table, like "Clear Table",
    // takes effect in the window at once, even when the dialog is cancelled.
    void LoadTableClick();
    void ClearTableClick();
    void ChooseLegendFont(bool Nodes);
    void ViewBitmaps(bool Nodes);
    void Store(TWidthSettings& Widths, TDisplaySettings& Display) const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ShowFonts();
    void ApplyDesireTables();
    TSketchPadWindow& FPad;
};

// The node and link style modes of the "Nodes" and "Links" groups, button by button.
inline constexpr std::array<uint8_t, 4> NodeStyleModes = {2, 0, 1, 3};
inline constexpr std::array<uint8_t, 4> LinkStyleModes = {2, 0, 1, 4};
