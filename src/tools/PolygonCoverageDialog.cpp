#include "tools/PolygonCoverageDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/analysis/ShortestPaths.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "schema/SchemaCommands.h"
#include "schema/ValueDialogs.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/CoverageMarks.h"
#include "tools/ToolHelp.h"

namespace {

constexpr int NameWidth = 30;
constexpr int MaxRadius = 32000;
const char* const TypeCaptions[5] = {"Polygon", "Node Circle", "Link Pearls", "Link Sausage", "Link Blunt"};

} // namespace

TPolygonCoverageDB::TPolygonCoverageDB(TSchemaContext& Context, TPolygonCoverageSettings& Settings,
                                       TCoverageMarks* Marks, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), FSettings(Settings), FMarks(Marks)
{
    setObjectName("PolygonCoverageDB");
    setWindowTitle("Polygon Coverage");
    setProperty("HelpContext", HelpContext);
    const TEntityClass& classes = *Ctx.Net->NodeClasses;
    FNodeClasses = CountEntityTypes(classes);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(NameWidth);
    Edit1->setToolTip("Double click to enter more names");
    Edit1->installEventFilter(this);
    StatusEdit = new QLineEdit(this);
    StatusEdit->setObjectName("StatusEdit");
    StatusEdit->setReadOnly(true);
    StatusEdit->setFocusPolicy(Qt::NoFocus);
    StatusEdit->setMinimumWidth(260);
    RadiusEdit = new QSpinBox(this);
    RadiusEdit->setObjectName("RadiusEdit");
    RadiusEdit->setRange(1, MaxRadius);
    auto* radiusLabel = new QLabel("Buffer Radius:", this);
    radiusLabel->setBuddy(RadiusEdit);

    auto* types = new QGroupBox("Element Type", this);
    types->setObjectName("RadioGroup1");
    auto* typeLayout = new QVBoxLayout(types);
    for (int t = 0; t < 5; ++t) {
        TypeButtons[size_t(t)] = new QRadioButton(TypeCaptions[t], types);
        TypeButtons[size_t(t)]->setObjectName(QString("TypeButton%1").arg(t));
        typeLayout->addWidget(TypeButtons[size_t(t)]);
        connect(TypeButtons[size_t(t)], &QRadioButton::toggled, this,
                [this] { RadiusEdit->setEnabled(!FScanning && ElementType() != CoveragePolygon); });
    }
    IntersectBox = new QCheckBox("Only find areas from intersection of buffers from multiple elements", this);
    IntersectBox->setObjectName("IntersectBox");

    auto* rows = new QGridLayout;
    rows->addWidget(new QLabel("Node Class", this), 0, 0);
    rows->addWidget(new QLabel("Attributes for Input", this), 0, 1);
    rows->addWidget(new QLabel("Attribute for Output", this), 0, 2);
    const std::string area = "Area in Sq " + Ctx.Settings->UnitsName;
    for (int c = 1; c <= MaxClasses; ++c) {
        const TClassRecord& rec = classes[c];
        auto* label = new QLabel(ShowText(rec.Name), this);
        label->setObjectName(QString("Label%1").arg(c));
        auto* input = new QComboBox(this);
        input->setObjectName(QString("ComboBox%1").arg(c));
        auto* output = new QComboBox(this);
        output->setObjectName(QString("ComboBox%1").arg(10 + c));
        for (QComboBox* box : {input, output}) {
            box->addItem(ShowText(MessageText(72)));
            const int n = std::clamp(rec.AttributeCount, 0, MaxAttributes);
            for (int k = 1; k <= n; ++k) box->addItem(ShowText(rec.Attr(k) ? rec.Attr(k)->Name : std::string()));
        }
        for (const std::string& s : {std::string("Node Size Expression 1"), std::string("Node Size Expression 2"), area,
                                     std::string("Number Touched"), std::string("Number Majority"),
                                     std::string("Number Whole")})
            input->addItem(ShowText(s));
        Labels[size_t(c)] = label;
        InputBoxes[size_t(c)] = input;
        OutputBoxes[size_t(c)] = output;
        connect(input, &QComboBox::currentIndexChanged, this, [this, c] { InputChanged(c); });
        connect(output, &QComboBox::currentIndexChanged, this, [this, output, c](int index) {
            if (index > 0 && !IsNumberAttribute(*Ctx.Net->NodeClasses, c, index)) output->setCurrentIndex(0);
        });
        rows->addWidget(label, c, 0);
        rows->addWidget(input, c, 1);
        rows->addWidget(output, c, 2);
        for (QWidget* w : {(QWidget*)label, (QWidget*)input, (QWidget*)output}) w->setVisible(c <= FNodeClasses);
    }

    RefreshButton = new QToolButton(this);
    RefreshButton->setObjectName("RefreshButton");
    RefreshButton->setText("Refresh");
    RefreshButton->setToolTip("Refresh");
    RefreshButton->setIcon(ToolbarGlyph("RefreshButton"));
    SizeButton = new QToolButton(this);
    SizeButton->setObjectName("SizeButton");
    SizeButton->setText("Node Size Expressions");
    SizeButton->setToolTip("Node Size Expressions");
    SizeButton->setIcon(ToolbarGlyph("ToolbarButton7"));
    SizeButton->setEnabled(false);
    for (QToolButton* b : {RefreshButton, SizeButton}) b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(GoButton, "GoButton", "&Go");
    button(OKButton, "OKButton", "OK");
    button(CancelButton, "CancelButton", "Cancel");
    button(HelpButton, "HelpButton", "Help");
    OKButton->setDefault(true);
    connect(GoButton, &QPushButton::clicked, this, [this] { GoClick(); });
    connect(OKButton, &QPushButton::clicked, this, &TPolygonCoverageDB::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TPolygonCoverageDB::reject);
    connect(RefreshButton, &QToolButton::clicked, this, [this] { RefreshClick(); });
    connect(SizeButton, &QToolButton::clicked, this, [this] {
        if (OpenSizeExpressions && !FScanning) OpenSizeExpressions();
    });
    ConnectToolHelp(this, HelpButton, HelpContext, &ShowHelp);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel("Element Name:", this), 0, 0);
    top->addWidget(Edit1, 0, 1);
    top->addWidget(StatusEdit, 1, 0, 1, 2);
    top->addWidget(radiusLabel, 2, 0);
    top->addWidget(RadiusEdit, 2, 1);
    auto* speed = new QHBoxLayout;
    speed->addWidget(RefreshButton);
    speed->addWidget(SizeButton);
    speed->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {GoButton, OKButton, CancelButton, HelpButton}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(types);
    layout->addWidget(IntersectBox);
    layout->addLayout(rows);
    layout->addLayout(speed);
    layout->addLayout(buttons);

    Load();
}

