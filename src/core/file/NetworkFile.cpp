#include "core/file/NetworkFile.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/file/AppendClasses.h"
#include "core/file/EntityClassSection.h"
#include "core/file/NetFileIO.h"
#include "core/file/SettingsSections.h"
#include "core/file/TextFormat.h"
#include "core/model/DisplaySettings.h"
#include "core/model/ExtractFormats.h"
#include "core/model/LabelSettings.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/SearchSettings.h"
#include "core/model/TitleBlock.h"
#include "core/model/WidthSettings.h"
#include "core/model/WindowSettings.h"

using namespace netfile;

namespace {

const char* const Tags[10] = {nullptr,    "ZOK 1.0",  nullptr,    "ZOK 1.03", "ZOK 1.04",
                              "ZOK 1.05", "ZOK 1.06", "ZOK 1.07", "ZOK 1.08", "ZOK 1.09"};

// String-table texts of a refused append.
constexpr int MsgNothingAppended = 296;
constexpr int MsgAppendCaption = 297;

int SystemAttributeBlocks(int version) { return version < 6 ? 10 : 35; }

std::string Padded(std::string_view s, std::size_t n)
{
    std::string out(Cut(s, n));
    out.resize(n, ' ');
    return out;
}

// The width-23 form; a value that is not a number is written as 0 and counted.
std::string RealField(double v, int& realErrors)
{
    std::string s = Real23Text(v);
    if (s.empty()) {
        ++realErrors;
        s = Real23Text(0);
    }
    return s;
}

TAttrib& SystemAttribute(TNetwork& net, int i)
{
    auto& slot = (*net.SystemClass)[1].Attributes[i];
    if (!slot) slot = std::make_unique<TAttrib>();
    return *slot;
}

// ------------------------------------------------------- system attributes

void WriteSystemBlock(TTextWriter& w, const TAttrib& a, const TValueSlot& value, const std::string& text, int v,
                      int& realErrors)
{
    auto Real = [&](double x) { return RealField(x, realErrors); };
    const std::string B8(8, ' ');
    const char kind = a.Kind;
    int32_t top = std::clamp<int32_t>(a.TopRow, 0, MaxWorkSheetRow);
    if (kind == 'C' && v < 6 && top > 6) top = 6;
    std::string line = Padded(a.Name, 30);
    if (v >= 9) line += Padded(a.Alias, 10);
    const std::string T = std::to_string(top);
    const std::string F = std::to_string(a.Form);
    const std::string tail = T + " " + F + " " + std::string(Cut(a.Description, 50));
    auto realLine = [&](double r) { line += "  " + Real(r) + " " + B8 + " " + tail; };
    if (v == 1) {
        const double r = (kind == 'I' || kind == 'R') ? value.Real() : 0.0;
        line += " " + Real(r) + " " + B8 + " " + tail;
    } else {
        switch (kind) {
        case 'I':
            if (v <= 4)
                realLine(value.Real());
            else if (v <= 7)
                line += " I " + Real(value.Real()) + " " + B8 + " " + tail;
            else
                line += " I " + Real(value.Real()) + B8 + " " + tail;
            break;
        case 'C': {
            std::string code = UnpackShortText(value);
            code.resize(v < 6 ? 6 : 8, ' ');
            line += " C " + code + " " + B8;
            line += v >= 8 ? std::string(15, ' ') : std::string(" ");
            line += tail;
            break;
        }
        case 'D':
        case 'T':
        case 'X':
            if (v <= 4) {
                line += " " + Real(0) + " " + B8 + " " + tail;
            } else {
                line += std::string(" ") + kind + " " + Padded(DateTimeText(value, false, DateTimeModeOfKind(kind)), 20) +
                        " " + B8 + (v >= 8 ? "   " : " ") + tail;
            }
            break;
        case 'S':
            if (v <= 7)
                realLine(0);
            else
                line += " S " + Padded(text, 30) + "  " + tail;
            break;
        default:
            realLine(value.Real());
            break;
        }
    }
    w.WriteLine(line);
    if (top >= 1) {
        // The header announced top + 1 rows: write them even when the
        // attribute has no worksheet, so the file reads back.
        static const TWorkSheetRow emptyRow;
        for (int r = 0; r <= top; ++r) {
            const TWorkSheetRow& row = a.WorkSheet ? a.WorkSheet->Rows[r] : emptyRow;
            std::string rl = Padded(row.Label, 30) + " " + Real(row.Low) + " " + Real(row.High) + " ";
            rl += v == 1 ? B8 : std::string(Cut(row.Codes, 30));
            w.WriteLine(rl);
            if (v >= 6) w.WriteLine(row.Hint);
        }
    }
}

// One attribute block: its definition, worksheet rows and value.
void ReadSystemBlock(TTextReader& r, int v, TAttrib& a, TValueSlot& value, TStringList& strings)
{
    std::string name, alias;
    char kind = 'R';
    int32_t top = 0, form = 0;
    bool pushedString = false;
    if (v == 1) {
        name = r.ReadText(30);
        r.ReadChar();
        value.SetReal(r.ReadReal());
        r.ReadChar();
        r.SkipChars(8);
        top = r.ReadInt();
        form = r.ReadInt();
    } else {
        name = r.ReadText(30);
        if (v >= 9) alias = r.ReadText(10);
        r.ReadChar();
        kind = r.ReadChar();
        switch (kind) {
        case ' ':
            kind = 'R';
            value.SetReal(r.ReadReal());
            r.ReadChar();
            r.SkipChars(8);
            break;
        case 'C': {
            r.ReadChar();
            std::string code = r.ReadText(v < 6 ? 6 : 8);
            code.resize(8, ' ');
            value = PackShortText(code);
            break;
        }
        case 'D':
        case 'T':
        case 'X': {
            r.ReadChar();
            value = DateTimeField(r.ReadTextView(20), kind);
            break;
        }
        case 'I':
        case 'R':
            value.SetReal(r.ReadReal());
            break;
        case 'S': {
            r.ReadChar();
            std::string s = r.ReadText(30);
            while (!s.empty() && s.back() == ' ') s.pop_back();
            strings.push_back(std::move(s));
            pushedString = true;
            value = TValueSlot{};
            break;
        }
        default:
            throw TFileReadError("unknown attribute kind");
        }
        top = r.ReadInt();
        form = r.ReadInt();
    }
    std::string description;
    if (!r.Eoln()) {
        r.ReadChar();
        description = r.ReadText(50);
    }
    r.ReadLn();
    TrimName30(name);
    TrimName10(alias);
    if (name.empty()) {
        kind = 'R';
        if (pushedString) strings.pop_back();
    }
    if (top < 0 || top > MaxWorkSheetRow) throw TFileReadError("worksheet row count out of range");
    a.Name = name;
    a.Alias = alias;
    a.AliasKey = alias;
    for (char& c : a.AliasKey) c = char(std::toupper(static_cast<unsigned char>(c)));
    a.Kind = kind;
    a.TopRow = top;
    a.Form = form;
    a.Description = description;
    a.WorkSheet.reset();
    if (top > 0) {
        a.WorkSheet = std::make_unique<TWorkSheet>();
        ReadWorkSheetRows(r, v, *a.WorkSheet, top);
    }
}

// ------------------------------------------------------- the drivers' helpers

void CopyTemplateNode(TNode& dst, const TNode& src)
{
    dst.EntityType = src.EntityType;
    dst.Name = src.Name;
    dst.SetNote(src.Note());
    dst.Font = src.Font;
    dst.Place = src.Place;
    dst.Layer = src.Layer;
    dst.PolygonStyle = src.PolygonStyle;
    dst.BitmapOverride = src.BitmapOverride;
    dst.SuppressLabel = src.SuppressLabel;
    dst.ExcludeFromTriangulation = src.ExcludeFromTriangulation;
    dst.Label1 = src.Label1;
    dst.Label2 = src.Label2;
    dst.SetLabelOffset(src.LabelXOffset(), src.LabelYOffset());
    dst.Strings = src.Strings;
    ResizeValues(dst, SlotCount(src));
    for (int i = 0; i < SlotCount(src); ++i) dst.Values[size_t(i)] = src.Values[size_t(i)];
}

void CopyTemplateLink(TLinkValues& dst, const TLinkValues& src)
{
    dst.CopyStyleFrom(src);
    ResizeValues(dst, SlotCount(src));
    for (int i = 0; i < SlotCount(src); ++i) dst.Values[size_t(i)] = src.Values[size_t(i)];
}

// Moves every point of the scratch network into the network's hash. Points of
// one cell keep their order before any point already at the same key.
void MergePoints(TNetwork& net, TNetwork& scratch)
{
    std::vector<THashEntry*> touched;
    for (THashEntry* cell : scratch.NodeHash) {
        THashEntry* last = nullptr;
        for (int32_t i = cell->Points.GetCount() - 1; i >= 0; --i) {
            TNetworkPoint* p = cell->Points.At(i);
            THashEntry* target = net.NodeHash.FindOrAddCell(p->X, p->Y);
            net.NodeHash.InsertPoint(target, p);
            if (target != last) {
                touched.push_back(target);
                last = target;
            }
        }
        cell->Points.Clear();
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (THashEntry* cell : touched) {
        for (TNetworkPoint* p : cell->Points) cell->IncludePoint(p);
        UpdateCellLinkBox(net, cell);
        UpdateCellPolygonBox(net, cell);
    }
    RecomputeLinkReach(net);
}

// The highest serial of the network's nodes (deleted ones too: they may come back).
int32_t HighestSerial(const TNetwork& net)
{
    int32_t highest = 0;
    ForEachNode(net, [&](const TNode* n) { highest = std::max(highest, n->Serial); });
    return highest;
}

// The sections after the classes, up to the body: the window's settings, and
// the search criteria into the classes of net.
void ReadSettingsAfterClasses(TFileContext& f, TNetwork& net, TWindowSettings& settings)
{
    const int v = f.ReadVersion;
    if (v >= 4) {
        ReadLabelSettings(f, settings.Labels);
        ReadWidthSettings(f, settings.Widths);
        ReadDisplaySettings(f, settings.Display, settings.Widths);
        ReadSearchCriteria(f, net);
    }
    if (v >= 5) ReadLayers(f, settings);
    if (v >= 6) ReadBackgrounds(f, settings);
    if (v >= 8) ReadLongLat(f, settings);
    if (v >= 7) ReadTitleBlock(f, settings.Description);
    if (v >= 9 && f.ErrorCode == FileErrorNone && !ReadExtractFormats(f, settings.ExtractFormats)) {
        f.ErrorCode = FileErrorRead;
        f.ErrorDetail = "extract/update formats";
    }
}

// The sections between the tag line and the body of a whole-network read.
void ReadSettingsSections(TFileContext& f, TNetwork& net, TWindowSettings& settings)
{
    ReadSchemaSection(f, net);
    ReadEntityClasses(f, *net.NodeClasses);
    ReadEntityClasses(f, *net.LinkClasses);
    ReadSettingsAfterClasses(f, net, settings);
}

// The message of an append refused: the file, and that nothing changed.
std::string AppendRefusedText(const std::string& fileName, int errorCode)
{
    std::string text = "Network Read Error " + std::to_string(errorCode);
    text += MessageLineBreak;
    text += fileName;
    text += MessageLineBreak;
    text += MessageText(MsgNothingAppended);
    return text;
}

std::string IllegalLinksText(int redundant, int looped, int withoutEnds)
{
    std::string text = "Illegal Links Detected.";
    text += MessageLineBreak;
    text += std::string(Cut("Redundant Links = " + std::to_string(redundant), 80));
    text += MessageLineBreak;
    text += std::string(Cut("Looped Links = " + std::to_string(looped), 80));
    if (withoutEnds > 0) {
        text += MessageLineBreak;
        text += "Links without end nodes = " + std::to_string(withoutEnds);
    }
    return text;
}

} // namespace

const TNetworkFileFilter NetworkFileFilters[NetworkFileFilterCount] = {
    {"ZOK Network (*.dta)", "dta"},          {"Versions 1-2 Network (*.dt1)", "dt1"},
    {"Versions 3-4 Network (*.dt2)", "dt2"}, {"Version 5 Network (*.dt3)", "dt3"},
    {"Version 5.1 Network (*.dt4)", "dt4"},  {"Version 6 Network (*.dt5)", "dt5"},
    {"Version 7 Network (*.dt6)", "dt6"},    {"Version 8 Network (*.dt7)", "dt7"},
};

int WriteVersionOfFilter(int index)
{
    if (index == 2) return 1;
    if (index >= 3 && index <= 8) return index;
    return 9;
}

std::string NetworkFileVersionName(int version)
{
    for (int i = 2; i <= NetworkFileFilterCount; ++i) {
        if (WriteVersionOfFilter(i) != version) continue;
        std::string name = NetworkFileFilters[i - 1].Name;
        name = name.substr(0, name.find(" Network"));
        // "Versions 1-2" writes the first of the two.
        if (name.rfind("Versions ", 0) == 0) name = "Version " + name.substr(9, name.find('-') - 9);
        return name;
    }
    return "Version " + std::to_string(version);
}

const char* NetworkFileTag(int version) { return (version >= 0 && version <= 9) ? Tags[version] : nullptr; }

int NetworkFileVersionOfTag(std::string_view line)
{
    line = Cut(line, 30);
    for (int v = 1; v <= 9; ++v)
        if (Tags[v] && line == Tags[v]) return v;
    return 0;
}

void WriteSystemAttributes(TFileContext& f, const TNetwork& net, int& realErrors)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        const int v = f.WriteVersion;
        w.WriteLine(NetworkFileTag(v));
        const TClassRecord& rec = (*net.SystemClass)[1];
        const TAttrib blank;
        for (int i = 1; i <= SystemAttributeBlocks(v); ++i) {
            const TAttrib* a = rec.Attr(i);
            if (!a) a = &blank;
            std::string text;
            if (a->Kind == 'S' && a->StringIndex < net.SystemStrings.size()) text = net.SystemStrings[a->StringIndex];
            WriteSystemBlock(w, *a, net.SystemValues[i], text, v, realErrors);
        }
    });
}

