#include "core/tables/Extract.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/expr/BuiltinProperties.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/WidthSizes.h"
#include "core/file/LegacyText.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"
#include "core/tables/TableLayout.h"
#include "core/tables/XBase.h"

namespace {

constexpr int MaxColumns = 100;
constexpr int32_t ProgressEvery = 4096;

// ---------------------------------------------------------------- plans

// One item of a line as it is written for the line's class.
struct TPlanItem {
    TLayoutItem Item;
    TFieldKind Kind = TFieldKind::None;
    const TAttrib* Attr = nullptr;
    int CodePlaces = 8;
    std::string Column; // dBase column name, "" when the item names none
};

struct TLinePlan {
    std::vector<TPlanItem> Items;
    bool SizeExpressions = false; // an item evaluates the class's size or width expression
};

TLinePlan MakePlan(const std::string& compiled, int kind, const TClassRecord& cls)
{
    TLinePlan plan;
    for (const TLayoutItem& it : LayoutItems(compiled)) {
        TPlanItem p;
        p.Item = it;
        p.Kind = ExtractFieldKind(it, kind, cls);
        p.Attr = ItemAttributeDefinition(it, cls);
        if (p.Attr && p.Attr->Kind == 'C') {
            p.CodePlaces = CategoryCodePositions(*p.Attr);
            // Codes kept without a worksheet are written whole.
            if (p.CodePlaces <= 0) p.CodePlaces = 8;
        }
        p.Column = ItemColumnName(it, kind, cls);
        if (it.Attribute == 0 && (it.Code == 'C' || it.Code == ']')) plan.SizeExpressions = true;
        plan.Items.push_back(std::move(p));
    }
    return plan;
}

// ---------------------------------------------------------------- dBase columns

struct TColumn {
    char Type = 0; // 0 not yet typed
    int Width = 0;
    int Decimals = 0;
    const std::string* Name = nullptr;
};

void Widen(TColumn& c, TFieldKind kind)
{
    auto asText = [&](int width) {
        c.Type = 'C';
        c.Width = std::max(c.Width, width);
    };
    switch (kind) {
    case TFieldKind::Text:
    case TFieldKind::DateTime:
    case TFieldKind::Time:
        asText(30);
        break;
    case TFieldKind::Integer:
    case TFieldKind::Real:
        if (c.Type == 0) {
            c.Type = 'N';
            c.Width = 15;
        } else if (c.Type != 'N') {
            asText(15);
        }
        break;
    case TFieldKind::Code:
        asText(c.Type == 'N' ? 15 : 8);
        break;
    case TFieldKind::Date:
        if (c.Type == 0) {
            c.Type = 'D';
            c.Width = 8;
        } else if (c.Type != 'D') {
            asText(c.Type == 'N' ? 15 : 8);
        }
        break;
    case TFieldKind::Blank:
        if (c.Type == 0) asText(15);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- record writer

std::string TrimLeft(std::string s)
{
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

std::string TrimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

void Pad(std::string& out, std::string_view s, size_t width)
{
    if (s.size() > width) s = s.substr(0, width);
    out.append(s);
    out.append(width - s.size(), ' ');
}

class TRecordWriter {
public:
    TRecordWriter(int mode, TXBase* table, std::vector<TColumn>* columns)
        : Mode(mode), Sep(mode == SeparationTabs ? '\t' : ','), Table(table), Columns(columns)
    {
    }

    std::string Line;
    int Index = 0;     // 1-based item number
    bool Last = false; // the item is the line's last

    void Integer(int64_t v)
    {
        std::string s = std::to_string(v);
        switch (Mode) {
        case SeparationColumnar: {
            const TColumnarWidth w = ColumnarWidth(TFieldKind::Integer);
            if (s.size() < size_t(w.Width)) Line.append(size_t(w.Width) - s.size(), ' ');
            Line += s;
            Line.append(size_t(w.Gap), ' ');
            break;
        }
        case SeparationDBase:
            Put(s);
            break;
        default:
            Line += s;
            Separator();
        }
    }

    void Real(double v)
    {
        switch (Mode) {
        case SeparationColumnar: {
            const TColumnarWidth w = ColumnarWidth(TFieldKind::Real);
            Line += RealText(true, w.Width, v);
            Line.append(size_t(w.Gap), ' ');
            break;
        }
        case SeparationDBase: {
            std::string s = DBaseRealText(v);
            size_t dot = s.find('.');
            if (dot != std::string::npos && s.find('E') == std::string::npos && Column()) {
                TColumn& c = *Column();
                c.Decimals = std::max(c.Decimals, int(s.size() - dot - 1));
            }
            Put(s);
            break;
        }
        default:
            Line += TrimLeft(RealText(false, 15, v));
            Separator();
        }
    }

    void Text(std::string_view s)
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::Text, s);
            break;
        case SeparationDBase:
            Put(s.substr(0, 30));
            break;
        default:
            Quoted(s);
            Separator();
        }
    }

    void Code(std::string_view codes)
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::Code, codes);
            break;
        case SeparationDBase:
            Put(codes);
            break;
        default:
            Quoted(codes);
            Separator();
        }
    }

    void DateTime(std::string_view date, std::string_view time)
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::DateTime, date);
            Columnar(TFieldKind::DateTime, time);
            break;
        case SeparationDBase:
            Put(std::string(date) + "," + std::string(time));
            break;
        default:
            Quoted(date);
            Line += Sep;
            Quoted(time);
            Separator();
        }
    }

    // A time, or a date outside dBase tables.
    void Single(std::string_view text)
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::Time, text);
            break;
        case SeparationDBase:
            Put(text);
            break;
        default:
            Quoted(text);
            Separator();
        }
    }

    void Blank()
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::Blank, "");
            break;
        case SeparationDBase:
            Put("");
            break;
        default:
            Separator();
        }
    }

    void ClassWord(std::string_view word)
    {
        switch (Mode) {
        case SeparationColumnar:
            Columnar(TFieldKind::ClassWord, word);
            break;
        case SeparationDBase:
            break;
        default:
            Quoted(word);
            Separator();
        }
    }

    void Coordinates(const std::vector<TIntPoint>& points)
    {
        if (Mode == SeparationDBase) return;
        const bool last = Last;
        for (size_t i = 0; i < points.size(); ++i) {
            Last = false;
            Integer(points[i].X);
            Last = last && i + 1 == points.size();
            Integer(points[i].Y);
        }
        Last = last;
    }

    TColumn* Column() const
    {
        if (!Columns || Index < 1 || Index > int(Columns->size())) return nullptr;
        return &(*Columns)[size_t(Index - 1)];
    }

