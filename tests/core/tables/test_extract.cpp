// Extract: the text tables against golden files, the dBase columns, the
// elements taken, and a failed write.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/tables/Extract.h"
#include "core/tables/XBase.h"
#include "tables_fixture.h"

using namespace tabletest;

namespace {

struct TExtractFixture : ::testing::Test {
    TNetwork Net;
    TWindowSettings Ws;
    TViewRecord View;
    TMessageSinkRecorder Sink;
    TTempDir Dir;
    void SetUp() override { MakeNetwork(Net, Ws); }

    TExtractResult Extract(int mode, const std::string& file, bool quiet = true)
    {
        Ws.ExtractFormats.SeparationMode = uint8_t(mode);
        return RunExtract(Net, Ws, View, Ws.ExtractFormats, file, quiet, Sink);
    }
    std::vector<std::string> Names(const std::string& file)
    {
        TXBase t;
        t.SetFilename(file);
        std::vector<std::string> names;
        for (int32_t r = 1; r <= t.RecordCount(); ++r) {
            t.SetRecno(r);
            names.push_back(t.GetField(1));
        }
        return names;
    }
};

std::string Golden(const std::string& name)
{
    return ReadAll(std::string(TARVEX_TEST_DATA) + "/tables/" + name);
}

} // namespace

TEST_F(TExtractFixture, WritesTheThreeTextSeparations)
{
    const char* golden[] = {"fixture-columnar.txt", "fixture-commas.txt", "fixture-tabs.txt"};
    for (int mode = 0; mode < 3; ++mode) {
        const TExtractResult r = Extract(mode, Dir / "out.txt", false);
        EXPECT_EQ(r.ErrorCode, 0);
        EXPECT_EQ(r.Records, 6);
        EXPECT_EQ(ReadAll(Dir / "out.txt"), Golden(golden[mode])) << golden[mode];
    }
    ASSERT_EQ(Sink.Count(), 3u);
    EXPECT_EQ(Sink.Last().Text, "6 Records written");
    EXPECT_EQ(Sink.Last().Caption, "Extract");
    // A mode outside the list, as a file may hold it, writes columns.
    for (int mode : {4, 255}) {
        ASSERT_EQ(Extract(mode, Dir / "out.txt").ErrorCode, 0) << mode;
        EXPECT_EQ(ReadAll(Dir / "out.txt"), Golden("fixture-columnar.txt")) << mode;
    }
}

