// Batch import scripts: the .sfs file, row editing, find and replace, names
// of files, and runs over a recording host and over networks in memory.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../net_window.h"
#include "core/calc/CalcProgram.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/shapes/BatchMemoryHost.h"
#include "core/shapes/BatchRun.h"
#include "core/shapes/BatchScript.h"
#include "batch_fixture.h"
#include "tiger_fixture.h"

using tigertest::TempFolder;
using batchtest::Script;
using tigertest::WriteFile;
namespace fs = std::filesystem;

namespace {

std::string Lines(int count) { return count ? "0 \r\n" + Lines(count - 1) : ""; }

// Node class 1, "Zone", of one real attribute.
void DefineZoneClass(TNetwork& net)
{
    TClassRecord& zone = (*net.NodeClasses)[1];
    zone.Name = "Zone";
    zone.AttributeCount = 1;
    zone.Attributes[1] = std::make_unique<TAttrib>();
}

// A program that adds 1 to A1 of every node of class 1.
bool WriteIncrementProgram(const fs::path& path, TMessageSink& sink)
{
    TCalcProgram inc;
    inc.CalcLines[1] = "A1 = A1 + 1";
    inc.CalcRanges[CalcKindNode].Begin[1] = inc.CalcRanges[CalcKindNode].End[1] = 1;
    return SaveProgramFile(path.string(), inc, &sink);
}

} // namespace

TEST(BatchScript, SpecificationFileIsCheckedWholeBeforeItIsRead)
{
    TBatchScript s = Script({{1, "net.dta"}, {4, "my program.pgm"}});
    s.StepOperation[100] = 8;
    s.StepFileName[100] = "C:\\out\\final.dta";
    const std::string text = s.SpecificationText();
    EXPECT_EQ(text.substr(0, 35), "1 net.dta\r\n4 my program.pgm\r\n0 \r\n0 "); // empty rows: code and blank
    TBatchScript back;
    ASSERT_TRUE(back.ReadSpecification(text));
    EXPECT_EQ(back.StepOperation, s.StepOperation);
    EXPECT_EQ(back.StepFileName, s.StepFileName);
    // LF line ends, a missing blank, blanks before the code are read.
    ASSERT_TRUE(back.ReadSpecification("  2 a b \n3\r\n" + Lines(98)));
    EXPECT_EQ(back.StepFileName[1], "a b ");
    EXPECT_EQ(back.StepOperation[2], 3);
    EXPECT_EQ(back.StepFileName[2], "");
    // Any integer code is read (a run passes over those of no operation and
    // ends at one below 1), and a tab separates as a blank does.
    ASSERT_TRUE(back.ReadSpecification("9 far.dta\r\n-1 x\r\n+3\tin.shp\r\n12\r\n" + Lines(96)));
    EXPECT_EQ(std::vector<int32_t>(back.StepOperation.begin() + 1, back.StepOperation.begin() + 5),
              (std::vector<int32_t>{9, -1, 3, 12}));
    EXPECT_EQ(back.StepFileName[1], "far.dta");
    EXPECT_EQ(back.StepFileName[3], "in.shp");
    EXPECT_EQ(back.SpecificationText().substr(0, 27), "9 far.dta\r\n-1 x\r\n3 in.shp\r\n");
    // An empty line is a "No Action" row without a name, the 100th too:
    // whether it ends in a line end, or the text ends after the 99th line's.
    TBatchScript filled = s;
    ASSERT_TRUE(filled.ReadSpecification("1 a.dta\r\n\r\n  \t\r\n" + Lines(95) + "7 out.dta\r\n\r\n"));
    EXPECT_EQ(filled.StepOperation[1], 1);
    EXPECT_EQ(filled.StepOperation[2], 0);
    EXPECT_EQ(filled.StepFileName[3], "");
    EXPECT_EQ(filled.StepOperation[99], 7);
    EXPECT_EQ(filled.StepOperation[100], 0);
    EXPECT_EQ(filled.StepFileName[100], "");
    filled = s;
    ASSERT_TRUE(filled.ReadSpecification("7 out.dta\n" + Lines(98)));
    EXPECT_EQ(filled.StepOperation[1], 7);
    EXPECT_EQ(filled.StepOperation[100], 0);
    EXPECT_EQ(filled.StepFileName[100], "");
    // Anything else leaves the rows as they were: fewer than 100 lines among them.
    for (const std::string& bad : {std::string(), Lines(98), Lines(98) + "0 ", "x\r\n" + Lines(99), "3abc\r\n" + Lines(99),
                                   "3,a\r\n" + Lines(99), "99999999999 a\r\n" + Lines(99)}) {
        TBatchScript kept = s;
        EXPECT_FALSE(kept.ReadSpecification(bad));
        EXPECT_EQ(kept.StepOperation, s.StepOperation);
        EXPECT_EQ(kept.StepFileName, s.StepFileName);
    }
    const fs::path dir = TempFolder("sfs");
    std::string error;
    ASSERT_TRUE(s.SaveSpecification((dir / "a.sfs").string(), error)) << error;
    EXPECT_EQ(s.Folder, dir.string());
    TBatchScript opened;
    ASSERT_TRUE(opened.OpenSpecification((dir / "a.sfs").string(), error));
    EXPECT_EQ(opened.StepFileName[100], "C:\\out\\final.dta");
    WriteFile(dir / "bad.sfs", "1 x\r\n");
    EXPECT_FALSE(opened.OpenSpecification((dir / "bad.sfs").string(), error));
    EXPECT_EQ(error, "Not a valid batch script file.");
    EXPECT_EQ(opened.StepFileName[1], "net.dta");
    EXPECT_FALSE(s.SaveSpecification((dir / "missing" / "b.sfs").string(), error));
}

