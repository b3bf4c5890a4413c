#include "display/LabelDialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"
#include "core/model/StyleControls.h"
#include "display/DisplaySupport.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDraw.h"
#include "shell/SketchPad.h"

namespace {

int32_t ValidSlot(int32_t slot) { return slot >= 0 && slot < LabelFontSlotCount ? slot : 0; }

// A list of font slots, each item drawn in its slot's font and colour.
void FillFontList(QListWidget* list, const TLabelSettings& labels, int count)
{
    list->clear();
    for (int k = 0; k < count; ++k) {
        auto* item = new QListWidgetItem(WindowsText(labels.FontNames[size_t(k)]), list);
        const TWindowFont f = ApplyWindowFont(labels, k, true);
        item->setFont(f.Font);
        item->setForeground(f.Colour);
    }
}

// The list of a choice dialog over OK and Cancel; a double click is OK.
QListWidget* ChoiceList(QDialog& dialog)
{
    auto* v = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("ListBox1");
    list->setMinimumWidth(300);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    v->addWidget(list);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddOkCancel(dialog, row, "OK", "Cancel");
    v->addLayout(row);
    return list;
}

QLabel* RowLabel(QWidget* parent, const QString& name, int minWidth)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(minWidth);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

} // namespace

TWindowFont ApplyWindowFont(const TLabelSettings& labels, int32_t slot, bool withHeight)
{
    slot = ValidSlot(slot);
    const TLogFont& r = labels.FontRecords[size_t(slot)];
    TWindowFont w;
    w.Font.setFamily(WindowsText(r.FaceName));
    w.Font.setBold(r.Weight == 700);
    w.Font.setItalic(r.Italic != 0);
    w.Font.setUnderline(r.Underline != 0);
    w.Font.setStrikeOut(r.StrikeOut != 0);
    if (withHeight) {
        const int64_t h = std::min<int64_t>(std::llabs(int64_t(r.Height)), 1000);
        // A positive height is the cell height; the character is a little smaller.
        const double px = r.Height > 0 ? h * 0.8 : double(h);
        w.Font.setPixelSize(std::max(1, int(std::lround(px))));
    }
    w.Colour = QColor::fromRgb(ColorFromBgr(labels.FontColors[size_t(slot)]));
    return w;
}

void RecreateLabelFonts(TSketchPadWindow& pad) { RepaintWindow(pad); }

// ---- "Select Label" ----

TSelectLabelDB::TSelectLabelDB(const TClassRecord& Class, bool Nodes, int32_t Code, QWidget* Parent)
    : QDialog(Parent), FCode(Code), FAttributeCount(std::clamp(Class.AttributeCount, 0, MaxAttributes)), FNodes(Nodes)
{
    setObjectName("SelectLabelDB");
    setWindowTitle("Select Label");
    ListBox1 = ChoiceList(*this);
    for (const TLabelChoice& c : SelectLabelItems(Class, Nodes)) ListBox1->addItem(WindowsText(c.Text));
    ListBox1->setCurrentRow(LabelItemOfCode(Code, FAttributeCount, Nodes));
}

int32_t TSelectLabelDB::Code() const
{
    const int i = ListBox1->currentRow();
    return i < 0 ? FCode : LabelCodeOfItem(i, FAttributeCount, FNodes);
}

// ---- "Label Font" ----

TLabelFontDB::TLabelFontDB(const TLabelSettings& Labels, int32_t Slot, QWidget* Parent) : QDialog(Parent), FSlot(Slot)
{
    setObjectName("LabelFontDB");
    setWindowTitle("Label Font");
    ListBox1 = ChoiceList(*this);
    FillFontList(ListBox1, Labels, 11);
    ListBox1->setCurrentRow(Slot >= 0 && Slot <= 10 ? int(Slot) : -1);
}

int32_t TLabelFontDB::Slot() const
{
    const int i = ListBox1->currentRow();
    return i < 0 ? FSlot : i;
}

bool ChooseLabelFont(TSketchPadWindow& Pad, QWidget* Parent, const TLabelSettings& Labels, int32_t& Slot)
{
    TLabelFontDB d(Labels, Slot, Parent);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return false;
    Slot = d.Slot();
    return true;
}

// ---- "Entity Labels" ----

