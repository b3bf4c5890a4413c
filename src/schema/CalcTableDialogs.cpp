#include "schema/CalcTableDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/calc/AttributeValues.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "schema/ValueDialogs.h"

namespace {


// A caption shows '&' as itself, not as a mnemonic.
QString Caption(const std::string& text) { return ShowText(text).replace("&", "&&"); }

void Fill(QComboBox* box, const std::vector<std::string>& items, int index)
{
    box->clear();
    for (const std::string& s : items) box->addItem(ShowText(s));
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void Fill(QListWidget* list, const std::vector<std::string>& items, int index)
{
    list->clear();
    for (const std::string& s : items) list->addItem(ShowText(s));
    list->setCurrentRow(index >= 0 && index < list->count() ? index : -1);
}

// A list's choice; the value it was filled with when nothing there stands for it.
int Choice(int index, int old) { return index < 0 ? old : index; }

const char* const VariableTabs[4] = {"V1-Va", "Vb-Vk", "Vl-Vu", "Vv-Vz"};

} // namespace

// ---------------------------------------------------------------- network-wide variables

TNetworkWideDB::TNetworkWideDB(TSchemaContext& Context, TCalcProgram& AProgram, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Program(AProgram)
{
    setObjectName("NetworkWideDB");
    setWindowTitle("Network Wide Variables");
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    Group = new QButtonGroup(this);
    Group->setExclusive(true);
    for (int t = 0; t < 4; ++t) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(t + 1));
        auto* grid = new QGridLayout(sheet);
        for (int i = t * 10 + 1; i <= std::min(CalcVariableCount, t * 10 + 10); ++i) {
            const size_t k = size_t(i);
            auto* radio = new QRadioButton(Caption(Program.VariableNames[k]), sheet);
            radio->setObjectName(QString("RadioButton%1").arg(i));
            radio->setProperty("name", ShowText(Program.VariableNames[k]));
            Group->addButton(radio, i);
            auto* edit = new QLineEdit(ShowText(VariableValueText(Program.Variables[k])), sheet);
            edit->setObjectName(QString("Edit%1").arg(i));
            edit->setProperty("variable", i);
            edit->installEventFilter(this);
            Radios[k] = radio;
            Edits[k] = edit;
            const int row = i - t * 10 - 1;
            grid->addWidget(new QLabel(QString::fromLatin1(PositionalVariableName(i)), sheet), row, 0);
            grid->addWidget(radio, row, 1);
            grid->addWidget(edit, row, 2);
        }
        grid->setRowStretch(11, 1);
        PageControl1->addTab(sheet, VariableTabs[t]);
    }
    connect(Group, &QButtonGroup::idClicked, this, [this](int id) { Select(id); });
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName("NameEdit");
    NameEdit->setMaxLength(CalcDescriptionLength);
    connect(NameEdit, &QLineEdit::editingFinished, this, &TNetworkWideDB::NameEditExit);
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    ZeroBtn = NamedButton(this, "ZeroBtn", "&Zero");
    MemoBtn = NamedButton(this, "MemoBtn", "Memo");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ZeroBtn, &QPushButton::clicked, this, &TNetworkWideDB::ZeroClick);
    connect(MemoBtn, &QPushButton::clicked, this, &TNetworkWideDB::MemoClick);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("Edit Description:", this));
    nameRow->addWidget(NameEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(nameRow);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, ZeroBtn, MemoBtn}));
    Radios[1]->setChecked(true);
    NameEdit->setText(Radios[1]->property("name").toString());
}

void TNetworkWideDB::Select(int Variable)
{
    if (Variable < 1 || Variable > CalcVariableCount) return;
    if (Variable == Selected) return;
    NameEditExit();
    Selected = Variable;
    Radios[size_t(Variable)]->setChecked(true);
    NameEdit->setText(Radios[size_t(Variable)]->property("name").toString());
}

