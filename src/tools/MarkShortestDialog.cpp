#include "tools/MarkShortestDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "schema/SchemaCommands.h"
#include "schema/ValueDialogs.h"
#include "shell/MainWindow.h"
#include "shell/RealEdit.h"
#include "shell/SketchPad.h"
#include "tools/PathStatusDialog.h"
#include "tools/ToolHelp.h"

namespace {

constexpr int NameWidth = 30;
constexpr int MarkLimit = 999999;

// The search's surroundings in the program: the status box, and events let
// through while it runs so that the box's Stop is heard.
class TDialogSearchHost : public TPathSearchHost {
public:
    TDialogSearchHost(TMessageSink& sink, uint8_t& calcStop, TPathStatusDB& box, QWidget* owner, const TRunHold* hold)
        : TPathSearchHost(sink, calcStop), Box(box), Owner(owner), Hold(hold)
    {
    }
    void ProcessMessages() override
    {
        QApplication::processEvents(QEventLoop::AllEvents);
        TakeStop();
    }
    void ShowStatusBox() override { Box.SearchStarted(Owner); }
    void ShowStatus(const std::string& text) override
    {
        Box.SetStatus(text);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        TakeStop();
    }
    void SearchFinished() override { Box.SearchEnded(); }

private:
    // The status box's Stop reaches the search through the run's hold.
    void TakeStop()
    {
        if (Hold && Hold->StopRequested()) CalcStop = 1;
    }
    TPathStatusDB& Box;
    QWidget* Owner;
    const TRunHold* Hold;
};

// "None" and the names of the class's attributes.
void FillAttributes(QComboBox* box, const TClassRecord& rec)
{
    box->addItem(ShowText(MessageText(72)));
    const int n = std::clamp(rec.AttributeCount, 0, MaxAttributes);
    for (int k = 1; k <= n; ++k) box->addItem(ShowText(rec.Attr(k) ? rec.Attr(k)->Name : std::string()));
}

} // namespace