TEntityLabelsDB::TEntityLabelsDB(TSketchPadWindow& Pad, bool ANodes, QWidget* Parent)
    : TShrinkForm(Parent), Nodes(ANodes), FPad(Pad),
      FClasses(ANodes ? *Pad.Network->NodeClasses : *Pad.Network->LinkClasses)
{
    setObjectName("EntityLabelsDB");
    setWindowTitle("Entity Labels");
    const TLabelSettings& l = Pad.Settings.Labels;
    Codes = Nodes ? l.NodeLabelCodes : l.LinkLabelCodes;
    Fonts = Nodes ? l.NodeClassFont : l.LinkClassFont;

    auto* grid = new QGridLayout(this);
    auto* group = new QButtonGroup(this);
    grid->addWidget(new QLabel("First", this), 0, 1);
    grid->addWidget(new QLabel("Second", this), 0, 2);
    grid->addWidget(new QLabel("Font", this), 0, 3);
    for (int c = 1; c <= MaxClasses; ++c) {
        auto* b = new QRadioButton(WindowsText(FClasses[c].Name), this);
        b->setObjectName(QString("RadioButton%1").arg(c));
        group->addButton(b, c);
        RowButtons[size_t(c)] = b;
        grid->addWidget(b, c, 0);
        FirstLabels[size_t(c)] = RowLabel(this, QString("FirstLabel%1").arg(c), 110);
        SecondLabels[size_t(c)] = RowLabel(this, QString("SecondLabel%1").arg(c), 110);
        FontLabels[size_t(c)] = RowLabel(this, QString("FontLabel%1").arg(c), 30);
        int col = 1;
        for (QLabel* label : {FirstLabels[size_t(c)], SecondLabels[size_t(c)], FontLabels[size_t(c)]}) {
            label->installEventFilter(this);
            AddRowWidget(c, label);
            grid->addWidget(label, c, col++);
        }
        ShowRow(c);
    }
    RowButtons[1]->setChecked(true);

    auto* side = new QVBoxLayout;
    AddOkCancel(*this, side, "OKButton", "Button2");
    FirstButton = NamedButton(this, "Button1", "&First");
    SecondButton = NamedButton(this, "Button3", "&Second");
    FontButton = NamedButton(this, "Button4", "&Font");
    for (QPushButton* b : {FirstButton, SecondButton, FontButton}) side->addWidget(b);
    side->addStretch();
    connect(FirstButton, &QPushButton::clicked, this, [this] { ChooseLabel(1); });
    connect(SecondButton, &QPushButton::clicked, this, [this] { ChooseLabel(2); });
    connect(FontButton, &QPushButton::clicked, this, &TEntityLabelsDB::ChooseFont);
    grid->addLayout(side, 0, 4, MaxClasses + 1, 1);
    FindRows();
}

void TEntityLabelsDB::ShowRow(int Class)
{
    const TClassRecord& rec = FClasses[Class];
    const auto& codes = Codes[size_t(Class)];
    QLabel* lines[2] = {FirstLabels[size_t(Class)], SecondLabels[size_t(Class)]};
    for (int line = 1; line <= 2; ++line) {
        lines[line - 1]->setText(WindowsText(LabelCodeCaption(rec, codes[size_t(line)], Nodes)));
        lines[line - 1]->setToolTip(WindowsText(LabelCodeHint(rec, codes[size_t(line)])));
    }
    FontLabels[size_t(Class)]->setText(QString::fromStdString(FontSlotCaption(Fonts[size_t(Class)])));
}

int TEntityLabelsDB::SelectedClass() const { return std::max(1, CheckedRow()); }

bool TEntityLabelsDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick)
        for (int c = 1; c <= MaxClasses; ++c) {
            const int what = Watched == FirstLabels[size_t(c)]    ? 1
                             : Watched == SecondLabels[size_t(c)] ? 2
                             : Watched == FontLabels[size_t(c)]   ? 3
                                                                  : 0;
            if (!what) continue;
            RowButtons[size_t(c)]->setChecked(true);
            if (what == 3)
                ChooseFont();
            else
                ChooseLabel(what);
            return true;
        }
    return TShrinkForm::eventFilter(Watched, Event);
}

void TEntityLabelsDB::ChooseLabel(int Line)
{
    const int c = SelectedClass();
    int32_t& code = Codes[size_t(c)][size_t(Line)];
    TSelectLabelDB d(FClasses[c], Nodes, code, this);
    if (RunDisplayDialog(FPad, d) != QDialog::Accepted) return;
    code = d.Code();
    ShowRow(c);
}

