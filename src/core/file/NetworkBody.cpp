#include "core/file/NetworkBody.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/file/NetFileIO.h"
#include "core/file/SettingsSections.h"
#include "core/file/TextFormat.h"
#include "core/model/LabelSettings.h"
#include "core/model/Network.h"
#include "core/model/SearchSettings.h"
#include "core/model/WindowSettings.h"

using namespace netfile;

// A real as the body writes it, into reserved room (at most 23 bytes); ok is
// cleared for a value that is not finite, written "0.0".
char* PutBodyReal(char* p, double v, bool& ok);

namespace {

constexpr int ProgressEvery = 4096;

// Classes up to the highest named one are kept: one unnamed below it does not
// hide the classes after it.
int ClassCount(const TEntityClass& classes) { return HighestEntityType(classes); }

int AttributeCountOf(const TEntityClass& classes, int cls) { return ClassAttributeCount(&classes, cls); }

char KindOf(const TEntityClass& classes, int cls, int i)
{
    const TAttrib* a = classes[cls].Attr(i);
    return a ? a->Kind : 'R';
}

// Label codes of element extras in files below version 6.
int32_t BodyLabelCodeForVersion(int32_t code, int v)
{
    if (v >= 6) return code;
    if (code >= 11 && code <= 100) return 10;
    if (code > 100) return code - 90;
    return code;
}

// A value text that reads as a real only beyond the strict form: too large
// for a double, a nan or an infinity.
bool NotFiniteReal(std::string_view t)
{
    std::string s(t);
    const char* begin = s.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == 0 && !std::isfinite(v);
}

bool NoteIsEmpty(const std::string& note) { return note.empty() || note == "&&"; }


void WriteZeros(TTextWriter& w, int n)
{
    for (int i = 0; i < n; ++i) {
        if (i) w.WriteChar(' ');
        w.WriteChar('0');
    }
    w.WriteLn();
}

// ------------------------------------------------------------------ writing

struct TBodyWriter {
    TFileContext& F;
    TNetwork& Net;
    const TWindowSettings& Settings;
    TTextWriter& W;
    int V;
    int& RealErrors;
    const TFileProgress& Progress;
    long Records = 0;

    TBodyWriter(TFileContext& f, TNetwork& net, const TWindowSettings& settings, int& realErrors,
                const TFileProgress& progress)
        : F(f), Net(net), Settings(settings), W(*f.OutFile), V(f.WriteVersion), RealErrors(realErrors), Progress(progress)
    {
    }

    void Tick()
    {
        if (Progress && ++Records % ProgressEvery == 0) Progress();
    }

    void WriteValues(const TEntityClass& classes, int cls, int n, const TValueSlot* values, int slotCount,
                     const TStringList& strings)
    {
        for (int i = 1; i <= n; ++i) {
            const TAttrib* a = classes[cls].Attr(i);
            const char kind = a ? a->Kind : 'R';
            const TValueSlot value = (i <= slotCount && values) ? values[i - 1] : TValueSlot{};
            // Numbers ('R', 'I' and any kind the writer does not know).
            if (kind != 'C' && kind != 'D' && kind != 'T' && kind != 'X' && kind != 'S') {
                char* p = W.Reserve(32);
                if (!p) return;
                bool ok = true;
                p = PutBodyReal(p, value.Real(), ok);
                if (!ok) ++RealErrors;
                W.Advance(PutLn(p));
                continue;
            }
            if (kind == 'S') {
                if (V < 8) {
                    W.WriteFixed("0.0");
                } else if (a && a->StringIndex < strings.size()) {
                    W.WriteText(Cut(strings[a->StringIndex], 30));
                }
                W.WriteLn();
                continue;
            }
            bool realError = false;
            W.WriteLine(AttributeValueText(kind, a ? a->TopRow : 0, std::string(), value, V, realError));
            if (realError) ++RealErrors;
        }
    }

    // Integers separated by one blank, into reserved room.
    static char* PutInts(char* p, std::initializer_list<int64_t> values)
    {
        bool first = true;
        for (int64_t v : values) {
            if (!first) *p++ = ' ';
            first = false;
            p = PutInt(p, v);
        }
        return p;
    }

    template <class F>
    void ForEachActiveNode(F&& f)
    {
        for (THashEntry* cell : Net.NodeHash)
            for (TNetworkPoint* p : cell->Points) {
                TNode* n = p->AsNode();
                if (n && n->Active) f(n);
            }
    }

    template <class F>
    void ForEachActiveLink(F&& f)
    {
        ForEachActiveNode([&](TNode* n) {
            for (TLink* h : n->Links)
                // A link is written with its ends' serials, so both ends must be written too.
                if (h->AEnd() == 1 && h->LinkValues && h->LinkValues->Active && h->FarNode && h->FarNode->Active)
                    f(h->LinkValues);
        });
    }

    // Values written for an element of class cls: before version 6 at most 10.
    int ValueCount(const TEntityClass& classes, int cls) const
    {
        int n = AttributeCountOf(classes, cls);
        if (V < 6 && n > 10) n = 10;
        return n;
    }
    int NodeValueCount(int cls) const { return ValueCount(*Net.NodeClasses, cls); }
    int LinkValueCount(int cls) const { return ValueCount(*Net.LinkClasses, cls); }

    void WriteNodes()
    {
        if (V >= 6) {
            const TNode& t = Net.TemplateNode;
            const int cls = std::clamp<int>(t.EntityType, 0, MaxClasses);
            const int n = NodeValueCount(cls);
            W.WriteText("1 0 0 1 -1 ");
            WriteIntList(W, {cls, n});
            if (V >= 8) W.WriteText(" 0 0 0");
            W.WriteLn();
            W.WriteLine(t.Name);
            WriteValues(*Net.NodeClasses, cls, n, t.Values.get(), SlotCount(t), t.Strings);
        }
        int32_t serial = 0;
        ForEachActiveNode([&](TNode* node) {
            node->Serial = ++serial;
            const int cls = node->EntityType <= MaxClasses ? node->EntityType : 0;
            const int n = NodeValueCount(cls);
            char* p = W.Reserve(200);
            if (!p) return;
            p = PutText(p, V >= 6 ? "1 " : " TRUE ");
            p = PutInts(p, {node->X, node->Y, node->Layer, node->Serial, cls, n});
            *p++ = ' ';
            p = PutInts(p, {node->Longitude, node->Latitude, node->Elevation});
            W.Advance(PutLn(p));
            W.WriteLine(node->Name);
            WriteValues(*Net.NodeClasses, cls, n, node->Values.get(), SlotCount(*node), node->Strings);
            Tick();
        });
        if (V < 6)
            W.WriteLine("FALSE 0 0 0 0 0 0");
        else if (V < 8)
            W.WriteLine("0 0 0 0 0 0 0");
        else
            W.WriteLine("0 0 0 0 0 0 0 0 0 0");
    }