TMarkShortestDB::TMarkShortestDB(TSchemaContext& Context, TShortestPathSettings& Settings, TPathStatusDB& Box,
                                 QWidget* Parent)
    : QDialog(Parent), Ctx(Context), FSettings(Settings), FBox(Box)
{
    setObjectName("MarkShortestDB");
    setWindowTitle("Mark Shortest Path");
    setProperty("HelpContext", HelpContext);
    const TNetwork& net = *Ctx.Net;
    FNodeClasses = CountEntityTypes(*net.NodeClasses);
    FLinkClasses = CountEntityTypes(*net.LinkClasses);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    const char* captions[5] = {"", "Find Path", "Mark Links", "Mark Nodes", "Blocking Nodes"};
    for (int k = 1; k <= 4; ++k) {
        TabSheets[size_t(k)] = new QWidget;
        TabSheets[size_t(k)]->setObjectName(QString("TabSheet%1").arg(k));
        PageControl1->addTab(TabSheets[size_t(k)], captions[k]);
    }

    // ---- Find Path
    auto* find = new QGridLayout(TabSheets[1]);
    find->addWidget(new QLabel("Starting Node Name", TabSheets[1]), 0, 0);
    find->addWidget(new QLabel("Mark Value", TabSheets[1]), 0, 1);
    auto lineEdit = [this](int k, QWidget* page) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QString("Edit%1").arg(k));
        e->setMaxLength(NameWidth);
        Edits[size_t(k)] = e;
        return e;
    };
    for (int k = 1; k <= PathStartSets; ++k) {
        QLineEdit* e = lineEdit(k, TabSheets[1]);
        e->setToolTip("Double click to enter more names");
        e->installEventFilter(this);
        auto* spin = new QSpinBox(TabSheets[1]);
        spin->setObjectName(QString("SpinEdit%1").arg(k));
        spin->setRange(-MarkLimit, MarkLimit);
        SpinEdits[size_t(k)] = spin;
        find->addWidget(e, k, 0);
        find->addWidget(spin, k, 1);
    }
    find->addWidget(new QLabel("Ending Node Name", TabSheets[1]), 6, 0);
    find->addWidget(lineEdit(10, TabSheets[1]), 7, 0);
    auto* distLabel = new QLabel("Maximum Distance:", TabSheets[1]);
    DistanceEdit = new trealedit(TabSheets[1]);
    DistanceEdit->setObjectName("DistanceEdit");
    distLabel->setBuddy(DistanceEdit);
    find->addWidget(distLabel, 6, 1);
    find->addWidget(DistanceEdit, 7, 1);
    auto* group = new QGroupBox("Mark Nodes with:", TabSheets[1]);
    group->setObjectName("RadioGroup1");
    DistanceButton = new QRadioButton("Distance", group);
    DistanceButton->setObjectName("DistanceButton");
    MarkValueButton = new QRadioButton("Mark Value", group);
    MarkValueButton->setObjectName("MarkValueButton");
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(DistanceButton);
    radios->addWidget(MarkValueButton);
    find->addWidget(group, 8, 0);
    auto button = [this](QPushButton*& b, const char* name, const char* caption, QWidget* parent) {
        b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(GoButton, "GoButton", "Go", TabSheets[1]);
    GoButton->setToolTip("Build and mark shortest paths");
    button(SetSearchButton, "SetSearchButton", "Set Search for Mark", TabSheets[1]);
    SetSearchButton->setToolTip("Set search ranges for first starting node paths");
    SpeedButton1 = new QToolButton(TabSheets[1]);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("Link Width Expressions");
    SpeedButton1->setIcon(ToolbarGlyph("ToolbarButton8"));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton1->setToolTip("Link Width Expressions");
    auto* actions = new QVBoxLayout;
    actions->addWidget(GoButton);
    actions->addWidget(SetSearchButton);
    actions->addWidget(SpeedButton1, 0, Qt::AlignLeft);
    find->addLayout(actions, 8, 1);

    // ---- Mark Links, Mark Nodes, Blocking Nodes
    const TEntityClass* kinds[2] = {net.LinkClasses.get(), net.NodeClasses.get()};
    for (int page = 0; page < 2; ++page) {
        QWidget* sheet = TabSheets[size_t(2 + page)];
        auto* grid = new QGridLayout(sheet);
        const int count = page == 0 ? FLinkClasses : FNodeClasses;
        for (int c = 1; c <= MaxClasses; ++c) {
            const int k = page * 10 + c;
            auto* label = new QLabel(ShowText((*kinds[page])[c].Name), sheet);
            label->setObjectName(QString("Label%1").arg(k));
            auto* box = new QComboBox(sheet);
            box->setObjectName(QString("ComboBox%1").arg(k));
            FillAttributes(box, (*kinds[page])[c]);
            // Marks are numbers: an attribute of another type cannot take one.
            const TEntityClass* classes = kinds[page];
            connect(box, &QComboBox::currentIndexChanged, this, [box, classes, c](int index) {
                if (index > 0 && !IsNumberAttribute(*classes, c, index)) box->setCurrentIndex(0);
            });
            Labels[size_t(k)] = label;
            ComboBoxes[size_t(k)] = box;
            grid->addWidget(label, c - 1, 0);
            grid->addWidget(box, c - 1, 1);
            label->setVisible(c <= count);
            box->setVisible(c <= count);
        }
        grid->setRowStretch(MaxClasses, 1);
    }
    auto* blocking = new QVBoxLayout(TabSheets[4]);
    for (int c = 1; c <= MaxClasses; ++c) {
        auto* check = new QCheckBox(ShowText((*net.NodeClasses)[c].Name), TabSheets[4]);
        check->setObjectName(QString("CheckBox%1").arg(c));
        check->setVisible(c <= FNodeClasses);
        CheckBoxes[size_t(c)] = check;
        blocking->addWidget(check);
    }
    blocking->addStretch();
    PageControl1->setTabVisible(1, FLinkClasses > 0);
    PageControl1->setTabVisible(2, FNodeClasses > 0);
    PageControl1->setTabVisible(3, FNodeClasses > 0);

    button(OKButton, "OKButton", "OK", this);
    button(CancelButton, "CancelButton", "Cancel", this);
    button(HelpButton, "HelpButton", "Help", this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TMarkShortestDB::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TMarkShortestDB::reject);
    connect(GoButton, &QPushButton::clicked, this, [this] { GoClick(); });
    connect(SetSearchButton, &QPushButton::clicked, this, [this] { SetSearchClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        if (OpenLinkWidths && !FSearching) OpenLinkWidths();
    });
    ConnectToolHelp(this, HelpButton, HelpContext, &ShowHelp);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {OKButton, CancelButton, HelpButton}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    Load();
}

