#include "core/shapes/ShapeExport.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include "core/file/LegacyText.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeFileReader.h"
#include "core/tables/Extract.h"

namespace {

// ---------------------------------------------------------------- elements

enum class TKind { Nodes, Links, Polygons };

// The points of one shape: a node; a link's A node, active shape points and
// B node; a polygon's active vertices in the order written, closed.
void ShapePoints(TKind kind, const void* element, std::vector<const TNetworkPoint*>& out)
{
    out.clear();
    switch (kind) {
    case TKind::Nodes:
        out.push_back(static_cast<const TNode*>(element));
        break;
    case TKind::Links: {
        const TLinkValues* l = static_cast<const TLink*>(element)->LinkValues;
        out.push_back(l->ANode);
        for (const TShapePoint* s : l->ShapePoints)
            if (s->Active) out.push_back(s);
        out.push_back(l->BNode);
        break;
    }
    case TKind::Polygons: {
        for (const TNetworkPoint* v : static_cast<const TNode*>(element)->OwnPolygon())
            if (v->Active) out.push_back(v);
        if (out.size() < 3) {
            out.clear(); // a null shape
            break;
        }
        // Outer rings run clockwise on the map (longitude east, latitude north).
        double twiceArea = 0;
        for (size_t i = 0, j = out.size() - 1; i < out.size(); j = i++)
            twiceArea += (double(out[j]->Longitude) * 1e-7) * (double(out[i]->Latitude) * 1e-7) -
                         (double(out[i]->Longitude) * 1e-7) * (double(out[j]->Latitude) * 1e-7);
        if (twiceArea > 0) std::reverse(out.begin(), out.end());
        out.push_back(out.front());
        break;
    }
    }
}

bool LegalLongLat(const TNetworkPoint* p)
{
    return p->Longitude != 0 && p->Latitude != 0 && p->Longitude >= -1800000000 && p->Longitude <= 1800000000 &&
           p->Latitude >= -900000000 && p->Latitude <= 900000000;
}

// ---------------------------------------------------------------- bytes

void PutBig(std::string& s, int32_t v)
{
    const uint32_t u = uint32_t(v);
    const char b[4] = {char(u >> 24), char(u >> 16), char(u >> 8), char(u)};
    s.append(b, 4);
}

void PutLittle(std::string& s, int32_t v)
{
    const uint32_t u = uint32_t(v);
    const char b[4] = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
    s.append(b, 4);
}

void PutDouble(std::string& s, double v)
{
    uint64_t u = std::bit_cast<uint64_t>(v);
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = char(u >> (8 * i));
    s.append(b, 8);
}

// The extents of a set, in the network's units.
struct TExtents {
    int32_t MinLon = 1800000001, MaxLon = -1800000001;
    int32_t MinLat = 900000001, MaxLat = -900000001;
    int32_t MinZ = 2000000000, MaxZ = -2000000000;
    bool Empty() const { return MinLon > MaxLon; }
    void Include(const TNetworkPoint* p)
    {
        MinLon = std::min(MinLon, p->Longitude);
        MaxLon = std::max(MaxLon, p->Longitude);
        MinLat = std::min(MinLat, p->Latitude);
        MaxLat = std::max(MaxLat, p->Latitude);
        MinZ = std::min(MinZ, p->Elevation);
        MaxZ = std::max(MaxZ, p->Elevation);
    }
};

void PutHeader(std::string& s, int32_t type, int64_t lengthWords, const TExtents& e)
{
    PutBig(s, ShpFileCode);
    for (int i = 0; i < 5; ++i) PutBig(s, 0);
    PutBig(s, int32_t(lengthWords));
    PutLittle(s, ShpVersion);
    PutLittle(s, type);
    const bool empty = e.Empty();
    PutDouble(s, empty ? 0.0 : e.MinLon / 1e7);
    PutDouble(s, empty ? 0.0 : e.MinLat / 1e7);
    PutDouble(s, empty ? 0.0 : e.MaxLon / 1e7);
    PutDouble(s, empty ? 0.0 : e.MaxLat / 1e7);
    PutDouble(s, empty ? 0.0 : e.MinZ / 1e4);
    PutDouble(s, empty ? 0.0 : e.MaxZ / 1e4);
    PutDouble(s, 0.0);
    PutDouble(s, 0.0);
}

// Content words of a record of these points.
int64_t ContentWords(TKind kind, size_t points)
{
    if (kind == TKind::Nodes) return 18;
    if (points == 0) return 2; // a null shape
    return 40 + 16 * int64_t(points);
}

// Appends the content of one record.
void PutContent(std::string& s, TKind kind, const std::vector<const TNetworkPoint*>& pts)
{
    if (kind == TKind::Nodes) {
        const TNetworkPoint* p = pts[0];
        PutLittle(s, ShpPointZ);
        PutDouble(s, p->Longitude / 1e7);
        PutDouble(s, p->Latitude / 1e7);
        PutDouble(s, p->Elevation / 1e4);
        PutDouble(s, 0.0);
        return;
    }
    if (pts.empty()) {
        PutLittle(s, ShpNull);
        return;
    }
    TExtents box;
    for (const TNetworkPoint* p : pts) box.Include(p);
    PutLittle(s, kind == TKind::Links ? ShpPolyLineZ : ShpPolygonZ);
    PutDouble(s, box.MinLon / 1e7);
    PutDouble(s, box.MinLat / 1e7);
    PutDouble(s, box.MaxLon / 1e7);
    PutDouble(s, box.MaxLat / 1e7);
    PutLittle(s, 1);
    PutLittle(s, int32_t(pts.size()));
    PutLittle(s, 0);
    for (const TNetworkPoint* p : pts) {
        PutDouble(s, p->Longitude / 1e7);
        PutDouble(s, p->Latitude / 1e7);
    }
    PutDouble(s, box.MinZ / 1e4);
    PutDouble(s, box.MaxZ / 1e4);
    for (const TNetworkPoint* p : pts) PutDouble(s, p->Elevation / 1e4);
    PutDouble(s, 0.0);
    PutDouble(s, 0.0);
    for (size_t i = 0; i < pts.size(); ++i) PutDouble(s, 0.0);
}

// ---------------------------------------------------------------- export

// One set of files: the elements in hash order.
struct TSet {
    TKind Kind = TKind::Nodes;
    std::vector<const void*> Elements;
    std::string Base; // the name without extension
};

class TShapeExporter {
public:
    TShapeExporter(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view, bool filterNoLinks,
                   TMessageSink& sink, const TShapeExportStatus& status, const TImportProgress& progress)
        : Net(net), Settings(settings), View(view), FilterNoLinks(filterNoLinks), Sink(sink), Status(status),
          Throttle(progress), NodeSelection(net, settings, view.ZoomIndex, filterNoLinks, false),
          PolygonSelection(net, settings, view.ZoomIndex, false, true)
    {
    }

