#include "tools/ExtractDialog.h"

#include <chrono>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/file/SettingsSections.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/tables/Extract.h"
#include "platform/HelpViewer.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "shell/FileDialog.h"
#include "shell/RealEdit.h"
#include "tools/ToolFiles.h"

namespace {

const char* const TableFilter = "Text files (*.txt)|*.txt|DBase files (*.dbf)|*.dbf|All files (*.*)|*.*";
const char* const FormatsFilter = "Extract/Update formats|*.xup|All files|*.*";
constexpr int MaxTemplate = 500;
constexpr int MaxShortText = 50;

std::string Cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void SetRed(QLineEdit* e, bool red)
{
    QPalette p = e->palette();
    p.setColor(QPalette::Text, red ? Qt::red : Qt::black);
    e->setPalette(p);
}

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

} // namespace

int SeparationRadioIndex(int code)
{
    static const int map[4] = {0, 2, 1, 3};
    return code >= 0 && code <= 3 ? map[code] : 0;
}

int SeparationCode(int radioIndex) { return SeparationRadioIndex(radioIndex); }

bool SameFormats(const TExtractFormats& a, const TExtractFormats& b)
{
    return a.NodeTemplates == b.NodeTemplates && a.LinkTemplates == b.LinkTemplates &&
           a.NameSearch == b.NameSearch && a.NameReplace == b.NameReplace &&
           a.NewNodesTemplate == b.NewNodesTemplate && a.NewLinksTemplate == b.NewLinksTemplate &&
           a.SeparationMode == b.SeparationMode && a.UpdateOldNew == b.UpdateOldNew &&
           a.FilterNodesWithoutLinks == b.FilterNodesWithoutLinks && a.XScale == b.XScale &&
           a.YScale == b.YScale && a.XTranslation == b.XTranslation && a.YTranslation == b.YTranslation &&
           a.AssumeNames == b.AssumeNames && a.OnlyNodesWithPolygons == b.OnlyNodesWithPolygons;
}