    void WriteLinks()
    {
        if (V >= 6) {
            const TLinkValues& t = Net.TemplateLinkValues;
            const int cls = std::clamp<int>(t.EntityType, 0, MaxClasses);
            const int n = LinkValueCount(cls);
            W.WriteText("1 0 0 0 0 ");
            WriteIntList(W, {cls});
            W.WriteText(" -1 -1 ");
            WriteIntList(W, {n});
            W.WriteText(" 0");
            W.WriteLn();
            W.WriteLine(V >= 8 ? std::string_view(t.Name) : Cut(t.Name, 30));
            WriteValues(*Net.LinkClasses, cls, n, t.Values.get(), SlotCount(t), t.Strings);
        }
        ForEachActiveLink([&](TLinkValues* link) {
            const TNode* a = link->ANode;
            const TNode* b = link->BNode;
            const int cls = link->EntityType <= MaxClasses ? link->EntityType : 0;
            const int n = LinkValueCount(cls);
            char* p = W.Reserve(240);
            if (!p) return;
            p = PutText(p, V >= 6 ? "1 " : " TRUE ");
            p = PutInts(p, {a->X, a->Y, b->X, b->Y, cls, a->Serial, b->Serial, n});
            if (V >= 6) {
                *p++ = ' ';
                p = PutInt(p, link->ShapePoints.GetCount());
            }
            W.Advance(PutLn(p));
            W.WriteLine(V >= 8 ? std::string_view(link->Name) : Cut(link->Name, 30));
            WriteValues(*Net.LinkClasses, cls, n, link->Values.get(), SlotCount(*link), link->Strings);
            if (V >= 6)
                for (const TShapePoint* sp : link->ShapePoints) {
                    char* q = W.Reserve(120);
                    if (!q) return;
                    q = PutInts(q, {sp->X, sp->Y});
                    if (V >= 8) {
                        *q++ = ' ';
                        q = PutInts(q, {sp->Longitude, sp->Latitude, sp->Elevation});
                    }
                    W.Advance(PutLn(q));
                }
            Tick();
        });
        if (V < 6)
            W.WriteLine("FALSE 0 0 0 0 0 0 0 0");
        else
            W.WriteLine("0 0 0 0 0 0 0 0 0 0");
    }

    bool NodeExtrasDefault(const TNode& n) const
    {
        const bool first = n.Font == 0 && n.Place == 0 && n.Label1 == 0 && n.Label2 == 0 && n.SuppressLabel == 0 &&
                           n.OwnPolygon().GetCount() == 0;
        if (V < 7) return first;
        return first && NoteIsEmpty(n.Note()) && n.LabelXOffset() == 0 && n.LabelYOffset() == 0 &&
               n.ExcludeFromTriangulation == 0 && n.BitmapOverride == 0;
    }
    bool LinkExtrasDefault(const TLinkValues& l) const
    {
        const bool first = l.Font == 0 && l.Place == 0 && l.Label1 == 0 && l.Label2 == 0 && l.SuppressLabel == 0;
        if (V < 7) return first;
        return first && NoteIsEmpty(l.Note) && l.LabelXOffset == 0 && l.LabelYOffset == 0 &&
               l.ExcludeShapesFromTriangulation == 0 && l.BitmapOverride == 0;
    }

    // Shape points of a polygon are written with their index in their link.
    std::unordered_map<const TLinkValues*, std::unordered_map<const TShapePoint*, int32_t>> ShapeIndex;
    int32_t IndexInLink(const TShapePoint* sp, const TLinkValues* link)
    {
        const auto& shapes = link->ShapePoints;
        if (shapes.GetCount() <= 32) return shapes.IndexOf(sp);
        auto it = ShapeIndex.find(link);
        if (it == ShapeIndex.end()) {
            auto& m = ShapeIndex[link];
            for (int32_t i = 0; i < shapes.GetCount(); ++i) m.emplace(shapes.At(i), i);
            it = ShapeIndex.find(link);
        }
        auto f = it->second.find(sp);
        return f == it->second.end() ? -1 : f->second;
    }

    static const TLinkValues* ActiveLinkOf(const TShapePoint* sp)
    {
        if (!sp->Link || !sp->Link->LinkValues || !sp->Link->LinkValues->Active) return nullptr;
        const TLinkValues* l = sp->Link->LinkValues;
        if (!l->ANode || !l->BNode || !l->ANode->Active || !l->BNode->Active) return nullptr;
        return l;
    }

    void WriteExtrasTail(uint8_t hasNote, int16_t xOff, int16_t yOff, uint8_t bitmap, uint8_t exclude)
    {
        if (V >= 7) {
            W.WriteChar(' ');
            WriteIntList(W, {hasNote, xOff, yOff, bitmap});
        }
        if (V >= 8) {
            W.WriteChar(' ');
            W.WriteInt(exclude);
        }
        W.WriteLn();
    }

    void WriteNodeExtras()
    {
        const int pcap = V < 6 ? 10 : 255;
        if (V >= 6) {
            const TNode& t = Net.TemplateNode;
            if (!NodeExtrasDefault(t)) {
                const uint8_t hasNote = NoteIsEmpty(t.Note()) ? 0 : 1;
                W.WriteText("-1 0 0 ");
                WriteIntList(W, {t.Font, t.Place, t.Label1, t.Label2, t.SuppressLabel, t.PolygonStyle});
                W.WriteText(" 0");
                WriteExtrasTail(hasNote, t.LabelXOffset(), t.LabelYOffset(), t.BitmapOverride, t.ExcludeFromTriangulation);
                if (V >= 7 && hasNote) W.WriteLine(t.Note());
            }
        }
        ForEachActiveNode([&](TNode* n) {
            if (NodeExtrasDefault(*n)) return;
            int32_t count = 0;
            for (const TNetworkPoint* p : n->OwnPolygon()) {
                if (const TNode* vn = p->AsNode()) {
                    if (vn->Active) ++count;
                } else if (V >= 7 && p->Active && ActiveLinkOf(p->AsShapePoint())) {
                    ++count;
                }
            }
            const uint8_t hasNote = NoteIsEmpty(n->Note()) ? 0 : 1;
            WriteIntList(W, {n->Serial, n->X, n->Y, n->Font, n->Place, BodyLabelCodeForVersion(n->Label1, V),
                          BodyLabelCodeForVersion(n->Label2, V), n->SuppressLabel,
                          std::min<int>(n->PolygonStyle, pcap), count});
            WriteExtrasTail(hasNote, n->LabelXOffset(), n->LabelYOffset(), n->BitmapOverride, n->ExcludeFromTriangulation);
            for (const TNetworkPoint* p : n->OwnPolygon()) {
                if (const TNode* vn = p->AsNode()) {
                    if (!vn->Active) continue;
                    WriteIntList(W, {vn->Serial, vn->X, vn->Y});
                    if (V >= 7) W.WriteText(" 0 0 0 0 0 0 0");
                    W.WriteLn();
                } else if (V >= 7 && p->Active) {
                    const TShapePoint* sp = p->AsShapePoint();
                    const TLinkValues* l = ActiveLinkOf(sp);
                    if (!l) continue;
                    WriteIntList(W, {0, sp->X, sp->Y, l->ANode->Serial, l->BNode->Serial, IndexInLink(sp, l), l->ANode->X,
                                  l->ANode->Y, l->BNode->X, l->BNode->Y});
                    W.WriteLn();
                }
            }
            if (V >= 7 && hasNote) W.WriteLine(n->Note());
            Tick();
        });
        WriteZeros(W, V < 7 ? 11 : (V == 7 ? 14 : 15));
    }

