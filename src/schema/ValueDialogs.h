// Editing attribute values: the attribute sheet of a node, a link or the
// system, the value worksheets it opens, and the small entry forms ("Real
// Number Expression", "String Edit", "Memo") that other dialogs use too.
#pragma once

#include <string>
#include <vector>

#include "core/calc/AttributeValues.h"
#include "schema/SchemaCommon.h"
#include "shell/ShrinkForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "Attributes": ten tabs of ten attributes over an edit record. OK parses
// every edit and stores the values into the record only when all pass.
class TAttributesDB : public TShrinkForm {
    Q_OBJECT
public:
    TAttributesDB(TSchemaContext& Context, TElementEdit& Edit, const std::string& Caption, QWidget* Parent = nullptr);

    int Count = 0;
    QTabWidget* PageControl;
    std::vector<QRadioButton*> Radios; // [1..Count]
    std::vector<QLineEdit*> Edits;     // [1..Count]
    QLabel* HintLabel;
    QPushButton *OKBtn, *CancelBtn, *ValueBtn, *WorksheetBtn, *MemoBtn;
    int Selected = 1;

    void Select(int Row);
    void ValueClick();
    void WorksheetClick();
    void MemoClick();
    void UpdateWorksheetButton();
    // Parses every edit; reports each failure (red edit, one message box) and
    // returns false when any failed. On success the values go into the record.
    bool ParseAll();
    std::vector<std::string> Texts() const; // [0] unused

protected:
    void accept() override;
    void done(int Result) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    const TAttrib* AttributeOf(int Row) const;
    TSchemaContext& Ctx;
    TElementEdit& Edit;
};

// "Real Worksheet" (value): the variables of a worksheet and the result of its form.
class TRealWorkDB : public QDialog {
    Q_OBJECT
public:
    TRealWorkDB(TSchemaContext& Context, const TElementEdit& Edit, const TAttrib& Attribute, double Current,
                QWidget* Parent = nullptr);
    std::vector<QLineEdit*> Edits; // [1..n]
    QLineEdit* RealResultEB;
    QPushButton *OKBtn, *CancelBtn;
    double Result;
    // Reads the variables and recomputes the result; false (with message 188)
    // when a variable is not a number.
    bool Recompute();

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    const TElementEdit& Edit;
    const TAttrib& Attribute;
};

// The categorical work sheet: a list of codes per position.
class TCatWorkDB : public QDialog {
    Q_OBJECT
public:
    TCatWorkDB(const TAttrib& Attribute, const std::string& Code, QWidget* Parent = nullptr);
    std::vector<QComboBox*> Lists; // [1..k]
    QLineEdit* CatAttributeEB;
    QPushButton *OKBtn, *CancelBtn;
    std::string Code; // at most 8 characters

private:
    const TAttrib& Attribute;
};

// "Date Work Sheet": year, month, day, hour, minute and second of a date,
// time or date-and-time value.
class TDateWorkSheetDB : public QDialog {
    Q_OBJECT
public:
    TDateWorkSheetDB(TSchemaContext& Context, char Kind, const TValueSlot& Stored, QWidget* Parent = nullptr);
    QLineEdit* Fields[6];
    QPushButton *OKBtn, *CancelBtn;
    TValueSlot Value;

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    char Kind;
    TValueSlot Stored;
};

// "Real Number Expression".
class TRealEditEB : public QDialog {
    Q_OBJECT
public:
    explicit TRealEditEB(QWidget* Parent = nullptr);
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton *OKBtn, *CancelBtn, *RecallBtn;
};

// The text "&Recall" puts back: the last expression EditRealExpression took.
std::string& RealExpressionRecallText();

// Asks for a number as an expression evaluated for the edited element (or
// the system). OK evaluates it: the value, or on an error the "Expression
// Error" message (the text with its error marked) and Old; Cancel gives Old.
double EditRealExpression(TSchemaContext& Context, const std::string& Caption, const TElementEdit& Edit, double Old,
                          QWidget* Parent = nullptr);

// "String Edit": one line of text; false when cancelled.
bool EditString(TSchemaContext& Context, std::string& Text, QWidget* Parent = nullptr);

// "Memo": lines shown in a memo with OK and Cancel; Lines receives the memo's
// lines on OK.
class TMemoDB : public QDialog {
    Q_OBJECT
public:
    explicit TMemoDB(QWidget* Parent = nullptr);
    QPlainTextEdit* Memo1;
    QPushButton *OKBtn, *CancelBtn;
    void SetLines(const std::vector<std::string>& Lines);
    std::vector<std::string> Lines() const;
};
bool ShowMemo(TSchemaContext& Context, std::vector<std::string>& Lines, const std::string& Caption = "Memo",
              QWidget* Parent = nullptr);