TExtractDB::TExtractDB(TNetwork& Net, TWindowSettings& Settings, const TViewRecord& View, QWidget* Parent)
    : TShrinkForm(Parent), FNet(Net), FSettings(Settings), FView(View)
{
    setObjectName("ExtractDB");
    setWindowTitle("Extract and Update");
    setProperty("HelpContext", HelpContext);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    auto page = [&](QWidget*& w, const char* name, const char* caption) {
        w = new QWidget;
        w->setObjectName(name);
        PageControl1->addTab(w, QString::fromLatin1(caption));
    };
    page(NodePage, "NodePage", "Node Formats");
    page(LinkPage, "LinkPage", "Link Formats");
    page(OptionsPage, "OptionsPage", "Options");
    page(NewPage, "NewPage", "New Elements");
    page(TransformPage, "TransformPage", "Transform");

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto item = [&](QAction*& a, const char* name, const char* caption) {
        a = PopupMenu1->addAction(QString::fromLatin1(caption));
        a->setObjectName(name);
    };
    item(Undo1, "Undo1", "&Undo");
    item(Cut1, "Cut1", "Cu&t");
    item(Paste1, "Paste1", "&Paste");
    item(Copy1, "Copy1", "&Copy");
    item(Delete1, "Delete1", "&Delete");
    item(SelectAll1, "SelectAll1", "Select &All");
    PopupMenu1->addSeparator();
    item(Attributes1, "Attributes1", "Attributes...");
    item(NodeProperties1, "NodeProperties1", "Node Properties...");
    item(LinkProperties1, "LinkProperties1", "Link Properties...");
    item(OtherItems1, "OtherItems1", "Other Items...");
    auto current = [this] { return FCurrentRow >= 1 ? Edits[size_t(FCurrentRow)] : nullptr; };
    connect(Undo1, &QAction::triggered, this, [current] { if (auto* e = current()) e->undo(); });
    connect(Cut1, &QAction::triggered, this, [current] { if (auto* e = current()) e->cut(); });
    connect(Paste1, &QAction::triggered, this, [current] { if (auto* e = current()) e->paste(); });
    connect(Copy1, &QAction::triggered, this, [current] { if (auto* e = current()) e->copy(); });
    connect(Delete1, &QAction::triggered, this, [current] { if (auto* e = current()) e->del(); });
    connect(SelectAll1, &QAction::triggered, this, [current] { if (auto* e = current()) e->selectAll(); });
    connect(Attributes1, &QAction::triggered, this, [this] { ChooseAttribute(); });
    connect(NodeProperties1, &QAction::triggered, this, [this] { ChooseProperty(TPropertyList::NodeProperties); });
    connect(LinkProperties1, &QAction::triggered, this, [this] { ChooseProperty(TPropertyList::LinkProperties); });
    connect(OtherItems1, &QAction::triggered, this, [this] { ChooseProperty(TPropertyList::OtherItems); });

    for (QWidget* p : {NodePage, LinkPage}) {
        auto* grid = new QGridLayout(p);
        const int first = p == NodePage ? 1 : 11;
        for (int r = 0; r < 10; ++r) {
            const int n = first + r;
            Labels[size_t(n)] = new QLabel(p);
            Labels[size_t(n)]->setObjectName(QString("Label%1").arg(n));
            Edits[size_t(n)] = Edit(p, QString("Edit%1").arg(n).toLatin1().constData(), MaxTemplate);
            Edits[size_t(n)]->setMinimumWidth(420);
            Edits[size_t(n)]->setContextMenuPolicy(Qt::DefaultContextMenu);
            Edits[size_t(n)]->installEventFilter(this);
            grid->addWidget(Labels[size_t(n)], r, 0);
            grid->addWidget(Edits[size_t(n)], r, 1);
        }
        grid->setRowStretch(10, 1);
    }

    // Options
    auto* options = new QVBoxLayout(OptionsPage);
    RadioGroup1 = new QGroupBox("Data Field Separation", OptionsPage);
    RadioGroup1->setObjectName("RadioGroup1");
    Separation = new QButtonGroup(this);
    auto* sepRow = new QHBoxLayout(RadioGroup1);
    int id = 0;
    for (const char* caption : {"Columnar", "Tabs", "Commas", "dBase"}) {
        auto* b = new QRadioButton(QString::fromLatin1(caption), RadioGroup1);
        Separation->addButton(b, id++);
        sepRow->addWidget(b);
    }
    options->addWidget(RadioGroup1);
    auto* names = new QGridLayout;
    SearchEB = Edit(OptionsPage, "SearchEB", MaxShortText);
    ReplaceEB = Edit(OptionsPage, "ReplaceEB", MaxShortText);
    names->addWidget(new QLabel("Name Search:", OptionsPage), 0, 0);
    names->addWidget(SearchEB, 0, 1);
    names->addWidget(new QLabel("Name Replace:", OptionsPage), 1, 0);
    names->addWidget(ReplaceEB, 1, 1);
    options->addLayout(names);
    auto check = [&](QCheckBox*& c, const char* name, const char* caption) {
        c = new QCheckBox(QString::fromLatin1(caption), OptionsPage);
        c->setObjectName(name);
        options->addWidget(c);
    };
    check(AssumeNamesCB, "AssumeNamesCB", "Update Assume Names (Nxxx, Lxxx)");
    check(OnlyPolygonsCB, "OnlyPolygonsCB", "Extract Only Nodes with Polygons");
    check(FilterCB, "FilterCB", "Filter-out nodes with no attached links");
    RadioGroup2 = new QGroupBox("Update Old/New", OptionsPage);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setToolTip("Input file may contain new nodes or new links, but not both.");
    OldNew = new QButtonGroup(this);
    auto* oldNewRow = new QHBoxLayout(RadioGroup2);
    id = 0;
    for (const char* caption : {"Old Links/Nodes", "New Nodes", "New Links"}) {
        auto* b = new QRadioButton(QString::fromLatin1(caption), RadioGroup2);
        OldNew->addButton(b, id++);
        oldNewRow->addWidget(b);
    }
    options->addWidget(RadioGroup2);
    options->addStretch(1);

    // New elements
    auto* fresh = new QGridLayout(NewPage);
    NewNodesEB = Edit(NewPage, "NewNodesEB", MaxShortText);
    NewNodesEB->setToolTip("Must contain an B, an  X and a Y");
    NewLinksEB = Edit(NewPage, "NewLinksEB", MaxShortText);
    NewLinksEB->setToolTip("Must contain a P and a Q");
    fresh->addWidget(new QLabel("New Nodes:", NewPage), 0, 0);
    fresh->addWidget(NewNodesEB, 0, 1);
    fresh->addWidget(new QLabel("New Links:", NewPage), 1, 0);
    fresh->addWidget(NewLinksEB, 1, 1);
    fresh->setRowStretch(2, 1);

    // Transform
    auto* transform = new QVBoxLayout(TransformPage);
    auto pair = [&](const char* title, trealedit*& x, const char* xName, const char* xHint, trealedit*& y,
                    const char* yName, const char* yHint) {
        auto* g = new QGroupBox(QString::fromLatin1(title), TransformPage);
        auto* grid = new QGridLayout(g);
        x = new trealedit(g);
        x->setObjectName(xName);
        x->setToolTip(QString::fromLatin1(xHint));
        y = new trealedit(g);
        y->setObjectName(yName);
        y->setToolTip(QString::fromLatin1(yHint));
        grid->addWidget(new QLabel("X:", g), 0, 0);
        grid->addWidget(x, 0, 1);
        grid->addWidget(new QLabel("Y:", g), 1, 0);
        grid->addWidget(y, 1, 1);
        transform->addWidget(g);
    };
    pair("Update Scale", XScaleEB, "XScaleEB", "Applied after X translation", YScaleEB, "YScaleEB",
         "Applied after Y translation");
    pair("Update Translation", XTranslateEB, "XTranslateEB", "Source units, prior to X scaling", YTranslateEB,
         "YTranslateEB", "Source units, prior to Y scaling");
    transform->addStretch(1);

    // Buttons
    auto* buttons = new QHBoxLayout;
    auto button = [&](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    };
    button(BitBtn1, "BitBtn1", "OK");
    button(BitBtn2, "BitBtn2", "Cancel");
    button(BitBtn3, "BitBtn3", "&Clear");
    button(Button1, "Button1", "&Extract");
    button(Button2, "Button2", "&Update");
    button(Button3, "Button3", "&Open");
    button(Button4, "Button4", "&Save");
    button(HelpButton, "HelpButton", "Help");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(HelpButton, &QPushButton::clicked, this, [this] { Help(); });

    UpdateDB = MakeFileChooser(this, "UpdateDB", "Update", TableFilter, false, nullptr);
    ExtractDB = MakeFileChooser(this, "ExtractDB", "Extract", TableFilter, true, nullptr);
    OpenFormatsDialog =
        MakeFileChooser(this, "OpenFormatsDialog", "Open Extract/Update Formats", FormatsFilter, false, "xup");
    SaveFormatsDialog =
        MakeFileChooser(this, "SaveFormatsDialog", "Save Extract/Update Formats", FormatsFilter, true, "xup");

    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl1);
    main->addLayout(buttons);
    // The full form has ten rows a page; FormShow takes away those no class needs.
    adjustSize();
    FindRows();
    FallbackRowCount = 10;
    FallbackRowPitch = Edits[2]->sizeHint().height() + 6;
    FormShow();
}

