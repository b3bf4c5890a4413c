#include "schema/ElementDialogs.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/edit/ElementReports.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/WidthSizes.h"
#include "core/file/TextFormat.h"
#include "core/geo/LongLat.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "schema/ValueDialogs.h"
#include "shell/NodeLinkDraw.h"
#include "shell/RealEdit.h"
#include "shell/SketchPad.h"

namespace {

QPushButton* Button(QDialog* d, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromLatin1(text), d);
    b->setObjectName(name);
    return b;
}


template <class W>
W* Named(W* w, const char* name)
{
    w->setObjectName(name);
    return w;
}

TLink* AHalf(TLink* h)
{
    if (!h || !h->LinkValues || h->AEnd() || !h->LinkValues->ANode) return h;
    for (TLink* g : h->LinkValues->ANode->Links)
        if (g->LinkValues == h->LinkValues && g->AEnd()) return g;
    return h;
}

} // namespace

// ---------------------------------------------------------------- formats

TEntityFormat FormatOf(const TNode& n)
{
    return {n.Font, n.Place, n.Label1, n.Label2, n.PolygonStyle, n.BitmapOverride, n.SuppressLabel, n.LabelXOffset(),
            n.LabelYOffset()};
}
TEntityFormat FormatOf(const TLinkValues& l)
{
    return {l.Font, l.Place, l.Label1, l.Label2, 0, l.BitmapOverride, l.SuppressLabel, l.LabelXOffset, l.LabelYOffset};
}
void StoreFormat(const TEntityFormat& f, TNode& n)
{
    n.Font = f.Font;
    n.Place = f.Place;
    n.Label1 = f.Label1;
    n.Label2 = f.Label2;
    n.PolygonStyle = f.PolygonStyle;
    n.BitmapOverride = f.BitmapOverride;
    n.SuppressLabel = f.SuppressLabel;
    n.SetLabelOffset(f.LabelXOffset, f.LabelYOffset);
}
void StoreFormat(const TEntityFormat& f, TLinkValues& l)
{
    l.Font = f.Font;
    l.Place = f.Place;
    l.Label1 = f.Label1;
    l.Label2 = f.Label2;
    l.BitmapOverride = f.BitmapOverride;
    l.SuppressLabel = f.SuppressLabel;
    l.LabelXOffset = f.LabelXOffset;
    l.LabelYOffset = f.LabelYOffset;
}

std::vector<std::string> NoteLines(const std::string& note)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = note.find("&&", start);
        if (end == std::string::npos) {
            if (start < note.size()) lines.push_back(note.substr(start));
            return lines;
        }
        lines.push_back(note.substr(start, end - start));
        start = end + 2;
    }
}

std::string JoinNoteLines(const std::vector<std::string>& lines)
{
    size_t last = lines.size();
    while (last > 0 && lines[last - 1].empty()) --last;
    std::string s;
    for (size_t i = 0; i < last; ++i) s += lines[i] + "&&";
    return s;
}

// ---------------------------------------------------------------- bitmaps

TViewBitmapsDB::TViewBitmapsDB(const TSymbolImages* AImages, bool ALinks, int Number, QWidget* Parent)
    : QDialog(Parent), Images(AImages), Links(ALinks)
{
    setObjectName("ViewBitmapsDB");
    setWindowTitle(Links ? "View Link Bitmaps" : "View Node Bitmaps");
    BitmapSE = Named(new QSpinBox(this), "BitmapSE");
    BitmapSE->setRange(0, 255);
    Image1 = Named(new QLabel, "Image1");
    auto* scroll = Named(new QScrollArea(this), "ScrollBox1");
    scroll->setWidget(Image1);
    scroll->setWidgetResizable(false);
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitmapSE, &QSpinBox::valueChanged, this, &TViewBitmapsDB::ShowNumber);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Bitmap Number:", this));
    top->addWidget(BitmapSE);
    layout->addLayout(top);
    layout->addWidget(scroll);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
    BitmapSE->setValue(std::clamp(Number, 0, 255));
    ShowNumber(BitmapSE->value());
}

void TViewBitmapsDB::ShowNumber(int n)
{
    const TSymbolImages::TEntry* e = nullptr;
    if (Images && n >= 1 && n < 240) e = Links ? Images->Link(n) : Images->Node(n);
    QImage image = e && !e->Raw.isNull() ? e->Raw : QImage(10, 10, QImage::Format_RGB32);
    if (!e || e->Raw.isNull()) image.fill(Qt::white);
    Image1->setPixmap(QPixmap::fromImage(image));
    Image1->resize(image.size());
}

