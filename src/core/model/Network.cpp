#include "core/model/Network.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

#include "core/model/DesireTable.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Undo.h"
#include "core/model/WindowSettings.h"

// ---------------------------------------------------------------- values

void ResizeValueBlock(TValueBlock& values, int16_t& byteCount, int n)
{
    n = std::clamp(n, 0, MaxAttributes);
    int old = byteCount / 8;
    if (n == old && (n == 0) == (values == nullptr)) return;
    TValueBlock fresh;
    if (n > 0) {
        fresh.reset(new TValueSlot[size_t(n)]); // zeroed by TValueSlot
        if (values)
            for (int i = 0; i < std::min(n, old); ++i) fresh[size_t(i)] = values[size_t(i)];
    }
    values = std::move(fresh);
    byteCount = int16_t(8 * n);
}

// ---------------------------------------------------------------- points

// The cell corner is not kept: the key comes from the position.
TNetworkPoint::TNetworkPoint(int32_t x, int32_t y, int32_t, int32_t) : X(x), Y(y) {}

void TFractionTable::TakeOver(TFractionTable& other)
{
    if (Entries.empty())
        std::swap(Entries, other.Entries);
    else
        other.Entries.ForEach([&](const TEntry& e) {
            bool fresh = false;
            Entries.Insert(e, fresh).Value = e.Value;
        });
    other.Clear();
}

// A fraction equal to the whole position, bit for bit, needs no entry.
static bool IsWhole(double f, int32_t v)
{
    return std::bit_cast<uint64_t>(f) == std::bit_cast<uint64_t>(double(v));
}

void TPointFractions::Set(TNetworkPoint* p, TFraction f)
{
    TFraction* room = p->IsShapePoint() ? ShapePoints.MakeSideOf<TFraction>(p->AsShapePoint())
                                        : Nodes.MakeSideOf<TFraction>(p->AsNode());
    if (room) {
        *room = f;
        if (!p->HasFraction) ++Pooled;
    } else {
        Loose.Set(p, f);
    }
    p->HasFraction = 1;
}

void TPointFractions::Erase(TNetworkPoint* p)
{
    if (!p->HasFraction) return;
    if (InPool(p))
        --Pooled;
    else
        Loose.Erase(p);
    p->HasFraction = 0;
}

void TNetworkPoint::SetFraction(TNetwork& net, double xf, double yf)
{
    if (IsWhole(xf, X) && IsWhole(yf, Y))
        net.Store.Fractions.Erase(this);
    else
        net.Store.Fractions.Set(this, {xf, yf});
}

void TNetworkPoint::MoveKeepingFraction(TNetwork& net, int32_t x, int32_t y)
{
    const double xf = XF(net), yf = YF(net);
    X = x;
    Y = y;
    SetFraction(net, xf, yf);
}

TShapePoint::TShapePoint(int32_t x, int32_t y, int32_t x0, int32_t y0) : TNetworkPoint(x, y, x0, y0)
{
    EntityType = ShapePointType;
}

TNode::TNode(int32_t x, int32_t y, int32_t x0, int32_t y0) : TNetworkPoint(x, y, x0, y0) {}

void FreePoint(TNetwork& net, TNetworkPoint* p)
{
    if (!p) return;
    net.DropPolygons(p);
    net.Store.Fractions.Erase(p);
    if (p->IsShapePoint())
        net.Store.ShapePoints.Destroy(p->AsShapePoint());
    else
        net.Store.Nodes.Destroy(p->AsNode());
}

void TNetwork::TakeOverPolygons(TNetwork& other)
{
    if (VertexOwners.empty()) {
        VertexOwners.swap(other.VertexOwners);
        return;
    }
    for (auto& [point, owners] : other.VertexOwners) {
        TYourPolygonList& mine = PolygonsRef(point);
        for (TNode* owner : owners)
            if (mine.IndexOf(owner) < 0) {
                MakeRoom(mine);
                mine.Insert(owner);
            }
    }
    other.VertexOwners.clear();
}

// ---------------------------------------------------------------- store

void PrefaultStoreBlock(void* p, size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    // The whole pages inside the block; an older kernel refuses the advice,
    // and the pages then come one fault at a time as before.
    static const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const uintptr_t b = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
    const uintptr_t e = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
    if (e > b) (void)::madvise(reinterpret_cast<void*>(b), e - b, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)bytes;
#endif
}

TValueBlock TElementStore::MakeValues(int n)
{
    n = std::clamp(n, 0, MaxAttributes);
    if (n == 0) return {};
    if (SlotsUsed + size_t(n) > SlotsPerBlock) {
        auto* block = static_cast<TValueSlot*>(::operator new[](sizeof(TValueSlot) * SlotsPerBlock));
        if (!SlotBlocks.empty()) PrefaultStoreBlock(block, sizeof(TValueSlot) * SlotsPerBlock);
        std::uninitialized_value_construct_n(block, SlotsPerBlock); // zeroed
        SlotBlocks.push_back(block);
        SlotsUsed = 0;
    }
    TValueSlot* p = SlotBlocks.back() + SlotsUsed;
    SlotsUsed += size_t(n);
    return TValueBlock(p, TSlotRelease{true});
}

// The class of room for n pointers: the smallest k with 2^k >= n.
static size_t RoomClassFor(int n)
{
    size_t k = 0;
    while ((size_t(1) << k) < size_t(n)) ++k;
    return k;
}

void** TElementStore::MakeRoom(int n)
{
    if (n <= 0) return nullptr;
    if (std::vector<void**>& waiting = FreeRooms[RoomClassFor(n)]; !waiting.empty()) {
        void** p = waiting.back();
        waiting.pop_back();
        return p;
    }
    if (size_t(n) > RoomPerBlock / 4) {
        RoomBlocks.insert(RoomBlocks.begin(), new void*[size_t(n)]);
        return RoomBlocks.front();
    }
    if (RoomUsed + size_t(n) > RoomPerBlock) {
        RoomBlocks.push_back(new void*[RoomPerBlock]);
        if (RoomBlocks.size() > 1) PrefaultStoreBlock(RoomBlocks.back(), sizeof(void*) * RoomPerBlock);
        RoomUsed = 0;
    }
    void** p = RoomBlocks.back() + RoomUsed;
    RoomUsed += size_t(n);
    return p;
}

void TElementStore::FreeRoom(void* room, int n)
{
    if (!room || n <= 0) return;
    // The largest class whose size the room holds.
    size_t k = RoomClassFor(n);
    if ((size_t(1) << k) > size_t(n)) --k;
    FreeRooms[k].push_back(static_cast<void**>(room));
}