    void WriteLinkExtras()
    {
        if (V >= 6) {
            const TLinkValues& t = Net.TemplateLinkValues;
            if (!LinkExtrasDefault(t)) {
                const uint8_t hasNote = NoteIsEmpty(t.Note) ? 0 : 1;
                W.WriteText("-1 -1 0 0 ");
                WriteIntList(W, {t.Font, t.Place, t.Label1, t.Label2, t.SuppressLabel});
                WriteExtrasTail(hasNote, t.LabelXOffset, t.LabelYOffset, t.BitmapOverride,
                                t.ExcludeShapesFromTriangulation);
                if (V >= 7 && hasNote) W.WriteLine(t.Note);
            }
        }
        ForEachActiveLink([&](TLinkValues* l) {
            if (LinkExtrasDefault(*l)) return;
            const uint8_t hasNote = NoteIsEmpty(l->Note) ? 0 : 1;
            WriteIntList(W, {l->ANode->Serial, l->BNode->Serial, l->ANode->X, l->ANode->Y, l->Font, l->Place,
                          BodyLabelCodeForVersion(l->Label1, V), BodyLabelCodeForVersion(l->Label2, V),
                          l->SuppressLabel});
            WriteExtrasTail(hasNote, l->LabelXOffset, l->LabelYOffset, l->BitmapOverride,
                            l->ExcludeShapesFromTriangulation);
            if (V >= 7 && hasNote) W.WriteLine(l->Note);
            Tick();
        });
        WriteZeros(W, V < 7 ? 9 : (V == 7 ? 13 : 14));
    }

    void Run()
    {
        W.WriteLine("END OF APPLICATION");
        WriteNodes();
        WriteLinks();
        if (V <= 3) return;
        WriteIntList(W, {Net.MaxX, Net.MinX, Net.MaxY, Net.MinY});
        W.WriteLn();
        if (V >= 5) {
            W.WriteLine(Cut(Settings.Title, V >= 8 ? 255 : 30));
            const TPolygonCriterion& c = Settings.Search.PolygonCriterion;
            const TNode* owner = c.Owner && c.Owner->Active ? c.Owner : nullptr;
            if (owner)
                WriteIntList(W, {owner->Serial, owner->X, owner->Y});
            else
                W.WriteText("0 0 0");
            W.WriteChar(' ');
            WriteIntList(W, {c.ApplyToNodes, c.ApplyToLinks, c.Outside, c.BothEnds});
            W.WriteLn();
        }
        WriteNodeExtras();
        WriteLinkExtras();
    }
};

// ------------------------------------------------------------------ reading

// The label style of an extras record, common to nodes and links.
struct TLabelStyle {
    int32_t Font = 0, Label1 = 0, Label2 = 0;
    uint8_t Place = 0, Suppress = 0;
    int32_t Style = 0, Count = 0; // nodes only: polygon style, vertex count
    int32_t HasNote = 0, XOff = 0, YOff = 0, Bitmap = 0, Exclude = 0;

    // Font .. SuppressLabel; polygon style and vertex count for nodes; then
    // the version-7 and version-8 fields and the line end.
    void Read(TTextReader& r, int v, bool node)
    {
        Font = ReadIntIn(r, 0, 255, "label font");
        Place = ReadByte(r);
        Label1 = ReadIntIn(r, 0, 255, "label code");
        Label2 = ReadIntIn(r, 0, 255, "label code");
        Suppress = ReadByte(r);
        if (node) {
            Style = ReadIntIn(r, 0, 255, "polygon style");
            Count = ReadIntIn(r, 0, std::numeric_limits<int32_t>::max(), "vertex count");
        }
        if (v >= 7) {
            HasNote = r.ReadInt();
            XOff = ReadIntIn(r, -32768, 32767, "label offset");
            YOff = ReadIntIn(r, -32768, 32767, "label offset");
            Bitmap = ReadByte(r);
        }
        if (v >= 8) Exclude = ReadByte(r);
        r.ReadLn();
    }

    // Checks the fields of a record that is not the terminator.
    void Check(int v)
    {
        if (Font > 10) throw TFileReadError("label font out of range");
        if (Style > 40) throw TFileReadError("polygon style out of range");
        Label1 = LabelCodeFromVersion(Label1, v);
        Label2 = LabelCodeFromVersion(Label2, v);
        if (Label1 > 110 || Label2 > 110) throw TFileReadError("label code out of range");
    }

    template <class E>
    void ApplyTo(E& e) const
    {
        e.Font = uint8_t(Font);
        e.Place = Place;
        e.Label1 = uint8_t(Label1);
        e.Label2 = uint8_t(Label2);
        e.SuppressLabel = Suppress;
        if constexpr (std::is_same_v<E, TNode>) {
            e.SetLabelOffset(int16_t(XOff), int16_t(YOff));
        } else {
            e.LabelXOffset = int16_t(XOff);
            e.LabelYOffset = int16_t(YOff);
        }
        e.BitmapOverride = uint8_t(Bitmap);
    }
};

// Counts of points per cell, for working out where re-gridding would end.
// The points of one cell mostly come one after another: the cell counted
// last is kept at hand.
class TCellCounter {
public:
    void Reset()
    {
        Keys.assign(1024, EmptyKey);
        Counts.assign(1024, 0);
        Bits = 10;
        Size = 0;
        Max = 0;
        LastKey = EmptyKey;
    }
    void Add(int64_t key)
    {
        if (key != LastKey) {
            if ((Size + 1) * 2 > Keys.size()) Grow();
            LastSlot = Slot(key);
            if (Keys[LastSlot] == EmptyKey) {
                Keys[LastSlot] = key;
                ++Size;
            }
            LastKey = key;
        }
        Max = std::max(Max, ++Counts[LastSlot]);
    }
    int32_t Cells() const { return int32_t(Size); }
    int32_t MaxCount() const { return Max; }

private:
    static constexpr int64_t EmptyKey = std::numeric_limits<int64_t>::min();
    size_t Slot(int64_t key) const
    {
        const size_t mask = Keys.size() - 1;
        size_t h = size_t((uint64_t(key) * 0x9E3779B97F4A7C15ull) >> (64 - Bits));
        while (Keys[h] != key && Keys[h] != EmptyKey) h = (h + 1) & mask;
        return h;
    }
    void Grow()
    {
        std::vector<int64_t> keys(Keys.size() * 2, EmptyKey);
        std::vector<int32_t> counts(Keys.size() * 2, 0);
        keys.swap(Keys);
        counts.swap(Counts);
        ++Bits;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != EmptyKey) {
                const size_t h = Slot(keys[i]);
                Keys[h] = keys[i];
                Counts[h] = counts[i];
            }
        LastKey = EmptyKey;
    }
    std::vector<int64_t> Keys;
    std::vector<int32_t> Counts;
    size_t Size = 0, LastSlot = 0;
    int Bits = 10;
    int32_t Max = 0;
    int64_t LastKey = EmptyKey;
};

