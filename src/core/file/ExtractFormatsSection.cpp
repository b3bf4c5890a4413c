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
    // An option outside its list is kept as read (a byte field takes the low
    // eight bits): Extract and Update treat an unknown separation mode as
    // columnar and an unknown old/new choice as the update of existing
    // elements, and the dialog shows the first choice.
    auto number = [&] {
        const int32_t v = r.ReadInt();
        r.ReadLn();
        return v;
    };
    auto byte = [&] { return static_cast<uint8_t>(number() & 0xFF); };
    x.SeparationMode = byte();
    x.UpdateOldNew = number();
    x.AssumeNames = byte();
    x.OnlyNodesWithPolygons = byte();
    x.FilterNodesWithoutLinks = byte();
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