size_t TElementStore::FreeRoomCount() const
{
    size_t n = 0;
    for (const std::vector<void**>& v : FreeRooms) n += v.size();
    return n;
}

void TElementStore::Release()
{
    Links.Release();
    ShapePoints.Release();
    Nodes.Release();
    Fractions.Clear();
    static_assert(std::is_trivially_destructible_v<TValueSlot>);
    for (TValueSlot* b : SlotBlocks) ::operator delete[](b); // made by MakeValues
    SlotBlocks.clear();
    SlotsUsed = SlotsPerBlock;
    for (void** b : RoomBlocks) delete[] b;
    RoomBlocks.clear();
    RoomUsed = RoomPerBlock;
    for (std::vector<void**>& v : FreeRooms) v.clear();
    Texts.Release();
}

void TElementStore::TakeOver(TElementStore& other)
{
    Nodes.TakeOver(other.Nodes);
    ShapePoints.TakeOver(other.ShapePoints);
    Links.TakeOver(other.Links);
    Fractions.TakeOver(other.Fractions);
    // This store's block in use stays last.
    SlotBlocks.insert(SlotBlocks.begin(), other.SlotBlocks.begin(), other.SlotBlocks.end());
    if (SlotBlocks.size() == other.SlotBlocks.size()) SlotsUsed = other.SlotsUsed;
    other.SlotBlocks.clear();
    other.SlotsUsed = SlotsPerBlock;
    RoomBlocks.insert(RoomBlocks.begin(), other.RoomBlocks.begin(), other.RoomBlocks.end());
    if (RoomBlocks.size() == other.RoomBlocks.size()) RoomUsed = other.RoomUsed;
    other.RoomBlocks.clear();
    other.RoomUsed = RoomPerBlock;
    for (size_t k = 0; k < FreeRooms.size(); ++k) {
        FreeRooms[k].insert(FreeRooms[k].end(), other.FreeRooms[k].begin(), other.FreeRooms[k].end());
        other.FreeRooms[k].clear();
    }
    Texts.TakeOver(other.Texts);
}

// A value block of n slots from the network's store.
template <class E>
static void StoreValues(TNetwork& net, E& e, int n)
{
    n = std::clamp(n, 0, MaxAttributes);
    e.Values = net.Store.MakeValues(n);
    e.ByteCount = int16_t(8 * n);
}

void TLinkValues::CopyStyleFrom(const TLinkValues& src)
{
    Name = src.Name;
    Note = src.Note;
    SourceId = src.SourceId;
    Active = src.Active;
    ExcludeShapesFromTriangulation = src.ExcludeShapesFromTriangulation;
    FlipMark = src.FlipMark;
    SuppressLabel = src.SuppressLabel;
    DeletedWithNode = src.DeletedWithNode;
    EntityType = src.EntityType;
    Font = src.Font;
    Place = src.Place;
    BitmapOverride = src.BitmapOverride;
    LabelPending = src.LabelPending;
    Label1 = src.Label1;
    Label2 = src.Label2;
    LabelXOffset = src.LabelXOffset;
    LabelYOffset = src.LabelYOffset;
}

// ---------------------------------------------------------------- cells

THashEntry::THashEntry(THashTable* table, int32_t cellX, int32_t cellY)
    : Table(table), Key(MakeCellKey(cellX, cellY))
{
    int64_t x0 = int64_t(cellX) * table->CellWidth;
    int64_t y0 = int64_t(cellY) * table->CellHeight;
    X0 = int32_t(x0);
    Y0 = int32_t(y0);
    X1 = int32_t(x0 + table->CellWidth - 1);
    Y1 = int32_t(y0 + table->CellHeight - 1);
}

void THashEntry::ResetLongLatBox()
{
    MinLat = 900000001;
    MaxLat = -900000001;
    MinLong = 1800000001;
    MaxLong = -1800000001;
}

void THashEntry::IncludePoint(const TNetworkPoint* p)
{
    MinLat = std::min(MinLat, p->Latitude);
    MaxLat = std::max(MaxLat, p->Latitude);
    MinLong = std::min(MinLong, p->Longitude);
    MaxLong = std::max(MaxLong, p->Longitude);
}

// ---------------------------------------------------------------- table

THashTable::THashTable(int32_t cellWidth, int32_t cellHeight)
    : CellWidth(std::max(cellWidth, 1)), CellHeight(std::max(cellHeight, 1))
{
}

THashTable::~THashTable() { FreeCells(); }

void THashTable::FreeCells()
{
    for (THashEntry* c : Sorted) delete c;
    for (THashEntry* c : Pending) delete c;
    Sorted.clear();
    Pending.clear();
    ByKey.Clear();
    LastCell = nullptr;
    MaxPoints = 0;
    MaxPointsStale = false;
    TotalPoints = 0;
    PolygonCells = 0;
    HasPolygons = 0;
}

THashEntry* THashTable::ItemAt(int32_t i) const
{
    if (i < 0 || i >= GetCount()) TCollection<THashEntry>::CollectionError(-1, i);
    return At(i);
}

