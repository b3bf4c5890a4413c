#include "schema/SearchDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/calc/AttributeValues.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/Rounding.h"
#include "schema/CalculateDialog.h"
#include "schema/CalculateRun.h"
#include "schema/SchemaCommands.h"
#include "schema/ValueDialogs.h"
#include "shell/CatEditDialog.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {


} // namespace

// ---------------------------------------------------------------- attributes search

TAttributeSearchDB::TAttributeSearchDB(TSchemaContext& Context, const TClassRecord& AClass,
                                       const TClassCriteria& Criteria, QWidget* Parent)
    : TShrinkForm(Parent), Form(AClass, Criteria), Result(Criteria), Ctx(Context), Class(AClass)
{
    setObjectName("AttributeSearchDB");
    setWindowTitle("Attributes Search");
    const int count = Form.Count;
    Radios.assign(size_t(count) + 1, nullptr);
    BottomEdits.assign(size_t(count) + 1, nullptr);
    TopEdits.assign(size_t(count) + 1, nullptr);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");
    const int tabs = std::max(1, (count + 9) / 10);
    for (int t = 1; t <= tabs; ++t) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(t));
        auto* grid = new QGridLayout(sheet);
        grid->addWidget(new QLabel("Bottom", sheet), 0, 1);
        grid->addWidget(new QLabel("Top", sheet), 0, 2);
        for (int i = (t - 1) * 10 + 1; i <= std::min(count, t * 10); ++i) {
            const size_t k = size_t(i);
            const TAttrib* a = Class.Attr(i);
            Radios[k] = new QRadioButton(ShowText(PositionalAttributeName(i) + " " + (a ? a->Name : std::string()))
                                             .replace("&", "&&"),
                                         sheet);
            Radios[k]->setObjectName(QString("RadioButton%1").arg(i));
            BottomEdits[k] = new QLineEdit(sheet);
            BottomEdits[k]->setObjectName(QString("BottomEdit%1").arg(i));
            TopEdits[k] = new QLineEdit(sheet);
            TopEdits[k]->setObjectName(QString("TopEdit%1").arg(i));
            const int row = i - (t - 1) * 10;
            grid->addWidget(Radios[k], row, 0);
            grid->addWidget(BottomEdits[k], row, 1);
            grid->addWidget(TopEdits[k], row, 2);
            for (QWidget* w : {static_cast<QWidget*>(Radios[k]), static_cast<QWidget*>(BottomEdits[k]),
                               static_cast<QWidget*>(TopEdits[k])}) {
                w->setProperty("row", i);
                w->installEventFilter(this);
            }
            for (QLineEdit* e : {BottomEdits[k], TopEdits[k]})
                connect(e, &QLineEdit::editingFinished, this, [this, i] { LeaveRow(i); });
            connect(Radios[k], &QRadioButton::toggled, this, [this, i](bool on) {
                if (on) Select(i);
            });
            ShowRow(i);
        }
        PageControl->addTab(sheet, QString::fromLatin1(AttributeTabCaption(t, count)));
    }
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    SetBtn = NamedButton(this, "SetBtn", "&Set");
    ClearBtn = NamedButton(this, "ClearBtn", "&Clear");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SetBtn, &QPushButton::clicked, this, &TAttributeSearchDB::SetClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TAttributeSearchDB::ClearClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, SetBtn, ClearBtn}));
    if (count >= 1) Radios[1]->setChecked(true);
    UpdateButtons();
    FindRows();
}

TBoundContext TAttributeSearchDB::BoundContext() const
{
    TBoundContext b;
    b.Net = Ctx.Net;
    b.View = Ctx.View;
    if (Ctx.Pad) {
        b.Variables = Ctx.Pad->View.CalcProgram.Variables.data();
        b.VariableCount = int(Ctx.Pad->View.CalcProgram.Variables.size());
    }
    return b;
}