    TShapeExportResult Run(int choice, const std::string& fileName);

private:
    // The selected elements of a kind, of class classNo (0: every class).
    std::vector<const void*> Select(TKind kind, int classNo) const;
    bool AllLegal(TKind kind, const std::vector<const void*>& elements);
    // Writes the .shp and .shx of a set and puts them in place together with
    // the set's finished table, when it has one: no file of the set changes
    // unless all are whole. False after a failure (status set).
    bool WriteShapes(const TSet& set, const std::string& shpName, const std::string& shxName,
                     TTextWriter* table = nullptr, const std::string& dbfName = {});
    // The .dbf of a set of class classNo, rows in the order of its shapes,
    // written beside its target and left finished in table.
    bool WriteTable(const TSet& set, int classNo, const std::string& dbfName, TTextWriter& table);
    bool Failed(const std::string& name);

    const TNetwork& Net;
    const TWindowSettings& Settings;
    const TViewRecord& View;
    bool FilterNoLinks;
    TMessageSink& Sink;
    const TShapeExportStatus& Status;
    TImportThrottle Throttle;
    // Extract's own tests, so that row n of a table describes shape n.
    TExtractSelection NodeSelection, PolygonSelection;
    TShapeExportResult Result;
    std::vector<const TNetworkPoint*> Points;
};

std::vector<const void*> TShapeExporter::Select(TKind kind, int classNo) const
{
    std::vector<const void*> out;
    ForEachNode(Net, [&](TNode* n) {
        switch (kind) {
        case TKind::Nodes:
            if (NodeSelection.NodeSelected(*n) && (classNo == 0 || n->EntityType == classNo)) out.push_back(n);
            break;
        case TKind::Polygons:
            if (PolygonSelection.NodeSelected(*n) && (classNo == 0 || n->EntityType == classNo)) out.push_back(n);
            break;
        case TKind::Links:
            for (const TLink* h : n->Links)
                if (NodeSelection.LinkSelected(*h) && (classNo == 0 || h->LinkValues->EntityType == classNo))
                    out.push_back(h);
            break;
        }
    });
    return out;
}

bool TShapeExporter::AllLegal(TKind kind, const std::vector<const void*>& elements)
{
    for (const void* e : elements) {
        ShapePoints(kind, e, Points);
        for (const TNetworkPoint* p : Points)
            if (!LegalLongLat(p)) return false;
    }
    return true;
}

bool TShapeExporter::Failed(const std::string& name)
{
    Result.ErrorCode = ShapeExportWriteFailed;
    Result.Status = "Cannot create " + name;
    return false;
}

bool TShapeExporter::WriteShapes(const TSet& set, const std::string& shpName, const std::string& shxName,
                                 TTextWriter* table, const std::string& dbfName)
{
    if (Status) Status("Writing " + shpName);
    TExtents extents;
    int64_t words = 50;
    for (const void* e : set.Elements) {
        ShapePoints(set.Kind, e, Points);
        for (const TNetworkPoint* p : Points) extents.Include(p);
        words += 4 + ContentWords(set.Kind, Points.size());
    }
    const int64_t records = int64_t(set.Elements.size());
    if (words > INT32_MAX || 50 + 4 * records > INT32_MAX) return Failed(shpName); // beyond the format's 4 GB
    const int32_t type = set.Kind == TKind::Nodes ? ShpPointZ : set.Kind == TKind::Links ? ShpPolyLineZ : ShpPolygonZ;

    TTextWriter shp, shx;
    std::string error;
    if (!shp.BeginFile(shpName, error)) return Failed(shpName);
    if (!shx.BeginFile(shxName, error)) return Failed(shxName);
    try {
        std::string bytes;
        PutHeader(bytes, type, words, extents);
        shp.WriteRaw(bytes);
        bytes.clear();
        PutHeader(bytes, type, 50 + 4 * records, extents);
        shx.WriteRaw(bytes);
        int32_t offset = 50, number = 0;
        std::string index;
        for (const void* e : set.Elements) {
            ShapePoints(set.Kind, e, Points);
            const int32_t content = int32_t(ContentWords(set.Kind, Points.size()));
            bytes.clear();
            PutBig(bytes, ++number);
            PutBig(bytes, content);
            PutContent(bytes, set.Kind, Points);
            shp.WriteRaw(bytes);
            index.clear();
            PutBig(index, offset);
            PutBig(index, content);
            shx.WriteRaw(index);
            offset += 4 + content;
            Throttle.Step();
        }
    } catch (const TFileWriteError&) {
        return Failed(shp.Failed() ? shpName : shxName);
    }
    // Every file of the set whole first, then all put in place.
    const bool committed = table ? TTextWriter::CommitAll({table, &shp, &shx}, error)
                                 : TTextWriter::CommitAll({&shp, &shx}, error);
    if (!committed) return Failed(shpName);
    if (table) Result.Files.push_back(dbfName);
    Result.Files.push_back(shpName);
    Result.Files.push_back(shxName);
    return true;
}

bool TShapeExporter::WriteTable(const TSet& set, int classNo, const std::string& dbfName, TTextWriter& table)
{
    if (Status) Status("Writing " + dbfName);
    const bool links = set.Kind == TKind::Links;
    const TEntityClass& classes = links ? *Net.LinkClasses : *Net.NodeClasses;
    TCompiledLines lines;
    (links ? lines.Link : lines.Node)[size_t(classNo)] = ShapeTableTemplate(classes[classNo].AttributeCount);
    TExtractOptions options;
    options.Mode = SeparationDBase;
    options.FilterNoLinks = set.Kind == TKind::Nodes && FilterNoLinks;
    options.OnlyPolygons = set.Kind == TKind::Polygons;
    options.Quiet = true;
    // Extract writes the table under a name of its own beside the target;
    // it is put in place with the set's other files.
    // (The table's name ends at its first dot: the temporary one has none.)
    const std::filesystem::path target(dbfName);
    std::string temp;
    for (int attempt = 0; attempt < 1000 && temp.empty(); ++attempt) {
        const std::filesystem::path p = target.parent_path() / ("~tvxset" + std::to_string(::getpid()) + "_" +
                                                                 std::to_string(attempt) + ".dbf");
        std::error_code ec;
        if (!std::filesystem::exists(p, ec) && !ec) temp = p.string();
    }
    if (temp.empty()) return Failed(dbfName);
    if (ExtractNetwork(Net, Settings, View, lines, temp, options, Sink).ErrorCode != 0) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return Failed(dbfName);
    }
    std::string error;
    if (!table.AdoptFinished(temp, dbfName, error)) return Failed(dbfName);
    return true;
}