private:
    // A text in a column of its kind: cut to the width, padded over the gap.
    void Columnar(TFieldKind kind, std::string_view s)
    {
        const TColumnarWidth w = ColumnarWidth(kind);
        Pad(Line, s.substr(0, size_t(w.Width)), size_t(w.Width + w.Gap));
    }
    void Separator()
    {
        if (!Last) Line += Sep;
    }
    void Quoted(std::string_view s)
    {
        Line += '"';
        Line += s;
        Line += '"';
    }
    void Put(std::string_view s)
    {
        if (!Table || Index < 1 || Index > Table->FieldCount()) return;
        const int width = Table->Field(Index).Width;
        Table->PutField(Index, s.substr(0, size_t(width)));
    }

    int Mode;
    char Sep;
    TXBase* Table;
    std::vector<TColumn>* Columns;
};

// ---------------------------------------------------------------- the driver

std::string DateParts(const TValueSlot& v)
{
    TDateTimeParts p = UnpackDateTime(v);
    if (p.Year == DateYearNotGiven || p.Month == DatePartNotGiven || p.Day == DatePartNotGiven) return {};
    const int year = p.Year + 1900;
    if (year < 0 || year > 9999) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, p.Month % 100, p.Day % 100);
    return buf;
}

class TExtractor {
public:
    TExtractor(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
               const TCompiledLines& lines, const TExtractOptions& options, const TExtractProgress& progress)
        : Net(net), Settings(settings), Options(options), Progress(progress),
          Selection(net, settings, view.ZoomIndex, options.FilterNoLinks, options.OnlyPolygons),
          Binding(net, nullptr, &Random)
    {
        Binding.Env.LayerStates = settings.Layers.LayerStates.data();
        Binding.Env.ZoomIndex = view.ZoomIndex;
        for (int c = 1; c <= MaxClasses; ++c) {
            NodePlans[size_t(c)] = MakePlan(lines.Node[size_t(c)], 0, (*net.NodeClasses)[c]);
            LinkPlans[size_t(c)] = MakePlan(lines.Link[size_t(c)], 1, (*net.LinkClasses)[c]);
        }
    }

