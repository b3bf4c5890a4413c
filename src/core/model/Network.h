// The network in memory: points (nodes and link shape points) filed in a
// spatial hash of square cells, links stored as two half-edges sharing one
// record, and the per-network state that every engine reaches through a
// TNetwork. Nothing here knows about windows; what belongs to one window
// (zoom, layer states as shown, cursor, picks) is in TViewRecord.
//
// Ownership, written down once:
// - THashTable owns its cells (THashEntry); each cell owns the points of its
//   `Points` list. Points never leave the hash while the network lives;
//   deletion clears `Active`.
// - A node owns the half-edges (TLink) of its `Links` list.
// - A link record (TLinkValues) is owned by the link: it is freed once, when
//   the network is freed (FreeNetwork), never through one of its halves.
// - Polygon lists (`OwnPolygon`, the network's `PolygonsOf` a point) and
//   `ShapePoints` hold pointers to points owned by the hash.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/model/Collect.h"
#include "core/model/Compact.h"
#include "core/model/EntityClasses.h"
#include "core/model/KeyTable.h"

class TNode;
class TShapePoint;
class TNetworkPoint;
struct TLink;
struct TLinkValues;
class THashTable;
struct THashEntry;
class TNetwork;
struct TViewRecord;
struct TDeletedItem;
struct TTransformItem;
struct TReinitializeData;
struct TNetworkIndexes;
struct TLayerSettings;
struct TWindowSettings;

// World coordinates stay within -WorldLimit..WorldLimit.
constexpr int32_t WorldLimit = 512000;
// Points per cell and cells per table at which AddNode refuses and the regrid
// policy acts (hexadecimal 28000).
constexpr int32_t HashCap = 163840;
// Smallest cell width and height that halving may reach: the whole world
// range then still spans fewer than 32768 cells per axis.
constexpr int32_t MinCellSize = 16;
// Largest cell size doubling may reach.
constexpr int32_t MaxCellSize = 1 << 30;
// EntityType of a shape point.
constexpr uint8_t ShapePointType = 101;

// A box MinX, MinY, MaxX, MaxY (inclusive).
struct TBox {
    int32_t MinX, MinY, MaxX, MaxY;
    bool IsEmpty() const { return MinX > MaxX || MinY > MaxY; }
    void Include(int32_t x, int32_t y)
    {
        if (x < MinX) MinX = x;
        if (x > MaxX) MaxX = x;
        if (y < MinY) MinY = y;
        if (y > MaxY) MaxY = y;
    }
    void Include(const TBox& b)
    {
        if (b.MinX < MinX) MinX = b.MinX;
        if (b.MinY < MinY) MinY = b.MinY;
        if (b.MaxX > MaxX) MaxX = b.MaxX;
        if (b.MaxY > MaxY) MaxY = b.MaxY;
    }
    bool operator==(const TBox&) const = default;
};
// The box that starts unions.
inline constexpr TBox EmptyBox{2147483647, 2147483647, -2147483647, -2147483647};

// Collections grow by a fixed delta, which makes filling a long list
// quadratic. Call before inserting into a list that may grow (a cell, a
// node's links, shape points, a polygon): the room grows by half, at least to 2.
template <class T>
void MakeRoom(TCollection<T>& c)
{
    if (c.GetCount() == c.GetLimit()) c.SetLimit(c.GetCount() < 2 ? 2 : c.GetCount() + c.GetCount() / 2);
}

template <class T>
void MakeRoom(TRareList<T>& c)
{
    MakeRoom(c.Own());
}

using TLinkList = TCollection<TLink>;                  // a node's half-edges
using TMyPolygonList = TCollection<TNetworkPoint>;     // vertices of a node's own polygon
using TYourPolygonList = TCollection<TNode>;           // owners of the polygons a point is a vertex of

// Value blocks: `Values` holds ByteCount / 8 slots; attribute i (1-based) is
// Values[i - 1]. These work on nodes, link records and anything with the two
// fields.
template <class E>
int SlotCount(const E& e)
{
    return e.ByteCount / 8;
}
template <class E>
TValueSlot* SlotOf(const E& e, int i)
{
    return (i >= 1 && i <= e.ByteCount / 8) ? &e.Values[size_t(i - 1)] : nullptr;
}
// A value block: its own heap array, or slots of the network's element store
// (Stored), which go with the store. One pointer: the lowest bit, free in a
// slot's address, tells a stored block.
struct TSlotRelease {
    bool Stored = false;
};
class TValueBlock {
public:
    TValueBlock() = default;
    TValueBlock(std::nullptr_t) {}
    explicit TValueBlock(TValueSlot* owned) : Bits(reinterpret_cast<uintptr_t>(owned)) {}
    TValueBlock(TValueSlot* p, TSlotRelease release)
        : Bits(reinterpret_cast<uintptr_t>(p) | (p && release.Stored ? 1u : 0u))
    {
    }
    TValueBlock(TValueBlock&& o) noexcept : Bits(std::exchange(o.Bits, 0)) {}
    TValueBlock& operator=(TValueBlock&& o) noexcept
    {
        if (this != &o) {
            Free();
            Bits = std::exchange(o.Bits, 0);
        }
        return *this;
    }
    TValueBlock(const TValueBlock&) = delete;
    TValueBlock& operator=(const TValueBlock&) = delete;
    ~TValueBlock() { Free(); }

    TValueSlot* get() const { return reinterpret_cast<TValueSlot*>(Bits & ~uintptr_t(1)); }
    TValueSlot& operator[](size_t i) const { return get()[i]; }
    explicit operator bool() const { return Bits != 0; }
    friend bool operator==(const TValueBlock& b, std::nullptr_t) { return b.Bits == 0; }
    // Takes an array of its own.
    void reset(TValueSlot* owned = nullptr)
    {
        Free();
        Bits = reinterpret_cast<uintptr_t>(owned);
    }

private:
    void Free()
    {
        if (Bits && !(Bits & 1)) delete[] get();
        Bits = 0;
    }
    uintptr_t Bits = 0;
};
static_assert(alignof(TValueSlot) >= 2 && sizeof(TValueBlock) == sizeof(void*));

// Reallocates to n slots (clamped to 0..MaxAttributes), keeping the first ones
// and zeroing new ones.
void ResizeValueBlock(TValueBlock& values, int16_t& byteCount, int n);
template <class E>
void ResizeValues(E& e, int n)
{
    ResizeValueBlock(e.Values, e.ByteCount, n);
}

// ---------------------------------------------------------------- points

