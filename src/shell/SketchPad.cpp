#include "shell/SketchPad.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "core/file/TextFormat.h"
#include "core/model/Rounding.h"
#include "core/shapes/BatchScript.h"
#include "platform/Canvas.h"
#include "platform/Cursors.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDrawPad.h"
#include "shell/PadHandles.h"

namespace {
// The point marker: a 7 x 7 circle over the pad; dragging it moves its point.
class TPointMarker : public QWidget {
public:
    explicit TPointMarker(QWidget* Parent) : QWidget(Parent)
    {
        setObjectName("ShapeNode");
        setFixedSize(7, 7);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawEllipse(0, 0, 6, 6);
    }
};
} // namespace

TSketchPadWindow::TSketchPadWindow(TZOKMainWindow& AMain) : QAbstractScrollArea(nullptr), Main(AMain)
{
    setObjectName("SketchPadWindow");
    setAttribute(Qt::WA_DeleteOnClose, false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(PadCrossCursor());
    setFocusPolicy(Qt::StrongFocus);
    View.Settings = &Settings;
    NewNetwork();
    BuildMenus();
    InitPadDefaults();
    ShapeNode = new TPointMarker(viewport());
    Handles = &TPadHandles::Of(*this);
    TPadEditor::Of(*this); // mouse editing in the sketch modes
}

TSketchPadWindow::~TSketchPadWindow()
{
    // The editor watches the viewport: it goes before the window's parts do,
    // so that no event of their teardown reaches it.
    if (auto* e = findChild<TPadEditor*>(QString(), Qt::FindDirectChildrenOnly)) {
        viewport()->removeEventFilter(e);
        removeEventFilter(e);
        delete e;
    }
    for (QMenu* m : Menus) delete m;
}

void TSketchPadWindow::ForgetNetwork()
{
    View.PickedNode = nullptr;
    View.PickedShapePoint = nullptr;
    View.CurrentNode = nullptr;
    if (auto* e = findChild<TPadEditor*>(QString(), Qt::FindDirectChildrenOnly)) e->ForgetNetwork();
}

void TSketchPadWindow::NewNetwork()
{
    ForgetNetwork();
    if (Network) Network->OnAllowClose = nullptr;
    Network = std::make_shared<TNetwork>();
    BackgroundImages = std::make_shared<TBackgroundImageSet>();
    // Nothing of the window may point into the network it replaces.
    Settings.Search.PolygonCriterion.Owner = nullptr;
    Settings.DesireTables.reset();
    // Changes of the network mark this window, its master and all its views.
    Network->OnAllowClose = [this](bool allow) { Main.SetAllowClose(*this, allow ? 1 : 0); };
}

bool TSketchPadWindow::IsUntouched() const
{
    const TNetwork& n = *Network;
    return FileName == Main.DefaultFileName && !IsView && !HasViews && n.NodeCount == 0 &&
           CountEntityTypes(*n.NodeClasses) == 0 && CountEntityTypes(*n.LinkClasses) == 0 &&
           CountAttributes(*n.SystemClass) == 0;
}

void TSketchPadWindow::LoadBackgroundImages(const std::string& NetworkFile)
{
    std::string file = NetworkFile.empty() ? BackgroundImages->NetworkFile() : NetworkFile;
    // A network saved under a name since (or never loaded) looks beside that file.
    if (file.empty() && FileName != Main.DefaultFileName) file = FileName;
    BackgroundImages->Load(Settings.Backgrounds, file);
}

QAction* TSketchPadWindow::Action(const char* Name) const { return findChild<QAction*>(QString::fromLatin1(Name)); }

void TSketchPadWindow::InitPadDefaults()
{
    Settings.Reset();
    PolygonCoverageSettings = {};
    View.Reset();
    View.CreatedTime = Main.Now().toMSecsSinceEpoch();
    FileName = Main.DefaultFileName;
    for (int i = 1; i <= MaxZoomLevel; ++i)
        if (ZoomItems[size_t(i)]) ZoomItems[size_t(i)]->setChecked(i == DefaultZoomLevel);
    if (AutoSave1) AutoSave1->setChecked(View.AutoBackup != 0);
    if (DarkCursorM) DarkCursorM->setChecked(false);
    for (QAction* a : ToolbarItems)
        if (a) a->setChecked(true);
    Main.setsnap(1);
}

void TSketchPadWindow::SetCaption(const std::string& Caption)
{
    setWindowTitle(ShownName(Caption));
    if (SubWindow) SubWindow->setWindowTitle(windowTitle());
}

std::string TSketchPadWindow::Caption() const
{
    return DiskName(windowTitle());
}

std::string TSketchPadWindow::ViewCaption() const
{
    return "View " + std::to_string(ViewNumber) + " of " + CaptionOfPath(MasterPad ? MasterPad->FileName : FileName);
}

void TSketchPadWindow::CopyViewSettings(TSketchPadWindow& Source)
{
    ForgetNetwork();
    Network = Source.Network;
    // The window's own copy of every setting, and of its pictures.
    Settings = Source.Settings;
    // The shortest-path choices are the window's own and start afresh.
    Settings.Display.ShortestPath.Reset();
    BackgroundImages = std::make_shared<TBackgroundImageSet>(*Source.BackgroundImages);
    Source.HasViews = 1;
    IsView = 1;
    MasterPad = Source.IsView && Source.MasterPad ? Source.MasterPad : &Source;
    FileName = MasterPad->FileName;

    int64_t created = View.CreatedTime;
    View = Source.View;
    View.Settings = &Settings;
    View.CreatedTime = created;
    View.SketchMode = 0;
    View.ZoomInState = View.ZoomOutState = 0;
    View.SetOriginFromExtents();
    View.CursorX = View.MinX + 10;
    View.CursorY = View.MinY + 10;
    View.MouseX = View.CursorX;
    View.MouseY = View.CursorY;

    MasterPad->ViewCount += 1;
    ViewNumber = MasterPad->ViewCount;
    SetCaption(ViewCaption());

    if (DarkCursorM) DarkCursorM->setChecked(View.DarkCursor != 0);
    if (AutoSave1) AutoSave1->setChecked(View.AutoBackup != 0);
    for (int k = 0; k < ToolbarCount; ++k)
        if (ToolbarItems[size_t(k)]) ToolbarItems[size_t(k)]->setChecked(View.ToolbarShown[size_t(k)] != 0);
    for (int i = 1; i <= MaxZoomLevel; ++i)
        if (ZoomItems[size_t(i)]) ZoomItems[size_t(i)]->setChecked(i == View.ZoomIndex);
    SetScrollRanges();
}

// ---- viewport ----

int TSketchPadWindow::HorzPos() const { return horizontalScrollBar()->value(); }
int TSketchPadWindow::VertPos() const { return verticalScrollBar()->value(); }

void TSketchPadWindow::SetScrollPositions(int H, int V)
{
    horizontalScrollBar()->setValue(H);
    verticalScrollBar()->setValue(V);
}

void TSketchPadWindow::SetScrollRanges()
{
    FHorzRange = ScrollRange(View.MinX, View.MaxX, View.Scale);
    FVertRange = ScrollRange(View.MinY, View.MaxY, View.Scale);
    const QSize client = viewport()->size();
    // The scroll bars run over the part of the range that the window cannot show.
    horizontalScrollBar()->setRange(0, std::max(0, FHorzRange - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, FVertRange - client.height()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

void TSketchPadWindow::ApplyZoom(int Level, int32_t X, bool ByPoint, int32_t Y)
{
    if (!ValidZoomLevel(Level)) return;
    if (Handles) Handles->ShowBackgroundFrame(false);
    const double oldScale = View.Scale;
    const int oldH = HorzPos(), oldV = VertPos();
    View.Scale = ScaleOfLevel(Level);
    SetScrollRanges();
    int h, v;
    if (ByPoint) {
        h = CentredScrollPosition(X, View.MinX, View.MaxX, FHorzRange, viewport()->width());
        v = CentredScrollPosition(Y, View.MinY, View.MaxY, FVertRange, viewport()->height());
    } else {
        h = RescaledScrollPosition(oldH, oldScale, View.Scale);
        v = RescaledScrollPosition(oldV, oldScale, View.Scale);
    }
    SetScrollPositions(h, v);
    horizontalScrollBar()->setSingleStep(ZoomLevels[Level].Increment);
    verticalScrollBar()->setSingleStep(ZoomLevels[Level].Increment);
    InvalidatePad();
}

bool TSketchPadWindow::CheckZoomLimit(int Level)
{
    int width = Main.ScreenWidth ? Main.ScreenWidth() : 1024;
    if (ZoomLevelFits(width, Level)) return true;
    ShowMessageBox(*Main.Boxes, 247, 248, MB_EXCLAMATION_OK);
    return false;
}

void TSketchPadWindow::StepZoom(int32_t X, int32_t Y, bool Out)
{
    int level = View.ZoomIndex;
    if (Out) {
        level = std::max(MinZoomLevel, level - 1);
    } else {
        level = std::min(MaxZoomLevel, level + 1);
        if (level != View.ZoomIndex && !CheckZoomLimit(level)) level = View.ZoomIndex;
    }
    if (level != View.ZoomIndex) {
        ApplyZoom(level, X, true, Y);
        View.ZoomIndex = level;
    }
    for (int i = 1; i <= MaxZoomLevel; ++i)
        if (ZoomItems[size_t(i)]) ZoomItems[size_t(i)]->setChecked(i == View.ZoomIndex);
    if (Main.CurrentPad == this && Main.Panels[2]) Main.Panels[2]->setText(Latin1(ZoomRatioText(View.ZoomIndex)));
}

// The marker follows its point through scrolls, zooms and edits from any view.
// A repaint takes the triangles away.
void TSketchPadWindow::InvalidatePad()
{
    Triangles = {};
    if (ShapeNode && ShapeNode->isVisible()) PlacePointMarker();
    if (Handles) Handles->Reposition();
    viewport()->update();
}

void TSketchPadWindow::ShowTriangles(std::vector<TDEdge> Edges)
{
    Triangles = std::move(Edges);
    viewport()->update();
}

void TSketchPadWindow::SelectOther(bool PointHit)
{
    if (Handles) Handles->SelectOther(PointHit, View.CursorX, View.CursorY);
}

void TSketchPadWindow::HideObjectMarks()
{
    if (Handles) Handles->HideSelection();
}

void TSketchPadWindow::ShowPointMarker()
{
    MarkedNetwork = Network;
    PlacePointMarker();
    const TNode* n = View.PickedNode;
    ShapeNode->setToolTip(n ? Latin1(n->Name) : QString());
}

void TSketchPadWindow::HidePointMarker()
{
    ShapeNode->hide();
    ShapeNode->setToolTip(QString());
}

// Centres the marker on its point's pixel position, after a scroll or a zoom
// too; a point that went inactive, or a network that was replaced, takes the
// marker away.
void TSketchPadWindow::PlacePointMarker()
{
    // The network first: the picks of a replaced one must not be read.
    const TNetworkPoint* p = nullptr;
    if (MarkedNetwork.lock() == Network)
        p = View.PickedNode ? static_cast<const TNetworkPoint*>(View.PickedNode) : View.PickedShapePoint;
    const TShapePoint* sp = View.PickedNode ? nullptr : View.PickedShapePoint;
    const bool linkGone = p && sp && !(sp->Link && sp->Link->LinkValues && sp->Link->LinkValues->Active);
    if (!p || !p->Active || linkGone) {
        HidePointMarker();
        return;
    }
    const int w = ShapeNode->width(), h = ShapeNode->height();
    ShapeNode->move(PixelX(p->X) - w / 2, PixelY(p->Y) - h / 2);
    ShapeNode->show();
}

QRect TSketchPadWindow::WorldRectPixels(const TBox& Rect, int32_t Margin) const
{
    if (Rect.IsEmpty()) return {};
    // In doubles and clamped: boxes may be as wide as the whole int32 range.
    auto px = [this](double world, int32_t origin, int pos) {
        const double v = pround((world + origin) * View.Scale) - pos;
        return int(std::clamp(v, -1e9, 1e9));
    };
    const int left = px(double(Rect.MinX) - Margin, View.OriginX, HorzPos());
    const int right = px(double(Rect.MaxX) + Margin, View.OriginX, HorzPos());
    const int top = px(double(Rect.MinY) - Margin, View.OriginY, VertPos());
    const int bottom = px(double(Rect.MaxY) + Margin, View.OriginY, VertPos());
    return QRect(QPoint(left, top), QPoint(right, bottom)).normalized();
}

void TSketchPadWindow::InvalidateWorldRect(const TBox& Rect, int32_t Margin)
{
    if (!Triangles.empty()) {
        InvalidatePad();
        return;
    }
    viewport()->update(WorldRectPixels(Rect, Margin).intersected(viewport()->rect().adjusted(-1, -1, 1, 1)));
}

void TSketchPadWindow::ExtendArea(TSide Side)
{
    if (Handles) Handles->ShowBackgroundFrame(false);
    switch (Side) {
    case SideRight: View.MaxX += ExtensionStep; break;
    case SideDown: View.MaxY += ExtensionStep; break;
    case SideLeft:
        View.MinX -= ExtensionStep;
        View.OriginX += ExtensionStep;
        break;
    case SideUp:
        View.MinY -= ExtensionStep;
        View.OriginY += ExtensionStep;
        break;
    }
    SetScrollRanges();
    InvalidatePad();
}

void TSketchPadWindow::NudgeByKey(int Code)
{
    const int step = Main.SnapStep;
    int dx = 0, dy = 0;
    switch (Code) {
    case 51: dx = step; break;
    case 52: dx = -step; break;
    case 53: dy = -step; break;
    case 54: dy = step; break;
    default: return;
    }
    // Select Object: the background frame, or the point marker, moves.
    if (View.SketchMode == 0 && Handles && Handles->Nudge(dx, dy)) return;
    if (IsCrosshairMode(View.SketchMode)) {
        int64_t x = int64_t(View.CursorX) + dx, y = int64_t(View.CursorY) + dy;
        if (x > -CoordinateLimit && x < CoordinateLimit) View.CursorX = int32_t(x);
        if (y > -CoordinateLimit && y < CoordinateLimit) View.CursorY = int32_t(y);
        InvalidatePad();
        Main.WriteCoordinates(View.CursorX, View.CursorY);
    } else {
        QCursor::setPos(QCursor::pos() + QPoint(dx, dy));
    }
}

int32_t TSketchPadWindow::WorldX(int Px) const { return PixelToWorld(Px, View.MinX, View.Scale, HorzPos()); }
int32_t TSketchPadWindow::WorldY(int Py) const { return PixelToWorld(Py, View.MinY, View.Scale, VertPos()); }
int32_t TSketchPadWindow::PixelX(int32_t Wx) const { return WorldToPixel(Wx, View.OriginX, View.Scale, HorzPos()); }
int32_t TSketchPadWindow::PixelY(int32_t Wy) const { return WorldToPixel(Wy, View.OriginY, View.Scale, VertPos()); }

// ---- events ----

static QColor ColorOf(uint32_t rgb) { return QColor(int((rgb >> 16) & 255), int((rgb >> 8) & 255), int(rgb & 255)); }

void TSketchPadWindow::paintEvent(QPaintEvent* Event)
{
    View.ScrollOffsetX = int32_t(pround(HorzPos() / View.Scale));
    View.ScrollOffsetY = int32_t(pround(VertPos() / View.Scale));
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), ColorOf(Main.PaletteRGB[0]));
    PaintSketchPad(*this, p, Event->rect());
}

void TSketchPadWindow::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    SetScrollRanges();
}

void TSketchPadWindow::scrollContentsBy(int, int) { InvalidatePad(); }

void TSketchPadWindow::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    View.MouseX = WorldX(p.x());
    View.MouseY = WorldY(p.y());
    Main.ShowMousePosition(View.MouseX, View.MouseY);
}


void TSketchPadWindow::closeEvent(QCloseEvent* Event)
{
    if (Destroying) {
        Event->accept();
        return;
    }
    if (!Main.FormCloseQuery(*this)) {
        Event->ignore();
        return;
    }
    Event->accept();
    Main.FormClose(*this);
}