    // dBase: the columns of every line, typed and sized before any record.
    std::vector<TColumn> DefineColumns() const
    {
        size_t count = 0;
        for (int c = 1; c <= MaxClasses; ++c)
            count = std::max({count, NodePlans[size_t(c)].Items.size(), LinkPlans[size_t(c)].Items.size()});
        std::vector<TColumn> cols(std::min<size_t>(count, MaxColumns));
        for (const auto* plans : {&NodePlans, &LinkPlans})
            for (int c = 1; c <= MaxClasses; ++c) {
                const TLinePlan& p = (*plans)[size_t(c)];
                for (size_t i = 0; i < p.Items.size() && i < cols.size(); ++i) Widen(cols[i], p.Items[i].Kind);
            }
        for (TColumn& c : cols)
            if (c.Type == 0) {
                c.Type = 'C';
                c.Width = 15;
            }
        return cols;
    }

    // Writes every selected element; Emit gets each finished text line.
    template <class EmitLine, class BeginRecord, class EndRecord>
    void Run(TRecordWriter& w, EmitLine&& emit, BeginRecord&& begin, EndRecord&& end, std::vector<TColumn>* cols)
    {
        for (THashEntry* cell : Net.NodeHash)
            for (TNetworkPoint* p : cell->Points) {
                const TNode* n = p->AsNode();
                if (!n || !Selection.NodeSelected(*n)) continue;
                const TLinePlan& plan = NodePlans[n->EntityType];
                if (plan.Items.empty()) continue;
                begin();
                Format(w, plan, n, nullptr, cols);
                emit(w.Line);
                end();
                Count();
            }
        for (THashEntry* cell : Net.NodeHash)
            for (TNetworkPoint* p : cell->Points) {
                const TNode* n = p->AsNode();
                if (!n) continue;
                for (const TLink* h : n->Links) {
                    if (!h->AEnd() || !h->LinkValues || !Selection.LinkSelected(*h)) continue;
                    const TLinePlan& plan = LinkPlans[h->LinkValues->EntityType];
                    if (plan.Items.empty()) continue;
                    begin();
                    Format(w, plan, nullptr, h, cols);
                    emit(w.Line);
                    end();
                    Count();
                }
            }
    }

    int32_t Records = 0;
    int Mode() const { return Options.Mode; }

private:
    void Count()
    {
        ++Records;
        if (Progress && Records % ProgressEvery == 0) Progress();
    }