TMarkShortestDB::~TMarkShortestDB()
{
    // The status box outlives the dialog that ran the last search.
    FBox.ReturnHome();
}

void TMarkShortestDB::Load()
{
    const TNetwork& net = *Ctx.Net;
    for (int c = 1; c <= MaxClasses; ++c) {
        const int link = c <= FLinkClasses ? FSettings.LinkMarkAttribute[size_t(c)] : 0;
        const int node = c <= FNodeClasses ? FSettings.NodeMarkAttribute[size_t(c)] : 0;
        ComboBoxes[size_t(c)]->setCurrentIndex(IsNumberAttribute(*net.LinkClasses, c, link) ? link : 0);
        ComboBoxes[size_t(10 + c)]->setCurrentIndex(IsNumberAttribute(*net.NodeClasses, c, node) ? node : 0);
        CheckBoxes[size_t(c)]->setChecked(FSettings.BlockingClass[size_t(c)] != 0);
    }
    for (int k = 1; k <= PathStartSets; ++k) {
        SpinEdits[size_t(k)]->setValue(std::clamp(FSettings.MarkValue[size_t(k)], -MarkLimit, MarkLimit));
        const std::vector<std::string>& stored = FSettings.StartNames[size_t(k)];
        Working[size_t(k)] = stored.empty() ? std::vector<std::string>{} : NamesWithEditText(stored[0], stored);
        Edits[size_t(k)]->setText(ShowText(stored.empty() ? std::string() : stored[0]));
    }
    Edits[10]->setText(ShowText(FSettings.EndNodeName));
    (FSettings.MarkNodesWith == 1 ? MarkValueButton : DistanceButton)->setChecked(true);
    DistanceEdit->SetValue(FSettings.MaximumDistance);
    FLoaded = true;
}

void TMarkShortestDB::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    PageControl1->setCurrentIndex(0);
}

void TMarkShortestDB::ReadChoices(TShortestPathSettings& S) const
{
    for (int c = 1; c <= MaxClasses; ++c) {
        S.LinkMarkAttribute[size_t(c)] = c <= FLinkClasses ? ComboBoxes[size_t(c)]->currentIndex() : 0;
        S.NodeMarkAttribute[size_t(c)] = c <= FNodeClasses ? ComboBoxes[size_t(10 + c)]->currentIndex() : 0;
        S.BlockingClass[size_t(c)] = c <= FNodeClasses && CheckBoxes[size_t(c)]->isChecked() ? 1 : 0;
    }
    for (int k = 1; k <= PathStartSets; ++k) S.MarkValue[size_t(k)] = SpinEdits[size_t(k)]->value();
    S.MarkNodesWith = MarkValueButton->isChecked() ? 1 : 0;
}

bool TMarkShortestDB::Store()
{
    bool ok = true;
    const double distance = DistanceEdit->GetValue(true, ok);
    if (!ok) {
        MarkBad(DistanceEdit, true);
        ShowMessageBox(*Ctx.Boxes, 304, 444, MB_EXCLAMATION_OK);
        return false;
    }
    ReadChoices(FSettings);
    for (int k = 1; k <= PathStartSets; ++k)
        FSettings.StartNames[size_t(k)] =
            NamesWithEditText(TypedText(Edits[size_t(k)]->text(), NameWidth), Working[size_t(k)]);
    FSettings.EndNodeName = TypedText(Edits[10]->text(), NameWidth);
    FSettings.MaximumDistance = distance;
    MarkBad(DistanceEdit, false);
    FStored = true;
    return true;
}

void TMarkShortestDB::EnableControls(bool On)
{
    for (QWidget* w : {(QWidget*)GoButton, (QWidget*)SetSearchButton, (QWidget*)OKButton, (QWidget*)CancelButton,
                       (QWidget*)PageControl1})
        w->setEnabled(On);
    SpeedButton1->setEnabled(On && OpenLinkWidths != nullptr);
}