// Base of nodes and shape points. Not polymorphic (a million of them must stay
// small): EntityType 101 tells a shape point; use AsNode / AsShapePoint.
class TNetworkPoint {
public:
    int32_t X = 0, Y = 0;
    int32_t Longitude = 0, Latitude = 0; // 1e-7 degree; 0 = unknown
    int32_t Elevation = 0;               // x 10000; 0 = unknown
    uint8_t EntityType = 0; // node class 0..10; 101 = shape point
    uint8_t Active = 1;
    uint8_t LongLatKnown : 1 = 0;
    // The element store holds a fraction of this point's position (see XF).
    uint8_t HasFraction : 1 = 0;
    uint8_t Mark = 0;

    bool IsShapePoint() const { return EntityType == ShapePointType; }
    bool IsNode() const { return EntityType != ShapePointType; }
    TNode* AsNode();
    const TNode* AsNode() const;
    TShapePoint* AsShapePoint();
    const TShapePoint* AsShapePoint() const;
    // Key in the cell list: (Y, X), both signed. All points of a cell share
    // its corner, so this is the order of their offsets from it.
    static uint64_t PointKeyOf(int32_t x, int32_t y)
    {
        return (uint64_t(uint32_t(y) ^ 0x80000000u) << 32) | (uint32_t(x) ^ 0x80000000u);
    }
    uint64_t PointKey() const { return PointKeyOf(X, Y); }

    // The position with its fraction: X and Y as doubles, unless a transform,
    // an import or a long/lat placement left a fraction, which the network's
    // element store keeps beside the point.
    double XF(const TNetwork& net) const;
    double YF(const TNetwork& net) const;
    // Sets the fraction (X and Y stay as they are).
    void SetFraction(TNetwork& net, double xf, double yf);
    // Sets the position and its fraction together.
    void SetPosition(TNetwork& net, int32_t x, int32_t y, double xf, double yf)
    {
        X = x;
        Y = y;
        SetFraction(net, xf, yf);
    }
    // Sets X and Y, keeping the fraction as it was.
    void MoveKeepingFraction(TNetwork& net, int32_t x, int32_t y);

protected:
    TNetworkPoint() = default;
    TNetworkPoint(int32_t x, int32_t y, int32_t x0, int32_t y0);
    ~TNetworkPoint() = default;
    TNetworkPoint(const TNetworkPoint&) = delete;
    TNetworkPoint& operator=(const TNetworkPoint&) = delete;
};

class TShapePoint : public TNetworkPoint {
public:
    // Cell corner (x0, y0).
    TShapePoint(int32_t x, int32_t y, int32_t x0, int32_t y0);
    ~TShapePoint() = default;
    TLink* Link = nullptr; // a half-edge of the link that owns the point
};
static_assert(sizeof(TNetworkPoint) == 24 && sizeof(TShapePoint) == 32, "points grew");

// What few nodes have, kept in one block that a node gets when one of them is
// set: an own polygon with its box, the source key and code, a note, the
// offset of a dragged label.
struct TNodeRare {
    TMyPolygonList OwnPolygon{0, 1};
    TBox PolygonBox = EmptyBox; // own polygon's active vertices
    int32_t SourceKey = 0;
    int16_t LabelXOffset = 0, LabelYOffset = 0;
    TRareText Note; // lines joined by "&&"
    TRareText SourceCode; // up to 7 characters

    bool Empty() const
    {
        return OwnPolygon.GetCount() == 0 && OwnPolygon.GetLimit() == 0 && PolygonBox == EmptyBox &&
               SourceKey == 0 && LabelXOffset == 0 && LabelYOffset == 0 && Note.empty() && SourceCode.empty();
    }
};

class TNode : public TNetworkPoint {
public:
    TNode() = default;
    TNode(int32_t x, int32_t y, int32_t x0, int32_t y0);
    ~TNode() = default;

    int16_t ByteCount = 0; // 8 x the slots of Values
    int32_t Serial = 0;
    TValueBlock Values; // nullptr when ByteCount is 0
    TLinkList Links{0, 1}; // room from the store, made when a link is added
    std::unique_ptr<TNodeRare> Rare; // nullptr for most nodes
    TText Name;
    uint8_t Font = 0;
    uint8_t Place = 0;
    uint8_t Layer = 1;
    uint8_t PolygonStyle = 0;
    uint8_t BitmapOverride = 0;
    uint8_t LabelPending = 0;
    uint8_t SuppressLabel = 0;
    uint8_t ExcludeFromTriangulation = 0;
    uint8_t PolygonMark = 0; // also set by MarkNodePolygon
    uint8_t Label1 = 0, Label2 = 0;
    // The node's shortest-path scratch in its network's PathScratch (0: the
    // node has been in no search yet); see TNetwork::PathOf.
    uint32_t PathIndex = 0;
    TStringList Strings; // 'S' attribute values by StringIndex

    // The rare members read as empty, EmptyBox and 0 on a node without them;
    // OwnPolygonRef or a setter of a non-empty value gives the node its block.
    const TMyPolygonList& OwnPolygon() const { return Rare ? Rare->OwnPolygon : NoPolygon(); }
    TMyPolygonList& OwnPolygonRef() { return MakeRare().OwnPolygon; }
    const TBox& PolygonBox() const { return Rare ? Rare->PolygonBox : EmptyBox; }
    void SetPolygonBox(const TBox& box) { SetRare(&TNodeRare::PolygonBox, box); }
    int32_t SourceKey() const { return Rare ? Rare->SourceKey : 0; }
    void SetSourceKey(int32_t key) { SetRare(&TNodeRare::SourceKey, key); }
    int16_t LabelXOffset() const { return Rare ? Rare->LabelXOffset : int16_t(0); }
    int16_t LabelYOffset() const { return Rare ? Rare->LabelYOffset : int16_t(0); }
    void SetLabelOffset(int16_t x, int16_t y)
    {
        SetRare(&TNodeRare::LabelXOffset, x);
        SetRare(&TNodeRare::LabelYOffset, y);
    }
    const TRareText& Note() const { return Rare ? Rare->Note : NoText(); }
    void SetNote(const TRareText& note) { SetRare(&TNodeRare::Note, note); }
    const TRareText& SourceCode() const { return Rare ? Rare->SourceCode : NoText(); }
    void SetSourceCode(const TRareText& code) { SetRare(&TNodeRare::SourceCode, code); }
    // Frees the block when nothing in it is set any more.
    void TrimRare()
    {
        if (Rare && Rare->Empty()) Rare.reset();
    }

private:
    TNodeRare& MakeRare()
    {
        if (!Rare) Rare = std::make_unique<TNodeRare>();
        return *Rare;
    }
    template <class F, class V>
    void SetRare(F TNodeRare::*field, const V& value)
    {
        static const TNodeRare none;
        if (!Rare && value == none.*field) return;
        MakeRare().*field = value;
        TrimRare();
    }
    static const TMyPolygonList& NoPolygon()
    {
        static const TMyPolygonList none{0, 1};
        return none;
    }
    static const TRareText& NoText()
    {
        static const TRareText none;
        return none;
    }
};

