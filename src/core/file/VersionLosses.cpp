#include "core/file/VersionLosses.h"

#include <algorithm>
#include <functional>

#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/file/SettingsSections.h"
#include "core/file/TextFormat.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

bool HasNote(std::string_view note) { return !note.empty() && note != "&&"; }

// The kind a file of the given version keeps for an attribute: the kinds it
// does not know are written as reals (every kind in version 1).
char KindInVersion(char kind, int v)
{
    if (v == 1) return 'R';
    if (v <= 4 && (kind == 'D' || kind == 'I' || kind == 'T' || kind == 'X')) return 'R';
    if (v < 8 && kind == 'S') return 'R';
    return kind;
}

struct TCounts {
    long long ShapePoints = 0, ShapeGeography = 0, Polygons = 0, PolygonShapeVertices = 0, Notes = 0;
    long long Styles = 0, Exclusions = 0, LongLinkNames = 0;
    long long Strings = 0, Dates = 0, Categories = 0, CodePositions = 0, Integers = 0, PastTenth = 0;
    long long Aliases = 0, Hints = 0, SheetCodes = 0, ClassStyles = 0, Criteria = 0;
};

// The elements and their extras, as the body writer walks them.
void CountElements(const TNetwork& net, int v, TCounts& c)
{
    auto activeLinkOf = [](const TShapePoint* sp) {
        if (!sp || !sp->Active || !sp->Link || !sp->Link->LinkValues || !sp->Link->LinkValues->Active) return false;
        const TLinkValues* l = sp->Link->LinkValues;
        return l->ANode && l->BNode && l->ANode->Active && l->BNode->Active;
    };
    // Label styles, label offsets and symbols the version drops.
    auto stylesDropped = [v](uint8_t font, uint8_t place, uint8_t label1, uint8_t label2, uint8_t suppress,
                             int16_t xOffset, int16_t yOffset, uint8_t bitmap) {
        if (v <= 3 && (font || place || label1 || label2 || suppress)) return true;
        auto oldCodeLost = [](uint8_t code) { return code >= 11 && code <= 100; };
        if (v < 6 && (oldCodeLost(label1) || oldCodeLost(label2))) return true;
        return v < 7 && (xOffset || yOffset || bitmap);
    };
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n || !n->Active) continue;
            if (v < 7 && HasNote(n->Note().str())) ++c.Notes;
            bool styleLost = stylesDropped(n->Font, n->Place, n->Label1, n->Label2, n->SuppressLabel, n->LabelXOffset(),
                                           n->LabelYOffset(), n->BitmapOverride);
            if (v < 8 && n->ExcludeFromTriangulation) ++c.Exclusions;
            long long vertices = 0, shapeVertices = 0;
            for (const TNetworkPoint* q : n->OwnPolygon()) {
                if (const TNode* vn = q->AsNode()) {
                    if (vn->Active) ++vertices;
                } else if (activeLinkOf(q->AsShapePoint())) {
                    ++vertices;
                    ++shapeVertices;
                }
            }
            if (v <= 3 && vertices > 0) ++c.Polygons;
            if (v >= 4 && v < 7) c.PolygonShapeVertices += shapeVertices;
            if (v >= 4 && v < 6 && n->PolygonStyle > 10 && vertices > 0) styleLost = true;
            if (styleLost) ++c.Styles;

            for (const TLink* h : n->Links) {
                if (h->AEnd() != 1 || !h->LinkValues || !h->LinkValues->Active || !h->FarNode || !h->FarNode->Active)
                    continue;
                const TLinkValues& l = *h->LinkValues;
                if (v < 6) {
                    c.ShapePoints += l.ShapePoints.GetCount();
                } else if (v < 8) {
                    for (const TShapePoint* sp : l.ShapePoints)
                        if (sp->Longitude || sp->Latitude || sp->Elevation) ++c.ShapeGeography;
                }
                if (v < 7 && HasNote(l.Note.str())) ++c.Notes;
                if (stylesDropped(l.Font, l.Place, l.Label1, l.Label2, l.SuppressLabel, l.LabelXOffset, l.LabelYOffset,
                                  l.BitmapOverride))
                    ++c.Styles;
                if (v < 8 && l.ExcludeShapesFromTriangulation) ++c.Exclusions;
                if (v < 8 && l.Name.view().size() > 30) ++c.LongLinkNames;
            }
        }
}