TEST(BatchScript, RowEditingFindAndReplace)
{
    TBatchScript s = Script({{1, "a.dta"}, {4, "b.pgm"}, {7, "c.dta"}});
    s.StepFileName[100] = "last";
    EXPECT_FALSE(s.MoveUp(1));
    EXPECT_FALSE(s.MoveDown(100));
    ASSERT_TRUE(s.MoveDown(1));
    EXPECT_EQ(s.StepFileName[1], "b.pgm");
    EXPECT_EQ(s.StepOperation[2], 1);
    ASSERT_TRUE(s.MoveUp(2));
    ASSERT_TRUE(s.InsertRow(2)); // row 100's content is lost
    EXPECT_EQ(s.StepOperation[2], BatchNoAction);
    EXPECT_EQ(s.StepFileName[3], "b.pgm");
    EXPECT_EQ(s.StepFileName[100], "");
    EXPECT_FALSE(s.InsertRow(100));
    EXPECT_FALSE(s.DeleteRow(100));
    ASSERT_TRUE(s.DeleteRow(1));
    EXPECT_EQ(s.StepFileName[2], "b.pgm");

    // Find walks down and starts again after the last row; a replacement
    // holding the find text replaces each occurrence once.
    s = Script({{1, "x/data/a.dta"}, {2, "data"}, {7, "y/data.dta"}});
    EXPECT_EQ(s.FindNext("data"), 1);
    EXPECT_EQ(s.FindNext("data"), 2);
    EXPECT_TRUE(s.Replace("data", "data2/data"));
    EXPECT_EQ(s.StepFileName[2], "data2/data");
    EXPECT_EQ(s.FindNext("data"), 3);
    EXPECT_EQ(s.FindNext("data"), 0);
    EXPECT_EQ(s.FindNext("data"), 1);
    EXPECT_EQ(s.FindNext("Data"), 0); // case counts
    EXPECT_EQ(s.ReplaceAll("data", "d"), 3);
    EXPECT_EQ(s.StepFileName[2], "d2/d");
    EXPECT_EQ(s.FindNext(""), 0); // an empty find text does nothing
    s.LastHit = 1;
    EXPECT_FALSE(s.Replace("", "z"));
    EXPECT_EQ(s.ReplaceAll("", "z"), 0);
    EXPECT_EQ(s.StepFileName[1], "x/d/a.dta");
}

TEST(BatchScript, CaptionsAndWhereStepFilesAre)
{
    EXPECT_EQ(CaptionOfPath("/home/p/county.dta"), "county.dta");
    // ':' and '\\' are characters of a file's name here.
    EXPECT_EQ(CaptionOfPath("/home/p/AM peak 7:30 to 8:30.dta"), "AM peak 7:30 to 8:30.dta");
    EXPECT_EQ(CaptionOfPath("PM peak 4:30.dta"), "PM peak 4:30.dta");
    EXPECT_EQ(CaptionOfPath("/home/p/a\\b.dta"), "a\\b.dta");
    const fs::path dir = TempFolder("paths");
    const std::string folder = dir.string(), inSub = (dir / "sub" / "net.dta").string();
    fs::create_directories(dir / "sub");
    WriteFile(inSub, "x");
    WriteFile(dir / "net.dta", "x");
    EXPECT_EQ(ResolveBatchInput(inSub, ""), inSub);
    EXPECT_EQ(ResolveBatchInput("sub/net.dta", folder), inSub);
    EXPECT_EQ(ResolveBatchInput("sub\\net.dta", folder), inSub);
    EXPECT_EQ(ResolveBatchInput("C:\\elsewhere\\net.dta", folder), (dir / "net.dta").string());
    EXPECT_EQ(ResolveBatchInput("C:\\elsewhere\\none.dta", folder), "");
    EXPECT_EQ(ResolveBatchOutput("sub\\out.dta", folder), (dir / "sub" / "out.dta").string());
    EXPECT_EQ(ResolveBatchOutput("Z:\\nowhere\\out.dta", folder), (dir / "out.dta").string());
}