// The cell key of positions at one cell size. Positions mostly come cell by
// cell, so the cell found last is kept with its bounds: a position inside
// them needs no division.
class TCellKeys {
public:
    TCellKeys(int32_t width, int32_t height) : Width(width), Height(height) {}
    int64_t operator()(int32_t x, int32_t y)
    {
        if (x < X0 || x > X1 || y < Y0 || y > Y1) {
            const int32_t cx = FloorDiv(x, Width), cy = FloorDiv(y, Height);
            Key = MakeCellKey(cx, cy);
            X0 = int64_t(cx) * Width;
            X1 = X0 + Width - 1;
            Y0 = int64_t(cy) * Height;
            Y1 = Y0 + Height - 1;
        }
        return Key;
    }

private:
    static int32_t FloorDiv(int32_t a, int32_t b)
    {
        int32_t q = a / b;
        if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
        return q;
    }
    int32_t Width, Height;
    int64_t Key = 0, X0 = 1, X1 = 0, Y0 = 1, Y1 = 0; // none yet
};

// Where filing the nodes one at a time, re-gridding before each, ends: the
// cell size, the re-grid flags, and before which nodes a re-grid happened.
// Works on the positions alone, with the rules of RegridHashTable.
struct TRegridPlan {
    int32_t Width = 200, Height = 200;
    bool Shrunk = false, Grown = false;
    int32_t FutileMax = 0;
    std::vector<size_t> Before; // a re-grid happened before node i (ascending, may repeat)

    void Work(const std::vector<THashTable::TPlaced>& nodes, int32_t width, int32_t height)
    {
        Width = width;
        Height = height;
        TCellCounter counter;
        counter.Reset();
        TCellKeys cells(Width, Height);
        auto key = [&](const THashTable::TPlaced& n) { return cells(n.X, n.Y); };
        auto rebuild = [&](int32_t w, int32_t h, size_t upTo) {
            Width = std::clamp(w, 1, MaxCellSize);
            Height = std::clamp(h, 1, MaxCellSize);
            cells = TCellKeys(Width, Height);
            counter.Reset();
            for (size_t k = 0; k < upTo; ++k) counter.Add(key(nodes[k]));
            Before.push_back(upTo);
        };
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (!Grown) {
                while (counter.MaxCount() >= HashCap && counter.MaxCount() > FutileMax) {
                    const int32_t before = counter.MaxCount();
                    const int32_t w = Width / 2, h = Height / 2;
                    if (w < MinCellSize || h < MinCellSize) {
                        FutileMax = before;
                        break;
                    }
                    rebuild(w, h, i);
                    Shrunk = true;
                    if (counter.MaxCount() >= before) {
                        FutileMax = counter.MaxCount();
                        break;
                    }
                }
            }
            if (!Shrunk) {
                while (counter.Cells() >= HashCap) {
                    if (Width > MaxCellSize / 2 || Height > MaxCellSize / 2) break;
                    rebuild(Width * 2, Height * 2, i);
                    Grown = true;
                }
            }
            counter.Add(key(nodes[i]));
        }
    }
};

struct TBodyReader {
    TFileContext& F;
    TNetwork& Net;
    TWindowSettings& Settings;
    TTextReader& R;
    int V;
    TBodyRead& Counts;
    const TFileProgress& Progress;
    int32_t Offset = 0;
    long Records = 0;

    TBodyReader(TFileContext& f, TNetwork& net, TWindowSettings& settings, TBodyRead& counts,
                const TFileProgress& progress)
        : F(f), Net(net), Settings(settings), R(*f.InFile), V(f.ReadVersion), Counts(counts), Progress(progress)
    {
    }
    std::vector<std::string> Texts; // 'S' values of the record being read
    TValueArray Values{};
    // Links of the read in file order, for the extras that follow in the same
    // order; looked up by serial when the order differs.
    std::vector<TLinkValues*> LinksRead;
    std::size_t NextLinkExtra = 0;
    TNode* LastA = nullptr;
    int32_t LastAX = 0, LastAY = 0, LastASerial = 0;
    // Pairs of linked nodes, for nodes whose link lists grow long.
    std::unordered_set<uint64_t> LinkedPairs;
    std::unordered_set<const TNode*> IndexedNodes;

    void Tick()
    {
        if (Progress && ++Records % ProgressEvery == 0) Progress();
    }

    int32_t Serial(int32_t s)
    {
        if (s <= 0) return s;
        if (s > std::numeric_limits<int32_t>::max() - Offset) throw TFileReadError("serial number out of range");
        return s + Offset;
    }

    // ReadAttributeValue: one line per value; the text of an 'S' value goes
    // to text when there is one.
    TValueSlot ReadValue(char kind, std::string* text)
    {
        switch (kind) {
        case 'C':
            // 8 characters (below version 6 the first 6), padded with blanks.
            return PackShortText(R.ReadTextLine(V < 6 ? 6 : 8));
        case 'D':
        case 'T':
        case 'X': {
            const std::string_view t = R.ReadTextLine(30);
            // Below version 5 the line holds "0.0" in place of the date.
            return V < 5 ? UnknownDateTime() : DateTimeField(t, kind);
        }
        case 'S': {
            const std::string_view t = R.ReadTextLine(30);
            // Below version 8 the line holds "0.0" in place of the text.
            if (text) text->assign(V < 8 ? std::string_view() : t);
            return TValueSlot{};
        }
        default: {
            double v = 0;
            if (!R.TryReadRealLine(30, v)) {
                const std::string_view t = R.ReadTextLine(30);
                if (!ParseReal(t, v)) {
                    // Not a number reads as 0; a number too large for a real,
                    // a nan or an infinity is an error, not a silent 0.
                    if (NotFiniteReal(t)) throw TFileReadError("real number that is not finite");
                    v = 0;
                }
            }
            TValueSlot slot{};
            slot.SetReal(v);
            return slot;
        }
        }
    }

    // The value lines of one record into Values and Texts.
    void ReadValues(const TEntityClass& classes, int cls, int n)
    {
        const int defined = AttributeCountOf(classes, cls);
        LastFilled = std::min(std::max(n, defined), MaxAttributes);
        std::fill(Values.begin() + 1, Values.begin() + 1 + LastFilled, TValueSlot{});
        Texts.resize(classes[cls].StringCount);
        for (std::string& t : Texts) t.clear();
        for (int i = 1; i <= n; ++i) {
            if (i > defined) {
                R.ReadLn(); // no such attribute in the class
                continue;
            }
            const char kind = n > defined ? 'R' : KindOf(classes, cls, i);
            std::string* text = nullptr;
            if (kind == 'S') {
                const TAttrib* a = classes[cls].Attr(i);
                if (a && a->StringIndex < Texts.size()) text = &Texts[a->StringIndex];
            }
            Values[i] = ReadValue(kind, text);
        }
    }

    int LastFilled = 0; // Values[1..LastFilled] hold the record's values

    // The slots of an element of the file's class cls, and the class it takes
    // with the values just read (an append into other classes).
    int SlotsOf(bool nodes, const TEntityClass& classes, int cls) const
    {
        return Counts.Refit ? Counts.Refit->Slots(nodes, cls) : AttributeCountOf(classes, cls);
    }
    int Refitted(bool nodes, bool isTemplate, int cls)
    {
        return Counts.Refit ? Counts.Refit->Refit(nodes, isTemplate, cls, Values, LastFilled, Texts) : cls;
    }
    void StoreValues(TValueSlot* block, int slots)
    {
        for (int i = 1; i <= slots; ++i) block[i - 1] = i <= LastFilled ? Values[i] : TValueSlot{};
    }