void TAttributeSearchDB::ShowRow(int Row)
{
    const size_t k = size_t(Row);
    BottomEdits[k]->setText(ShowText(Form.Rows[k].Bottom));
    TopEdits[k]->setText(ShowText(Form.Rows[k].Top));
}

void TAttributeSearchDB::TakeTexts()
{
    for (int i = 1; i <= Form.Count; ++i) {
        Form.Rows[size_t(i)].Bottom = TypedText(BottomEdits[size_t(i)]->text());
        Form.Rows[size_t(i)].Top = TypedText(TopEdits[size_t(i)]->text());
    }
}

void TAttributeSearchDB::Select(int Row)
{
    if (Row < 1 || Row > Form.Count) return;
    Selected = Row;
    if (!Radios[size_t(Row)]->isChecked()) Radios[size_t(Row)]->setChecked(true);
    UpdateButtons();
}

void TAttributeSearchDB::UpdateButtons()
{
    SetBtn->setEnabled(Form.CanSet(Selected));
    ClearBtn->setEnabled(Form.CanClear(Selected));
}

void TAttributeSearchDB::LeaveRow(int Row)
{
    if (Row < 1 || Row > Form.Count) return;
    TakeTexts();
    Form.Leave(Row);
}

void TAttributeSearchDB::SetClick()
{
    const int row = Selected;
    const TAttrib* a = Form.Attribute(row);
    if (!a || !Form.CanSet(row)) return;
    for (QLineEdit* e : {BottomEdits[size_t(row)], TopEdits[size_t(row)]}) {
        const std::string text = TypedText(e->text());
        if (a->Kind == 'C') {
            TValueSlot slot = PackShortText(text);
            std::string codes;
            if (EditCategoryCodes(slot, *a, a->Name, codes, this, Ctx.Exec)) e->setText(ShowText(codes));
        } else {
            TAttribCriterion scratch;
            double old = 0;
            if (!text.empty() && ParseSearchBound(BoundContext(), *a, text, scratch, false) == 0)
                old = scratch.Low.Real();
            double v = EditRealExpression(Ctx, a->Name, SystemEdit(*Ctx.Net), old, this);
            if (a->Kind == 'I') v = pround(v);
            // A cancelled or failed entry gives the old value back: the text stays.
            if (v != old || text.empty()) e->setText(QString::fromLatin1(RealText(false, 15, v)));
        }
    }
    LeaveRow(row);
}

void TAttributeSearchDB::ClearClick()
{
    const int row = Selected;
    if (!Form.CanClear(row)) return;
    TakeTexts();
    Form.Clear(row);
    ShowRow(row);
}

void TAttributeSearchDB::accept()
{
    std::vector<QWidget*> texts(BottomEdits.begin() + 1, BottomEdits.begin() + 1 + Form.Count);
    texts.insert(texts.end(), TopEdits.begin() + 1, TopEdits.begin() + 1 + Form.Count);
    if (!TypedTextsKept(texts, Ctx.Boxes)) return;
    TakeTexts();
    for (int i = 1; i <= Form.Count; ++i) {
        MarkBad(BottomEdits[size_t(i)], false);
        MarkBad(TopEdits[size_t(i)], false);
    }
    std::vector<TAttributeSearchForm::TFailure> failures;
    const bool ok = Form.Ok(BoundContext(), Result, Ctx.Boxes, failures);
    // The texts as trimmed.
    for (int i = 1; i <= Form.Count; ++i) ShowRow(i);
    if (!ok) {
        for (const auto& f : failures) MarkBad((f.Top ? TopEdits : BottomEdits)[size_t(f.Row)], true);
        PageControl->setCurrentIndex((failures.front().Row - 1) / 10);
        return;
    }
    QDialog::accept();
}

