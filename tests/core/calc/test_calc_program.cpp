// Calculate program files: round trips, older layouts, damaged files, and a
// program file run over a network file.
#include "../net_window.h"
#include "core/calc/CalcProgram.h"
#include "core/calc/CalcRun.h"
#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TCalcProgram Sample()
{
    TCalcProgram p;
    p.CalcLines[1] = "IF = A1 > 5 THEN A2 = 1 ELSE A2 = 2";
    p.CalcRanges[0].Begin[1] = 1;
    p.CalcRanges[0].End[1] = 10;
    p.CalcRanges[2].Begin[5] = 10;
    p.CalcRanges[2].End[5] = 10;
    p.CalcParameters[0][1] = "XYa";
    p.CalcParameters[2][5] = "12";
    p.Variables[1] = 2.5;
    p.VariableNames[3] = "Total trips";
    TLookupTable& t = p.LookupTables[4];
    t.Description = "Area type";
    t.Parameter = 3;
    t.Otherwise = 9;
    t.Top[1] = 'B';
    t.Values[1] = 1.5;
    t.Bottom[2] = 'C'; // value 0 but a bound set: still written
    t.Top[2] = ' ';
    p.LinkEndsSets[2] = {1, 2, 3, 4, 0, 1, 1, 2};
    p.PolygonOwnerSets[7] = {5, 0, 6, 0, 1, 0, 2, 1};
    return p;
}

// The lines of the written program, each with its line end.
std::vector<std::string> Lines(const TCalcProgram& p)
{
    std::string text;
    EXPECT_TRUE(WriteProgramText(p, text));
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find('\n', pos) + 1;
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

std::string Join(const std::vector<std::string>& lines, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    std::string s;
    for (std::size_t i = from; i < lines.size() && i < to; ++i) s += lines[i];
    return s;
}

} // namespace

TEST(CalcProgramFile, RoundTripKeepsEveryFieldAndLayout)
{
    const TCalcProgram p = Sample();
    const auto lines = Lines(p);
    ASSERT_EQ(lines.size(), 1 + 10 + 10 + 70 + 40 + 1 + 200 + 10 + 20 + 10 + 10u);
    EXPECT_EQ(lines[0], "PROGRAM 6\r\n");
    EXPECT_EQ(lines[21], " 2.50000000000000E+0000\r\n");
    EXPECT_EQ(lines[131], "200\r\n"); // every row: a reset row's bottom is "?"
    EXPECT_EQ(lines[132 + 31], "4 2 C   0.00000000000000E+0000\r\n");
    EXPECT_EQ(lines[333], "1 2 1 2 3 4 0 1\r\n");
    EXPECT_EQ(lines[lines.size() - 4], "2 1 5 6 1\r\n");
    for (std::string text : {Join(lines), std::string()}) {
        if (text.empty()) // LF line ends read the same
            for (char c : Join(lines))
                if (c != '\r') text += c;
        TCalcProgram q;
        std::string error;
        ASSERT_TRUE(ReadProgramText(text, q, error)) << error;
        EXPECT_EQ(q, p);
    }
}

TEST(CalcProgramFile, OlderLayoutsKeepLaterVariablesAndUpperCaseParameters)
{
    TCalcProgram p = Sample();
    p.CalcParameters[0][1] = "xya";
    const auto lines = Lines(p);
    // The older header: ten values and names; no system part, no owners.
    const std::string body = Join(lines, 1, 31) + Join(lines, 56, 66) + Join(lines, 91, 362);
    for (const char* header : {"PROGRAM\r\n", "PROGRAM 6 \r\n"}) {
        TCalcProgram q;
        q.Variables[11] = 77;
        q.CalcRanges[2].Begin[1] = 3;
        q.PolygonOwnerSets[1][0] = 4;
        std::string error;
        ASSERT_TRUE(ReadProgramText(header + body, q, error)) << error;
        EXPECT_EQ(q.Variables[1], 2.5);
        EXPECT_EQ(q.Variables[11], 77);
        EXPECT_EQ(q.CalcParameters[0][1], "XYa");
        EXPECT_EQ(q.CalcRanges[2], TCalcRanges{});
        EXPECT_EQ(q.PolygonOwnerSets[1][0], 0);
        EXPECT_EQ(q.LookupTables[4], p.LookupTables[4]);
    }
}

