// The path-mark, coverage and overlay drivers on saved networks: Sioux
// Falls' known free-flow costs, and the same answers as the engines.
#include "../net_window.h"
#include "core/analysis/OverlayArea.h"
#include "core/analysis/PolygonCoverage.h"
#include "core/file/NetworkFile.h"
#include "core/model/WindowSettings.h"
#include "analysis_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace analysistest;

namespace {

// Runs a driver built beside this test program; its standard output.
std::string Driver(const std::string& name, const std::string& args, int* status = nullptr)
{
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::string out;
    const bool errors = args.ends_with(" 2>&1");
    FILE* p = popen(((dir / name).string() + " " + args + (errors ? "" : " 2>/dev/null")).c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    if (status) *status = WEXITSTATUS(rc);
    return out;
}

// The same with its error output after the standard output.
std::string DriverWithErrors(const std::string& name, const std::string& args, int* status)
{
    return Driver(name, args + " 2>&1", status);
}

std::string Num(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string Temp(const std::string& name) { return ::testing::TempDir() + name; }

// Node names by serial number, as the file numbers them.
std::map<int, std::string> NamesBySerial(const std::string& file)
{
    TNetWindow net;
    TMessageSinkRecorder sink;
    OpenNetworkFile(net, file, true, sink);
    std::map<int, std::string> names;
    ForEachNode(net, [&](TNode* n) { names[n->Serial] = n->Name; });
    return names;
}

} // namespace

TEST(AnalysisDrivers, PathMarkFindsSiouxFallsFreeFlowCosts)
{
    const std::string netFile = SharedData("tntp/SiouxFalls/SiouxFalls_net.tntp");
    if (!Exists(netFile)) GTEST_SKIP() << "Sioux Falls is not in " << netFile;
    const std::string in = Temp("siouxfalls.dta"), out = Temp("siouxfalls-out.dta");
    {
        TNetWindow net;
        LoadTntp(net, netFile, SharedData("tntp/SiouxFalls/SiouxFalls_node.tntp"));
        (*net.LinkClasses)[1].Name = "Road";
        Define((*net.LinkClasses)[1], "Road", "RRR");
        ForEachLink(net, [](TLink* h) { ResizeValues(*h->LinkValues, 3); });
        TMessageSinkRecorder sink;
        ASSERT_TRUE(SaveNetworkFile(net, in, 9, sink).Ok);
    }
    const auto names = NamesBySerial(in);
    auto distances = [&](const std::string& args) {
        int status = -1;
        std::istringstream lines(Driver("path-mark", in + " " + out + " " + args, &status));
        EXPECT_EQ(status, 0) << args;
        std::map<std::string, std::string> d;
        std::string word, last;
        while (lines >> word) {
            if (word == "node") {
                int serial;
                std::string dist, mark;
                lines >> serial >> dist >> mark;
                d[names.at(serial)] = dist;
            } else if (word == "status") {
                std::getline(lines, last);
            }
        }
        EXPECT_EQ(last, " Done.");
        return d;
    };
    auto from1 = distances("--start 1 1 1 --cost 1 A1:A2");
    EXPECT_EQ(from1["20"], "22");
    EXPECT_EQ(from1["24"], "15");
    EXPECT_EQ(distances("--start 1 1 24 --cost 1 A1:A2")["1"], "15");
    EXPECT_EQ(distances("--start 1 1 13 --cost 1 A1:A2")["2"], "17");
    // Two sets, the later one reaching 19 first; the marks written to A3
    // along the path to 19 only.
    auto two = distances("--start 1 1 1 --start 2 7 7 --end 19 --link-attr 1 3 --cost 1 A1:A2");
    EXPECT_EQ(two["19"], "9");
    TNetWindow marked;
    TMessageSinkRecorder sink;
    OpenNetworkFile(marked, out, true, sink);
    int onPath = 0;
    ForEachLink(marked, [&](TLink* h) { onPath += Val(h, 3) == 7; });
    EXPECT_GT(onPath, 0);

    // Refusals print their message box and fail.
    int status = 0;
    EXPECT_EQ(Driver("path-mark", in + " " + out + " --start 1 1 Nowhere", &status),
              "Starting node not found.\nMark Shortest Paths\n");
    EXPECT_NE(status, 0);
    EXPECT_EQ(Driver("path-mark", in + " " + out + " --start 1 1 1 --max x", &status),
              "Error in maximum distance.\nMark Shortest Paths\n");
    EXPECT_NE(status, 0);
}

TEST(AnalysisDrivers, CoverageAndOverlayAnswerAsTheEngines)
{
    const std::string in = Temp("zones.dta"), out = Temp("zones-out.dta");
    {
        TNetWindow net;
        Define((*net.NodeClasses)[1], "Zone", "RI");
        Define((*net.NodeClasses)[2], "Site", "");
        Set(Polygon(net, {{0, 0}, {100, 0}, {100, 80}, {0, 80}}, 1, "Z1"), 1, 10);
        Set(Polygon(net, {{50, 0}, {180, 30}, {120, 90}}, 1, "Z2", 2), 1, 20);
        Node(net, 90, 40, 2, "Site");
        net.Layers.LayerStates[2] = 1;
        TMessageSinkRecorder sink;
        ASSERT_TRUE(SaveNetworkFile(net, in, 9, sink).Ok);
    }
    TNetWindow net;
    TMessageSinkRecorder sink;
    OpenNetworkFile(net, in, true, sink);
    TWindowSettings window;
    window.Layers = net.Layers;
    TViewRecord view;
    TPolygonCoverageSettings s;
    s.ElementType = CoverageNodeCircle;
    s.BufferRadius = 25;
    s.InputChoice[1] = CoverageInputIndex(1, 2);
    s.OutputAttribute[1] = 2;
    const TCoverageResult r = RunPolygonCoverage(net, window, view, s, {"Site"});
    std::ostringstream expected;
    for (const TZoneCoverage& z : r.Zones)
        expected << "zone " << z.Zone->Serial << ' ' << Num(z.Covered) << ' ' << Num(z.Value) << '\n';
    expected << "marked " << r.Marked << "\nstatus " << r.Status << '\n';
    EXPECT_EQ(Driver("coverage", in + " " + out + " --type circle --element Site --radius 25 --input 1 1 --output 1 2"),
              expected.str());
    ASSERT_EQ(r.Zones.size(), 2u);

    for (int l = 3; l <= 10; ++l) window.Layers.LayerStates[l] = 0;
    const TOverlayResult o = ComputeOverlayArea(net, window, view, "2");
    std::string args = in + " --units 2";
    for (int l = 3; l <= 10; ++l) args += " --layer " + std::to_string(l) + " 0";
    EXPECT_EQ(Driver("overlay", args), "area " + Num(o.Area) + "\nstatus " + o.Status + "\n");
    EXPECT_GT(o.Area, 0);
}

// An option value that is no number or lies outside its range stops a driver
// at once with the reason and the usage, before it is used as an index.
TEST(AnalysisDrivers, BadOptionValuesStopTheDriver)
{
    const std::string in = Temp("bad-args.dta"), out = Temp("bad-args-out.dta");
    {
        TNetWindow net;
        Define((*net.NodeClasses)[1], "Zone", "RI");
        Node(net, 10, 10, 1, "Alpha");
        TMessageSinkRecorder sink;
        ASSERT_TRUE(SaveNetworkFile(net, in, 9, sink).Ok);
    }
    std::filesystem::remove(out);
    const struct {
        const char* Driver;
        std::string Args, Reason;
    } cases[] = {
        {"path-mark", in + " " + out + " --start 10 1 Alpha", "out of range 1..5: 10"},
        {"path-mark", in + " " + out + " --start 1 1 Alpha --link-attr 99 1", "out of range 1..10: 99"},
        {"path-mark", in + " " + out + " --node-attr 1", "missing value"},
        {"path-mark", in + " " + out + " --block x1", "not an integer: x1"},
        {"coverage", in + " " + out + " --type circle --element Alpha --input 99 999", "out of range 1..10: 99"},
        {"coverage", in + " " + out + " --type circle --element Alpha --input 1 999", "out of range 0..106: 999"},
        {"overlay", in + " --layer 11 0", "out of range 1..10: 11"},
    };
    for (const auto& c : cases) {
        int status = 0;
        const std::string text = DriverWithErrors(c.Driver, c.Args, &status);
        EXPECT_EQ(status, 2) << c.Driver << ' ' << c.Args << '\n' << text;
        EXPECT_EQ(text.substr(0, text.find('\n')), c.Reason) << c.Args;
        EXPECT_NE(text.find("usage: " + std::string(c.Driver)), std::string::npos) << text;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.Args;
    }
}