void TExtractDB::showEvent(QShowEvent* Event)
{
    FormShow();
    TShrinkForm::showEvent(Event);
}

TExtractDB::~TExtractDB() = default;

TMessageSink& TExtractDB::Sink()
{
    if (Boxes) return *Boxes;
    if (!FOwnBoxes) FOwnBoxes = std::make_unique<TQtMessageBoxes>(this);
    return *FOwnBoxes;
}

void TExtractDB::FormShow()
{
    const TExtractFormats& x = FSettings.ExtractFormats;
    for (trealedit* e : {XScaleEB, YScaleEB, XTranslateEB, YTranslateEB}) SetRed(e, false);
    XScaleEB->SetValue(x.XScale);
    YScaleEB->SetValue(x.YScale);
    XTranslateEB->SetValue(x.XTranslation);
    YTranslateEB->SetValue(x.YTranslation);

    const int nodeCount = CountEntityTypes(*FNet.NodeClasses);
    const int linkCount = CountEntityTypes(*FNet.LinkClasses);
    PageControl1->setTabVisible(PageControl1->indexOf(NodePage), nodeCount > 0);
    PageControl1->setTabVisible(PageControl1->indexOf(LinkPage), linkCount > 0);
    PageControl1->setCurrentWidget(nodeCount > 0 ? NodePage : (linkCount > 0 ? LinkPage : OptionsPage));
    for (int c = 1; c <= MaxClasses; ++c) {
        const bool node = c <= nodeCount, link = c <= linkCount;
        Labels[size_t(c)]->setText(ShowText((*FNet.NodeClasses)[c].Name));
        Labels[size_t(c + 10)]->setText(ShowText((*FNet.LinkClasses)[c].Name));
        Edits[size_t(c)]->setText(node ? ShowText(x.NodeTemplates[size_t(c)]) : QString());
        Edits[size_t(c + 10)]->setText(link ? ShowText(x.LinkTemplates[size_t(c)]) : QString());
        for (QWidget* w : {static_cast<QWidget*>(Labels[size_t(c)]), static_cast<QWidget*>(Edits[size_t(c)])})
            w->setVisible(node);
        for (QWidget* w :
             {static_cast<QWidget*>(Labels[size_t(c + 10)]), static_cast<QWidget*>(Edits[size_t(c + 10)])})
            w->setVisible(link);
    }
    // The form loses the rows no class needs, down to three.
    PrepareShrunk(std::max(nodeCount, linkCount), 0, 3, nullptr);

    SearchEB->setText(ShowText(x.NameSearch));
    ReplaceEB->setText(ShowText(x.NameReplace));
    NewNodesEB->setText(ShowText(x.NewNodesTemplate));
    NewLinksEB->setText(ShowText(x.NewLinksTemplate));
    FStoredMode = x.SeparationMode;
    Separation->button(ForceDBase ? 3 : SeparationRadioIndex(x.SeparationMode))->setChecked(true);
    OldNew->button(x.UpdateOldNew >= 0 && x.UpdateOldNew <= 2 ? x.UpdateOldNew : 0)->setChecked(true);
    AssumeNamesCB->setChecked(x.AssumeNames != 0);
    FilterCB->setChecked(ShownFilter >= 0 ? ShownFilter != 0 : x.FilterNodesWithoutLinks != 0);
    FStoredPolygons = x.OnlyNodesWithPolygons;
    OnlyPolygonsCB->setChecked(ForceOnlyPolygons || x.OnlyNodesWithPolygons != 0);
}