void ReadSchemaSection(TFileContext& f, TNetwork& net)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        const int v = f.ReadVersion;
        const int m = SystemAttributeBlocks(v);
        TStringList strings;
        TClassRecord& rec = (*net.SystemClass)[1];
        for (int i = 1; i <= m; ++i) ReadSystemBlock(r, v, SystemAttribute(net, i), net.SystemValues[i], strings);
        int count = 0;
        for (int i = m; i >= 1; --i)
            if (rec.Attr(i) && !rec.Attr(i)->Name.empty()) {
                count = i;
                break;
            }
        rec.AttributeCount = count;
        NumberStringAttributes(*net.SystemClass);
        net.SystemStrings = std::move(strings);
    });
}

void ReadSchemaForAppend(TFileContext& f, TNetwork& scratch, TWindowSettings& settings)
{
    ReadSchemaSection(f, scratch);
    ReadEntityClasses(f, *scratch.NodeClasses);
    ReadEntityClasses(f, *scratch.LinkClasses);
    if (f.ErrorCode != FileErrorNone) return;
    // The rest of the head is read as an open reads it, so that a file out of
    // step is refused as an open refuses it; its search criteria go to
    // classes of their own, thrown away with settings.
    TNetwork criteria;
    criteria.NodeClasses = CloneEntityClasses(*scratch.NodeClasses);
    criteria.LinkClasses = CloneEntityClasses(*scratch.LinkClasses);
    ReadSettingsAfterClasses(f, criteria, settings);
    GuardRead(f, [&] {
        if (Cut(f.InFile->ReadLine(), 30) != "END OF APPLICATION") throw TFileReadError("END OF APPLICATION expected");
    });
}