TShapeExportResult TShapeExporter::Run(int choice, const std::string& fileName)
{
    Result = TShapeExportResult{};
    if (choice < ShapeExportEverything || choice > ShapeExportPolygons) choice = ShapeExportEverything;
    const TKind kinds[3] = {TKind::Nodes, TKind::Links, TKind::Polygons};
    const char* const written[3] = {" nodes written", " links written", " polygons written"};

    if (choice != ShapeExportEverything) {
        TSet set;
        set.Kind = kinds[choice - 1];
        set.Elements = Select(set.Kind, 0);
        if (!AllLegal(set.Kind, set.Elements)) {
            Result.ErrorCode = ShapeExportIllegalLongLat;
            Result.Status = "Illegal long/lat values";
            return Result;
        }
        const std::string shp = ShapeFileNameFor(fileName);
        if (!WriteShapes(set, shp, IndexFileNameFor(shp))) return Result;
        const int32_t n = int32_t(set.Elements.size());
        (choice == ShapeExportNodes ? Result.Nodes : choice == ShapeExportLinks ? Result.Links : Result.Polygons) = n;
        Result.Status = std::to_string(n) + written[choice - 1];
        return Result;
    }

    // Everything: the sets of each class, all checked before any is written.
    std::vector<const void*> all[3];
    for (int k = 0; k < 3; ++k) {
        all[k] = Select(kinds[k], 0);
        if (!AllLegal(kinds[k], all[k])) {
            Result.ErrorCode = ShapeExportIllegalLongLat;
            Result.Status = "Illegal long/lat values";
            return Result;
        }
    }
    // Per class, as the class's counts say.
    TClassCounts nodeCounts{}, linkCounts{}, polygonCounts{};
    CountMatchingNodesByType(Net, View, [&](const TNode* n) { return NodeSelection.NodeSelected(*n); }, nodeCounts);
    CountMatchingPolygonsByType(Net, View, [&](const TNode* n) { return PolygonSelection.NodeSelected(*n); },
                                polygonCounts);
    CountMatchingLinksByType(Net, View, [&](const TLink* h) { return NodeSelection.LinkSelected(*h); }, linkCounts);
    const std::string base = ShapeBaseName(fileName);
    struct TPlan {
        TKind Kind;
        const TClassCounts& Counts;
        const TEntityClass& Classes;
        const char* Word;   // without an alias
        const char* Suffix; // after an alias
        int32_t& Total;
    };
    const TPlan plans[3] = {{TKind::Nodes, nodeCounts, *Net.NodeClasses, "Node", "", Result.Nodes},
                            {TKind::Polygons, polygonCounts, *Net.NodeClasses, "Polygon", "P", Result.Polygons},
                            {TKind::Links, linkCounts, *Net.LinkClasses, "Link", "", Result.Links}};
    for (const TPlan& plan : plans) {
        const std::vector<const void*>& elements = all[plan.Kind == TKind::Nodes ? 0 : plan.Kind == TKind::Links ? 1 : 2];
        for (int c = 1; c <= MaxClasses; ++c) {
            if (plan.Counts[size_t(c)] == 0) continue;
            TSet set;
            set.Kind = plan.Kind;
            for (const void* e : elements) {
                const int cls = plan.Kind == TKind::Links ? static_cast<const TLink*>(e)->LinkValues->EntityType
                                                          : static_cast<const TNode*>(e)->EntityType;
                if (cls == c) set.Elements.push_back(e);
            }
            const std::string& alias = plan.Classes[c].Alias;
            set.Base = alias.empty() ? base + plan.Word + std::to_string(c) : base + alias + plan.Suffix;
            TTextWriter table;
            if (!WriteTable(set, c, set.Base + ".dbf", table)) return Result;
            if (!WriteShapes(set, set.Base + ".shp", set.Base + ".shx", &table, set.Base + ".dbf")) return Result;
            plan.Total += int32_t(set.Elements.size());
        }
    }
    Result.Status = std::to_string(Result.Nodes) + written[0] + ", " + std::to_string(Result.Links) + written[1] +
                    ", " + std::to_string(Result.Polygons) + written[2] + " (done)";
    return Result;
}

bool EndsWithShp(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& ch : tail) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return tail == ".shp";
}

} // namespace

std::string ShapeTableTemplate(int attributeCount)
{
    std::string line = "XB";
    for (int k = 1; k <= std::min(attributeCount, 35); ++k) {
        line += 'a';
        line += k <= 9 ? char('0' + k) : char('a' + k - 10);
    }
    return line + "X(X)";
}

std::string ShapeFileNameFor(const std::string& fileName) { return EndsWithShp(fileName) ? fileName : fileName + ".shp"; }

std::string IndexFileNameFor(const std::string& shpName)
{
    std::string shx = shpName;
    if (!shx.empty()) shx.back() = shx.back() == 'P' ? 'X' : 'x';
    return shx;
}

std::string ShapeBaseName(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t from = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find('.', from);
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

TShapeExportResult ExportShapefiles(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                                    int choice, bool filterNoLinks, const std::string& fileName, TMessageSink& sink,
                                    const TShapeExportStatus& status, const TImportProgress& progress)
{
    return TShapeExporter(net, settings, view, filterNoLinks, sink, status, progress).Run(choice, fileName);
}
