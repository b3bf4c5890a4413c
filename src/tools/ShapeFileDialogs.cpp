#include "tools/ShapeFileDialogs.h"

#include <cmath>
#include <span>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeExport.h"
#include "core/shapes/ShapeFileReader.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/RealEdit.h"
#include "tools/ToolFiles.h"
#include "tools/ToolWidgets.h"
#include "tools/ExtractDialog.h"

using namespace toolwidgets;

namespace {

constexpr int MsgFileNotFound = 52;     // "Valid update file not found."
constexpr int MsgTransformValues = 291; // "Error in transform values."
const char* const ShapeFilter = "Shape Files (*.shp)|*.shp|All files (*.*)|*.*";

} // namespace

TShapeImportSettings& ProgramShapeSettings()
{
    static TShapeImportSettings settings;
    return settings;
}

// ---------------------------------------------------------------- import

TShapeFileDB::TShapeFileDB(TShapeImportSettings& Settings, QWidget* Parent) : QDialog(Parent), FSettings(Settings)
{
    setObjectName("ShapeFileDB");
    setWindowTitle("ArcGIS Shapefile Import");
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto edit = [&](trealedit*& e, const char* name, const char* label, const char* hint = nullptr) {
        e = new trealedit(this);
        e->setObjectName(name);
        if (hint) e->setToolTip(QString::fromLatin1(hint));
        form->addRow(QString::fromLatin1(label), e);
    };
    edit(XScaleEB, "XScaleEB", "X Scale:");
    edit(YScaleEB, "YScaleEB", "Y Scale:", "Usually, pixels per degree latitude.");
    edit(XTranslateEB, "XTranslateEB", "X Translate:", "Usually, negative of central longitude.");
    edit(YTranslateEB, "YTranslateEB", "Y Translate:", "Usually, negative of central latitude.");
    v->addLayout(form);
    ProjectionRG = Radios(this, "ProjectionRG", "Projection",
                          {"Linear", "Equidistant", "Transverse Mercator", "Lambert Conformal"}, Projection);
    v->addWidget(ProjectionRG);
    auto* estimate = new QHBoxLayout;
    Button4 = Button(this, "Button4", "Suggest", "Use file properties and miles (below) to estimate above values.");
    Button5 = Button(this, "Button5", "Compute", "Use X & Y Translate values to estimate miles in a degree.");
    estimate->addWidget(Button4);
    estimate->addWidget(Button5);
    v->addLayout(estimate);
    auto* miles = new QFormLayout;
    auto mileEdit = [&](trealedit*& e, const char* name, const char* label) {
        e = new trealedit(this);
        e->setObjectName(name);
        miles->addRow(QString::fromLatin1(label), e);
    };
    mileEdit(PixelsPerMileEB, "PixelsPerMileEB", "Ideal Pixels/Mile:");
    mileEdit(MilesPerDegreeEB, "MilesPerDegreeEB", "Miles/Deg Lat:");
    v->addLayout(miles);
    Button3 = Button(this, "Button3", "&Single Shapefile Import", "Read and convert a shape file.");
    Button6 = Button(this, "Button6", "&Multiple Shapefiles Import");
    v->addWidget(Button3);
    v->addWidget(Button6);
    StatusEB = AddStatusField(this, v);
    Button1 = Button(this, "Button1", "OK");
    Button1->setDefault(true);
    Button2 = Button(this, "Button2", "Cancel");
    AddButtonRow(v, {Button1, Button2});
    ShapeDB = MakeFileChooser(this, "ShapeDB", "Shapefile Import", ShapeFilter, false, nullptr);

    connect(Projection, &QButtonGroup::idClicked, this, [this](int) { ProjectionRGClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { reject(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    FormShow();
}

TShapeFileDB::~TShapeFileDB() = default;

TMessageSink& TShapeFileDB::Sink() { return FBoxes.Of(this, Boxes); }

void TShapeFileDB::showEvent(QShowEvent* Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TShapeFileDB::ShowMiles(double Miles)
{
    // Shown to hundredths; the value itself is kept while the text stays.
    FMiles = Miles;
    FMilesText = QString::number(ShownMilesPerDegree(Miles), 'g', 15);
    MilesPerDegreeEB->setText(FMilesText);
}

void TShapeFileDB::FormShow()
{
    XScaleEB->SetValue(FSettings.XScale);
    YScaleEB->SetValue(FSettings.YScale);
    XTranslateEB->SetValue(FSettings.XTranslate);
    YTranslateEB->SetValue(FSettings.YTranslate);
    PixelsPerMileEB->SetValue(FSettings.PixelsPerMile);
    ShowMiles(FSettings.MilesPerDegree);
    for (QLineEdit* e : {XScaleEB, YScaleEB, XTranslateEB, YTranslateEB, PixelsPerMileEB, MilesPerDegreeEB})
        SetRed(e, false);
    CheckRadio(Projection, FSettings.Method);
    ProjectionRGClick();
}

void TShapeFileDB::ProjectionRGClick()
{
    // The other methods take X from the Y scale.
    XScaleEB->setReadOnly(Projection->checkedId() != ShapeLinear);
}

bool TShapeFileDB::ReadFields(bool All, TShapeImportSettings& s)
{
    struct TField {
        trealedit* Edit;
        double* Value;
        bool NonZero;
    } fields[] = {{MilesPerDegreeEB, &s.MilesPerDegree, true}, {PixelsPerMileEB, &s.PixelsPerMile, true},
                  {XScaleEB, &s.XScale, true},                {YScaleEB, &s.YScale, true},
                  {XTranslateEB, &s.XTranslate, false},       {YTranslateEB, &s.YTranslate, false}};
    bool notNumber = false, refused = false;
    for (const TField& f : std::span(fields, All ? 6 : 2)) {
        double v = FMiles;
        if (f.Edit != MilesPerDegreeEB || f.Edit->text() != FMilesText) {
            bool ok = true;
            v = f.Edit->GetValue(false, ok);
            if (!ok || !std::isfinite(v)) {
                SetRed(f.Edit, true);
                notNumber = true;
                continue;
            }
        }
        const bool zero = f.NonZero && v == 0;
        SetRed(f.Edit, zero);
        refused = refused || zero;
        *f.Value = v;
    }
    if (notNumber) ShowMessageText(Sink(), MessageText(MsgTransformValues), ShapeFileCaption, MB_EXCLAMATION_OK);
    return !notNumber && !refused;
}

bool TShapeFileDB::ReadEdits()
{
    TShapeImportSettings s = FSettings;
    if (!ReadFields(true, s)) return false;
    s.Method = std::max(0, Projection->checkedId());
    FSettings = s;
    return true;
}

bool TShapeFileDB::ChooseFile(std::string& File) { return toolwidgets::ChooseFile(*ShapeDB, RunFileDialog, File); }

void TShapeFileDB::Button1Click()
{
    if (!ReadEdits()) return;
    if (Store) Store(FSettings);
    accept();
}

void TShapeFileDB::Button3Click()
{
    if (!ReadEdits()) return;
    std::string file;
    if (!ChooseFile(file)) return;
    StatusEB->clear();
    if (Import) ShowStatus(StatusEB, Import(file, FSettings));
}

void TShapeFileDB::Button6Click()
{
    // The steps import with the values shown.
    if (MultipleImport && ReadEdits()) MultipleImport();
}

void TShapeFileDB::Button4Click()
{
    // The pixels per mile and the miles per degree give the scale.
    TShapeImportSettings s = FSettings;
    if (!ReadFields(false, s)) return;
    std::string file;
    if (!ChooseFile(file)) return;
    TShpReader reader;
    TShpHeader header;
    std::string error;
    if (!reader.Open(file, error) || !reader.ReadHeader(header) || !header.Valid()) {
        ShowMessageText(Sink(), MessageText(MsgFileNotFound), ShapeFileCaption, MB_EXCLAMATION_OK);
        return;
    }
    if (!SuggestShapeSettings(header, s)) {
        ShowMessageText(Sink(), MessageText(MsgTransformValues), ShapeFileCaption, MB_EXCLAMATION_OK);
        return;
    }
    FSettings.PixelsPerMile = s.PixelsPerMile;
    FSettings.MilesPerDegree = s.MilesPerDegree;
    XScaleEB->SetValue(s.XScale);
    YScaleEB->SetValue(s.YScale);
    XTranslateEB->SetValue(s.XTranslate);
    YTranslateEB->SetValue(s.YTranslate);
    for (QLineEdit* e : {XScaleEB, YScaleEB, XTranslateEB, YTranslateEB}) SetRed(e, false);
}

void TShapeFileDB::Button5Click()
{
    if (!ReadEdits()) return;
    double miles = 0;
    if (!ComputeMilesPerDegree(FSettings.XTranslate, FSettings.YTranslate, miles)) {
        ShowMessageText(Sink(), MessageText(MsgTransformValues), ShapeFileCaption, MB_EXCLAMATION_OK);
        return;
    }
    FSettings.MilesPerDegree = miles;
    ShowMiles(miles);
    SetRed(MilesPerDegreeEB, false);
}

// ---------------------------------------------------------------- export

TShapeExportDB::TShapeExportDB(TNetwork& Net, TWindowSettings& Settings, const TViewRecord& View, QWidget* Parent)
    : QDialog(Parent), FNet(Net), FSettings(Settings), FView(View)
{
    setObjectName("ShapeExportDB");
    setWindowTitle("ArcGIS Shapefile Export");
    auto* v = new QVBoxLayout(this);
    RadioGroup1 = Radios(this, "RadioGroup1", "Network Elements",
                         {"Everything (shp + dbf)", "Nodes > Points (shp)", "Links > Polylines (shp)",
                          "Polygons > Polygons (shp)"},
                         Choice);
    v->addWidget(RadioGroup1);
    FilterCB = new QCheckBox("Filter-out nodes with no attached links", this);
    FilterCB->setObjectName("FilterCB");
    v->addWidget(FilterCB);
    auto* actions = new QHBoxLayout;
    Button3 = Button(this, "Button3", "Export");
    Button4 = Button(this, "Button4", "Extract/Update");
    actions->addWidget(Button3);
    actions->addWidget(Button4);
    v->addLayout(actions);
    StatusEB = AddStatusField(this, v);
    Button1 = Button(this, "Button1", "OK");
    Button1->setDefault(true);
    Button2 = Button(this, "Button2", "Cancel");
    AddButtonRow(v, {Button1, Button2});
    ExportDB = MakeFileChooser(this, "ExportDB", "Export Shapefile", ShapeFilter, true, "shp");

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { reject(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    FormShow();
}

TShapeExportDB::~TShapeExportDB() = default;

TMessageSink& TShapeExportDB::Sink() { return FBoxes.Of(this, Boxes); }

void TShapeExportDB::showEvent(QShowEvent* Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TShapeExportDB::FormShow()
{
    CheckRadio(Choice, FSettings.ShapeExportChoice);
    FilterCB->setChecked(FSettings.ShapeExportFilter != 0);
    StatusEB->clear();
}

void TShapeExportDB::Button1Click()
{
    FSettings.ShapeExportChoice = std::max(0, Choice->checkedId());
    FSettings.ShapeExportFilter = FilterCB->isChecked() ? 1 : 0;
    accept();
}

void TShapeExportDB::Button3Click()
{
    std::string file;
    if (!toolwidgets::ChooseFile(*ExportDB, RunFileDialog, file)) return;
    TBusy busy(this);
    const std::shared_ptr<void> step = LongStep ? LongStep() : nullptr;
    auto show = [this](const std::string& text) { ShowStatus(StatusEB, text); };
    const TShapeExportResult r =
        ExportShapefiles(FNet, FSettings, FView, std::max(0, Choice->checkedId()), FilterCB->isChecked(), file, Sink(),
                         show, [this] {
                             if (ProcessEvents) ProcessEvents();
                         });
    show(r.Status);
}

void TShapeExportDB::Button4Click()
{
    const bool polygons = Choice->checkedId() == ShapeExportPolygons, filter = FilterCB->isChecked();
    if (ShowExtract) {
        ShowExtract(polygons, filter);
        return;
    }
    TExtractDB d(FNet, FSettings, FView, this);
    d.ForceDBase = true;
    d.ForceOnlyPolygons = polygons;
    d.ShownFilter = filter ? 1 : 0;
    d.Boxes = Boxes;
    d.exec();
}