// What every node has and no more: the point, the name and string values,
// 56 bytes of the node's own.
static_assert(sizeof(TNode) <= sizeof(TNetworkPoint) + sizeof(TNode::Name) + sizeof(TNode::Strings) + 56,
              "a node record grew");

inline TNode* TNetworkPoint::AsNode() { return IsNode() ? static_cast<TNode*>(this) : nullptr; }
inline const TNode* TNetworkPoint::AsNode() const { return IsNode() ? static_cast<const TNode*>(this) : nullptr; }
inline TShapePoint* TNetworkPoint::AsShapePoint()
{
    return IsShapePoint() ? static_cast<TShapePoint*>(this) : nullptr;
}
inline const TShapePoint* TNetworkPoint::AsShapePoint() const
{
    return IsShapePoint() ? static_cast<const TShapePoint*>(this) : nullptr;
}

// ---------------------------------------------------------------- links

// The record shared by the two halves of a link.
struct TLinkValues {
    TLinkValues() = default;
    ~TLinkValues() = default;
    TLinkValues(const TLinkValues&) = delete;
    TLinkValues& operator=(const TLinkValues&) = delete;

    TValueBlock Values;
    TText Name;
    TRareText Note;
    int32_t SourceId = 0;
    int16_t ByteCount = 0;
    uint8_t Active = 1;
    uint8_t ExcludeShapesFromTriangulation = 0;
    uint8_t FlipMark = 0;
    uint8_t SuppressLabel = 0;
    uint8_t DeletedWithNode = 0;
    // Replaced by other links (split, splice, conversion, intersection): never
    // revived. Not kept in files, not copied by CopyStyleFrom.
    uint8_t Superseded = 0;
    uint8_t EntityType = 0;
    uint8_t Font = 0, Place = 0, BitmapOverride = 0;
    uint8_t LabelPending = 0;
    uint8_t Label1 = 0, Label2 = 0;
    int16_t LabelXOffset = 0, LabelYOffset = 0;
    TCollection<TShapePoint> ShapePoints{0, 1}; // A end to B end
    TNode* ANode = nullptr;
    TNode* BNode = nullptr;
    TBox Box = EmptyBox; // over A, B and the shape points
    TStringList Strings;

    // Copies the scalar fields, name, note and strings of src (not its ends,
    // box, shape points or values).
    void CopyStyleFrom(const TLinkValues& src);
};

static_assert(sizeof(TLinkValues) <= sizeof(TLinkValues::Name) + sizeof(TLinkValues::Strings) + 88,
              "a link record grew");

// A half-edge's link record with, in the lowest bit of its address (a record
// is 8-aligned), whether the half-edge is the A end. Reads as the pointer;
// assigning a record keeps the end.
class TLinkValuesRef {
public:
    TLinkValuesRef() = default;
    TLinkValuesRef(TLinkValues* r, bool aEnd) : Bits(reinterpret_cast<uintptr_t>(r) | (aEnd ? 1u : 0u)) {}
    TLinkValuesRef(const TLinkValuesRef&) = default;
    // Another half-edge's record, this half-edge's end.
    TLinkValuesRef& operator=(const TLinkValuesRef& o) { return *this = o.get(); }
    TLinkValuesRef& operator=(TLinkValues* r)
    {
        Bits = reinterpret_cast<uintptr_t>(r) | (Bits & 1u);
        return *this;
    }
    TLinkValues* get() const { return reinterpret_cast<TLinkValues*>(Bits & ~uintptr_t(1)); }
    operator TLinkValues*() const { return get(); }
    TLinkValues* operator->() const { return get(); }
    TLinkValues& operator*() const { return *get(); }
    bool AEnd() const { return (Bits & 1u) != 0; }
    void SetAEnd(bool aEnd) { Bits = (Bits & ~uintptr_t(1)) | (aEnd ? 1u : 0u); }

private:
    uintptr_t Bits = 0;
};

// A half-edge in one node's `Links`.
struct TLink {
    TLink() = default;
    TLink(TLinkValues* r, TNode* farNode, bool aEnd) : LinkValues(r, aEnd), FarNode(farNode) {}
    TLink(const TLink&) = default;
    // A whole half-edge copies with its end.
    TLink& operator=(const TLink& o)
    {
        LinkValues.SetAEnd(o.AEnd());
        LinkValues = o.LinkValues.get();
        FarNode = o.FarNode;
        return *this;
    }

    TLinkValuesRef LinkValues;
    TNode* FarNode = nullptr;
    // 1: in A's list, FarNode is B; 0: in B's list, FarNode is A
    uint8_t AEnd() const { return LinkValues.AEnd() ? 1 : 0; }
    void SetAEnd(bool aEnd) { LinkValues.SetAEnd(aEnd); }

    // The node whose list holds this half-edge.
    TNode* NearNode() const
    {
        if (!LinkValues) return nullptr;
        return AEnd() ? LinkValues->ANode : LinkValues->BNode;
    }
};
static_assert(sizeof(TLink) == 16, "a half-edge is two pointers");
static_assert(alignof(TLinkValues) >= 2, "the end of a half-edge is kept in its record's address");

// The shortest-path scratch of one node, kept beside the nodes: only a
// search fills it, and what it leaves stays until the next search.
struct TPathScratch {
    double Distance = 0;
    TLink* Link = nullptr; // predecessor half-edge
    int32_t Mark = 0;
    uint32_t Order = 0; // when the node first became a candidate (0 = not yet)
    uint8_t Done = 0;   // permanent flag
};

// ---------------------------------------------------------------- hash

// Orders a cell's points by (Y, X); equal keys allowed.
struct TNodeListPolicy {
    using Key = uint64_t;
    static Key KeyOf(const TNetworkPoint* p) { return p->PointKey(); }
    static int Compare(Key a, Key b) { return a < b ? -1 : (a > b ? 1 : 0); }
};

// A cell's points in key order. Filing into a long list does not move it:
// the point waits beside the list (Late) and all that wait are merged in one
// pass at the next read of the list, each before the points of equal key
// filed earlier, as a sorted insert would have put it. Every read goes
// through the members below, which merge first; GetCount needs no merge.
class TNodeList : public TSortedCollection<TNetworkPoint, TNodeListPolicy> {
    using Base = TSortedCollection<TNetworkPoint, TNodeListPolicy>;

public:
    TNodeList() : Base(4, 4, true) {}

    // Files a point: a sorted insert before equal keys, deferred in a long list.
    void File(TNetworkPoint* p)
    {
        if (Late.empty() && Count < DeferFrom)
            Base::Insert(p);
        else
            Late.push_back(p);
    }
    // Merges the points that wait (const: the order is what the list holds).
    void Settle() const
    {
        if (!Late.empty()) const_cast<TNodeList*>(this)->MergeLate();
    }

