#include "shell/PadHandles.h"

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

#include "core/edit/Editing.h"
#include "core/edit/PlotPage.h"
#include "core/model/Rounding.h"
#include "platform/Latin1.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDrawPad.h"
#include "shell/SketchPad.h"

namespace {

constexpr int HandleSize = 7;
constexpr int ObjectMarkerSize = 11;
constexpr int MarginHandleSize = 10;

// The frame (dotted, clear), a handle (solid square), the object marker
// (dotted square) or a margin handle (red square).
class TMarkWidget : public QWidget {
public:
    enum TLook { Frame, Handle, Object, Bar };
    TMarkWidget(QWidget* parent, const char* name, TLook look, Qt::CursorShape cursor)
        : QWidget(parent), Look(look)
    {
        setObjectName(name);
        setCursor(cursor);
        setMouseTracking(false);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        switch (Look) {
        case Frame:
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
            break;
        case Handle: p.fillRect(rect(), Qt::black); break;
        case Object:
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::white);
            p.drawRect(r);
            break;
        case Bar:
            p.setPen(QPen(Qt::red, 1));
            p.setBrush(QColor(255, 220, 220));
            p.drawRect(r);
            break;
        }
    }

private:
    TLook Look;
};

// A window's view of a network grows to take in (x, y), keeping what it
// shows where it is.
void WidenView(TSketchPadWindow& w, int32_t x, int32_t y)
{
    TPadView& v = w.View;
    if (x >= v.MinX && x <= v.MaxX && y >= v.MinY && y <= v.MaxY) return;
    const int32_t dx = std::max(0, v.MinX - x), dy = std::max(0, v.MinY - y);
    const int h = w.HorzPos(), vv = w.VertPos();
    v.MinX -= dx;
    v.MinY -= dy;
    v.MaxX = std::max(v.MaxX, x);
    v.MaxY = std::max(v.MaxY, y);
    v.SetOriginFromExtents();
    w.SetScrollRanges();
    w.SetScrollPositions(h + int(dx * v.Scale), vv + int(dy * v.Scale));
}

} // namespace

TPadHandles::TPadHandles(TSketchPadWindow& APad) : QObject(&APad), Pad(APad)
{
    setObjectName("PadHandles");
    QWidget* vp = Pad.viewport();
    const char* names[FrameControlCount] = {"ShapeFrame",   "ShapeTop",      "ShapeBottom",     "ShapeLeft",
                                            "ShapeRight",   "ShapeTopLeft",  "ShapeTopRight",   "ShapeBottomLeft",
                                            "ShapeBottomRight"};
    const Qt::CursorShape cursors[FrameControlCount] = {
        Qt::PointingHandCursor, Qt::SizeVerCursor,   Qt::SizeVerCursor,   Qt::SizeHorCursor, Qt::SizeHorCursor,
        Qt::SizeFDiagCursor,    Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor};
    for (int i = 0; i < FrameControlCount; ++i) {
        Controls[size_t(i)] =
            new TMarkWidget(vp, names[i], i == FrameShape ? TMarkWidget::Frame : TMarkWidget::Handle, cursors[i]);
        Controls[size_t(i)]->installEventFilter(this);
    }
    AnObject = new TMarkWidget(vp, "AnObject", TMarkWidget::Object, Qt::SizeAllCursor);
    AnObject->setFixedSize(ObjectMarkerSize, ObjectMarkerSize);
    AnObject->installEventFilter(this);
    TopBar = new TMarkWidget(vp, "TopBar", TMarkWidget::Bar, Qt::SizeAllCursor);
    BottomBar = new TMarkWidget(vp, "BottomBar", TMarkWidget::Bar, Qt::SizeAllCursor);
    for (QWidget* b : {TopBar, BottomBar}) {
        b->setFixedSize(MarginHandleSize, MarginHandleSize);
        b->installEventFilter(this);
    }
    TopBar->setToolTip("Adjust image shift");
    BottomBar->setToolTip("Adjust bottom and right margins");
    if (Pad.ShapeNode) {
        Pad.ShapeNode->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        Pad.ShapeNode->setCursor(Qt::SizeAllCursor);
        Pad.ShapeNode->installEventFilter(this);
    }
    // The frame starts hidden at 20, 20, 120, 120.
    Frame = {20, 20, 120, 120};
    PlaceControls();
}

TPadHandles& TPadHandles::Of(TSketchPadWindow& Pad)
{
    if (auto* h = Pad.findChild<TPadHandles*>(QString(), Qt::FindDirectChildrenOnly)) return *h;
    return *new TPadHandles(Pad);
}