TEST_F(TExtractFixture, DefinesDBaseColumnsOverEveryLine)
{
    ASSERT_EQ(Extract(3, Dir / "t.txt").ErrorCode, 0);
    TXBase t;
    t.SetFilename(Dir / "t.dbf"); // the extension of a dBase table is .dbf whatever was chosen
    ASSERT_TRUE(t.Active());
    EXPECT_EQ(t.RecordCount(), 6);
    struct Col {
        const char* Name;
        char Type;
        int Width, Decimals;
    };
    // Texts make C 30, numbers N 15 (a C column widened to at least 15), dates
    // D 8, a date and time or a time C 30; names from the last record that
    // had the item.
    const Col want[] = {{"NAME", 'C', 30, 0},       {"ANODENAME", 'C', 30, 0}, {"BNODENAME", 'C', 30, 0},
                        {"SPE", 'N', 15, 7},        {"STR", 'C', 30, 0},       {"SHAPECOUNT", 'N', 15, 0},
                        {"TYP", 'C', 8, 0},         {"OPE", 'C', 30, 0},       {"HOU", 'C', 30, 0},
                        {"DAY", 'D', 8, 0},         {"LAB", 'C', 30, 0}};
    ASSERT_EQ(t.FieldCount(), 11);
    for (int i = 0; i < 11; ++i) {
        const TXBaseField& f = t.Field(i + 1);
        EXPECT_EQ(f.Name, want[i].Name) << i + 1;
        EXPECT_EQ(f.Type, want[i].Type) << want[i].Name;
        EXPECT_EQ(f.Width, want[i].Width) << want[i].Name;
        EXPECT_EQ(f.Decimals, want[i].Decimals) << want[i].Name;
    }
    t.SetRecno(2); // Alpha
    EXPECT_EQ(t.GetField(8), "5/6/1999,10:20:30");
    EXPECT_EQ(t.GetField(10), "20031224");
    EXPECT_EQ(t.GetField(7), "BCA");
    t.SetRecno(5); // BG: a small real in fixed decimals
    EXPECT_EQ(t.GetField(4), "      0.0000001");

    // An untyped column is C 15 named FIELDn; no column past the 100th.
    Ws.ExtractFormats.LinkTemplates[1] = "LNAME,COORD,ENAME";
    std::string many = "NNAME";
    for (int i = 0; i < 110; ++i) many += ",ZERO";
    Ws.ExtractFormats.NodeTemplates[1] = many;
    Ws.ExtractFormats.NodeTemplates[2].clear();
    ASSERT_EQ(Extract(3, Dir / "u.dbf").ErrorCode, 0);
    t.SetFilename(Dir / "u");
    ASSERT_EQ(t.FieldCount(), 100);
    EXPECT_EQ(t.Field(2).Name, "ZERO");
    EXPECT_EQ(t.Field(2).Type, 'N');
    EXPECT_EQ(t.Field(3).Name, "NODEENTITY");
    EXPECT_EQ(t.Field(4).Name, "ZERO1") << "a name that repeats takes a digit";
    EXPECT_EQ(t.Field(100).Name, "ZERO97");
    Ws.ExtractFormats.NodeTemplates[1] = "NNAME";
    ASSERT_EQ(Extract(3, Dir / "v.dbf").ErrorCode, 0);
    t.SetFilename(Dir / "v");
    ASSERT_EQ(t.FieldCount(), 3);
    EXPECT_EQ(t.Field(2).Name, "FIELD2");
    EXPECT_EQ(t.Field(2).Type, 'C');
    EXPECT_EQ(t.Field(2).Width, 15);
    EXPECT_EQ(t.Field(3).Name, "NODEENTITY");
    EXPECT_EQ(t.Field(3).Type, 'C');
}

TEST_F(TExtractFixture, NamesEveryDBaseColumnOnce)
{
    // Column 2 is POP for zones and ANODEX for roads, column 5 a zone's
    // ANODEX: the roads, written last, name column 2. Columns 3 and 4 are
    // both a road's ANODESERIAL.
    Ws.ExtractFormats.NodeTemplates[1] = "NNAME,POP,COU,ZERO,NODEX";
    Ws.ExtractFormats.NodeTemplates[2].clear();
    Ws.ExtractFormats.LinkTemplates[1] = "LNAME,ANODEX,SERIALA,SERIALA";
    ASSERT_EQ(Extract(3, Dir / "n.dbf").ErrorCode, 0);
    TXBase t;
    t.SetFilename(Dir / "n");
    std::vector<std::string> names;
    for (int i = 1; i <= t.FieldCount(); ++i) names.push_back(t.Field(i).Name);
    EXPECT_EQ(names, (std::vector<std::string>{"NAME", "ANODEX", "ANODESERIAL", "ANODESERI1", "ANODEX1"}));
    t.SetRecno(2); // Alpha's X under its renamed column
    EXPECT_EQ(t.GetField(1), "Alpha");
    EXPECT_EQ(t.GetField(3), std::string(14, ' ') + "7");
    EXPECT_EQ(t.GetField(5), std::string(14, ' ') + "0");
}