void ResetNetworkVariables(TNetwork& net)
{
    for (int i = 1; i <= 35; ++i) {
        net.SystemValues[i] = TValueSlot{};
        TAttrib& a = SystemAttribute(net, i);
        a = TAttrib{};
        a.Description = std::string(50, ' ');
    }
}

void WriteLayers(TFileContext& f, const TWindowSettings& settings)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        for (int i = 1; i <= 10; ++i) {
            int32_t state = settings.Layers.LayerStates[i];
            if (f.WriteVersion < 7 && state >= 1) state = 1;
            w.WriteInt(state);
            w.WriteChar(' ');
            w.WriteLine(Cut(settings.Layers.LayerNames[i], 30));
        }
    });
}

void ReadLayers(TFileContext& f, TWindowSettings& settings)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        for (int i = 1; i <= 10; ++i) {
            settings.Layers.LayerStates[i] = r.ReadInt();
            r.ReadChar();
            settings.Layers.LayerNames[i] = r.ReadText(30);
            r.ReadLn();
        }
    });
}

void WriteBackgrounds(TFileContext& f, const TWindowSettings& settings)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        const TBackgrounds& b = settings.Backgrounds;
        auto placement = [&](int flag, const TBackgroundSlot& s) {
            w.WriteText("0 ");
            w.WriteInt(flag);
            for (double x : {s.X, s.Y, s.XScale, s.YScale}) {
                w.WriteChar(' ');
                w.WriteReal(x);
            }
            w.WriteLn();
        };
        // The order byte of the backgrounds (1: metafiles over the rasters):
        // the raster lines hold its negation, the metafile lines the byte.
        const int onTop = b.MetafilesOnTop ? 1 : 0;
        for (int i = 1; i <= 10; ++i) {
            w.WriteLine(b.Raster[i].FileName);
            placement(1 - onTop, b.Raster[i]);
        }
        for (int i = 1; i <= 10; ++i) {
            const TBackgroundSlot& s = b.Metafile[i];
            if (s.FileName == "Clipboard") {
                w.WriteLn();
                w.WriteText("0 ");
                w.WriteInt(onTop);
                w.WriteText(" 0.0 0.0 1.0 1.0");
                w.WriteLn();
            } else {
                w.WriteLine(s.FileName);
                placement(onTop, s);
            }
        }
    });
}