    bool ReadFlag()
    {
        if (V >= 6) return R.ReadInt() > 0;
        std::string_view t = R.ReadTextView(5);
        if (t.size() < 5) throw TFileReadError("record flag expected");
        return t[1] == 'T';
    }

    int ReadClass(const TEntityClass& classes) { return ClassOf(classes, R.ReadInt()); }
    static int ClassOf(const TEntityClass& classes, int32_t cls)
    {
        if (cls < 0) throw TFileReadError("negative class");
        return cls > ClassCount(classes) ? 0 : cls;
    }

    void CheckWorld(int32_t x, int32_t y)
    {
        if (!InWorld(x, y)) throw TFileReadError("position outside the world range");
    }

    // Nodes read but not yet filed (the single pass files them all at once).
    bool SinglePass = false;
    std::vector<THashTable::TPlaced> Unfiled;
    // Nodes by serial, while the table held nothing before the read (then
    // every node of it is one read here). While the file numbers its nodes
    // 1, 2, 3... BySerial holds them in that order; otherwise, once the nodes
    // are read, Serials holds them sorted by serial, then cell.
    bool UseSerialIndex = false;
    bool PlainSerials = true;
    std::vector<TNode*> BySerial;
    struct TSerialEntry {
        int32_t Serial;
        int64_t Cell;
        TNode* Node;
        bool operator<(const TSerialEntry& o) const { return Serial != o.Serial ? Serial < o.Serial : Cell < o.Cell; }
    };
    std::vector<TSerialEntry> Serials;
    bool RunOfSerials = false; // Serials run first, first + 1, ... without a gap

    void IndexSerials()
    {
        if (!UseSerialIndex || PlainSerials) return;
        const THashTable& table = Net.NodeHash;
        Serials.reserve(BySerial.size());
        for (TNode* n : BySerial) Serials.push_back({n->Serial, table.CellKey(n->X, n->Y), n});
        BySerial.clear();
        BySerial.shrink_to_fit();
        std::sort(Serials.begin(), Serials.end());
        RunOfSerials = true;
        for (size_t i = 0; i < Serials.size() && RunOfSerials; ++i)
            RunOfSerials = int64_t(Serials[i].Serial) == int64_t(Serials.front().Serial) + int64_t(i);
    }

    // The node FindNodeBySerial finds, from Serials: the node of that serial
    // in the cell of (x, y) when it is the only one there; when several share
    // the serial in that cell, the cell's order decides, as the search has it.
    TNode* IndexedNodeAt(int32_t x, int32_t y, int32_t serial)
    {
        const TSerialEntry wanted{serial, Net.NodeHash.CellKey(x, y), nullptr};
        auto it = Serials.begin();
        if (RunOfSerials) {
            const int64_t i = int64_t(serial) - int64_t(Serials.front().Serial);
            if (i < 0 || i >= int64_t(Serials.size())) return nullptr;
            it += i;
        } else {
            it = std::lower_bound(Serials.begin(), Serials.end(), wanted);
        }
        if (it == Serials.end() || it->Serial != serial || it->Cell != wanted.Cell) return nullptr;
        const auto next = it + 1;
        if (next != Serials.end() && next->Serial == serial && next->Cell == wanted.Cell)
            return FindNodeBySerial(Net, x, y, serial);
        return it->Node;
    }

    // A node made for the single pass, filed later.
    TNode* NewNode(int32_t x, int32_t y, int nValues)
    {
        TNode* n = Net.Store.Nodes.Make(x, y, 0, 0);
        ++Net.NodeCount;
        n->Serial = Net.NodeCount;
        n->Values = Net.Store.MakeValues(nValues);
        n->ByteCount = int16_t(8 * std::clamp(nValues, 0, MaxAttributes));
        Unfiled.push_back({n, x, y});
        return n;
    }

    // Files the nodes read, once, as filing them one at a time with a
    // re-grid before each would have left them: at the cell size re-gridding
    // ends at, each cell in key order, and points of one position in the
    // order the inserts (each before its equals) and the re-grids (each
    // reversing them) give.
    void FileUnfiled()
    {
        if (Unfiled.empty()) return;
        THashTable& table = Net.NodeHash;
        TRegridPlan plan;
        plan.Work(Unfiled, table.CellWidth, table.CellHeight);
        table.CellWidth = plan.Width;
        table.CellHeight = plan.Height;
        Net.RegridShrunk = plan.Shrunk;
        Net.RegridGrown = plan.Grown;
        Net.RegridFutileMax = plan.FutileMax;

        // A re-grid recomputes the extents from the nodes filed so far; the
        // nodes after it widen them as they are read.
        if (!plan.Before.empty()) {
            const size_t last = plan.Before.back();
            Net.MinX = Net.MinY = WorldLimit;
            Net.MaxX = Net.MaxY = -WorldLimit;
            for (size_t i = 0; i < Unfiled.size(); ++i) {
                const THashTable::TPlaced& n = Unfiled[i];
                if (i >= last && !WidensExtents(n.Point)) continue;
                Net.MinX = std::min(Net.MinX, n.X);
                Net.MaxX = std::max(Net.MaxX, n.X);
                Net.MinY = std::min(Net.MinY, n.Y);
                Net.MaxY = std::max(Net.MaxY, n.Y);
            }
        }

        // Node i goes to the front of its position's run while the flips
        // before it are even, to the back while they are odd; the run is
        // read backwards at the end when the flips are odd in all. Its tie
        // is its place in the run.
        const bool oddFlips = plan.Before.size() % 2 == 1;
        size_t flips = 0;
        auto tie = [&](size_t i) {
            while (flips < plan.Before.size() && plan.Before[flips] <= i) ++flips;
            const int64_t t = flips % 2 == 0 ? -int64_t(i) : int64_t(i);
            return oddFlips ? -t : t;
        };
        if (InHashOrder(table)) {
            // A file saved by this program comes in hash order already: then
            // only runs of one position need ordering, in place.
            std::vector<std::pair<int64_t, TNetworkPoint*>> run;
            for (size_t i = 0; i < Unfiled.size();) {
                size_t j = i + 1;
                while (j < Unfiled.size() && Unfiled[j].X == Unfiled[i].X && Unfiled[j].Y == Unfiled[i].Y) ++j;
                if (j - i > 1) {
                    run.clear();
                    for (size_t k = i; k < j; ++k) run.emplace_back(tie(k), Unfiled[k].Point);
                    std::sort(run.begin(), run.end());
                    for (size_t k = i; k < j; ++k) Unfiled[k].Point = run[k - i].second;
                }
                i = j;
            }
            table.FileInOrder(Unfiled);
        } else {
            struct TRank {
                int64_t Cell;
                uint64_t Key;
                int64_t Tie;
                THashTable::TPlaced Node;
            };
            std::vector<TRank> ranks(Unfiled.size());
            for (size_t i = 0; i < Unfiled.size(); ++i) {
                const THashTable::TPlaced& n = Unfiled[i];
                ranks[i] = {table.CellKey(n.X, n.Y), TNetworkPoint::PointKeyOf(n.X, n.Y), tie(i), n};
            }
            std::sort(ranks.begin(), ranks.end(), [](const TRank& a, const TRank& b) {
                if (a.Cell != b.Cell) return a.Cell < b.Cell;
                if (a.Key != b.Key) return a.Key < b.Key;
                return a.Tie < b.Tie;
            });
            for (size_t i = 0; i < ranks.size(); ++i) Unfiled[i] = ranks[i].Node;
            ranks = {};
            table.FileInOrder(Unfiled);
        }
        Unfiled.clear();
        Unfiled.shrink_to_fit();
        NotWidening.clear();
    }

