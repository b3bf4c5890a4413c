#include "schema/ValueDialogs.h"

#include <cmath>

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "shell/CatEditDialog.h"
#include "shell/RealEdit.h"

namespace {

QPushButton* Button(QDialog* d, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromLatin1(text), d);
    b->setObjectName(name);
    return b;
}


void Box(TSchemaContext& ctx, int text, int caption)
{
    if (ctx.Boxes) ShowMessageBox(*ctx.Boxes, text, caption, MB_EXCLAMATION_OK);
}

bool IsDateKind(char k) { return k == 'D' || k == 'T' || k == 'X'; }

} // namespace

// ---------------------------------------------------------------- attribute sheet

TAttributesDB::TAttributesDB(TSchemaContext& Context, TElementEdit& AEdit, const std::string& Caption, QWidget* Parent)
    : TShrinkForm(Parent), Ctx(Context), Edit(AEdit)
{
    setObjectName("AttributesDB");
    setWindowTitle(ShowText(Caption));
    Count = Edit.AttributeCount(*Ctx.Net);
    const TClassRecord* cls = Edit.Class(*Ctx.Net);
    Radios.assign(size_t(Count) + 1, nullptr);
    Edits.assign(size_t(Count) + 1, nullptr);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");
    HintLabel = new QLabel(this);
    HintLabel->setObjectName("HintLabel");
    const int tabs = std::max(1, (Count + 9) / 10);
    for (int t = 1; t <= tabs; ++t) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(t));
        auto* grid = new QGridLayout(sheet);
        for (int i = (t - 1) * 10 + 1; i <= std::min(Count, t * 10); ++i) {
            const TAttrib* a = cls->Attr(i);
            const size_t k = size_t(i);
            Radios[k] = new QRadioButton(ShowText(PositionalAttributeName(i) + " " + (a ? a->Name : std::string())), sheet);
            Radios[k]->setObjectName(QString("RadioButton%1").arg(i));
            Edits[k] = new QLineEdit(sheet);
            Edits[k]->setObjectName(QString("Edit%1").arg(i));
            if (a && a->Kind == 'S') Edits[k]->setMaxLength(int(StringValueLength));
            Edits[k]->setText(ShowText(AttributeValueText(a, Edit.Values[k], Edit.Strings)));
            grid->addWidget(Radios[k], i - (t - 1) * 10, 0);
            grid->addWidget(Edits[k], i - (t - 1) * 10, 1);
            for (QWidget* w : {static_cast<QWidget*>(Radios[k]), static_cast<QWidget*>(Edits[k])}) {
                w->setProperty("row", i);
                w->installEventFilter(this);
            }
            connect(Radios[k], &QRadioButton::toggled, this, [this, i](bool on) {
                if (on) Select(i);
            });
            connect(Edits[k], &QLineEdit::textChanged, this, [this, i] {
                const TAttrib* a = AttributeOf(i);
                if (a && a->Kind == 'C') HintLabel->setText(ShowText(CodeHints(*a, TypedText(Edits[size_t(i)]->text()))));
            });
        }
        PageControl->addTab(sheet, QString::fromLatin1(AttributeTabCaption(t, Count)));
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    ValueBtn = Button(this, "ValueBtn", "&Value");
    WorksheetBtn = Button(this, "WorksheetBtn", "&Worksheet");
    MemoBtn = Button(this, "MemoBtn", "Memo");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ValueBtn, &QPushButton::clicked, this, &TAttributesDB::ValueClick);
    connect(WorksheetBtn, &QPushButton::clicked, this, &TAttributesDB::WorksheetClick);
    connect(MemoBtn, &QPushButton::clicked, this, &TAttributesDB::MemoClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addWidget(HintLabel);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, ValueBtn, WorksheetBtn, MemoBtn}));
    if (Count >= 1) Radios[1]->setChecked(true);
    Select(1);
    FindRows();
}

const TAttrib* TAttributesDB::AttributeOf(int Row) const
{
    const TClassRecord* cls = Edit.Class(*Ctx.Net);
    return cls ? cls->Attr(Row) : nullptr;
}

std::vector<std::string> TAttributesDB::Texts() const
{
    std::vector<std::string> t(size_t(Count) + 1);
    for (int i = 1; i <= Count; ++i) t[size_t(i)] = TypedText(Edits[size_t(i)]->text());
    return t;
}

void TAttributesDB::Select(int Row)
{
    if (Row < 1 || Row > Count) {
        UpdateWorksheetButton();
        return;
    }
    Selected = Row;
    if (!Radios[size_t(Row)]->isChecked()) Radios[size_t(Row)]->setChecked(true);
    UpdateWorksheetButton();
}