TPolygonCoverageDB::~TPolygonCoverageDB()
{
    // The marks belong to this showing of the dialog.
    if (FMarks) FMarks->Clear();
}

void TPolygonCoverageDB::Load()
{
    RadiusEdit->setValue(std::clamp(FSettings.BufferRadius, 1, MaxRadius));
    const int type = FSettings.ElementType >= 0 && FSettings.ElementType <= 4 ? FSettings.ElementType : 0;
    TypeButtons[size_t(type)]->setChecked(true);
    RadiusEdit->setEnabled(type != CoveragePolygon);
    IntersectBox->setChecked(FSettings.IntersectOnly != 0);
    const std::vector<std::string>& names = FSettings.ElementNames;
    Edit1->setText(ShowText(names.empty() ? std::string() : names[0]));
    Working = names.empty() ? std::vector<std::string>{} : NamesWithEditText(names[0], names);
    ShowCount();
    for (int c = 1; c <= FNodeClasses; ++c) {
        const int input = FSettings.InputChoice[size_t(c)];
        const int output = FSettings.OutputAttribute[size_t(c)];
        InputBoxes[size_t(c)]->setCurrentIndex(input > 0 && input < InputBoxes[size_t(c)]->count() ? input : 0);
        OutputBoxes[size_t(c)]->setCurrentIndex(output > 0 && output < OutputBoxes[size_t(c)]->count() ? output : 0);
        InputChanged(c);
    }
}