void TEntityLabelsDB::ChooseFont()
{
    const int c = SelectedClass();
    if (ChooseLabelFont(FPad, this, FPad.Settings.Labels, Fonts[size_t(c)])) ShowRow(c);
}

bool TEntityLabelsDB::Run()
{
    PrepareShrunk(CountEntityTypes(FClasses), Nodes ? 0 : 1, 7, nullptr);
    adjustSize();
    return RunDisplayDialog(FPad, *this) == QDialog::Accepted;
}

void TEntityLabelsDB::Store(TLabelSettings& Labels) const
{
    (Nodes ? Labels.NodeLabelCodes : Labels.LinkLabelCodes) = Codes;
    (Nodes ? Labels.NodeClassFont : Labels.LinkClassFont) = Fonts;
    auto& labelled = Nodes ? Labels.NodeClassLabelled : Labels.LinkClassLabelled;
    for (int c = 1; c <= MaxClasses; ++c)
        labelled[size_t(c)] = Codes[size_t(c)][1] > 0 || Codes[size_t(c)][2] > 0 ? 1 : 0;
}

// ---- "Labels Format" ----

TLabelsFormatDB::TLabelsFormatDB(TSketchPadWindow& Pad, QWidget* Parent)
    : QDialog(Parent), FPad(Pad), FStored(Pad.Settings.Labels)
{
    setObjectName("LabelsFormatDB");
    setWindowTitle("Labels Format");
    const TLabelSettings& l = FStored;
    FontRecords = l.FontRecords;
    FontColors = l.FontColors;
    FontNames = l.FontNames;

    auto* h = new QHBoxLayout(this);
    auto* fonts = new QGroupBox("Font Styles", this);
    auto* fv = new QVBoxLayout(fonts);
    ListBox1 = new QListWidget(fonts);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setMinimumWidth(300);
    fv->addWidget(ListBox1);
    auto* fontRow = new QHBoxLayout;
    SetFontButton = NamedButton(fonts, "SetFontButton", "Set &Font");
    ColorButton = NamedButton(fonts, "ColorButton", "&Color");
    fontRow->addWidget(SetFontButton);
    fontRow->addWidget(ColorButton);
    fv->addLayout(fontRow);
    h->addWidget(fonts);
    for (int k = 0; k < LabelFontSlotCount; ++k) {
        ListBox1->addItem(QString());
        ShowSlot(k);
    }
    ListBox1->setCurrentRow(0);
    connect(SetFontButton, &QPushButton::clicked, this, &TLabelsFormatDB::SetFontClick);
    connect(ColorButton, &QPushButton::clicked, this, &TLabelsFormatDB::ColorClick);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    auto positions = [&](const char* name, int32_t stored) {
        auto* c = new QComboBox(this);
        c->setObjectName(name);
        for (const std::string& p : Pad.Main.LabelPositionNames) c->addItem(WindowsText(p));
        // A place no item names selects nothing and is kept.
        c->setCurrentIndex(stored >= 1 && stored <= c->count() ? int(stored) - 1 : -1);
        return c;
    };
    ComboBox1 = positions("ComboBox1", l.NodePosition);
    ComboBox2 = positions("ComboBox2", l.LinkPosition);
    SpinEdit1 = new TStoredSpinBox(this, "SpinEdit1", 1, 30);
    SpinEdit2 = new TStoredSpinBox(this, "SpinEdit2", 1, 30);
    SpinEdit3 = new TStoredSpinBox(this, "SpinEdit3", 0, 15);
    SpinEdit1->SetStored(l.NodeLength);
    SpinEdit2->SetStored(l.LinkLength);
    SpinEdit3->SetStored(l.Precision);
    form->addRow("Node Position:", ComboBox1);
    form->addRow("Link Position:", ComboBox2);
    form->addRow("Node Length:", SpinEdit1);
    form->addRow("Link Length:", SpinEdit2);
    form->addRow("Real Number Precision:", SpinEdit3);
    right->addLayout(form);
    auto* location = new QGroupBox("First Link Label Location", this);
    location->setObjectName("RadioGroup1");
    auto* lv = new QVBoxLayout(location);
    RadioGroup1 = new QButtonGroup(this);
    const char* places[3] = {"On Top", "On Right", "On Left"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(places[i], location);
        b->setObjectName(QString("RadioGroup1Button%1").arg(i));
        RadioGroup1->addButton(b, i);
        lv->addWidget(b);
    }
    if (QAbstractButton* b = RadioGroup1->button(l.FirstLinkLabelLocation)) b->setChecked(true);
    right->addWidget(location);
    auto check = [&](const char* name, const char* caption, uint8_t on) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(name);
        c->setChecked(on != 0);
        right->addWidget(c);
        return c;
    };
    CheckBox1 = check("CheckBox1", "Opaque", l.Opaque);
    CheckBox2 = check("CheckBox2", "Rotate Labels", l.RotateLabels);
    CheckBox3 = check("CheckBox3", "Rounded #'s", l.RoundedNumbers);
    CheckBox4 = check("CheckBox4", "Suppress All", l.SuppressAll);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    AddOkCancel(*this, buttons, "OKButton", "CancelButton");
    right->addLayout(buttons);
    h->addLayout(right);
}

