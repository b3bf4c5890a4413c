#include "core/shapes/ShapeImport.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "core/geo/LongLat.h"
#include "core/geo/Projections.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeFileReader.h"

const char* const ShapeFileCaption = "Shape File";
const char* const ShapeLimitsMessage = "The network cannot take more points here; the import stopped.";

namespace {

constexpr int MsgFileNotFound = 52;     // "Valid update file not found."
constexpr int MsgTransformValues = 291; // "Error in transform values."

constexpr int PointLayer = 1;
constexpr int LineEndLayer = 2;
constexpr int VertexLayer = 3;
constexpr int OwnerLayer = 4;

constexpr double LongLatLimit = 1800000000;

// One point of the file on the sketch pad.
struct TPlace {
    int32_t Longitude = 0, Latitude = 0; // 0 with the linear method
    double XF = 0, YF = 0;               // clamped to the world
    int32_t X = 0, Y = 0;
    int32_t Elevation = 0;
    bool HasElevation = false;
    bool SameSpot(const TPlace& o) const { return X == o.X && Y == o.Y; }
};

class TShapeImporter {
public:
    TShapeImporter(TNetwork& net, TWindowSettings& window, const TShapeImportSettings& settings, TShpReader& reader,
                   const TImportProgress& progress, TMessageSink& sink, TOtherShapeTypes otherTypes)
        : Net(net), Window(window), Settings(settings), Reader(reader), Throttle(progress), Sink(sink),
          OtherTypes(otherTypes)
    {
    }

    TShapeImportResult Run();

private:
    void AddPoints(const TShpRecord& rec);
    void AddPolyLine(const TShpRecord& rec);
    void AddPolygon(const TShpRecord& rec);
    // Every point of the record converted into Places, with its Z (the
    // reader keeps Z only for the types that have it); false when one of
    // them cannot be placed, and then the record adds nothing.
    bool ConvertRecord(const TShpRecord& rec);
    // The converted points of part k.
    std::span<const TPlace> PartOf(const TShpRecord& rec, int32_t k) const;
    bool Convert(double x, double y, TPlace& place);
    // The node of the layer at the place, made when there is none.
    TNode* NodeFor(const TPlace& place, int layer);
    TNode* NewNode(const TPlace& place, int layer);
    void FillOwnerLongLat();
    void Changing();
    void Stop();

    TNetwork& Net;
    TWindowSettings& Window;
    const TShapeImportSettings& Settings;
    TShpReader& Reader;
    TImportThrottle Throttle;
    TMessageSink& Sink;
    const TOtherShapeTypes OtherTypes;

    TShapeImportResult Result;
    TProjection Projection;
    bool Stopped = false;
    TLongLatNodes Nodes;
    TPositionNodes Positions;
    std::vector<TPlace> Places; // the converted points of the record at hand
    std::vector<TNode*> Ring;   // vertex nodes of a polygon ring
};

void TShapeImporter::Changing()
{
    if (Result.Changed) return;
    Result.Changed = true;
    Net.SetAllowClose(false);
}

void TShapeImporter::Stop()
{
    Stopped = true;
    Result.ErrorCode = ShapeErrorLimits;
}

bool TShapeImporter::Convert(double x, double y, TPlace& place)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    double xf = 0, yf = 0;
    switch (Settings.Method) {
    case ShapeLinear:
        xf = (x + Settings.XTranslate) * Settings.XScale;
        yf = (y + Settings.YTranslate) * Settings.YScale;
        break;
    case ShapeEquidistant:
        xf = std::cos(std::numbers::pi * y / 180) * (-Settings.YScale) * (x + Settings.XTranslate);
        yf = (y + Settings.YTranslate) * Settings.YScale;
        break;
    default:
        if (!Projection.Project(x, y)) return false;
        xf = Projection.X;
        yf = Projection.Y;
        break;
    }
    if (!std::isfinite(xf) || !std::isfinite(yf)) return false;
    place.XF = std::clamp(xf, double(-WorldLimit), double(WorldLimit));
    place.YF = std::clamp(yf, double(-WorldLimit), double(WorldLimit));
    place.X = int32_t(pround(place.XF));
    place.Y = int32_t(pround(place.YF));
    place.Longitude = place.Latitude = 0;
    if (Settings.Method != ShapeLinear) {
        const double lon = pround(x * 1e7), lat = pround(y * 1e7);
        place.Longitude = std::fabs(lon) <= LongLatLimit ? int32_t(lon) : 0;
        place.Latitude = std::fabs(lat) <= LongLatLimit ? int32_t(lat) : 0;
    }
    place.HasElevation = false;
    return true;
}

