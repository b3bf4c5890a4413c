#include "display/WidthDialogs.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/expr/LabelChoices.h"
#include "core/file/TextFormat.h"
#include "core/file/TripTable.h"
#include "core/model/EntityClasses.h"
#include "core/model/Messages.h"
#include "display/DisplaySupport.h"
#include "display/LabelDialogs.h"
#include "platform/FileNames.h"
#include "schema/SchemaCommands.h"
#include "shell/RealEdit.h"
#include "shell/SketchPad.h"

namespace {

constexpr int TextNodeExpressions = 183;
constexpr int TextLinkExpressions = 184;

QButtonGroup* RadioGroup(QWidget* parent, QBoxLayout* into, const char* name, const char* title,
                         std::initializer_list<const char*> captions)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* v = new QVBoxLayout(box);
    auto* group = new QButtonGroup(parent);
    int i = 0;
    for (const char* c : captions) {
        auto* b = new QRadioButton(c, box);
        b->setObjectName(QString("%1Button%2").arg(name).arg(i));
        group->addButton(b, i++);
        v->addWidget(b);
    }
    into->addWidget(box);
    return group;
}

// The button of a stored value in a group of values; none when no button shows it.
template <size_t N>
void CheckStored(QButtonGroup* group, const std::array<uint8_t, N>& values, int32_t stored)
{
    for (size_t i = 0; i < N; ++i)
        if (values[i] == stored) group->button(int(i))->setChecked(true);
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption, bool on)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setChecked(on);
    return c;
}

} // namespace

// ---- "Width Expressions" ----

TWidthExpressionsDB::TWidthExpressionsDB(TSketchPadWindow& Pad, TWidthKind AKind, QWidget* Parent)
    : TShrinkForm(Parent), Kind(AKind), FPad(Pad)
{
    setObjectName("WidthExpressionsDB");
    const TWidthSettings& w = Pad.Settings.Widths;
    if (Kind == TWidthKind::Nodes) FClasses = Pad.Network->NodeClasses.get();
    if (Kind == TWidthKind::Links) FClasses = Pad.Network->LinkClasses.get();
    setWindowTitle(Kind == TWidthKind::Desire ? QString("Desire Line Expressions")
                                              : WindowsText(MessageText(Kind == TWidthKind::Nodes ? TextNodeExpressions
                                                                                                  : TextLinkExpressions)));
    auto* grid = new QGridLayout(this);
    for (int k = 1; k <= MaxClasses; ++k) {
        auto* label = new QLabel(this);
        label->setObjectName(QString("Label%1").arg(k));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString("Edit%1").arg(k));
        edit->setMaxLength(255);
        edit->setMinimumWidth(360);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        edit->installEventFilter(this);
        connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint& p) { ShowPopup(edit, p); });
        if (Kind == TWidthKind::Desire) {
            label->setText(k == 1 ? "Desire Line" : QString());
            edit->setText(k == 1 ? WindowsText(w.SystemExpression) : QString());
        } else {
            label->setText(WindowsText((*FClasses)[k].Name));
            const auto& e = Kind == TWidthKind::Nodes ? w.NodeSizeExpressions : w.LinkWidthExpressions;
            edit->setText(WindowsText(e[size_t(k)]));
        }
        Labels[size_t(k)] = label;
        Edits[size_t(k)] = edit;
        AddRowWidget(k, label);
        AddRowWidget(k, edit);
        grid->addWidget(label, k - 1, 0);
        grid->addWidget(edit, k - 1, 1);
    }
    LastEdit = Edits[1];
    auto* side = new QVBoxLayout;
    AddOkCancel(*this, side);
    side->addStretch();
    grid->addLayout(side, 0, 2, MaxClasses, 1);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu1");
    auto item = [this](const char* name, const char* caption, auto f) {
        QAction* a = PopupMenu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    item("UndoItem", "&Undo", [this] { LastEdit->undo(); });
    item("CutItem", "Cu&t", [this] { LastEdit->cut(); });
    item("PasteItem", "&Paste", [this] { LastEdit->paste(); });
    item("CopyItem", "&Copy", [this] { LastEdit->copy(); });
    item("SelectAllItem", "Select &All", [this] { LastEdit->selectAll(); });
    item("DeleteItem", "Delete", [this] { LastEdit->del(); });
    PopupMenu->addSeparator();
    item("AttributeItem", "&Attribute...", [this] { InsertAttribute(); });
    item("PropertyItem", "P&roperty...", [this] { InsertProperty(); });
    FallbackRowCount = MaxClasses;
    FindRows();
}