bool TAttributeSearchDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = Watched->property("row").toInt();
    if (row >= 1 && row <= Form.Count) {
        if (Event->type() == QEvent::FocusIn) Select(row);
        if (Event->type() == QEvent::MouseButtonDblClick && Watched == Radios[size_t(row)]) {
            Select(row);
            SetClick();
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- node and link search

TEntitySearchDB::TEntitySearchDB(TSchemaContext& Context, bool ALinks, QWidget* Parent)
    : TShrinkForm(Parent), Links(ALinks), Ctx(Context)
{
    setObjectName("EntitySearchDB");
    setWindowTitle(ShowText(MessageText(Links ? 148 : 147)));
    const TEntityClass& table = Table();
    ClassCount = CountEntityTypes(table);
    Criteria = CopySearchCriteria(table);
    auto* grid = new QGridLayout;
    for (int c = 1; c <= MaxClasses; ++c) {
        const size_t k = size_t(c);
        Labels[k] = new QLabel(ShowText(table[c].Name), this);
        Labels[k]->setObjectName(QString("Label%1").arg(c));
        Radios[k] = new QRadioButton(this);
        Radios[k]->setObjectName(QString("RadioButton%1").arg(c));
        States[k] = new QLabel(this);
        States[k]->setObjectName(QString("StateLabel%1").arg(c));
        States[k]->setMinimumWidth(40);
        for (QWidget* w : {static_cast<QWidget*>(Radios[k]), static_cast<QWidget*>(States[k])}) {
            w->setProperty("class", c);
            w->installEventFilter(this);
        }
        grid->addWidget(Radios[k], c - 1, 0);
        grid->addWidget(Labels[k], c - 1, 1);
        grid->addWidget(States[k], c - 1, 2);
        AddRowWidget(c, Labels[k]);
        AddRowWidget(c, States[k]);
        ShowState(c);
    }
    OKButton = NamedButton(this, "OKButton", "OK");
    Button2 = NamedButton(this, "Button2", "Cancel");
    Button1 = NamedButton(this, "Button1", "&Boolean");
    Button3 = NamedButton(this, "Button3", "&Attributes");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &TEntitySearchDB::BooleanClick);
    connect(Button3, &QPushButton::clicked, this, &TEntitySearchDB::AttributesClick);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({OKButton, Button2, Button1, Button3}));
    if (ClassCount >= 1) Radios[1]->setChecked(true);
    FindRows();
}

TEntityClass& TEntitySearchDB::Table() const { return Links ? *Ctx.Net->LinkClasses : *Ctx.Net->NodeClasses; }

int TEntitySearchDB::Selected() const
{
    for (int c = 1; c <= ClassCount; ++c)
        if (Radios[size_t(c)]->isChecked()) return c;
    return 0;
}

void TEntitySearchDB::Select(int Class)
{
    if (Class >= 1 && Class <= ClassCount) Radios[size_t(Class)]->setChecked(true);
}

void TEntitySearchDB::ShowState(int Class)
{
    const size_t k = size_t(Class);
    States[k]->setText(ShowText(MessageText(SearchStateTextId(Table()[Class], Criteria[k].SearchClass))));
}

void TEntitySearchDB::BooleanClick()
{
    const int c = Selected();
    if (c < 1) return;
    uint8_t& b = Criteria[size_t(c)].SearchClass;
    b = b ? 0 : 1;
    ShowState(c);
}

void TEntitySearchDB::AttributesClick()
{
    const int c = Selected();
    if (c < 1) return;
    const TClassRecord& cls = Table()[c];
    const int count = std::clamp(cls.AttributeCount, 0, MaxAttributes);
    if (count < 1) return;
    // The attribute search edits this dialog's copy only; Cancel here drops it.
    TAttributeSearchDB d(Ctx, cls, Criteria[size_t(c)], this);
    d.PrepareShrunk(count, 0, 5, nullptr);
    if (Ctx.Exec(d) != QDialog::Accepted) return;
    Criteria[size_t(c)] = d.Result;
}

void TEntitySearchDB::accept()
{
    CommitSearchCriteria(Criteria, Table());
    QDialog::accept();
}