    // Whether the nodes read come by cell key at the table's cell size,
    // then by key in their cell.
    bool InHashOrder(const THashTable& table) const
    {
        int64_t lastCell = std::numeric_limits<int64_t>::min();
        uint64_t lastKey = 0;
        TCellKeys cells(table.CellWidth, table.CellHeight);
        for (const THashTable::TPlaced& n : Unfiled) {
            const int64_t cell = cells(n.X, n.Y);
            const uint64_t key = TNetworkPoint::PointKeyOf(n.X, n.Y);
            if (cell < lastCell || (cell == lastCell && key < lastKey)) return false;
            lastCell = cell;
            lastKey = key;
        }
        return true;
    }

    // Nodes of the single pass whose serial in the file is not above 0 (they
    // do not widen the extents as they are read).
    std::unordered_set<const TNetworkPoint*> NotWidening;
    bool WidensExtents(const TNetworkPoint* n) const { return !NotWidening.count(n); }

    // The node of a file serial at a position, as FindNodeBySerial finds it.
    TNode* NodeAt(int32_t x, int32_t y, int32_t serial)
    {
        if (UseSerialIndex && PlainSerials && serial >= 1 && size_t(serial) <= BySerial.size()) {
            TNode* n = BySerial[size_t(serial) - 1];
            if ((n->X == x && n->Y == y) || Net.NodeHash.CellKey(n->X, n->Y) == Net.NodeHash.CellKey(x, y)) return n;
        }
        if (!Serials.empty()) return IndexedNodeAt(x, y, Serial(serial));
        return FindNodeBySerial(Net, x, y, Serial(serial));
    }

    // Files a node in the hash; unlike editing, a full cell does not refuse it.
    TNode* FileNode(int32_t x, int32_t y, int nValues)
    {
        THashEntry* cell = Net.NodeHash.FindOrAddCell(x, y);
        TNode* n = Net.Store.Nodes.Make(x, y, cell->X0, cell->Y0);
        ++Net.NodeCount;
        n->Serial = Net.NodeCount;
        n->Values = Net.Store.MakeValues(nValues);
        n->ByteCount = int16_t(8 * std::clamp(nValues, 0, MaxAttributes));
        Net.NodeHash.InsertPoint(cell, n);
        return n;
    }

    void ReadNodes()
    {
        const THashTable& table = Net.NodeHash;
        UseSerialIndex = table.PointCount() == 0 && table.GetCount() == 0;
        SinglePass = UseSerialIndex && !Counts.OneByOne;
        try {
            ReadNodeRecords();
        } catch (...) {
            // What was read stays filed (a memory limit keeps the part read).
            FileUnfiled();
            throw;
        }
        FileUnfiled();
        IndexSerials();
    }

    void ReadNodeRecords()
    {
        const TEntityClass& classes = *Net.NodeClasses;
        for (;;) {
            bool flag;
            int32_t x, y, layer, serial, n, lon = 0, lat = 0, elev = 0;
            int cls;
            int32_t f[10];
            if (V >= 8 && R.TryReadIntLine(f, 10)) {
                flag = f[0] > 0;
                x = f[1];
                y = f[2];
                layer = f[3];
                serial = f[4];
                cls = ClassOf(classes, f[5]);
                n = CheckIn(f[6], 0, MaxAttributes, "value count");
                lon = f[7];
                lat = f[8];
                elev = f[9];
            } else {
                flag = ReadFlag();
                x = R.ReadInt();
                y = R.ReadInt();
                layer = R.ReadInt();
                serial = R.ReadInt();
                cls = ReadClass(classes);
                n = ReadIntIn(R, 0, MaxAttributes, "value count");
                // Older versions have the three on node lines too, when the writer put them there.
                if (V >= 8 || !R.SeekEoln()) {
                    lon = R.ReadInt();
                    lat = R.ReadInt();
                    elev = R.ReadInt();
                }
                R.ReadLn();
            }
            if (!flag) break;
            const int slots = SlotsOf(true, classes, cls);
            if (serial == -1) {
                TNode& t = Net.TemplateNode;
                std::string name = ReadLineCut(R, 255);
                ReadValues(classes, cls, n);
                cls = Refitted(true, true, cls);
                t.EntityType = uint8_t(cls);
                t.Name = std::move(name);
                if (SlotCount(t) < MaxAttributes) ResizeValues(t, MaxAttributes);
                StoreValues(t.Values.get(), MaxAttributes);
                t.Strings = std::move(Texts);
                continue;
            }
            CheckWorld(x, y);
            TNode* node;
            if (SinglePass) {
                node = NewNode(x, y, slots);
                if (serial <= 0) NotWidening.insert(node);
            } else {
                RegridHashTable(Net);
                node = FileNode(x, y, slots);
            }
            if (UseSerialIndex) {
                BySerial.push_back(node);
                PlainSerials = PlainSerials && size_t(serial) == BySerial.size();
            }
            node->Name.AssignStored(Cut(R.ReadLineView(), 255), Net.Store.Texts);
            ReadValues(classes, cls, n);
            cls = Refitted(true, false, cls);
            if (serial > 0) {
                Net.MinX = std::min(Net.MinX, x);
                Net.MaxX = std::max(Net.MaxX, x);
                Net.MinY = std::min(Net.MinY, y);
                Net.MaxY = std::max(Net.MaxY, y);
            }
            node->Serial = Serial(serial);
            Net.TopSerial = std::max(Net.TopSerial, node->Serial);
            node->EntityType = uint8_t(cls);
            StoreValues(node->Values.get(), slots);
            node->Longitude = lon;
            node->Latitude = lat;
            node->Elevation = elev;
            node->Layer = (layer >= 1 && layer <= 10) ? uint8_t(layer) : 1;
            node->Strings.AssignStored(Texts.begin(), Texts.end(), Net.Store.Texts);
            Tick();
        }
    }