void ReadBackgrounds(TFileContext& f, TWindowSettings& settings)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        TBackgrounds& b = settings.Backgrounds;
        for (int k = 0; k < 20; ++k) {
            TBackgroundSlot& s = k < 10 ? b.Raster[k + 1] : b.Metafile[k - 9];
            s.FileName = r.ReadLine();
            r.ReadInt();
            const int32_t flag = r.ReadInt();
            if (k == 0) b.MetafilesOnTop = flag == 0 ? 1 : 0;
            s.X = r.ReadReal();
            s.Y = r.ReadReal();
            s.XScale = r.ReadReal();
            s.YScale = r.ReadReal();
            r.ReadLn();
        }
    });
}

void WriteLongLat(TFileContext& f, const TWindowSettings& settings)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        const TLongLatSettings& l = settings.LongLat;
        w.WriteInt(l.LongLatMethod);
        for (double x : {l.TranslateX, l.TranslateY, l.PixelsPerDegreeLat}) {
            w.WriteChar(' ');
            w.WriteReal(x);
        }
        w.WriteChar(' ');
        w.WriteInt(l.InterpolationRange);
        w.WriteChar(' ');
        w.WriteInt(l.AutoLongLat ? 1 : 0);
        w.WriteLn();
        w.WriteLine(l.PivotNodeName);
        w.WriteLine(l.SecondNodeName);
        w.WriteInt(settings.UnitsCode);
        w.WriteChar(' ');
        w.WriteReal(settings.UnitsFactor);
        w.WriteLn();
    });
}

