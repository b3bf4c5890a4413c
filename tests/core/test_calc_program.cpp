// Calculate program files: round trips, older layouts, damaged files.
#include "core/CalcProgram.h"
#include "core/LegacyText.h"
#include "core/CalcRun.h"
#include "core/Messages.h"
#include "core/Network.h"
#include "core/NetworkFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>
#include <limits>

namespace {

TCalcProgram Sample()
{
    TCalcProgram p;
    p.CalcLines[1] = "IF = A1 > 5 THEN A2 = 1 ELSE A2 = 2";
    p.CalcLines[10] = "V1 = V1 + 1";
    p.CalcRanges[0].Begin[1] = 1;
    p.CalcRanges[0].End[1] = 10;
    p.CalcRanges[1].Begin[3] = 2;
    p.CalcRanges[1].End[3] = 4;
    p.CalcRanges[2].Begin[5] = 10;
    p.CalcRanges[2].End[5] = 10;
    p.CalcParameters[0][1] = "XYa";
    p.CalcParameters[1][2] = "LS@";
    p.CalcParameters[2][5] = "12";
    p.Variables[1] = 2.5;
    p.Variables[35] = -1e-7;
    p.VariableNames[3] = "Total trips";
    TLookupTable& t = p.LookupTables[4];
    t.Description = "Area type";
    t.Parameter = 3;
    t.ClassIndex = 1;
    t.Attribute = 3;
    t.CodePosition = 1;
    t.ApplyOtherwise = 1;
    t.Otherwise = 9;
    t.Bottom[1] = '?';
    t.Top[1] = 'B';
    t.Values[1] = 1.5;
    t.Bottom[2] = 'C'; // value 0 but a bound set: still written
    t.Top[2] = ' ';
    t.Values[2] = 0;
    p.LinkEndsSets[2] = {1, 2, 3, 4, 0, 1, 1, 2};
    p.PolygonOwnerSets[7] = {5, 0, 6, 0, 1, 0, 2, 1};
    return p;
}

std::string Written(const TCalcProgram& p)
{
    std::string text;
    EXPECT_TRUE(WriteProgramText(p, text));
    return text;
}

// The lines of a text, each with its line end.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

std::string FirstLines(const std::string& text, std::size_t n)
{
    std::string out;
    const auto lines = Lines(text);
    for (std::size_t i = 0; i < n && i < lines.size(); ++i) out += lines[i];
    return out;
}

} // namespace

TEST(CalcProgramFile, RoundTripKeepsEveryFieldAndLayout)
{
    const TCalcProgram p = Sample();
    const std::string text = Written(p);
    EXPECT_EQ(text.substr(0, 11), "PROGRAM 6\r\n");
    EXPECT_NE(text.find("\r\n 2.50000000000000E+0000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n4 2 C   0.00000000000000E+0000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n1 2 1 2 3 4 0 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n2 1 5 6 1\r\n"), std::string::npos);

    TCalcProgram q;
    std::string error;
    ASSERT_TRUE(ReadProgramText(text, q, error)) << error;
    EXPECT_EQ(q, p);

    // LF line ends read the same.
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    TCalcProgram r;
    ASSERT_TRUE(ReadProgramText(lf, r, error));
    EXPECT_EQ(r, p);
}

TEST(CalcProgramFile, OlderLayoutsKeepLaterVariablesAndUpperCaseParameters)
{
    TCalcProgram p = Sample();
    p.CalcParameters[0][1] = "xya";
    const std::vector<std::string> lines = Lines(Written(p));
    // The older header, ten variables, no system part, no polygon owners.
    std::string old = "PROGRAM\r\n";
    std::size_t i = 1;
    auto take = [&](std::size_t n) {
        for (std::size_t k = 0; k < n; ++k) old += lines[i++];
    };
    auto skip = [&](std::size_t n) { i += n; };
    take(20); // ranges and relation lines
    take(10);
    skip(25); // values
    take(10);
    skip(25); // names
    take(40); // tables
    const std::size_t rows = std::stoul(lines[i]);
    take(1 + rows + 10 + 20);
    TCalcProgram q;
    q.Variables[11] = 77;
    q.VariableNames[11] = "kept";
    q.CalcRanges[2].Begin[1] = 3;
    q.PolygonOwnerSets[1][0] = 4;
    std::string error;
    ASSERT_TRUE(ReadProgramText(old, q, error)) << error;
    EXPECT_EQ(q.Variables[1], 2.5);
    EXPECT_EQ(q.Variables[11], 77);
    EXPECT_EQ(q.VariableNames[11], "kept");
    EXPECT_EQ(q.Variables[35], 0);
    EXPECT_EQ(q.CalcParameters[0][1], "XYa");
    EXPECT_EQ(q.CalcRanges[2], TCalcRanges{});
    EXPECT_EQ(q.CalcParameters[2][5], "");
    EXPECT_EQ(q.PolygonOwnerSets[1][0], 0);
    EXPECT_EQ(q.LookupTables[4], p.LookupTables[4]);

    // "PROGRAM 6 " is the older header too.
    TCalcProgram r;
    std::string blankAfter = "PROGRAM 6 \r\n" + old.substr(old.find('\n') + 1);
    ASSERT_TRUE(ReadProgramText(blankAfter, r, error));
    EXPECT_EQ(r.CalcParameters[0][1], "XYa");
}