void TNetworkWideDB::NameEditExit()
{
    const std::string name = ProgramFieldText(TypedText(NameEdit->text(), std::string::npos, true), CalcDescriptionLength);
    QRadioButton* r = Radios[size_t(Selected)];
    r->setProperty("name", ShowText(name));
    r->setText(Caption(name));
}

void TNetworkWideDB::ZeroClick()
{
    for (int i = 1; i <= CalcVariableCount; ++i) Edits[size_t(i)]->setText("0.");
}

std::array<std::string, CalcVariableCount + 1> TNetworkWideDB::ValueTexts() const
{
    std::array<std::string, CalcVariableCount + 1> t;
    for (int i = 1; i <= CalcVariableCount; ++i) t[size_t(i)] = TypedText(Edits[size_t(i)]->text());
    return t;
}

std::array<std::string, CalcVariableCount + 1> TNetworkWideDB::NameTexts() const
{
    std::array<std::string, CalcVariableCount + 1> t;
    for (int i = 1; i <= CalcVariableCount; ++i)
        t[size_t(i)] = TypedText(Radios[size_t(i)]->property("name").toString(), std::string::npos, true);
    return t;
}

void TNetworkWideDB::MemoClick()
{
    NameEditExit();
    std::vector<std::string> lines = VariableMemoLines(ValueTexts(), NameTexts());
    ShowMemo(Ctx, lines, "Memo", this);
}

void TNetworkWideDB::accept()
{
    NameEditExit();
    for (int i = 1; i <= CalcVariableCount; ++i) MarkBad(Edits[size_t(i)], false);
    std::vector<int> bad;
    if (!StoreVariables(ValueTexts(), NameTexts(), Program, bad)) {
        for (int i : bad) MarkBad(Edits[size_t(i)], true);
        PageControl1->setCurrentIndex((bad.front() - 1) / 10);
        QApplication::beep();
        return;
    }
    QDialog::accept();
}

bool TNetworkWideDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::FocusIn) Select(Watched->property("variable").toInt());
    return QDialog::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- lookup tables