TPixelMap TPadHandles::Map() const
{
    return {Pad.View.Scale, Pad.HorzPos(), Pad.VertPos(), Pad.View.OriginX, Pad.View.OriginY};
}

bool TPadHandles::PictureSize(bool Metafile, int Slot, double& W, double& H) const
{
    if (!Pad.BackgroundImages || Slot < 1 || Slot > 10) return false;
    if (Metafile) {
        QSvgRenderer* svg = Pad.BackgroundImages->Metafile(Slot);
        if (!svg || !svg->isValid()) return false;
        W = svg->defaultSize().width();
        H = svg->defaultSize().height();
    } else {
        const QImage* img = Pad.BackgroundImages->Raster(Slot);
        if (!img || img->isNull()) return false;
        W = img->width();
        H = img->height();
    }
    return W > 0 && H > 0;
}

// ---------------------------------------------------------------- background frame

void TPadHandles::PlaceControls()
{
    const auto places = FrameLayout(Frame, HandleSize, HandleSize);
    for (int i = 0; i < FrameControlCount; ++i) {
        const TControlPlace& p = places[size_t(i)];
        Controls[size_t(i)]->setGeometry(p.Left, p.Top, std::max(1, p.Width), std::max(1, p.Height));
    }
    // The handles lie above the frame.
    for (int i = 1; i < FrameControlCount; ++i) Controls[size_t(i)]->raise();
}

void TPadHandles::ShowBackgroundFrame(bool Show)
{
    for (QWidget* c : Controls) c->setVisible(Show);
    if (Show) {
        Controls[FrameShape]->raise();
        for (int i = 1; i < FrameControlCount; ++i) Controls[size_t(i)]->raise();
    }
    FrameShown = Show;
    if (!Show) {
        SelectedRaster = SelectedMetafile = 0;
        FDragging = false;
    }
}

bool TPadHandles::SelectBackground(const TBackgroundHit& Hit)
{
    double w, h;
    const bool metafile = Hit.Metafile != 0;
    const int slot = metafile ? Hit.Metafile : Hit.Raster;
    // Only a picture that is there can be selected.
    if (!PictureSize(metafile, slot, w, h)) return false;
    SelectedRaster = metafile ? 0 : slot;
    SelectedMetafile = metafile ? slot : 0;
    PlaceFrameFromPicture();
    ShowBackgroundFrame(true);
    return true;
}

void TPadHandles::PlaceFrameFromPicture()
{
    const bool metafile = SelectedMetafile != 0;
    const int slot = metafile ? SelectedMetafile : SelectedRaster;
    double w, h;
    if (!PictureSize(metafile, slot, w, h)) return;
    const TBackgrounds& b = Pad.Settings.Backgrounds;
    const TBackgroundSlot& s = metafile ? b.Metafile[size_t(slot)] : b.Raster[size_t(slot)];
    Frame = FramePixels(BackgroundWorldRect(s, w, h), Map());
    PlaceControls();
}

void TPadHandles::FitBackgroundToFrame(bool FitWidth, bool FitHeight)
{
    PlaceControls();
    TBackgrounds& b = Pad.Settings.Backgrounds;
    double w, h;
    if (SelectedRaster && PictureSize(false, SelectedRaster, w, h))
        FitBackground(b.Raster[size_t(SelectedRaster)], false, w, h, Frame, Map(), FitWidth, FitHeight);
    if (SelectedMetafile && PictureSize(true, SelectedMetafile, w, h))
        FitBackground(b.Metafile[size_t(SelectedMetafile)], true, w, h, Frame, Map(), FitWidth, FitHeight);
}

void TPadHandles::FrameEvent(int Control, int Type, QPoint Pos)
{
    if (Type == QEvent::MouseButtonPress) {
        if (!Pad.Main.Gate.Lets(GateDisplay, Pad.Network.get())) return;
        FDragging = true;
        FControl = Control;
        FPress = Pos;
        return;
    }
    if (!FDragging || FControl != Control) return;
    if (Type == QEvent::MouseMove) {
        const QRect g = Controls[size_t(Control)]->geometry();
        Frame = DragFrame(Frame, TFrameControl(Control), {g.left(), g.top(), g.width(), g.height()}, FPress.x(),
                          FPress.y(), Pos.x(), Pos.y());
        bool fw, fh;
        RefitOf(TFrameControl(Control), fw, fh);
        FitBackgroundToFrame(fw, fh);
        Pad.InvalidatePad();
    } else if (Type == QEvent::MouseButtonRelease) {
        FDragging = false;
        FControl = -1;
        bool fw, fh;
        RefitOf(TFrameControl(Control), fw, fh);
        FitBackgroundToFrame(fw, fh);
        // A frame dragged inside out shows the flipped picture the right way round.
        PlaceFrameFromPicture();
        Pad.View.Saved = 0;
        Pad.InvalidatePad();
    }
}