bool TWidthExpressionsDB::eventFilter(QObject* Watched, QEvent* Event)
{
    for (QLineEdit* e : Edits)
        if (e && Watched == e) {
            if (Event->type() == QEvent::FocusIn) LastEdit = e;
            if (Event->type() == QEvent::MouseButtonDblClick) {
                LastEdit = e;
                EditExpression(e);
                return true;
            }
        }
    return TShrinkForm::eventFilter(Watched, Event);
}

void TWidthExpressionsDB::ShowPopup(QLineEdit* Edit, const QPoint& At)
{
    LastEdit = Edit;
    const bool selection = Edit->hasSelectedText();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    auto find = [this](const char* name) { return PopupMenu->findChild<QAction*>(name); };
    find("UndoItem")->setEnabled(Edit->isUndoAvailable());
    find("CutItem")->setEnabled(selection);
    find("CopyItem")->setEnabled(selection);
    find("DeleteItem")->setEnabled(selection);
    find("PasteItem")->setEnabled(clip && clip->hasText());
    // The system has no built-in properties.
    find("PropertyItem")->setEnabled(Kind != TWidthKind::Desire);
    PopupMenu->popup(Edit->mapToGlobal(At));
}

void TWidthExpressionsDB::InsertAttribute()
{
    const int row = std::max(1, int(std::find(Edits.begin(), Edits.end(), LastEdit) - Edits.begin()));
    TSchemaContext ctx = SchemaContextOf(FPad);
    const TClassRecord& cls = FClasses ? (*FClasses)[row] : (*FPad.Network->SystemClass)[1];
    const int k = SelectAttribute(ctx, cls, this);
    if (k < 1) return;
    std::string name = PositionalAttributeName(k);
    // System attributes are S1..Sz in the desire-line expression.
    if (!FClasses) {
        if (k > 35) return;
        name[0] = 'S';
    }
    LastEdit->insert(QString::fromLatin1(name.c_str()));
    LastEdit->setFocus();
}

void TWidthExpressionsDB::InsertProperty()
{
    if (Kind == TWidthKind::Desire) return;
    TSchemaContext ctx = SchemaContextOf(FPad);
    const char code = SelectProperty(ctx, Kind == TWidthKind::Links, false, this);
    if (code == ' ') return;
    LastEdit->insert(QString(Kind == TWidthKind::Nodes ? 'n' : 'l') + QChar(code));
    LastEdit->setFocus();
}

void TWidthExpressionsDB::EditExpression(QLineEdit* Edit)
{
    TSchemaContext ctx = SchemaContextOf(FPad);
    std::string text = WindowsBytes(Edit->text());
    if (!EditExpressionMemo(ctx, text, this)) return;
    Edit->setText(WindowsText(text));
}

bool TWidthExpressionsDB::Run()
{
    const int n = Kind == TWidthKind::Desire ? 1 : CountEntityTypes(*FClasses);
    PrepareShrunk(n, int(Kind), 3, nullptr);
    adjustSize();
    return RunDisplayDialog(FPad, *this) == QDialog::Accepted;
}

void TWidthExpressionsDB::Store(TWidthSettings& Widths) const
{
    auto text = [this](int k) {
        std::string s = WindowsBytes(Edits[size_t(k)]->text());
        if (s.size() > 255) s.resize(255);
        return s;
    };
    if (Kind == TWidthKind::Desire) {
        Widths.SystemExpression = text(1);
        return;
    }
    auto& e = Kind == TWidthKind::Nodes ? Widths.NodeSizeExpressions : Widths.LinkWidthExpressions;
    for (int k = 1; k <= MaxClasses; ++k) e[size_t(k)] = text(k);
}

// ---- "Node Intervals" / "Link Intervals" ----