void TPolygonCoverageDB::ShowCount()
{
    StatusEdit->setText(Working.size() > 1 ? "Multiple elements have been entered."
                                           : "Just one element has been entered.");
}

void TPolygonCoverageDB::InputChanged(int c)
{
    QComboBox* input = InputBoxes[size_t(c)];
    QComboBox* output = OutputBoxes[size_t(c)];
    const int index = input->currentIndex();
    const int k = (*Ctx.Net->NodeClasses)[c].AttributeCount;
    // Only a number can be shared out.
    if (index >= 1 && index <= k && !IsNumberAttribute(*Ctx.Net->NodeClasses, c, index)) {
        input->setCurrentIndex(0);
        return;
    }
    if (index <= 0) output->setCurrentIndex(0);
    output->setEnabled(index > 0 && !FScanning);
}

int TPolygonCoverageDB::ElementType() const
{
    for (int t = 0; t < 5; ++t)
        if (TypeButtons[size_t(t)]->isChecked()) return t;
    return CoveragePolygon;
}

TPolygonCoverageSettings TPolygonCoverageDB::Choices() const
{
    TPolygonCoverageSettings s = FSettings;
    for (int c = 1; c <= FNodeClasses; ++c) {
        s.InputChoice[size_t(c)] = std::max(0, InputBoxes[size_t(c)]->currentIndex());
        s.OutputAttribute[size_t(c)] = std::max(0, OutputBoxes[size_t(c)]->currentIndex());
    }
    s.ElementNames = NamesWithEditText(TypedText(Edit1->text(), NameWidth), Working);
    s.BufferRadius = RadiusEdit->value();
    s.ElementType = ElementType();
    s.IntersectOnly = IntersectBox->isChecked() ? 1 : 0;
    return s;
}

void TPolygonCoverageDB::EnableControls(bool On)
{
    for (QWidget* w : {(QWidget*)GoButton, (QWidget*)OKButton, (QWidget*)CancelButton, (QWidget*)RefreshButton,
                       (QWidget*)Edit1, (QWidget*)IntersectBox})
        w->setEnabled(On);
    for (QRadioButton* b : TypeButtons) b->setEnabled(On);
    for (int c = 1; c <= MaxClasses; ++c) {
        InputBoxes[size_t(c)]->setEnabled(On);
        OutputBoxes[size_t(c)]->setEnabled(On && InputBoxes[size_t(c)]->currentIndex() > 0);
    }
    RadiusEdit->setEnabled(On && ElementType() != CoveragePolygon);
    SizeButton->setEnabled(On && OpenSizeExpressions != nullptr);
}

void TPolygonCoverageDB::GoClick()
{
    if (FScanning) return;
    StatusEdit->setText("Working...");
    const TPolygonCoverageSettings settings = Choices();
    // While the scan lets events through, nothing may start another one,
    // close this dialog, or close or change the network.
    struct TScan {
        TPolygonCoverageDB& D;
        std::unique_ptr<TRunHold> Hold;
        explicit TScan(TPolygonCoverageDB& d) : D(d)
        {
            D.FScanning = true;
            D.EnableControls(false);
            if (D.BeginRun) Hold = D.BeginRun();
        }
        ~TScan()
        {
            Hold.reset();
            D.FScanning = false;
            D.EnableControls(true);
        }
    } scan(*this);
    TCoverageSink sink;
    QPointer<TCoverageMarks> marks = FMarks;
    sink.Mark = [marks](int32_t y, int32_t x0, int32_t x1) {
        if (marks) marks->Add(y, x0, x1);
    };
    sink.ProcessMessages = [marks] {
        if (marks) marks->update();
        QApplication::processEvents(QEventLoop::AllEvents);
    };
    FResult = RunPolygonCoverage(*Ctx.Net, *Ctx.Settings, *Ctx.View, settings, settings.ElementNames, sink);
    StatusEdit->setText(ShowText(FResult.Status));
    if (marks) marks->update();
    if (FResult.Wrote && Repaint) Repaint();
}