// One attribute that the file writes, by what its version keeps of it.
void CountAttribute(const TAttrib& a, int v, TCounts& c)
{
    if (v < 9 && !a.Alias.empty()) ++c.Aliases;
    const char kept = KindInVersion(a.Kind, v);
    if (kept != a.Kind) {
        switch (a.Kind) {
        case 'S': ++c.Strings; break;
        case 'D':
        case 'T':
        case 'X': ++c.Dates; break;
        case 'C': ++c.Categories; break;
        case 'I': ++c.Integers; break;
        default: break;
        }
    } else if (a.Kind == 'C' && v < 6 && a.TopRow > 6) {
        ++c.CodePositions;
    }
    if (a.WorkSheet && a.TopRow > 0) {
        bool hints = false, codes = false;
        for (int r = 0; r <= std::min(a.TopRow, MaxWorkSheetRow); ++r) {
            hints = hints || !a.WorkSheet->Rows[size_t(r)].Hint.empty();
            codes = codes || !a.WorkSheet->Rows[size_t(r)].Codes.empty();
        }
        if (v < 6 && hints) ++c.Hints;
        if (v == 1 && codes) ++c.SheetCodes;
    }
}

void CountClasses(const TEntityClass& classes, int v, TCounts& c)
{
    for (int k = 0; k <= MaxClasses; ++k) {
        const TClassRecord& rec = classes[k];
        const int count = std::clamp(rec.AttributeCount, 0, MaxAttributes);
        const int written = v < 6 ? std::min(count, 10) : count;
        for (int i = 1; i <= count; ++i) {
            const TAttrib* a = rec.Attr(i);
            if (i > written)
                ++c.PastTenth;
            else if (a)
                CountAttribute(*a, v, c);
        }
        if (v < 9 && !rec.Alias.empty()) ++c.Aliases;
        bool pies = false;
        for (int i = 1; i <= 10; ++i) pies = pies || rec.PieSlices[size_t(i)] != 0;
        if ((v < 7 && (rec.Arrow || rec.Width > 10)) || (v < 6 && rec.Color > 10) || (v < 8 && pies)) ++c.ClassStyles;
    }
    // Search criteria: the classes searched and the bounds of their attributes.
    for (int k = 1; k <= CountEntityTypes(classes); ++k) {
        const TClassRecord& rec = classes[k];
        if (v < 4 && rec.SearchClass) ++c.Criteria;
        for (int i = 1; i <= ClassAttributeCount(&classes, k); ++i) {
            const TAttrib* a = rec.Attr(i);
            if (a && a->Active && (v < 4 || (v < 6 && i > 10) || KindInVersion(a->Kind, v) != a->Kind)) ++c.Criteria;
        }
    }
}

void CountSystemAttributes(const TNetwork& net, int v, TCounts& c)
{
    const TClassRecord& rec = (*net.SystemClass)[1];
    for (int i = 1; i <= 35; ++i) {
        const TAttrib* a = rec.Attr(i);
        if (!a || a->Name.empty()) continue;
        if (v < 6 && i > 10)
            ++c.PastTenth;
        else
            CountAttribute(*a, v, c);
    }
}

bool TemplateHoldsSomething(const TNode& n, const TLinkValues& l)
{
    return n.EntityType != 0 || !n.Name.view().empty() || n.Font || n.Place || n.Label1 || n.Label2 ||
           n.SuppressLabel || l.EntityType != 0 || !l.Name.view().empty() || l.Font || l.Place || l.Label1 ||
           l.Label2 || l.SuppressLabel;
}

// A settings section as version 9 writes it.
std::string SectionText(const std::function<void(TFileContext&)>& write)
{
    TTextWriter out;
    TFileContext f;
    f.OutFile = &out;
    f.WriteVersion = 9;
    write(f);
    return f.ErrorCode == FileErrorNone ? out.Text() : std::string();
}

