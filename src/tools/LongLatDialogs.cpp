#include "tools/LongLatDialogs.h"

#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/geo/LongLat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "platform/CodePage.h"
#include "platform/MessageBoxes.h"
#include "shell/RealEdit.h"
#include "tools/ToolHelp.h"
#include "tools/ToolWidgets.h"

using namespace toolwidgets;

namespace {

// A node whose long/lat can anchor the computations: both known (not 0)
// and within the world.
bool Usable(const TNode* n)
{
    return n && n->Longitude != 0 && n->Latitude != 0 && PivotLongLatUsable(n->Longitude, n->Latitude);
}

} // namespace

// ---------------------------------------------------------------- long/lat

TCalcLongLatDB::TCalcLongLatDB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent)
    : QDialog(Parent), FNet(Net), FSettings(Settings)
{
    setObjectName("CalcLongLatDB");
    setWindowTitle("Compute Longitude and Latitude");
    setProperty("HelpContext", HelpContext);
    auto* v = new QVBoxLayout(this);
    ProjectionRG = Radios(this, "ProjectionRG", "Projection Method",
                          {"Linear Statistical Interpolation", "Linear/Cosine", "Transverse Mercator",
                           "Lambert Conformal"},
                          ProjectionMethod);
    v->addWidget(ProjectionRG);
    auto* form = new QFormLayout;
    PivotNodeEB = new QLineEdit(this);
    PivotNodeEB->setObjectName("PivotNodeEB");
    PivotNodeEB->setMaxLength(255);
    form->addRow("Pivot Node Name:", PivotNodeEB);
    PixelsPerDegreeEB = new trealedit(this);
    PixelsPerDegreeEB->setObjectName("PixelsPerDegreeEB");
    form->addRow("Pixels/Degree Lat", PixelsPerDegreeEB);
    RangeSE = new QSpinBox(this);
    RangeSE->setObjectName("RangeSE");
    RangeSE->setRange(1, 600);
    auto* range = new QHBoxLayout;
    range->addWidget(RangeSE);
    range->addWidget(new QLabel("Minutes", this));
    form->addRow("Interpolation Range:", range);
    v->addLayout(form);
    OnlyZerosCB = Check(this, "OnlyZerosCB", "Only fill in &zero values for long or lat");
    OnlyFreeNodesCB = Check(this, "OnlyFreeNodesCB", "Only fill in &free standing nodes");
    v->addWidget(OnlyZerosCB);
    v->addWidget(OnlyFreeNodesCB);
    auto* buttons = new QHBoxLayout;
    LongLatButton = Button(this, "LongLatButton", "Compute &Long/Lat from XY");
    XYButton = Button(this, "XYButton", "Compute &XY from Long/Lat");
    buttons->addWidget(LongLatButton);
    buttons->addWidget(XYButton);
    v->addLayout(buttons);
    EstimateGB = new QGroupBox("&Estimate Pixels/Degree Latitude from Two Nodes of Different Latitudes", this);
    EstimateGB->setObjectName("EstimateGB");
    auto* est = new QFormLayout(EstimateGB);
    SecondNodeEB = new QLineEdit(EstimateGB);
    SecondNodeEB->setObjectName("SecondNodeEB");
    SecondNodeEB->setMaxLength(255);
    est->addRow("2nd Node Name:", SecondNodeEB);
    EstimateButton = Button(EstimateGB, "EstimateButton", "Estimate &Pixels/Degree Lat");
    est->addRow(EstimateButton);
    v->addWidget(EstimateGB);
    StatusEB = AddStatusField(this, v);
    OKButton = Button(this, "OKButton", "OK");
    OKButton->setDefault(true);
    CancelButton = Button(this, "CancelButton", "Cancel");
    HelpButton = Button(this, "HelpButton", "Help");
    AddButtonRow(v, {OKButton, CancelButton, HelpButton});

    connect(LongLatButton, &QPushButton::clicked, this, [this] { LongLatButtonClick(); });
    connect(XYButton, &QPushButton::clicked, this, [this] { XYButtonClick(); });
    connect(EstimateButton, &QPushButton::clicked, this, [this] { EstimateButtonClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { accept(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    ConnectToolHelp(this, HelpButton, HelpContext, &Hooks.ShowHelp);
    FormShow();
}

TCalcLongLatDB::~TCalcLongLatDB() = default;

TMessageSink& TCalcLongLatDB::Sink() { return FBoxes.Of(this, Hooks.Boxes); }

void TCalcLongLatDB::showEvent(QShowEvent* Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TCalcLongLatDB::FormShow()
{
    const TLongLatSettings& l = FSettings.LongLat;
    CheckRadio(ProjectionMethod, l.LongLatMethod);
    PivotNodeEB->setText(ShowText(l.PivotNodeName));
    SecondNodeEB->setText(ShowText(l.SecondNodeName));
    PixelsPerDegreeEB->SetValue(l.PixelsPerDegreeLat);
    SetRed(PixelsPerDegreeEB, false);
    RangeSE->setValue(l.InterpolationRange);
    OnlyZerosCB->setChecked(l.OnlyZeros != 0);
    OnlyFreeNodesCB->setChecked(l.OnlyFreeNodes != 0);
    StatusEB->clear();
}

void TCalcLongLatDB::Status(const std::string& Text) { ShowStatus(StatusEB, Text); }

bool TCalcLongLatDB::NamesKept() { return TypedTextsKept({PivotNodeEB, SecondNodeEB}, &Sink()); }

bool TCalcLongLatDB::ReadScale(double& Scale, bool Computing)
{
    bool ok = true;
    Scale = PixelsPerDegreeEB->GetValue(false, ok);
    if (ok && std::isfinite(Scale) && (Scale != 0 || !Computing)) {
        SetRed(PixelsPerDegreeEB, false);
        return true;
    }
    SetRed(PixelsPerDegreeEB, true);
    Status("Pixels/Degree Lat not valid");
    return false;
}

TNode* TCalcLongLatDB::FindNamed(const QLineEdit* Edit) const
{
    const std::string name = TypedText(Edit->text());
    if (name.empty()) return nullptr;
    return FindNodeByName(FNet, PrepareNamePattern(name), nullptr);
}

void TCalcLongLatDB::Store(bool All, double Scale)
{
    TLongLatSettings& l = FSettings.LongLat;
    const TLongLatSettings before = l;
    l.PixelsPerDegreeLat = Scale;
    l.PivotNodeName = TypedText(PivotNodeEB->text());
    l.InterpolationRange = RangeSE->value();
    // The options the computations use are the ones shown.
    l.OnlyZeros = OnlyZerosCB->isChecked() ? 1 : 0;
    l.OnlyFreeNodes = OnlyFreeNodesCB->isChecked() ? 1 : 0;
    if (All) {
        l.LongLatMethod = std::max(0, ProjectionMethod->checkedId());
        l.SecondNodeName = TypedText(SecondNodeEB->text());
    }
    // Method, scale, range and the two names are saved with the network.
    if (l.LongLatMethod != before.LongLatMethod || l.PixelsPerDegreeLat != before.PixelsPerDegreeLat ||
        l.InterpolationRange != before.InterpolationRange || l.PivotNodeName != before.PivotNodeName ||
        l.SecondNodeName != before.SecondNodeName)
        FNet.SetAllowClose(false);
}

void TCalcLongLatDB::accept()
{
    double scale = 0;
    if (!NamesKept() || !ReadScale(scale, false)) return;
    Store(true, scale);
    QDialog::accept();
}

void TCalcLongLatDB::LongLatButtonClick()
{
    if (!NamesKept()) return;
    Status("Processing...");
    double scale = 0;
    if (!ReadScale(scale, true)) return;
    Store(false, scale);
    const TLongLatSettings& l = FSettings.LongLat;
    const int method = std::max(0, ProjectionMethod->checkedId());
    const bool onlyZeros = l.OnlyZeros != 0, onlyFree = l.OnlyFreeNodes != 0;
    TBusy busy(this);
    const std::shared_ptr<void> step = Hooks.LongStep ? Hooks.LongStep() : nullptr;
    const TLongLatProgress progress = [this](int64_t, int64_t) {
        if (Hooks.ProcessEvents) Hooks.ProcessEvents();
    };
    int32_t missed = 0;
    if (method == 0) {
        ComputeLongLatByInterpolation(FNet, nullptr, 0, onlyZeros, onlyFree, l.InterpolationRange * scale / 60, scale,
                                      missed, progress);
        Status(std::to_string(missed) + " missed");
    } else if (PivotNodeEB->text().isEmpty()) {
        Status("Failed");
        return;
    } else {
        TNode* pivot = FindNamed(PivotNodeEB);
        if (!pivot) {
            Status("Name not found");
            return;
        }
        if (!Usable(pivot)) {
            Status("Pivot node issues");
            return;
        }
        const TLongLatStatus s =
            method == 1 ? ComputeLongLatByInterpolation(FNet, pivot, 1, onlyZeros, onlyFree, scale / 60, scale, missed,
                                                        progress)
                        : ComputeLongLatByProjection(FNet, *pivot, method, onlyZeros, onlyFree, scale, progress);
        if (s != TLongLatStatus::Done) {
            Status("Pivot node issues");
            return;
        }
        Status("Finished");
    }
    if (Hooks.NetworkChanged) Hooks.NetworkChanged(false);
}

void TCalcLongLatDB::EstimateButtonClick()
{
    const TNode* pivot = FindNamed(PivotNodeEB);
    const TNode* second = FindNamed(SecondNodeEB);
    if (!pivot || !second) {
        Status("Scale not set");
        return;
    }
    if (!Usable(pivot)) {
        Status("Pivot node issue");
        return;
    }
    if (!Usable(second)) {
        Status("Second node issue");
        return;
    }
    const int method = std::max(0, ProjectionMethod->checkedId());
    if (method == 0) {
        Status("Not available");
        return;
    }
    double scale = 0;
    if (EstimatePixelsPerDegreeLat(FNet, method, *pivot, *second, scale) != TLongLatStatus::Done) {
        // Two nodes of one latitude, or a projection that gives no scale.
        Status("Scale not set");
        return;
    }
    PixelsPerDegreeEB->SetValue(scale);
    SetRed(PixelsPerDegreeEB, false);
    Status("Scale computed");
}

void TCalcLongLatDB::XYButtonClick()
{
    double scale = 0;
    if (!NamesKept() || !ReadScale(scale, true)) return;
    const TNode* pivot = FindNamed(PivotNodeEB);
    if (!Usable(pivot)) {
        Status("Pivot node issue");
        return;
    }
    const int method = std::max(0, ProjectionMethod->checkedId());
    TBusy busy(this);
    const std::shared_ptr<void> step = Hooks.LongStep ? Hooks.LongStep() : nullptr;
    int32_t refused = 0;
    const TLongLatStatus s = ComputeXYFromLongLat(FNet, *pivot, method, scale, refused, [this](int64_t, int64_t) {
        if (Hooks.ProcessEvents) Hooks.ProcessEvents();
    });
    if (s != TLongLatStatus::Done) {
        Status("Pivot node issue");
        return;
    }
    if (Hooks.NetworkChanged) Hooks.NetworkChanged(true);
    Status("X, Y computed");
}

// ---------------------------------------------------------------- elevations

TElevationDB::TElevationDB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent)
    : QDialog(Parent), FNet(Net), FSettings(Settings)
{
    setObjectName("ElevationDB");
    setWindowTitle("Compute Elevations");
    auto* v = new QVBoxLayout(this);
    MethodRG = Radios(this, "MethodRG", "&Interpolation Method",
                      {"None", "Constant", "Shape point linear", "Triangulation"}, Method);
    v->addWidget(MethodRG);
    auto* constant = new QHBoxLayout;
    ConstantLabel = new QLabel("Constant:", this);
    ConstantLabel->setObjectName("ConstantLabel");
    ConstantEB = new trealedit(this);
    ConstantEB->setObjectName("ConstantEB");
    constant->addWidget(ConstantLabel);
    constant->addWidget(ConstantEB);
    v->addLayout(constant);
    OnlyZerosCB = Check(this, "OnlyZerosCB", "&Only fill in only zero values for constant elevation");
    ComputeShapesCB = Check(this, "ComputeShapesCB", "Also &compute shape point elevations by triangulation");
    UseShapesCB = Check(this, "UseShapesCB", "Also &use shape point elevations with triangulation");
    LockCB = Check(this, "LockCB", "&Exclude computed elevations from triangle vertices in further calculations");
    for (QCheckBox* c : {OnlyZerosCB, ComputeShapesCB, UseShapesCB, LockCB}) v->addWidget(c);
    auto* buttons = new QHBoxLayout;
    CalculateButton = Button(this, "CalculateButton", "Calculate &Elevations");
    UnlockButton = Button(this, "UnlockButton", "Unlock All");
    buttons->addWidget(CalculateButton);
    buttons->addWidget(UnlockButton);
    v->addLayout(buttons);
    StatusEB = AddStatusField(this, v);
    OKButton = Button(this, "OKButton", "OK");
    OKButton->setDefault(true);
    CancelButton = Button(this, "CancelButton", "Cancel");
    AddButtonRow(v, {OKButton, CancelButton});

    connect(Method, &QButtonGroup::idClicked, this, [this](int) { MethodClick(); });
    connect(CalculateButton, &QPushButton::clicked, this, [this] { CalculateButtonClick(); });
    connect(UnlockButton, &QPushButton::clicked, this, [this] { UnlockButtonClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { accept(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    FormShow();
}

TElevationDB::~TElevationDB() = default;

TMessageSink& TElevationDB::Sink() { return FBoxes.Of(this, Hooks.Boxes); }

void TElevationDB::showEvent(QShowEvent* Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TElevationDB::FormShow()
{
    const TLongLatSettings& l = FSettings.LongLat;
    CheckRadio(Method, l.ElevationMethod);
    ConstantEB->SetValue(l.ConstantElevation);
    SetRed(ConstantEB, false);
    OnlyZerosCB->setChecked(l.OnlyZeroElevations != 0);
    ComputeShapesCB->setChecked(l.ComputeShapeElevations != 0);
    UseShapesCB->setChecked(l.UseShapeElevations != 0);
    LockCB->setChecked(l.LockComputedElevations != 0);
    StatusEB->clear();
    MethodClick();
}

void TElevationDB::MethodClick()
{
    const bool constant = Method->checkedId() == 1;
    ConstantLabel->setEnabled(constant);
    ConstantEB->setEnabled(constant);
    OnlyZerosCB->setEnabled(constant);
}

void TElevationDB::Status(const std::string& Text) { ShowStatus(StatusEB, Text); }

bool TElevationDB::ReadConstant(double& Value)
{
    bool ok = true;
    Value = ConstantEB->GetValue(false, ok);
    SetRed(ConstantEB, !ok);
    if (!ok) Status("Error in Constant");
    return ok;
}

void TElevationDB::accept()
{
    double constant = 0;
    if (!ReadConstant(constant)) return;
    TLongLatSettings& l = FSettings.LongLat;
    l.ElevationMethod = std::max(0, Method->checkedId());
    l.ConstantElevation = constant;
    l.OnlyZeroElevations = OnlyZerosCB->isChecked() ? 1 : 0;
    l.ComputeShapeElevations = ComputeShapesCB->isChecked() ? 1 : 0;
    l.UseShapeElevations = UseShapesCB->isChecked() ? 1 : 0;
    l.LockComputedElevations = LockCB->isChecked() ? 1 : 0;
    QDialog::accept();
}

void TElevationDB::CalculateButtonClick()
{
    Status("Computing ... ");
    const bool onlyZeros = OnlyZerosCB->isChecked(), shapes = ComputeShapesCB->isChecked(),
               useShapes = UseShapesCB->isChecked(), lock = LockCB->isChecked();
    const TLongLatProgress progress = [this](int64_t, int64_t) {
        if (Hooks.ProcessEvents) Hooks.ProcessEvents();
    };
    switch (Method->checkedId()) {
    case 1: {
        double constant = 0;
        if (!ReadConstant(constant)) return;
        if (!SetConstantElevation(FNet, onlyZeros, shapes, constant)) {
            // Beyond what an elevation holds.
            SetRed(ConstantEB, true);
            Status("Error in Constant");
            return;
        }
        Status("Done");
        break;
    }
    case 2: {
        TBusy busy(this);
        const std::shared_ptr<void> step = Hooks.LongStep ? Hooks.LongStep() : nullptr;
        InterpolateShapeElevations(FNet, FSettings.UnitsFactor, onlyZeros, lock, progress);
        Status("Done");
        break;
    }
    case 3: {
        std::vector<TDEdge> edges;
        TDelaunay::TLineSink sink;
        if (Hooks.ShowTriangles)
            sink = [&edges](int32_t x1, int32_t y1, int32_t x2, int32_t y2) { edges.push_back({x1, y1, x2, y2}); };
        int32_t omitted = 0;
        {
            TBusy busy(this);
            const std::shared_ptr<void> step = Hooks.LongStep ? Hooks.LongStep() : nullptr;
            omitted = InterpolateElevations(FNet, shapes, useShapes, lock, &Sink(), sink, progress);
        }
        Status(std::to_string(omitted) + " omitted");
        if (Hooks.NetworkChanged) Hooks.NetworkChanged(false);
        // Over the repainted window.
        if (Hooks.ShowTriangles) Hooks.ShowTriangles(std::move(edges));
        return;
    }
    default:
        return;
    }
    if (Hooks.NetworkChanged) Hooks.NetworkChanged(false);
}

void TElevationDB::UnlockButtonClick()
{
    if (ShowMessageText(Sink(), "Unlock all nodes and shape points?", "Elevations", MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK)
        return;
    UnlockElevations(FNet);
}