bool TShapeImporter::ConvertRecord(const TShpRecord& rec)
{
    const int32_t count = rec.PointCount();
    Places.resize(size_t(count));
    const bool z = !rec.Z.empty();
    for (int32_t i = 0; i < count; ++i) {
        TPlace& p = Places[size_t(i)];
        if (!Convert(rec.XY[size_t(i) * 2], rec.XY[size_t(i) * 2 + 1], p)) return false;
        if (z) {
            const double v = rec.Z[size_t(i)];
            if (v > -100000 && v < 100000) {
                p.Elevation = int32_t(pround(v * 10000));
                p.HasElevation = true;
            }
        }
    }
    return true;
}

std::span<const TPlace> TShapeImporter::PartOf(const TShpRecord& rec, int32_t k) const
{
    const size_t first = size_t(rec.Parts[size_t(k)]), end = size_t(rec.Parts[size_t(k) + 1]);
    return std::span<const TPlace>(Places).subspan(first, end - first);
}

TNode* TShapeImporter::NodeFor(const TPlace& place, int layer)
{
    // A point joins the node of its layer at exactly its long/lat; one whose
    // long/lat is unknown (0: the linear method, or out of range) joins the
    // node of its layer at its world position instead.
    const bool known = place.Longitude != 0 && place.Latitude != 0;
    if (TNode* n = known ? Nodes.Find(Net, place.X, place.Y, place.Longitude, place.Latitude, layer)
                         : Positions.Find(place.X, place.Y, layer))
        return n;
    return NewNode(place, layer);
}

TNode* TShapeImporter::NewNode(const TPlace& place, int layer)
{
    Changing();
    RegridHashTable(Net);
    THashEntry* cell = nullptr;
    TNode* n = AddNode(Net, place.X, place.Y, cell, true, 0);
    if (!n) {
        Stop();
        return nullptr;
    }
    n->Longitude = place.Longitude;
    n->Latitude = place.Latitude;
    if (place.HasElevation) n->Elevation = place.Elevation;
    n->SetFraction(Net, place.XF, place.YF);
    n->Layer = uint8_t(layer);
    cell->IncludePoint(n);
    if (place.Longitude != 0 && place.Latitude != 0) Nodes.Add(n);
    Positions.Add(n);
    ++Result.Nodes;
    return n;
}

void TShapeImporter::AddPoints(const TShpRecord& rec)
{
    const std::string name = "N" + std::to_string(rec.Number);
    for (const TPlace& p : Places) {
        TNode* n = NodeFor(p, PointLayer);
        if (!n) return;
        n->Name = name;
    }
}