static int32_t FloorDiv(int32_t a, int32_t b)
{
    int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int32_t THashTable::CellXOf(int32_t x) const { return FloorDiv(x, CellWidth); }
int32_t THashTable::CellYOf(int32_t y) const { return FloorDiv(y, CellHeight); }

THashEntry* THashTable::FindCellByKey(int64_t key) const
{
    if (LastCell && LastKey == key) return LastCell;
    const TCellEntry* e = ByKey.Find(uint64_t(key));
    if (!e) return nullptr;
    LastKey = key;
    LastCell = e->Cell;
    return LastCell;
}

THashEntry* THashTable::FindCell(int32_t x, int32_t y) const { return FindCellByKey(CellKey(x, y)); }

THashEntry* THashTable::FindOrAddCell(int32_t x, int32_t y)
{
    int32_t cx = CellXOf(x), cy = CellYOf(y);
    int64_t key = MakeCellKey(cx, cy);
    if (THashEntry* c = FindCellByKey(key)) return c;
    auto* c = new THashEntry(this, cx, cy);
    bool fresh = false;
    ByKey.Insert({uint64_t(key), c}, fresh);
    // Cells made in order (a file read) go straight to the end.
    if (Pending.empty() && (Sorted.empty() || Sorted.back()->Key < key))
        Sorted.push_back(c);
    else
        Pending.push_back(c);
    return c;
}

void THashTable::Settle() const
{
    if (Pending.empty()) return;
    auto less = [](const THashEntry* a, const THashEntry* b) { return a->Key < b->Key; };
    std::sort(Pending.begin(), Pending.end(), less);
    std::vector<THashEntry*> merged;
    merged.reserve(Sorted.size() + Pending.size());
    std::merge(Sorted.begin(), Sorted.end(), Pending.begin(), Pending.end(), std::back_inserter(merged), less);
    Sorted.swap(merged);
    Pending.clear();
}

void TNodeList::MergeLate()
{
    std::vector<TNetworkPoint*> late;
    late.swap(Late);
    if (late.size() <= 8) {
        // A few: sorted inserts in filing order, in place.
        for (TNetworkPoint* p : late) {
            if (Count == GetLimit()) SetLimit(Count + Count / 2 + 1);
            Base::Insert(p);
        }
        return;
    }
    // The waiting points by key, equal keys latest first; then merged with
    // the list, each before the listed points of its key. Each key is worked
    // out once and kept beside its point, so that sorting reads no point.
    struct TKeyed {
        uint64_t Key;
        TNetworkPoint* Point;
    };
    std::vector<TKeyed> keyed(late.size());
    for (size_t j = 0; j < late.size(); ++j) {
        TNetworkPoint* p = late[late.size() - 1 - j];
        keyed[j] = {p->PointKey(), p};
    }
    late = {};
    std::stable_sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) { return a.Key < b.Key; });
    const int32_t total = Count + int32_t(keyed.size());
    const int32_t room = std::max(total + total / 2, GetLimit());
    auto** merged = new TNetworkPoint*[size_t(room)];
    int32_t i = 0, k = 0;
    size_t j = 0;
    if (Count > 0) {
        uint64_t listed = Items[0]->PointKey();
        while (j < keyed.size()) {
            if (keyed[j].Key <= listed) {
                merged[k++] = keyed[j++].Point;
            } else {
                merged[k++] = Items[i++];
                if (i == Count) break;
                listed = Items[i]->PointKey();
            }
        }
    }
    while (i < Count) merged[k++] = Items[i++];
    while (j < keyed.size()) merged[k++] = keyed[j++].Point;
    TakeArray(merged, room, total);
}

void THashTable::InsertPoint(THashEntry* cell, TNetworkPoint* p)
{
    MakeRoom(cell->Points);
    cell->Points.File(p); // before existing equal keys
    ++TotalPoints;
    if (!MaxPointsStale && cell->Points.GetCount() > MaxPoints) MaxPoints = cell->Points.GetCount();
}

void THashTable::FileInOrder(const std::vector<TPlaced>& points)
{
    size_t i = 0;
    while (i < points.size()) {
        THashEntry* c = FindOrAddCell(points[i].X, points[i].Y);
        // The points of the cell: those inside its bounds that follow.
        auto inCell = [&](const TPlaced& p) {
            const int64_t dx = int64_t(p.X) - c->X0, dy = int64_t(p.Y) - c->Y0;
            return dx >= 0 && dx < CellWidth && dy >= 0 && dy < CellHeight;
        };
        size_t j = i + 1;
        while (j < points.size() && inCell(points[j])) ++j;
        c->Points.SetLimit(c->Points.GetCount() + int32_t(j - i));
        for (size_t k = i; k < j; ++k) {
            c->Points.Append(points[k].Point);
        }
        TotalPoints += int64_t(j - i);
        if (!MaxPointsStale) MaxPoints = std::max(MaxPoints, c->Points.GetCount());
        i = j;
    }
}

bool THashTable::RemovePoint(THashEntry* cell, TNetworkPoint* p)
{
    int32_t i = cell->Points.IndexOf(p);
    if (i < 0) return false;
    if (cell->Points.GetCount() == MaxPoints) MaxPointsStale = true;
    cell->Points.DeleteAt(i);
    --TotalPoints;
    return true;
}

int32_t THashTable::MaxCellPointCount() const
{
    if (MaxPointsStale) {
        int32_t m = 0;
        ByKey.ForEach([&](const TCellEntry& e) { m = std::max(m, e.Cell->Points.GetCount()); });
        MaxPoints = m;
        MaxPointsStale = false;
    }
    return MaxPoints;
}

void THashTable::SetCellHasPolygon(THashEntry* cell, bool has)
{
    if (bool(cell->HasPolygon) != has) {
        cell->HasPolygon = has ? 1 : 0;
        PolygonCells += has ? 1 : -1;
    }
    HasPolygons = PolygonCells > 0 ? 1 : 0;
}

void THashTable::Regrid(int32_t cellWidth, int32_t cellHeight)
{
    // Each point goes, in old cell order and list order, into the cell of its
    // position with a sorted insert before equal keys. The outcome per cell is
    // the points sorted by key with equal keys in reverse arrival order; sort
    // once for that instead of inserting one by one.
    Settle();
    std::vector<THashEntry*> oldCells;
    oldCells.swap(Sorted);
    ByKey.Clear();
    LastCell = nullptr;
    CellWidth = std::max(cellWidth, 1);
    CellHeight = std::max(cellHeight, 1);

    struct Moved {
        int64_t CellKey;
        uint64_t PointKey;
        uint64_t Seq;
        TNetworkPoint* Point;
    };
    std::vector<Moved> moved;
    moved.reserve(size_t(TotalPoints));
    uint64_t seq = 0;
    for (THashEntry* c : oldCells) {
        for (TNetworkPoint* p : c->Points) {
            int32_t cx = CellXOf(p->X), cy = CellYOf(p->Y);
            moved.push_back({MakeCellKey(cx, cy), p->PointKey(), seq++, p});
        }
        delete c; // its list only; the points move on
    }
    std::sort(moved.begin(), moved.end(), [](const Moved& a, const Moved& b) {
        if (a.CellKey != b.CellKey) return a.CellKey < b.CellKey;
        if (a.PointKey != b.PointKey) return a.PointKey < b.PointKey;
        return a.Seq > b.Seq;
    });

    MaxPoints = 0;
    MaxPointsStale = false;
    PolygonCells = 0; // HasPolygons stays until the polygon boxes are recomputed
    size_t i = 0;
    while (i < moved.size()) {
        size_t j = i;
        while (j < moved.size() && moved[j].CellKey == moved[i].CellKey) ++j;
        TNetworkPoint* first = moved[i].Point;
        auto* c = new THashEntry(this, CellXOf(first->X), CellYOf(first->Y));
        bool fresh = false;
        ByKey.Insert({uint64_t(c->Key), c}, fresh);
        Sorted.push_back(c);
        c->Points.SetLimit(int32_t(j - i));
        for (size_t k = i; k < j; ++k) c->Points.Append(moved[k].Point);
        MaxPoints = std::max(MaxPoints, c->Points.GetCount());
        i = j;
    }
}

