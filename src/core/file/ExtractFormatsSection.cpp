#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"

using namespace netfile;

namespace {

void WriteFormats(TTextWriter& w, const TExtractFormats& x)
{
    for (int c = 1; c <= 10; ++c) w.WriteLine(x.NodeTemplates[c]);
    for (int c = 1; c <= 10; ++c) w.WriteLine(x.LinkTemplates[c]);
    const int32_t numbers[5] = {x.SeparationMode, x.UpdateOldNew, x.AssumeNames, x.OnlyNodesWithPolygons,
                                x.FilterNodesWithoutLinks};
    for (int32_t v : numbers) {
        w.WriteInt(v);
        w.WriteLn();
    }
}

void ReadFormats(TTextReader& r, TExtractFormats& x)
{
    for (int c = 1; c <= 10; ++c) x.NodeTemplates[c] = r.ReadLine();
    for (int c = 1; c <= 10; ++c) x.LinkTemplates[c] = r.ReadLine();
    auto number = [&](int32_t hi, const char* what) {
        const int32_t v = ReadIntIn(r, 0, hi, what);
        r.ReadLn();
        return v;
    };
    x.SeparationMode = static_cast<uint8_t>(number(3, "separation mode"));
    x.UpdateOldNew = number(2, "update old/new");
    x.AssumeNames = static_cast<uint8_t>(number(1, "assume names"));
    x.OnlyNodesWithPolygons = static_cast<uint8_t>(number(1, "only nodes with polygons"));
    x.FilterNodesWithoutLinks = static_cast<uint8_t>(number(1, "filter nodes without links"));
}

} // namespace

bool WriteExtractFormats(TFileContext& f, const TExtractFormats& x)
{
    if (!f.OutFile) return false;
    try {
        WriteFormats(*f.OutFile, x);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ReadExtractFormats(TFileContext& f, TExtractFormats& x)
{
    if (!f.InFile) return false;
    try {
        ReadFormats(*f.InFile, x);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool WriteExtractFormatsFile(const std::string& path, const TExtractFormats& x)
{
    TTextWriter w;
    std::string error;
    try {
        WriteFormats(w, x);
    } catch (const std::exception&) {
        return false;
    }
    return AtomicWriteFile(path, w.Text(), error);
}

bool ReadExtractFormatsFile(const std::string& path, TExtractFormats& x)
{
    TTextReader r;
    std::string error;
    if (!r.LoadFile(path, error)) return false;
    try {
        ReadFormats(r, x);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