    int32_t GetCount() const { return Count + int32_t(Late.size()); }
    bool Empty() const { return GetCount() == 0; }
    TNetworkPoint* At(int32_t i) const
    {
        Settle();
        return Items[i];
    }
    TNetworkPoint* ItemAt(int32_t i) const
    {
        Settle();
        return Base::ItemAt(i);
    }
    TNetworkPoint* operator[](int32_t i) const { return ItemAt(i); }
    TNetworkPoint* const* begin() const
    {
        Settle();
        return Items;
    }
    TNetworkPoint* const* end() const
    {
        Settle();
        return Items + Count;
    }
    bool Search(Key key, int32_t& index) const
    {
        Settle();
        return Base::Search(key, index);
    }
    int32_t IndexOf(const TNetworkPoint* p) const
    {
        Settle();
        return Base::IndexOf(p);
    }
    int32_t LinearIndexOf(const TNetworkPoint* p) const
    {
        Settle();
        return Base::LinearIndexOf(p);
    }
    bool Insert(TNetworkPoint* p)
    {
        Settle();
        return Base::Insert(p);
    }
    void InsertAt(int32_t i, TNetworkPoint* p)
    {
        Settle();
        Base::InsertAt(i, p);
    }
    void Append(TNetworkPoint* p)
    {
        Settle();
        Base::Append(p);
    }
    void PutAt(int32_t i, TNetworkPoint* p)
    {
        Settle();
        Base::PutAt(i, p);
    }
    void DeleteAt(int32_t i)
    {
        Settle();
        Base::DeleteAt(i);
    }
    void Remove(const TNetworkPoint* p)
    {
        Settle();
        Base::Remove(p);
    }
    void SetLimit(int32_t n)
    {
        Settle();
        Base::SetLimit(n);
    }
    void Clear()
    {
        Late.clear();
        Base::Clear();
    }
    template <class Test>
    TNetworkPoint* FirstMatch(Test&& test) const
    {
        Settle();
        return Base::FirstMatch(std::forward<Test>(test));
    }
    template <class Action>
    void ForEach(Action&& action) const
    {
        Settle();
        Base::ForEach(std::forward<Action>(action));
    }
    void FreeAll() = delete; // points are freed by FreeNetwork

    // Lists shorter than this take a plain sorted insert.
    static constexpr int32_t DeferFrom = 64;

private:
    void MergeLate();
    std::vector<TNetworkPoint*> Late; // filed, not yet merged, in filing order
};

// Cells run by cell Y (signed), then cell X as an unsigned number: the order
// the file writer walks and numbers.
inline int64_t MakeCellKey(int32_t cellX, int32_t cellY)
{
    return int64_t((uint64_t(uint32_t(cellY)) << 32) | uint64_t(uint32_t(cellX)));
}

// One cell of the hash.
struct THashEntry {
    THashEntry(THashTable* table, int32_t cellX, int32_t cellY);
    THashEntry(const THashEntry&) = delete;
    THashEntry& operator=(const THashEntry&) = delete;

    int32_t X0, Y0, X1, Y1; // cell box
    int32_t MaxDX = 0, MaxDY = 0; // link reach of the links whose A node is here
    int32_t MinLat = 900000001, MaxLat = -900000001;
    int32_t MinLong = 1800000001, MaxLong = -1800000001;
    THashTable* Table;
    uint8_t NodesInView = 1, LinksInView = 1;
    uint8_t SecondPass = 0;
    uint8_t HasPolygon = 0;
    int64_t Key;
    TNodeList Points;
    TBox PolygonBox = EmptyBox;
    TBox LinkBox = EmptyBox;

    int32_t CellX() const { return int32_t(uint32_t(uint64_t(Key))); }
    int32_t CellY() const { return int32_t(Key >> 32); }
    // Widens the long/lat box by the point's longitude and latitude.
    void IncludePoint(const TNetworkPoint* p);
    void ResetLongLatBox();
    bool LongLatBoxContains(int32_t longitude, int32_t latitude) const
    {
        return longitude >= MinLong && longitude <= MaxLong && latitude >= MinLat && latitude <= MaxLat;
    }
};

// The spatial hash: cells ordered by key. Look-ups by key are constant time;
// cells made out of order are merged into the order lazily, so a load in any
// order stays linear. Index access (GetCount, At, begin/end) always sees the
// full order. A walk that may add cells (adding nodes or shape points) uses
// an index loop over GetCount/At, never a range-for, whose pointers a new
// cell may invalidate.
//
// The key of a cell is 64 bits: cell Y in the high half, cell X as an
// unsigned 32-bit number in the low half, compared signed; the same order as
// a 16-bit pair wherever that would have held the indices.
class THashTable {
public:
    explicit THashTable(int32_t cellWidth = 200, int32_t cellHeight = 200);
    ~THashTable(); // frees the cells, not their points (FreeNetwork does)
    THashTable(const THashTable&) = delete;
    THashTable& operator=(const THashTable&) = delete;

    uint8_t HasPolygons = 0;
    int32_t CellWidth;
    int32_t CellHeight;
    int32_t WindowNumber = 0;

    int32_t GetCount() const { return int32_t(Sorted.size() + Pending.size()); }
    THashEntry* At(int32_t i) const
    {
        Settle();
        return Sorted[size_t(i)];
    }
    THashEntry* ItemAt(int32_t i) const; // checked
    THashEntry* const* begin() const
    {
        Settle();
        return Sorted.data();
    }
    THashEntry* const* end() const
    {
        Settle();
        return Sorted.data() + Sorted.size();
    }

    // Cell indices of a position: floor division.
    int32_t CellXOf(int32_t x) const;
    int32_t CellYOf(int32_t y) const;
    int64_t CellKey(int32_t x, int32_t y) const { return MakeCellKey(CellXOf(x), CellYOf(y)); }
    THashEntry* FindCell(int32_t x, int32_t y) const;
    THashEntry* FindCellByKey(int64_t key) const;
    // The cell of (x, y), created and inserted when missing.
    THashEntry* FindOrAddCell(int32_t x, int32_t y);

    // Files a point in a cell: a sorted insert by its key
    // (before equal keys), amortized O(log n) in a crowded cell.
    void InsertPoint(THashEntry* cell, TNetworkPoint* p);
    // A point and its position.
    struct TPlaced {
        TNetworkPoint* Point;
        int32_t X, Y;
    };
    // Files points into an empty table in one pass. They come ordered by
    // cell key (at this table's cell size), then by key in the cell, then as
    // they are to stand among equal keys.
    void FileInOrder(const std::vector<TPlaced>& points);
    // Takes a point out of its cell list (rare: the undoable removal of a
    // shape point). False when it is not there.
    bool RemovePoint(THashEntry* cell, TNetworkPoint* p);

    // Largest Points.Count of any cell (0 when empty); kept as a running value.
    int32_t MaxCellPointCount() const;
    // Total points in all cells.
    int64_t PointCount() const { return TotalPoints; }

