#include "core/tables/Update.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <unordered_map>

#include "core/expr/BuiltinProperties.h"
#include "core/file/LegacyText.h"
#include "core/file/TextFormat.h"
#include "core/model/ExtractFormats.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/tables/TableLayout.h"
#include "core/tables/XBase.h"

namespace {

constexpr size_t MaxDelimitedField = 255;
constexpr size_t MaxNameText = 50;
constexpr size_t MaxPairs = 2000;
constexpr int32_t ProgressEvery = 1024;

std::string_view TrimRightView(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
    return s.substr(0, n);
}

bool IsBlankLine(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

// ---------------------------------------------------------------- fields

// Reads the fields of one record, in the record's separation.
class TFieldReader {
public:
    TFieldReader(int mode, std::string_view line) : Mode(mode), Line(line), Sep(mode == SeparationTabs ? '\t' : ',') {}
    explicit TFieldReader(TXBase& table) : Mode(SeparationDBase), Table(&table) {}

    int Mode;

    // No field is left.
    bool AtEnd() const
    {
        if (Table) return Column >= Table->FieldCount();
        return Pos >= Line.size();
    }

    // The next field as it stands (text fields of delimited records keep
    // their quotes).
    std::string Next(TColumnarWidth width)
    {
        if (Table) {
            ++Column;
            return Column <= Table->FieldCount() ? Table->GetField(Column) : std::string();
        }
        if (Mode == SeparationColumnar) {
            std::string_view f;
            if (Pos < Line.size()) f = Line.substr(Pos, size_t(width.Width));
            Pos += size_t(width.Width + width.Gap);
            return std::string(f);
        }
        return std::string(NextDelimited().substr(0, MaxDelimitedField));
    }

    // A text field: delimited records lose one pair of enclosing quotes,
    // however long the field; the field length counts what lies inside.
    std::string NextText(TColumnarWidth width)
    {
        if (Mode != SeparationCommas && Mode != SeparationTabs) return Next(width);
        std::string f = RemoveEnclosingQuotes(std::string(NextDelimited()));
        if (f.size() > MaxDelimitedField) f.resize(MaxDelimitedField);
        return f;
    }

    // dBase records are read by item: item i reads column i.
    void AtItem(int index)
    {
        if (Table) Column = index - 1;
    }

    void Skip(int fields, TColumnarWidth width)
    {
        if (Table) return;
        if (Mode == SeparationColumnar) {
            Next(width);
            return;
        }
        for (int i = 0; i < fields; ++i) Next(width);
    }

private:
    // The next delimited field whole: a field that starts with a double
    // quote runs to its closing quote, then to the separator.
    std::string_view NextDelimited()
    {
        if (Pos >= Line.size()) return {};
        size_t i = Pos;
        if (Line[i] == '"') {
            size_t close = Line.find('"', i + 1);
            i = close == std::string_view::npos ? Line.size() : close + 1;
        }
        size_t sep = Line.find(Sep, i);
        if (sep == std::string_view::npos) sep = Line.size();
        std::string_view f = Line.substr(Pos, sep - Pos);
        Pos = sep < Line.size() ? sep + 1 : Line.size();
        return f;
    }

    std::string_view Line;
    char Sep = ',';
    size_t Pos = 0;
    TXBase* Table = nullptr;
    int Column = 0;
};

// ---------------------------------------------------------------- one record

// What one item of a record read: its text, or its number, or its pairs.
struct TReadItem {
    TLayoutItem Item;
    const TAttrib* Attr = nullptr;
    std::string Text;
    double Value = 0;
    bool Ok = false;
    bool NameField = false; // the name item took the record's name field
    // A coordinate list: the pairs that were numbers inside the world, in
    // the order read (only the first MaxPairs of them are applied), and
    // whether a pair of the list was dropped.
    std::vector<std::pair<double, double>> Pairs;
    bool PairDropped = false;
    size_t CountedPairs() const { return std::min(Pairs.size(), MaxPairs); }
};

class TUpdater {
public:
    TUpdater(TNetwork& net, const TUpdateSettings& s, const TUpdateProgress& progress)
        : Net(net), S(s), Progress(progress)
    {
        for (int c = 0; c <= MaxClasses; ++c) {
            NodeItems[size_t(c)] = LayoutItems(s.Lines.Node[size_t(c)]);
            LinkItems[size_t(c)] = LayoutItems(s.Lines.Link[size_t(c)]);
        }
        NoNodeLines = s.Lines.NoNodeLines();
        NoLinkLines = s.Lines.NoLinkLines();
        Search = RemoveEnclosingQuotes(s.NameSearch).substr(0, 50);
        Replace = RemoveEnclosingQuotes(s.NameReplace).substr(0, 50);
        if (s.UpdateOldNew == 1)
            BeginBulkLoad(net);
        else
            Index.Build(net);
    }

    TUpdateResult R;

    void Text(TTextReader& reader)
    {
        while (!reader.Eof()) {
            std::string_view line = reader.ReadLineView();
            NextLine();
            if (IsBlankLine(line)) continue;
            TFieldReader f(S.Mode, line);
            Record(f);
        }
    }

    void Table(TXBase& table)
    {
        for (int32_t r = 1; r <= table.RecordCount(); ++r) {
            if (r > 1) table.NextRecord();
            NextLine();
            if (table.Deleted()) continue;
            TFieldReader f(table);
            Record(f);
        }
    }

    // After the last record, and after an error: the positions refiled and
    // the boxes of what moved made good.
    void Finish()
    {
        Index.Free();
        PlaceStaged();
        if (!R.CoordinatesChanged) return;
        for (TNode* n : Moved)
            for (TLink* h : n->Links)
                if (h->LinkValues) RecomputeBox(h->LinkValues);
        RebuildHashTable(Net, Net.NodeHash.CellWidth, Net.NodeHash.CellHeight);
        for (TNode* n : Moved) {
            if (!n->OwnPolygon().Empty()) Owners.push_back(n);
            for (TNode* o : Net.PolygonsOf(n)) Owners.push_back(o);
        }
        std::sort(Owners.begin(), Owners.end());
        Owners.erase(std::unique(Owners.begin(), Owners.end()), Owners.end());
        for (TNode* o : Owners) UpdateNodePolygonBox(Net, o);
    }

private:
    void NextLine()
    {
        ++R.Lines;
        if (Progress && R.Lines % ProgressEvery == 0) Progress(R.Lines);
    }

    void Touch()
    {
        if (R.Changed) return;
        Net.SetAllowClose(false);
        R.Changed = true;
    }

    void NotFound()
    {
        if (R.NotFound++ == 0) R.FirstNotFound = R.Lines;
    }

    void RealError()
    {
        if (R.RealErrors++ == 0) R.FirstRealError = R.Lines;
    }

    void Record(TFieldReader& f)
    {
        std::string name;
        bool nameRead = false;
        if (!S.AssumeNames) {
            name = f.Mode == SeparationColumnar ? f.Next(ColumnarNameWidth) : f.NextText(ColumnarNameWidth);
            if (name.size() > MaxNameText) name.resize(MaxNameText);
            nameRead = true;
        } else if (NoLinkLines && !NoNodeLines) {
            name = std::string(1, 'N').append(std::to_string(R.Lines));
        } else if (NoNodeLines && !NoLinkLines) {
            name = std::string(1, 'L').append(std::to_string(R.Lines));
        }

        if (S.UpdateOldNew == 1) {
            const int cls = TemplateClass(Net.TemplateNode.EntityType);
            NewNode(f, NodeItems[size_t(cls)], (*Net.NodeClasses)[cls], name, nameRead);
            return;
        }
        if (S.UpdateOldNew == 2) {
            const int cls = TemplateClass(Net.TemplateLinkValues.EntityType);
            NewLink(f, LinkItems[size_t(cls)], (*Net.LinkClasses)[cls], name, nameRead);
            return;
        }

        const std::string key(TrimRightView(name));
        if (key.empty()) {
            NotFound();
            return;
        }
        const bool pattern = key.find_first_of("?*") != std::string::npos;
        const std::string p = pattern ? PrepareNamePattern(key) : key;
        TNode* node = pattern ? FindNodeByName(Net, p, nullptr) : Index.FindIndexedNode(key);
        if (node && node->EntityType <= MaxClasses && !NodeItems[node->EntityType].empty()) {
            const auto& items = NodeItems[node->EntityType];
            std::vector<TReadItem> read = Read(f, items, (*Net.NodeClasses)[node->EntityType], 0, name, nameRead);
            ApplyToNode(*node, read);
            return;
        }
        TLink* link = pattern ? FindLinkByName(Net, p, nullptr) : Index.FindIndexedLink(key);
        if (link && link->LinkValues->EntityType <= MaxClasses && !LinkItems[link->LinkValues->EntityType].empty()) {
            const int cls = link->LinkValues->EntityType;
            std::vector<TReadItem> read = Read(f, LinkItems[size_t(cls)], (*Net.LinkClasses)[cls], 1, name, nameRead);
            ApplyToLink(*link, read);
            return;
        }
        NotFound();
    }

    static int TemplateClass(int cls) { return cls >= 0 && cls <= MaxClasses ? cls : 0; }

    // ---- reading the items of a record

    bool ReadReal(TFieldReader& f, TColumnarWidth w, double& v)
    {
        std::string text = f.Next(w);
        if (ParseReal(text, v) && std::isfinite(v)) return true;
        RealError();
        return false;
    }

    std::vector<TReadItem> Read(TFieldReader& f, const std::vector<TLayoutItem>& items, const TClassRecord& cls,
                                int kind, const std::string& name, bool nameRead)
    {
        std::vector<TReadItem> out;
        out.reserve(items.size());
        int32_t count = 0; // the last "S"
        for (size_t i = 0; i < items.size(); ++i) {
            const TLayoutItem& it = items[i];
            const TFieldKind k = UpdateFieldKind(it, kind, cls);
            if (k == TFieldKind::None) continue;
            TReadItem r;
            r.Item = it;
            r.Attr = ItemAttributeDefinition(it, cls);
            const TColumnarWidth w = ColumnarWidth(k);
            f.AtItem(int(i) + 1);
            if (i == 0 && it.Attribute == 0 && it.Code == 'B' && nameRead) {
                // The record's name field is this item's field.
                r.Text = name;
                r.Ok = true;
                r.NameField = true;
                out.push_back(std::move(r));
                continue;
            }
            switch (k) {
            case TFieldKind::Real:
                r.Ok = ReadReal(f, w, r.Value);
                if (r.Ok && it.Attribute == 0 && it.Code == 'S')
                    count = int32_t(std::clamp(std::floor(r.Value + 0.5), -1.0, 2147483647.0));
                break;
            case TFieldKind::Text:
            case TFieldKind::Code:
            case TFieldKind::Time:
            case TFieldKind::Date:
                r.Text = f.NextText(w);
                if (f.Mode == SeparationColumnar) r.Text.resize(TrimRightView(r.Text).size());
                if (it.Attribute == 0 && r.Text.size() > MaxNameText) r.Text.resize(MaxNameText);
                r.Ok = true;
                break;
            case TFieldKind::DateTime:
                r.Text = f.NextText(w);
                if (f.Mode != SeparationDBase) r.Text.append(1, ',').append(f.NextText(w));
                r.Ok = true;
                break;
            case TFieldKind::Blank:
                f.Next(w);
                break;
            case TFieldKind::Skip3:
                f.Skip(3, w);
                break;
            case TFieldKind::Skip10:
                f.Skip(10, w);
                break;
            case TFieldKind::Coordinates: {
                if (f.Mode == SeparationDBase) break; // dBase tables hold no coordinate list
                const TColumnarWidth cw = ColumnarWidth(TFieldKind::Real);
                for (int32_t n = 0; n < count && !f.AtEnd(); ++n) {
                    double x = 0, y = 0;
                    const bool okX = ReadReal(f, cw, x);
                    const bool okY = ReadReal(f, cw, y);
                    x = (x + S.XTranslation) * S.XScale;
                    y = (y + S.YTranslation) * S.YScale;
                    if (!okX || !okY || !(std::fabs(x) < WorldLimit) || !(std::fabs(y) < WorldLimit)) {
                        r.PairDropped = true;
                        continue;
                    }
                    r.Pairs.emplace_back(x, y);
                }
                r.Ok = !r.Pairs.empty();
                break;
            }
            default:
                break;
            }
            if (r.Ok) out.push_back(std::move(r));
        }
        return out;
    }

    // ---- applying them

    // A coordinate item's value in world units; false when it leaves the world.
    bool Coordinate(const TReadItem& r, bool isX, double& v) const
    {
        v = isX ? (r.Value + S.XTranslation) * S.XScale : (r.Value + S.YTranslation) * S.YScale;
        return std::isfinite(v) && std::fabs(v) < WorldLimit;
    }

    static bool InRange(const TReadItem& r, int lo, int hi, int& v)
    {
        const double d = std::floor(r.Value + 0.5);
        if (!(d >= lo && d <= hi)) return false;
        v = int(d);
        return true;
    }

    std::string NewName(const std::string& text) const
    {
        std::string name = text;
        if (!Search.empty()) {
            size_t at = name.find(Search);
            if (at != std::string::npos) {
                std::string replaced = name;
                replaced.replace(at, Search.size(), Replace);
                if (TrimRightView(replaced).size() <= 30) name = replaced;
            }
        }
        TrimName30(name);
        return name;
    }

    // The items every element takes; the kind-specific ones are left to the caller.
    template <class E>
    void ApplyValues(E& e, const std::vector<TReadItem>& read, const TEntityClass& classes, TNode* node)
    {
        TValueArray work;
        CopyValuesIn(e.Values.get(), work, SlotCount(e));
        for (const TReadItem& r : read) {
            if (r.Item.Attribute > 0) {
                if (r.Attr) SetAttribute(e, work, r);
                continue;
            }
            int v = 0;
            switch (r.Item.Code) {
            case 'B':
                // A name that found the element renames it only through the
                // search and replace texts (it may be a pattern).
                e.Name = NewName(r.NameField && !Fresh ? e.Name.str() : r.Text);
                break;
            case 'K':
                if (InRange(r, 1, MaxClasses, v)) {
                    e.EntityType = uint8_t(v);
                    ResizeValues(e, ClassAttributeCount(&classes, v));
                    e.Strings.resize(size_t(ClassStringCount(&classes, v)));
                }
                break;
            case 'T': if (InRange(r, 0, 10, v)) e.Font = uint8_t(v); break;
            case 'U': if (InRange(r, 0, 110, v)) e.Label1 = uint8_t(v); break;
            case 'V': if (InRange(r, 0, 110, v)) e.Label2 = uint8_t(v); break;
            case 'W': if (InRange(r, 0, 7, v)) e.Place = uint8_t(v); break;
            case 'Z': if (InRange(r, 0, 1, v)) e.SuppressLabel = uint8_t(v); break;
            default:
                if (node) NodeItem(*node, r);
                break;
            }
        }
        CopyValuesOut(e.Values.get(), work, SlotCount(e));
    }

    template <class E>
    void SetAttribute(E& e, TValueArray& work, const TReadItem& r)
    {
        const int k = r.Item.Attribute;
        TValueSlot& slot = work[size_t(k)];
        switch (r.Attr->Kind) {
        case 'R':
        case 'I':
            slot.SetReal(r.Value);
            break;
        case 'C':
            slot = PackShortText(std::string_view(r.Text).substr(0, 8));
            break;
        case 'D':
        case 'T':
        case 'X': {
            std::string text = r.Text;
            if (r.Attr->Kind == 'X' && S.Mode == SeparationDBase && text.size() == 8 &&
                text.find_first_not_of("0123456789") == std::string::npos)
                text = text.substr(4, 2) + "/" + text.substr(6, 2) + "/" + text.substr(0, 4);
            int err = 0;
            TValueSlot v = TextToDateTime(text, err, DateTimeModeOfKind(r.Attr->Kind), UnknownDateTime());
            if (!err) slot = v;
            break;
        }
        case 'S': {
            const size_t i = r.Attr->StringIndex;
            if (i < e.Strings.size()) e.Strings.Set(i, r.Text);
            break;
        }
        default:
            break;
        }
    }

    void NodeItem(TNode& n, const TReadItem& r)
    {
        int v = 0;
        double d = 0;
        switch (r.Item.Code) {
        case 'X':
        case 'Y': {
            if (!Coordinate(r, r.Item.Code == 'X', d) || Fresh) break;
            TStagedPlace& s = Staged.try_emplace(&n, TStagedPlace{n.X, n.Y, n.XF(Net), n.YF(Net)}).first->second;
            if (r.Item.Code == 'X') {
                s.XF = d;
                s.X = int32_t(pround(d));
            } else {
                s.YF = d;
                s.Y = int32_t(pround(d));
            }
            Moved.push_back(&n);
            R.CoordinatesChanged = true;
            break;
        }
        case '-':
            d = r.Value * 10000000.0;
            if (std::fabs(d) <= 1800000000.0) n.Longitude = int32_t(pround(d));
            break;
        case '|':
            d = r.Value * 10000000.0;
            if (std::fabs(d) <= 900000000.0) n.Latitude = int32_t(pround(d));
            break;
        case ';':
            d = r.Value * 10000.0;
            if (std::fabs(d) < 2147483647.0) n.Elevation = int32_t(pround(d));
            break;
        case 'O': if (InRange(r, 0, 40, v)) n.PolygonStyle = uint8_t(v); break;
        case '[': if (InRange(r, 1, 10, v)) n.Layer = uint8_t(v); break;
        default: break;
        }
    }

    void ApplyToNode(TNode& n, const std::vector<TReadItem>& read)
    {
        if (read.empty()) return;
        Touch();
        ApplyValues(n, read, *Net.NodeClasses, &n);
        for (const TReadItem& r : read)
            if (r.Item.Attribute == 0 && r.Item.Code == '}') AddPolygonVertices(n, r);
    }

    void ApplyToLink(TLink& h, const std::vector<TReadItem>& read)
    {
        if (read.empty()) return;
        Touch();
        TLinkValues& l = *h.LinkValues;
        ApplyValues(l, read, *Net.LinkClasses, nullptr);
        for (const TReadItem& r : read) {
            if (r.Item.Attribute != 0 || r.Item.Code != '}' || ListsShapePoints(l, r)) continue;
            for (size_t i = 0; i < r.CountedPairs(); ++i)
                if (AddShapePoint(Net, int32_t(pround(r.Pairs[i].first)), int32_t(pround(r.Pairs[i].second)),
                                  l.ShapePoints.GetCount(), &h))
                    R.CoordinatesChanged = true;
        }
    }

    // The list names the link's shape points as they stand, from A to B:
    // such a list was extracted from the link, and appending it again would
    // double the shape. It adds nothing, as the pairs of a ring's vertices
    // add nothing; any other list is appended.
    static bool ListsShapePoints(const TLinkValues& l, const TReadItem& r)
    {
        if (r.PairDropped || r.Pairs.size() != size_t(l.ShapePoints.GetCount())) return false;
        for (size_t i = 0; i < r.Pairs.size(); ++i) {
            const TShapePoint* sp = l.ShapePoints.At(int32_t(i));
            if (sp->X != int32_t(pround(r.Pairs[i].first)) || sp->Y != int32_t(pround(r.Pairs[i].second)))
                return false;
        }
        return true;
    }

    // The active point filed exactly at (x, y); nodes only when asked.
    TNetworkPoint* PointAt(int32_t x, int32_t y, bool nodesOnly) const
    {
        THashEntry* cell = Net.NodeHash.FindCell(x, y);
        if (!cell) return nullptr;
        const uint64_t key = TNetworkPoint::PointKeyOf(x, y);
        int32_t i = 0;
        if (!cell->Points.Search(key, i)) return nullptr;
        for (; i < cell->Points.GetCount() && cell->Points.At(i)->PointKey() == key; ++i) {
            TNetworkPoint* p = cell->Points.At(i);
            int32_t px = p->X, py = p->Y;
            if (!Staged.empty() && p->IsNode())
                if (auto it = Staged.find(p->AsNode()); it != Staged.end()) px = it->second.X, py = it->second.Y;
            if (p->Active && px == x && py == y && (!nodesOnly || p->IsNode())) return p;
        }
        return nullptr;
    }

    // A ring holds each vertex once, as every other edit and the network file
    // keep it: a pair that names a node already in the ring adds nothing,
    // like a pair with no node there. So a table extracted with its rings
    // reads back without doubling them, and what Update made saves and opens
    // the same.
    void AddPolygonVertices(TNode& owner, const TReadItem& r)
    {
        const auto& pairs = r.Pairs;
        bool added = false;
        std::set<const TNetworkPoint*> inRing(owner.OwnPolygon().begin(), owner.OwnPolygon().end());
        for (size_t i = r.CountedPairs(); i-- > 0;) {
            TNetworkPoint* p = PointAt(int32_t(pround(pairs[i].first)), int32_t(pround(pairs[i].second)), true);
            TNode* v = p ? p->AsNode() : nullptr;
            if (!v || v == &owner || !inRing.insert(v).second) continue;
            MakeRoom(owner.OwnPolygonRef());
            owner.OwnPolygonRef().Insert(v);
            if (Net.PolygonsOf(v).IndexOf(&owner) < 0) {
                MakeRoom(Net.PolygonsRef(v));
                Net.PolygonsRef(v).Insert(&owner);
            }
            added = true;
        }
        if (!added) return;
        R.CoordinatesChanged = true;
        Owners.push_back(&owner);
        UpdateNodePolygonBox(Net, &owner);
    }

    void NewNode(TFieldReader& f, const std::vector<TLayoutItem>& items, const TClassRecord& cls,
                 const std::string& name, bool nameRead)
    {
        std::vector<TReadItem> read = Read(f, items, cls, 0, name, nameRead);
        bool given = false;
        double x = 0, y = 0;
        for (const TReadItem& r : read) {
            if (r.Item.Attribute != 0 || (r.Item.Code != 'X' && r.Item.Code != 'Y')) continue;
            double d = 0;
            if (!Coordinate(r, r.Item.Code == 'X', d)) continue;
            (r.Item.Code == 'X' ? x : y) = d;
            given = true;
        }
        if (!given) return;
        const int32_t ix = int32_t(pround(x)), iy = int32_t(pround(y));
        if (PointAt(ix, iy, false)) return;
        Touch();
        RegridHashTable(Net);
        THashEntry* cell = nullptr;
        TNode* n = AddNode(Net, ix, iy, cell, true, 0);
        if (!n) {
            NotFound();
            return;
        }
        ++R.NodesAdded;
        R.CoordinatesChanged = true;
        Fresh = true;
        ApplyToNode(*n, read);
        Fresh = false;
    }

    TNode* FindNode(const std::string& text)
    {
        const std::string key(TrimRightView(text));
        if (key.empty()) return nullptr;
        if (key.find_first_of("?*") != std::string::npos)
            return FindNodeByName(Net, PrepareNamePattern(key), nullptr);
        return Index.FindIndexedNode(key);
    }

    void NewLink(TFieldReader& f, const std::vector<TLayoutItem>& items, const TClassRecord& cls,
                 const std::string& name, bool nameRead)
    {
        std::vector<TReadItem> read = Read(f, items, cls, 1, name, nameRead);
        TNode* a = nullptr;
        TNode* b = nullptr;
        for (const TReadItem& r : read)
            if (r.Item.Attribute == 0 && r.Item.Code == 'P')
                a = FindNode(r.Text);
            else if (r.Item.Attribute == 0 && r.Item.Code == 'Q')
                b = FindNode(r.Text);
        if (!a || !b || a == b) return;
        for (TLink* h : a->Links)
            if (h->AEnd() && h->FarNode == b && h->LinkValues && h->LinkValues->Active) return;
        Touch();
        TLink* halfA = nullptr;
        TLink* halfB = nullptr;
        if (!AddLink(Net, a, b, true, 0, halfA, halfB)) {
            NotFound();
            return;
        }
        ++R.LinksAdded;
        Fresh = true;
        ApplyToLink(*halfA, read);
        Fresh = false;
    }

    TNetwork& Net;
    const TUpdateSettings& S;
    const TUpdateProgress& Progress;
    TNameIndex Index;
    std::array<std::vector<TLayoutItem>, 11> NodeItems, LinkItems;
    bool NoNodeLines = true, NoLinkLines = true;
    std::string Search, Replace;
    std::vector<TNode*> Moved;
    // New positions read for nodes. A node keeps its filed position, which
    // orders its cell list, until the hash is rebuilt: then (PlaceStaged)
    // it takes the new one. Until then a look-up by position finds it
    // neither at the old position nor at the new. (A run that makes nodes
    // moves none, so no regrid meets a node waiting here.)
    struct TStagedPlace {
        int32_t X, Y;
        double XF, YF;
    };
    std::unordered_map<TNode*, TStagedPlace> Staged;
    void PlaceStaged()
    {
        // What waits beside a list merges by the keys its points were filed by.
        for (auto& [n, s] : Staged)
            if (THashEntry* c = Net.NodeHash.FindCell(n->X, n->Y)) c->Points.Settle();
        for (auto& [n, s] : Staged) n->SetPosition(Net, s.X, s.Y, s.XF, s.YF);
        Staged.clear();
    }
    std::vector<TNode*> Owners;
    bool Fresh = false; // the element was just made for its record
};

std::string ErrorsText(const TUpdateResult& r)
{
    std::string t = "Errors: ";
    if (r.NotFound > 0)
        t += std::to_string(r.NotFound) + " label(s) not found, first at line " + std::to_string(r.FirstNotFound);
    if (r.NotFound > 0 && r.RealErrors > 0) t.append(1, ';').append(MessageLineBreak);
    if (r.RealErrors > 0)
        t += std::to_string(r.RealErrors) + " real value error(s), first at line " + std::to_string(r.FirstRealError);
    return t;
}

} // namespace

std::string RemoveEnclosingQuotes(std::string text)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

TUpdateSettings UpdateSettingsFor(const TNetwork& net, const TExtractFormats& formats)
{
    TUpdateSettings s;
    s.Mode = formats.SeparationMode <= 3 ? formats.SeparationMode : SeparationColumnar;
    s.AssumeNames = formats.AssumeNames != 0;
    s.NameSearch = formats.NameSearch;
    s.NameReplace = formats.NameReplace;
    s.UpdateOldNew = formats.UpdateOldNew;
    s.XScale = formats.XScale;
    s.YScale = formats.YScale;
    s.XTranslation = formats.XTranslation;
    s.YTranslation = formats.YTranslation;
    if (s.UpdateOldNew == 1) {
        const int c = std::clamp<int>(net.TemplateNode.EntityType, 0, MaxClasses);
        s.Lines.Node[size_t(c)] = CompileRecordFormat(formats.NewNodesTemplate, net.NodeClasses.get(), c, 0);
    } else if (s.UpdateOldNew == 2) {
        const int c = std::clamp<int>(net.TemplateLinkValues.EntityType, 0, MaxClasses);
        s.Lines.Link[size_t(c)] = CompileRecordFormat(formats.NewLinksTemplate, net.LinkClasses.get(), c, 1);
    } else {
        s.Lines = CompileTemplateLines(net, formats);
    }
    return s;
}

TUpdateResult UpdateNetwork(TNetwork& net, const TUpdateSettings& settings, const std::string& fileName,
                            TMessageSink& sink, const TUpdateProgress& progress)
{
    TTextReader text;
    std::unique_ptr<TXBase> table;
    TUpdateResult failed;
    failed.ErrorCode = FileErrorRead;
    try {
        if (settings.Mode == SeparationDBase) {
            table = std::make_unique<TXBase>();
            table->SetFilename(fileName);
            if (!table->Active()) {
                failed.Detail = "no table " + table->DataFileName();
                return failed;
            }
        } else {
            std::string error;
            if (!text.LoadFile(fileName, error)) {
                failed.Detail = error;
                return failed;
            }
        }
    } catch (const std::exception& e) {
        failed.Detail = e.what();
        return failed;
    }

    TUpdater u(net, settings, progress);
    try {
        if (table)
            u.Table(*table);
        else
            u.Text(text);
    } catch (const std::exception& e) {
        u.R.ErrorCode = FileErrorRead;
        u.R.Detail = e.what();
    }
    try {
        u.Finish();
    } catch (const std::exception& e) {
        u.R.ErrorCode = FileErrorRead;
        u.R.Detail = e.what();
    }
    TUpdateResult r = u.R;
    if (r.NotFound > 0 || r.RealErrors > 0) ShowMessageText(sink, ErrorsText(r), "Extract", MB_STOP_OK);
    return r;
}

TUpdateResult OpenUpdateFile(TNetwork& net, const TExtractFormats& formats, const std::string& fileName,
                             TMessageSink& sink, const TUpdateProgress& progress)
{
    return UpdateNetwork(net, UpdateSettingsFor(net, formats), fileName, sink, progress);
}

TUpdateResult RunUpdate(TNetwork& net, const TExtractFormats& formats, const std::string& fileName,
                        TMessageSink& sink, const TUpdateProgress& progress)
{
    if (formats.XScale == 0 || formats.YScale == 0) {
        TUpdateResult r;
        r.ScaleRefused = true;
        ShowMessageText(sink, MessageText(291), "Extract/Update", MB_EXCLAMATION_OK);
        return r;
    }
    TUpdateResult r = OpenUpdateFile(net, formats, fileName, sink, progress);
    if (r.ErrorCode != 0) ShowMessageBox(sink, 52, 51, MB_EXCLAMATION_OK);
    return r;
}