TWidthIntervalsDB::TWidthIntervalsDB(TSketchPadWindow& Pad, bool ANodes, QWidget* Parent)
    : QDialog(Parent), Nodes(ANodes)
{
    setObjectName("WidthIntervalsDB");
    setWindowTitle(Nodes ? "Node Intervals" : "Link Intervals");
    const TWidthSettings& w = Pad.Settings.Widths;
    FTop = Nodes ? w.NodeTop : w.LinkTop;
    FBottom = Nodes ? w.NodeBottom : w.LinkBottom;
    const auto& sizes = Nodes ? w.NodeSizes : w.LinkWidths;
    const auto& legend = Nodes ? w.NodeLegend : w.LinkLegend;
    auto* v = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");
    for (int page = 0; page < 4; ++page) {
        auto* sheet = new QWidget(PageControl);
        sheet->setObjectName(QString("TabSheet%1").arg(page + 1));
        auto* grid = new QGridLayout(sheet);
        grid->addWidget(new QLabel("Bottom", sheet), 0, 1);
        grid->addWidget(new QLabel("Top", sheet), 0, 2);
        grid->addWidget(new QLabel(Nodes ? "Size" : "Width", sheet), 0, 3);
        for (int i = 1; i <= 10; ++i) {
            const int k = page * 10 + i;
            grid->addWidget(new QLabel(QString::number(k), sheet), i, 0);
            auto* bottom = new QLineEdit(QString::fromStdString(RealText(false, 15, FBottom[size_t(k)])), sheet);
            bottom->setObjectName(QString("BottomEdit%1").arg(k));
            auto* top = new QLineEdit(QString::fromStdString(RealText(false, 15, FTop[size_t(k)])), sheet);
            top->setObjectName(QString("TopEdit%1").arg(k));
            auto* width = new TStoredSpinBox(sheet, QString("WidthEdit%1").arg(k).toLatin1().constData(), 0, 250);
            width->SetStored(sizes[size_t(k)]);
            auto* shown = Check(sheet, QString("LegendCB%1").arg(k).toLatin1().constData(), "Legend",
                                legend[size_t(k)] != 0);
            BottomEdits[size_t(k)] = bottom;
            TopEdits[size_t(k)] = top;
            WidthEdits[size_t(k)] = width;
            LegendBoxes[size_t(k)] = shown;
            grid->addWidget(bottom, i, 1);
            grid->addWidget(top, i, 2);
            grid->addWidget(width, i, 3);
            grid->addWidget(shown, i, 4);
        }
        PageControl->addTab(sheet, QString("%1-%2").arg(page * 10 + 1).arg(page * 10 + 10));
    }
    v->addWidget(PageControl);
    auto* row = new QHBoxLayout;
    NominalButton = NamedButton(this, "NominalButton", "&Nominal");
    row->addWidget(NominalButton);
    row->addStretch();
    AddOkCancel(*this, row, "OKButton", "CancelButton", &OKButton);
    connect(NominalButton, &QPushButton::clicked, this, &TWidthIntervalsDB::NominalClick);
    v->addLayout(row);
}

void TWidthIntervalsDB::NominalClick()
{
    for (int k = 1; k <= MaxWidthIntervals; ++k) WidthEdits[size_t(k)]->setValue(k);
}

void TWidthIntervalsDB::accept()
{
    int firstBad = 0;
    for (int k = 1; k <= MaxWidthIntervals; ++k) {
        struct {
            QLineEdit* Edit;
            double* Value;
        } bounds[2] = {{BottomEdits[size_t(k)], &FBottom[size_t(k)]}, {TopEdits[size_t(k)], &FTop[size_t(k)]}};
        for (auto& b : bounds) {
            double v = 0;
            const bool ok = ParseRealText(WindowsBytes(b.Edit->text()), v);
            SetRed(b.Edit, !ok);
            if (ok)
                *b.Value = v;
            else if (!firstBad)
                firstBad = k;
        }
    }
    if (firstBad) {
        PageControl->setCurrentIndex((firstBad - 1) / 10);
        return;
    }
    QDialog::accept();
}

void TWidthIntervalsDB::Store(TWidthSettings& w) const
{
    (Nodes ? w.NodeTop : w.LinkTop) = FTop;
    (Nodes ? w.NodeBottom : w.LinkBottom) = FBottom;
    auto& sizes = Nodes ? w.NodeSizes : w.LinkWidths;
    auto& legend = Nodes ? w.NodeLegend : w.LinkLegend;
    for (int k = 1; k <= MaxWidthIntervals; ++k) {
        sizes[size_t(k)] = WidthEdits[size_t(k)]->Stored();
        legend[size_t(k)] = LegendBoxes[size_t(k)]->isChecked() ? 1 : 0;
    }
}

// ---- "Width Status" ----

