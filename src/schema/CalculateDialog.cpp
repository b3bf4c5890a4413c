#include "schema/CalculateDialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/calc/CalcProgram.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "platform/FileNames.h"
#include "schema/CalcTableDialogs.h"
#include "schema/CalculateRun.h"
#include "schema/SchemaCommands.h"
#include "shell/FileDialog.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {


QToolButton* SpeedButton(QWidget* parent, const char* name, Qt::ArrowType arrow, const char* text, const char* hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    if (arrow != Qt::NoArrow) b->setArrowType(arrow);
    else b->setText(QString::fromLatin1(text));
    b->setToolTip(QString::fromLatin1(hint));
    return b;
}

const char* const StageLabels[CalcStageCount + 1] = {"", "At the Start", "Before Nodes and Links",
                                                     "After Nodes, Before Links", "After Node and Links",
                                                     "At the End"};

const char* const ProgramFilters = "ZOK program files (*.pgm);;All files (*)";

} // namespace

// ---------------------------------------------------------------- attribute picker

TCalculateAttributesDB::TCalculateAttributesDB(const TNetwork& Net, bool Links, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("CalculateAttributesDB");
    setWindowTitle("Entity Types and Attibutes");
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    const TEntityClass& classes = Links ? *Net.LinkClasses : *Net.NodeClasses;
    for (int c = 1; c <= CountEntityTypes(classes); ++c) {
        auto* item = new QTreeWidgetItem(TreeView1, QStringList(ShowText(classes[c].Name)));
        item->setData(0, Qt::UserRole, 0);
        for (int k = 1; k <= std::clamp(classes[c].AttributeCount, 0, MaxAttributes); ++k) {
            const TAttrib* a = classes[c].Attr(k);
            auto* child = new QTreeWidgetItem(item, QStringList(ShowText(PositionalAttributeName(k) + "  " +
                                                                         (a ? a->Name : std::string()))));
            child->setData(0, Qt::UserRole, k);
        }
    }
    TreeView1->expandAll();
    OKBtn = NamedButton(this, "OKBtn", "OK");
    CancelBtn = NamedButton(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->data(0, Qt::UserRole).toInt() > 0) accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
}

