#include "schema/DefinitionDialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/calc/AttributeValues.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "shell/RealEdit.h"

namespace {

QPushButton* Button(QDialog* d, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromLatin1(text), d);
    b->setObjectName(name);
    return b;
}


QLineEdit* Edit(QWidget* parent, const QString& name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

constexpr int KindTextIds[7] = {122, 123, 255, 252, 253, 254, 417};

} // namespace

// ---------------------------------------------------------------- entity definition

TEntityDefinitionDB::TEntityDefinitionDB(TSchemaContext& Context, TClassKind AKind, QWidget* Parent)
    : TShrinkForm(Parent), Ctx(Context), Kind(AKind)
{
    setObjectName("EntityDefinitionDB");
    setWindowTitle(ShowText(MessageText(Kind == TClassKind::Node ? 46 : 47)));
    Copy = CopyEntityClassesWhole(*ClassTable(*Ctx.Net, Kind));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Name", this), 0, 1);
    grid->addWidget(new QLabel("Number of Attributes", this), 0, 2);
    grid->addWidget(new QLabel("Alias", this), 0, 3);
    for (int c = 1; c <= MaxClasses; ++c) {
        auto* label = new QLabel(QString::number(c), this);
        label->setObjectName(QString("Label%1").arg(c));
        NameEdits[c] = Edit(this, QString("Edit%1").arg(c), 30);
        NameEdits[c]->setText(ShowText((*Copy)[c].Name));
        SpinEdits[c] = new QSpinBox(this);
        SpinEdits[c]->setObjectName(QString("SpinEdit%1").arg(c));
        SpinEdits[c]->setRange(0, MaxAttributes);
        SpinEdits[c]->setValue(std::clamp((*Copy)[c].AttributeCount, 0, MaxAttributes));
        AliasEdits[c] = Edit(this, QString("AliasEdit%1").arg(c), 10);
        AliasEdits[c]->setText(ShowText((*Copy)[c].Alias));
        grid->addWidget(label, c, 0);
        grid->addWidget(NameEdits[c], c, 1);
        grid->addWidget(SpinEdits[c], c, 2);
        grid->addWidget(AliasEdits[c], c, 3);
        for (QWidget* w : {static_cast<QWidget*>(NameEdits[c]), static_cast<QWidget*>(SpinEdits[c]),
                           static_cast<QWidget*>(AliasEdits[c])}) {
            w->setProperty("row", c);
            w->installEventFilter(this);
        }
        connect(SpinEdits[c], &QSpinBox::valueChanged, this, [this] {
            CountsChanged = true;
            UpdateAttributesButton();
        });
    }
    OKBtn = Button(this, "OKBtn", "OK");
    AttributesBtn = Button(this, "AttributesBtn", "&Attributes");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(AttributesBtn, &QPushButton::clicked, this, &TEntityDefinitionDB::AttributesClick);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({OKBtn, AttributesBtn, CancelBtn}));
    UpdateAttributesButton();
    FindRows();
}

TEntityDefinitionDB::~TEntityDefinitionDB() = default;

void TEntityDefinitionDB::UpdateAttributesButton()
{
    AttributesBtn->setEnabled(SpinEdits[FocusedRow]->value() > 0);
}