// ---------------------------------------------------------------- entity format

TEntityFormatDB::TEntityFormatDB(TSchemaContext& Context, TEntityFormat& AFormat, bool ALinks, int ClassNo,
                                 const TLink* ALink, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Format(AFormat), Links(ALinks), Link(ALink)
{
    setObjectName("EntityFormatDB");
    setWindowTitle("Entity Format");
    PlaceCB = Named(new QComboBox(this), "PlaceCB");
    const int positionIds[7] = {62, 63, 64, 65, 66, 67, 226};
    for (int i = 0; i <= 7; ++i) PlaceCB->addItem(i < 7 ? ShowText(MessageText(positionIds[i])) : QString::number(i));
    PlaceCB->setCurrentIndex(std::min<int>(Format.Place, 7));
    FontCB = Named(new QComboBox(this), "FontCB");
    for (int i = 0; i <= 10; ++i) FontCB->addItem(QString::number(i));
    FontCB->setCurrentIndex(std::min<int>(Format.Font, 10));
    FirstCB = Named(new QComboBox(this), "FirstCB");
    SecondCB = Named(new QComboBox(this), "SecondCB");
    std::vector<std::pair<QString, int>> items = {{ShowText(MessageText(72)), 0}, {ShowText(MessageText(138)), 101}};
    if (!Links) items.push_back({ShowText(MessageText(185)), 103});
    items.push_back({ShowText(MessageText(294)), 106});
    items.push_back({ShowText(MessageText(295)), 107});
    items.push_back({ShowText(MessageText(Links ? 140 : 139)), 102});
    items.push_back({ShowText(MessageText(Links ? 277 : 278)), Links ? 103 : 105});
    if (!Links) items.push_back({ShowText(MessageText(232)), 104});
    const TEntityClass* table = ClassTable(*Ctx.Net, Links ? TClassKind::Link : TClassKind::Node);
    if (table && ClassNo >= 0 && ClassNo <= MaxClasses) {
        const TClassRecord& r = (*table)[ClassNo];
        for (int i = 1; i <= std::clamp(r.AttributeCount, 0, MaxAttributes); ++i)
            items.push_back({ShowText(PositionalAttributeName(i) + " " + (r.Attr(i) ? r.Attr(i)->Name : "")), i});
    }
    for (QComboBox* cb : {FirstCB, SecondCB}) {
        for (auto& [text, code] : items) cb->addItem(text, code);
        const int code = cb == FirstCB ? Format.Label1 : Format.Label2;
        int at = cb->findData(code);
        if (at < 0) {
            cb->addItem(QString("Code %1").arg(code), code); // a code the lists do not offer stays
            at = cb->count() - 1;
        }
        cb->setCurrentIndex(at);
    }
    PolygonStyleCB = Named(new QComboBox(this), "PolygonStyleCB");
    for (int i = 0; i < PolygonStyleCount; ++i) {
        QPixmap swatch(16, 12);
        const uint32_t rgb = Ctx.Settings ? ProgramPaletteRgb[size_t(std::clamp(Ctx.Settings->Display.PolygonStyles[size_t(i)].FillColor, 0, 25))] : 0;
        swatch.fill(QColor::fromRgb(rgb));
        PolygonStyleCB->addItem(QIcon(swatch), QString::number(i));
    }
    PolygonStyleCB->setCurrentIndex(std::min<int>(Format.PolygonStyle, PolygonStyleCount - 1));
    PolygonStyleCB->setEnabled(!Links);
    XOffsetSE = Named(new QSpinBox(this), "XOffsetSE");
    YOffsetSE = Named(new QSpinBox(this), "YOffsetSE");
    for (QSpinBox* s : {XOffsetSE, YOffsetSE}) s->setRange(-32768, 32767);
    XOffsetSE->setValue(Format.LabelXOffset);
    YOffsetSE->setValue(Format.LabelYOffset);
    BitmapEB = Named(new QLineEdit(this), "BitmapEB");
    BitmapEB->setReadOnly(true);
    BitmapEB->setToolTip("Double-click to change");
    BitmapEB->setText(QString::number(Format.BitmapOverride));
    BitmapEB->installEventFilter(this);
    SuppressCB = Named(new QCheckBox("Suppress Label", this), "SuppressCB");
    SuppressCB->setChecked(Format.SuppressLabel != 0);
    GuessBtn = Button(this, "GuessBtn", "Guess Offset");
    GuessBtn->setVisible(Links);
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(GuessBtn, &QPushButton::clicked, this, &TEntityFormatDB::GuessOffset);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow("Place:", PlaceCB);
    form->addRow("Font:", FontCB);
    form->addRow("First:", FirstCB);
    form->addRow("Second:", SecondCB);
    form->addRow("Polygon Style:", PolygonStyleCB);
    form->addRow("Label X Offset:", XOffsetSE);
    form->addRow("Label Y Offset:", YOffsetSE);
    form->addRow("Bitmap Override:", BitmapEB);
    form->addRow(SuppressCB);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({GuessBtn, OKBtn, CancelBtn}));
}