TExtractFormats TExtractDB::ControlFormats() const
{
    TExtractFormats x = FSettings.ExtractFormats;
    double v = 0;
    if (ParseRealText(Bytes(XScaleEB->text()), v)) x.XScale = v;
    if (ParseRealText(Bytes(YScaleEB->text()), v)) x.YScale = v;
    if (ParseRealText(Bytes(XTranslateEB->text()), v)) x.XTranslation = v;
    if (ParseRealText(Bytes(YTranslateEB->text()), v)) x.YTranslation = v;
    for (int c = 1; c <= MaxClasses; ++c) {
        x.NodeTemplates[size_t(c)] = TypedText(Edits[size_t(c)]->text());
        x.LinkTemplates[size_t(c)] = TypedText(Edits[size_t(c + 10)]->text());
    }
    x.NameReplace = Cut(TypedText(ReplaceEB->text()), MaxShortText);
    x.NameSearch = Cut(TypedText(SearchEB->text()), MaxShortText);
    x.SeparationMode = uint8_t(SeparationCode(Separation->checkedId()));
    x.UpdateOldNew = std::max(0, OldNew->checkedId());
    x.NewNodesTemplate = Cut(TypedText(NewNodesEB->text()), MaxShortText);
    x.NewLinksTemplate = Cut(TypedText(NewLinksEB->text()), MaxShortText);
    x.AssumeNames = AssumeNamesCB->isChecked() ? 1 : 0;
    x.FilterNodesWithoutLinks = FilterCB->isChecked() ? 1 : 0;
    x.OnlyNodesWithPolygons = OnlyPolygonsCB->isChecked() ? 1 : 0;
    return x;
}

