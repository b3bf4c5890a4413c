// Scripts, a recording host and files for batch runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/file/NetworkFile.h"
#include "core/file/SettingsSections.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/BatchRun.h"
#include "core/shapes/BatchScript.h"

namespace batchtest {

// A script of the rows given from row 1, names looked for in folder.
inline TBatchScript Script(std::initializer_list<std::pair<int, std::string>> rows,
                           const std::filesystem::path& folder = {})
{
    TBatchScript s;
    int row = 0;
    for (const auto& [code, name] : rows) {
        s.StepOperation[size_t(++row)] = code;
        s.StepFileName[size_t(row)] = name;
    }
    s.Folder = folder.string();
    return s;
}

// Records the host calls of a run (with the file names of their steps); the
// operations named in Fail fail.
class TRecordingHost : public TBatchHost {
public:
    std::vector<std::string> Log;
    std::set<std::string> Fail;
    int Windows = 1;
    std::vector<int> Highlighted, Counted;
    std::function<void()> During; // runs inside every step

    bool Step(const std::string& what, const std::string& path = "")
    {
        Log.push_back(path.empty() ? what : what + " " + std::filesystem::path(path).filename().string());
        if (During) During();
        return !Fail.count(what);
    }
    int WindowCount() const override { return Windows; }
    bool HasCurrentWindow() const override { return Windows > 0; }
    bool NewWindow(TMessageSink&) override { return ++Windows, Step("New"); }
    bool OpenNetwork(const std::string& p, TMessageSink&) override { return Step("Open", p); }
    bool ApplyShapefileSettings(TMessageSink&) override { return Step("Settings"); }
    bool AppendNetwork(const std::string& p, TMessageSink&) override { return Step("Append", p); }
    bool ImportShapefile(const std::string& p, TMessageSink&) override { return Step("Import", p); }
    bool LoadProgram(const std::string& p, TMessageSink&) override { return Step("Load", p); }
    bool RunProgram(TMessageSink&) override { return Step("Run"); }
    bool GetUpdateFormats(const std::string& p, TMessageSink&) override { return Step("Formats", p); }
    bool DoUpdate(const std::string& p, TMessageSink&) override { return Step("Update", p); }
    bool SaveAs(const std::string& p, TMessageSink&) override { return Step("Save", p); }
    void CloseCurrentWindow() override { --Windows, Step("Close"); }
    void HighlightRow(int row) override { Highlighted.push_back(row); }
    void ShowStepNumber(int row) override { Counted.push_back(row); }
};

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