    // Moves every point into a fresh set of cells of the given size (rebuild
    // of the cell order; no extents).
    void Regrid(int32_t cellWidth, int32_t cellHeight);
    // Frees every cell (not the points).
    void FreeCells();

    // Upkeep of HasPolygons from the cells' HasPolygon bytes.
    void SetCellHasPolygon(THashEntry* cell, bool has);

private:
    void Settle() const;

    mutable std::vector<THashEntry*> Sorted;
    mutable std::vector<THashEntry*> Pending; // made since the last Settle, unordered
    struct TCellEntry {
        uint64_t Key = 0;
        THashEntry* Cell = nullptr;
        bool Empty() const { return Cell == nullptr; }
    };
    TKeyTable<TCellEntry> ByKey;
    // The cell found last: bulk steps look up the same cell many times in a row.
    mutable int64_t LastKey = 0;
    mutable THashEntry* LastCell = nullptr;
    mutable int32_t MaxPoints = 0;
    mutable bool MaxPointsStale = false;
    int64_t TotalPoints = 0;
    int32_t PolygonCells = 0;
};

// ---------------------------------------------------------------- store

// Makes the pages of a new block of an element store present in one step,
// rather than one page fault at a time as they are first written: a large
// network is built with far fewer entries into the kernel. A store does so
// from its second block of a kind on, so that a small network does not hold
// pages it never uses.
void PrefaultStoreBlock(void* p, std::size_t bytes);

// What a pool had made at one moment: the byte range of the objects made in
// each of its blocks, in address order. Objects never move, and the slot of
// a destroyed object is not used again, so while the pool lives an object
// lies in these ranges exactly when it was made before the mark.
struct TPoolMark {
    std::vector<std::pair<uintptr_t, uintptr_t>> Ranges; // [first, end)
    bool Holds(const void* object) const
    {
        const uintptr_t a = reinterpret_cast<uintptr_t>(object);
        auto it = std::upper_bound(Ranges.begin(), Ranges.end(), a,
                                   [](uintptr_t v, const std::pair<uintptr_t, uintptr_t>& r) { return v < r.first; });
        return it != Ranges.begin() && a < std::prev(it)->second;
    }
};

// Objects of one type made in large blocks and freed with them. Beside each
// block the owner may keep room of one value per object (SideOf), made when
// it is first asked for: what only some networks' objects have (the
// fractions of point positions) then costs nothing elsewhere and is found
// from the object's place in its block.
template <class T>
class TPool {
public:
    TPool() = default;
    TPool(const TPool&) = delete;
    TPool& operator=(const TPool&) = delete;
    ~TPool() { Release(); }

    template <class... A>
    T* Make(A&&... args)
    {
        if (Blocks.empty() || Blocks.back().Used == PerBlock) AddBlock();
        TBlock& b = Blocks.back();
        T* p = new (b.Items + b.Used) T(std::forward<A>(args)...);
        ++b.Used;
        return p;
    }
    // Destroys one object before the others (its slot stays unused).
    void Destroy(T* p)
    {
        p->~T();
        Dead.push_back(p);
    }
    // Destroys every object made and frees the blocks.
    void Release();
    // The blocks of other become this pool's (the objects stay where they
    // are, their side room with them); this pool's block in use stays last.
    void TakeOver(TPool& other)
    {
        Blocks.insert(Blocks.begin(), other.Blocks.begin(), other.Blocks.end());
        Dead.insert(Dead.end(), other.Dead.begin(), other.Dead.end());
        other.Blocks.clear();
        other.Dead.clear();
        other.Reindex();
        Reindex();
    }
    size_t Count() const
    {
        size_t n = 0;
        for (const TBlock& b : Blocks) n += b.Used;
        return n - Dead.size();
    }