void ReadLongLat(TFileContext& f, TWindowSettings& settings)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        TLongLatSettings& l = settings.LongLat;
        l.LongLatMethod = r.ReadInt();
        l.TranslateX = r.ReadReal();
        l.TranslateY = r.ReadReal();
        l.PixelsPerDegreeLat = r.ReadReal();
        l.InterpolationRange = r.ReadInt();
        l.AutoLongLat = r.ReadInt() == 1 ? 1 : 0;
        r.ReadLn();
        l.PivotNodeName = r.ReadLine();
        l.SecondNodeName = r.ReadLine();
        settings.UnitsCode = r.ReadInt();
        const double factor = r.ReadReal();
        // A factor that would divide by zero or flip distances is no factor.
        settings.UnitsFactor = (std::isfinite(factor) && factor > 0) ? factor : 1.0;
        r.ReadLn();
        if (const char* name = UnitsNameForCode(settings.UnitsCode)) settings.UnitsName = name;
    });
}

TSaveResult SaveNetworkFile(TNetwork& net, const TWindowSettings& settings, const std::string& path, int version,
                            TMessageSink& sink, const TFileProgress& progress)
{
    TSaveResult result;
    if (!NetworkFileTag(version)) version = 9;
    TTextWriter out;
    TFileContext f;
    f.OutFile = &out;
    f.WriteVersion = version;
    std::string error;
    if (!out.BeginFile(path, error)) {
        result.ErrorCode = FileErrorWrite;
        result.Detail = error;
        ShowMessageText(sink, "File creation error", "Cannot Write File", MB_STOP_OK);
        return result;
    }
    const int v = version;
    WriteSystemAttributes(f, net, result.RealErrors);
    WriteEntityClasses(f, *net.NodeClasses);
    WriteEntityClasses(f, *net.LinkClasses);
    if (v >= 4) {
        WriteLabelSettings(f, settings.Labels);
        WriteWidthSettings(f, settings.Widths);
        WriteDisplaySettings(f, settings.Display, settings.Widths);
        WriteSearchCriteria(f, net);
    }
    if (v >= 5) WriteLayers(f, settings);
    if (v >= 6) WriteBackgrounds(f, settings);
    if (v >= 8) WriteLongLat(f, settings);
    if (v >= 7) WriteTitleBlock(f, settings.Description);
    if (v >= 9 && f.ErrorCode == FileErrorNone && !WriteExtractFormats(f, settings.ExtractFormats)) {
        f.ErrorCode = FileErrorWrite;
        f.ErrorDetail = out.FailureText();
    }
    WriteNetworkBody(f, net, settings, result.RealErrors, progress);
    if (f.ErrorCode == FileErrorNone) {
        if (!out.Commit(error)) {
            f.ErrorCode = FileErrorWrite;
            f.ErrorDetail = error;
        }
    } else {
        out.Abandon();
    }
    result.ErrorCode = f.ErrorCode;
    result.Detail = f.ErrorDetail;
    result.Ok = f.ErrorCode == FileErrorNone;
    net.SetAllowClose(result.Ok);
    if (!result.Ok)
        ShowMessageText(sink, "Network write error " + std::to_string(f.ErrorCode), "Cannot Write File", MB_STOP_OK);
    if (result.RealErrors > 0)
        ShowMessageText(sink, "Real number errors converted to 0", "Cannot Write File", MB_EXCLAMATION_OK);
    return result;
}