// ---------------------------------------------------------------- view

bool IsLayerVisible(const TLayerSettings& layers, int32_t zoomIndex, int32_t layer)
{
    if (layer < 1 || layer > 10) return false;
    const int32_t s = layers.LayerStates[size_t(layer)];
    return s != 0 && s <= zoomIndex;
}

int32_t TViewRecord::PickRadius() const
{
    static const int32_t DefaultSize = TDisplaySettings{}.StandardSize;
    return Settings ? Settings->Display.StandardSize : DefaultSize;
}

bool IsLayerVisible(const TViewRecord& view, int32_t layer)
{
    if (!view.Settings) return layer >= 1 && layer <= 10;
    return IsLayerVisible(view.Settings->Layers, view.ZoomIndex, layer);
}

// ---------------------------------------------------------------- network

// Look-up indexes for importers, built on demand. Elements added after the
// build wait in Unfiled* and are filed at the next look-up, by the key they
// have then.
struct TNetworkIndexes {
    bool NodesBuilt = false;
    bool LinksBuilt = false;
    std::unordered_map<int32_t, std::vector<TNode*>> NodesByKey;
    std::unordered_map<int32_t, std::vector<TLinkValues*>> LinksById;
    std::vector<TNode*> UnfiledNodes;
    std::vector<TLinkValues*> UnfiledLinks;
};

namespace {
std::atomic<uint64_t> NetworkGenerations{0};
} // namespace

uint64_t NewNetworkGeneration() { return ++NetworkGenerations; }

bool TDesireTables::BelongTo(const TNetwork& net) const { return Generation != 0 && Generation == net.Generation; }

TNetwork::TNetwork()
{
    Generation = NewNetworkGeneration();
    ResizeValues(TemplateNode, MaxAttributes);
    ResizeValues(TemplateLinkValues, MaxAttributes);
    TemplateLink.LinkValues = &TemplateLinkValues;
    TemplateLink.SetAEnd(true);
    SetDefaultClasses(*this);
}

void SetDefaultClasses(TNetwork& net)
{
    net.NodeClasses = std::make_unique<TEntityClass>();
    net.LinkClasses = std::make_unique<TEntityClass>();
    net.SystemClass = std::make_unique<TEntityClass>();
    TClassRecord& node0 = (*net.NodeClasses)[0];
    TClassRecord& link0 = (*net.LinkClasses)[0];
    node0.Name = link0.Name = MessageText(9); // "Undefined"
    node0.Width = link0.Width = 1;
    node0.Color = 1;
    link0.Color = 2;
    (*net.SystemClass)[0].Name = MessageText(9);
    (*net.SystemClass)[1].Name = MessageText(57); // "System Attributes"
}

static void FreeElements(TNetwork& net)
{
    FreeUndoLists(net);
    // Every element was made in the store: releasing it frees them all, each
    // record once; the cells hold only pointers.
    net.NodeHash.FreeCells();
    net.Store.Release();
}

TNetwork::~TNetwork() { FreeElements(*this); }

TNetworkIndexes& TNetwork::LookupIndexes()
{
    if (!Indexes) Indexes = std::make_unique<TNetworkIndexes>();
    return *Indexes;
}

void TNetwork::DropLookupIndexes() { Indexes.reset(); }

void FreeNetwork(TNetwork& net)
{
    FreeElements(net);
    net.ClearPolygons();
    net.Generation = NewNetworkGeneration();
    net.DropLookupIndexes();
    net.PathScratch = {};
    net.NodeHash.CellWidth = 200;
    net.NodeHash.CellHeight = 200;
    SetDefaultClasses(net);
    net.SystemValues = {};
    net.SystemStrings.clear();
    net.NodeCount = 0;
    net.LinkCount = 0;
    net.TopSerial = 0;
    net.MinX = net.MinY = net.MaxX = net.MaxY = 0;
    net.TransformTotals = {0, 0, 1, 1, 0};
    BeginBulkLoad(net);
    net.Modified = false;
}

// ---------------------------------------------------------------- building

TNode* AddNode(TNetwork& net, int32_t x, int32_t y, THashEntry*& cell, bool copyValues, int nValues)
{
    THashTable& table = net.NodeHash;
    cell = nullptr;
    if (!InWorld(x, y)) return nullptr;
    THashEntry* c = table.FindCell(x, y);
    if (c ? c->Points.GetCount() >= HashCap : table.GetCount() >= HashCap) return nullptr;
    ++net.NodeCount;
    if (!c) c = table.FindOrAddCell(x, y);

    TNode* n = net.Store.Nodes.Make(x, y, c->X0, c->Y0);
    n->Serial = std::max(net.NodeCount, net.TopSerial + 1);
    net.TopSerial = n->Serial;
    StoreValues(net, *n, nValues);
    const TNode& t = net.TemplateNode;
    n->Name = t.Name;
    n->SetNote(t.Note());
    n->EntityType = t.EntityType;
    n->Font = t.Font;
    n->Place = t.Place;
    n->Layer = t.Layer;
    n->PolygonStyle = t.PolygonStyle;
    n->BitmapOverride = t.BitmapOverride;
    n->SuppressLabel = t.SuppressLabel;
    n->ExcludeFromTriangulation = t.ExcludeFromTriangulation;
    n->SetLabelOffset(t.LabelXOffset(), t.LabelYOffset());
    n->Label1 = t.Label1;
    n->Label2 = t.Label2;
    if (copyValues) {
        int count = ClassAttributeCount(net.NodeClasses.get(), t.EntityType);
        if (count != SlotCount(*n)) StoreValues(net, *n, count);
        for (int i = 0; i < count && i < SlotCount(t); ++i) n->Values[size_t(i)] = t.Values[size_t(i)];
        int sc = ClassStringCount(net.NodeClasses.get(), t.EntityType);
        for (int i = 0; i < sc && i < int(t.Strings.size()); ++i) n->Strings.push_back(t.Strings[size_t(i)]);
    }
    table.InsertPoint(c, n);
    cell = c;
    if (net.HasLookupIndexes() && net.LookupIndexes().NodesBuilt) net.LookupIndexes().UnfiledNodes.push_back(n);
    return n;
}

