#include "core/shapes/TigerImport.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/file/LegacyText.h"
#include "core/geo/Projections.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ImportSupport.h"

namespace {

constexpr int RedundantLayer = 9;
constexpr int OwnerLayer = 10;

constexpr int MsgFileNotFound = 52;    // "Valid update file not found."
constexpr int MsgTransformValues = 291; // "Error in transform values."
constexpr int CaptionTiger = 301;       // "Tiger 2000"

enum TWhich { FileRT1 = 0, FileRT2, FileRTP, FileRTI };

uint64_t LongLatKey(int32_t longitude, int32_t latitude)
{
    return (uint64_t(uint32_t(longitude)) << 32) | uint64_t(uint32_t(latitude));
}

// Where the import's files come from.
class TSetSource {
public:
    virtual ~TSetSource() = default;
    virtual bool Exists(TWhich which) = 0;
    // The file's bytes; false when it cannot be opened or read.
    virtual bool Load(TWhich which, std::string_view& bytes) = 0;
};

class TFileSource : public TSetSource {
public:
    explicit TFileSource(const TTigerFileSet& files) : Names{files.RT1, files.RT2, files.RTP, files.RTI} {}
    bool Exists(TWhich which) override
    {
        std::error_code ec;
        const bool there = std::filesystem::exists(std::filesystem::path(Names[which]), ec);
        // A name that cannot even be looked at is there, but unreadable.
        return there || (ec && ec != std::errc::no_such_file_or_directory);
    }
    bool Load(TWhich which, std::string_view& bytes) override
    {
        std::string error;
        if (!Readers[which].LoadFile(Names[which], error)) return false;
        bytes = Readers[which].Bytes();
        return true;
    }

private:
    std::string Names[4];
    TTextReader Readers[4];
};

class TBytesSource : public TSetSource {
public:
    explicit TBytesSource(const TTigerSetBytes& files) : Files{&files.RT1, &files.RT2, &files.RTP, &files.RTI} {}
    bool Exists(TWhich which) override { return Files[which]->Exists; }
    bool Load(TWhich which, std::string_view& bytes) override
    {
        if (!Files[which]->Exists || !Files[which]->Readable) return false;
        bytes = Files[which]->Bytes;
        return true;
    }

private:
    const TTigerFileBytes* Files[4];
};

// The first two attributes of type I or R of a class (0 when there is none).
std::pair<int, int> NumberAttributes(const TEntityClass* classes, int cls)
{
    std::pair<int, int> found{0, 0};
    if (!classes || cls < 0 || cls > MaxClasses) return found;
    const TClassRecord& rec = (*classes)[cls];
    const int count = std::clamp(rec.AttributeCount, 0, MaxAttributes);
    for (int i = 1; i <= count; ++i) {
        const TAttrib* a = rec.Attr(i);
        if (!a || (a->Kind != 'I' && a->Kind != 'R')) continue;
        if (!found.first)
            found.first = i;
        else {
            found.second = i;
            break;
        }
    }
    return found;
}

class TTigerImporter {
public:
    TTigerImporter(TNetwork& net, TWindowSettings& window, TTigerSettings& settings, TSetSource& source,
                   const TTigerProgress& progress, TMessageSink& sink)
        : Net(net), Window(window), Settings(settings), Source(source), Throttle(progress), Sink(sink)
    {
    }

    TTigerResult Run();

private:
    // One long/lat on the sketch pad: the exact position and the rounded
    // one, clamped to the world first (Clamped: it lay beyond).
    struct TPlace {
        int32_t Longitude = 0, Latitude = 0;
        double XF = 0, YF = 0;
        int32_t X = 0, Y = 0;
        bool Clamped = false;
    };

    void ReadChains();
    bool AddChain(const TTigerChain& chain);
    void ReadShapes();
    void ReadPolygons();
    void ReadChainPolygons();
    void BuildRings(TNode* owner, std::vector<TTigerChainPoints>& chains);

    bool Project(int32_t longitude, int32_t latitude, TPlace& place);
    TNode* NewNode(const TPlace& place, int layer);
    void Changing();
    bool LoadRecords(TWhich which, std::string_view& bytes);

    TNetwork& Net;
    TWindowSettings& Window;
    TTigerSettings& Settings;
    TSetSource& Source;
    TImportThrottle Throttle;
    TMessageSink& Sink;