bool TEntitySearchDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick) {
        const int c = Watched->property("class").toInt();
        if (c >= 1 && c <= ClassCount) {
            Select(c);
            if (Watched == States[size_t(c)]) BooleanClick();
            else AttributesClick();
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- polygon search

TPolygonSearchDB::TPolygonSearchDB(TSchemaContext& Context, QWidget* Parent) : QDialog(Parent), Ctx(Context)
{
    setObjectName("PolygonSearchDB");
    setWindowTitle("Polygon Search");
    Label1 = new QLabel("Owner Node:", this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(30);
    auto check = [this](const char* name, const char* text) {
        auto* c = new QCheckBox(QString::fromLatin1(text), this);
        c->setObjectName(name);
        return c;
    };
    CheckBox1 = check("CheckBox1", "Nodes");
    CheckBox2 = check("CheckBox2", "Links");
    CheckBox3 = check("CheckBox3", "Outside");
    CheckBox4 = check("CheckBox4", "2 Ends");
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    const TPolygonSearchFields f = PolygonSearchFields(Ctx.Settings->Search.PolygonCriterion);
    Edit1->setText(ShowText(f.OwnerName));
    CheckBox1->setChecked(f.Nodes);
    CheckBox2->setChecked(f.Links);
    CheckBox3->setChecked(f.Outside);
    CheckBox4->setChecked(f.BothEnds);
    auto* name = new QHBoxLayout;
    name->addWidget(Label1);
    name->addWidget(Edit1);
    auto* checks = new QHBoxLayout;
    for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3, CheckBox4}) checks->addWidget(c);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(name);
    layout->addLayout(checks);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

void TPolygonSearchDB::accept()
{
    if (!TypedTextsKept({Edit1}, Ctx.Boxes)) return;
    TPolygonSearchFields f;
    f.OwnerName = TypedText(Edit1->text(), 30);
    f.Nodes = CheckBox1->isChecked();
    f.Links = CheckBox2->isChecked();
    f.Outside = CheckBox3->isChecked();
    f.BothEnds = CheckBox4->isChecked();
    ApplyPolygonSearch(*Ctx.Net, f, Ctx.Settings->Search.PolygonCriterion, Ctx.Boxes);
    QDialog::accept();
}

// ---------------------------------------------------------------- commands

bool EntitySearchCommand(TSketchPadWindow& Pad, bool Links)
{
    if (!Pad.Network || CalculateRunning(Pad)) return false;
    const TEntityClass& table = Links ? *Pad.Network->LinkClasses : *Pad.Network->NodeClasses;
    const int count = CountEntityTypes(table);
    if (count <= 0) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TEntitySearchDB d(ctx, Links, &Pad);
    d.PrepareShrunk(count, 0, 6, nullptr);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    Pad.Main.InvalidateNetworkViews(Pad);
    Pad.Network->SetAllowClose(false);
    return true;
}

bool PolygonSearchCommand(TSketchPadWindow& Pad)
{
    if (!Pad.Network || CalculateRunning(Pad)) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TPolygonSearchDB d(ctx, &Pad);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    Pad.View.Saved = 0;
    Pad.InvalidatePad();
    return true;
}

void RegisterCalcSearchPadItems(TZOKMainWindow& Main)
{
    TPadItemTable& t = Main.PadItems;
    t.SetCommand("Calculate1", GateChange, [](TSketchPadWindow& p) { CalculateCommand(p); });
    t.SetCommand("NodeSearchM", GateChange, [](TSketchPadWindow& p) { EntitySearchCommand(p, false); });
    t.SetCommand("LinkSearchM", GateChange, [](TSketchPadWindow& p) { EntitySearchCommand(p, true); });
    // The polygon criterion is the window's own.
    t.SetCommand("PolygonSearchM", GateDisplay, [](TSketchPadWindow& p) { PolygonSearchCommand(p); });
    t.SetRule("NodeSearchM", [](TSketchPadWindow& p) { return CountEntityTypes(*p.Network->NodeClasses) > 0; });
    t.SetRule("LinkSearchM", [](TSketchPadWindow& p) { return CountEntityTypes(*p.Network->LinkClasses) > 0; });
}