    void Format(TRecordWriter& w, const TLinePlan& plan, const TNode* node, const TLink* half,
                std::vector<TColumn>* cols)
    {
        w.Line.clear();
        const TLinkValues* link = half ? half->LinkValues.get() : nullptr;
        const TValueSlot* values = node ? node->Values.get() : link->Values.get();
        const int slots = node ? SlotCount(*node) : SlotCount(*link);
        const TStringList& strings = node ? node->Strings : link->Strings;
        const int cls = node ? node->EntityType : link->EntityType;
        const size_t n = plan.Items.size();
        for (size_t i = 0; i < n; ++i) {
            const TPlanItem& p = plan.Items[i];
            w.Index = int(i) + 1;
            w.Last = i + 1 == n;
            if (cols && i < cols->size() && !p.Column.empty()) (*cols)[i].Name = &p.Column;
            if (p.Item.Attribute > 0) {
                if (!p.Attr) {
                    w.Blank();
                    continue;
                }
                const int k = p.Item.Attribute;
                const TValueSlot v = k <= slots ? values[k - 1] : TValueSlot{};
                switch (p.Attr->Kind) {
                case 'R': w.Real(v.Real()); break;
                case 'I': w.Real(double(pround(v.Real()))); break;
                case 'C': w.Code(UnpackShortText(v).substr(0, size_t(p.CodePlaces))); break;
                case 'D': {
                    std::string t = DateTimeText(v, true, DateTimeModeBoth);
                    size_t comma = t.find(',');
                    std::string date = t.substr(0, comma);
                    std::string time = comma == std::string::npos ? std::string() : t.substr(comma + 1);
                    w.DateTime(date, time);
                    break;
                }
                case 'T': w.Single(DateTimeText(v, false, DateTimeModeTime)); break;
                case 'X':
                    w.Single(Options.Mode == SeparationDBase ? DateParts(v) : DateTimeText(v, false, DateTimeModeDate));
                    break;
                case 'S': {
                    const size_t s = p.Attr->StringIndex;
                    w.Text(s < strings.size() ? std::string_view(strings[s]) : std::string_view());
                    break;
                }
                default: w.Blank(); break;
                }
                continue;
            }
            if (node)
                NodeItem(w, p, *node, cls);
            else
                LinkItem(w, p, *half, *link, cls);
        }
    }

    void NodeItem(TRecordWriter& w, const TPlanItem& p, const TNode& n, int cls)
    {
        const TMyPolygonList& own = n.OwnPolygon();
        switch (p.Item.Code) {
        case 'B': w.Text(n.Name); break;
        case 'D': w.Text((*Net.NodeClasses)[cls].Name); break;
        case 'E': w.ClassWord("NODE"); break;
        case 'K': w.Integer(cls); break;
        case 'F': w.Integer(n.Serial); break;
        case 'X': w.Integer(n.X); break;
        case 'Y': w.Integer(n.Y); break;
        case 'L': w.Real(AttachedLinkCount(&n)); break;
        case 'S': w.Integer(CountPolygonVertices(own, true)); break;
        case '@': w.Real(PolygonPerimeter(own, Settings.UnitsFactor, false)); break;
        case '$': w.Real(PolygonPerimeter(own, Settings.UnitsFactor, true)); break;
        case 'M': w.Real(PolygonArea(own, Settings.UnitsFactor)); break;
        case '^': w.Real(PolygonCentroid(own, true)); break;
        case '_': w.Real(PolygonCentroid(own, false)); break;
        case '~': w.Integer(PolygonIsClockwise(&n) ? 1 : 0); break;
        case 'O': w.Integer(n.PolygonStyle); break;
        case '[': w.Integer(n.Layer); break;
        case 'T': w.Integer(n.Font); break;
        case 'U': w.Integer(n.Label1); break;
        case 'V': w.Integer(n.Label2); break;
        case 'W': w.Integer(n.Place); break;
        case 'Z': w.Integer(n.SuppressLabel); break;
        case '(': w.Text(NoteLineView(n.Note(), 1)); break;
        case ')': w.Text(NoteLineView(n.Note(), 2)); break;
        case '-': w.Real(n.Longitude / 10000000.0); break;
        case '|': w.Real(n.Latitude / 10000000.0); break;
        case ';': w.Real(n.Elevation / 10000.0); break;
        case 'C': w.Real(NodeSizeExpressionText(Net, Binding, Settings.Widths, n, 1).Value); break;
        case ']': w.Real(NodeSizeExpressionText(Net, Binding, Settings.Widths, n, 2).Value); break;
        case '0': w.Integer(0); break;
        case '{': w.Blank(); break;
        case '}': {
            // The vertices "S" counts, from the last to the first.
            Points.clear();
            for (int32_t i = own.GetCount() - 1; i >= 0; --i) {
                const TNetworkPoint* v = own.At(i);
                if (!v->Active) continue;
                if (const TShapePoint* sp = v->AsShapePoint())
                    if (!sp->Link || !sp->Link->LinkValues || !sp->Link->LinkValues->Active) continue;
                Points.push_back({v->X, v->Y});
            }
            w.Coordinates(Points);
            break;
        }
        default: break; // writes nothing for nodes
        }
    }