void TMarkShortestDB::GoClick()
{
    if (FSearching || !Store()) return;
    // While the search lets events through, nothing may start another one,
    // close this dialog, or close or change the network.
    struct TSearchRun {
        TMarkShortestDB& D;
        std::unique_ptr<TRunHold> Hold;
        explicit TSearchRun(TMarkShortestDB& d) : D(d)
        {
            D.FSearching = true;
            D.EnableControls(false);
            if (D.BeginRun) Hold = D.BeginRun();
        }
        ~TSearchRun()
        {
            Hold.reset();
            D.EnableControls(true);
            D.FSearching = false;
        }
    } run(*this);
    TDialogSearchHost host(*Ctx.Boxes, FCalcStop, FBox, this, run.Hold.get());
    FResult = MarkShortestPaths(*Ctx.Net, FSettings, Ctx.Settings->Widths, host);
    if (FResult.Ran && Repaint) Repaint();
}

void TMarkShortestDB::SetSearchClick()
{
    if (FSearching) return;
    TShortestPathSettings choices = FSettings;
    ReadChoices(choices);
    SetSearchForMark(*Ctx.Net, choices);
    FSetSearch = true;
}

void TMarkShortestDB::EditNames(int Set)
{
    if (FSearching || Set < 1 || Set > PathStartSets) return;
    QLineEdit* edit = Edits[size_t(Set)];
    std::vector<std::string>& working = Working[size_t(Set)];
    std::vector<std::string> lines{TypedText(edit->text(), NameWidth)};
    for (size_t i = 1; i < working.size(); ++i) lines.push_back(working[i]);
    if (!ShowMemo(Ctx, lines, "Additional Nodes", this)) return;
    if (lines.empty()) lines.emplace_back();
    edit->setText(ShowText(lines[0].substr(0, NameWidth)));
    working = lines;
}

bool TMarkShortestDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick)
        for (int k = 1; k <= PathStartSets; ++k)
            if (Watched == Edits[size_t(k)]) {
                EditNames(k);
                return true;
            }
    return QDialog::eventFilter(Watched, Event);
}

void TMarkShortestDB::accept()
{
    if (FSearching || !Store()) return;
    QDialog::accept();
}

void TMarkShortestDB::reject()
{
    if (FSearching) return;
    QDialog::reject();
}

void TMarkShortestDB::closeEvent(QCloseEvent* Event)
{
    if (FSearching) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

// ---------------------------------------------------------------- the menu item

bool MarkShortestPathItemEnabled(const TSketchPadWindow& Pad) { return Pad.Network && Pad.Network->NodeCount > 0; }

bool MarkShortestPathCommand(TSketchPadWindow& Pad)
{
    if (!Pad.Network) return false;
    TZOKMainWindow& main = Pad.Main;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TMarkShortestDB dialog(ctx, Pad.Settings.Display.ShortestPath, PathStatusBox(main), &main);
    dialog.BeginRun = [&Pad] { return HoldNetworkForRun(Pad, TAnalysisKind::Paths); };
    dialog.Repaint = [&Pad] { Pad.Main.InvalidateNetworkViews(Pad); };
    dialog.OpenLinkWidths = [&Pad] { OpenWidthExpressions(Pad, false); };
    dialog.SpeedButton1->setEnabled(true);
    dialog.ShowHelp = [&Pad](int context) { Pad.Main.ShowHelpTopic(context); };
    const bool accepted = ctx.Exec(dialog) == QDialog::Accepted;
    // The settings are the window's own: storing them marks only this window.
    if (accepted || dialog.StoredSettings()) Pad.View.Saved = 0;
    // New search criteria change what every window of the network shows.
    if (dialog.SearchCriteriaSet()) main.InvalidateNetworkViews(Pad);
    return accepted;
}

void RegisterPathPadItems(TZOKMainWindow& Main)
{
    Main.PadItems.SetCommand("MarkShortestPath1", GateChange, [](TSketchPadWindow& p) { MarkShortestPathCommand(p); });
    Main.PadItems.SetRule("MarkShortestPath1", [](TSketchPadWindow& p) { return MarkShortestPathItemEnabled(p); });
}
