// The schema editors: the entity definition of the node or link classes, the
// attribute definition of one class (also of the system class), and the
// definition worksheets of real and categorical attributes.
//
// The entity definition edits a whole copy of the class table; only its OK
// puts the copy in place (ApplySchemaEdit), so Cancel anywhere leaves the
// classes exactly as they were.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/edit/SchemaEdit.h"
#include "schema/SchemaCommon.h"
#include "shell/ShrinkForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

class TEntityDefinitionDB : public TShrinkForm {
    Q_OBJECT
public:
    // Kind: the node or the link classes of the context's network.
    TEntityDefinitionDB(TSchemaContext& Context, TClassKind Kind, QWidget* Parent = nullptr);
    ~TEntityDefinitionDB() override;

    std::unique_ptr<TEntityClass> Copy; // the classes being edited
    QLineEdit* NameEdits[11] = {};
    QSpinBox* SpinEdits[11] = {};
    QLineEdit* AliasEdits[11] = {};
    QPushButton *OKBtn, *AttributesBtn, *CancelBtn;
    int FocusedRow = 1;
    bool CountsChanged = false;

    // The attribute definition of the focused row's class.
    void AttributesClick();
    void UpdateAttributesButton();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TClassKind Kind;
};

// The attributes of one class record (of a copy), count rows.
class TAttributeDefinitionDB : public TShrinkForm {
    Q_OBJECT
public:
    TAttributeDefinitionDB(TSchemaContext& Context, TClassRecord& Record, int Count, QWidget* Parent = nullptr);
    ~TAttributeDefinitionDB() override;

    int Count;
    std::vector<std::unique_ptr<TAttrib>> Work; // [0] unused; the working records
    std::vector<QRadioButton*> Radios;
    std::vector<QLineEdit*> NameEdits, AliasEdits;
    std::vector<QComboBox*> FormatBoxes;
    std::vector<QSpinBox*> SpinEdits;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr, *WorksheetBtn = nullptr;
    int Selected = 1;

    void Select(int Row);
    void KindChanged(int Row);
    void UpdateWorksheetButton();
    void WorksheetClick();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TClassRecord& Record;
};

// "Real Worksheet" (definition): functional form, function text, variable
// names and parameters of a real or integer attribute.
class TRealWorksheetDB : public QDialog {
    Q_OBJECT
public:
    TRealWorksheetDB(TSchemaContext& Context, TAttrib& Attribute, QWidget* Parent = nullptr);
    QComboBox* FormCB;
    QLineEdit* FunctionEdit;
    std::vector<QLineEdit*> NameEdits;  // [1..n]
    std::vector<QLineEdit*> ParamEdits; // [0..n]
    QPushButton *OKBtn, *CancelBtn;

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    TAttrib& Attribute;
};

// The categorical worksheet (definition): per code position a name and its codes.
class TCatWorksheetDB : public QDialog {
    Q_OBJECT
public:
    TCatWorksheetDB(TSchemaContext& Context, TAttrib& Attribute, QWidget* Parent = nullptr);
    std::vector<QLineEdit*> NameEdits, CodeEdits; // [1..k]
    std::vector<std::string> Hints;               // [1..k], "&&"-joined
    QPushButton *OKBtn, *CancelBtn, *HintsBtn;
    int Focused = 1;
    void HintsClick();
    void UpdateHintsButton();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TAttrib& Attribute;
};

// "Categorical Variable Hints": one tab per code position, an edit per code.
class TCatHintDB : public QDialog {
    Q_OBJECT
public:
    TCatHintDB(const std::vector<std::string>& Names, const std::vector<std::string>& Codes,
               const std::vector<std::string>& Hints, QWidget* Parent = nullptr);
    QTabWidget* PageControl;
    std::vector<std::vector<QLineEdit*>> Edits; // [position][code]
    QPushButton *OKBtn, *CancelBtn;
    TMessageSink* Boxes = nullptr; // where OK reports text the file cannot keep
    // Each position's hints joined with "&&" ([0] unused).
    std::vector<std::string> Result() const;

protected:
    void accept() override;
};