    void LinkItem(TRecordWriter& w, const TPlanItem& p, const TLink& h, const TLinkValues& l, int cls)
    {
        const TNode* a = l.ANode;
        const TNode* b = l.BNode;
        switch (p.Item.Code) {
        case 'B': w.Text(l.Name); break;
        case 'D': w.Text((*Net.LinkClasses)[cls].Name); break;
        case 'E': w.ClassWord("LINK"); break;
        case 'K': w.Integer(cls); break;
        case 'G': w.Integer(a->Serial); break;
        case 'H': w.Integer(b->Serial); break;
        case 'X': w.Integer(a->X); break;
        case 'Y': w.Integer(a->Y); break;
        case 'I': w.Integer(b->X); break;
        case 'J': w.Integer(b->Y); break;
        case 'P': w.Text(a->Name); break;
        case 'Q': w.Text(b->Name); break;
        case 'L': w.Real(LinkLength(&h, Settings.UnitsFactor)); break;
        case 'S': {
            int32_t count = 0;
            for (const TShapePoint* sp : l.ShapePoints)
                if (sp->Active) ++count;
            w.Integer(count);
            break;
        }
        case '@': w.Real(LinkAzimuth(&h)); break;
        case 'T': w.Integer(l.Font); break;
        case 'U': w.Integer(l.Label1); break;
        case 'V': w.Integer(l.Label2); break;
        case 'W': w.Integer(l.Place); break;
        case 'Z': w.Integer(l.SuppressLabel); break;
        case '(': w.Text(NoteLineView(l.Note, 1)); break;
        case ')': w.Text(NoteLineView(l.Note, 2)); break;
        case 'C': w.Real(LinkWidthExpressionText(Net, Binding, Settings.Widths, h, 1).Value); break;
        case ']': w.Real(LinkWidthExpressionText(Net, Binding, Settings.Widths, h, 2).Value); break;
        case '0': w.Integer(0); break;
        case '{': w.Blank(); break;
        case '}':
            Points.clear();
            for (const TShapePoint* sp : l.ShapePoints)
                if (sp->Active) Points.push_back({sp->X, sp->Y});
            w.Coordinates(Points);
            break;
        default: break; // writes nothing for links
        }
    }

    const TNetwork& Net;
    const TWindowSettings& Settings;
    TExtractOptions Options;
    const TExtractProgress& Progress;
    TExtractSelection Selection;
    std::mt19937_64 Random{1};
    TExprBinding Binding;
    std::array<TLinePlan, 11> NodePlans, LinkPlans;
    std::vector<TIntPoint> Points;
};

// A free name for the working table in the folder of the file it will
// replace (a link's target, where the table goes).
std::string FreeStemBeside(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    const std::filesystem::path dir = target.parent_path();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string stem = "~tvx" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        std::filesystem::path p = dir.empty() ? std::filesystem::path(stem) : dir / stem;
        struct stat st {};
        if (::lstat((p.string() + ".dbf").c_str(), &st) != 0) return p.string();
    }
    return {};
}

// Column names as other dBase readers need them: they tell names apart by
// the 10 characters a dBase header holds, letter case aside. A name whose
// first 10 an earlier column has gets a digit suffix, the whole kept within
// 10 characters, and no later column's own name is taken.
void MakeColumnNamesUnique(std::vector<std::string>& names)
{
    auto key = [](const std::string& s) {
        std::string k = s.substr(0, 10);
        for (char& c : k)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return k;
    };
    std::set<std::string> taken;
    for (size_t i = 0; i < names.size(); ++i) {
        if (taken.insert(key(names[i])).second) continue;
        auto later = [&](const std::string& candidate) {
            for (size_t j = i + 1; j < names.size(); ++j)
                if (key(names[j]) == candidate) return true;
            return false;
        };
        for (int k = 1;; ++k) {
            const std::string suffix = std::to_string(k);
            const std::string candidate = names[i].substr(0, 10 - suffix.size()) + suffix;
            const std::string candidateKey = key(candidate);
            if (taken.count(candidateKey) || later(candidateKey)) continue;
            names[i] = candidate;
            taken.insert(candidateKey);
            break;
        }
    }
}