    // The side value of p, an object made here (S trivially destructible,
    // one type for the whole pool); nullptr when p was not made here or its
    // block has no side room yet. Its value is what was last put there.
    template <class S>
    S* SideOf(const T* p) const
    {
        const TPlace* at = PlaceOf(p);
        return at && at->Side ? static_cast<S*>(at->Side) + (reinterpret_cast<uintptr_t>(p) - at->Start) / sizeof(T)
                              : nullptr;
    }
    // The same, the block's side room made when missing.
    template <class S>
    S* MakeSideOf(const T* p)
    {
        static_assert(std::is_trivially_destructible_v<S> && alignof(S) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
        const TPlace* at = PlaceOf(p);
        if (!at) return nullptr;
        if (!at->Side) {
            TBlock& b = Blocks[at->Index];
            b.Side = ::operator new(sizeof(S) * PerBlock);
            b.SideBytes = sizeof(S) * PerBlock;
            AddGrains(at->Index);
            at = PlaceOf(p);
        }
        return static_cast<S*>(at->Side) + (reinterpret_cast<uintptr_t>(p) - at->Start) / sizeof(T);
    }
    // What the pool has made so far (see TPoolMark).
    TPoolMark Mark() const
    {
        TPoolMark m;
        for (const TBlock& b : Blocks)
            if (b.Used > 0)
                m.Ranges.emplace_back(reinterpret_cast<uintptr_t>(b.Items),
                                      reinterpret_cast<uintptr_t>(b.Items + b.Used));
        std::sort(m.Ranges.begin(), m.Ranges.end());
        return m;
    }
    // Objects the pool's blocks have room for, used or not.
    size_t Slots() const { return Blocks.size() * PerBlock; }
    // Bytes of side room made.
    size_t SideRoomBytes() const
    {
        size_t n = 0;
        for (const TBlock& b : Blocks) n += b.SideBytes;
        return n;
    }

private:
    static constexpr size_t PerBlock = 2048;
    static constexpr size_t BlockBytes = sizeof(T) * PerBlock;
    struct TBlock {
        T* Items;
        size_t Used;
        void* Side;       // side room of PerBlock values, or nullptr
        size_t SideBytes; // its size
    };
    // The block of an object is found by the grain of memory it lies in:
    // grains are aligned ranges of a power of two bytes, no larger than a
    // block, so that each meets at most two blocks. A look-up is one probe
    // of a small table, whatever the order of the objects asked for.
    static constexpr unsigned GrainShift = unsigned(std::bit_width(BlockBytes) - 1);
    struct TPlace {
        uintptr_t Start = 0; // the block's first object; 0: none
        void* Side = nullptr;
        size_t Index = 0; // in Blocks
    };
    struct TGrain {
        uint64_t Key = 0; // address >> GrainShift
        TPlace A, B;      // the blocks that meet the grain
        bool Empty() const { return A.Start == 0; }
    };
    void AddBlock()
    {
        T* items = static_cast<T*>(::operator new(BlockBytes, std::align_val_t(alignof(T))));
        if (!Blocks.empty()) PrefaultStoreBlock(items, BlockBytes);
        Blocks.push_back({items, 0, nullptr, 0});
        AddGrains(Blocks.size() - 1);
    }
    // Files the block in the grains it meets (again: its side room changed).
    void AddGrains(size_t index)
    {
        LastGrain = nullptr;
        const TBlock& b = Blocks[index];
        const uintptr_t start = reinterpret_cast<uintptr_t>(b.Items);
        const TPlace place{start, b.Side, index};
        for (uint64_t g = start >> GrainShift; g <= (start + BlockBytes - 1) >> GrainShift; ++g) {
            bool fresh = false;
            TGrain& grain = Grains.Insert({g, place, {}}, fresh);
            if (fresh) continue;
            if (grain.A.Start == start)
                grain.A = place;
            else
                grain.B = place;
        }
    }
    void Reindex()
    {
        LastGrain = nullptr;
        Grains.Clear();
        for (size_t i = 0; i < Blocks.size(); ++i) AddGrains(i);
    }
    // Where the block holding p is; nullptr when p is not in one.
    const TPlace* PlaceOf(const T* p) const
    {
        const uintptr_t a = reinterpret_cast<uintptr_t>(p);
        // The grain found last first: a point is mostly asked for a few
        // times in a row (its X, its Y, its new fraction).
        const TGrain* g = LastGrain;
        if (!g || g->Key != a >> GrainShift) {
            g = Grains.Find(a >> GrainShift);
            if (!g) return nullptr;
            LastGrain = g;
        }
        if (a - g->A.Start < BlockBytes) return &g->A;
        if (g->B.Start != 0 && a - g->B.Start < BlockBytes) return &g->B;
        return nullptr;
    }
    std::vector<TBlock> Blocks;
    TKeyTable<TGrain> Grains;
    mutable const TGrain* LastGrain = nullptr; // in Grains, until it changes
    std::vector<T*> Dead;
};

template <class T>
void TPool<T>::Release()
{
    std::sort(Dead.begin(), Dead.end());
    for (TBlock& b : Blocks) {
        if constexpr (!std::is_trivially_destructible_v<T>)
            for (size_t i = 0; i < b.Used; ++i)
                if (Dead.empty() || !std::binary_search(Dead.begin(), Dead.end(), b.Items + i)) b.Items[i].~T();
        ::operator delete(b.Items, std::align_val_t(alignof(T)));
        if (b.Side) ::operator delete(b.Side);
    }
    Blocks.clear();
    Grains.Clear();
    LastGrain = nullptr;
    Dead.clear();
}

// Fractions of point positions by point address, in one open-addressed
// array (24 bytes an entry, no allocation per entry): for the points made
// outside a network's pools (the template node).
class TFractionTable {
public:
    struct TFraction {
        double XF, YF;
    };
    const TFraction* Find(const TNetworkPoint* p) const
    {
        const TEntry* e = Entries.Find(KeyOf(p));
        return e ? &e->Value : nullptr;
    }
    void Set(const TNetworkPoint* p, TFraction f)
    {
        bool fresh = false;
        Entries.Insert({KeyOf(p), f}, fresh).Value = f;
    }
    void Erase(const TNetworkPoint* p) { Entries.Erase(KeyOf(p)); }
    void Clear() { Entries.Clear(); }
    // Every entry of other comes here (its points move here).
    void TakeOver(TFractionTable& other);
    size_t size() const { return Entries.size(); }
    bool empty() const { return Entries.empty(); }
    size_t Bytes() const { return Entries.Bytes(); }

private:
    struct TEntry {
        uint64_t Key = 0; // the point's address
        TFraction Value{0, 0};
        bool Empty() const { return Key == 0; }
    };
    static uint64_t KeyOf(const TNetworkPoint* p) { return uint64_t(reinterpret_cast<uintptr_t>(p)); }
    TKeyTable<TEntry> Entries;
};

// The fractions of point positions (TNetworkPoint::XF) of the points whose
// HasFraction is set. After a transform or an import every point may have
// one: a point of the network's pools keeps its fraction in the side room of
// its pool block, 16 bytes a point and no key (a block gets the room when
// its first point gets a fraction); any other point in a table by address.
class TPointFractions {
public:
    using TFraction = TFractionTable::TFraction;
    TPointFractions(TPool<TNode>& nodes, TPool<TShapePoint>& shapePoints)
        : Nodes(nodes), ShapePoints(shapePoints)
    {
    }
    TPointFractions(const TPointFractions&) = delete;
    TPointFractions& operator=(const TPointFractions&) = delete;

    // nullptr when the point has no fraction.
    const TFraction* Find(const TNetworkPoint* p) const
    {
        if (!p->HasFraction) return nullptr;
        if (const TFraction* f = InPool(p)) return f;
        return Loose.Find(p);
    }
    // Sets the point's fraction and its HasFraction.
    void Set(TNetworkPoint* p, TFraction f);
    // Drops the point's fraction, if any, and clears its HasFraction.
    void Erase(TNetworkPoint* p);
    // Forgets every fraction (the pools are released with their side room).
    void Clear()
    {
        Loose.Clear();
        Pooled = 0;
    }
    // The fractions of other's points, which move here with their pools
    // (TElementStore::TakeOver moves the pools first).
    void TakeOver(TPointFractions& other)
    {
        Loose.TakeOver(other.Loose);
        Pooled += std::exchange(other.Pooled, 0);
    }
    size_t size() const { return Pooled + Loose.size(); }
    bool empty() const { return size() == 0; }
    // The room the pools' side arrays take, and with the table.
    size_t PooledBytes() const { return Nodes.SideRoomBytes() + ShapePoints.SideRoomBytes(); }
    size_t Bytes() const { return PooledBytes() + Loose.Bytes(); }

private:
    const TFraction* InPool(const TNetworkPoint* p) const
    {
        return p->IsShapePoint() ? ShapePoints.SideOf<TFraction>(static_cast<const TShapePoint*>(p))
                                 : Nodes.SideOf<TFraction>(static_cast<const TNode*>(p));
    }
    TPool<TNode>& Nodes;
    TPool<TShapePoint>& ShapePoints;
    TFractionTable Loose;
    size_t Pooled = 0; // fractions in side room
};

// A link record with its two half-edges, made as one.
struct TLinkRecord {
    TLinkValues Values;
    TLink AHalf, BHalf;
};
static_assert(sizeof(TLinkRecord) == sizeof(TLinkValues) + 2 * sizeof(TLink));

// The elements of one network: nodes, shape points, link records with their
// half-edges and value blocks, made in large blocks, so that building a
// network makes few calls to the allocator and freeing it releases its blocks.
class TElementStore {
public:
    TElementStore() = default;
    TElementStore(const TElementStore&) = delete;
    TElementStore& operator=(const TElementStore&) = delete;