    TTigerResult Result;
    double XScale = 0;
    TProjection Projection;
    bool Projected = false; // a map projection, not the equidistant mapping
    int CfccAttribute = 0;  // the link attribute that takes the CFCC code (0: none)
    TLongLatNodes Nodes;
    // The A-end half of the first link this import made for each chain id.
    std::unordered_map<int32_t, TLink*> ChainLinks;
};

void TTigerImporter::Changing()
{
    if (Result.Changed) return;
    Result.Changed = true;
    Net.SetAllowClose(false);
}

bool TTigerImporter::LoadRecords(TWhich which, std::string_view& bytes)
{
    if (Source.Load(which, bytes)) return true;
    Result.ErrorCode = TigerErrorRead;
    return false;
}

bool TTigerImporter::Project(int32_t longitude, int32_t latitude, TPlace& place)
{
    place.Longitude = longitude;
    place.Latitude = latitude;
    double xf, yf;
    if (Projected) {
        if (!Projection.Project(longitude / 1e7, latitude / 1e7)) return false;
        xf = Projection.X;
        yf = Projection.Y;
    } else {
        xf = -1 * XScale * (Settings.XTranslate * 1e7 + longitude) / 1e7;
        yf = (Settings.YTranslate * 1e7 + latitude) * Settings.YScale / 1e7;
    }
    if (!std::isfinite(xf) || !std::isfinite(yf)) return false;
    place.XF = xf;
    place.YF = yf;
    place.X = int32_t(pround(std::clamp(xf, double(-WorldLimit), double(WorldLimit))));
    place.Y = int32_t(pround(std::clamp(yf, double(-WorldLimit), double(WorldLimit))));
    // Beyond the edge by more than the rounding.
    place.Clamped = std::fabs(xf) > WorldLimit + 0.5 || std::fabs(yf) > WorldLimit + 0.5;
    return true;
}

TNode* TTigerImporter::NewNode(const TPlace& place, int layer)
{
    Changing();
    RegridHashTable(Net);
    THashEntry* cell = nullptr;
    TNode* n = AddNode(Net, place.X, place.Y, cell, true, 0);
    if (!n) return nullptr;
    n->Longitude = place.Longitude;
    n->Latitude = place.Latitude;
    n->SetFraction(Net, place.XF, place.YF);
    n->Layer = uint8_t(layer);
    cell->IncludePoint(n);
    Nodes.Add(n);
    ++Result.Nodes;
    if (place.Clamped) ++Result.ClampedPoints;
    return n;
}

TTigerResult TTigerImporter::Run()
{
    Result = TTigerResult{};
    if (!TigerValuesValid(Settings)) {
        Result.ErrorCode = TigerErrorValues;
        ShowMessageBox(Sink, MsgTransformValues, CaptionTiger, MB_EXCLAMATION_OK);
        return Result;
    }
    BeginBulkLoad(Net);
    Nodes.Build(Net);

    if (Source.Exists(FileRT1))
        ReadChains();
    else
        Result.ErrorCode = TigerErrorMissing;
    if (Result.ErrorCode == TigerErrorValues) {
        ShowMessageBox(Sink, MsgTransformValues, CaptionTiger, MB_EXCLAMATION_OK);
        return Result;
    }
    Throttle.Now();
    if (Result.ErrorCode == TigerErrorNone) {
        if (Source.Exists(FileRT2))
            ReadShapes();
        else
            Result.ErrorCode = TigerErrorMissing;
    }
    Throttle.Now();
    if (Result.ErrorCode == TigerErrorNone) {
        if (Source.Exists(FileRTP) && Source.Exists(FileRTI))
            ReadPolygons();
        else
            Result.ErrorCode = TigerErrorMissing;
    }
    Throttle.Now();
    if (Result.ErrorCode == TigerErrorNone) {
        if (Source.Exists(FileRTI))
            ReadChainPolygons();
        else
            Result.ErrorCode = TigerErrorMissing;
    }
    for (int layer = 1; layer <= 10; ++layer) Window.Layers.LayerNames[size_t(layer)] = TigerLayerName(layer);
    Throttle.Now();
    if (Result.Changed) {
        RebuildAfterImport(Net, Window);
        Throttle.Now();
    }
    if (Result.ErrorCode != TigerErrorNone) ShowMessageBox(Sink, MsgFileNotFound, CaptionTiger, MB_EXCLAMATION_OK);
    return Result;
}

void TTigerImporter::ReadChains()
{
    std::string_view bytes;
    if (!LoadRecords(FileRT1, bytes)) return;
    std::vector<TTigerChain> chains;
    chains.reserve(bytes.size() / 229 + 1);
    TTigerLines lines(bytes);
    std::string_view line;
    bool failed = false;
    while (lines.Next(line)) {
        TTigerChain chain;
        if (!ParseTigerChain(line, chain)) {
            failed = true;
            break;
        }
        chains.push_back(std::move(chain));
        Throttle.Step();
    }

    // The extent of the chains gives the X scale and, where they are 0,
    // the translations.
    double minLong = 9.99e9, maxLong = -9.99e9, minLat = 9.99e9, maxLat = -9.99e9;
    for (const TTigerChain& c : chains) {
        minLong = std::min({minLong, double(c.FromLong), double(c.ToLong)});
        maxLong = std::max({maxLong, double(c.FromLong), double(c.ToLong)});
        minLat = std::min({minLat, double(c.FromLat), double(c.ToLat)});
        maxLat = std::max({maxLat, double(c.FromLat), double(c.ToLat)});
    }
    XScale = std::cos((minLat + maxLat) * std::numbers::pi / 3.6e9) * Settings.YScale;
    const TTigerSettings given = Settings;
    // Adding 0 turns a negative zero into zero.
    if (Settings.XTranslate == 0) Settings.XTranslate = -pround((minLong + maxLong) / 2e7) + 0.0;
    if (Settings.YTranslate == 0) Settings.YTranslate = -pround((minLat + maxLat) / 2e7) + 0.0;
    Projected = Settings.Method == TProjection::TransverseMercator || Settings.Method == TProjection::LambertConformal;
    if (Projected &&
        !Projection.Setup(Settings.Method, MilesPerDegreeLat, Settings.YScale, Settings.YTranslate, Settings.XTranslate)) {
        Settings = given;
        Result.ErrorCode = TigerErrorValues;
        return;
    }
    StoreTigerSettings(Settings, Window);
    CfccAttribute = NumberAttributes(Net.LinkClasses.get(), Net.TemplateLinkValues.EntityType).first;

    for (const TTigerChain& c : chains) {
        if (!AddChain(c)) {
            failed = true;
            break;
        }
        Throttle.Step();
    }
    if (failed) Result.ErrorCode = TigerErrorRead;
}

bool TTigerImporter::AddChain(const TTigerChain& c)
{
    const int layer = TigerLayerOf(c.CfccLetter);
    if (Window.Layers.LayerStates[size_t(layer)] == 0) return true;
    TPlace ends[2];
    if (!Project(c.FromLong, c.FromLat, ends[0]) || !Project(c.ToLong, c.ToLat, ends[1])) return false;
    const bool looped = c.FromLong == c.ToLong && c.FromLat == c.ToLat;
    TNode* nodes[2] = {nullptr, nullptr};
    for (int e = 0; e < 2; ++e) {
        const TPlace& p = ends[e];
        if (!looped) nodes[e] = Nodes.Find(Net, p.X, p.Y, p.Longitude, p.Latitude, layer);
        if (!nodes[e]) nodes[e] = NewNode(p, looped && e == 1 ? RedundantLayer : layer);
    }
    if (!nodes[0] || !nodes[1] || nodes[0] == nodes[1]) return true;
    if (FindLinkTo(nodes[0]->Links, nodes[1])) {
        // A second chain between the same two nodes: its own pair of nodes.
        nodes[0] = NewNode(ends[0], RedundantLayer);
        nodes[1] = NewNode(ends[1], RedundantLayer);
        if (!nodes[0] || !nodes[1]) return true;
    }
    Changing();
    TLink *halfA = nullptr, *halfB = nullptr;
    TLinkValues* link = AddLink(Net, nodes[0], nodes[1], true, 0, halfA, halfB);
    if (!link) return true;
    link->SourceId = c.TLID;
    link->Name = c.FeatureName;
    if (TValueSlot* slot = SlotOf(*link, CfccAttribute)) slot->SetReal(double(layer * 100 + c.CfccNumber));
    ChainLinks.try_emplace(c.TLID, halfA);
    ++Result.Links;
    return true;
}

void TTigerImporter::ReadShapes()
{
    std::string_view bytes;
    if (!LoadRecords(FileRT2, bytes)) return;
    TTigerLines lines(bytes);
    std::string_view line;
    bool first = true;
    int32_t previous = 0;
    TLink* link = nullptr;
    while (lines.Next(line)) {
        TTigerShapeRecord rec;
        if (!ParseTigerShape(line, rec)) {
            Result.ErrorCode = TigerErrorRead;
            return;
        }
        if (first || rec.TLID != previous) {
            auto it = ChainLinks.find(rec.TLID);
            link = it == ChainLinks.end() ? nullptr : it->second;
            previous = rec.TLID;
            first = false;
        }
        if (!link) continue;
        for (int k = 0; k < rec.Count; ++k) {
            TPlace p;
            if (!Project(rec.Long[size_t(k)], rec.Lat[size_t(k)], p)) {
                Result.ErrorCode = TigerErrorRead;
                return;
            }
            Changing();
            TShapePoint* sp =
                AddShapePoint(Net, p.X, p.Y, link->LinkValues->ShapePoints.GetCount(), link);
            if (!sp) continue;
            sp->Longitude = p.Longitude;
            sp->Latitude = p.Latitude;
            sp->SetFraction(Net, p.XF, p.YF);
            if (THashEntry* cell = Net.NodeHash.FindCell(p.X, p.Y)) cell->IncludePoint(sp);
            ++Result.ShapePoints;
            if (p.Clamped) ++Result.ClampedPoints;
        }
        Throttle.Step();
    }
}

void TTigerImporter::ReadPolygons()
{
    std::string_view bytes;
    if (!LoadRecords(FileRTP, bytes)) return;
    const auto [attribute75, attribute41] = NumberAttributes(Net.NodeClasses.get(), Net.TemplateNode.EntityType);
    TTigerLines lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        TTigerPolygonRecord rec;
        TPlace p;
        if (!ParseTigerPolygon(line, rec) || !Project(rec.Long, rec.Lat, p)) {
            Result.ErrorCode = TigerErrorRead;
            return;
        }
        Throttle.Step();
        if (Nodes.Find(Net, p.X, p.Y, p.Longitude, p.Latitude, OwnerLayer)) continue;
        TNode* owner = NewNode(p, OwnerLayer);
        if (!owner) continue;
        owner->SetSourceKey(rec.PolyId);
        owner->SetSourceCode(rec.CenId);
        if (TValueSlot* slot = SlotOf(*owner, attribute75)) slot->SetReal(rec.Columns75);
        if (TValueSlot* slot = SlotOf(*owner, attribute41)) slot->SetReal(rec.Columns41);
    }
}