bool TEntityDefinitionDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = Watched->property("row").toInt();
    if (row >= 1 && row <= MaxClasses) {
        if (Event->type() == QEvent::FocusIn) {
            FocusedRow = row;
            UpdateAttributesButton();
        } else if (Event->type() == QEvent::MouseButtonDblClick && AttributesBtn->isEnabled()) {
            FocusedRow = row;
            AttributesClick();
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

void TEntityDefinitionDB::AttributesClick()
{
    const int count = SpinEdits[FocusedRow]->value();
    if (count <= 0) return;
    TAttributeDefinitionDB d(Ctx, (*Copy)[FocusedRow], count, this);
    d.PrepareShrunk(count, 0, 6, nullptr);
    Ctx.Exec(d);
}

void TEntityDefinitionDB::accept()
{
    std::vector<QWidget*> texts;
    for (int c = 1; c <= MaxClasses; ++c) texts.insert(texts.end(), {NameEdits[c], AliasEdits[c]});
    if (!TypedTextsKept(texts, Ctx.Boxes)) return;
    for (int c = 1; c <= MaxClasses; ++c) {
        TClassRecord& r = (*Copy)[c];
        r.Name = ClassNameText(TypedText(NameEdits[c]->text()));
        r.Alias = AliasText(TypedText(AliasEdits[c]->text()));
        SetAttributeCount(r, SpinEdits[c]->value());
    }
    Ctx.Net->SetAllowClose(false);
    ApplySchemaEdit(*Ctx.Net, Kind, std::move(Copy));
    QDialog::accept();
}

// ---------------------------------------------------------------- attribute definition

TAttributeDefinitionDB::TAttributeDefinitionDB(TSchemaContext& Context, TClassRecord& ARecord, int ACount,
                                               QWidget* Parent)
    : TShrinkForm(Parent), Count(std::clamp(ACount, 0, MaxAttributes)), Ctx(Context), Record(ARecord)
{
    setObjectName("AttributeDefinitionDB");
    setWindowTitle("Attribute Definition");
    Work.resize(size_t(Count) + 1);
    Radios.assign(size_t(Count) + 1, nullptr);
    NameEdits.assign(size_t(Count) + 1, nullptr);
    AliasEdits.assign(size_t(Count) + 1, nullptr);
    FormatBoxes.assign(size_t(Count) + 1, nullptr);
    SpinEdits.assign(size_t(Count) + 1, nullptr);
    auto* pages = new QTabWidget(this);
    pages->setObjectName("PageControl1");
    const int tabs = std::max(1, (Count + 9) / 10);
    for (int t = 1; t <= tabs; ++t) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(t));
        auto* grid = new QGridLayout(sheet);
        grid->addWidget(new QLabel("Name", sheet), 0, 1);
        grid->addWidget(new QLabel("Format", sheet), 0, 2);
        grid->addWidget(new QLabel("Variables", sheet), 0, 3);
        grid->addWidget(new QLabel("Alias", sheet), 0, 4);
        for (int i = (t - 1) * 10 + 1; i <= std::min(Count, t * 10); ++i) {
            const TAttrib* a = Record.Attr(i);
            Work[size_t(i)] = a ? std::make_unique<TAttrib>() : DefaultAttribute();
            if (a) {
                TAttrib& w = *Work[size_t(i)];
                w.TopRow = a->TopRow;
                w.Form = a->Form;
                w.High = a->High;
                w.Low = a->Low;
                w.LowText = a->LowText;
                w.HighText = a->HighText;
                w.Name = a->Name;
                w.Description = a->Description;
                w.Kind = IsAttributeKind(a->Kind) ? a->Kind : 'R';
                w.Active = a->Active;
                w.StringIndex = a->StringIndex;
                w.Alias = a->Alias;
                w.AliasKey = a->AliasKey;
                if (a->WorkSheet) w.WorkSheet = std::make_unique<TWorkSheet>(*a->WorkSheet);
            }
            const TAttrib& w = *Work[size_t(i)];
            const size_t k = size_t(i);
            Radios[k] = new QRadioButton(QString::fromLatin1(PositionalAttributeName(i)), sheet);
            Radios[k]->setObjectName(QString("RadioButton%1").arg(i));
            NameEdits[k] = Edit(sheet, QString("Edit%1").arg(i), 30);
            NameEdits[k]->setText(ShowText(w.Name));
            FormatBoxes[k] = new QComboBox(sheet);
            FormatBoxes[k]->setObjectName(QString("ComboBox%1").arg(i));
            for (int id : KindTextIds) FormatBoxes[k]->addItem(ShowText(MessageText(id)));
            FormatBoxes[k]->setCurrentIndex(std::max(0, KindListIndex(w.Kind)));
            SpinEdits[k] = new QSpinBox(sheet);
            SpinEdits[k]->setObjectName(QString("SpinEdit%1").arg(i));
            AliasEdits[k] = Edit(sheet, QString("AliasEdit%1").arg(i), 10);
            AliasEdits[k]->setText(ShowText(w.Alias));
            const int row = i - (t - 1) * 10;
            grid->addWidget(Radios[k], row, 0);
            grid->addWidget(NameEdits[k], row, 1);
            grid->addWidget(FormatBoxes[k], row, 2);
            grid->addWidget(SpinEdits[k], row, 3);
            grid->addWidget(AliasEdits[k], row, 4);
            for (QWidget* wdg : {static_cast<QWidget*>(Radios[k]), static_cast<QWidget*>(NameEdits[k]),
                                 static_cast<QWidget*>(FormatBoxes[k]), static_cast<QWidget*>(SpinEdits[k]),
                                 static_cast<QWidget*>(AliasEdits[k])}) {
                wdg->setProperty("row", i);
                wdg->installEventFilter(this);
            }
            KindChanged(i);
            SpinEdits[k]->setValue(w.TopRow);
            connect(FormatBoxes[k], &QComboBox::currentIndexChanged, this, [this, i] { KindChanged(i); });
            connect(SpinEdits[k], &QSpinBox::valueChanged, this, [this] { UpdateWorksheetButton(); });
            connect(Radios[k], &QRadioButton::toggled, this, [this, i](bool on) {
                if (on) Select(i);
            });
        }
        pages->addTab(sheet, QString::fromLatin1(AttributeTabCaption(t, MaxAttributes)).replace(",", ", "));
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    WorksheetBtn = Button(this, "WorksheetBtn", "&Worksheet");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(WorksheetBtn, &QPushButton::clicked, this, &TAttributeDefinitionDB::WorksheetClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, WorksheetBtn}));
    if (Count >= 1) Radios[1]->setChecked(true);
    Select(1);
    FindRows();
}