namespace {

struct TRun {
    batchtest::TRecordingHost Host;
    TMessageSinkRecorder Sink;
    std::vector<std::string> Steps;
    TBatchRunResult Result;
    TRun& Go(const TBatchScript& script)
    {
        TBatchRunOptions options;
        options.StepFinished = [this](int row, int code, TBatchStepStatus status) {
            Steps.push_back(std::to_string(row) + " " + std::to_string(code) + " " +
                            (status == TBatchStepStatus::Done ? "done" : status == TBatchStepStatus::Skipped ? "skipped" : "ended"));
        };
        Result = RunBatch(script, Host, Sink, options);
        return *this;
    }
};

} // namespace

TEST(BatchRun, EveryOperationRunsItsStepsUntilNoAction)
{
    const fs::path dir = TempFolder("run");
    for (const char* f : {"a.dta", "b.dta", "c.shp", "d.pgm", "e.xup", "f.txt"}) WriteFile(dir / f, "x");
    TRun run;
    run.Go(Script({{1, "a.dta"}, {2, "b.dta"}, {3, "c.shp"}, {4, "d.pgm"}, {5, "e.xup"}, {6, "f.txt"}, {7, "g.dta"},
                   {8, "h.dta"}, {0, "a.dta"}, {2, "b.dta"}},
                  dir));
    EXPECT_FALSE(run.Result.Ended);
    EXPECT_EQ(run.Host.Log, (std::vector<std::string>{"New", "Open a.dta", "Settings", "Append b.dta", "Import c.shp",
                                                      "Load d.pgm", "Run", "Formats e.xup", "Update f.txt",
                                                      "Save g.dta", "Save h.dta", "Close"}));
    EXPECT_EQ(run.Steps.size(), 8u);
    EXPECT_EQ(run.Steps.back(), "8 8 done");
    EXPECT_EQ(run.Host.Highlighted.back(), 9);
    EXPECT_EQ(run.Host.Counted.back(), 8);
    EXPECT_TRUE(run.Sink.Calls.empty());
    EXPECT_TRUE(TRun().Go(Script({{1, ""}, {1, "a.dta"}}, dir)).Host.Log.empty()); // an empty first row
}

TEST(BatchRun, MissingFilesSkipAndFailuresEndTheRun)
{
    const fs::path dir = TempFolder("batch-failures");
    for (const char* f : {"a.dta", "p.pgm", "e.xup"}) WriteFile(dir / f, "x");
    TBatchScript unknown = Script({{2, "missing.dta"}, {2, "a.dta"}, {9, "a.dta"}}, dir);
    TRun run; // a missing file and an unknown operation are skipped without a message
    EXPECT_EQ(run.Go(unknown).Steps, (std::vector<std::string>{"1 2 skipped", "2 2 done", "3 9 skipped"}));
    EXPECT_TRUE(run.Sink.Calls.empty());

    TRun full; // a hundred windows: no new one
    full.Host.Windows = 100;
    EXPECT_EQ(full.Go(Script({{1, "a.dta"}, {7, "out.dta"}}, dir)).Steps, (std::vector<std::string>{"1 1 ended"}));
    EXPECT_TRUE(full.Host.Log.empty());
    ASSERT_EQ(full.Sink.Count(), 1u);
    EXPECT_EQ(full.Sink.Last().Text, "Too many windows are open.");
    EXPECT_EQ(full.Sink.Last().Caption, "Multiple Shapefiles Import");

    auto failing = [&](const std::string& what, std::initializer_list<std::pair<int, std::string>> rows) {
        auto r = std::make_unique<TRun>();
        r->Host.Fail = {what};
        r->Go(Script(rows, dir));
        EXPECT_TRUE(r->Result.Ended) << what;
        return r;
    };
    // A failed open takes its window with it.
    EXPECT_EQ(failing("Open", {{1, "a.dta"}, {7, "x.dta"}})->Host.Log,
              (std::vector<std::string>{"New", "Open a.dta", "Close"}));
    // A window whose save failed stays open.
    EXPECT_EQ(failing("Save", {{8, "out.dta"}, {7, "x.dta"}})->Host.Log, (std::vector<std::string>{"Save out.dta"}));
    // A program that could not be read never runs, nor the one before.
    EXPECT_EQ(failing("Load", {{4, "p.pgm"}})->Host.Log, (std::vector<std::string>{"Load p.pgm"}));
    // Formats that cannot be read: 305 under "Update".
    const auto formats = failing("Formats", {{5, "e.xup"}});
    EXPECT_EQ(formats->Sink.Last().Text, "Cannot read Extract/Update formats file.");
    EXPECT_EQ(formats->Sink.Last().Caption, "Update");

    TRun none; // no current window
    none.Host.Windows = 0;
    none.Go(Script({{7, "out.dta"}}, dir));
    EXPECT_TRUE(none.Result.Ended);
    EXPECT_TRUE(none.Host.Log.empty());
    EXPECT_EQ(none.Sink.Last().Text, "No network window is open.");
}