void ExtendBox(const TNetwork& net, TLink* halfEdge, const TNetworkPoint* p)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!r || !p) return;
    r->Box.Include(p->X, p->Y);
    // The A cell's union only grows with this box: widen it rather than
    // walking the cell's links again for every point of a bulk load.
    if (r->ANode)
        if (THashEntry* c = net.NodeHash.FindCell(r->ANode->X, r->ANode->Y)) c->LinkBox.Include(r->Box);
}

TShapePoint* AddShapePoint(TNetwork& net, int32_t x, int32_t y, int32_t index, TLink* halfEdge)
{
    if (!halfEdge || !halfEdge->LinkValues || !InWorld(x, y)) return nullptr;
    THashEntry* c = net.NodeHash.FindOrAddCell(x, y);
    TShapePoint* sp = net.Store.ShapePoints.Make(x, y, c->X0, c->Y0);
    net.NodeHash.InsertPoint(c, sp);
    auto& shapes = halfEdge->LinkValues->ShapePoints;
    net.Store.GrowRoom(shapes);
    shapes.InsertAt(std::clamp(index, 0, shapes.GetCount()), sp);
    sp->Link = halfEdge;
    ExtendBox(net, halfEdge, sp);
    return sp;
}

TLinkValues* AddLink(TNetwork& net, TNode* a, TNode* b, bool copyValues, int nValues, TLink*& halfA, TLink*& halfB)
{
    halfA = halfB = nullptr;
    if (!a || !b) return nullptr;
    TLinkRecord* record = net.Store.Links.Make();
    TLinkValues* r = &record->Values;
    const TLinkValues& t = net.TemplateLinkValues;
    r->CopyStyleFrom(t);
    r->ANode = a;
    r->BNode = b;
    r->Box = TBox{a->X, a->Y, a->X, a->Y};
    StoreValues(net, *r, nValues);
    if (copyValues) {
        int count = ClassAttributeCount(net.LinkClasses.get(), t.EntityType);
        if (count != SlotCount(*r)) StoreValues(net, *r, count);
        for (int i = 0; i < count && i < SlotCount(t); ++i) r->Values[size_t(i)] = t.Values[size_t(i)];
        int sc = ClassStringCount(net.LinkClasses.get(), t.EntityType);
        for (int i = 0; i < sc && i < int(t.Strings.size()); ++i) r->Strings.push_back(t.Strings[size_t(i)]);
    }
    halfA = &record->AHalf;
    halfB = &record->BHalf;
    *halfA = TLink{r, b, true};
    *halfB = TLink{r, a, false};
    // A node's links live in room from the store, which grows there.
    net.Store.GrowRoom(a->Links);
    a->Links.Insert(halfA);
    net.Store.GrowRoom(b->Links);
    b->Links.Insert(halfB);
    r->Box.Include(b->X, b->Y);
    ++net.LinkCount;
    // The A cell's union of link boxes and its reach.
    if (THashEntry* c = net.NodeHash.FindCell(a->X, a->Y)) {
        c->LinkBox.Include(r->Box);
        c->MaxDX = std::max(c->MaxDX, std::abs(a->X - b->X));
        c->MaxDY = std::max(c->MaxDY, std::abs(a->Y - b->Y));
    }
    if (net.HasLookupIndexes() && net.LookupIndexes().LinksBuilt) net.LookupIndexes().UnfiledLinks.push_back(r);
    return r;
}

// ---------------------------------------------------------------- look-ups

// The first point in the cell list whose key is that of (x, y);
// index -1 when none.
static int32_t FirstAtPosition(const THashEntry* cell, int32_t x, int32_t y)
{
    int32_t i;
    if (!cell->Points.Search(TNetworkPoint::PointKeyOf(x, y), i)) return -1;
    return i;
}

// Probes one position of a cell (nullptr: no cell there); true on a hit.
static bool ProbePosition(const THashEntry* cell, const TViewRecord& view, int32_t x, int32_t y, bool shapesAllowed,
                          TNode*& node, TShapePoint*& shapePoint)
{
    if (!cell) return false;
    int32_t i = FirstAtPosition(cell, x, y);
    if (i < 0) return false;
    const TNodeList& pts = cell->Points;
    uint64_t key = pts.At(i)->PointKey();
    TNetworkPoint* p = pts.At(i);
    if (p->IsShapePoint()) {
        if (shapesAllowed) {
            shapePoint = p->AsShapePoint();
            node = nullptr;
            return true;
        }
        p = nullptr;
        for (int32_t k = i; k < pts.GetCount() && pts.At(k)->PointKey() == key; ++k)
            if (pts.At(k)->IsNode()) {
                p = pts.At(k);
                break;
            }
        if (!p) return false;
    }
    if (!p->Active) {
        p = nullptr;
        for (int32_t k = i; k < pts.GetCount() && pts.At(k)->PointKey() == key; ++k)
            if (pts.At(k)->IsNode() && pts.At(k)->Active) {
                p = pts.At(k);
                break;
            }
        if (!p) return false;
    }
    TNode* n = p->AsNode();
    if (!n->Active || !IsLayerVisible(view, n)) return false;
    node = n;
    shapePoint = nullptr;
    return true;
}

// Visits the points of the cells that the square x0..x1, y0..y1 touches
// whose Y lies in the square (one range scan per cell, its points running by
// (Y, X)), cell by cell, until visit(cell, point) returns true; true then.
template <class Visit>
static bool ScanSquare(const THashTable& t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, Visit&& visit)
{
    x0 = std::max<int64_t>(x0, INT32_MIN);
    y0 = std::max<int64_t>(y0, INT32_MIN);
    x1 = std::min<int64_t>(x1, INT32_MAX);
    y1 = std::min<int64_t>(y1, INT32_MAX);
    if (x0 > x1 || y0 > y1) return false;
    int32_t cx0 = t.CellXOf(int32_t(x0)), cx1 = t.CellXOf(int32_t(x1));
    int32_t cy0 = t.CellYOf(int32_t(y0)), cy1 = t.CellYOf(int32_t(y1));
    for (int64_t cy = cy0; cy <= cy1; ++cy)
        for (int64_t cx = cx0; cx <= cx1; ++cx) {
            const THashEntry* c = t.FindCellByKey(MakeCellKey(int32_t(cx), int32_t(cy)));
            if (!c) continue;
            const int32_t sy0 = int32_t(std::max<int64_t>(y0, c->Y0)), sy1 = int32_t(y1);
            int32_t i;
            c->Points.Search(TNetworkPoint::PointKeyOf(INT32_MIN, sy0), i);
            for (; i < c->Points.GetCount(); ++i) {
                const TNetworkPoint* p = c->Points.At(i);
                if (p->Y > sy1) break;
                if (visit(c, p)) return true;
            }
        }
    return false;
}