TAttributeDefinitionDB::~TAttributeDefinitionDB() = default;

void TAttributeDefinitionDB::Select(int Row)
{
    if (Row < 1 || Row > Count) return;
    Selected = Row;
    if (!Radios[size_t(Row)]->isChecked()) Radios[size_t(Row)]->setChecked(true);
    UpdateWorksheetButton();
}

void TAttributeDefinitionDB::KindChanged(int Row)
{
    const size_t k = size_t(Row);
    const int index = FormatBoxes[k]->currentIndex();
    const char kind = AttributeKindLetters[std::clamp(index, 0, 6)];
    const int max = MaxRowsOfKind(kind);
    SpinEdits[k]->setRange(0, max);
    SpinEdits[k]->setEnabled(max > 0);
    Work[k]->Kind = kind;
    UpdateWorksheetButton();
}

void TAttributeDefinitionDB::UpdateWorksheetButton()
{
    if (!WorksheetBtn) return; // still being built
    if (Selected < 1 || Selected > Count) {
        WorksheetBtn->setEnabled(false);
        return;
    }
    const char kind = AttributeKindLetters[std::clamp(FormatBoxes[size_t(Selected)]->currentIndex(), 0, 6)];
    WorksheetBtn->setEnabled(SpinEdits[size_t(Selected)]->value() > 0 && (kind == 'R' || kind == 'C' || kind == 'I'));
}