    TPool<TNode> Nodes;
    TPool<TShapePoint> ShapePoints;
    TPool<TLinkRecord> Links;
    // Fractions of point positions (TNetworkPoint::XF).
    TPointFractions Fractions{Nodes, ShapePoints};
    TTextStore Texts; // names and string values the reader fills

    // n zeroed value slots owned by the store.
    TValueBlock MakeValues(int n);
    // Room for n pointers, owned by the store (for TCollection::Adopt): room
    // given back earlier when some of that size waits, else fresh room.
    template <class T>
    T** MakeRoomFor(int n)
    {
        return reinterpret_cast<T**>(MakeRoom(n));
    }
    // Takes back room of n pointers from MakeRoomFor for reuse.
    void FreeRoom(void* room, int n);
    // Makes room for one more item of a collection whose room comes from
    // this store: a full collection moves to room of the next power of two
    // (at least 2) and its old room is given back. Doubling keeps filling a
    // list linear.
    template <class T>
    void GrowRoom(TCollection<T>& c)
    {
        if (c.GetCount() < c.GetLimit()) return;
        int32_t n = 2;
        while (n <= c.GetCount()) n *= 2;
        T** old = nullptr;
        int32_t oldLimit = 0;
        c.MoveToRoom(MakeRoomFor<T>(n), n, old, oldLimit);
        if (old) FreeRoom(old, oldLimit);
    }
    // Rooms waiting for reuse (for tests).
    size_t FreeRoomCount() const;
    // Destroys every element and frees every block.
    void Release();
    // Everything of other moves here (an append merges its scratch network).
    void TakeOver(TElementStore& other);

private:
    static constexpr size_t SlotsPerBlock = 1 << 16;
    std::vector<TValueSlot*> SlotBlocks;
    size_t SlotsUsed = SlotsPerBlock;
    void** MakeRoom(int n);
    static constexpr size_t RoomPerBlock = 1 << 16;
    std::vector<void**> RoomBlocks; // the last is the one in use
    size_t RoomUsed = RoomPerBlock;
    // Room given back, by size class: class k holds rooms of at least 2^k
    // pointers.
    std::array<std::vector<void**>, 32> FreeRooms;
};

// ---------------------------------------------------------------- view

// What one window shows of a network; owned by the window, passed to engines
// that read window fields.
struct TViewRecord {
    int32_t ZoomIndex = 13;
    // The settings of the window that owns this record (layer states, units,
    // ...), set by that window; nullptr: every layer shown, units of 1.
    const TWindowSettings* Settings = nullptr;
    int32_t CursorX = 10, CursorY = 10;
    int32_t MouseX = 10, MouseY = 10;
    int32_t OriginX = 10, OriginY = 10;
    double Scale = 1.0;
    TNode* PickedNode = nullptr;
    TShapePoint* PickedShapePoint = nullptr;
    TNode* CurrentNode = nullptr;
    uint8_t Saved = 1;
    uint8_t Plotting = 0; // set while the window is being printed

    // How far a pick reaches: the window's node symbol size (3 without
    // settings).
    int32_t PickRadius() const;
};

// A layer is visible when its state is non-zero and not above the zoom level.
bool IsLayerVisible(const TLayerSettings& layers, int32_t zoomIndex, int32_t layer);
bool IsLayerVisible(const TViewRecord& view, int32_t layer);
inline bool IsLayerVisible(const TViewRecord& view, const TNode* node) { return IsLayerVisible(view, node->Layer); }

// ---------------------------------------------------------------- network

class TNetwork {
public:
    TNetwork();
    ~TNetwork();
    TNetwork(const TNetwork&) = delete;
    TNetwork& operator=(const TNetwork&) = delete;

    // Declared first: the elements outlive everything that points at them.
    TElementStore Store;
    THashTable NodeHash{200, 200};
    std::unique_ptr<TEntityClass> NodeClasses;
    std::unique_ptr<TEntityClass> LinkClasses;
    std::unique_ptr<TEntityClass> SystemClass;
    std::array<TValueSlot, MaxAttributes + 1> SystemValues{}; // [1..100]
    TStringList SystemStrings;
    TNode TemplateNode;           // 100 value slots
    TLinkValues TemplateLinkValues; // 100 value slots
    TLink TemplateLink;           // AEnd 1, LinkValues = &TemplateLinkValues
    int32_t NodeCount = 0;
    int32_t LinkCount = 0;
    // The highest serial a node has held since the network was made or read
    // (a file may number its nodes with gaps, above NodeCount): a new node is
    // numbered above it.
    int32_t TopSerial = 0;
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;

    // Undo lists (TDeletedItem, TTransformItem, TReinitializeData); items owned.
    TCollection<TDeletedItem> DeletedItems{8, 8};
    TCollection<TTransformItem> TransformUndo{8, 8};
    TCollection<TReinitializeData> ReinitializeUndo{8, 8};
    std::array<double, 5> TransformTotals{0, 0, 1, 1, 0};

    std::string FileName = "noname.DTA";
    int32_t WindowNumber = 0;
    // Tells this network's elements apart from those of every other network
    // and of this one before FreeNetwork: a new number each time. What keeps
    // pointers to nodes beside the network (desire tables) checks it.
    uint64_t Generation = 0;

    // Shortest-path scratch of the nodes that have been in a search, by
    // TNode::PathIndex ([0] unused).
    std::vector<TPathScratch> PathScratch;
    // A node's scratch, given an entry on first use. A reference stays valid
    // only until another node's first use.
    TPathScratch& PathOf(TNode* n)
    {
        if (n->PathIndex == 0) {
            if (PathScratch.empty()) PathScratch.emplace_back();
            n->PathIndex = uint32_t(PathScratch.size());
            PathScratch.emplace_back();
        }
        return PathScratch[n->PathIndex];
    }
    // What a search left for the node (all zero when it has been in none).
    const TPathScratch& PathOf(const TNode* n) const
    {
        static const TPathScratch none;
        return n->PathIndex && n->PathIndex < PathScratch.size() ? PathScratch[n->PathIndex] : none;
    }

    // Regrid state of a bulk load; BeginBulkLoad clears it.
    bool RegridShrunk = false;
    bool RegridGrown = false;
    // Fullest-cell count at which halving stopped helping (coincident points,
    // or the smallest cell size reached); halving is not retried below it.
    int32_t RegridFutileMax = 0;

    // Modified state. Every change of the network calls SetAllowClose(false)
    // before it acts; a save calls SetAllowClose(true). The owner (the window
    // list) hooks OnAllowClose to mark the window, its master and views.
    bool Modified = false;
    std::function<void(bool)> OnAllowClose;
    void SetAllowClose(bool allow)
    {
        Modified = !allow;
        if (OnAllowClose) OnAllowClose(allow);
    }