// True when some point lies in the square x0..x1, y0..y1, so that a pick in
// an empty spot costs a few look-ups.
static bool AnyPointInSquare(const THashTable& t, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    return ScanSquare(t, x0, y0, x1, y1,
                      [&](const THashEntry*, const TNetworkPoint* p) { return p->X >= x0 && p->X <= x1; });
}

// Where (px, py) comes in the probes of the rings around (x, y): ring r =
// max(|dx|, |dy|) after ring r - 1; in a ring the row above, the row below
// (each left to right), the column on the left, the column on the right
// (each top to bottom, without the corners).
static uint64_t RingOrder(int64_t x, int64_t y, int64_t px, int64_t py)
{
    const int64_t dx = px - x, dy = py - y;
    const int64_t r = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
    const int64_t side = 2 * r + 1;
    int64_t k;
    if (dy == -r)
        k = dx + r;
    else if (dy == r)
        k = side + dx + r;
    else if (dx == -r)
        k = 2 * side + dy + r - 1;
    else
        k = 2 * side + (2 * r - 1) + dy + r - 1;
    return (uint64_t(r) << 32) | uint64_t(k);
}

bool FindNearestPoint(const TNetwork& net, const TViewRecord& view, TNode*& node, TShapePoint*& shapePoint,
                      bool shapesAllowed, bool centerOnly, int32_t x, int32_t y)
{
    node = nullptr;
    shapePoint = nullptr;
    // The positions of a pick mostly share one cell: look it up once.
    int64_t lastKey = 0;
    const THashEntry* lastCell = nullptr;
    bool haveLast = false;
    auto probe = [&](int64_t px, int64_t py) {
        if (px < INT32_MIN || px > INT32_MAX || py < INT32_MIN || py > INT32_MAX) return false;
        int64_t key = net.NodeHash.CellKey(int32_t(px), int32_t(py));
        if (!haveLast || key != lastKey) {
            lastCell = net.NodeHash.FindCellByKey(key);
            lastKey = key;
            haveLast = true;
        }
        return ProbePosition(lastCell, view, int32_t(px), int32_t(py), shapesAllowed, node, shapePoint);
    };
    bool hit = probe(x, y);
    const int32_t rings = std::clamp(view.PickRadius(), 0, 1000);
    if (!hit && !centerOnly) {
        // Only a position that holds a point can be a hit: the points of the
        // square, probed in the rings' order, give what probing every
        // position of every ring gives. Where the square's rows hold many
        // points, every position is probed instead.
        constexpr int MaxLooked = 64;
        struct TCandidate {
            uint64_t Order;
            const THashEntry* Cell;
            int32_t X, Y;
        };
        std::array<TCandidate, MaxLooked> found;
        int count = 0, looked = 0;
        const int64_t x0 = int64_t(x) - rings, x1 = int64_t(x) + rings;
        const bool crowded =
            ScanSquare(net.NodeHash, x0, int64_t(y) - rings, x1, int64_t(y) + rings,
                       [&](const THashEntry* c, const TNetworkPoint* p) {
                           if (++looked > MaxLooked) return true;
                           if (p->X >= x0 && p->X <= x1) found[size_t(count++)] = {RingOrder(x, y, p->X, p->Y), c, p->X, p->Y};
                           return false;
                       });
        if (!crowded) {
            std::sort(found.begin(), found.begin() + count,
                      [](const TCandidate& a, const TCandidate& b) { return a.Order < b.Order; });
            for (int i = 0; i < count && !hit; ++i) {
                const TCandidate& c = found[size_t(i)];
                if ((c.Order >> 32) == 0 || (i > 0 && found[size_t(i - 1)].Order == c.Order)) continue;
                hit = ProbePosition(c.Cell, view, c.X, c.Y, shapesAllowed, node, shapePoint);
            }
        } else if (AnyPointInSquare(net.NodeHash, x0, int64_t(y) - rings, x1, int64_t(y) + rings)) {
            for (int64_t r = 1; r <= rings && !hit; ++r) {
                for (int64_t xx = x - r; xx <= x + r && !hit; ++xx) hit = probe(xx, y - r);
                for (int64_t xx = x - r; xx <= x + r && !hit; ++xx) hit = probe(xx, y + r);
                for (int64_t yy = y - r + 1; yy <= y + r - 1 && !hit; ++yy) hit = probe(x - r, yy);
                for (int64_t yy = y - r + 1; yy <= y + r - 1 && !hit; ++yy) hit = probe(x + r, yy);
            }
        }
    }
    if (!hit) {
        node = nullptr;
        shapePoint = nullptr;
    }
    return shapesAllowed ? (node || shapePoint) : node != nullptr;
}

bool CanPlaceNode(const TNetwork& net, TViewRecord& view, const TNode* node)
{
    if (!node || !IsLayerVisible(view, node->Layer)) return false;
    TNode* found;
    TShapePoint* sp;
    bool hit = FindNearestPoint(net, view, found, sp, false, true, view.CursorX, view.CursorY);
    view.PickedShapePoint = sp;
    return !hit;
}

bool FindPointByLongLat(const TNetwork& net, int32_t x, int32_t y, int32_t longitude, int32_t latitude, int32_t layer,
                        TNode*& node, TShapePoint*& shapePoint, bool shapesWanted)
{
    node = nullptr;
    shapePoint = nullptr;
    const THashEntry* cell = net.NodeHash.FindCell(x, y);
    if (!cell || !cell->LongLatBoxContains(longitude, latitude)) return false;
    for (TNetworkPoint* p : cell->Points) {
        if (p->Longitude != longitude || p->Latitude != latitude) continue;
        if (TNode* n = p->AsNode()) {
            if (n->Layer == layer) {
                node = n;
                return true;
            }
        } else if (shapesWanted) {
            shapePoint = p->AsShapePoint();
            return true;
        }
    }
    return false;
}