// The settings sections of the window that the version does not keep whole:
// each as the newest version writes it, for the window's settings and for
// what a window opening the older file would read of them.
void CompareSettings(const TWindowSettings& s, int v, std::vector<TVersionLoss>& out)
{
    using TWrite = std::function<void(TFileContext&, const TWindowSettings&)>;
    using TRead = std::function<void(TFileContext&, TWindowSettings&)>;
    struct TSection {
        int From;
        TWrite Write;
        TRead Read;
        const char* Name;
    };
    constexpr int BackgroundsFrom = 6;
    const TSection sections[] = {
        {4, [](TFileContext& f, const TWindowSettings& w) { WriteLabelSettings(f, w.Labels); },
         [](TFileContext& f, TWindowSettings& w) { ReadLabelSettings(f, w.Labels); }, "the label settings"},
        {4, [](TFileContext& f, const TWindowSettings& w) { WriteWidthSettings(f, w.Widths); },
         [](TFileContext& f, TWindowSettings& w) { ReadWidthSettings(f, w.Widths); }, "the width and size settings"},
        {4, [](TFileContext& f, const TWindowSettings& w) { WriteDisplaySettings(f, w.Display, w.Widths); },
         [](TFileContext& f, TWindowSettings& w) { ReadDisplaySettings(f, w.Display, w.Widths); },
         "the display settings"},
        {5, [](TFileContext& f, const TWindowSettings& w) { WriteLayers(f, w); },
         [](TFileContext& f, TWindowSettings& w) { ReadLayers(f, w); }, "the layers"},
        {BackgroundsFrom, [](TFileContext& f, const TWindowSettings& w) { WriteBackgrounds(f, w); },
         [](TFileContext& f, TWindowSettings& w) { ReadBackgrounds(f, w); }, "the backgrounds"},
        {8, [](TFileContext& f, const TWindowSettings& w) { WriteLongLat(f, w); },
         [](TFileContext& f, TWindowSettings& w) { ReadLongLat(f, w); }, "the long/lat and units settings"},
        {7, [](TFileContext& f, const TWindowSettings& w) { WriteTitleBlock(f, w.Description); },
         [](TFileContext& f, TWindowSettings& w) { ReadTitleBlock(f, w.Description); }, "the title block"},
        {9, [](TFileContext& f, const TWindowSettings& w) { WriteExtractFormats(f, w.ExtractFormats); },
         [](TFileContext& f, TWindowSettings& w) { ReadExtractFormats(f, w.ExtractFormats); },
         "the extract/update formats"},
    };
    // What a file of a version keeps, read back into a new window's settings.
    auto keptBy = [&](int version) {
        TTextWriter file;
        TFileContext f;
        f.OutFile = &file;
        f.WriteVersion = version;
        for (const TSection& section : sections)
            if (version >= section.From) section.Write(f, s);
        TTextReader in(file.Text());
        TFileContext r;
        r.InFile = &in;
        r.ReadVersion = version;
        TWindowSettings kept;
        for (const TSection& section : sections)
            if (version >= section.From) section.Read(r, kept);
        // A start name that is empty names no node (the path search passes
        // it over); the older files hold one name a set, empty for none.
        for (auto& names : kept.Display.ShortestPath.StartNames)
            std::erase_if(names, [](const std::string& name) { return name.empty(); });
        return kept;
    };
    // Measured against the newest version, which drops only what no version keeps.
    const TWindowSettings newest = keptBy(9), older = keptBy(v);
    for (const TSection& section : sections) {
        if (SectionText([&](TFileContext& f) { section.Write(f, newest); }) ==
            SectionText([&](TFileContext& f) { section.Write(f, older); }))
            continue;
        // Backgrounds the version has no room for are counted.
        long long named = 0;
        if (section.From == BackgroundsFrom && v < BackgroundsFrom)
            for (int i = 1; i <= 10; ++i)
                named += !s.Backgrounds.Raster[size_t(i)].FileName.empty() + !s.Backgrounds.Metafile[size_t(i)].FileName.empty();
        if (named > 0)
            out.push_back({named, "# background", "# backgrounds"});
        else
            out.push_back({-1, section.Name, section.Name});
    }
}