void TAttributesDB::UpdateWorksheetButton()
{
    const TAttrib* a = Selected >= 1 && Selected <= Count ? AttributeOf(Selected) : nullptr;
    WorksheetBtn->setEnabled(a && ((a->TopRow > 0 && a->WorkSheet && a->Kind != 'S') || IsDateKind(a->Kind)));
    ValueBtn->setEnabled(a != nullptr);
}

bool TAttributesDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = Watched->property("row").toInt();
    if (row >= 1 && row <= Count) {
        if (Event->type() == QEvent::FocusIn) Select(row);
        if (Event->type() == QEvent::MouseButtonDblClick && qobject_cast<QRadioButton*>(Watched)) {
            Select(row);
            if (WorksheetBtn->isEnabled()) WorksheetClick();
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

bool TAttributesDB::ParseAll()
{
    for (int i = 1; i <= Count; ++i) MarkBad(Edits[size_t(i)], false);
    const std::vector<TSheetError> errors = ParseAttributeSheet(*Ctx.Net, Ctx.View, Edit, Texts());
    for (const TSheetError& e : errors) {
        MarkBad(Edits[size_t(e.Attribute)], true);
        Box(Ctx, e.MessageId, 127);
    }
    return errors.empty();
}

void TAttributesDB::ValueClick()
{
    const TAttrib* a = AttributeOf(Selected);
    if (!a) return;
    QLineEdit* e = Edits[size_t(Selected)];
    switch (a->Kind) {
    case 'S': {
        std::string s = TypedText(e->text());
        if (EditString(Ctx, s, this)) e->setText(ShowText(s));
        break;
    }
    case 'C': {
        TValueSlot slot = PackShortText(TypedText(e->text(), 8));
        std::string text;
        if (EditCategoryCodes(slot, *a, a->Name, text, this, Ctx.Exec)) e->setText(ShowText(text));
        break;
    }
    case 'R':
    case 'I': {
        int32_t pos = 0;
        const double v = EvaluateForEdit(*Ctx.Net, Ctx.View, Edit, a->Description, pos);
        if (pos != 0 || !std::isfinite(v)) {
            // The edit keeps its text.
            if (Ctx.Boxes)
                ShowMessageText(*Ctx.Boxes, ExpressionErrorText(a->Description, pos), MessageText(172), MB_EXCLAMATION_OK);
            break;
        }
        e->setText(QString::fromLatin1(RealText(false, 15, v)));
        break;
    }
    default:
        break;
    }
}

void TAttributesDB::WorksheetClick()
{
    if (!WorksheetBtn->isEnabled() || !ParseAll()) return;
    const TAttrib* a = AttributeOf(Selected);
    QLineEdit* e = Edits[size_t(Selected)];
    const TValueSlot current = Edit.Values[size_t(Selected)];
    if (a->Kind == 'C') {
        TCatWorkDB d(*a, CategoryCodesForEdit(current, *a), this);
        if (Ctx.Exec(d) == QDialog::Accepted) e->setText(ShowText(d.Code));
    } else if (IsDateKind(a->Kind)) {
        TDateWorkSheetDB d(Ctx, a->Kind, current, this);
        if (Ctx.Exec(d) == QDialog::Accepted)
            e->setText(ShowText(DateTimeText(d.Value, false, DateTimeModeOfKind(a->Kind))));
    } else {
        TRealWorkDB d(Ctx, Edit, *a, current.Real(), this);
        if (Ctx.Exec(d) == QDialog::Accepted) e->setText(QString::fromLatin1(RealText(false, 15, d.Result)));
    }
}

void TAttributesDB::MemoClick()
{
    std::vector<std::string> lines = AttributeMemoLines(Edit.Class(*Ctx.Net), Texts());
    ShowMemo(Ctx, lines, "Memo", this);
}

void TAttributesDB::accept()
{
    if (TypedTextsKept({Edits.begin() + 1, Edits.begin() + 1 + Count}, Ctx.Boxes) && ParseAll()) TShrinkForm::accept();
}

void TAttributesDB::done(int Result)
{
    for (int i = 1; i <= Count; ++i) MarkBad(Edits[size_t(i)], false);
    TShrinkForm::done(Result);
}

// ---------------------------------------------------------------- value worksheets

TRealWorkDB::TRealWorkDB(TSchemaContext& Context, const TElementEdit& AEdit, const TAttrib& A, double Current,
                         QWidget* Parent)
    : QDialog(Parent), Result(Current), Ctx(Context), Edit(AEdit), Attribute(A)
{
    setObjectName("RealWorkDB");
    setWindowTitle(ShowText(MessageText(189)));
    const std::vector<double> x = WorksheetStartValues(*Ctx.Net, Ctx.UnitsFactor(), Edit, A);
    Edits.assign(x.size() + 1, nullptr);
    auto* grid = new QGridLayout;
    for (size_t i = 1; i <= x.size(); ++i) {
        grid->addWidget(new QLabel(ShowText(A.WorkSheet->Rows[i].Label), this), int(i), 0);
        Edits[i] = new QLineEdit(this);
        Edits[i]->setObjectName(QString("Edit%1").arg(i));
        Edits[i]->setText(QString::fromLatin1(FormatRealText(x[i - 1])));
        grid->addWidget(Edits[i], int(i), 1);
        connect(Edits[i], &QLineEdit::editingFinished, this, [this] { Recompute(); });
    }
    RealResultEB = new QLineEdit(this);
    RealResultEB->setObjectName("RealResultEB");
    RealResultEB->setReadOnly(true);
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(RealResultEB);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
    // The result of the starting values; a failure keeps the current value.
    double y = Result;
    if (WorksheetResult(*Ctx.Net, Ctx.View, Edit, A, x, y)) Result = y;
    RealResultEB->setText(QString::fromLatin1(RealText(false, 15, Result)));
}

bool TRealWorkDB::Recompute()
{
    std::vector<double> x(Edits.size() - 1);
    bool ok = true;
    for (size_t i = 1; i < Edits.size(); ++i) {
        const bool good = ParseRealText(TypedText(Edits[i]->text()), x[i - 1]);
        MarkBad(Edits[i], !good);
        ok = ok && good;
    }
    if (!ok) {
        Box(Ctx, MsgVariableError, 189);
        return false;
    }
    double y = Result;
    if (WorksheetResult(*Ctx.Net, Ctx.View, Edit, Attribute, x, y)) Result = y;
    RealResultEB->setText(QString::fromLatin1(RealText(false, 15, Result)));
    return true;
}

void TRealWorkDB::accept()
{
    if (Recompute()) QDialog::accept();
}

TCatWorkDB::TCatWorkDB(const TAttrib& A, const std::string& ACode, QWidget* Parent)
    : QDialog(Parent), Code(ACode.substr(0, 8)), Attribute(A)
{
    setObjectName("CatWorkDB");
    setWindowTitle("Categorical Work Sheet");
    const int k = A.WorkSheet ? CategoryCodePositions(A) : 0;
    if (int(Code.size()) < k) Code.resize(size_t(k), ' ');
    Lists.assign(size_t(k) + 1, nullptr);
    CatAttributeEB = new QLineEdit(this);
    CatAttributeEB->setObjectName("CatAttributeEB");
    CatAttributeEB->setReadOnly(true);
    CatAttributeEB->setText(ShowText(Code));
    auto* grid = new QGridLayout;
    for (int p = 1; p <= k; ++p) {
        grid->addWidget(new QLabel(ShowText(A.WorkSheet->Rows[size_t(p)].Label), this), p, 0);
        auto* list = new QComboBox(this);
        list->setObjectName(QString("ComboBox%1").arg(p));
        for (const std::string& entry : CategoryEntries(A, p)) list->addItem(ShowText(entry));
        const int at = CategoryCodeIndex(A, p, Code[size_t(p - 1)]);
        if (at < 0) {
            list->addItem("Invalid");
            list->setCurrentIndex(list->count() - 1);
        } else {
            list->setCurrentIndex(at);
        }
        grid->addWidget(list, p, 1);
        Lists[size_t(p)] = list;
        connect(list, &QComboBox::activated, this, [this, p](int index) {
            const std::string& codes = Attribute.WorkSheet->Rows[size_t(p)].Codes;
            if (index < 0 || size_t(index) >= codes.size()) return;
            Code[size_t(p - 1)] = codes[size_t(index)];
            CatAttributeEB->setText(ShowText(Code));
        });
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(CatAttributeEB);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

TDateWorkSheetDB::TDateWorkSheetDB(TSchemaContext& Context, char AKind, const TValueSlot& AStored, QWidget* Parent)
    : QDialog(Parent), Value(AStored), Ctx(Context), Kind(AKind), Stored(AStored)
{
    setObjectName("DateWorkSheetDB");
    setWindowTitle("Date Work Sheet");
    const char* labels[6] = {"Year", "Month (1..12)", "Day (1..31)", "Hour (0..23)", "Minute (0..59)", "Second (0..59)"};
    const char* names[6] = {"YearEdit", "MonthEdit", "DayEdit", "HourEdit", "MinuteEdit", "SecondEdit"};
    const TDateFields texts = DateFieldTexts(Stored);
    const std::array<bool, 6> used = DateFieldsUsed(Kind);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        grid->addWidget(new QLabel(labels[i], this), i, 0);
        Fields[i] = new QLineEdit(this);
        Fields[i]->setObjectName(names[i]);
        Fields[i]->setText(QString::fromStdString(texts[size_t(i)]));
        Fields[i]->setEnabled(used[size_t(i)]);
        MarkBad(Fields[i], false);
        grid->addWidget(Fields[i], i, 1);
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

void TDateWorkSheetDB::accept()
{
    TDateFields f;
    for (int i = 0; i < 6; ++i) f[size_t(i)] = TypedText(Fields[i]->text());
    std::array<bool, 6> bad;
    const bool ok = CheckDateFields(Kind, f, Stored, Value, bad);
    for (int i = 0; i < 6; ++i) MarkBad(Fields[i], bad[size_t(i)]);
    if (!ok) {
        Box(Ctx, MsgVariableError, 283);
        return;
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- small forms

TRealEditEB::TRealEditEB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("RealEditEB");
    setWindowTitle("Real Number Expression");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(255);
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    RecallBtn = Button(this, "RecallBtn", "&Recall");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(RecallBtn, &QPushButton::clicked, this, [this] { Edit1->setText(ShowText(RealExpressionRecallText())); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, RecallBtn}));
}

std::string& RealExpressionRecallText()
{
    static std::string text;
    return text;
}

double EditRealExpression(TSchemaContext& Ctx, const std::string& Caption, const TElementEdit& Edit, double Old,
                          QWidget* Parent)
{
    TRealEditEB d(Parent);
    d.Label1->setText(ShowText(Caption.substr(0, 50)));
    d.Edit1->setText(QString::fromLatin1(RealText(false, 15, Old)));
    if (Ctx.Exec(d) != QDialog::Accepted) return Old;
    const std::string text = TypedText(d.Edit1->text(), 255);
    RealExpressionRecallText() = text.substr(0, 100);
    int32_t pos = 0;
    const double v = EvaluateForEdit(*Ctx.Net, Ctx.View, Edit, text, pos);
    if (pos == 0 && std::isfinite(v)) return v;
    if (Ctx.Boxes) ShowMessageText(*Ctx.Boxes, ExpressionErrorText(text, pos), MessageText(172), MB_EXCLAMATION_OK);
    return Old;
}

bool EditString(TSchemaContext& Ctx, std::string& Text, QWidget* Parent)
{
    QDialog d(Parent);
    d.setObjectName("StringEditDB");
    d.setWindowTitle("String Edit");
    auto* edit = new QLineEdit(&d);
    edit->setObjectName("Edit1");
    edit->setMaxLength(int(StringValueLength));
    edit->setText(ShowText(Text));
    QPushButton* ok = Button(&d, "OKBtn", "OK");
    QPushButton* cancel = Button(&d, "CancelBtn", "Cancel");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, [&] {
        if (TypedTextsKept({edit}, Ctx.Boxes)) d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(edit);
    layout->addLayout(ButtonRow({ok, cancel}));
    if (Ctx.Exec(d) != QDialog::Accepted) return false;
    Text = TypedText(edit->text(), StringValueLength);
    return true;
}

TMemoDB::TMemoDB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("MemoDB");
    setWindowTitle("Memo");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

void TMemoDB::SetLines(const std::vector<std::string>& Lines)
{
    QStringList list;
    for (const std::string& s : Lines) list << ShowText(s);
    Memo1->setPlainText(list.join('\n'));
}

std::vector<std::string> TMemoDB::Lines() const
{
    std::vector<std::string> out;
    for (const QString& s : Memo1->toPlainText().split('\n')) out.push_back(TypedText(s));
    return out;
}

bool ShowMemo(TSchemaContext& Ctx, std::vector<std::string>& Lines, const std::string& Caption, QWidget* Parent)
{
    TMemoDB d(Parent);
    d.setWindowTitle(ShowText(Caption));
    d.SetLines(Lines);
    if (Ctx.Exec(d) != QDialog::Accepted) return false;
    Lines = d.Lines();
    return true;
}
