// The side tables of a Calculate program, each over a working copy written
// back only on OK: the network-wide variables, the lookup tables, the
// link-ends sets and the polygon-owner sets.
#pragma once

#include <array>
#include <vector>

#include <QDialog>

#include "core/calc/CalcDialogModel.h"
#include "schema/SchemaCommon.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// "Network Wide Variables": V1..Vz on four tabs, each with its description.
class TNetworkWideDB : public QDialog {
    Q_OBJECT
public:
    TNetworkWideDB(TSchemaContext& Context, TCalcProgram& Program, QWidget* Parent = nullptr);
    QTabWidget* PageControl1;
    std::array<QRadioButton*, CalcVariableCount + 1> Radios{}; // RadioButton1..35
    std::array<QLineEdit*, CalcVariableCount + 1> Edits{};     // Edit1..35
    QButtonGroup* Group;
    QLineEdit* NameEdit;
    QPushButton *OKBtn, *CancelBtn, *ZeroBtn, *MemoBtn;
    int Selected = 1;
    void Select(int Variable);
    void NameEditExit();
    void ZeroClick();
    void MemoClick();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TCalcProgram& Program;
    std::array<std::string, CalcVariableCount + 1> ValueTexts() const;
    std::array<std::string, CalcVariableCount + 1> NameTexts() const;
};

// "Lookup Table Parameters": the 20 lookup tables, one shown at a time.
class TLookupTableDB : public QDialog {
    Q_OBJECT
public:
    TLookupTableDB(TSchemaContext& Context, TCalcProgram& Program, QWidget* Parent = nullptr);
    QSpinBox* TableSE;
    QLineEdit* NameEB;
    QButtonGroup* ClassRG; // Node 0, Link 1, System 2
    QListWidget *EntityLB, *AttributeLB, *VariableLB, *ParameterLB;
    std::array<QComboBox*, CalcLookupRowCount + 1> BottomCBs{}, TopCBs{};
    std::array<QLineEdit*, CalcLookupRowCount + 1> ValueEBs{};
    QLineEdit* OtherwiseEB;
    QButtonGroup* ApplyRG; // No 0, Yes 1
    QPushButton *OKBtn, *CancelBtn;

    std::array<TLookupTable, CalcLookupTableCount + 1> Tables; // the working copy
    int Shown = 1;
    // Stores the shown table into the copy; false (red fields) when a value is no number.
    bool StoreShown();
    void ShowTable(int Table);
    void KindChanged(int Kind);
    void ClassChanged();
    void AttributeChanged();
    void CodePositionChanged();

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    TCalcProgram& Program;
    bool Filling = false;
    TLookupFields Current; // what the lists and rows were filled from
    const TAttrib* ChosenAttribute() const;
    void FillClasses();
    void FillAttributes();
    void FillCodePositions();
    void FillRows();
    void ShowRowHint(int Row, bool Top);
};

// "Link Ends Parameters" and "Polygon Owner Parameters": ten parameter sets,
// one shown at a time.
class TParameterSetDB : public QDialog {
    Q_OBJECT
public:
    // PolygonOwner false: the link-ends sets, true: the polygon-owner sets.
    TParameterSetDB(TSchemaContext& Context, TCalcProgram& Program, bool PolygonOwner, QWidget* Parent = nullptr);
    QSpinBox* SetSE;
    QComboBox *FirstTypeCB, *SecondTypeCB; // link and node type, or vertex and owner class
    struct TEndControls {
        QComboBox *Attribute = nullptr, *CodePosition = nullptr, *Parameter = nullptr;
    };
    std::array<TEndControls, 2> Ends; // A and B ends; the polygon-owner sets use the first
    QPushButton *OKBtn, *CancelBtn;

    std::array<TParameterSet, CalcSetCount + 1> Sets{}; // the working copy
    int Shown = 1;
    void StoreShown();
    void ShowSet(int Set);

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    TCalcProgram& Program;
    bool PolygonOwner;
    bool Filling = false;
    int EndCount() const { return PolygonOwner ? 1 : 2; }
    const TClassRecord* NodeClassOfEnds() const;
    void FillEnd(int End, int Attribute, int CodePosition);
};