std::string Grouped(long long n)
{
    std::string digits = std::to_string(n < 0 ? -n : n), r;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) r += ',';
        r += digits[i];
    }
    return n < 0 ? "-" + r : r;
}

} // namespace

std::string TVersionLoss::Text() const
{
    std::string t = Count == 1 ? One : Many;
    if (const size_t at = t.find('#'); at != std::string::npos) t.replace(at, 1, Grouped(Count));
    return t;
}

std::vector<TVersionLoss> WhatVersionDrops(const TNetwork& net, const TWindowSettings& settings, int v)
{
    std::vector<TVersionLoss> r;
    if (!NetworkFileTag(v) || v >= 9) return r;
    TCounts c;
    CountElements(net, v, c);
    CountClasses(*net.NodeClasses, v, c);
    CountClasses(*net.LinkClasses, v, c);
    CountSystemAttributes(net, v, c);
    auto add = [&r](long long n, const char* one, const char* many) {
        if (n > 0) r.push_back({n, one, many});
    };
    add(c.ShapePoints, "# shape point", "# shape points");
    add(c.Polygons, "# polygon", "# polygons");
    add(c.Notes, "# note", "# notes");
    add(c.Strings, "the values of # 'S' attribute", "the values of # 'S' attributes");
    add(c.Dates, "the values of # date or time attribute", "the values of # date and time attributes");
    add(c.Categories, "the values of # categorical attribute", "the values of # categorical attributes");
    add(c.CodePositions, "the code characters past the sixth of # categorical attribute",
        "the code characters past the sixth of # categorical attributes");
    add(c.Integers, "the integer type of # attribute", "the integer type of # attributes");
    add(c.PastTenth, "# attribute past the tenth of its class", "# attributes past the tenth of their class");
    add(c.PolygonShapeVertices, "# polygon vertex at a shape point", "# polygon vertices at shape points");
    add(c.ShapeGeography, "the long/lat and elevation of # shape point", "the long/lat and elevations of # shape points");
    add(c.LongLinkNames, "the end of # link name longer than 30 characters",
        "the ends of # link names longer than 30 characters");
    add(c.Styles, "the label or symbol style of # node or link", "the label and symbol styles of # nodes and links");
    add(c.Exclusions, "the triangulation exclusion of # node or link", "the triangulation exclusions of # nodes and links");
    add(c.ClassStyles, "the style of # class", "the styles of # classes");
    add(c.Aliases, "the alias of # class or attribute", "the aliases of # classes and attributes");
    add(c.Hints, "the hints of # worksheet", "the hints of # worksheets");
    add(c.SheetCodes, "the codes of # worksheet", "the codes of # worksheets");
    add(c.Criteria, "# search criterion", "# search criteria");
    if (v < 6 && TemplateHoldsSomething(net.TemplateNode, net.TemplateLinkValues))
        r.push_back({-1, "the initial node and link attributes", "the initial node and link attributes"});
    if (v < 5 && !settings.Title.empty()) r.push_back({-1, "the title", "the title"});
    if (v >= 5 && v < 8 && settings.Title.size() > 30)
        r.push_back({-1, "the end of the title", "the end of the title"});
    const TPolygonCriterion& pc = settings.Search.PolygonCriterion;
    if (v < 5 && ((pc.Owner && pc.Owner->Active) || pc.ApplyToNodes || pc.ApplyToLinks || pc.Outside || pc.BothEnds))
        r.push_back({-1, "the polygon criterion", "the polygon criterion"});
    CompareSettings(settings, v, r);
    return r;
}

std::string VersionLossQuestion(const std::string& versionName, const std::vector<TVersionLoss>& losses)
{
    std::string t = versionName + " does not keep: ";
    for (size_t i = 0; i < losses.size(); ++i) t += (i ? ", " : "") + losses[i].Text();
    return t + ".";
}