void TTigerImporter::ReadChainPolygons()
{
    std::string_view bytes;
    if (!LoadRecords(FileRTI, bytes)) return;
    // The chains of each owner, owners in the order they were first met.
    std::unordered_map<TNode*, size_t> ownerIndex;
    std::vector<std::pair<TNode*, std::vector<TTigerChainPoints>>> owners;
    auto chainsOf = [&](TNode* owner) -> std::vector<TTigerChainPoints>& {
        auto [it, fresh] = ownerIndex.try_emplace(owner, owners.size());
        if (fresh) owners.emplace_back(owner, std::vector<TTigerChainPoints>{});
        return owners[it->second].second;
    };

    TTigerLines lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        TTigerChainPolygon rec;
        if (!ParseTigerChainPolygon(line, rec)) {
            Result.ErrorCode = TigerErrorRead;
            break;
        }
        Throttle.Step();
        auto it = ChainLinks.find(rec.TLID);
        if (it == ChainLinks.end()) continue;
        const TLinkValues* link = it->second->LinkValues;
        const auto& shapes = link->ShapePoints;
        if (rec.PolyIdR != rec.PolyIdL && rec.PolyIdR > 0)
            if (TNode* owner = FindNodeByKey(Net, rec.PolyIdR, rec.CenIdR)) {
                TTigerChainPoints chain;
                chain.reserve(size_t(shapes.GetCount()) + 2);
                chain.push_back(link->ANode);
                for (TShapePoint* sp : shapes) chain.push_back(sp);
                chain.push_back(link->BNode);
                chainsOf(owner).push_back(std::move(chain));
            }
        if (rec.PolyIdL != rec.PolyIdR && rec.PolyIdL > 0)
            if (TNode* owner = FindNodeByKey(Net, rec.PolyIdL, rec.CenIdL)) {
                TTigerChainPoints chain;
                chain.reserve(size_t(shapes.GetCount()) + 2);
                chain.push_back(link->BNode);
                for (int32_t i = shapes.GetCount() - 1; i >= 0; --i) chain.push_back(shapes.At(i));
                chain.push_back(link->ANode);
                chainsOf(owner).push_back(std::move(chain));
            }
    }
    for (auto& [owner, chains] : owners) {
        BuildRings(owner, chains);
        Throttle.Step();
    }
}