// Other dBase readers tell names apart by the 10 characters a header holds:
// a column whose name repeats an earlier one there takes a digit in them,
// and the names a user gave to later columns stay theirs.
TEST_F(TExtractFixture, DBaseColumnNamesDifferInTheirFirstTenCharacters)
{
    Ws.ExtractFormats.NodeTemplates[1].clear();
    Ws.ExtractFormats.NodeTemplates[2].clear();
    TAttrib& speed = *(*Net.LinkClasses)[1].Attributes[1];
    TAttrib& street = *(*Net.LinkClasses)[1].Attributes[2];
    auto columns = [&](const std::string& templateLine) {
        Ws.ExtractFormats.LinkTemplates[1] = templateLine;
        EXPECT_EQ(Extract(3, Dir / "c.dbf").ErrorCode, 0);
        TXBase t;
        t.SetFilename(Dir / "c");
        std::vector<std::string> names;
        for (int i = 1; i <= t.FieldCount(); ++i) names.push_back(t.Field(i).Name);
        return names;
    };
    using V = std::vector<std::string>;
    speed.Alias = speed.AliasKey = "A";
    street.Alias = street.AliasKey = "A1";
    EXPECT_EQ(columns("LNAME,A,A,A1"), (V{"NAME", "A", "A2", "A1"}));

    speed.Alias = speed.AliasKey = "ANODESERIA";
    EXPECT_EQ(columns("LNAME,ANODESERIA,SERIALA"), (V{"NAME", "ANODESERIA", "ANODESERI1"}));
    EXPECT_EQ(columns("LNAME,SERIALA,ANODESERIA,SERIALA"), (V{"NAME", "ANODESERIAL", "ANODESERI1", "ANODESERI2"}));
    speed.Alias = speed.AliasKey = "anodeseria";
    EXPECT_EQ(columns("LNAME,SERIALA,ANODESERIA"), (V{"NAME", "ANODESERIAL", "anodeseri1"}));
    TXBase t;
    t.SetFilename(Dir / "c");
    bool found = false;
    for (int32_t r = 1; r <= t.RecordCount(); ++r) {
        t.SetRecno(r);
        if (t.GetField(1) != "AB") continue;
        found = true;
        EXPECT_EQ(t.GetField(3), std::string(13, ' ') + "55") << "the speed under its renamed column";
    }
    EXPECT_TRUE(found);
}

TEST_F(TExtractFixture, ATableGoesOnlyWhereASaveMay)
{
    // A FIFO is not replaced by a regular file.
    const std::string fifo = Dir / "pipe.dbf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_NE(Extract(3, fifo).ErrorCode, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(Sink.Count() ? Sink.Last().Text : "", "Cannot create extract file.");

    // A link keeps its link; its target gets the table, with its permission bits.
    const std::string real = Dir / "real.dbf";
    WriteAll(real, "old");
    ::chmod(real.c_str(), 0640);
    const std::string alias = Dir / "alias.dbf";
    std::filesystem::create_symlink(real, alias);
    ASSERT_EQ(Extract(3, alias).ErrorCode, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(alias));
    EXPECT_EQ(Names(real).size(), 6u);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // Through a link, a file the user may not write is left alone: the
    // extract runs as a user who may write the folder but not the file.
    const std::string folder = Dir / "shared";
    std::filesystem::create_directories(folder);
    const std::string theirs = folder + "/theirs.dbf";
    WriteAll(theirs, "theirs");
    const bool root = ::geteuid() == 0;
    ::chmod(theirs.c_str(), root ? 0644 : 0444);
    ::chmod(folder.c_str(), 0777);
    const std::string link = Dir / "to-theirs.dbf";
    std::filesystem::create_symlink(theirs, link);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(3);
        Sink.Clear();
        const bool refused = Extract(3, link).ErrorCode != 0 && Sink.Count() == 1 &&
                             Sink.Last().Text == "Cannot create extract file.";
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(theirs), "theirs");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(ExtractText, RealsOfDBaseColumns)
{
    EXPECT_EQ(DBaseRealText(123.456), "123.456");
    EXPECT_EQ(DBaseRealText(1e-7), "0.0000001");
    EXPECT_EQ(DBaseRealText(-1.5e-7), "-0.00000015");
    EXPECT_EQ(DBaseRealText(1.2345678e-9), "0.0000000012346");
    EXPECT_EQ(DBaseRealText(4e-16), "0");
    EXPECT_EQ(DBaseRealText(-4e-16), "0");
    EXPECT_EQ(DBaseRealText(1e20), "1E20");
    EXPECT_EQ(DBaseRealText(-2.5e300), "-2.5E300");
}