// The four transform values must be numbers and the scales not 0; the edits
// that are not turn red and one box reports them.
bool TExtractDB::CheckTransform(bool ForUpdate)
{
    bool red = false;
    for (trealedit* e : {XScaleEB, YScaleEB, XTranslateEB, YTranslateEB}) {
        double v = 0;
        const bool scale = e == XScaleEB || e == YScaleEB;
        const bool bad = !ParseRealText(Bytes(e->text()), v) || (scale && v == 0);
        if (!ForUpdate || bad) SetRed(e, bad);
        red = red || bad;
    }
    if (red) ShowMessageText(Sink(), MessageText(291), "Extract/Update", MB_EXCLAMATION_OK);
    return !red;
}

void TExtractDB::CommitFormats(const TExtractFormats& Formats)
{
    if (SameFormats(Formats, FSettings.ExtractFormats)) return;
    FSettings.ExtractFormats = Formats;
    if (ClearSaved) ClearSaved();
}

// The texts of the formats, which the network file keeps in its code page.
bool TExtractDB::TextsKept()
{
    std::vector<QWidget*> fields{SearchEB, ReplaceEB, NewNodesEB, NewLinksEB};
    for (int n = 1; n <= 20; ++n) fields.push_back(Edits[size_t(n)]);
    return TypedTextsKept(fields, &Sink());
}

bool TExtractDB::StoreControls()
{
    if (!CheckTransform(false) || !TextsKept()) return false;
    TExtractFormats x = ControlFormats();
    if (ForceDBase) x.SeparationMode = FStoredMode;
    if (ForceOnlyPolygons) x.OnlyNodesWithPolygons = FStoredPolygons;
    CommitFormats(x);
    return true;
}

void TExtractDB::BitBtn1Click()
{
    if (StoreControls()) accept();
}

void TExtractDB::BitBtn3Click()
{
    for (int n = 1; n <= 20; ++n) Edits[size_t(n)]->clear();
    for (QLineEdit* e : {SearchEB, ReplaceEB, NewNodesEB, NewLinksEB}) e->clear();
    XScaleEB->setText("1");
    YScaleEB->setText("1");
    XTranslateEB->setText("0");
    YTranslateEB->setText("0");
    for (trealedit* e : {XScaleEB, YScaleEB, XTranslateEB, YTranslateEB}) SetRed(e, false);
    Separation->button(0)->setChecked(true);
    OldNew->button(0)->setChecked(true);
    AssumeNamesCB->setChecked(false);
    OnlyPolygonsCB->setChecked(false);
}

bool TExtractDB::ChooseFile(QFileDialog& Dialog, std::string& File)
{
    const bool chosen = RunFileDialog ? RunFileDialog(Dialog) : Dialog.exec() == QDialog::Accepted;
    const QStringList files = ChosenFiles(Dialog);
    if (!chosen || files.isEmpty()) return false;
    File = DiskName(files.first());
    return !File.empty();
}

void TExtractDB::Button1Click()
{
    if (FBusy || !TextsKept()) return;
    const TExtractFormats x = ControlFormats();
    const QStringList filters = ExtractDB->nameFilters();
    ExtractDB->selectNameFilter(filters.value(x.SeparationMode == SeparationDBase ? 1 : 0));
    if (LastExtractFile && !LastExtractFile->empty()) ExtractDB->selectFile(ShownName(*LastExtractFile));
    std::string file;
    if (!ChooseFile(*ExtractDB, file)) return;
    FBusy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TExtractResult r = RunExtract(FNet, FSettings, FView, x, file, false, Sink());
    QApplication::restoreOverrideCursor();
    FBusy = false;
    if (r.ErrorCode == 0 && LastExtractFile) *LastExtractFile = file;
}

void TExtractDB::Button2Click()
{
    if (FBusy) return;
    if (ShowMessageText(Sink(), "Network in memory will be modified.", MessageText(51), MB_EXCLAMATION_OKCANCEL) ==
        IDCANCEL)
        return;
    if (!CheckTransform(true) || !TextsKept()) return;
    const TExtractFormats x = ControlFormats();
    const QStringList filters = UpdateDB->nameFilters();
    UpdateDB->selectNameFilter(filters.value(x.SeparationMode == SeparationDBase ? 1 : 0));
    std::string file;
    if (!ChooseFile(*UpdateDB, file)) return;
    FBusy = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto last = std::chrono::steady_clock::now();
    const TUpdateResult r = RunUpdate(FNet, x, file, Sink(), [&](int32_t line) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last < std::chrono::milliseconds(30)) return;
        last = now;
        if (ShowProgress) ShowProgress(std::to_string(line) + " Lines");
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    FBusy = false;
    if (r.Changed && NetworkUpdated) NetworkUpdated(r);
}