TExtractResult ExtractText(TExtractor& x, const std::string& fileName)
{
    TExtractResult r;
    TTextWriter out;
    std::string error;
    if (!out.BeginFile(fileName, error)) {
        r.ErrorCode = FileErrorWrite;
        r.Detail = error;
        return r;
    }
    TRecordWriter w(x.Mode(), nullptr, nullptr);
    try {
        x.Run(
            w,
            [&](const std::string& line) {
                out.WriteText(line);
                out.WriteLn();
            },
            [] {}, [] {}, nullptr);
    } catch (const std::exception& e) {
        out.Abandon();
        r.ErrorCode = FileErrorWrite;
        r.Detail = e.what();
        return r;
    }
    if (!out.Commit(error)) {
        r.ErrorCode = FileErrorWrite;
        r.Detail = error;
        return r;
    }
    r.Records = x.Records;
    return r;
}

TExtractResult ExtractTable(TExtractor& x, const std::string& fileName)
{
    TExtractResult r;
    auto failed = [&](std::string why) {
        r.ErrorCode = FileErrorWrite;
        r.Detail = std::move(why);
        return r;
    };
    // The table goes where any other save goes: onto a regular file the user
    // may write or a new name, through a link to its target, in place only
    // once complete and synced. It is built in a working table beside the
    // target first, since its header is finished after the last record.
    const std::string target = XBaseFileStem(fileName) + ".dbf";
    TTextWriter out;
    std::string error;
    if (!out.BeginFile(target, error)) return failed(error);
    const std::string work = FreeStemBeside(target);
    if (work.empty()) {
        out.Abandon();
        return failed("no working name beside the table");
    }
    const std::string workFile = work + ".dbf";
    std::vector<TColumn> cols = x.DefineColumns();
    try {
        TXBase table;
        table.SetFilename(work);
        for (size_t i = 0; i < cols.size(); ++i)
            table.AddField(int(i) + 1, "FIELD" + std::to_string(i + 1), cols[i].Type, cols[i].Width, 0);
        table.CreateTable();
        table.MoveOnAppend = true;
        TRecordWriter w(SeparationDBase, &table, &cols);
        x.Run(
            w, [](const std::string&) {}, [&] { table.AppendBlankRecord(); }, [&] { table.WriteRecord(); }, &cols);
        std::vector<std::string> names(cols.size());
        for (size_t i = 0; i < cols.size(); ++i) {
            const int index = int(i) + 1;
            if (cols[i].Type == 'N') table.SetFieldDecimals(index, std::min(cols[i].Decimals, cols[i].Width - 2));
            names[i] = cols[i].Name ? cols[i].Name->substr(0, 11) : table.Field(index).Name;
        }
        MakeColumnNamesUnique(names);
        for (size_t i = 0; i < cols.size(); ++i) table.SetFieldName(int(i) + 1, names[i]);
        table.WriteFieldDescriptors(true);

        // The finished table into the writer's file, a piece at a time.
        const int fd = ::open(workFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw std::runtime_error("cannot read the working table");
        std::vector<char> chunk(size_t(1) << 16);
        for (;;) {
            const ssize_t got = ::read(fd, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                ::close(fd);
                throw std::runtime_error("cannot read the working table");
            }
            if (got == 0) break;
            out.WriteRaw(std::string_view(chunk.data(), size_t(got)));
        }
        ::close(fd);
    } catch (const std::exception& e) {
        ::unlink(workFile.c_str());
        out.Abandon();
        return failed(e.what());
    }
    ::unlink(workFile.c_str());
    if (!out.Commit(error)) return failed(error);
    r.Records = x.Records;
    return r;
}

} // namespace

// ---------------------------------------------------------------- public

bool TCompiledLines::NoNodeLines() const
{
    return std::all_of(Node.begin(), Node.end(), [](const std::string& s) { return s.empty(); });
}

bool TCompiledLines::NoLinkLines() const
{
    return std::all_of(Link.begin(), Link.end(), [](const std::string& s) { return s.empty(); });
}