TEST_F(TExtractFixture, CountsAndListsTheSameActiveVertices)
{
    TLinkValues* ab = FindLink(Net, "AB");
    ab->ShapePoints.At(1)->Active = 0;
    FindNode(Net, "Beta")->Active = 0;
    Ws.ExtractFormats.NodeTemplates[1].clear();
    Ws.ExtractFormats.LinkTemplates[1] = "LNAME,SHAPES,COORD";
    ASSERT_EQ(Extract(1, Dir / "c.txt").ErrorCode, 0);
    EXPECT_EQ(ReadAll(Dir / "c.txt"), "\"Delta\",2500,2500,4,2,-400,600,0,0\r\n"
                                      "\"BG\",0,\r\n"
                                      "\"AB\",2,250,-60,750,-180\r\n");
}

TEST_F(TExtractFixture, TakesTheElementsTheWindowShows)
{
    Ws.ExtractFormats.NodeTemplates[1] = "NNAME";
    Ws.ExtractFormats.NodeTemplates[2] = "NNAME";
    Ws.ExtractFormats.LinkTemplates[1] = "LNAME";
    auto names = [&](bool filter, bool polygons) {
        Ws.ExtractFormats.FilterNodesWithoutLinks = filter;
        Ws.ExtractFormats.OnlyNodesWithPolygons = polygons;
        EXPECT_EQ(Extract(3, Dir / "s").ErrorCode, 0);
        return Names(Dir / "s");
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names(false, false), (V{"Beta", "Alpha", "Gamma", "Delta", "BG", "AB"}));
    EXPECT_EQ(names(true, false), (V{"Beta", "Alpha", "Gamma", "BG", "AB"}));
    EXPECT_EQ(names(true, true), (V{"Delta", "BG", "AB"})) << "only polygons: nodes without links stay";
    Ws.Layers.LayerStates[3] = 0; // Beta's layer hidden: Beta and its links go
    EXPECT_EQ(names(false, false), (V{"Alpha", "Gamma", "Delta"}));
    Ws.Layers.LayerStates[3] = 14; // shown from a zoom level above the window's
    EXPECT_EQ(names(false, false), (V{"Alpha", "Gamma", "Delta"}));
    View.ZoomIndex = 9;
    Ws.Layers.LayerStates[3] = 9; // shown from exactly the window's zoom level
    EXPECT_EQ(names(false, false), (V{"Beta", "Alpha", "Gamma", "Delta", "BG", "AB"}));
    Ws.Layers.LayerStates[3] = 10;
    EXPECT_EQ(names(false, false), (V{"Alpha", "Gamma", "Delta"}));
    Ws.Layers.LayerStates[3] = 1;

    for (auto* t : {&Ws.ExtractFormats.NodeTemplates, &Ws.ExtractFormats.LinkTemplates})
        for (std::string& line : *t) line.clear();
    const TExtractResult r = Extract(0, Dir / "none.txt", false);
    EXPECT_EQ(r.Records, 0);
    EXPECT_EQ(ReadAll(Dir / "none.txt"), "");
    EXPECT_EQ(Sink.Last().Text, "0 Records written");
}

TEST_F(TExtractFixture, AFailedWriteLeavesTheOlderFileWhole)
{
    for (int mode : {1, 3}) {
        const std::string file = Dir / (mode == 3 ? "old.dbf" : "old.txt");
        WriteAll(file, "older");
        // The file system refuses anything past 300 bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 300;
        setrlimit(RLIMIT_FSIZE, &small);
        Sink.Clear();
        const TExtractResult r = Extract(mode, file);
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_NE(r.ErrorCode, 0) << mode;
        EXPECT_EQ(ReadAll(file), "older") << mode;
        ASSERT_EQ(Sink.Count(), 1u);
        EXPECT_EQ(Sink.Last().Text, "Cannot create extract file.");
        EXPECT_EQ(Sink.Last().Caption, "Extract");
        EXPECT_EQ(Sink.Last().Flags, MB_EXCLAMATION_OK);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path), {}), 2) << "no temporary file is left";
    EXPECT_NE(Extract(0, Dir / "missing/out.txt").ErrorCode, 0);
}
