#include "core/edit/Transforms.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "core/model/DisplaySettings.h"
#include "core/model/Rounding.h"
#include "core/model/Undo.h"

void RotatePoint(double& x, double& y, double angleDegrees)
{
    double a = angleDegrees * std::numbers::pi / 180.0;
    double c = std::cos(a), s = std::sin(a);
    double nx = c * x - s * y;
    double ny = s * x + c * y;
    x = nx;
    y = ny;
}

static int32_t ClampRound(double v)
{
    if (std::isnan(v)) return 0;
    return int32_t(pround(std::clamp(v, double(-WorldLimit), double(WorldLimit))));
}

static bool Finite(const TTransformParams& p)
{
    return std::isfinite(p.ScaleX) && std::isfinite(p.ScaleY) && std::isfinite(p.TranslateX) &&
           std::isfinite(p.TranslateY) && std::isfinite(p.Angle);
}

// The transform of one kind with its parameters; the rotation's cosine and
// sine are worked out once for all the points.
struct TPointMove {
    int Kind;
    const TTransformParams& P;
    double Cos = 1, Sin = 0;
    TPointMove(int kind, const TTransformParams& p) : Kind(kind), P(p)
    {
        if (kind == TransformRotate) {
            const double a = p.Angle * std::numbers::pi / 180.0;
            Cos = std::cos(a);
            Sin = std::sin(a);
        }
    }
    // Moves (x, y); false (and nothing moved) when the result is not finite.
    bool operator()(double& x, double& y) const
    {
        double nx = x, ny = y;
        switch (Kind) {
        case TransformTranslate:
            nx += P.TranslateX;
            ny += P.TranslateY;
            break;
        case TransformScale:
            nx *= P.ScaleX;
            ny *= P.ScaleY;
            break;
        case TransformRotate:
            nx = Cos * x - Sin * y;
            ny = Sin * x + Cos * y;
            break;
        default:
            break;
        }
        if (!std::isfinite(nx) || !std::isfinite(ny)) return false;
        x = nx;
        y = ny;
        return true;
    }
};

// The cell size after a scale: keeps about as many points per cell as cells
// when the scale would crowd or thin the cells badly. Never 0, never past
// the largest size.
static void NewCellSize(const THashTable& t, int kind, const TTransformParams& p, int32_t& w, int32_t& h)
{
    w = t.CellWidth;
    h = t.CellHeight;
    if (kind != TransformScale || !(p.ScaleX > 0) || !(p.ScaleY > 0)) return;
    double m = t.MaxCellPointCount();
    double n = t.GetCount();
    if (m <= 0 || n <= 0) return;
    double area = p.ScaleX * p.ScaleY;
    if (!(m / area > 1000 || n * area > 1000)) return;
    double f = std::sqrt(std::sqrt(m * n) / m);
    double nw = pround(f * w * p.ScaleX), nh = pround(f * h * p.ScaleY);
    auto fit = [](double v, int32_t old) {
        if (!std::isfinite(v)) return old;
        return int32_t(std::clamp(v, double(MinCellSize), double(MaxCellSize)));
    };
    w = fit(nw, w);
    h = fit(nh, h);
}