// Hash order of two points: cell order, then list order.
static bool PointBefore(const TNetwork& net, const TNetworkPoint* a, const TNetworkPoint* b)
{
    const THashEntry* ca = net.NodeHash.FindCell(a->X, a->Y);
    const THashEntry* cb = net.NodeHash.FindCell(b->X, b->Y);
    if (!ca || !cb) return false;
    if (ca != cb) return ca->Key < cb->Key;
    if (a->PointKey() != b->PointKey()) return a->PointKey() < b->PointKey();
    int32_t i = FirstAtPosition(ca, a->X, a->Y);
    for (; i >= 0 && i < ca->Points.GetCount(); ++i) {
        if (ca->Points.At(i) == a) return true;
        if (ca->Points.At(i) == b) return false;
    }
    return false;
}

TNode* FindNodeByKey(TNetwork& net, int32_t key, const std::string& code)
{
    TNetworkIndexes& ix = net.LookupIndexes();
    if (!ix.NodesBuilt) {
        for (THashEntry* cell : net.NodeHash)
            for (TNetworkPoint* p : cell->Points)
                if (TNode* n = p->AsNode()) ix.NodesByKey[n->SourceKey()].push_back(n);
        ix.NodesBuilt = true;
    }
    for (TNode* n : ix.UnfiledNodes) ix.NodesByKey[n->SourceKey()].push_back(n);
    ix.UnfiledNodes.clear();
    auto it = ix.NodesByKey.find(key);
    if (it == ix.NodesByKey.end()) return nullptr;
    TNode* best = nullptr;
    for (TNode* n : it->second)
        if (n->SourceKey() == key && n->SourceCode() == code && (!best || PointBefore(net, n, best))) best = n;
    return best;
}

TNode* FindNodeBySerial(const TNetwork& net, int32_t x, int32_t y, int32_t serial)
{
    const THashEntry* cell = net.NodeHash.FindCell(x, y);
    if (!cell) return nullptr;
    int32_t i = FirstAtPosition(cell, x, y);
    if (i >= 0) {
        TNode* n = cell->Points.At(i)->AsNode();
        if (n && n->Serial == serial) return n;
    }
    for (TNetworkPoint* p : cell->Points) {
        TNode* n = p->AsNode();
        if (n && n->Serial == serial) return n;
    }
    return nullptr;
}

TLink* FindLinkTo(const TLinkList& links, const TNode* node)
{
    for (TLink* h : links)
        if (h->FarNode == node && h->LinkValues) return h;
    return nullptr;
}

TLink* FindLinkBySerial(const TNetwork& net, int32_t x, int32_t y, int32_t serial, int32_t farSerial)
{
    TNode* n = FindNodeBySerial(net, x, y, serial);
    if (!n) return nullptr;
    for (TLink* h : n->Links)
        if (h->FarNode && h->FarNode->Serial == farSerial && h->LinkValues) return h;
    return nullptr;
}

bool GetThroughLinks(const TNode* node, TNode*& fromNode, TLinkValues*& inLink, TNode*& toNode, TLinkValues*& outLink)
{
    fromNode = toNode = nullptr;
    inLink = outLink = nullptr;
    if (!node) return false;
    int active = 0;
    TLink* ending = nullptr;
    TLink* starting = nullptr;
    for (TLink* h : node->Links) {
        if (!h->LinkValues || !h->LinkValues->Active) continue;
        ++active;
        if (h->AEnd())
            starting = h;
        else
            ending = h;
    }
    if (active != 2 || !ending || !starting) return false;
    fromNode = ending->FarNode;
    inLink = ending->LinkValues;
    toNode = starting->FarNode;
    outLink = starting->LinkValues;
    return true;
}

// ---------------------------------------------------------------- upkeep

void RecomputeBox(TLinkValues* link)
{
    if (!link || !link->ANode || !link->BNode) return;
    TBox b{link->ANode->X, link->ANode->Y, link->ANode->X, link->ANode->Y};
    b.Include(link->BNode->X, link->BNode->Y);
    for (TShapePoint* sp : link->ShapePoints) b.Include(sp->X, sp->Y);
    link->Box = b;
}

void UpdateCellLinkBox(const TNetwork& net, THashEntry* cell)
{
    TBox b = EmptyBox;
    for (TNetworkPoint* p : cell->Points)
        if (TNode* n = p->AsNode())
            for (TLink* h : n->Links)
                if (h->AEnd() && h->LinkValues) b.Include(h->LinkValues->Box);
    cell->LinkBox = b;
}

// The node's own polygon box over its active vertices.
static void ComputeNodePolygonBox(TNode* node)
{
    TBox b = EmptyBox;
    for (TNetworkPoint* v : node->OwnPolygon())
        if (v->Active) b.Include(v->X, v->Y);
    // A polygon emptied gives its room back, and the node its rare block
    // when nothing else is in it.
    if (node->Rare && node->Rare->OwnPolygon.GetCount() == 0) node->Rare->OwnPolygon.SetLimit(0);
    node->SetPolygonBox(b);
}

void UpdateCellPolygonBox(TNetwork& net, THashEntry* cell)
{
    TBox b = EmptyBox;
    bool has = false;
    for (TNetworkPoint* p : cell->Points) {
        TNode* n = p->AsNode();
        if (!n || !n->Active) continue;
        b.Include(n->PolygonBox());
        if (n->OwnPolygon().GetCount() > 0) has = true;
    }
    cell->PolygonBox = b;
    net.NodeHash.SetCellHasPolygon(cell, has);
}

void UpdateNodePolygonBox(TNetwork& net, TNode* node)
{
    if (!node) return;
    ComputeNodePolygonBox(node);
    if (THashEntry* c = net.NodeHash.FindCell(node->X, node->Y)) UpdateCellPolygonBox(net, c);
}

void RecomputeLinkReach(TNetwork& net)
{
    for (THashEntry* cell : net.NodeHash) {
        int32_t dx = 0, dy = 0;
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode())
                for (TLink* h : n->Links)
                    if (h->AEnd() && h->LinkValues) {
                        const TBox& b = h->LinkValues->Box;
                        if (b.IsEmpty()) continue;
                        dx = std::max<int64_t>(dx, int64_t(b.MaxX) - b.MinX);
                        dy = std::max<int64_t>(dy, int64_t(b.MaxY) - b.MinY);
                    }
        cell->MaxDX = dx;
        cell->MaxDY = dy;
    }
}