// ---------------------------------------------------------------- the point marker

void TPadHandles::MovePointTo(QPoint MarkerTopLeft)
{
    QWidget* m = Pad.ShapeNode;
    TNetworkPoint* p = Pad.View.PickedNode ? static_cast<TNetworkPoint*>(Pad.View.PickedNode)
                                           : static_cast<TNetworkPoint*>(Pad.View.PickedShapePoint);
    if (!m || !p) return;
    m->move(MarkerTopLeft);
    const TPixelMap map = Map();
    const int32_t x = int32_t(pround((map.HorzPos + double(MarkerTopLeft.x()) + m->width() / 2) / map.Scale)) - map.OriginX;
    const int32_t y = int32_t(pround((map.VertPos + double(MarkerTopLeft.y()) + m->height() / 2) / map.Scale)) - map.OriginY;
    FDragBox.Include(x, y);
    TEditHooks hooks = TPadEditor::Of(Pad).Edit.Hooks;
    hooks.Settings = &Pad.Settings;
    hooks.AutoLongLat = Pad.Settings.LongLat.AutoLongLat != 0;
    Pad.Network->SetAllowClose(false);
    MoveNodeTo(*Pad.Network, p, x, y, hooks);
    const TWidthSettings& ws = Pad.Settings.Widths;
    const TLabelSettings& ls = Pad.Settings.Labels;
    const int32_t margin = std::max({ws.MaxNodeCircle, ws.MaxLinkWidth, ls.HorizontalMargin, ls.VerticalMargin,
                                     Pad.Settings.Display.StandardSize, 10}) + 2;
    Pad.InvalidateWorldRect(FDragBox, margin);
    Pad.Main.WriteCoordinates(p->X, p->Y);
}

void TPadHandles::PointEvent(int Type, QPoint Pos)
{
    QWidget* m = Pad.ShapeNode;
    TNetworkPoint* p = Pad.View.PickedNode ? static_cast<TNetworkPoint*>(Pad.View.PickedNode)
                                           : static_cast<TNetworkPoint*>(Pad.View.PickedShapePoint);
    if (Type == QEvent::MouseButtonPress) {
        if (!p || Pad.View.SketchMode != ModeSelect || !Pad.Main.Gate.Lets(GateChange, Pad.Network.get())) return;
        FDragging = true;
        FPress = Pos;
        FDragBox = TBox{p->X, p->Y, p->X, p->Y};
        // What the point's links reach is repainted as the point moves.
        if (const TNode* n = Pad.View.PickedNode) {
            for (const TLink* h : n->Links)
                if (h->FarNode) FDragBox.Include(h->FarNode->X, h->FarNode->Y);
        } else if (const TShapePoint* sp = Pad.View.PickedShapePoint) {
            if (sp->Link && sp->Link->LinkValues) FDragBox.Include(sp->Link->LinkValues->Box);
        }
        Pad.Main.WriteCoordinates(p->X, p->Y);
        return;
    }
    if (!FDragging || !p || !m) return;
    if (Type == QEvent::MouseMove) {
        MovePointTo(m->pos() + (Pos - FPress));
    } else if (Type == QEvent::MouseButtonRelease) {
        // The point stays where the last move put it.
        FDragging = false;
        // Every window of the network can scroll to where the point went.
        for (TSketchPadWindow* w : Pad.Main.SketchPads)
            if (w->Network == Pad.Network) WidenView(*w, p->X, p->Y);
        Pad.Network->SetAllowClose(false);
        Pad.Main.InvalidateNetworkViews(Pad);
        Pad.ShowPointMarker();
    }
}

// ---------------------------------------------------------------- title block and legends

bool TPadHandles::ObjectAnchor(TPadObject Object, int32_t& X, int32_t& Y) const
{
    const TWindowSettings& s = Pad.Settings;
    switch (Object) {
    case ObjectTitle: X = s.Description.DrawX(), Y = s.Description.DrawY(); return true;
    case ObjectNodeLegend: X = s.Widths.NodeLegendX, Y = s.Widths.NodeLegendY; return true;
    case ObjectLinkLegend: X = s.Widths.LinkLegendX, Y = s.Widths.LinkLegendY; return true;
    default: return false;
    }
}