TLookupTableDB::TLookupTableDB(TSchemaContext& Context, TCalcProgram& AProgram, QWidget* Parent)
    : QDialog(Parent), Tables(AProgram.LookupTables), Ctx(Context), Program(AProgram)
{
    setObjectName("LookupTableDB");
    setWindowTitle("Lookup Table Parameters");
    TableSE = new QSpinBox(this);
    TableSE->setObjectName("TableSE");
    TableSE->setRange(1, CalcLookupTableCount);
    NameEB = new QLineEdit(this);
    NameEB->setObjectName("NameEB");
    NameEB->setMaxLength(CalcDescriptionLength);

    auto* classBox = new QGroupBox("Class", this);
    classBox->setObjectName("ClassRG");
    ClassRG = new QButtonGroup(this);
    auto* classRow = new QHBoxLayout(classBox);
    const char* kinds[3] = {"Node", "Link", "System"};
    for (int k = 0; k < 3; ++k) {
        auto* r = new QRadioButton(kinds[k], classBox);
        r->setObjectName(QString("ClassRB%1").arg(k + 1));
        ClassRG->addButton(r, k);
        classRow->addWidget(r);
    }
    auto list = [this](const char* name) {
        auto* l = new QListWidget(this);
        l->setObjectName(name);
        return l;
    };
    EntityLB = list("EntityLB");
    AttributeLB = list("AttributeLB");
    VariableLB = list("VariableLB");
    ParameterLB = list("ParameterLB");
    for (int i = 0; i < ParameterItemCount; ++i) ParameterLB->addItem(QString::fromLatin1(ParameterItem(i)));

    auto* rows = new QGridLayout;
    rows->addWidget(new QLabel("Bottom", this), 0, 1);
    rows->addWidget(new QLabel("Top", this), 0, 2);
    rows->addWidget(new QLabel("Value", this), 0, 3);
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        const size_t k = size_t(r);
        BottomCBs[k] = new QComboBox(this);
        BottomCBs[k]->setObjectName(QString("BottomCB%1").arg(r));
        TopCBs[k] = new QComboBox(this);
        TopCBs[k]->setObjectName(QString("TopCB%1").arg(r));
        ValueEBs[k] = new QLineEdit(this);
        ValueEBs[k]->setObjectName(QString("ValueEB%1").arg(r));
        rows->addWidget(new QLabel(QString::number(r), this), r, 0);
        rows->addWidget(BottomCBs[k], r, 1);
        rows->addWidget(TopCBs[k], r, 2);
        rows->addWidget(ValueEBs[k], r, 3);
        connect(BottomCBs[k], &QComboBox::currentIndexChanged, this, [this, r] { ShowRowHint(r, false); });
        connect(TopCBs[k], &QComboBox::currentIndexChanged, this, [this, r] { ShowRowHint(r, true); });
    }
    OtherwiseEB = new QLineEdit(this);
    OtherwiseEB->setObjectName("OtherwiseEB");
    auto* applyBox = new QGroupBox("Apply Otherwise", this);
    applyBox->setObjectName("ApplyRG");
    ApplyRG = new QButtonGroup(this);
    auto* applyRow = new QHBoxLayout(applyBox);
    const char* answers[2] = {"No", "Yes"};
    for (int k = 0; k < 2; ++k) {
        auto* r = new QRadioButton(answers[k], applyBox);
        r->setObjectName(QString("ApplyRB%1").arg(k + 1));
        ApplyRG->addButton(r, k);
        applyRow->addWidget(r);
    }
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    connect(TableSE, &QSpinBox::valueChanged, this, [this](int v) {
        if (Filling || v == Shown) return;
        // The shown table goes into the copy first; a value that is no
        // number keeps it shown.
        if (!StoreShown()) {
            Filling = true;
            TableSE->setValue(Shown);
            Filling = false;
            return;
        }
        ShowTable(v);
    });
    connect(ClassRG, &QButtonGroup::idClicked, this, [this](int k) {
        if (!Filling && k != Current.ClassKind) KindChanged(k);
    });
    connect(EntityLB, &QListWidget::currentRowChanged, this, [this] {
        if (!Filling) ClassChanged();
    });
    connect(AttributeLB, &QListWidget::currentRowChanged, this, [this] {
        if (!Filling) AttributeChanged();
    });
    connect(VariableLB, &QListWidget::currentRowChanged, this, [this] {
        if (!Filling) CodePositionChanged();
    });

    auto* top = new QFormLayout;
    top->addRow("Parameter Table:", TableSE);
    top->addRow("Description:", NameEB);
    auto* lists = new QGridLayout;
    lists->addWidget(classBox, 0, 0, 1, 4);
    const char* titles[4] = {"Class:", "Attribute:", "Code Position:", "Parameter:"};
    QListWidget* boxes[4] = {EntityLB, AttributeLB, VariableLB, ParameterLB};
    for (int i = 0; i < 4; ++i) {
        lists->addWidget(new QLabel(titles[i], this), 1, i);
        lists->addWidget(boxes[i], 2, i);
    }
    auto* otherwise = new QFormLayout;
    otherwise->addRow("Otherwise:", OtherwiseEB);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists);
    layout->addLayout(rows);
    layout->addLayout(otherwise);
    layout->addWidget(applyBox);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
    ShowTable(1);
}

const TAttrib* TLookupTableDB::ChosenAttribute() const
{
    const TClassRecord* cls = ClassOf(*Ctx.Net, Current.ClassKind, Current.ClassIndex);
    return cls && Current.Attribute >= 1 && Current.Attribute <= cls->AttributeCount ? cls->Attr(Current.Attribute)
                                                                                       : nullptr;
}

void TLookupTableDB::FillClasses()
{
    Fill(EntityLB, ClassItems(*Ctx.Net, Current.ClassKind), Current.ClassIndex - 1);
}

void TLookupTableDB::FillAttributes()
{
    const TClassRecord* cls = ClassOf(*Ctx.Net, Current.ClassKind, Current.ClassIndex);
    Fill(AttributeLB, AttributeItems(cls), Current.Attribute);
    AttributeLB->setEnabled(cls != nullptr);
}