int TCalculateAttributesDB::Picked() const
{
    const QTreeWidgetItem* item = TreeView1->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

int PickCalculateAttribute(TSchemaContext& Ctx, bool Links, QWidget* Parent)
{
    TCalculateAttributesDB d(*Ctx.Net, Links, Parent);
    if (Ctx.Exec(d) != QDialog::Accepted) return 0;
    return d.Picked();
}

// ---------------------------------------------------------------- editor

TCalculateDB::TCalculateDB(TSchemaContext& Context, TSketchPadWindow& APad, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Pad(APad)
{
    setObjectName("CalculateDB");
    setWindowTitle("Calculate");
    const TNetwork& net = *Ctx.Net;
    NodeCount = CountEntityTypes(*net.NodeClasses);
    LinkCount = CountEntityTypes(*net.LinkClasses);

    Body = new QWidget(this);
    Body->setObjectName("Body");
    PageControl1 = new QTabWidget(Body);
    PageControl1->setObjectName("PageControl1");

    // Relations
    RelationsTab = new QWidget;
    RelationsTab->setObjectName("RelationsTab");
    auto* relations = new QGridLayout(RelationsTab);
    for (int i = 1; i <= CalcLineCount; ++i) {
        auto* label = new QLabel(QString::number(i), RelationsTab);
        auto* e = new QLineEdit(RelationsTab);
        e->setObjectName(QString("Edit%1").arg(i));
        e->setMaxLength(CalcLineLength);
        e->setMinimumWidth(520);
        e->setProperty("line", i);
        e->setContextMenuPolicy(Qt::DefaultContextMenu);
        e->installEventFilter(this);
        Edits[size_t(i)] = e;
        relations->addWidget(label, i - 1, 0);
        relations->addWidget(e, i - 1, 1);
    }
    UpButton = SpeedButton(RelationsTab, "UpButton", Qt::UpArrow, "", "Move line up");
    DownButton = SpeedButton(RelationsTab, "DownButton", Qt::DownArrow, "", "Move line down");
    ClearButton = SpeedButton(RelationsTab, "ClearButton", Qt::NoArrow, "Clear", "Clear the program");
    auto* speed = new QHBoxLayout;
    speed->addWidget(UpButton);
    speed->addWidget(DownButton);
    speed->addStretch();
    speed->addWidget(ClearButton);
    relations->addLayout(speed, CalcLineCount, 0, 1, 2);
    PageControl1->addTab(RelationsTab, "Relations");

    // Node Lines, Link Lines, System Lines
    auto rowsTab = [&](int kind, const char* name, int count) {
        auto* tab = new QWidget;
        tab->setObjectName(name);
        auto* grid = new QGridLayout(tab);
        grid->addWidget(new QLabel("Begin", tab), 0, 1);
        grid->addWidget(new QLabel("End", tab), 0, 2);
        grid->addWidget(new QLabel("Parameters", tab), 0, 3);
        const char* prefix = kind == CalcKindNode ? "Node" : kind == CalcKindLink ? "Link" : "System";
        const TEntityClass* classes = kind == CalcKindNode ? net.NodeClasses.get()
                                      : kind == CalcKindLink ? net.LinkClasses.get()
                                                             : nullptr;
        const int rows = kind == CalcKindSystem ? CalcStageCount : CalcLineCount;
        for (int i = 1; i <= rows; ++i) {
            TRowControls& r = Rows[size_t(kind)][size_t(i)];
            r.Label = new QLabel(classes ? ShowText((*classes)[i].Name) : QString::fromLatin1(StageLabels[i]), tab);
            r.Label->setObjectName(QString("%1Label%2").arg(prefix).arg(i));
            r.Begin = new QSpinBox(tab);
            r.Begin->setObjectName(QString("%1Begin%2").arg(prefix).arg(i));
            r.End = new QSpinBox(tab);
            r.End->setObjectName(QString("%1End%2").arg(prefix).arg(i));
            for (QSpinBox* s : {r.Begin, r.End}) s->setRange(0, CalcLineCount);
            r.Parameters = new QLineEdit(tab);
            r.Parameters->setObjectName(QString("%1Parameters%2").arg(prefix).arg(i));
            r.Parameters->setMaxLength(CalcParameterLength);
            grid->addWidget(r.Label, i, 0);
            grid->addWidget(r.Begin, i, 1);
            grid->addWidget(r.End, i, 2);
            grid->addWidget(r.Parameters, i, 3);
            const bool shown = i <= count;
            for (QWidget* w : {static_cast<QWidget*>(r.Label), static_cast<QWidget*>(r.Begin),
                               static_cast<QWidget*>(r.End), static_cast<QWidget*>(r.Parameters)})
                w->setVisible(shown);
        }
        grid->setRowStretch(rows + 1, 1);
        return tab;
    };
    NodeLinesTab = rowsTab(CalcKindNode, "NodeLinesTab", NodeCount);
    LinkLinesTab = rowsTab(CalcKindLink, "LinkLinesTab", LinkCount);
    SystemLinesTab = rowsTab(CalcKindSystem, "SystemLinesTab", CalcStageCount);
    PageControl1->addTab(NodeLinesTab, "Node Lines");
    PageControl1->addTab(LinkLinesTab, "Link Lines");
    PageControl1->addTab(SystemLinesTab, "System Lines");
    PageControl1->setTabVisible(1, NodeCount > 0);
    PageControl1->setTabVisible(2, LinkCount > 0);
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { UpdateLineButtons(); });

    FileNameEB = new QLineEdit(Body);
    FileNameEB->setObjectName("FileNameEB");
    FileNameEB->setReadOnly(true);

    CloseButton = NamedButton(Body, "CloseButton", "&Close");
    OpenButton = NamedButton(Body, "OpenButton", "&Open", "Read program file from disk");
    SaveButton = NamedButton(Body, "SaveButton", "&Save", "Write program file to disk");
    LookupButton = NamedButton(Body, "LookupButton", "&Lookup", "Lookup table for categorical variables");
    LinkEndsButton = NamedButton(Body, "LinkEndsButton", "Link &Ends", "Set parameters on links from ending nodes");
    PolyOwnerButton = NamedButton(Body, "PolyOwnerButton", "&Poly Owner", "Set parameters on vertices from owner nodes");
    Button9 = NamedButton(Body, "Button9", "&Start", "Start calculations");
    VariablesButton = NamedButton(Body, "VariablesButton", "&Variables", "Define and see network-wide variables");
    LinkEndsButton->setEnabled(NodeCount > 0 && LinkCount > 0);
    PolyOwnerButton->setEnabled(NodeCount > 0);
    LookupButton->setEnabled(NodeCount > 0 || LinkCount > 0);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(OpenButton, &QPushButton::clicked, this, &TCalculateDB::OpenClick);
    connect(SaveButton, &QPushButton::clicked, this, &TCalculateDB::SaveClick);
    connect(LookupButton, &QPushButton::clicked, this, &TCalculateDB::LookupClick);
    connect(LinkEndsButton, &QPushButton::clicked, this, &TCalculateDB::LinkEndsClick);
    connect(PolyOwnerButton, &QPushButton::clicked, this, &TCalculateDB::PolyOwnerClick);
    connect(Button9, &QPushButton::clicked, this, &TCalculateDB::Button9Click);
    connect(VariablesButton, &QPushButton::clicked, this, &TCalculateDB::VariablesClick);
    connect(UpButton, &QToolButton::clicked, this, [this] { MoveLine(true); });
    connect(DownButton, &QToolButton::clicked, this, [this] { MoveLine(false); });
    connect(ClearButton, &QToolButton::clicked, this, &TCalculateDB::ClearClick);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu1");
    auto item = [this](const char* name, const char* caption, auto f) {
        QAction* a = PopupMenu->addAction(QString::fromLatin1(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    auto edit = [this] { return Edits[size_t(FocusedLine)]; };
    UndoItem = item("Undo1", "&Undo", [edit] { edit()->undo(); });
    CutItem = item("Cut1", "Cu&t", [edit] { edit()->cut(); });
    PasteItem = item("Paste1", "&Paste", [edit] { edit()->paste(); });
    CopyItem = item("Copy1", "&Copy", [edit] { edit()->copy(); });
    DeleteItem = item("Delete1", "&Delete", [edit] { edit()->del(); });
    SelectAllItem = item("SelectAll1", "Select &All", [edit] { edit()->selectAll(); });
    PopupMenu->addSeparator();
    NodeAttributesItem = item("NodeAttributes1", "Node Attributes...", [this] { InsertAttribute(false); });
    LinkAttributesItem = item("LinkAttributes1", "Link Attributes...", [this] { InsertAttribute(true); });
    NodePropertiesItem = item("NodeProperties1", "Node Properties...", [this] { InsertProperty(false); });
    LinkPropertiesItem = item("LinkProperties1", "Link Properties...", [this] { InsertProperty(true); });

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("Last File Name:", Body));
    fileRow->addWidget(FileNameEB);
    auto* buttons = new QGridLayout;
    QPushButton* order[8] = {CloseButton, OpenButton,      SaveButton, LookupButton,
                             LinkEndsButton, PolyOwnerButton, Button9,    VariablesButton};
    for (int i = 0; i < 8; ++i) buttons->addWidget(order[i], i / 4, i % 4);
    auto* body = new QVBoxLayout(Body);
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(PageControl1);
    body->addLayout(fileRow);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Body);

    ShowProgram();
    UpdateLineButtons();
}

TCalcProgram& TCalculateDB::Program() { return Pad.View.CalcProgram; }

bool TCalculateDB::Running() const { return CalculateRunning(Pad); }

bool TCalculateDB::RefuseWhileRunning()
{
    if (!Running()) return false;
    if (Ctx.Boxes) ShowMessageBox(*Ctx.Boxes, 242, 218, MB_STOP_OK);
    return true;
}

void TCalculateDB::ShowFileName()
{
    FileNameEB->setText(QFileInfo(ShownName(Program().ProgramFile)).fileName());
}

void TCalculateDB::ShowProgram()
{
    const TCalcDialogFields f = ProgramFields(Program(), NodeCount, LinkCount);
    for (int i = 1; i <= CalcLineCount; ++i) Edits[size_t(i)]->setText(ShowText(f.Lines[size_t(i)]));
    for (int kind = CalcKindNode; kind <= CalcKindSystem; ++kind)
        for (int i = 1; i <= CalcLineCount; ++i) {
            const TRowControls& r = Rows[size_t(kind)][size_t(i)];
            if (!r.Begin) continue;
            const TCalcLineRow& row = f.Rows[size_t(kind)][size_t(i)];
            r.Begin->setValue(row.Begin);
            r.End->setValue(row.End);
            r.Parameters->setText(ShowText(row.Parameters));
        }
    ShowFileName();
}

TCalcDialogFields TCalculateDB::Fields() const
{
    TCalcDialogFields f;
    f.NodeRows = NodeCount;
    f.LinkRows = LinkCount;
    for (int i = 1; i <= CalcLineCount; ++i) f.Lines[size_t(i)] = TypedText(Edits[size_t(i)]->text(), std::string::npos, true);
    for (int kind = CalcKindNode; kind <= CalcKindSystem; ++kind)
        for (int i = 1; i <= CalcLineCount; ++i) {
            const TRowControls& r = Rows[size_t(kind)][size_t(i)];
            if (!r.Begin) continue;
            TCalcLineRow& row = f.Rows[size_t(kind)][size_t(i)];
            row.Begin = r.Begin->value();
            row.End = r.End->value();
            row.Parameters = TypedText(r.Parameters->text(), std::string::npos, true);
        }
    return f;
}

void TCalculateDB::StoreProgram() { StoreProgramFields(Fields(), Program()); }

void TCalculateDB::done(int Result)
{
    if (RefuseWhileRunning()) return;
    StoreProgram();
    QDialog::done(Result);
}

void TCalculateDB::closeEvent(QCloseEvent* Event)
{
    if (RefuseWhileRunning()) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TCalculateDB::OpenClick()
{
    if (RefuseWhileRunning()) return;
    QFileDialog d(this, "Open");
    d.setObjectName("OpenDialog1");
    d.setNameFilters(QString::fromLatin1(ProgramFilters).split(";;"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    if (Ctx.Exec(d) != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
    // A file that does not read leaves the program and the controls as they were.
    if (!OpenProgramFile(DiskName(d.selectedFiles().first()), Program(), Ctx.Boxes)) return;
    ShowProgram();
}

void TCalculateDB::SaveClick()
{
    if (Running()) return;
    StoreProgram();
    TFileDialog d(this, "Save", QString::fromLatin1(ProgramFilters).split(";;"));
    d.setObjectName("SaveDialog1");
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.SetDefaultExtension("pgm");
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!Program().ProgramFolder.empty()) d.setDirectory(ShownName(Program().ProgramFolder));
    if (Ctx.Exec(d) != QDialog::Accepted || d.ChosenFiles().isEmpty()) return;
    if (SaveProgramFile(DiskName(d.ChosenFiles().first()), Program(), Ctx.Boxes)) ShowFileName();
}

void TCalculateDB::Button9Click()
{
    // A second Start while a run goes on does nothing.
    if (Running()) return;
    StoreProgram();
    Body->setEnabled(false);
    RunWindowCalculation(Pad, Program());
    Body->setEnabled(true);
}

void TCalculateDB::ClearClick()
{
    if (RefuseWhileRunning()) return;
    Program().ResetCalculateProgram();
    ShowProgram();
}

void TCalculateDB::UpdateLineButtons()
{
    const bool relations = PageControl1->currentWidget() == RelationsTab;
    UpButton->setEnabled(relations);
    DownButton->setEnabled(relations);
}

void TCalculateDB::MoveLine(bool Up)
{
    if (Running() || PageControl1->currentWidget() != RelationsTab) return;
    std::array<std::string, CalcLineCount + 1> lines;
    for (int i = 1; i <= CalcLineCount; ++i) lines[size_t(i)] = TypedText(Edits[size_t(i)]->text(), std::string::npos, true);
    const int to = MoveRelationLine(lines, FocusedLine, Up);
    if (to == FocusedLine) return;
    for (int i : {FocusedLine, to}) Edits[size_t(i)]->setText(ShowText(lines[size_t(i)]));
    FocusedLine = to;
    Edits[size_t(to)]->setFocus();
}

void TCalculateDB::VariablesClick()
{
    if (Running()) return;
    TNetworkWideDB d(Ctx, Program(), this);
    Ctx.Exec(d);
}

void TCalculateDB::LookupClick()
{
    if (Running()) return;
    TLookupTableDB d(Ctx, Program(), this);
    Ctx.Exec(d);
}

void TCalculateDB::LinkEndsClick()
{
    if (Running()) return;
    TParameterSetDB d(Ctx, Program(), false, this);
    Ctx.Exec(d);
}

void TCalculateDB::PolyOwnerClick()
{
    if (Running()) return;
    TParameterSetDB d(Ctx, Program(), true, this);
    Ctx.Exec(d);
}

void TCalculateDB::UpdatePopup()
{
    QLineEdit* e = Edits[size_t(FocusedLine)];
    const bool selected = e->hasSelectedText();
    UndoItem->setEnabled(e->isUndoAvailable());
    CutItem->setEnabled(selected);
    CopyItem->setEnabled(selected);
    DeleteItem->setEnabled(selected);
    SelectAllItem->setEnabled(e->selectedText().size() != e->text().size());
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    PasteItem->setEnabled(clip && clip->hasText() && !clip->text().isEmpty());
    NodeAttributesItem->setEnabled(NodeCount > 0);
    LinkAttributesItem->setEnabled(LinkCount > 0);
    NodePropertiesItem->setEnabled(true);
    LinkPropertiesItem->setEnabled(true);
}

void TCalculateDB::InsertText(const std::string& Text)
{
    QLineEdit* e = Edits[size_t(FocusedLine)];
    std::string line = TypedText(e->text(), std::string::npos, true);
    int caret = e->cursorPosition();
    if (!InsertAtCaret(line, caret, Text)) {
        QApplication::beep();
        return;
    }
    e->setText(ShowText(line));
    e->setCursorPosition(caret);
    e->setFocus();
}

void TCalculateDB::InsertAttribute(bool Links)
{
    if (Running()) return;
    const int n = PickCalculateAttribute(Ctx, Links, this);
    if (n > 0) InsertText(CalcOperandName(n));
}

void TCalculateDB::InsertProperty(bool Links)
{
    if (Running()) return;
    const char c = SelectProperty(Ctx, Links, false, this);
    if (c != ' ') InsertText(std::string(1, Links ? 'l' : 'n') + c);
}

void TCalculateDB::EditLine(int Line)
{
    if (Running() || Line < 1 || Line > CalcLineCount) return;
    std::string text = TypedText(Edits[size_t(Line)]->text(), std::string::npos, true);
    if (!EditExpressionMemo(Ctx, text, this, "Edit Line " + std::to_string(Line))) return;
    Edits[size_t(Line)]->setText(ShowText(text));
}

bool TCalculateDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int line = Watched->property("line").toInt();
    if (line < 1 || line > CalcLineCount) return QDialog::eventFilter(Watched, Event);
    switch (Event->type()) {
    case QEvent::FocusIn:
        FocusedLine = line;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
        FocusedLine = line;
        UpdatePopup();
        break;
    case QEvent::MouseButtonDblClick:
        FocusedLine = line;
        EditLine(line);
        return true;
    case QEvent::ContextMenu:
        FocusedLine = line;
        UpdatePopup();
        PopupMenu->exec(static_cast<QContextMenuEvent*>(Event)->globalPos());
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(Watched, Event);
}

bool CalculateCommand(TSketchPadWindow& Pad)
{
    if (!Pad.Network || CalculateRunning(Pad)) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TCalculateDB d(ctx, Pad, &Pad);
    return ctx.Exec(d) == QDialog::Accepted;
}