void TPadHandles::SetObjectAnchor(TPadObject Object, int32_t X, int32_t Y)
{
    X = std::clamp(X, -WorldLimit, WorldLimit);
    Y = std::clamp(Y, -WorldLimit, WorldLimit);
    TWindowSettings& s = Pad.Settings;
    switch (Object) {
    case ObjectTitle: s.Description.X = X, s.Description.Y = Y; break;
    case ObjectNodeLegend: s.Widths.NodeLegendX = X, s.Widths.NodeLegendY = Y; break;
    case ObjectLinkLegend: s.Widths.LinkLegendX = X, s.Widths.LinkLegendY = Y; break;
    default: break;
    }
}

void TPadHandles::ShowObjectMarker(TPadObject Object)
{
    int32_t x, y;
    SelectedObject = Object;
    if (!ObjectAnchor(Object, x, y)) {
        AnObject->hide();
        AnObject->setToolTip(QString());
        return;
    }
    AnObject->move(Pad.PixelX(x) - AnObject->width() / 2, Pad.PixelY(y) - AnObject->height() / 2);
    AnObject->setToolTip(ObjectHint(Object));
    AnObject->show();
    AnObject->raise();
}

void TPadHandles::ObjectEvent(int Type, QPoint Pos)
{
    if (Type == QEvent::MouseButtonPress) {
        if (SelectedObject == ObjectNone || !Pad.Main.Gate.Lets(GateChange, Pad.Network.get())) return;
        FDragging = true;
        FPress = Pos;
        return;
    }
    if (!FDragging || SelectedObject == ObjectNone) return;
    if (Type != QEvent::MouseMove && Type != QEvent::MouseButtonRelease) return;
    if (Type == QEvent::MouseMove) AnObject->move(AnObject->pos() + (Pos - FPress));
    const TPixelMap map = Map();
    const int32_t x = int32_t(pround((map.HorzPos + double(AnObject->x()) + AnObject->width() / 2) / map.Scale)) - map.OriginX;
    const int32_t y = int32_t(pround((map.VertPos + double(AnObject->y()) + AnObject->height() / 2) / map.Scale)) - map.OriginY;
    SetObjectAnchor(SelectedObject, x, y);
    Pad.Main.WriteCoordinates(x, y);
    Pad.InvalidatePad();
    if (Type == QEvent::MouseButtonRelease) {
        FDragging = false;
        Pad.Network->SetAllowClose(false);
    }
}

// ---------------------------------------------------------------- plot margins

void TPadHandles::PlaceMarginHandles()
{
    const bool show = Pad.View.ShowPlotMargins && !Pad.HidePageRectangle && PlotPageValid(Pad);
    if (!show) {
        TopBar->hide();
        BottomBar->hide();
        return;
    }
    const TDisplaySettings& d = Pad.Settings.Display;
    const TPlotPage page = TPlotPage::From(d.PlotPage);
    const double gap = TitleGap(!d.PlotTitle.empty(), d.PlotTitleFont.Height, page.Ppi);
    const TPageView v{Pad.View.Scale, Pad.HorzPos(), Pad.VertPos(), Pad.View.MinX + Pad.View.OriginX - 10,
                      Pad.View.MinY + Pad.View.OriginY - 10};
    const TPixelPoint t = TopHandlePlace(page, gap, v), b = BottomHandlePlace(page, v);
    TopBar->move(t.X, t.Y);
    BottomBar->move(b.X - BottomBar->width(), b.Y - BottomBar->height());
    TopBar->show();
    BottomBar->show();
    TopBar->raise();
    BottomBar->raise();
}