TEST(CalcProgramFile, DamagedFilesLeaveTheProgramAsItWas)
{
    const auto good = Lines(Sample());
    auto with = [&](std::size_t line, const std::string& text) {
        auto l = good;
        l[line] = text;
        return Join(l);
    };
    TCalcProgram before;
    before.CalcLines[2] = "A1 = 1";
    for (const std::string& text :
         {std::string(), std::string("PROGRAMME\r\n"), with(0, "ZOK 1.09\r\n"), Join(good, 0, 30),
          with(1, "11 1 0 0\r\n"), with(132 + 31, "21 2 C  0\r\n"), with(132 + 31, "4 0 C  0\r\n"),
          with(21, "nan\r\n"), with(131, "2000000000\r\n"), with(131, "-1\r\n")}) {
        TCalcProgram p = before;
        std::string error;
        EXPECT_FALSE(ReadProgramText(text, p, error)) << text.substr(0, 40);
        EXPECT_EQ(p, before);
    }
}

// A program whose lines end with CR alone reads as the written one, and a
// damaged one names the line it refused, as with CR LF and LF.
TEST(CalcProgramFile, ErrorsNameTheRefusedLineWhateverEndsTheLines)
{
    const auto good = Lines(Sample());
    auto damaged = good;
    damaged[21] = "nan\r\n";
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        auto ended = [&](const std::string& text) {
            std::string out;
            for (std::size_t i = 0; i < text.size(); ++i)
                if (text.compare(i, 2, "\r\n") == 0) {
                    out += end;
                    ++i;
                } else {
                    out += text[i];
                }
            return out;
        };
        TCalcProgram p;
        std::string error;
        ASSERT_TRUE(ReadProgramText(ended(Join(good)), p, error)) << error;
        EXPECT_EQ(p, Sample());
        EXPECT_FALSE(ReadProgramText(ended(Join(damaged)), p, error));
        EXPECT_EQ(error, "malformed number at line 22");
        EXPECT_FALSE(ReadProgramText(ended(Join(good, 0, 30)), p, error));
        EXPECT_EQ(error, "unexpected end of file reading a number at line 31");
    }
}

TEST(CalcProgramFile, OpenAndSaveReportFailuresAndKeepTheOldFile)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("calc_pgm_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "trips.pgm").string();
    TMessageSinkRecorder sink;
    TCalcProgram p = Sample();
    ASSERT_TRUE(SaveProgramFile(path, p, &sink));
    EXPECT_EQ(p.ProgramFolder, dir.string());
    TCalcProgram q;
    ASSERT_TRUE(OpenProgramFile(path, q, &sink));
    EXPECT_EQ(q.ProgramFile, path);
    EXPECT_EQ(sink.Count(), 0u);

    EXPECT_FALSE(OpenProgramFile((dir / "missing.pgm").string(), q, &sink));
    EXPECT_EQ(sink.Last().Text, "Valid program file not found.");
    EXPECT_EQ(sink.Last().Caption, "Read Program");
    EXPECT_FALSE(SaveProgramFile((dir / "no" / "such.pgm").string(), p, &sink));
    EXPECT_EQ(sink.Last().Text, "Cannot create program file.");
    EXPECT_EQ(sink.Last().Caption, "Write Program");
    p.Variables[1] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(SaveProgramFile(path, p, &sink));
    ASSERT_TRUE(OpenProgramFile(path, q, &sink));
    EXPECT_EQ(q.Variables[1], 2.5);
    fs::remove_all(dir);
}

TEST(CalcProgramFile, RunsAProgramFileOverANetworkFile)
{
    namespace fs = std::filesystem;
    const std::string data = std::string(TARVEX_TEST_DATA) + "/calc/";
    TMessageSinkRecorder sink;
    TNetWindow net;
    ASSERT_EQ(OpenNetworkFile(net, data + "grid.dta", true, sink).Status, TOpenStatus::Ok);
    TCalcProgram program;
    ASSERT_TRUE(OpenProgramFile(data + "grid.pgm", program, &sink));
    TCalcFlags flags;
    TCalcHost host;
    TViewRecord view; // the window the run acts for
    view.Settings = &net.Settings();
    TCalcRunOptions options;
    options.View = &view;
    const TCalcSummary s = RunCalculation(net, program, flags, host, {}, DefaultCalcEditOps(), options);
    EXPECT_EQ(CalcSummaryText(s), "Processed: 7 Links; 6 Nodes; 1 Systems; 1 Errors.");
    EXPECT_EQ(program.Variables[1], 1500);

    const fs::path out = fs::temp_directory_path() / ("calc_grid_" + std::to_string(::getpid()) + ".dta");
    ASSERT_TRUE(SaveNetworkFile(net, out.string(), 9, sink).Ok);
    TTextReader saved, expected;
    std::string error;
    ASSERT_TRUE(saved.LoadFile(out.string(), error));
    ASSERT_TRUE(expected.LoadFile(data + "grid-expected.dta", error));
    EXPECT_EQ(saved.Bytes(), expected.Bytes());
    fs::remove(out);
}