void TLookupTableDB::FillCodePositions()
{
    const TAttrib* a = ChosenAttribute();
    Fill(VariableLB, CodePositionItems(a), Current.CodePosition);
    VariableLB->setEnabled(a && a->Kind == 'C');
}

void TLookupTableDB::FillRows()
{
    const TAttrib* a = ChosenAttribute();
    const std::string codes = Current.CodePosition > 0 ? LookupRowCodes(a, Current.CodePosition) : std::string();
    const bool rows = Current.CodePosition > 0 && a;
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        const size_t k = size_t(r);
        for (QComboBox* box : {BottomCBs[k], TopCBs[k]}) {
            box->blockSignals(true);
            box->clear();
            if (rows) {
                std::string items = codes;
                const char want = box == BottomCBs[k] ? Current.Bottom[k] : Current.Top[k];
                if (items.find(want) == std::string::npos) items += want; // a stored code the list lacks is kept
                for (char c : items) box->addItem(ShowText(std::string(1, c)));
                box->setCurrentIndex(int(items.find(want)));
            }
            box->setEnabled(rows);
            box->blockSignals(false);
        }
        ValueEBs[k]->setText(rows ? ShowText(Current.Values[k]) : QString("0"));
        ValueEBs[k]->setEnabled(rows);
        MarkBad(ValueEBs[k], false);
        ShowRowHint(r, false);
        ShowRowHint(r, true);
    }
}

void TLookupTableDB::ShowRowHint(int Row, bool Top)
{
    QComboBox* box = (Top ? TopCBs : BottomCBs)[size_t(Row)];
    const TAttrib* a = ChosenAttribute();
    const std::string item = TypedText(box->currentText());
    box->setToolTip(a && !item.empty() ? ShowText(CodeHint(*a, Current.CodePosition, item[0])) : QString());
}

void TLookupTableDB::ShowTable(int Table)
{
    Shown = std::clamp(Table, 1, CalcLookupTableCount);
    Current = LookupFields(Tables[size_t(Shown)]);
    Filling = true;
    TableSE->setValue(Shown);
    NameEB->setText(ShowText(Current.Description));
    ClassRG->button(Current.ClassKind)->setChecked(true);
    FillClasses();
    FillAttributes();
    FillCodePositions();
    ParameterLB->setCurrentRow(Current.Parameter);
    FillRows();
    OtherwiseEB->setText(ShowText(Current.Otherwise));
    MarkBad(OtherwiseEB, false);
    ApplyRG->button(Current.ApplyOtherwise)->setChecked(true);
    Filling = false;
}

namespace {
// Rows start on a Bottom of "?" and a Top of a blank.
void ResetRows(TLookupFields& f)
{
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        f.Bottom[size_t(r)] = '?';
        f.Top[size_t(r)] = ' ';
        f.Values[size_t(r)].assign(1, '0');
    }
}
} // namespace

void TLookupTableDB::KindChanged(int Kind)
{
    Filling = true;
    Current.ClassKind = std::clamp(Kind, 0, 2);
    Current.ClassIndex = Current.Attribute = Current.CodePosition = 0;
    ResetRows(Current);
    FillClasses();
    FillAttributes();
    FillCodePositions();
    FillRows();
    Filling = false;
}

void TLookupTableDB::ClassChanged()
{
    Filling = true;
    Current.ClassIndex = EntityLB->currentRow() + 1;
    Current.Attribute = Current.CodePosition = 0;
    ResetRows(Current);
    FillAttributes();
    FillCodePositions();
    FillRows();
    Filling = false;
}

void TLookupTableDB::AttributeChanged()
{
    Filling = true;
    Current.Attribute = std::max(AttributeLB->currentRow(), 0);
    Current.CodePosition = 0;
    ResetRows(Current);
    FillCodePositions();
    FillRows();
    Filling = false;
}

void TLookupTableDB::CodePositionChanged()
{
    Filling = true;
    Current.CodePosition = std::max(VariableLB->currentRow(), 0);
    ResetRows(Current);
    FillRows();
    Filling = false;
}