void TPadHandles::BarEvent(QWidget* Bar, int Type, Qt::MouseButton Button, QPoint Pos)
{
    if (Type == QEvent::MouseButtonPress) {
        if (Button == Qt::RightButton) {
            Pad.Main.RunPadItem(Pad, "PageSetupM");
            return;
        }
        if (!Pad.Main.Gate.Lets(GateDisplay, Pad.Network.get())) return;
        FDragging = true;
        FPress = Pos;
        return;
    }
    if (!FDragging) return;
    if (Type == QEvent::MouseMove) {
        Bar->move(Bar->pos() + (Pos - FPress));
        TDisplaySettings& d = Pad.Settings.Display;
        TPlotPage page = TPlotPage::From(d.PlotPage);
        const double gap = TitleGap(!d.PlotTitle.empty(), d.PlotTitleFont.Height, page.Ppi);
        const TPageView v{Pad.View.Scale, Pad.HorzPos(), Pad.VertPos(), Pad.View.MinX + Pad.View.OriginX - 10,
                          Pad.View.MinY + Pad.View.OriginY - 10};
        if (Bar == TopBar) {
            DragTopHandle(page, gap, v, Bar->x(), Bar->y());
            Bar->setToolTip(Latin1(TopHandleHint(page)));
        } else {
            DragBottomHandle(page, v, Bar->x() + Bar->width(), Bar->y() + Bar->height());
            Bar->setToolTip(Latin1(BottomHandleHint(page)));
        }
        d.PlotPage = page.Values();
        Pad.InvalidatePad();
    } else if (Type == QEvent::MouseButtonRelease) {
        FDragging = false;
        Pad.View.Saved = 0;
        PlaceMarginHandles();
        Pad.InvalidatePad();
    }
}

// ---------------------------------------------------------------- commands

void TPadHandles::SelectOther(bool PointHit, int32_t X, int32_t Y)
{
    if (PointHit) {
        ShowBackgroundFrame(false);
        ShowObjectMarker(ObjectNone);
        return;
    }
    const TBackgroundHit hit = HitBackground(
        Pad.Settings.Backgrounds, [this](bool m, int k, double& w, double& h) { return PictureSize(m, k, w, h); }, X, Y);
    if (hit.Any() && SelectBackground(hit)) {
        ShowObjectMarker(ObjectNone);
        return;
    }
    ShowBackgroundFrame(false);
    ShowObjectMarker(HitObject(Pad.View.ObjectBoxes, X, Y));
}

bool TPadHandles::Nudge(int Dx, int Dy)
{
    if (FrameShown) {
        if (!Pad.Main.Gate.Lets(GateDisplay, Pad.Network.get())) return true;
        Frame.Left += Dx;
        Frame.Right += Dx;
        Frame.Top += Dy;
        Frame.Bottom += Dy;
        FitBackgroundToFrame(false, false);
        Pad.View.Saved = 0;
        Pad.InvalidatePad();
        return true;
    }
    QWidget* m = Pad.ShapeNode;
    if (m && m->isVisible() && (Pad.View.PickedNode || Pad.View.PickedShapePoint)) {
        const QPoint centre(m->width() / 2, m->height() / 2);
        PointEvent(QEvent::MouseButtonPress, centre);
        PointEvent(QEvent::MouseMove, centre + QPoint(Dx, Dy));
        PointEvent(QEvent::MouseButtonRelease, centre);
        return true;
    }
    return false;
}

void TPadHandles::Reposition()
{
    if (FrameShown && !FDragging) PlaceFrameFromPicture();
    if (AnObject->isVisible() && !FDragging) ShowObjectMarker(SelectedObject);
    if (!FDragging) PlaceMarginHandles();
}

void TPadHandles::HideSelection()
{
    ShowBackgroundFrame(false);
    ShowObjectMarker(ObjectNone);
}

bool TPadHandles::eventFilter(QObject* Watched, QEvent* Event)
{
    const QEvent::Type t = Event->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseMove && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(Watched, Event);
    auto* me = static_cast<QMouseEvent*>(Event);
    const QPoint pos = me->position().toPoint();
    const int type = t == QEvent::MouseButtonDblClick ? int(QEvent::MouseButtonPress) : int(t);
    // Drags follow the left button; a right press on a margin handle opens Page Setup.
    const bool left = me->button() == Qt::LeftButton || (t == QEvent::MouseMove && (me->buttons() & Qt::LeftButton));
    for (int i = 0; i < FrameControlCount; ++i)
        if (Watched == Controls[size_t(i)]) {
            if (left || t == QEvent::MouseButtonRelease) FrameEvent(i, type, pos);
            return true;
        }
    if (Watched == Pad.ShapeNode) {
        if (left || t == QEvent::MouseButtonRelease) PointEvent(type, pos);
        return true;
    }
    if (Watched == AnObject) {
        if (left || t == QEvent::MouseButtonRelease) ObjectEvent(type, pos);
        return true;
    }
    if (Watched == TopBar || Watched == BottomBar) {
        BarEvent(static_cast<QWidget*>(Watched), type, me->button(), pos);
        return true;
    }
    return QObject::eventFilter(Watched, Event);
}