void TTigerImporter::BuildRings(TNode* owner, std::vector<TTigerChainPoints>& chains)
{
    Changing();
    // A polygon the owner had already is the first chain; its vertices give
    // up the owner until the rings give it back.
    auto& polygon = owner->OwnPolygonRef();
    if (!polygon.Empty()) {
        TTigerChainPoints old(polygon.begin(), polygon.end());
        for (TNetworkPoint* v : old)
            if (const int32_t i = Net.PolygonsOf(v).IndexOf(owner); i >= 0) Net.PolygonsRef(v).DeleteAt(i);
        chains.insert(chains.begin(), std::move(old));
    }
    const std::vector<TTigerChainPoints> rings = JoinChainsIntoRings(chains);
    size_t total = 0;
    for (const auto& ring : rings) total += ring.size();
    polygon.Clear();
    polygon.SetLimit(int32_t(std::min<size_t>(total, size_t(INT32_MAX / 2))));
    for (const auto& ring : rings)
        for (TNetworkPoint* v : ring) {
            polygon.Insert(v);
            if (Net.PolygonsOf(v).IndexOf(owner) < 0) {
                MakeRoom(Net.PolygonsRef(v));
                Net.PolygonsRef(v).Insert(owner);
            }
        }
    if (!polygon.Empty()) ++Result.Polygons;
}

} // namespace