TEST(CalcProgramFile, DamagedFilesLeaveTheProgramAsItWas)
{
    const std::string good = Written(Sample());
    TCalcProgram before;
    before.CalcLines[2] = "A1 = 1";
    before.Variables[4] = 3;
    auto fails = [&](const std::string& text) {
        TCalcProgram p = before;
        std::string error;
        const bool ok = ReadProgramText(text, p, error);
        EXPECT_EQ(p, before);
        return !ok;
    };
    EXPECT_TRUE(fails(""));
    EXPECT_TRUE(fails("PROGRAMME\r\n"));
    EXPECT_TRUE(fails("ZOK 1.09\r\n" + good.substr(11)));
    EXPECT_TRUE(fails(FirstLines(good, 30)));                  // ends in the variables
    EXPECT_TRUE(fails("PROGRAM 6\r\n11 1 0 0\r\n" + good.substr(good.find('\n', 11) + 1))); // line 11
    std::string badRow = good;
    badRow.replace(badRow.find("\r\n4 2 C"), 7, "\r\n21 2 C");
    EXPECT_TRUE(fails(badRow));
    std::string badRow2 = good;
    badRow2.replace(badRow2.find("\r\n4 2 C"), 7, "\r\n4 0 C");
    EXPECT_TRUE(fails(badRow2));
    std::string notNumber = good;
    notNumber.replace(notNumber.find(" 2.50000000000000E+0000"), 23, "nan");
    EXPECT_TRUE(fails(notNumber));
    std::vector<std::string> lines = Lines(good);
    ASSERT_EQ(lines[131], "200\r\n"); // the row count
    lines[131] = "2000000000\r\n";
    std::string hugeCount;
    for (const auto& l : lines) hugeCount += l;
    EXPECT_TRUE(fails(hugeCount));
}

TEST(CalcProgramFile, OpenAndSaveThroughFiles)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("calc_pgm_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "trips.pgm").string();
    TMessageSinkRecorder sink;

    TCalcProgram p = Sample();
    ASSERT_TRUE(SaveProgramFile(path, p, &sink));
    EXPECT_EQ(p.ProgramFile, path);
    EXPECT_EQ(p.ProgramFolder, dir.string());
    EXPECT_EQ(sink.Count(), 0u);

    TCalcProgram q;
    ASSERT_TRUE(OpenProgramFile(path, q, &sink));
    EXPECT_EQ(q.CalcLines, p.CalcLines);
    EXPECT_EQ(q.ProgramFile, path);

    // A missing file and a damaged one: message 38, program unchanged.
    TCalcProgram r = Sample();
    EXPECT_FALSE(OpenProgramFile((dir / "missing.pgm").string(), r, &sink));
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Last().Text, "Valid program file not found.");
    EXPECT_EQ(sink.Last().Caption, "Read Program");
    {
        std::FILE* f = std::fopen((dir / "bad.pgm").c_str(), "wb");
        std::fputs("PROGRAM 6\r\n1 2\r\n", f);
        std::fclose(f);
    }
    EXPECT_FALSE(OpenProgramFile((dir / "bad.pgm").string(), r, &sink));
    EXPECT_EQ(r, Sample());

    // A save that cannot be made: message 59, the old file whole.
    EXPECT_FALSE(SaveProgramFile((dir / "no" / "such.pgm").string(), p, &sink));
    EXPECT_EQ(sink.Last().Text, "Cannot create program file.");
    EXPECT_EQ(sink.Last().Caption, "Write Program");
    p.Variables[1] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(SaveProgramFile(path, p, &sink));
    TCalcProgram again;
    ASSERT_TRUE(OpenProgramFile(path, again, &sink));
    EXPECT_EQ(again.Variables[1], 2.5);
    fs::remove_all(dir);
}

TEST(CalcProgramFile, ResetClearsToANewWindowsProgram)
{
    TCalcProgram p = Sample();
    p.ProgramFile = "x.pgm";
    p.ResetCalculateProgram();
    EXPECT_EQ(p, TCalcProgram{});
    EXPECT_EQ(p.LookupTables[1].Bottom[1], '?');
    EXPECT_EQ(p.LookupTables[1].Top[1], ' ');
    EXPECT_EQ(p.ProgramFile, "");
}

TEST(CalcProgramFile, RunsAProgramFileOverANetworkFile)
{
    namespace fs = std::filesystem;
    const std::string data = std::string(TARVEX_TEST_DATA) + "/calc/";
    TMessageSinkRecorder sink;
    TNetwork net;
    ASSERT_EQ(OpenNetworkFile(net, data + "grid.dta", true, sink).Status, TOpenStatus::Ok);
    TCalcProgram program;
    ASSERT_TRUE(OpenProgramFile(data + "grid.pgm", program, &sink));
    EXPECT_EQ(program.VariableNames[1], "Total population");
    TCalcFlags flags;
    TCalcHost host;
    const TCalcSummary s = RunCalculation(net, program, flags, host);
    EXPECT_EQ(s.Links, 7);
    EXPECT_EQ(s.Nodes, 6);
    EXPECT_EQ(s.Systems, 1);
    EXPECT_EQ(s.Errors, 1); // "A9 = 1" on the one node of a three-attribute class
    EXPECT_EQ(program.Variables[1], 1500);

    const fs::path out = fs::temp_directory_path() / ("calc_grid_" + std::to_string(::getpid()) + ".dta");
    ASSERT_TRUE(SaveNetworkFile(net, out.string(), 9, sink).Ok);
    TTextReader saved, expected;
    std::string error;
    ASSERT_TRUE(saved.LoadFile(out.string(), error));
    ASSERT_TRUE(expected.LoadFile(data + "grid-expected.dta", error));
    EXPECT_EQ(saved.Bytes(), expected.Bytes());
    fs::remove(out);
    EXPECT_EQ(sink.Count(), 0u);
}
