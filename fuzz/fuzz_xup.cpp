// The extract/update formats file (.xup) on arbitrary bytes: reading it must
// end in success or a refusal, never in a crash, a hang or a read out of
// bounds. What it accepts holds numbers in their ranges, writes back and
// reads again to the same record, and its template lines compile for Update
// against a small set of classes into items within the attribute banks.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/file/SettingsSections.h"
#include "core/model/Network.h"
#include "core/tables/TableLayout.h"
#include "core/tables/Update.h"

namespace {

const std::string Path = "/tmp/fuzz_xup_" + std::to_string(::getpid()) + ".xup";
const std::string Again = "/tmp/fuzz_xup_" + std::to_string(::getpid()) + "_again.xup";

struct TRemoveAtExit {
    ~TRemoveAtExit()
    {
        ::unlink(Path.c_str());
        ::unlink(Again.c_str());
    }
};

void Write(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Node class 1 with a real and a code attribute, link class 1 with a string.
TNetwork& Network()
{
    static TNetwork* net = [] {
        auto* n = new TNetwork;
        auto attribute = [](TEntityClass& classes, int cls, const char* name, char kind, const char* alias) {
            TClassRecord& rec = classes[cls];
            const int i = ++rec.AttributeCount;
            rec.Attributes[i] = std::make_unique<TAttrib>();
            rec.Attributes[i]->Name = name;
            rec.Attributes[i]->Kind = kind;
            rec.Attributes[i]->Alias = alias;
        };
        (*n->NodeClasses)[1].Name = "Zone";
        attribute(*n->NodeClasses, 1, "Population", 'R', "POP");
        attribute(*n->NodeClasses, 1, "Type", 'C', "TYP");
        (*n->LinkClasses)[1].Name = "Road";
        attribute(*n->LinkClasses, 1, "Street", 'S', "STR");
        NumberStringAttributes(*n->LinkClasses);
        return n;
    }();
    return *net;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TRemoveAtExit removeAtExit;
    Write(Path, data, size);
    TExtractFormats x;
    if (!ReadExtractFormatsFile(Path, x)) return 0;
    if (x.SeparationMode > 3 || x.UpdateOldNew < 0 || x.UpdateOldNew > 2 || x.AssumeNames > 1 ||
        x.OnlyNodesWithPolygons > 1 || x.FilterNodesWithoutLinks > 1)
        std::abort();
    for (const auto* lines : {&x.NodeTemplates, &x.LinkTemplates})
        for (const std::string& line : *lines)
            if (line.find_first_of("\r\n") != std::string::npos) std::abort();

    // Written and read again, the record is the same.
    if (!WriteExtractFormatsFile(Again, x)) std::abort();
    TExtractFormats y;
    if (!ReadExtractFormatsFile(Again, y) || y.NodeTemplates != x.NodeTemplates ||
        y.LinkTemplates != x.LinkTemplates || y.SeparationMode != x.SeparationMode ||
        y.UpdateOldNew != x.UpdateOldNew || y.AssumeNames != x.AssumeNames ||
        y.OnlyNodesWithPolygons != x.OnlyNodesWithPolygons || y.FilterNodesWithoutLinks != x.FilterNodesWithoutLinks)
        std::abort();

    // The lines compile within their 255 characters and the attribute banks.
    TNetwork& net = Network();
    x.NewNodesTemplate = x.NodeTemplates[1].substr(0, 50);
    x.NewLinksTemplate = x.LinkTemplates[1].substr(0, 50);
    const TUpdateSettings s = UpdateSettingsFor(net, x);
    for (const auto* lines : {&s.Lines.Node, &s.Lines.Link})
        for (const std::string& line : *lines) {
            if (line.size() > 255) std::abort();
            for (const TLayoutItem& item : LayoutItems(line))
                if (item.Attribute < 0 || item.Attribute > 105) std::abort();
        }
    return 0;
}