void TShapeImporter::AddPolyLine(const TShpRecord& rec)
{
    for (int32_t k = 0; k < rec.PartCount() && !Stopped; ++k) {
        const std::span<const TPlace> part = PartOf(rec, k);
        if (part.empty()) continue;
        TNode* a = NodeFor(part.front(), LineEndLayer);
        if (!a || part.front().SameSpot(part.back())) continue;
        TNode* b = NodeFor(part.back(), LineEndLayer);
        if (!b || a == b) continue;
        bool exists = false;
        for (const TLink* h : a->Links)
            if (h->AEnd() && h->FarNode == b && h->LinkValues && h->LinkValues->Active) exists = true;
        if (exists) continue;
        Changing();
        TLink *halfA = nullptr, *halfB = nullptr;
        TLinkValues* link = AddLink(Net, a, b, true, 0, halfA, halfB);
        if (!link) {
            Stop();
            return;
        }
        ++Result.Links;
        link->Name = "L" + std::to_string(rec.Number);
        if (k > 0) link->Name += "-" + std::to_string(k + 1);
        // The interior points, one of a run of equal points and none at an end.
        const TPlace* kept = &part.front();
        for (size_t i = 1; i + 1 < part.size(); ++i) {
            const TPlace& p = part[i];
            if (p.SameSpot(*kept) || p.SameSpot(part.back())) continue;
            TShapePoint* sp = AddShapePoint(Net, p.X, p.Y, link->ShapePoints.GetCount(), halfA);
            if (!sp) continue;
            sp->SetFraction(Net, p.XF, p.YF);
            sp->Longitude = p.Longitude;
            sp->Latitude = p.Latitude;
            if (p.HasElevation) sp->Elevation = p.Elevation;
            if (THashEntry* cell = Net.NodeHash.FindCell(p.X, p.Y)) cell->IncludePoint(sp);
            ++Result.ShapePoints;
            kept = &p;
        }
    }
}

void TShapeImporter::AddPolygon(const TShpRecord& rec)
{
    for (int32_t k = 0; k < rec.PartCount() && !Stopped; ++k) {
        std::span<const TPlace> part = PartOf(rec, k);
        if (part.size() < 3) continue;
        // The closing point repeats the first.
        if (part.back().SameSpot(part.front())) part = part.first(part.size() - 1);
        Ring.clear();
        for (const TPlace& p : part) {
            TNode* v = NodeFor(p, VertexLayer);
            if (!v) return;
            Ring.push_back(v);
        }
        if (Ring.size() < 2) continue;
        TMyPolygonList polygon(int32_t(Ring.size()), 16);
        for (TNode* v : Ring) polygon.Insert(v);
        // At the centroid; a polygon of two vertices has none and keeps its
        // owner between them.
        TPlace at = part[0];
        at.XF = (part[0].XF + part[1].XF) / 2;
        at.YF = (part[0].YF + part[1].YF) / 2;
        if (Ring.size() >= 3) {
            const double cx = PolygonCentroid(polygon, true), cy = PolygonCentroid(polygon, false);
            if (std::isfinite(cx) && std::isfinite(cy)) {
                at.XF = std::clamp(cx, double(-WorldLimit), double(WorldLimit));
                at.YF = std::clamp(cy, double(-WorldLimit), double(WorldLimit));
            }
        }
        at.XF = pround(at.XF);
        at.YF = pround(at.YF);
        at.X = int32_t(at.XF);
        at.Y = int32_t(at.YF);
        at.Longitude = at.Latitude = 0;
        // Every ring has an owner of its own.
        TNode* owner = NewNode(at, OwnerLayer);
        if (!owner) return;
        owner->Name = "N" + std::to_string(rec.Number);
        owner->OwnPolygonRef() = std::move(polygon);
        for (TNode* v : Ring)
            if (Net.PolygonsOf(v).IndexOf(owner) < 0) {
                MakeRoom(Net.PolygonsRef(v));
                Net.PolygonsRef(v).Insert(owner);
            }
        ++Result.Polygons;
    }
}

void TShapeImporter::FillOwnerLongLat()
{
    // Every point of the file has its long/lat already; the owners (long/lat
    // 0) are fitted from them, with the window's choice of free-standing
    // nodes only.
    const double range = Window.LongLat.InterpolationRange * Settings.YScale / 60;
    int32_t unfitted = 0;
    ComputeLongLatByInterpolation(Net, nullptr, 0, true, Window.LongLat.OnlyFreeNodes != 0, range, Settings.YScale,
                                  unfitted);
}