void TPolygonCoverageDB::RefreshClick()
{
    if (FScanning) return;
    if (FMarks) FMarks->Clear();
    if (Repaint) Repaint();
}

void TPolygonCoverageDB::EditNames()
{
    if (FScanning) return;
    const int type = ElementType();
    const char* caption = type == CoveragePolygon      ? "Additional Nodes with Polygons"
                          : type == CoverageNodeCircle ? "Additional Nodes"
                                                       : "Additional Links or Chains";
    std::vector<std::string> lines{TypedText(Edit1->text(), NameWidth)};
    for (size_t i = 1; i < Working.size(); ++i) lines.push_back(Working[i]);
    if (!ShowMemo(Ctx, lines, caption, this)) return;
    if (lines.empty()) lines.emplace_back();
    Edit1->setText(ShowText(lines[0].substr(0, NameWidth)));
    Working = lines;
    ShowCount();
}

bool TPolygonCoverageDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Edit1 && Event->type() == QEvent::MouseButtonDblClick) {
        EditNames();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TPolygonCoverageDB::accept()
{
    if (FScanning) return;
    const TPolygonCoverageSettings s = Choices();
    for (int c = 1; c <= FNodeClasses; ++c) {
        FSettings.InputChoice[size_t(c)] = s.InputChoice[size_t(c)];
        FSettings.OutputAttribute[size_t(c)] = s.OutputAttribute[size_t(c)];
    }
    FSettings.ElementNames = s.ElementNames;
    FSettings.BufferRadius = s.BufferRadius;
    FSettings.ElementType = s.ElementType;
    FSettings.IntersectOnly = s.IntersectOnly;
    QDialog::accept();
}

void TPolygonCoverageDB::reject()
{
    if (FScanning) return;
    QDialog::reject();
}

void TPolygonCoverageDB::closeEvent(QCloseEvent* Event)
{
    if (FScanning) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

// ---------------------------------------------------------------- the menu item

bool PolygonCoverageItemEnabled(const TSketchPadWindow& Pad)
{
    return Pad.Network && CountEntityTypes(*Pad.Network->NodeClasses) > 0;
}

bool PolygonCoverageCommand(TSketchPadWindow& Pad)
{
    if (!Pad.Network) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TPolygonCoverageDB dialog(ctx, Pad.PolygonCoverageSettings, &TCoverageMarks::Of(Pad), &Pad.Main);
    dialog.BeginRun = [&Pad] { return HoldNetworkForRun(Pad, TAnalysisKind::Coverage); };
    dialog.Repaint = [&Pad] { Pad.Main.InvalidateNetworkViews(Pad); };
    dialog.OpenSizeExpressions = [&Pad] { OpenWidthExpressions(Pad, true); };
    dialog.SizeButton->setEnabled(true);
    dialog.ShowHelp = [&Pad](int context) { Pad.Main.ShowHelpTopic(context); };
    return ctx.Exec(dialog) == QDialog::Accepted;
}

void RegisterCoveragePadItems(TZOKMainWindow& Main)
{
    Main.PadItems.SetCommand("PolygonCoverage1", GateChange, [](TSketchPadWindow& p) { PolygonCoverageCommand(p); });
    Main.PadItems.SetRule("PolygonCoverage1", [](TSketchPadWindow& p) { return PolygonCoverageItemEnabled(p); });
}