bool TEntityFormatDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == BitmapEB && Event->type() == QEvent::MouseButtonDblClick) {
        BitmapDoubleClick();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TEntityFormatDB::BitmapDoubleClick()
{
    TViewBitmapsDB d(Images, Links, BitmapEB->text().toInt(), this);
    if (Ctx.Exec(d) == QDialog::Accepted) BitmapEB->setText(QString::number(d.BitmapSE->value()));
}

// A label offset beside the link: ten units off its chord's middle, to the
// chord's left as seen from the A node.
void TEntityFormatDB::GuessOffset()
{
    if (!Link || !Link->LinkValues || !Link->LinkValues->ANode || !Link->LinkValues->BNode) return;
    const TNode* a = Link->LinkValues->ANode;
    const TNode* b = Link->LinkValues->BNode;
    const double dx = double(b->X) - a->X, dy = double(b->Y) - a->Y;
    const double len = std::hypot(dx, dy);
    if (!(len > 0)) return;
    XOffsetSE->setValue(int(std::nearbyint(dy / len * 10)));
    YOffsetSE->setValue(int(std::nearbyint(-dx / len * 10)));
}

void TEntityFormatDB::accept()
{
    Format.Place = uint8_t(PlaceCB->currentIndex());
    Format.Font = uint8_t(FontCB->currentIndex());
    Format.Label1 = uint8_t(FirstCB->currentData().toInt());
    Format.Label2 = uint8_t(SecondCB->currentData().toInt());
    if (!Links) Format.PolygonStyle = uint8_t(std::max(0, PolygonStyleCB->currentIndex()));
    Format.LabelXOffset = int16_t(XOffsetSE->value());
    Format.LabelYOffset = int16_t(YOffsetSE->value());
    Format.BitmapOverride = uint8_t(std::clamp(BitmapEB->text().toInt(), 0, 255));
    Format.SuppressLabel = SuppressCB->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---------------------------------------------------------------- long/lat

TLongLatDB::TLongLatDB(TSchemaContext& Context, TNetworkPoint& APoint, TPointGeo& AGeo, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Point(APoint), Geo(AGeo)
{
    setObjectName("LongLatDB");
    setWindowTitle("Entity Longitude/Latitude/Elevation");
    const bool shape = Point.IsShapePoint();
    HeadingLabel = Named(new QLabel(ShowText(MessageText(shape ? 435 : 436)), this), "HeadingLabel");
    LongitudeEdit = Named(new trealedit(this), "LongitudeEdit");
    LatitudeEdit = Named(new trealedit(this), "LatitudeEdit");
    ElevationEdit = Named(new trealedit(this), "ElevationEdit");
    LongitudeEdit->SetValue(Geo.Longitude / 1e7);
    LatitudeEdit->SetValue(Geo.Latitude / 1e7);
    ElevationEdit->SetValue(Geo.Elevation / 1e4);
    LocationLabel = Named(new QLabel(QString("%1, %2").arg(Point.X).arg(Point.Y), this), "LocationLabel");
    QString owners;
    if (shape) {
        const TLink* h = Point.AsShapePoint()->Link;
        if (h && h->LinkValues) owners = ShowText(h->LinkValues->Name);
    } else {
        for (TNode* o : Ctx.Net->PolygonsOf(&Point)) owners += (owners.isEmpty() ? "" : ", ") + ShowText(o->Name);
    }
    OwnersLabel = Named(new QLabel(owners, this), "OwnersLabel");
    ExcludeCB = Named(new QCheckBox("Exclude node as triangle vertex in elevation calculations", this), "ExcludeCB");
    ExcludeCB->setChecked(Geo.Exclude != 0);
    const int method = Ctx.Settings ? Ctx.Settings->LongLat.LongLatMethod : 0;
    const int suffix = method == 1 ? 432 : method == 2 ? 433 : method == 3 ? 434 : 437;
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    ComputeXYBtn = Button(this, "ComputeXYBtn", "Compute from XY");
    ComputeXYBtn->setText(ShowText(MessageText(431) + MessageText(suffix)));
    ComputeElevationBtn = Button(this, "ComputeElevationBtn", "Compute Elevation");
    LinkBtn = Button(this, "LinkBtn", "Link...");
    LinkBtn->setVisible(shape);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComputeXYBtn, &QPushButton::clicked, this, &TLongLatDB::ComputeFromXY);
    connect(ComputeElevationBtn, &QPushButton::clicked, this, &TLongLatDB::ComputeElevation);
    connect(LinkBtn, &QPushButton::clicked, this, [this] {
        TShapePoint* sp = Point.AsShapePoint();
        if (sp && sp->Link) ShowLinkDialog(Ctx, *sp->Link);
    });
    auto* form = new QFormLayout;
    form->addRow(HeadingLabel);
    form->addRow("Longitude:", LongitudeEdit);
    form->addRow("Latitude:", LatitudeEdit);
    form->addRow("Elevation:", ElevationEdit);
    form->addRow("Location:", LocationLabel);
    form->addRow(shape ? "Link:" : "Owners:", OwnersLabel);
    form->addRow(ExcludeCB);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({OKBtn, CancelBtn, ComputeXYBtn, ComputeElevationBtn, LinkBtn}));
}

void TLongLatDB::ComputeFromXY()
{
    const bool usable = Ctx.Settings && !Ctx.Settings->LongLat.PivotNodeName.empty();
    const int32_t lon = Point.Longitude, lat = Point.Latitude;
    const uint8_t known = Point.LongLatKnown;
    bool done = false;
    if (usable) {
        Point.Longitude = Point.Latitude = 0;
        done = ComputeLongLatFromXY(*Ctx.Net, Ctx.Settings->LongLat, Point) && (Point.Longitude || Point.Latitude);
        if (done) {
            LongitudeEdit->SetValue(Point.Longitude / 1e7);
            LatitudeEdit->SetValue(Point.Latitude / 1e7);
        }
        // Nothing reaches the point before OK.
        Point.Longitude = lon;
        Point.Latitude = lat;
        Point.LongLatKnown = known;
    }
    if (!done && Ctx.Boxes) ShowMessageBox(*Ctx.Boxes, 440, 438, MB_EXCLAMATION_OK);
}

void TLongLatDB::ComputeElevation()
{
    if (TShapePoint* sp = Point.AsShapePoint())
        ElevationEdit->SetValue(ShapePointElevationAlongLink(*sp, Ctx.UnitsFactor()));
    else {
        // The triangles go over the window of the dialog.
        std::vector<TDEdge> edges;
        TDelaunay::TLineSink sink;
        if (Ctx.Pad) sink = [&edges](int32_t x1, int32_t y1, int32_t x2, int32_t y2) { edges.push_back({x1, y1, x2, y2}); };
        ElevationEdit->SetValue(InterpolateElevationAt(*Ctx.Net, Point, false, Ctx.Boxes, sink));
        if (Ctx.Pad) Ctx.Pad->ShowTriangles(std::move(edges));
    }
}

void TLongLatDB::accept()
{
    double lon = 0, lat = 0, elev = 0;
    const bool okLon = ParseRealText(TypedText(LongitudeEdit->text()), lon);
    const bool okLat = ParseRealText(TypedText(LatitudeEdit->text()), lat);
    const bool okElev = ParseRealText(TypedText(ElevationEdit->text()), elev);
    TNetworkPoint* scratch = &Point;
    const int32_t keep[3] = {Point.Longitude, Point.Latitude, Point.Elevation};
    int id = okLon && okLat ? (okElev ? StorePointLongLat(*scratch, lon, lat, elev) : MsgElevationError) : MsgLongLatError;
    if (id == 0) {
        Geo.Longitude = Point.Longitude;
        Geo.Latitude = Point.Latitude;
        Geo.Elevation = Point.Elevation;
        Geo.Exclude = ExcludeCB->isChecked() ? 1 : 0;
    }
    Point.Longitude = keep[0];
    Point.Latitude = keep[1];
    Point.Elevation = keep[2];
    MarkBad(LongitudeEdit, id == MsgLongLatError);
    MarkBad(LatitudeEdit, id == MsgLongLatError);
    MarkBad(ElevationEdit, id == MsgElevationError);
    if (id != 0) {
        if (Ctx.Boxes) ShowMessageBox(*Ctx.Boxes, id, 438, MB_EXCLAMATION_OK);
        return;
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- link elevations

TLinkElevationsDB::TLinkElevationsDB(TSchemaContext& Context, TLink& ALink, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Link(ALink)
{
    setObjectName("LinkElevationsDB");
    setWindowTitle("Link Elevations");
    const TLinkValues& r = *Link.LinkValues;
    AElevationLabel = Named(new QLabel(QString::fromLatin1(FormatRealText(r.ANode->Elevation / 1e4)), this), "AElevationLabel");
    BElevationLabel = Named(new QLabel(QString::fromLatin1(FormatRealText(r.BNode->Elevation / 1e4)), this), "BElevationLabel");
    LockCB = Named(new QCheckBox("Lock-out shape points from elevation calculations", this), "LockCB");
    LockCB->setChecked(r.ExcludeShapesFromTriangulation != 0);
    InterpolateBtn = Button(this, "InterpolateBtn", "Interpolate Shape Point Elevations");
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    connect(InterpolateBtn, &QPushButton::clicked, this, [this] {
        Ctx.Net->SetAllowClose(false);
        InterpolateLinkShapeElevations(*Ctx.Net, Ctx.UnitsFactor(), AHalf(&Link));
    });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow("A Node Elevation:", AElevationLabel);
    form->addRow("B Node Elevation:", BElevationLabel);
    form->addRow(LockCB);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({InterpolateBtn, OKBtn, CancelBtn}));
}

void TLinkElevationsDB::accept()
{
    Link.LinkValues->ExcludeShapesFromTriangulation = LockCB->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---------------------------------------------------------------- properties

TPropertiesDB::TPropertiesDB(TSchemaContext& Context, const TNode* ANode, const TLink* ALink, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Node(ANode), Link(ALink)
{
    setObjectName(Node ? "NodePropertiesDB" : "LinkPropertiesDB");
    setWindowTitle(Node ? "Node Properties" : "Link Properties");
    PropertiesMemo = Named(new QPlainTextEdit(this), "PropertiesMemo");
    PropertiesMemo->setReadOnly(true);
    CloseBtn = Button(this, "CloseBtn", "Close");
    NestednessBtn = Button(this, "NestednessBtn", "Nestedness");
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(NestednessBtn, &QPushButton::clicked, this, &TPropertiesDB::NestednessClick);
    static const TWindowSettings defaults;
    const TWindowSettings& s = Ctx.Settings ? *Ctx.Settings : defaults;
    const std::vector<std::string> lines = Node ? NodePropertyLines(*Ctx.Net, s, *Node) : LinkPropertyLines(*Ctx.Net, s, *Link);
    for (const std::string& l : lines) PropertiesMemo->appendPlainText(ShowText(l));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PropertiesMemo);
    layout->addLayout(ButtonRow({CloseBtn, NestednessBtn}));
    resize(420, 420);
}

void TPropertiesDB::NestednessClick()
{
    NestednessBtn->setEnabled(false);
    const std::vector<std::string> lines = Node ? NodeNestednessLines(*Ctx.Net, *Node) : LinkNestednessLines(*Ctx.Net, *Link);
    for (const std::string& l : lines) PropertiesMemo->appendPlainText(ShowText(l));
}

std::vector<std::string> TPropertiesDB::Lines() const
{
    std::vector<std::string> out;
    for (const QString& s : PropertiesMemo->toPlainText().split('\n')) out.push_back(TypedText(s));
    return out;
}

// ---------------------------------------------------------------- node and link

TEntityDB::TEntityDB(TSchemaContext& Context, TNode* ANode, TLink* ALink, QWidget* Parent)
    : QDialog(Parent), Ctx(Context), Node(ANode), Link(ALink)
{
    TNetwork& net = *Ctx.Net;
    const bool isNode = Node != nullptr;
    setObjectName(isNode ? "NodeEntityDB" : "LinkEntityDB");
    setWindowTitle(isNode ? "Node Entity" : "Link Entity");
    TLinkValues* r = Link ? Link->LinkValues.get() : nullptr;
    Edit = isNode ? NodeEdit(net, Node) : LinkEdit(net, Link);
    ClassNo = Edit.ClassNo;
    Format = isNode ? FormatOf(*Node) : FormatOf(*r);
    if (isNode) Geo = {Node->Longitude, Node->Latitude, Node->Elevation, Node->ExcludeFromTriangulation};

    TypeCB = Named(new QComboBox(this), isNode ? "NodeTypeCB" : "LinkTypeCB");
    const TEntityClass& table = *ClassTable(net, isNode ? TClassKind::Node : TClassKind::Link);
    const int defined = CountEntityTypes(table);
    for (int c = 0; c <= defined; ++c) TypeCB->addItem(ShowText(table[c].Name));
    // A class past the defined ones stays until another is chosen.
    TypeCB->setCurrentIndex(ClassNo <= defined ? ClassNo : -1);
    NameEdit = Named(new QLineEdit(this), "NameEdit");
    NameEdit->setText(ShowText(isNode ? Node->Name : r->Name));
    Size1Label = Named(new QLabel(this), "Size1Label");
    Size2Label = Named(new QLabel(this), "Size2Label");
    LocationLabel = Named(new QLabel(this), "LocationLabel");
    NoteMemo = Named(new QPlainTextEdit(this), "NoteMemo");
    QStringList note;
    for (const std::string& l : NoteLines(isNode ? Node->Note() : r->Note)) note << ShowText(l);
    NoteMemo->setPlainText(note.join('\n'));
    FormatBtn = Button(this, "FormatBtn", "&Format");
    AttributesBtn = Button(this, "AttributesBtn", "&Attributes");
    PropertiesBtn = Button(this, "PropertiesBtn", "&Properties");
    OKBtn = Button(this, "OKBtn", "OK");
    CancelBtn = Button(this, "CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(isNode ? "Node Type:" : "Link Type:", TypeCB);
    form->addRow("Name:", NameEdit);
    if (isNode) {
        LayerCB = Named(new QComboBox(this), "LayerCB");
        for (int l = 1; l <= 10; ++l) LayerCB->addItem(QString::number(l));
        LayerCB->setCurrentIndex(std::clamp<int>(Node->Layer, 1, 10) - 1);
        form->addRow("Layer:", LayerCB);
        form->addRow("Size 1:", Size1Label);
        form->addRow("Size 2:", Size2Label);
        LocationLabel->setText(QString("%1, %2").arg(Node->X).arg(Node->Y));
        form->addRow("Location:", LocationLabel);
        OrientationCB = Named(new QComboBox(this), "OrientationCB");
        OrientationCB->addItems({"Clockwise", "Counterclockwise"});
        OrientationCB->setToolTip("Polygon Orientation");
        WasClockwise = PolygonIsClockwise(Node);
        OrientationCB->setCurrentIndex(WasClockwise ? 0 : 1);
        form->addRow(OrientationCB);
        LongLatBtn = Button(this, "LongLatBtn", "&Long/Lat");
        connect(LayerCB, &QComboBox::currentIndexChanged, this, &TEntityDB::UpdateSizes);
        connect(LongLatBtn, &QPushButton::clicked, this, &TEntityDB::LongLatClick);
        MoreBtn = Button(this, "MoreBtn", ">>");
        MorePanel = Named(new QWidget(this), "MorePanel");
        auto* more = new QFormLayout(MorePanel);
        more->addRow("Serial:", new QLabel(QString::number(Node->Serial), MorePanel));
        more->addRow("Polygon vertices:", new QLabel(QString::number(Node->OwnPolygon().GetCount()), MorePanel));
        more->addRow("Polygons it is a vertex of:", new QLabel(QString::number(net.PolygonsOf(Node).GetCount()), MorePanel));
        MorePanel->hide();
        connect(MoreBtn, &QPushButton::clicked, this, [this] {
            MorePanel->setVisible(!MorePanel->isVisible());
            adjustSize();
        });
    } else {
        form->addRow("Width 1:", Size1Label);
        form->addRow("Width 2:", Size2Label);
        if (r->ANode && r->BNode) {
            int32_t mx = 0, my = 0;
            LinkMidpoint(net, AHalf(Link), mx, my);
            LocationLabel->setText(QString("%1, %2").arg(mx).arg(my));
        }
        form->addRow("Midpoint", LocationLabel);
        DirectionLabel = Named(new QLabel(Link->AEnd() ? "A ==> B" : "B ==> A", this), "DirectionLabel");
        form->addRow("Direction:", DirectionLabel);
        ElevationsBtn = Button(this, "ElevationsBtn", "&Elevations");
        // The template link has no ends: nothing to measure.
        ElevationsBtn->setEnabled(r->ANode && r->BNode);
        PropertiesBtn->setEnabled(r->ANode && r->BNode);
        connect(ElevationsBtn, &QPushButton::clicked, this, &TEntityDB::ElevationsClick);
    }
    form->addRow(NoteMemo);
    connect(TypeCB, &QComboBox::currentIndexChanged, this, &TEntityDB::TypeChanged);
    connect(FormatBtn, &QPushButton::clicked, this, &TEntityDB::FormatClick);
    connect(AttributesBtn, &QPushButton::clicked, this, &TEntityDB::AttributesClick);
    connect(PropertiesBtn, &QPushButton::clicked, this, &TEntityDB::PropertiesClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (MorePanel) layout->addWidget(MorePanel);
    layout->addLayout(ButtonRow({FormatBtn, AttributesBtn, LongLatBtn, PropertiesBtn, ElevationsBtn, MoreBtn}));
    layout->addLayout(ButtonRow({OKBtn, CancelBtn}));
    AttributesBtn->setEnabled(Edit.AttributeCount(net) > 0);
    UpdateSizes();
}

const TClassRecord* TEntityDB::ClassRecord(int c) const
{
    const TEntityClass* t = ClassTable(*Ctx.Net, Node ? TClassKind::Node : TClassKind::Link);
    return t && c >= 0 && c <= MaxClasses ? &(*t)[c] : nullptr;
}

void TEntityDB::TypeChanged()
{
    const int c = TypeCB->currentIndex();
    if (c < 0 || c == ClassNo) return;
    const TClassRecord* from = ClassRecord(ClassNo);
    const TClassRecord* to = ClassRecord(c);
    if (from && to) RemapClassValues(*from, ClassNo > 0, *to, c > 0, Edit.Values, Edit.Strings);
    ClassNo = c;
    Edit.ClassNo = c;
    ClassChosen = true;
    AttributesBtn->setEnabled(Edit.AttributeCount(*Ctx.Net) > 0);
    UpdateSizes();
}

void TEntityDB::UpdateSizes()
{
    if (!Ctx.Settings) return;
    TNetwork& net = *Ctx.Net;
    auto random = MakeRunRandom();
    TExprBinding binding(net, Ctx.View, &random);
    TExpressionText t1, t2;
    if (Node) {
        // The sizes of the chosen class and layer, with the values typed so far.
        const uint8_t cls = Node->EntityType, layer = Node->Layer;
        Node->EntityType = uint8_t(ClassNo);
        if (LayerCB) Node->Layer = uint8_t(LayerCB->currentIndex() + 1);
        t1 = NodeSizeExpressionText(net, binding, Ctx.Settings->Widths, *Node, 1);
        t2 = NodeSizeExpressionText(net, binding, Ctx.Settings->Widths, *Node, 2);
        Node->EntityType = cls;
        Node->Layer = layer;
    } else {
        TLinkValues* r = Link->LinkValues;
        if (!r->ANode || !r->BNode) return;
        const uint8_t cls = r->EntityType;
        r->EntityType = uint8_t(ClassNo);
        t1 = LinkWidthExpressionText(net, binding, Ctx.Settings->Widths, *AHalf(Link), 1);
        t2 = LinkWidthExpressionText(net, binding, Ctx.Settings->Widths, *AHalf(Link), 2);
        r->EntityType = cls;
    }
    Size1Label->setText(ShowText(t1.Text));
    Size2Label->setText(ShowText(t2.Text));
}

std::string TEntityDB::NoteText() const
{
    std::vector<std::string> lines;
    for (const QString& s : NoteMemo->toPlainText().split('\n')) lines.push_back(TypedText(s, 255));
    return JoinNoteLines(lines);
}

void TEntityDB::AttributesClick()
{
    const int count = Edit.AttributeCount(*Ctx.Net);
    if (count <= 0) return;
    const TClassRecord* cls = ClassRecord(ClassNo);
    Edit.HasNote = true;
    Edit.Note = NoteText();
    TElementEdit work = Edit;
    TAttributesDB d(Ctx, work, cls ? cls->Name : std::string(), this);
    d.PrepareShrunk(count, 0, 5, nullptr);
    if (Ctx.Exec(d) == QDialog::Accepted) Edit = work;
    UpdateSizes();
}

void TEntityDB::FormatClick()
{
    TEntityFormatDB d(Ctx, Format, Link != nullptr, ClassNo, Link ? AHalf(Link) : nullptr, this);
    d.Images = Images;
    Ctx.Exec(d);
}

void TEntityDB::LongLatClick()
{
    if (!Node) return;
    TPointGeo geo = Geo;
    TLongLatDB d(Ctx, *Node, geo, this);
    if (Ctx.Exec(d) == QDialog::Accepted) Geo = geo;
}

void TEntityDB::PropertiesClick()
{
    TPropertiesDB d(Ctx, Node, Link, this);
    Ctx.Exec(d);
}

void TEntityDB::ElevationsClick()
{
    if (!Link) return;
    TLinkElevationsDB d(Ctx, *Link, this);
    Ctx.Exec(d);
}

void TEntityDB::accept()
{
    if (!TypedTextsKept({NameEdit, NoteMemo}, Ctx.Boxes)) return;
    TNetwork& net = *Ctx.Net;
    net.SetAllowClose(false);
    const std::string note = NoteText();
    if (Node) {
        Node->Longitude = Geo.Longitude;
        Node->Latitude = Geo.Latitude;
        Node->Elevation = Geo.Elevation;
        Node->ExcludeFromTriangulation = Geo.Exclude;
        Node->EntityType = uint8_t(ClassNo);
        if (LayerCB) Node->Layer = uint8_t(LayerCB->currentIndex() + 1);
        if (NameEdit->isModified()) Node->Name = TypedText(NameEdit->text(), 255);
        Node->SetNote(note);
        StoreFormat(Format, *Node);
    } else {
        TLinkValues* r = Link->LinkValues;
        r->EntityType = uint8_t(ClassNo);
        if (NameEdit->isModified()) r->Name = TypedText(NameEdit->text(), 255);
        r->Note = note;
        StoreFormat(Format, *r);
    }
    Edit.ClassNo = ClassNo;
    StoreEditValues(net, Edit);
    if (Node && Node != &net.TemplateNode) {
        if (OrientationCB && Node->OwnPolygon().GetCount() > 0 && (OrientationCB->currentIndex() == 0) != WasClockwise)
            ReversePolygon(Node);
        if (Node->OwnPolygon().GetCount() > 0) UpdateNodePolygonBox(net, Node);
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- entry points

namespace {
// Marks the element edited in the window (drawn without its label) while a dialog runs.
struct TEditedMark {
    TSketchPadWindow* Pad;
    TEditedMark(TSketchPadWindow* pad, const TNode* n, const TLinkValues* l) : Pad(pad)
    {
        if (!Pad) return;
        Pad->View.EditedNode = n;
        Pad->View.EditedLink = l;
    }
    ~TEditedMark()
    {
        if (!Pad) return;
        Pad->View.EditedNode = nullptr;
        Pad->View.EditedLink = nullptr;
    }
};
} // namespace

int ShowNodeDialog(TSchemaContext& Ctx, TNode& Node, const TSymbolImages* Images)
{
    TEditedMark mark(Ctx.Pad, &Node, nullptr);
    TEntityDB d(Ctx, &Node, nullptr, Ctx.Pad);
    d.Images = Images;
    return Ctx.Exec(d);
}

int ShowLinkDialog(TSchemaContext& Ctx, TLink& Link, const TSymbolImages* Images)
{
    TEditedMark mark(Ctx.Pad, nullptr, Link.LinkValues);
    TEntityDB d(Ctx, nullptr, &Link, Ctx.Pad);
    d.Images = Images;
    return Ctx.Exec(d);
}

int ShowElementAttributes(TSchemaContext& Ctx, TNode* Node, TLink* Link)
{
    TNetwork& net = *Ctx.Net;
    TElementEdit edit = Node ? NodeEdit(net, Node) : LinkEdit(net, Link);
    const int count = edit.AttributeCount(net);
    if (count <= 0) return QDialog::Rejected;
    TEditedMark mark(Ctx.Pad, Node, Link ? Link->LinkValues.get() : nullptr);
    const TClassRecord* cls = edit.Class(net);
    TAttributesDB d(Ctx, edit, cls ? cls->Name : std::string(), Ctx.Pad);
    d.PrepareShrunk(count, 0, 5, nullptr);
    const int result = Ctx.Exec(d);
    if (result == QDialog::Accepted) {
        net.SetAllowClose(false);
        StoreEditValues(net, edit);
    }
    return result;
}