    bool LinkedAlready(TNode* a, TNode* b)
    {
        auto key = [](const TNode* p, const TNode* q) {
            auto lo = std::min(reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(q));
            auto hi = std::max(reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(q));
            return uint64_t(lo) * 0x9E3779B97F4A7C15ull ^ uint64_t(hi);
        };
        constexpr int32_t Long = 16;
        if (a->Links.GetCount() < Long) return FindLinkTo(a->Links, b) != nullptr;
        // A long list: keep its pairs in a set (the hash key may collide, so a
        // hit is confirmed in the list).
        if (IndexedNodes.insert(a).second)
            for (const TLink* h : a->Links)
                if (h->LinkValues) LinkedPairs.insert(key(a, h->FarNode));
        if (!LinkedPairs.count(key(a, b))) return false;
        return FindLinkTo(a->Links, b) != nullptr;
    }
    void NoteLinked(TNode* a, TNode* b)
    {
        auto key = [](const TNode* p, const TNode* q) {
            auto lo = std::min(reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(q));
            auto hi = std::max(reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(q));
            return uint64_t(lo) * 0x9E3779B97F4A7C15ull ^ uint64_t(hi);
        };
        if (IndexedNodes.count(a) || IndexedNodes.count(b)) LinkedPairs.insert(key(a, b));
    }

    void ReadLinks()
    {
        const TEntityClass& classes = *Net.LinkClasses;
        for (;;) {
            bool flag;
            int32_t ax, ay, bx, by, as, bs, n, shapes = 0;
            int cls;
            int32_t f[10];
            if (V >= 6 && R.TryReadIntLine(f, 10)) {
                flag = f[0] > 0;
                ax = f[1];
                ay = f[2];
                bx = f[3];
                by = f[4];
                cls = ClassOf(classes, f[5]);
                as = f[6];
                bs = f[7];
                n = CheckIn(f[8], 0, MaxAttributes, "value count");
                shapes = CheckIn(f[9], 0, std::numeric_limits<int32_t>::max(), "shape point count");
            } else {
                flag = ReadFlag();
                ax = R.ReadInt();
                ay = R.ReadInt();
                bx = R.ReadInt();
                by = R.ReadInt();
                cls = ReadClass(classes);
                as = R.ReadInt();
                bs = R.ReadInt();
                n = ReadIntIn(R, 0, MaxAttributes, "value count");
                if (V >= 6) shapes = ReadIntIn(R, 0, std::numeric_limits<int32_t>::max(), "shape point count");
                R.ReadLn();
            }
            if (!flag) break;
            const int slots = SlotsOf(false, classes, cls);
            std::string name = ReadLineCut(R, 255);
            ReadValues(classes, cls, n);
            if (as == -1 && bs == -1) {
                cls = Refitted(false, true, cls);
                TLinkValues& t = Net.TemplateLinkValues;
                t.EntityType = uint8_t(cls);
                t.Name = std::move(name);
                if (SlotCount(t) < MaxAttributes) ResizeValues(t, MaxAttributes);
                StoreValues(t.Values.get(), MaxAttributes);
                t.Strings = std::move(Texts);
                SkipShapePoints(shapes);
                continue;
            }
            // Links come in the order of their A nodes: the last A is tried first.
            TNode* a = (LastA && LastAX == ax && LastAY == ay && LastASerial == as) ? LastA : NodeAt(ax, ay, as);
            LastA = a;
            LastAX = ax;
            LastAY = ay;
            LastASerial = as;
            TNode* b = NodeAt(bx, by, bs);
            bool drop = !a || !b;
            if (drop) {
                ++Counts.WithoutEnds;
            } else if (a == b) {
                ++Counts.Looped;
                drop = true;
            } else if (LinkedAlready(a, b)) {
                ++Counts.Redundant;
                drop = true;
            }
            if (drop) {
                SkipShapePoints(shapes);
                Tick();
                continue;
            }
            cls = Refitted(false, false, cls);
            TLink* halfA = nullptr;
            TLink* halfB = nullptr;
            TLinkValues* link = AddLink(Net, a, b, false, slots, halfA, halfB);
            NoteLinked(a, b);
            link->EntityType = uint8_t(cls);
            StoreValues(link->Values.get(), slots);
            link->Name.AssignStored(name, Net.Store.Texts);
            link->Strings.AssignStored(Texts.begin(), Texts.end(), Net.Store.Texts);
            // Room for the shape points the record announces (at most a
            // block's worth before any is read: the count is the file's word).
            if (shapes > 0 && link->ShapePoints.GetLimit() == 0) {
                const int32_t room = std::min<int32_t>(shapes, 1 << 12);
                link->ShapePoints.Adopt(Net.Store.MakeRoomFor<TShapePoint>(room), room);
            }
            for (int32_t i = 0; i < shapes; ++i) {
                // x, y and from version 8 longitude, latitude, elevation.
                int32_t f[5] = {0, 0, 0, 0, 0};
                const int fields = V >= 8 ? 5 : 2;
                if (!R.TryReadIntLine(f, fields)) {
                    for (int k = 0; k < fields; ++k) f[k] = R.ReadInt();
                    R.ReadLn();
                }
                const int32_t x = f[0], y = f[1], lon = f[2], lat = f[3], elev = f[4];
                CheckWorld(x, y);
                TShapePoint* sp = AddShapePoint(Net, x, y, link->ShapePoints.GetCount(), halfA);
                if (!sp) throw TFileReadError("shape point could not be added");
                sp->Longitude = lon;
                sp->Latitude = lat;
                sp->Elevation = elev;
            }
            LinksRead.push_back(link);
            Tick();
        }
    }

    void SkipShapePoints(int32_t shapes)
    {
        for (int32_t i = 0; i < shapes; ++i) {
            R.ReadInt();
            R.ReadInt();
            R.ReadLn();
        }
    }


    void ReadNodeExtras()
    {
        std::unordered_set<const TNetworkPoint*> inPolygon;
        for (;;) {
            const int32_t serial = R.ReadInt();
            const int32_t x = R.ReadInt(), y = R.ReadInt();
            TLabelStyle st;
            st.Read(R, V, true);
            if (serial == 0) break;
            st.Check(V);
            const int32_t count = st.Count;
            TNode* owner = serial == -1 ? &Net.TemplateNode : NodeAt(x, y, serial);
            if (owner) {
                st.ApplyTo(*owner);
                owner->PolygonStyle = uint8_t(st.Style);
                owner->ExcludeFromTriangulation = uint8_t(st.Exclude);
            }
            inPolygon.clear();
            const bool useSet = owner && owner->OwnPolygon().GetCount() + count > 64;
            if (useSet)
                for (const TNetworkPoint* p : owner->OwnPolygon()) inPolygon.insert(p);
            for (int32_t i = 0; i < count; ++i) {
                TNetworkPoint* vertex = nullptr;
                if (V < 7) {
                    const int32_t vs = R.ReadInt(), vx = R.ReadInt(), vy = R.ReadInt();
                    R.ReadLn();
                    vertex = NodeAt(vx, vy, vs);
                } else {
                    int32_t k[10];
                    for (int32_t& q : k) q = R.ReadInt();
                    R.ReadLn();
                    if (k[0] > 0) {
                        vertex = NodeAt(k[1], k[2], k[0]);
                    } else {
                        TNode* a = NodeAt(k[6], k[7], k[3]);
                        TNode* b = NodeAt(k[8], k[9], k[4]);
                        TLink* h = (a && b) ? FindLinkTo(a->Links, b) : nullptr;
                        if (h && h->LinkValues && k[5] >= 0 && k[5] < h->LinkValues->ShapePoints.GetCount())
                            vertex = h->LinkValues->ShapePoints.At(k[5]);
                    }
                }
                if (!owner || !vertex || owner == &Net.TemplateNode) continue;
                const bool present = useSet ? inPolygon.count(vertex) > 0 : owner->OwnPolygon().IndexOf(vertex) >= 0;
                if (present) continue;
                if (useSet) inPolygon.insert(vertex);
                MakeRoom(owner->OwnPolygonRef());
                owner->OwnPolygonRef().Insert(vertex);
                TYourPolygonList& owners = Net.PolygonsRef(vertex);
                MakeRoom(owners);
                owners.Insert(owner);
            }
            if (owner && owner != &Net.TemplateNode && owner->OwnPolygon().GetCount() > 0) UpdateNodePolygonBox(Net, owner);
            if (st.HasNote == 1) {
                std::string note = R.ReadLine();
                if (owner) owner->SetNote(std::move(note));
            }
            Tick();
        }
    }