TShapeImportResult TShapeImporter::Run()
{
    Result = TShapeImportResult{};
    if (!ShapeSettingsValid(Settings)) {
        Result.ErrorCode = ShapeErrorValues;
        ShowMessageText(Sink, MessageText(MsgTransformValues), ShapeFileCaption, MB_EXCLAMATION_OK);
        return Result;
    }
    TShpHeader header;
    if (!Reader.ReadHeader(header) || !header.Valid()) {
        Result.ErrorCode = ShapeErrorFile;
        ShowMessageText(Sink, MessageText(MsgFileNotFound), ShapeFileCaption, MB_EXCLAMATION_OK);
        return Result;
    }
    Result.ShapeType = header.ShapeType;
    Result.FileBytes = Reader.Size();
    Result.HeaderBytes = int64_t(header.FileLength) * 2;
    const TShpFamily family = ShpFamilyOf(header.ShapeType);
    if (family == TShpFamily::None) {
        if (OtherTypes == TOtherShapeTypes::PassOver) return Result;
        Result.ErrorCode = ShapeErrorType;
        ShowMessageText(Sink, "Shape type " + std::to_string(header.ShapeType) + " not imported.", ShapeFileCaption,
                        MB_EXCLAMATION_OK);
        return Result;
    }
    if ((Settings.Method == ShapeTransverseMercator || Settings.Method == ShapeLambertConformal) &&
        !Projection.Setup(Settings.Method, MilesPerDegreeLat, Settings.YScale, Settings.YTranslate,
                          Settings.XTranslate)) {
        Result.ErrorCode = ShapeErrorValues;
        ShowMessageText(Sink, MessageText(MsgTransformValues), ShapeFileCaption, MB_EXCLAMATION_OK);
        return Result;
    }

    BeginBulkLoad(Net);
    Nodes.Build(Net);
    Positions.Build(Net);
    TShpRecord rec;
    while (!Stopped && Reader.Next(rec)) {
        ++Result.Records;
        if (rec.Kind == TShpRecordKind::Null) {
            ++Result.NullRecords;
        } else if (rec.Kind == TShpRecordKind::Bad) {
            ++Result.BadRecords;
            if (rec.Type != ShpNull && rec.Type != header.ShapeType) ++Result.OtherTypeRecords;
        } else if (!ConvertRecord(rec)) {
            ++Result.UnplacedRecords;
        } else {
            switch (family) {
            case TShpFamily::Point:
            case TShpFamily::MultiPoint:
                AddPoints(rec);
                break;
            case TShpFamily::PolyLine:
                AddPolyLine(rec);
                break;
            case TShpFamily::Polygon:
                AddPolygon(rec);
                break;
            case TShpFamily::None:
                break;
            }
        }
        Throttle.Step();
    }
    Throttle.Now();
    if (family == TShpFamily::Polygon && Settings.Method != ShapeLinear && Result.Polygons > 0) {
        FillOwnerLongLat();
        Throttle.Now();
    }
    if (Result.Changed) {
        RebuildAfterImport(Net, Window);
        Throttle.Now();
    }
    if (Stopped) ShowMessageText(Sink, ShapeLimitsMessage, ShapeFileCaption, MB_EXCLAMATION_OK);
    return Result;
}

} // namespace

bool ShapeSettingsValid(const TShapeImportSettings& s)
{
    auto nonZero = [](double v) { return std::isfinite(v) && v != 0; };
    return nonZero(s.XScale) && nonZero(s.YScale) && nonZero(s.PixelsPerMile) && nonZero(s.MilesPerDegree) &&
           std::isfinite(s.XTranslate) && std::isfinite(s.YTranslate) && s.Method >= ShapeLinear &&
           s.Method <= ShapeLambertConformal;
}

bool StoreShapeSettings(const TShapeImportSettings& s, TWindowSettings& window)
{
    TLongLatSettings& l = window.LongLat;
    const bool changed = l.LongLatMethod != s.Method || l.PixelsPerDegreeLat != s.YScale ||
                         l.TranslateX != s.XTranslate || l.TranslateY != s.YTranslate;
    l.LongLatMethod = s.Method;
    l.PixelsPerDegreeLat = s.YScale;
    l.TranslateX = s.XTranslate;
    l.TranslateY = s.YTranslate;
    return changed;
}