bool TransformNetwork(TNetwork& net, const TViewRecord& view, TWindowSettings& settings, int kind,
                      TTransformParams& params)
{
    uint8_t shownOnly = params.ShownLayersOnly;
    std::array<int32_t, 11> layers = settings.Layers.LayerStates;
    // An undo moves back what its transform moved; a transform notes in its
    // record what it moves.
    std::unique_ptr<TTransformItem> undone;
    TTransformItem* record = kind == TransformUndoLast || kind == TransformRebuild ? nullptr : params.Record;
    if (kind == TransformUndoLast) {
        auto& list = net.TransformUndo;
        if (list.Empty()) return false;
        TTransformItem* item = list.At(list.GetCount() - 1);
        kind = item->TransformKind;
        shownOnly = item->ExemptUnseenLayers;
        layers = item->LayerStates;
        auto& totals = net.TransformTotals;
        bool usable = true;
        switch (kind) {
        case TransformTranslate:
            params.TranslateX = -item->Amount1;
            params.TranslateY = -item->Amount2;
            totals[0] += params.TranslateX;
            totals[1] += params.TranslateY;
            break;
        case TransformScale:
            usable = item->Amount1 != 0 && item->Amount2 != 0;
            if (usable) {
                params.ScaleX = 1 / item->Amount1;
                params.ScaleY = 1 / item->Amount2;
                totals[2] *= params.ScaleX;
                totals[3] *= params.ScaleY;
            }
            break;
        case TransformRotate:
            params.Angle = -item->Amount1;
            // The total stays within 0..360, as the rotate dialog keeps it.
            totals[4] += params.Angle;
            if (totals[4] > 360) totals[4] -= 360;
            if (totals[4] < 0) totals[4] += 360;
            break;
        default:
            usable = false;
            break;
        }
        list.DeleteAt(list.GetCount() - 1);
        undone.reset(item);
        if (!usable || !Finite(params)) return false;
        if (!item->Moved) undone.reset();
    } else if (kind < TransformTranslate || kind > TransformRebuild) {
        return false;
    } else if (kind != TransformRebuild && (!Finite(params) || (kind == TransformScale &&
                                                                (params.ScaleX == 0 || params.ScaleY == 0)))) {
        return false;
    }
    params.AppliedKind = kind;
    params.ShownLayersOnly = shownOnly;
    if (kind != TransformRebuild) net.SetAllowClose(false);

    int32_t w, h;
    NewCellSize(net.NodeHash, kind, params, w, h);
    auto hidden = [&](const TNode* n) {
        if (n->Layer > 10) return true;
        int32_t s = layers[size_t(n->Layer)];
        return s == 0 || s > view.ZoomIndex;
    };
    if (record) {
        record->Moved = true;
        record->Nodes = net.Store.Nodes.Mark();
        record->ShapePoints = net.Store.ShapePoints.Mark();
        record->Left.clear();
    }
    const TPointMove move(kind, params);
    if (kind != TransformRebuild)
        for (THashEntry* cell : net.NodeHash)
            for (TNetworkPoint* p : cell->Points) {
                if (undone) {
                    if (!undone->MovedPoint(p)) continue;
                } else if (const TNode* n = p->AsNode(); n && shownOnly && hidden(n)) {
                    if (record) record->Left.push_back(n);
                    continue;
                }
                double xf = p->XF(net), yf = p->YF(net);
                move(xf, yf);
                p->SetPosition(net, ClampRound(xf), ClampRound(yf), xf, yf);
            }
    if (record) std::sort(record->Left.begin(), record->Left.end());
    // Refiles every point by its new position (sorted within each cell),
    // then link reach, boxes, extents and the cells' long/lat boxes.
    RebuildHashTable(net, w, h);
    TransformBackgrounds(settings.Backgrounds, params);
    return true;
}

void TransformBackgrounds(TBackgrounds& backgrounds, const TTransformParams& params)
{
    // Background images keep their place on the network (a rotation moves
    // them without turning them).
    const int kind = params.AppliedKind;
    if (kind != TransformTranslate && kind != TransformScale && kind != TransformRotate) return;
    const TPointMove move(kind, params);
    for (auto* slots : {&backgrounds.Raster, &backgrounds.Metafile})
        for (TBackgroundSlot& b : *slots) {
            if (b.FileName.empty()) continue;
            move(b.X, b.Y);
            if (kind == TransformScale) {
                b.XScale *= params.ScaleX;
                b.YScale *= params.ScaleY;
            }
        }
}

void TransformPoint(TViewRecord& view, const TTransformParams& params)
{
    double x = view.CursorX, y = view.CursorY;
    if (!TPointMove(params.AppliedKind, params)(x, y)) return;
    view.CursorX = ClampRound(x);
    view.CursorY = ClampRound(y);
}