    TLinkValues* FindReadLink(int32_t ax, int32_t ay, int32_t as, int32_t bs)
    {
        // Extras follow the links' order: the next link read is tried first.
        // Redundant links were dropped, so at most one link joins the two
        // nodes and it is the one the look-up by serial would find.
        if (NextLinkExtra < LinksRead.size()) {
            TLinkValues* l = LinksRead[NextLinkExtra];
            if (l->ANode->X == ax && l->ANode->Y == ay && l->BNode->Serial == Serial(bs) &&
                l->ANode == NodeAt(ax, ay, as)) {
                ++NextLinkExtra;
                return l;
            }
        }
        // FindLinkBySerial, its node found through the index.
        const int32_t far = Serial(bs);
        TNode* a = NodeAt(ax, ay, as);
        if (!a) return nullptr;
        for (TLink* h : a->Links)
            if (h->FarNode && h->FarNode->Serial == far && h->LinkValues) return h->LinkValues.get();
        return nullptr;
    }

    void ReadLinkExtras()
    {
        for (;;) {
            const int32_t as = R.ReadInt(), bs = R.ReadInt();
            const int32_t ax = R.ReadInt(), ay = R.ReadInt();
            TLabelStyle st;
            st.Read(R, V, false);
            if (as == 0) break;
            st.Check(V);
            TLinkValues* l = (as == -1 && bs == -1) ? &Net.TemplateLinkValues : FindReadLink(ax, ay, as, bs);
            if (l) {
                st.ApplyTo(*l);
                l->ExcludeShapesFromTriangulation = uint8_t(st.Exclude);
            }
            if (st.HasNote == 1) {
                std::string note = R.ReadLine();
                if (l) l->Note = std::move(note);
            }
            Tick();
        }
    }

    void Run()
    {
        Offset = std::max(Net.NodeCount, Counts.SerialsAfter);
        Counts.Looped = Counts.Redundant = Counts.WithoutEnds = 0;
        BeginBulkLoad(Net);
        Net.DropLookupIndexes();
        ReadNodes();
        if (Net.NodeHash.PointCount() == 0 && Offset == 0) Net.MinX = Net.MinY = Net.MaxX = Net.MaxY = 0;
        ReadLinks();
        if (V <= 3) return;
        if (R.SeekEof()) return;
        {
            // Extents beyond the world range name no place a point can be;
            // kept within it, the window's origin and scroll ranges stay in range.
            auto inWorld = [](int32_t v) { return std::clamp(v, -WorldLimit, WorldLimit); };
            const int32_t maxX = inWorld(R.ReadInt()), minX = inWorld(R.ReadInt());
            const int32_t maxY = inWorld(R.ReadInt()), minY = inWorld(R.ReadInt());
            R.ReadLn();
            Net.MaxX = std::max(Net.MaxX, maxX);
            Net.MinX = std::min(Net.MinX, minX);
            Net.MaxY = std::max(Net.MaxY, maxY);
            Net.MinY = std::min(Net.MinY, minY);
        }
        if (V >= 5) {
            Settings.Title = ReadLineCut(R, V >= 8 ? 255 : 30);
            const int32_t s = R.ReadInt(), x = R.ReadInt(), y = R.ReadInt();
            TPolygonCriterion& c = Settings.Search.PolygonCriterion;
            c.Owner = s != 0 ? NodeAt(x, y, s) : nullptr;
            c.ApplyToNodes = ReadByte(R);
            c.ApplyToLinks = ReadByte(R);
            c.Outside = ReadByte(R);
            c.BothEnds = ReadByte(R);
            R.ReadLn();
        }
        if (R.SeekEof()) return;
        ReadNodeExtras();
        if (R.SeekEof()) return;
        ReadLinkExtras();
    }
};

} // namespace

char* PutBodyReal(char* p, double v, bool& ok)
{
    ok = std::isfinite(v);
    if (!ok || v == 0) return PutText(p, "0.0");
    const double a = std::fabs(v);
    if (a > 0.9 && a < 10000 && v == std::trunc(v)) return PutText(PutInt(p, static_cast<int64_t>(v)), ".0");
    char buf[23];
    if (!FormatReal23(v, buf)) {
        ok = false;
        return PutText(p, "0.0");
    }
    return PutText(p, std::string_view(buf, 23));
}

bool BodyRealText(double v, std::string& out)
{
    if (!std::isfinite(v)) return false;
    if (v == 0) {
        out = "0.0";
        return true;
    }
    const double a = std::fabs(v);
    if (a > 0.9 && a < 10000 && v == std::trunc(v)) {
        out = std::to_string(static_cast<int64_t>(v)) + ".0";
        return true;
    }
    out = Real23Text(v);
    return !out.empty();
}

std::string AttributeValueText(char kind, int32_t topRow, const std::string& text, const TValueSlot& value,
                               int version, bool& realError)
{
    realError = false;
    switch (kind) {
    case 'C': {
        if (version < 3) return "0.0";
        std::string code = UnpackShortText(value);
        std::size_t n = std::clamp<int32_t>(topRow, 0, 8);
        if (version < 6 && n > 6) n = 6;
        code.resize(std::min(code.size(), n));
        return code;
    }
    case 'D':
    case 'T':
    case 'X':
        if (version < 5) return "0.0";
        return DateTimeText(value, false, DateTimeModeOfKind(kind));
    case 'S':
        if (version < 8) return "0.0";
        return std::string(Cut(text, 30));
    default: {
        std::string out;
        if (!BodyRealText(value.Real(), out)) {
            realError = true;
            return "0.0";
        }
        return out;
    }
    }
}

void WriteNetworkBody(TFileContext& f, TNetwork& net, const TWindowSettings& settings, int& realErrors,
                      const TFileProgress& progress)
{
    GuardWrite(f, [&] {
        TBodyWriter w(f, net, settings, realErrors, progress);
        w.Run();
    });
}

void ReadNetworkBody(TFileContext& f, TNetwork& net, TWindowSettings& settings, TBodyRead& read,
                     const TFileProgress& progress)
{
    read.Looped = read.Redundant = read.WithoutEnds = 0;
    GuardRead(f, [&] {
        TBodyReader r(f, net, settings, read, progress);
        r.Run();
        // The cells' long/lat boxes over every point read.
        ResetHashEntryExtents(net);
    });
}