void TExtractDB::Button3Click()
{
    std::string file;
    if (!ChooseFile(*OpenFormatsDialog, file)) return;
    // A file that cannot be read leaves the formats as they were.
    TExtractFormats x = FSettings.ExtractFormats;
    if (!ReadExtractFormatsFile(file, x)) {
        ShowMessageBox(Sink(), 305, 51, MB_EXCLAMATION_OK);
        return;
    }
    CommitFormats(x);
    FormShow();
}

void TExtractDB::Button4Click()
{
    std::string file;
    if (!ChooseFile(*SaveFormatsDialog, file)) return;
    // Transform values the check refuses are reported and not stored; the
    // file, which holds none of them, is written from the record all the same.
    StoreControls();
    if (!WriteExtractFormatsFile(file, FSettings.ExtractFormats))
        ShowMessageText(Sink(), "Cannot write Extract/Update formats file.", MessageText(51), MB_EXCLAMATION_OK);
}

void TExtractDB::Help()
{
    if (ShowHelp) {
        ShowHelp(HelpContext);
        return;
    }
    auto* viewer = qobject_cast<THelpViewer*>(FHelpWindow);
    if (!viewer) {
        viewer = new THelpViewer(ProgramDirectory() + "/help", this);
        FHelpWindow = viewer;
    }
    viewer->ShowTopic(HelpContext);
}

void TExtractDB::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_F1) {
        Help();
        return;
    }
    TShrinkForm::keyPressEvent(Event);
}

// ---------------------------------------------------------------- context menu

bool TExtractDB::eventFilter(QObject* Watched, QEvent* Event)
{
    for (int n = 1; n <= 20; ++n) {
        if (Watched != Edits[size_t(n)]) continue;
        if (Event->type() == QEvent::FocusIn) FCurrentRow = n;
        if (Event->type() == QEvent::ContextMenu) {
            PreparePopup(n);
            PopupMenu1->exec(static_cast<QContextMenuEvent*>(Event)->globalPos());
            return true;
        }
    }
    return TShrinkForm::eventFilter(Watched, Event);
}

void TExtractDB::PreparePopup(int Row)
{
    FCurrentRow = Row;
    QLineEdit* e = Edits[size_t(Row)];
    Undo1->setEnabled(e->isUndoAvailable());
    const bool selected = e->hasSelectedText();
    Cut1->setEnabled(selected);
    Copy1->setEnabled(selected);
    Delete1->setEnabled(selected);
    SelectAll1->setEnabled(e->selectedText().size() < e->text().size());
    const QClipboard* clip = QApplication::clipboard();
    Paste1->setEnabled(clip && !clip->text().isEmpty());
    const bool node = Row <= 10;
    const TEntityClass& classes = node ? *FNet.NodeClasses : *FNet.LinkClasses;
    Attributes1->setEnabled(classes[node ? Row : Row - 10].AttributeCount > 0);
}

void TExtractDB::InsertItem(const std::string& Text)
{
    if (FCurrentRow < 1) return;
    QLineEdit* e = Edits[size_t(FCurrentRow)];
    e->insert(ShowText(Text) + ",");
    e->setFocus();
}

void TExtractDB::ChooseAttribute()
{
    if (FCurrentRow < 1 || !SelectAttribute) return;
    const bool node = PageControl1->currentWidget() == NodePage;
    const int cls = FCurrentRow <= 10 ? FCurrentRow : FCurrentRow - 10;
    std::string alias;
    if (SelectAttribute(node ? *FNet.NodeClasses : *FNet.LinkClasses, cls, alias)) InsertItem(alias);
}

void TExtractDB::ChooseProperty(TPropertyList List)
{
    if (FCurrentRow < 1 || !SelectProperty) return;
    std::string name;
    if (SelectProperty(List, FCurrentRow <= 10 ? 0 : 1, name)) InsertItem(name);
}