bool TLookupTableDB::StoreShown()
{
    TLookupFields f = Current;
    f.Description = TypedText(NameEB->text(), std::string::npos, true);
    f.Parameter = Choice(ParameterLB->currentRow(), Current.Parameter);
    f.ClassKind = Choice(ClassRG->checkedId(), Current.ClassKind);
    f.ApplyOtherwise = Choice(ApplyRG->checkedId(), Current.ApplyOtherwise);
    f.Otherwise = TypedText(OtherwiseEB->text());
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        const size_t k = size_t(r);
        f.Values[k] = TypedText(ValueEBs[k]->text());
        const std::string bottom = TypedText(BottomCBs[k]->currentText());
        const std::string top = TypedText(TopCBs[k]->currentText());
        f.Bottom[k] = bottom.empty() ? ' ' : bottom[0];
        f.Top[k] = top.empty() ? ' ' : top[0];
    }
    MarkBad(OtherwiseEB, false);
    for (int r = 1; r <= CalcLookupRowCount; ++r) MarkBad(ValueEBs[size_t(r)], false);
    std::vector<int> bad;
    if (!StoreLookupFields(f, Tables[size_t(Shown)], bad)) {
        for (int r : bad) MarkBad(r == 0 ? OtherwiseEB : ValueEBs[size_t(r)], true);
        return false;
    }
    Current = LookupFields(Tables[size_t(Shown)]);
    return true;
}

void TLookupTableDB::accept()
{
    if (!StoreShown()) {
        QApplication::beep();
        return;
    }
    Program.LookupTables = Tables;
    QDialog::accept();
}

// ---------------------------------------------------------------- parameter sets