TWidthStatusDB::TWidthStatusDB(TSketchPadWindow& Pad, QWidget* Parent) : QDialog(Parent), FPad(Pad)
{
    setObjectName("WidthStatusDB");
    setWindowTitle("Width Status");
    const TWidthSettings& w = Pad.Settings.Widths;
    const TDisplaySettings& d = Pad.Settings.Display;
    DesireTables = Pad.Settings.DesireTables;
    NodeLegendFont = w.NodeLegendFont;
    LinkLegendFont = w.LinkLegendFont;

    auto* v = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");

    // Options
    auto* options = new QWidget(PageControl);
    options->setObjectName("TabSheet1");
    auto* ov = new QVBoxLayout(options);
    auto* groups = new QHBoxLayout;
    RadioGroup1 = RadioGroup(options, groups, "RadioGroup1", "Nodes",
                             {"None", "Size:Color:::", "Color:Size", "Polygon:Size:Color"});
    RadioGroup2 = RadioGroup(options, groups, "RadioGroup2", "Links",
                             {"None", "Width:Width:Color", "Color:Width", "Arrow:Color"});
    // A mode no button shows checks none and is kept.
    CheckStored(RadioGroup1, NodeStyleModes, w.NodeStyleMode);
    CheckStored(RadioGroup2, LinkStyleModes, w.LinkStyleMode);
    ov->addLayout(groups);
    CheckBox1 = Check(options, "CheckBox1", "Show nodes not found", w.NodeShowNotFound != 0);
    CheckBox2 = Check(options, "CheckBox2", "Show links not found", w.LinkShowNotFound != 0);
    CheckBox3 = Check(options, "CheckBox3", "Primary width on right", d.PrimaryWidthOnRight != 0);
    for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3}) ov->addWidget(c);
    ov->addStretch();
    PageControl->addTab(options, "Options");

    // Legends
    auto* legends = new QWidget(PageControl);
    legends->setObjectName("TabSheet2");
    auto* lh = new QHBoxLayout(legends);
    auto legend = [&](bool nodes) {
        auto* box = new QGroupBox(nodes ? "Node Legend" : "Link Legend", legends);
        auto* form = new QFormLayout(box);
        const char* prefix = nodes ? "Node" : "Link";
        auto* x = new TStoredSpinBox(box, (std::string(prefix) + "XEdit").c_str(), -512000, 512000);
        auto* y = new TStoredSpinBox(box, (std::string(prefix) + "YEdit").c_str(), -512000, 512000);
        x->SetStored(nodes ? w.NodeLegendX : w.LinkLegendX);
        y->SetStored(nodes ? w.NodeLegendY : w.LinkLegendY);
        auto* font = new QLabel(box);
        font->setObjectName(QString(prefix) + "FontLabel");
        font->setToolTip("Double-click to change");
        font->setFrameShape(QFrame::Panel);
        font->setFrameShadow(QFrame::Sunken);
        font->installEventFilter(this);
        auto* drawBox = Check(box, (std::string(prefix) + "BoxCB").c_str(), "Draw box",
                              (nodes ? w.NodeDrawBox : w.LinkDrawBox) != 0);
        auto* bitmaps = NamedButton(box, (std::string(prefix) + "BitmapsButton").c_str(), "View Bitmaps");
        connect(bitmaps, &QPushButton::clicked, this, [this, nodes] { ViewBitmaps(nodes); });
        form->addRow("X:", x);
        form->addRow("Y:", y);
        form->addRow("Font:", font);
        form->addRow(drawBox);
        form->addRow(bitmaps);
        lh->addWidget(box);
        (nodes ? NodeXEdit : LinkXEdit) = x;
        (nodes ? NodeYEdit : LinkYEdit) = y;
        (nodes ? NodeFontLabel : LinkFontLabel) = font;
        (nodes ? NodeBoxCB : LinkBoxCB) = drawBox;
        (nodes ? NodeBitmapsButton : LinkBitmapsButton) = bitmaps;
    };
    legend(true);
    legend(false);
    ShowFonts();
    PageControl->addTab(legends, "Legends");

    // Desire
    auto* desire = new QWidget(PageControl);
    desire->setObjectName("TabSheet3");
    auto* dv = new QVBoxLayout(desire);
    auto* loadRow = new QHBoxLayout;
    LoadTableButton = NamedButton(desire, "LoadTableButton", "Load Table");
    ClearTableButton = NamedButton(desire, "ClearTableButton", "Clear Table");
    loadRow->addWidget(LoadTableButton);
    loadRow->addWidget(ClearTableButton);
    loadRow->addStretch();
    dv->addLayout(loadRow);
    StatusEdit = new QLineEdit(desire);
    StatusEdit->setObjectName("StatusEdit");
    StatusEdit->setReadOnly(true);
    StatusEdit->setMinimumWidth(380);
    dv->addWidget(StatusEdit);
    ShowDesireCB = Check(desire, "ShowDesireCB", "Show desire lines", d.ShowDesireLines != 0);
    dv->addWidget(ShowDesireCB);
    RadioGroup3 = RadioGroup(desire, dv, "RadioGroup3", "Placement", {"Center", "Right Side", "Left Side"});
    if (QAbstractButton* b = RadioGroup3->button(d.DesireLinePlacement)) b->setChecked(true);
    dv->addStretch();
    connect(LoadTableButton, &QPushButton::clicked, this, &TWidthStatusDB::LoadTableClick);
    connect(ClearTableButton, &QPushButton::clicked, this, &TWidthStatusDB::ClearTableClick);
    PageControl->addTab(desire, "Desire");

    v->addWidget(PageControl);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddOkCancel(*this, row);
    v->addLayout(row);
}