TCompiledLines CompileTemplateLines(const TNetwork& net, const TExtractFormats& formats)
{
    TCompiledLines lines;
    for (int c = 1; c <= MaxClasses; ++c) {
        lines.Node[size_t(c)] = CompileRecordFormat(formats.NodeTemplates[size_t(c)], net.NodeClasses.get(), c, 0);
        lines.Link[size_t(c)] = CompileRecordFormat(formats.LinkTemplates[size_t(c)], net.LinkClasses.get(), c, 1);
    }
    return lines;
}

TExtractSelection::TExtractSelection(const TNetwork& net, const TWindowSettings& settings, int32_t zoomIndex,
                                     bool filterNoLinks, bool onlyPolygons)
    : LayerStates(settings.Layers.LayerStates), ZoomIndex(zoomIndex), FilterNoLinks(filterNoLinks),
      OnlyPolygons(onlyPolygons)
{
    Search.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(settings.Search.PolygonCriterion));
}

bool TExtractSelection::LayerShown(int layer) const
{
    if (layer < 0 || layer > 10) return false;
    const int32_t s = LayerStates[size_t(layer)];
    return s != 0 && s <= ZoomIndex;
}

bool TExtractSelection::NodeSelected(const TNode& n) const
{
    if (!n.Active || !LayerShown(n.Layer)) return false;
    if (OnlyPolygons) {
        if (n.OwnPolygon().Empty()) return false;
    } else if (FilterNoLinks && AttachedLinkCount(&n) == 0) {
        return false;
    }
    if (n.EntityType < 1 || n.EntityType > MaxClasses) return false;
    return Search.NodePassesSearch(n);
}

bool TExtractSelection::LinkSelected(const TLink& h) const
{
    const TLinkValues* l = h.LinkValues;
    if (!h.AEnd() || !l || !l->Active || !l->ANode || !l->BNode) return false;
    if (!LayerShown(l->ANode->Layer) || !LayerShown(l->BNode->Layer)) return false;
    if (l->EntityType < 1 || l->EntityType > MaxClasses) return false;
    return Search.LinkPassesSearch(h, *l->ANode);
}

std::string DBaseRealText(double v)
{
    if (!std::isfinite(v)) return "0";
    std::string s = TrimLeft(TrimRight(RealText(true, 15, v)));
    if (s.find('E') == std::string::npos || std::fabs(v) >= 1) return s;
    // A small number: as many decimals as 15 characters hold.
    char buf[64];
    for (int decimals = 14; decimals >= 0; --decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        if (std::strlen(buf) <= 15) break;
    }
    std::string t = buf;
    if (t.find('.') != std::string::npos) {
        while (t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
    }
    if (t == "-0" || t.empty()) t = "0";
    return t;
}

TExtractResult ExtractNetwork(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                              const TCompiledLines& lines, const std::string& fileName,
                              const TExtractOptions& options, TMessageSink& sink, const TExtractProgress& progress)
{
    TExtractor x(net, settings, view, lines, options, progress);
    TExtractResult r = options.Mode == SeparationDBase ? ExtractTable(x, fileName) : ExtractText(x, fileName);
    if (r.ErrorCode == 0 && !options.Quiet)
        ShowMessageText(sink, std::to_string(r.Records) + " Records written", "Extract", MB_STOP_OK);
    return r;
}

TExtractResult RunExtract(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                          const TExtractFormats& formats, const std::string& fileName, bool quiet,
                          TMessageSink& sink, const TExtractProgress& progress)
{
    TExtractOptions o;
    o.Mode = formats.SeparationMode <= 3 ? formats.SeparationMode : SeparationColumnar;
    o.FilterNoLinks = formats.FilterNodesWithoutLinks != 0;
    o.OnlyPolygons = formats.OnlyNodesWithPolygons != 0;
    o.Quiet = quiet;
    TExtractResult r = ExtractNetwork(net, settings, view, CompileTemplateLines(net, formats), fileName, o, sink,
                                      progress);
    if (r.ErrorCode != 0) ShowMessageText(sink, "Cannot create extract file.", "Extract", MB_EXCLAMATION_OK);
    return r;
}