TTigerSettings TigerSettingsOf(const TWindowSettings& window)
{
    TTigerSettings s;
    s.YScale = window.LongLat.PixelsPerDegreeLat;
    s.XTranslate = window.LongLat.TranslateX;
    s.YTranslate = window.LongLat.TranslateY;
    s.Method = window.LongLat.LongLatMethod;
    return s;
}

void StoreTigerSettings(const TTigerSettings& settings, TWindowSettings& window)
{
    window.LongLat.PixelsPerDegreeLat = settings.YScale;
    window.LongLat.TranslateX = settings.XTranslate;
    window.LongLat.TranslateY = settings.YTranslate;
    window.LongLat.LongLatMethod = settings.Method;
}

bool TigerValuesValid(const TTigerSettings& settings)
{
    return std::isfinite(settings.YScale) && settings.YScale != 0 && std::isfinite(settings.XTranslate) &&
           std::isfinite(settings.YTranslate);
}

int TigerLayerOf(char cfccLetter)
{
    switch (cfccLetter) {
    case 'A':
    case 'P':
        return 1;
    case 'B':
        return 2;
    case 'C':
        return 3;
    case 'D':
        return 4;
    case 'E':
        return 5;
    case 'F':
        return 6;
    case 'G':
        return 7;
    default:
        return 8;
    }
}

const char* TigerLayerName(int layer)
{
    static const char* const Names[11] = {"",
                                          "Roads",
                                          "Railroads",
                                          "Pipelines & power",
                                          "Landmarks",
                                          "Physical features",
                                          "Nonvisible, boundaries",
                                          "Census bureau use",
                                          "Water and unclassified",
                                          "Redundant & looped links",
                                          "GT-polygon owner nodes"};
    return layer >= 1 && layer <= 10 ? Names[layer] : "";
}

