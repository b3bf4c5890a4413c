// Files for batch runs: a network of two named zones with a count, the
// extract/update formats that read the count by name, and a table of counts.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/file/NetworkFile.h"
#include "core/file/SettingsSections.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace batchtest {

// Writes dir/net.dta (zones "n1" and "n2", class "Zone", attribute alias
// "CNT"), dir/f.xup (node class 1: "NNAME,CNT", commas) and dir/u.txt (counts
// 5 and 6). False when a file could not be written.
inline bool WriteCountFiles(const std::filesystem::path& dir, TMessageSink& sink)
{
    TNetwork net;
    TWindowSettings settings;
    TClassRecord& zone = (*net.NodeClasses)[1];
    zone.Name = "Zone";
    zone.AttributeCount = 1;
    zone.Attributes[1] = std::make_unique<TAttrib>();
    zone.Attributes[1]->Alias = zone.Attributes[1]->AliasKey = "CNT";
    for (int i = 1; i <= 2; ++i) {
        THashEntry* cell;
        TNode* n = AddNode(net, i * 100, 50, cell, false, 1);
        n->EntityType = 1;
        n->Name = "n" + std::to_string(i);
    }
    if (!SaveNetworkFile(net, settings, (dir / "net.dta").string(), 9, sink).Ok) return false;
    TExtractFormats x;
    x.NodeTemplates[1] = "NNAME,CNT";
    x.SeparationMode = 1; // commas
    if (!WriteExtractFormatsFile((dir / "f.xup").string(), x)) return false;
    std::ofstream(dir / "u.txt", std::ios::binary) << "n1,5\r\nn2,6\r\n";
    return true;
}

} // namespace batchtest