TEST(BatchRun, MemoryHostOpensCalculatesAppendsAndSaves)
{
    const fs::path dir = TempFolder("memory");
    TMessageSinkRecorder sink;
    {
        TNetWindow net;
        DefineZoneClass(net);
        for (int i = 0; i < 3; ++i) {
            THashEntry* cell;
            AddNode(net, i * 100, 0, cell, false, 1)->EntityType = 1;
        }
        ASSERT_TRUE(SaveNetworkFile(net, (dir / "net.dta").string(), 9, sink).Ok);
        ASSERT_TRUE(WriteIncrementProgram(dir / "inc.pgm", sink));
        WriteFile(dir / "bad.pgm", "not a program\r\n");
        fs::create_directories(dir / "folder.dta");
    }
    auto counts = [](const TNetwork& net) {
        std::vector<double> v;
        ForEachNode(net, [&](TNode* n) { v.push_back(n->Values[0].Real()); });
        return v;
    };
    TMemoryBatchHost host;
    TBatchRunResult r = RunBatch(
        Script({{1, "net.dta"}, {4, "inc.pgm"}, {7, "out.dta"}, {4, "bad.pgm"}, {7, "never.dta"}}, dir), host, sink);
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 4);
    ASSERT_EQ(host.WindowCount(), 1);
    EXPECT_EQ(host.CurrentWindow()->Caption, "out.dta");
    EXPECT_EQ(counts(host.CurrentWindow()->Net), (std::vector<double>{1, 1, 1})); // ran once only
    EXPECT_FALSE(fs::exists(dir / "never.dta"));
    TNetWindow saved;
    ASSERT_EQ(OpenNetworkFile(saved, (dir / "out.dta").string(), true, sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(counts(saved), (std::vector<double>{1, 1, 1}));

    // Append, then save and close; a folder in place of a network ends the
    // run and takes its window with it.
    sink.Clear();
    r = RunBatch(Script({{2, "net.dta"}, {8, "both.dta"}, {1, "folder.dta"}, {7, "never.dta"}}, dir), host, sink);
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 3);
    EXPECT_EQ(host.WindowCount(), 0);
    EXPECT_FALSE(sink.Calls.empty());
    TNetWindow both;
    ASSERT_EQ(OpenNetworkFile(both, (dir / "both.dta").string(), true, sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(both.NodeCount, 6);
}

// A batch Calculate acts for its window as a run from the dialog does: the
// network's polygon criterion limits the nodes it runs over.
TEST(BatchRun, MemoryHostCalculatesWithinThePolygonCriterion)
{
    const fs::path dir = TempFolder("memory-criterion");
    TMessageSinkRecorder sink;
    {
        TNetWindow net;
        DefineZoneClass(net);
        THashEntry* cell;
        for (int x : {100, 200, 900}) AddNode(net, x, 100, cell, false, 1)->EntityType = 1;
        // A square over the first two nodes, owned by a node of class 0.
        TNode* owner = AddNode(net, 150, 100, cell, false, 1);
        for (auto [x, y] : {std::pair{0, 0}, {300, 0}, {300, 200}, {0, 200}}) {
            TNode* corner = AddNode(net, x, y, cell, false, 1);
            owner->OwnPolygonRef().Insert(corner);
            net.PolygonsRef(corner).Insert(owner);
        }
        UpdateNodePolygonBox(net, owner);
        net.Search.PolygonCriterion = {owner, 1, 0, 0, 0};
        ASSERT_TRUE(SaveNetworkFile(net, (dir / "net.dta").string(), 9, sink).Ok);
        ASSERT_TRUE(WriteIncrementProgram(dir / "inc.pgm", sink));
    }
    TMemoryBatchHost host;
    TBatchRunResult r = RunBatch(Script({{1, "net.dta"}, {4, "inc.pgm"}}, dir), host, sink);
    EXPECT_FALSE(r.Ended);
    ASSERT_EQ(host.WindowCount(), 1);
    ASSERT_NE(host.CurrentWindow()->Settings.Search.PolygonCriterion.Owner, nullptr);
    std::map<int, double> byX;
    ForEachNode(host.CurrentWindow()->Net, [&](TNode* n) {
        if (n->EntityType == 1) byX[n->X] = n->Values[0].Real();
    });
    EXPECT_EQ(byX, (std::map<int, double>{{100, 1}, {200, 1}, {900, 0}}));
}

TEST(BatchRun, MemoryHostReadsFormatsAndUpdates)
{
    const fs::path dir = TempFolder("memory-update");
    TMessageSinkRecorder sink;
    ASSERT_TRUE(batchtest::WriteCountFiles(dir, sink));
    WriteFile(dir / "bad.xup", "NNAME,CNT\r\n"); // templates, then nothing
    fs::create_directories(dir / "folder.txt");
    auto values = [](const TNetwork& net) {
        std::vector<double> v;
        ForEachNode(net, [&](TNode* n) { v.push_back(n->Values[0].Real()); });
        return v;
    };
    TMemoryBatchHost host;
    TBatchRunResult r = RunBatch(Script({{1, "net.dta"}, {5, "f.xup"}, {6, "u.txt"}, {6, "folder.txt"}}, dir), host, sink);
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 4);
    ASSERT_EQ(host.WindowCount(), 1);
    EXPECT_EQ(host.CurrentWindow()->Settings.ExtractFormats.NodeTemplates[1], "NNAME,CNT");
    EXPECT_EQ(values(host.CurrentWindow()->Net), (std::vector<double>{5, 6}));
    ASSERT_EQ(sink.Count(), 1u) << "a table that cannot be read ends the run after its message";
    EXPECT_EQ(sink.Last().Text, "Valid update file not found.");

    // Formats with a scale of 0 are read and reported; the update refuses
    // them and the run ends. Formats that cannot be read leave the window's.
    sink.Clear();
    host.CurrentWindow()->Settings.ExtractFormats.XScale = 0;
    r = RunBatch(Script({{5, "f.xup"}, {6, "u.txt"}}, dir), host, sink);
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 2);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Calls[0].Text, "Error in transform values.");
    EXPECT_EQ(sink.Calls[0].Caption, "Extract/Update");
    EXPECT_EQ(sink.Calls[1].Caption, "Extract/Update");
    sink.Clear();
    host.CurrentWindow()->Settings.ExtractFormats.NodeTemplates[1] = "kept";
    EXPECT_TRUE(RunBatch(Script({{5, "bad.xup"}}, dir), host, sink).Ended);
    EXPECT_EQ(host.CurrentWindow()->Settings.ExtractFormats.NodeTemplates[1], "kept");
    EXPECT_EQ(sink.Last().Text, "Cannot read Extract/Update formats file.");
}

// The command-line driver beside this test program.
TEST(BatchRun, Driver)
{
    const std::string exe = (fs::read_symlink("/proc/self/exe").parent_path() / "batch-run").string();
    const fs::path dir = TempFolder("batch-driver");
    TNetWindow net;
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, (dir / "empty.dta").string(), 9, sink).Ok);
    std::string out;
    ASSERT_TRUE(Script({{1, "empty.dta"}, {2, "missing.dta"}, {8, "saved.dta"}, {7, "after.dta"}})
                    .SaveSpecification((dir / "run.sfs").string(), out));
    EXPECT_FALSE(tigertest::RunCommand("'" + exe + "' '" + (dir / "run.sfs").string() + "'", out));
    EXPECT_EQ(out, "step 1 1 done\nstep 2 2 skipped\nstep 3 8 done\nNo network window is open.\n"
                   "Multiple Shapefiles Import\nstep 4 7 ended\n");
    EXPECT_TRUE(fs::exists(dir / "saved.dta"));
}