std::vector<TTigerChainPoints> JoinChainsIntoRings(const std::vector<TTigerChainPoints>& chains)
{
    const size_t count = chains.size();
    std::vector<char> used(count, 0);
    auto keyOf = [](const TNetworkPoint* p) { return LongLatKey(p->Longitude, p->Latitude); };

    // Every point of every chain by long/lat, chains in list order and
    // points in chain order, so that the first entry of a chain is its first
    // point of that long/lat. Few chains are searched directly.
    constexpr size_t DirectLimit = 16;
    struct TAt {
        int32_t Chain, Point;
    };
    struct TAtList {
        std::vector<TAt> Entries;
        size_t First = 0; // entries before it belong to chains used already
    };
    std::unordered_map<uint64_t, TAtList> at;
    if (count > DirectLimit)
        for (size_t c = 0; c < count; ++c)
            for (size_t i = 0; i < chains[c].size(); ++i)
                at[keyOf(chains[c][i])].Entries.push_back({int32_t(c), int32_t(i)});
    // The first chain left holding the long/lat, and where.
    auto next = [&](uint64_t key, size_t& chain, size_t& point) {
        if (count <= DirectLimit) {
            for (size_t c = 0; c < count; ++c) {
                if (used[c]) continue;
                for (size_t i = 0; i < chains[c].size(); ++i)
                    if (keyOf(chains[c][i]) == key) {
                        chain = c;
                        point = i;
                        return true;
                    }
            }
            return false;
        }
        auto it = at.find(key);
        if (it == at.end()) return false;
        TAtList& list = it->second;
        while (list.First < list.Entries.size() && used[size_t(list.Entries[list.First].Chain)]) ++list.First;
        for (size_t k = list.First; k < list.Entries.size(); ++k)
            if (!used[size_t(list.Entries[k].Chain)]) {
                chain = size_t(list.Entries[k].Chain);
                point = size_t(list.Entries[k].Point);
                return true;
            }
        return false;
    };

    std::vector<TTigerChainPoints> rings;
    for (size_t start = 0; start < count; ++start) {
        if (used[start] || chains[start].empty()) {
            used[start] = 1;
            continue;
        }
        TTigerChainPoints walk;
        used[start] = 1;
        walk.insert(walk.end(), chains[start].begin(), chains[start].end());
        size_t chain = 0, point = 0;
        while (next(keyOf(walk.back()), chain, point)) {
            used[chain] = 1;
            walk.insert(walk.end(), chains[chain].begin() + std::ptrdiff_t(point), chains[chain].end());
        }
        TTigerChainPoints ring;
        ring.reserve(walk.size());
        for (TNetworkPoint* p : walk)
            if (ring.empty() || ring.back() != p) ring.push_back(p);
        if (ring.size() > 1 && ring.back() == ring.front()) ring.pop_back();
        rings.push_back(std::move(ring));
    }
    return rings;
}

std::string TigerImportStatus(const TTigerResult& r)
{
    auto count = [](int32_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::string text = count(r.Nodes, "node", "nodes") + ", " + count(r.Links, "link", "links") + ", " +
                       count(r.ShapePoints, "shape point", "shape points") + " and " +
                       count(r.Polygons, "polygon", "polygons") + " added.";
    if (r.ClampedPoints > 0)
        text += " " + count(r.ClampedPoints, "point lies", "points lie") + " beyond the world's edge and " +
                (r.ClampedPoints == 1 ? "was" : "were") + " placed on it.";
    return text;
}

TTigerResult ImportTiger(TNetwork& net, TWindowSettings& window, TTigerSettings& settings,
                         const TTigerFileSet& files, const TTigerProgress& progress, TMessageSink& sink)
{
    if (!files.Named) {
        TTigerResult result;
        result.ErrorCode = TigerErrorMissing;
        ShowMessageBox(sink, MsgFileNotFound, CaptionTiger, MB_EXCLAMATION_OK);
        return result;
    }
    TFileSource source(files);
    return TTigerImporter(net, window, settings, source, progress, sink).Run();
}

TTigerResult ImportTigerBytes(TNetwork& net, TWindowSettings& window, TTigerSettings& settings,
                              const TTigerSetBytes& files, const TTigerProgress& progress, TMessageSink& sink)
{
    TBytesSource source(files);
    return TTigerImporter(net, window, settings, source, progress, sink).Run();
}