TParameterSetDB::TParameterSetDB(TSchemaContext& Context, TCalcProgram& AProgram, bool APolygonOwner, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Program(AProgram), PolygonOwner(APolygonOwner)
{
    setObjectName(PolygonOwner ? "PolygonParametersDB" : "LinkEndsDB");
    setWindowTitle(PolygonOwner ? "Polygon Owner Parameters" : "Link Ends Parameters");
    Sets = PolygonOwner ? Program.PolygonOwnerSets : Program.LinkEndsSets;
    SetSE = new QSpinBox(this);
    SetSE->setObjectName("SetSE");
    SetSE->setRange(1, CalcSetCount);
    auto typeBox = [this](const char* name, int kind) {
        auto* b = new QComboBox(this);
        b->setObjectName(name);
        std::vector<std::string> items = ClassItems(*Ctx.Net, kind);
        items.insert(items.begin(), MessageText(72));
        Fill(b, items, 0);
        return b;
    };
    FirstTypeCB = typeBox(PolygonOwner ? "VertexCB" : "LinkTypeCB", PolygonOwner ? CalcKindNode : CalcKindLink);
    SecondTypeCB = typeBox(PolygonOwner ? "OwnerCB" : "NodeTypeCB", CalcKindNode);

    auto* form = new QFormLayout;
    form->addRow("Parameter Set:", SetSE);
    form->addRow(PolygonOwner ? "Vertex:" : "Link Type:", FirstTypeCB);
    form->addRow(PolygonOwner ? "Owner:" : "Node Type:", SecondTypeCB);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    const char* groups[2] = {"A End Parameter", "B End Parameter"};
    for (int e = 0; e < EndCount(); ++e) {
        auto* box = new QGroupBox(PolygonOwner ? "Owner Node Attribute/Variable/Parameter" : groups[e], this);
        const QString end = PolygonOwner ? QString() : QString(e == 0 ? "A" : "B");
        TEndControls& c = Ends[size_t(e)];
        c.Attribute = new QComboBox(box);
        c.Attribute->setObjectName(end + "AttributeCB");
        c.CodePosition = new QComboBox(box);
        c.CodePosition->setObjectName(end + "CodePositionCB");
        c.Parameter = new QComboBox(box);
        c.Parameter->setObjectName(end + "ParameterCB");
        for (int i = 0; i < ParameterItemCount; ++i) c.Parameter->addItem(QString::fromLatin1(ParameterItem(i)));
        auto* f = new QFormLayout(box);
        f->addRow("Attribute:", c.Attribute);
        f->addRow("Code Position:", c.CodePosition);
        f->addRow("Parameter:", c.Parameter);
        layout->addWidget(box);
        connect(c.Attribute, &QComboBox::currentIndexChanged, this, [this, e] {
            if (Filling) return;
            Filling = true;
            FillEnd(e, Ends[size_t(e)].Attribute->currentIndex(), 0);
            Filling = false;
        });
    }
    // Another node class: the ends' attributes and code positions start over.
    connect(SecondTypeCB, &QComboBox::currentIndexChanged, this, [this] {
        if (Filling) return;
        Filling = true;
        for (int e = 0; e < EndCount(); ++e) FillEnd(e, 0, 0);
        Filling = false;
    });
    connect(SetSE, &QSpinBox::valueChanged, this, [this](int v) {
        if (Filling || v == Shown) return;
        StoreShown();
        ShowSet(v);
    });
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
    ShowSet(1);
}

const TClassRecord* TParameterSetDB::NodeClassOfEnds() const
{
    return ClassOf(*Ctx.Net, CalcKindNode, SecondTypeCB->currentIndex());
}

void TParameterSetDB::FillEnd(int End, int Attribute, int CodePosition)
{
    TEndControls& c = Ends[size_t(End)];
    const TClassRecord* cls = NodeClassOfEnds();
    c.Attribute->blockSignals(true);
    Fill(c.Attribute, AttributeItems(cls), Attribute);
    c.Attribute->blockSignals(false);
    const TAttrib* a = cls && Attribute >= 1 && Attribute <= cls->AttributeCount ? cls->Attr(Attribute) : nullptr;
    Fill(c.CodePosition, CodePositionItems(a), CodePosition);
    c.CodePosition->setEnabled(a && a->Kind == 'C');
}

void TParameterSetDB::ShowSet(int Set)
{
    Shown = std::clamp(Set, 1, CalcSetCount);
    const TParameterSet& s = Sets[size_t(Shown)];
    Filling = true;
    SetSE->setValue(Shown);
    FirstTypeCB->setCurrentIndex(s[6] >= 0 && s[6] < FirstTypeCB->count() ? s[6] : -1);
    SecondTypeCB->setCurrentIndex(s[7] >= 0 && s[7] < SecondTypeCB->count() ? s[7] : -1);
    for (int e = 0; e < EndCount(); ++e) {
        FillEnd(e, s[size_t(2 + e)], s[size_t(4 + e)]);
        const int p = s[size_t(e)];
        Ends[size_t(e)].Parameter->setCurrentIndex(p >= 0 && p < ParameterItemCount ? p : -1);
    }
    Filling = false;
}

void TParameterSetDB::StoreShown()
{
    TParameterSet& s = Sets[size_t(Shown)];
    s[6] = Choice(FirstTypeCB->currentIndex(), s[6]);
    s[7] = Choice(SecondTypeCB->currentIndex(), s[7]);
    for (int e = 0; e < EndCount(); ++e) {
        const TEndControls& c = Ends[size_t(e)];
        s[size_t(e)] = Choice(c.Parameter->currentIndex(), s[size_t(e)]);
        s[size_t(2 + e)] = Choice(c.Attribute->currentIndex(), s[size_t(2 + e)]);
        if (c.Attribute->currentIndex() >= 0)
            s[size_t(4 + e)] = c.CodePosition->isEnabled() ? Choice(c.CodePosition->currentIndex(), s[size_t(4 + e)]) : 0;
    }
    if (PolygonOwner) s[1] = s[3] = s[5] = 0;
}

void TParameterSetDB::accept()
{
    StoreShown();
    (PolygonOwner ? Program.PolygonOwnerSets : Program.LinkEndsSets) = Sets;
    QDialog::accept();
}