    // The owners of the polygons a point is a vertex of. Few points are
    // vertices, so the lists stand beside the points, by point.
    const TYourPolygonList& PolygonsOf(const TNetworkPoint* p) const
    {
        if (VertexOwners.empty()) return NoOwners();
        const auto it = VertexOwners.find(p);
        return it == VertexOwners.end() ? NoOwners() : it->second;
    }
    // The point's list, made when it has none. A reference stays valid until
    // the point's list is dropped.
    TYourPolygonList& PolygonsRef(const TNetworkPoint* p) { return VertexOwners.try_emplace(p, 0, 1).first->second; }
    // Forgets the point's list (the point is freed).
    void DropPolygons(const TNetworkPoint* p) { VertexOwners.erase(p); }
    // Every list of other, whose points move here (an append).
    void TakeOverPolygons(TNetwork& other);
    void ClearPolygons() { VertexOwners.clear(); }

private:
    static const TYourPolygonList& NoOwners()
    {
        static const TYourPolygonList none(0, 1);
        return none;
    }
    std::unordered_map<const TNetworkPoint*, TYourPolygonList> VertexOwners;
    std::unique_ptr<TNetworkIndexes> Indexes; // look-up indexes built on demand
public:
    // Indexes behind FindNodeByKey and FindLinkById. Whoever frees a node or
    // a link record while the network lives calls DropLookupIndexes.
    TNetworkIndexes& LookupIndexes();
    bool HasLookupIndexes() const { return Indexes != nullptr; }
    void DropLookupIndexes();
};

inline double TNetworkPoint::XF(const TNetwork& net) const
{
    if (HasFraction)
        if (const TPointFractions::TFraction* f = net.Store.Fractions.Find(this)) return f->XF;
    return X;
}
inline double TNetworkPoint::YF(const TNetwork& net) const
{
    if (HasFraction)
        if (const TPointFractions::TFraction* f = net.Store.Fractions.Find(this)) return f->YF;
    return Y;
}

// The classes of a new network: node and link class 0 and system record 0
// named "Undefined" (width 1; colour 1 for nodes, 2 for links), system record 1
// "System Attributes", nothing else defined.
void SetDefaultClasses(TNetwork& net);

// Frees a point of either kind with its lists (a point out of the hash).
void FreePoint(TNetwork& net, TNetworkPoint* p);

// ---------------------------------------------------------------- building

// Adds a node at (x, y) with nValues slots; with copyValues the template node's
// class decides the slot count and its values and strings are copied. Returns
// nullptr (nothing changed) at the cap or outside the world range; cell
// receives the node's cell.
TNode* AddNode(TNetwork& net, int32_t x, int32_t y, THashEntry*& cell, bool copyValues, int nValues);
// Adds a shape point at index (0..count, clamped) of the link's shape points;
// nullptr (nothing changed) outside the world range.
TShapePoint* AddShapePoint(TNetwork& net, int32_t x, int32_t y, int32_t index, TLink* halfEdge);
// Makes the link a -> b; halfA goes into a's list, halfB into b's.
TLinkValues* AddLink(TNetwork& net, TNode* a, TNode* b, bool copyValues, int nValues, TLink*& halfA,
                     TLink*& halfB);

// ---------------------------------------------------------------- look-ups

// The pick of editing: probes (x, y), then square rings up to the view's
// pick radius unless centerOnly. True when a node (or, with shapesAllowed,
// anything) was found.
bool FindNearestPoint(const TNetwork& net, const TViewRecord& view, TNode*& node, TShapePoint*& shapePoint,
                      bool shapesAllowed, bool centerOnly, int32_t x, int32_t y);
// A node may be put at the view's cursor. Sets view.PickedShapePoint.
bool CanPlaceNode(const TNetwork& net, TViewRecord& view, const TNode* node);
bool FindPointByLongLat(const TNetwork& net, int32_t x, int32_t y, int32_t longitude, int32_t latitude,
                        int32_t layer, TNode*& node, TShapePoint*& shapePoint, bool shapesWanted);
// First node in hash order with that SourceKey and SourceCode. SourceKey and
// SourceCode are expected to be set right after AddNode and not changed after.
TNode* FindNodeByKey(TNetwork& net, int32_t key, const std::string& code);
TNode* FindNodeBySerial(const TNetwork& net, int32_t x, int32_t y, int32_t serial);
TLink* FindLinkBySerial(const TNetwork& net, int32_t x, int32_t y, int32_t serial, int32_t farSerial);
TLink* FindLinkTo(const TLinkList& links, const TNode* node);
// Exactly two active links, one ending and one starting at the node: the
// ending link first.
bool GetThroughLinks(const TNode* node, TNode*& fromNode, TLinkValues*& inLink, TNode*& toNode,
                     TLinkValues*& outLink);

// ---------------------------------------------------------------- upkeep

// Widens the link box by a point and the A node's cell link box with it.
void ExtendBox(const TNetwork& net, TLink* halfEdge, const TNetworkPoint* p);
void RecomputeBox(TLinkValues* link);
void UpdateCellLinkBox(const TNetwork& net, THashEntry* cell);
void UpdateNodePolygonBox(TNetwork& net, TNode* node);
void UpdateCellPolygonBox(TNetwork& net, THashEntry* cell);
void RecomputeLinkReach(TNetwork& net);
void RecomputeExtents(TNetwork& net);
void ResetHashEntryExtents(TNetwork& net);

// Zoom-level scroll increment (levels 1..18).
int32_t ZoomScrollIncrement(int32_t zoomIndex);
// Culling before drawing. Margins are per side: left, top, right, bottom.
struct TCullParams {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0; // view rectangle
    bool DrawAll = false;
    int32_t ZoomIndex = 13;
    int32_t OriginX = 10, OriginY = 10;
    int32_t MaxNodeCircle = 0;
    int32_t MaxLinkWidth = 0;
    std::array<int32_t, 4> NodeLabelMargin{0, 0, 0, 0};
    std::array<int32_t, 4> LinkLabelMargin{0, 0, 0, 0};
    bool Plotting = false; // nothing changes while the window prints
};
void MarkCellsInView(TNetwork& net, const TCullParams& params);

// True when a position lies in the world range.
inline bool InWorld(int64_t x, int64_t y)
{
    return x >= -WorldLimit && x <= WorldLimit && y >= -WorldLimit && y <= WorldLimit;
}

// Clears the regrid state before a file read or import.
void BeginBulkLoad(TNetwork& net);
// Halves or doubles the cell size as the load requires (before each node a
// bulk load adds).
void RegridHashTable(TNetwork& net);
// Refiles every point in cells of the given size, then link reach, extents and
// cell long/lat boxes.
void RebuildHashTable(TNetwork& net, int32_t width, int32_t height);

// Frees every element, the undo records and the look-up indexes; leaves an
// empty hash of 200 x 200 cells and the classes as they are. Saved state.
void FreeNetwork(TNetwork& net);
// A number no network has had yet (see TNetwork::Generation).
uint64_t NewNetworkGeneration();
