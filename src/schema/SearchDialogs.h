// The search dialogs of a network window: "Node Search" and "Link Search"
// over a copy of the criteria of one class table, "Attributes Search" over
// the criteria of one class in that copy, and "Polygon Search" over the
// window's polygon criterion.
#pragma once

#include <vector>

#include "core/expr/SearchCriteria.h"
#include "schema/SchemaCommon.h"
#include "shell/ShrinkForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TSketchPadWindow;
class TZOKMainWindow;

// "Attributes Search": Bottom and Top of every attribute of one class. OK
// hands the criteria on only when every text is valid.
class TAttributeSearchDB : public TShrinkForm {
    Q_OBJECT
public:
    TAttributeSearchDB(TSchemaContext& Context, const TClassRecord& Class, const TClassCriteria& Criteria,
                       QWidget* Parent = nullptr);
    TAttributeSearchForm Form;
    QTabWidget* PageControl;
    std::vector<QRadioButton*> Radios;      // [1..Count]
    std::vector<QLineEdit*> BottomEdits;    // [1..Count]
    std::vector<QLineEdit*> TopEdits;       // [1..Count]
    QPushButton *OKBtn, *CancelBtn, *SetBtn, *ClearBtn;
    int Selected = 1;
    void Select(int Row);
    // Leaving a row's Bottom or Top edit.
    void LeaveRow(int Row);
    void SetClick();
    void ClearClick();
    // The criteria OK handed on.
    TClassCriteria Result;

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    const TClassRecord& Class;
    void TakeTexts();
    void ShowRow(int Row);
    void UpdateButtons();
    TBoundContext BoundContext() const;
};

// "Node Search" / "Link Search": per class its combination and the entry to
// its attribute criteria; OK puts the copy in place.
class TEntitySearchDB : public TShrinkForm {
    Q_OBJECT
public:
    TEntitySearchDB(TSchemaContext& Context, bool Links, QWidget* Parent = nullptr);
    bool Links;
    int ClassCount = 0;
    TCriteriaCopy Criteria; // the working copy
    std::array<QLabel*, MaxClasses + 1> Labels{};
    std::array<QRadioButton*, MaxClasses + 1> Radios{};
    std::array<QLabel*, MaxClasses + 1> States{};
    QPushButton *OKButton, *Button2, *Button1, *Button3;
    int Selected() const;
    void Select(int Class);
    void BooleanClick();
    void AttributesClick();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TEntityClass& Table() const;
    void ShowState(int Class);
};

// "Polygon Search".
class TPolygonSearchDB : public QDialog {
    Q_OBJECT
public:
    TPolygonSearchDB(TSchemaContext& Context, QWidget* Parent = nullptr);
    QLabel* Label1;
    QLineEdit* Edit1;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4;
    QPushButton *OKBtn, *CancelBtn;

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
};

// The menu commands: true when the dialog closed with OK.
bool EntitySearchCommand(TSketchPadWindow& Pad, bool Links);
bool PolygonSearchCommand(TSketchPadWindow& Pad);

// Enters the items Calculate1, NodeSearchM, LinkSearchM and PolygonSearchM
// into the window's item table (the node and link search are enabled while
// there is a class of the kind). None acts while a long run holds the network.
void RegisterCalcSearchPadItems(TZOKMainWindow& Main);