void TLabelsFormatDB::ShowSlot(int Slot)
{
    TLabelSettings shown;
    shown.FontRecords = FontRecords;
    shown.FontColors = FontColors;
    QListWidgetItem* item = ListBox1->item(Slot);
    if (!item) return;
    item->setText(WindowsText(FontNames[size_t(Slot)]));
    const TWindowFont f = ApplyWindowFont(shown, Slot, true);
    item->setFont(f.Font);
    item->setForeground(f.Colour);
}

void TLabelsFormatDB::SetFontClick()
{
    const int slot = ListBox1->currentRow();
    if (slot < 0 || slot >= LabelFontSlotCount) return;
    TLogFont& r = FontRecords[size_t(slot)];
    QFont initial(WindowsText(r.FaceName));
    initial.setPointSize(std::max(1, LabelFontPointSize(r.Height)));
    initial.setBold(r.Weight == 700);
    initial.setItalic(r.Italic != 0);
    initial.setUnderline(r.Underline != 0);
    initial.setStrikeOut(r.StrikeOut != 0);
    QFontDialog d(initial, this);
    d.setObjectName("FontDialog");
    d.setOption(QFontDialog::DontUseNativeDialog, true);
    if (RunDisplayDialog(FPad, d) != QDialog::Accepted) return;
    const QFont f = d.selectedFont();
    std::string face = WindowsBytes(f.family());
    if (face.size() > 32) face.resize(32);
    const double points = f.pointSizeF() > 0 ? f.pointSizeF() : double(LabelFontPointSize(r.Height));
    const bool bold = f.weight() >= QFont::Bold;
    r.FaceName = face;
    r.Height = LabelFontHeight(points);
    r.Weight = bold ? 700 : 400;
    r.Italic = f.italic() ? 1 : 0;
    r.Underline = f.underline() ? 1 : 0;
    r.StrikeOut = f.strikeOut() ? 1 : 0;
    FontNames[size_t(slot)] = LabelFontCaption(slot, face, int(std::lround(points)), f.italic(), bold);
    ShowSlot(slot);
}

void TLabelsFormatDB::ColorClick()
{
    const int slot = ListBox1->currentRow();
    if (slot < 0 || slot >= LabelFontSlotCount) return;
    // The chooser's custom colours are the window's palette; they are not changed here.
    std::array<int32_t, 26> colours = FPad.Settings.Display.Colors;
    int32_t colour = FontColors[size_t(slot)];
    if (!ChooseColor(FPad, this, colours, colour)) return;
    FontColors[size_t(slot)] = colour;
    ShowSlot(slot);
}

void TLabelsFormatDB::Store(TLabelSettings& Labels) const
{
    Labels.FontRecords = FontRecords;
    Labels.FontColors = FontColors;
    Labels.FontNames = FontNames;
    if (ComboBox1->currentIndex() >= 0) Labels.NodePosition = ComboBox1->currentIndex() + 1;
    if (ComboBox2->currentIndex() >= 0) Labels.LinkPosition = ComboBox2->currentIndex() + 1;
    Labels.NodeLength = SpinEdit1->Stored();
    Labels.LinkLength = SpinEdit2->Stored();
    Labels.Precision = SpinEdit3->Stored();
    if (RadioGroup1->checkedId() >= 0) Labels.FirstLinkLabelLocation = uint8_t(RadioGroup1->checkedId());
    Labels.Opaque = CheckBox1->isChecked() ? 1 : 0;
    Labels.RotateLabels = CheckBox2->isChecked() ? 1 : 0;
    Labels.RoundedNumbers = CheckBox3->isChecked() ? 1 : 0;
    Labels.SuppressAll = CheckBox4->isChecked() ? 1 : 0;
}