void RecomputeExtents(TNetwork& net)
{
    net.MinX = net.MinY = WorldLimit;
    net.MaxX = net.MaxY = -WorldLimit;
    for (THashEntry* cell : net.NodeHash) {
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n) continue;
            for (TLink* h : n->Links)
                if (h->AEnd()) RecomputeBox(h->LinkValues);
            ComputeNodePolygonBox(n);
            net.MinX = std::min(net.MinX, n->X);
            net.MinY = std::min(net.MinY, n->Y);
            net.MaxX = std::max(net.MaxX, n->X);
            net.MaxY = std::max(net.MaxY, n->Y);
        }
        UpdateCellLinkBox(net, cell);
        UpdateCellPolygonBox(net, cell);
    }
}

void ResetHashEntryExtents(TNetwork& net)
{
    for (THashEntry* cell : net.NodeHash) {
        cell->ResetLongLatBox();
        for (TNetworkPoint* p : cell->Points) cell->IncludePoint(p);
    }
}

int32_t ZoomScrollIncrement(int32_t zoomIndex)
{
    static constexpr int32_t high[] = {12, 16, 24, 32, 48, 64, 96}; // levels 12..18
    if (zoomIndex <= 11) return 8;
    if (zoomIndex >= 18) return 96;
    return high[zoomIndex - 12];
}

void MarkCellsInView(TNetwork& net, const TCullParams& pr)
{
    if (pr.Plotting) return;
    if (pr.DrawAll) {
        for (THashEntry* cell : net.NodeHash) cell->NodesInView = cell->LinksInView = 1;
        return;
    }
    const int64_t z = ZoomScrollIncrement(pr.ZoomIndex);
    // View growth per side: left, top, right, bottom.
    int64_t nodeGrow[4], linkGrow[4];
    for (int s = 0; s < 4; ++s) {
        nodeGrow[s] = std::max<int64_t>(int64_t(pr.NodeLabelMargin[size_t(s)]) + 20, pr.MaxNodeCircle);
        linkGrow[s] = int64_t(pr.LinkLabelMargin[size_t(s)]) + pr.MaxLinkWidth + 20;
    }
    auto meets = [&](TBox b, int64_t grow, const int64_t* viewGrow) {
        int64_t l = int64_t(b.MinX) + pr.OriginX - grow, r = int64_t(b.MaxX) + pr.OriginX + grow;
        int64_t t = int64_t(b.MinY) + pr.OriginY - grow, btm = int64_t(b.MaxY) + pr.OriginY + grow;
        return l <= int64_t(pr.Right) + viewGrow[2] && r >= int64_t(pr.Left) - viewGrow[0] &&
               t <= int64_t(pr.Bottom) + viewGrow[3] && btm >= int64_t(pr.Top) - viewGrow[1];
    };
    for (THashEntry* cell : net.NodeHash) {
        TBox nb{cell->X0, cell->Y0, cell->X1, cell->Y1};
        nb.Include(cell->PolygonBox);
        cell->NodesInView = meets(nb, int64_t(pr.MaxNodeCircle) + z, nodeGrow) ? 1 : 0;
        TBox lb{cell->X0, cell->Y0, cell->X1, cell->Y1};
        lb.Include(cell->LinkBox);
        cell->LinksInView = meets(lb, int64_t(pr.MaxLinkWidth) + z, linkGrow) ? 1 : 0;
    }
}

// ---------------------------------------------------------------- regrid

void BeginBulkLoad(TNetwork& net)
{
    net.RegridShrunk = false;
    net.RegridGrown = false;
    net.RegridFutileMax = 0;
}

void RebuildHashTable(TNetwork& net, int32_t width, int32_t height)
{
    net.NodeHash.Regrid(std::clamp(width, 1, MaxCellSize), std::clamp(height, 1, MaxCellSize));
    RecomputeLinkReach(net);
    RecomputeExtents(net);
    ResetHashEntryExtents(net);
}

void RegridHashTable(TNetwork& net)
{
    THashTable& t = net.NodeHash;
    if (!net.RegridGrown) {
        // Halving ends at the smallest size that still spans the world range,
        // and when it no longer thins the fullest cell (coincident points).
        while (t.MaxCellPointCount() >= HashCap && t.MaxCellPointCount() > net.RegridFutileMax) {
            int32_t before = t.MaxCellPointCount();
            int32_t w = t.CellWidth / 2, h = t.CellHeight / 2;
            if (w < MinCellSize || h < MinCellSize) {
                net.RegridFutileMax = before;
                break;
            }
            RebuildHashTable(net, w, h);
            net.RegridShrunk = true;
            if (t.MaxCellPointCount() >= before) {
                net.RegridFutileMax = t.MaxCellPointCount();
                break;
            }
        }
    }
    if (!net.RegridShrunk) {
        while (t.GetCount() >= HashCap) {
            if (t.CellWidth > MaxCellSize / 2 || t.CellHeight > MaxCellSize / 2) break;
            RebuildHashTable(net, t.CellWidth * 2, t.CellHeight * 2);
            net.RegridGrown = true;
        }
    }
}

// The A-end half of a link record.
static TLink* AHalf(TLinkValues* r)
{
    if (!r || !r->ANode) return nullptr;
    for (TLink* h : r->ANode->Links)
        if (h->AEnd() && h->LinkValues == r) return h;
    return nullptr;
}

TLink* FindLinkById(TNetwork& net, int32_t id, int32_t x, int32_t y)
{
    if (const THashEntry* cell = net.NodeHash.FindCell(x, y))
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode())
                for (TLink* h : n->Links)
                    if (h->AEnd() && h->LinkValues && h->LinkValues->Active && h->LinkValues->SourceId == id) return h;
    TNetworkIndexes& ix = net.LookupIndexes();
    if (!ix.LinksBuilt) {
        ForEachLink(net, [&](TLink* h) { ix.LinksById[h->LinkValues->SourceId].push_back(h->LinkValues); });
        ix.LinksBuilt = true;
    }
    for (TLinkValues* r : ix.UnfiledLinks) ix.LinksById[r->SourceId].push_back(r);
    ix.UnfiledLinks.clear();
    auto it = ix.LinksById.find(id);
    if (it == ix.LinksById.end()) return nullptr;
    // The first in hash order: by A node, then by place in its list.
    TLink* best = nullptr;
    for (TLinkValues* r : it->second) {
        if (!r->Active || r->SourceId != id) continue;
        TLink* h = AHalf(r);
        if (!h) continue;
        if (!best) {
            best = h;
        } else if (r->ANode != best->LinkValues->ANode) {
            if (PointBefore(net, r->ANode, best->LinkValues->ANode)) best = h;
        } else if (r->ANode->Links.IndexOf(h) < r->ANode->Links.IndexOf(best)) {
            best = h;
        }
    }
    return best;
}