bool TAttributeDefinitionDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = Watched->property("row").toInt();
    if (row >= 1 && row <= Count) {
        if (Event->type() == QEvent::FocusIn) Select(row);
        if (Event->type() == QEvent::MouseButtonDblClick) {
            Select(row);
            if (WorksheetBtn->isEnabled()) WorksheetClick();
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

void TAttributeDefinitionDB::WorksheetClick()
{
    if (!WorksheetBtn->isEnabled()) return;
    TAttrib& w = *Work[size_t(Selected)];
    SetWorksheetRows(w, SpinEdits[size_t(Selected)]->value());
    w.Name = TypedText(NameEdits[size_t(Selected)]->text(), 30);
    if (w.Kind == 'C') {
        TCatWorksheetDB d(Ctx, w, this);
        Ctx.Exec(d);
    } else {
        TRealWorksheetDB d(Ctx, w, this);
        Ctx.Exec(d);
    }
}

void TAttributeDefinitionDB::accept()
{
    std::vector<QWidget*> texts;
    for (int i = 1; i <= Count; ++i) texts.insert(texts.end(), {NameEdits[size_t(i)], AliasEdits[size_t(i)]});
    if (!TypedTextsKept(texts, Ctx.Boxes)) return;
    for (int i = 1; i <= Count; ++i) {
        const size_t k = size_t(i);
        TAttrib& w = *Work[k];
        w.Name = TypedText(NameEdits[k]->text(), 30);
        TrimName30(w.Name);
        SetAttributeAlias(w, TypedText(AliasEdits[k]->text()));
        SetAttributeKind(w, AttributeKindLetters[std::clamp(FormatBoxes[k]->currentIndex(), 0, 6)]);
        SetWorksheetRows(w, SpinEdits[k]->value());
        Record.Attributes[k] = std::move(Work[k]);
        Work[k] = DefaultAttribute();
    }
    if (Record.AttributeCount < Count) SetAttributeCount(Record, Count);
    QDialog::accept();
}

// ---------------------------------------------------------------- real worksheet

TRealWorksheetDB::TRealWorksheetDB(TSchemaContext& Context, TAttrib& A, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Attribute(A)
{
    setObjectName("RealWorksheetDB");
    setWindowTitle(ShowText(MessageText(189)));
    FormCB = new QComboBox(this);
    FormCB->setObjectName("FormCB");
    for (int id = 109; id <= 116; ++id) FormCB->addItem(ShowText(MessageText(id)));
    FormCB->setCurrentIndex(std::clamp(A.Form, 0, 7));
    FunctionEdit = Edit(this, "FunctionEdit", 50);
    FunctionEdit->setText(ShowText(A.Description));
    const int n = A.WorkSheet ? std::clamp(A.TopRow, 0, MaxWorkSheetRow) : 0;
    NameEdits.assign(size_t(n) + 1, nullptr);
    ParamEdits.assign(size_t(n) + 1, nullptr);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Variable Name", this), 0, 1);
    grid->addWidget(new QLabel("Parameter", this), 0, 2);
    for (int i = 0; i <= n; ++i) {
        const TWorkSheetRow& row = A.WorkSheet->Rows[size_t(i)];
        grid->addWidget(new QLabel(i == 0 ? QString("b0") : QString("x%1").arg(i), this), i + 1, 0);
        if (i > 0) {
            NameEdits[size_t(i)] = Edit(this, QString("Edit%1").arg(i), 30);
            NameEdits[size_t(i)]->setText(ShowText(row.Label));
            grid->addWidget(NameEdits[size_t(i)], i + 1, 1);
        }
        ParamEdits[size_t(i)] = Edit(this, QString("ParamEdit%1").arg(i), 0);
        ParamEdits[size_t(i)]->setText(QString::fromLatin1(FormatRealText(row.Low)));
        grid->addWidget(ParamEdits[size_t(i)], i + 1, 2);
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(FormCB);
    top->addWidget(new QLabel("Expression:", this));
    top->addWidget(FunctionEdit);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

void TRealWorksheetDB::accept()
{
    std::vector<QWidget*> texts(NameEdits.begin() + 1, NameEdits.end());
    texts.push_back(FunctionEdit);
    if (!TypedTextsKept(texts, Ctx.Boxes)) return;
    std::vector<double> params(ParamEdits.size());
    bool ok = true;
    for (size_t i = 0; i < ParamEdits.size(); ++i) {
        const bool good = ParseRealText(TypedText(ParamEdits[i]->text()), params[i]);
        MarkBad(ParamEdits[i], !good);
        ok = ok && good;
    }
    if (!ok) {
        if (Ctx.Boxes) ShowMessageBox(*Ctx.Boxes, MsgVariableError, 189, MB_EXCLAMATION_OK);
        return;
    }
    Attribute.Form = FormCB->currentIndex();
    Attribute.Description = TypedText(FunctionEdit->text(), 50);
    for (size_t i = 0; i < ParamEdits.size() && Attribute.WorkSheet; ++i) {
        TWorkSheetRow& row = Attribute.WorkSheet->Rows[i];
        row.Low = params[i];
        if (i > 0) row.Label = TypedText(NameEdits[i]->text(), 30);
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- categorical worksheet

TCatWorksheetDB::TCatWorksheetDB(TSchemaContext& Context, TAttrib& A, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Attribute(A)
{
    setObjectName("CatWorksheetDB");
    setWindowTitle("Categorical Worksheet");
    const int k = A.WorkSheet ? CategoryCodePositions(A) : 0;
    NameEdits.assign(size_t(k) + 1, nullptr);
    CodeEdits.assign(size_t(k) + 1, nullptr);
    Hints.assign(size_t(k) + 1, std::string());
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Name", this), 0, 1);
    grid->addWidget(new QLabel("Codes", this), 0, 2);
    for (int p = 1; p <= k; ++p) {
        const TWorkSheetRow& row = A.WorkSheet->Rows[size_t(p)];
        NameEdits[size_t(p)] = Edit(this, QString("Edit%1").arg(p), 30);
        NameEdits[size_t(p)]->setText(ShowText(row.Label));
        CodeEdits[size_t(p)] = Edit(this, QString("CodeEdit%1").arg(p), 30);
        CodeEdits[size_t(p)]->setText(ShowText(row.Codes));
        Hints[size_t(p)] = row.Hint;
        for (QWidget* w : {static_cast<QWidget*>(NameEdits[size_t(p)]), static_cast<QWidget*>(CodeEdits[size_t(p)])}) {
            w->setProperty("row", p);
            w->installEventFilter(this);
        }
        connect(CodeEdits[size_t(p)], &QLineEdit::textChanged, this, [this] { UpdateHintsButton(); });
        grid->addWidget(new QLabel(QString::number(p), this), p, 0);
        grid->addWidget(NameEdits[size_t(p)], p, 1);
        grid->addWidget(CodeEdits[size_t(p)], p, 2);
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    HintsBtn = Button(this, "HintsBtn", "&Hints");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HintsBtn, &QPushButton::clicked, this, &TCatWorksheetDB::HintsClick);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, HintsBtn}));
    UpdateHintsButton();
}

void TCatWorksheetDB::UpdateHintsButton()
{
    HintsBtn->setEnabled(Focused >= 1 && Focused < int(CodeEdits.size()) && !CodeEdits[size_t(Focused)]->text().isEmpty());
}

bool TCatWorksheetDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = Watched->property("row").toInt();
    if (row >= 1 && Event->type() == QEvent::FocusIn) {
        Focused = row;
        UpdateHintsButton();
    }
    return QDialog::eventFilter(Watched, Event);
}

void TCatWorksheetDB::HintsClick()
{
    std::vector<std::string> names(NameEdits.size()), codes(CodeEdits.size());
    for (size_t p = 1; p < NameEdits.size(); ++p) {
        names[p] = TypedText(NameEdits[p]->text(), 30);
        codes[p] = TypedText(CodeEdits[p]->text(), 30);
    }
    TCatHintDB d(names, codes, Hints, this);
    d.Boxes = Ctx.Boxes;
    if (Ctx.Exec(d) == QDialog::Accepted) Hints = d.Result();
}

void TCatWorksheetDB::accept()
{
    std::vector<QWidget*> texts(NameEdits.begin() + 1, NameEdits.end());
    texts.insert(texts.end(), CodeEdits.begin() + 1, CodeEdits.end());
    if (!TypedTextsKept(texts, Ctx.Boxes)) return;
    for (size_t p = 1; p < NameEdits.size() && Attribute.WorkSheet; ++p) {
        TWorkSheetRow& row = Attribute.WorkSheet->Rows[p];
        row.Label = TypedText(NameEdits[p]->text(), 30);
        row.Codes = TypedText(CodeEdits[p]->text(), 30);
        row.Hint = Hints[p];
    }
    QDialog::accept();
}

TCatHintDB::TCatHintDB(const std::vector<std::string>& Names, const std::vector<std::string>& Codes,
                       const std::vector<std::string>& Hints, QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName("CatHintDB");
    setWindowTitle("Categorical Variable Hints");
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");
    Edits.resize(Codes.size());
    for (size_t p = 1; p < Codes.size(); ++p) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(p));
        auto* grid = new QGridLayout(sheet);
        for (size_t i = 0; i < Codes[p].size(); ++i) {
            grid->addWidget(new QLabel(ShowText(std::string(1, Codes[p][i]) + " - " + Names[p]), sheet), int(i), 0);
            QLineEdit* e = Edit(sheet, QString("Edit%1_%2").arg(p).arg(i + 1), 0);
            e->setText(ShowText(HintPiece(p < Hints.size() ? Hints[p] : std::string(), int(i))));
            grid->addWidget(e, int(i), 1);
            Edits[p].push_back(e);
        }
        PageControl->addTab(sheet, QString::number(p));
    }
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

void TCatHintDB::accept()
{
    std::vector<QWidget*> texts;
    for (const std::vector<QLineEdit*>& position : Edits) texts.insert(texts.end(), position.begin(), position.end());
    if (TypedTextsKept(texts, Boxes)) QDialog::accept();
}

std::vector<std::string> TCatHintDB::Result() const
{
    std::vector<std::string> out(Edits.size());
    for (size_t p = 1; p < Edits.size(); ++p) {
        std::vector<std::string> pieces;
        for (QLineEdit* e : Edits[p]) {
            std::string h = TypedText(e->text(), 255);
            // "&&" separates the pieces: a typed one would shift every later hint.
            for (size_t at; (at = h.find("&&")) != std::string::npos;) h.replace(at, 2, "&");
            pieces.push_back(h);
        }
        out[p] = JoinHints(pieces);
    }
    return out;
}