void TWidthStatusDB::ShowFonts()
{
    NodeFontLabel->setText(QString::fromStdString(FontSlotCaption(NodeLegendFont)));
    LinkFontLabel->setText(QString::fromStdString(FontSlotCaption(LinkLegendFont)));
}

bool TWidthStatusDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick && (Watched == NodeFontLabel || Watched == LinkFontLabel)) {
        ChooseLegendFont(Watched == NodeFontLabel);
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TWidthStatusDB::ChooseLegendFont(bool Nodes)
{
    if (ChooseLabelFont(FPad, this, FPad.Settings.Labels, Nodes ? NodeLegendFont : LinkLegendFont)) ShowFonts();
}

void TWidthStatusDB::ViewBitmaps(bool Nodes)
{
    int number = 1;
    ShowSymbolImages(FPad, this, Nodes, number);
}

void TWidthStatusDB::LoadTableClick()
{
    QString file;
    if (!ChooseFile(FPad, this, "OpenTableDialog", "Load Table", {"Trip Table (*.txt)", "All Files (*)"}, false, file))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TTripTableResult r = LoadTripTable(DiskName(file), *FPad.Network);
    QApplication::restoreOverrideCursor();
    StatusEdit->setText(WindowsText(r.Status));
    if (r.Ok) {
        DesireTables = r.Tables;
        ApplyDesireTables();
    }
}

void TWidthStatusDB::ClearTableClick()
{
    DesireTables.reset();
    StatusEdit->clear();
    ApplyDesireTables();
}

void TWidthStatusDB::ApplyDesireTables()
{
    // The tables are the window's at once, whether the dialog ends with OK or not.
    FPad.Settings.DesireTables = DesireTables;
    FPad.View.Saved = 0;
    RepaintWindow(FPad);
}

void TWidthStatusDB::Store(TWidthSettings& w, TDisplaySettings& d) const
{
    if (RadioGroup1->checkedId() >= 0) w.NodeStyleMode = NodeStyleModes[size_t(RadioGroup1->checkedId())];
    if (RadioGroup2->checkedId() >= 0) w.LinkStyleMode = LinkStyleModes[size_t(RadioGroup2->checkedId())];
    w.NodeShowNotFound = CheckBox1->isChecked() ? 1 : 0;
    w.LinkShowNotFound = CheckBox2->isChecked() ? 1 : 0;
    d.PrimaryWidthOnRight = CheckBox3->isChecked() ? 1 : 0;
    w.NodeLegendX = NodeXEdit->Stored();
    w.NodeLegendY = NodeYEdit->Stored();
    w.LinkLegendX = LinkXEdit->Stored();
    w.LinkLegendY = LinkYEdit->Stored();
    w.NodeLegendFont = NodeLegendFont;
    w.LinkLegendFont = LinkLegendFont;
    w.NodeDrawBox = NodeBoxCB->isChecked() ? 1 : 0;
    w.LinkDrawBox = LinkBoxCB->isChecked() ? 1 : 0;
    d.ShowDesireLines = ShowDesireCB->isChecked() ? 1 : 0;
    if (RadioGroup3->checkedId() >= 0) d.DesireLinePlacement = RadioGroup3->checkedId();
}