bool SuggestShapeSettings(const TShpHeader& h, TShapeImportSettings& s)
{
    const double S = -(s.PixelsPerMile * s.MilesPerDegree);
    if (!std::isfinite(S) || !std::isfinite(h.Xmin) || !std::isfinite(h.Ymin) || !std::isfinite(h.Xmax) ||
        !std::isfinite(h.Ymax))
        return false;
    double xScale = s.XScale, yScale = s.YScale;
    if (h.Xmin >= -180 && h.Xmax <= 180 && h.Ymin >= -90 && h.Ymax <= 90) {
        yScale = pround(100 * S) / 100;
        xScale = -pround(100 * S * std::cos(std::numbers::pi * (h.Ymin + h.Ymax) / 360)) / 100;
    } else {
        const double d = std::max(h.Xmax - h.Xmin, h.Ymax - h.Ymin);
        if (d != 0 && std::isfinite(d)) xScale = yScale = pround(3200000 / d) / 100;
    }
    const double xc = (h.Xmin + h.Xmax) / 2, yc = (h.Ymin + h.Ymax) / 2;
    const double xt = -pround(100 * xc) / 100 + 0.0, yt = -pround(100 * yc) / 100 + 0.0;
    if (!std::isfinite(xScale) || !std::isfinite(yScale) || !std::isfinite(xt) || !std::isfinite(yt)) return false;
    s.XScale = xScale + 0.0;
    s.YScale = yScale + 0.0;
    s.XTranslate = xt;
    s.YTranslate = yt;
    return true;
}

bool ComputeMilesPerDegree(double xTranslate, double yTranslate, double& miles)
{
    TProjection p;
    if (!p.SetupTransverseMercator(MilesPerDegreeLat, -1000, yTranslate, xTranslate)) return false;
    if (!p.TransverseMercatorXY(-xTranslate, -yTranslate)) return false;
    const double y1 = p.Northing;
    if (!p.TransverseMercatorXY(-xTranslate, -yTranslate + 1)) return false;
    const double d = std::fabs(y1 - p.Northing);
    if (!std::isfinite(d)) return false;
    miles = d;
    return true;
}

double ShownMilesPerDegree(double miles) { return pround(100 * miles) * 0.01; }

std::string ShapeImportStatus(const TShapeImportResult& r)
{
    if (r.ErrorCode != ShapeErrorNone && r.ErrorCode != ShapeErrorLimits) return {};
    auto count = [](int32_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::string text = count(r.Records, "record read", "records read");
    const int32_t skipped = r.NullRecords + r.BadRecords + r.UnplacedRecords;
    if (skipped > 0) {
        text += ", " + std::to_string(skipped) + " skipped:";
        const char* sep = " ";
        auto reason = [&](int32_t n, const char* why) {
            if (n <= 0) return;
            text += sep + std::to_string(n) + " " + why;
            sep = ", ";
        };
        reason(r.NullRecords, r.NullRecords == 1 ? "null shape" : "null shapes");
        reason(r.OtherTypeRecords, "of another shape type");
        reason(r.BadRecords - r.OtherTypeRecords, "damaged");
        reason(r.UnplacedRecords, "with points the method cannot place");
    }
    text += ".";
    if (r.HeaderBytes > r.FileBytes)
        text += " The file ends after " + std::to_string(r.FileBytes) + " bytes; its header gives " +
                std::to_string(r.HeaderBytes) + ".";
    return text;
}

TShapeImportResult ImportShapefile(TNetwork& net, TWindowSettings& window, const TShapeImportSettings& settings,
                                   const std::string& path, const TImportProgress& progress, TMessageSink& sink,
                                   TOtherShapeTypes otherTypes)
{
    // A file that cannot be opened reads as one without a header.
    TShpReader reader;
    std::string error;
    reader.Open(path, error);
    return TShapeImporter(net, window, settings, reader, progress, sink, otherTypes).Run();
}

TShapeImportResult ImportShapefileBytes(TNetwork& net, TWindowSettings& window, const TShapeImportSettings& settings,
                                        std::span<const uint8_t> bytes, const TImportProgress& progress,
                                        TMessageSink& sink, TOtherShapeTypes otherTypes)
{
    TShpReader reader;
    reader.OpenBytes(bytes);
    return TShapeImporter(net, window, settings, reader, progress, sink, otherTypes).Run();
}
