#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"

using namespace netfile;

namespace {

void WriteSection(TTextWriter& w, const TWidthSettings& s, int n, bool legends)
{
    auto pairReal = [&](double a, double b) {
        w.WriteReal(a);
        w.WriteChar(' ');
        w.WriteReal(b);
        w.WriteLn();
    };
    auto pairInt = [&](int32_t a, int32_t b) {
        w.WriteInt(a);
        w.WriteChar(' ');
        w.WriteInt(b);
        w.WriteLn();
    };
    for (int k = 1; k <= n; ++k) pairReal(s.LinkTop[k], s.LinkBottom[k]);
    for (int c = 1; c <= 10; ++c) w.WriteLine(Cut(s.LinkWidthExpressions[c], 255));
    for (int k = 1; k <= n; ++k) pairReal(s.NodeTop[k], s.NodeBottom[k]);
    for (int c = 1; c <= 10; ++c) w.WriteLine(Cut(s.NodeSizeExpressions[c], 255));
    for (int k = 1; k <= n; ++k) pairInt(s.NodeSizes[k], s.LinkWidths[k]);
    if (legends) {
        for (int k = 1; k <= n; ++k) pairInt(s.NodeLegend[k], s.LinkLegend[k]);
        for (int c = 1; c <= 10; ++c) pairInt(s.NodeClassLegend[c], s.LinkClassLegend[c]);
    }
}

// Reads the section with n intervals per block. Returns normally when the
// file ends right after the node size expressions (a short widths file).
void ReadSection(TTextReader& r, TWidthSettings& s, int n, bool legends)
{
    for (int k = 1; k <= n; ++k) {
        s.LinkTop[k] = r.ReadReal();
        s.LinkBottom[k] = r.ReadReal();
        r.ReadLn();
    }
    for (int c = 1; c <= 10; ++c) s.LinkWidthExpressions[c] = ReadLineCut(r, 255);
    for (int k = 1; k <= n; ++k) {
        s.NodeTop[k] = r.ReadReal();
        s.NodeBottom[k] = r.ReadReal();
        r.ReadLn();
    }
    for (int c = 1; c <= 10; ++c) s.NodeSizeExpressions[c] = ReadLineCut(r, 255);
    if (r.SeekEof()) return;
    for (int k = 1; k <= n; ++k) {
        s.NodeSizes[k] = ReadIntIn(r, 0, 255, "node size");
        s.LinkWidths[k] = ReadIntIn(r, 0, 255, "link width");
        r.ReadLn();
    }
    if (legends) {
        for (int k = 1; k <= n; ++k) {
            s.NodeLegend[k] = ReadByte(r);
            s.LinkLegend[k] = ReadByte(r);
            r.ReadLn();
        }
        for (int c = 1; c <= 10; ++c) {
            s.NodeClassLegend[c] = ReadByte(r);
            s.LinkClassLegend[c] = ReadByte(r);
            r.ReadLn();
        }
    }
}

} // namespace

bool WriteWidthSettings(TFileContext& f, const TWidthSettings& w)
{
    GuardWrite(f, [&] {
        const int v = f.WriteVersion;
        WriteSection(*f.OutFile, w, v < 6 ? 10 : MaxWidthIntervals, v >= 7);
    });
    return f.ErrorCode == FileErrorNone;
}

bool ReadWidthSettings(TFileContext& f, TWidthSettings& w)
{
    GuardRead(f, [&] {
        const int v = f.ReadVersion;
        ReadSection(*f.InFile, w, v < 6 ? 10 : MaxWidthIntervals, v >= 7);
    });
    return f.ErrorCode == FileErrorNone;
}

TWidthsFileResult WriteWidthsFile(const std::string& path, const TWidthSettings& w)
{
    TTextWriter out;
    try {
        out.WriteLine(WidthsFileTag);
        WriteSection(out, w, MaxWidthIntervals, true);
    } catch (const std::exception&) {
        return TWidthsFileResult::WriteError;
    }
    std::string error;
    return AtomicWriteFile(path, out.Text(), error) ? TWidthsFileResult::Ok : TWidthsFileResult::WriteError;
}

TWidthsFileResult ReadWidthsFile(const std::string& path, TWidthSettings& w)
{
    TTextReader r;
    std::string error;
    if (!r.LoadFile(path, error)) return TWidthsFileResult::NotAWidthsFile;
    try {
        std::string tag;
        if (!r.TryReadLine(tag)) return TWidthsFileResult::NotAWidthsFile;
        if (tag.size() > 30) tag.resize(30);
        int n;
        if (tag == WidthsFileTag)
            n = MaxWidthIntervals;
        else if (tag == WidthsFileTagV5)
            n = 10;
        else
            return TWidthsFileResult::NotAWidthsFile;
        // Read into a copy so that a failed read leaves the settings whole.
        TWidthSettings copy = w;
        ReadSection(r, copy, n, false);
        w = std::move(copy);
        return TWidthsFileResult::Ok;
    } catch (const std::exception&) {
        return TWidthsFileResult::ReadError;
    }
}