namespace {

TOpenResult OpenFrom(TNetwork& net, TWindowSettings& settings, TTextReader& in, bool loaded,
                     const std::string& loadError, const std::string& fileName, bool open, TMessageSink& sink,
                     const TOpenOptions& options)
{
    TOpenResult result;
    TFileContext f;
    f.InFile = &in;
    if (open) net.FileName = fileName;
    if (!loaded) {
        f.ErrorCode = FileErrorRead;
        f.ErrorDetail = loadError;
    } else {
        // The tag is checked from the first bytes: a file whose first line
        // runs on is refused without reading it whole.
        std::string tag;
        if (in.TryReadShortLine(30, tag)) f.ReadVersion = NetworkFileVersionOfTag(tag);
        if (f.ReadVersion == 0) {
            f.ErrorCode = FileErrorRead;
            f.ErrorDetail = "not a network file";
        }
    }
    result.ReadVersion = f.ReadVersion;

    // An append reads into a scratch network, by the appended file's own
    // classes and after the window's serials; it is merged only when the read
    // succeeds, its elements given the window's classes.
    std::unique_ptr<TNetwork> scratch;
    TWindowSettings scratchSettings;
    TNetwork* target = &net;
    TWindowSettings* targetSettings = &settings;
    if (!open && f.ErrorCode == FileErrorNone) {
        scratch = std::make_unique<TNetwork>();
        scratch->NodeHash.CellWidth = net.NodeHash.CellWidth;
        scratch->NodeHash.CellHeight = net.NodeHash.CellHeight;
        scratch->NodeCount = net.NodeCount;
        scratch->TopSerial = net.TopSerial;
        scratch->MinX = net.MinX;
        scratch->MinY = net.MinY;
        scratch->MaxX = net.MaxX;
        scratch->MaxY = net.MaxY;
        CopyTemplateNode(scratch->TemplateNode, net.TemplateNode);
        CopyTemplateLink(scratch->TemplateLinkValues, net.TemplateLinkValues);
        target = scratch.get();
        targetSettings = &scratchSettings;
    }

    // An append: where its elements go in the window's classes.
    std::unique_ptr<TAppendFit> fit;
    if (f.ErrorCode == FileErrorNone) {
        if (open) {
            ReadSettingsSections(f, net, settings);
            GuardRead(f, [&] { in.ReadLn(); });
            net.MinX = net.MinY = WorldLimit;
            net.MaxX = net.MaxY = -WorldLimit;
        } else {
            TWindowSettings head; // the window keeps its own
            ReadSchemaForAppend(f, *scratch, head);
            if (f.ErrorCode == FileErrorNone)
                fit = std::make_unique<TAppendFit>(net, *scratch->NodeClasses, *scratch->LinkClasses);
        }
    }
    TBodyRead read;
    if (f.ErrorCode == FileErrorNone)
    {
        read.OneByOne = options.FileNodesOneByOne;
        read.Refit = fit.get();
        if (scratch) read.SerialsAfter = HighestSerial(net);
        ReadNetworkBody(f, *target, *targetSettings, read, options.Progress);
        result.Looped = read.Looped;
        result.Redundant = read.Redundant;
        result.WithoutEnds = read.WithoutEnds;
    }
    result.ErrorCode = f.ErrorCode;
    result.Detail = f.ErrorDetail;

    const bool keep = f.ErrorCode == FileErrorNone || f.ErrorCode == FileErrorMemory;
    if (scratch && keep) {
        if (fit) {
            TakeAppendedClasses(net, *scratch, *fit);
            result.Losses = fit->Losses;
        }
        MergePoints(net, *scratch);
        net.Store.TakeOver(scratch->Store);
        net.TakeOverPolygons(*scratch);
        net.NodeCount = scratch->NodeCount;
        net.TopSerial = std::max(net.TopSerial, scratch->TopSerial);
        net.LinkCount += scratch->LinkCount;
        net.MinX = scratch->MinX;
        net.MinY = scratch->MinY;
        net.MaxX = scratch->MaxX;
        net.MaxY = scratch->MaxY;
        // An empty title or an absent criterion of the file leaves the window's.
        if (!scratchSettings.Title.empty()) settings.Title = scratchSettings.Title;
        if (scratchSettings.Search.PolygonCriterion.Owner)
            settings.Search.PolygonCriterion = scratchSettings.Search.PolygonCriterion;
        CopyTemplateNode(net.TemplateNode, scratch->TemplateNode);
        CopyTemplateLink(net.TemplateLinkValues, scratch->TemplateLinkValues);
        net.DropLookupIndexes();
        BeginBulkLoad(net);
        RegridHashTable(net);
        ResizeStringAttributeLists(net);
        if (options.UseAppendedSystemValues && fit) TakeAppendedSystemValues(net, *scratch, result.Losses);
    }

    if (f.ErrorCode == FileErrorNone && (result.Redundant >= 1 || result.Looped > 0 || result.WithoutEnds > 0))
        ShowMessageText(sink, IllegalLinksText(result.Redundant, result.Looped, result.WithoutEnds), "Open/Append",
                        MB_STOP_OK);
    if (result.Losses.Any())
        ShowMessageText(sink, AppendLossesText(result.Losses), "Open/Append", MB_EXCLAMATION_OK);
    if (f.ErrorCode == FileErrorMemory) {
        ShowMessageText(sink, "Memory limits exceeded.", "Network Read Error", MB_EXCLAMATION_OK);
        // What was read is kept, but it is not the whole file: a later Save
        // must not overwrite the file with it.
        net.FileName = DefaultFileName;
        result.Status = TOpenStatus::MemoryLimited;
        return result;
    }
    if (f.ErrorCode != FileErrorNone) {
        if (open)
            ShowMessageText(sink, "Network Read Error " + std::to_string(f.ErrorCode), "Network will be closed.",
                            MB_STOP_OK);
        else
            ShowMessageText(sink, AppendRefusedText(fileName, f.ErrorCode), MessageText(MsgAppendCaption),
                            MB_STOP_OK);
        result.Status = TOpenStatus::Failed;
        return result;
    }
    if (net.NodeHash.PointCount() == 0 && net.LinkCount == 0) {
        bool untitle = true;
        if (options.AskKeepName)
            untitle = ShowMessageText(sink, "Later save to this file name?", "Open", MB_STOP_YESNOCANCEL) == IDNO;
        if (untitle) net.FileName = DefaultFileName;
    }
    result.Status = TOpenStatus::Ok;
    return result;
}

} // namespace

TOpenResult OpenNetworkFile(TNetwork& net, TWindowSettings& settings, const std::string& fileName, bool open,
                            TMessageSink& sink, const TOpenOptions& options)
{
    TTextReader in;
    std::string error;
    const bool loaded = in.LoadFile(fileName, error);
    return OpenFrom(net, settings, in, loaded, error, fileName, open, sink, options);
}

TOpenResult OpenNetworkBytes(TNetwork& net, TWindowSettings& settings, std::string bytes,
                             const std::string& fileName, bool open, TMessageSink& sink, const TOpenOptions& options)
{
    TTextReader in(std::move(bytes));
    return OpenFrom(net, settings, in, true, std::string(), fileName, open, sink, options);
}
