// The shapefile export: the sets and their names, records against pyshp,
// shapely, ogrinfo and the index, rows of each table beside their shapes,
// an export read back, the long/lat check and failures; the drivers.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

#include "../tables/tables_fixture.h"
#include "core/file/ByteBuffer.h"
#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeExport.h"
#include "core/shapes/ShapeFileReader.h"
#include "core/shapes/ShapeImport.h"
#include "shapes_fixture.h"

using namespace shapetest;
using tabletest::AddAttribute;
using tabletest::AddVertex;
using tabletest::AHalf;
using tabletest::Real;

namespace {

struct TExportNet {
    TNetwork Net;
    TWindowSettings Window;
    TViewRecord View;
    TMessageSinkRecorder Sink;
    TExportNet() { View.Settings = &Window; }

    // Long/lat from world units: 1e-4 degree each, around 122 W 37 N.
    TNode* Node(int x, int y, int cls, const std::string& name, int elevation = 0)
    {
        TNode* n = tabletest::Node(Net, x, y, cls, name);
        n->Longitude = -1220000000 + x * 1000;
        n->Latitude = 370000000 - y * 1000;
        n->Elevation = elevation;
        n->SetFraction(Net, x, y);
        return n;
    }
    TLinkValues* Link(TNode* a, TNode* b, int cls, const std::string& name,
                      std::initializer_list<std::pair<int, int>> shapes = {})
    {
        TLinkValues* l = tabletest::Link(Net, a, b, cls, name);
        for (auto [x, y] : shapes) {
            TShapePoint* sp = AddShapePoint(Net, x, y, l->ShapePoints.GetCount(), AHalf(l));
            sp->Longitude = -1220000000 + x * 1000;
            sp->Latitude = 370000000 - y * 1000;
            sp->Elevation = 5000;
        }
        return l;
    }
    TShapeExportResult Export(int choice, const std::string& file, bool filter = false)
    {
        return ExportShapefiles(Net, Window, View, choice, filter, file, Sink);
    }
};

// Zones (node class 1, alias Roads, with a real and a string attribute),
// stops (class 2, no alias), streets (link class 3, no alias) and highways
// (link class 1, alias Hwy):
//   zones A (0, 0), B (100, 0), C (100, 100), D (0, 100); stops S (50, 50)
//   without links, T (200, 200);
//   A owns the ring A B C D listed anticlockwise on the map; T owns a
//   triangle listed clockwise; S owns a ring of two active vertices;
//   streets A-B (two shape points) and B-C; highway C-T;
//   a zone on a hidden layer and a zone of class 0, neither exported.
void Build(TExportNet& n)
{
    TEntityClass& nc = *n.Net.NodeClasses;
    nc[1].Name = "Zone";
    nc[1].Alias = "Roads";
    AddAttribute(nc, 1, "Population", 'R', "POP");
    AddAttribute(nc, 1, "Label", 'S', "LAB");
    nc[2].Name = "Stop";
    NumberStringAttributes(nc);
    TEntityClass& lc = *n.Net.LinkClasses;
    lc[1].Name = "Highway";
    lc[1].Alias = "Hwy";
    lc[2].Name = "Ramp"; // none; the file keeps classes up to the first undefined one
    lc[3].Name = "Street";
    AddAttribute(lc, 3, "Lanes", 'I', "LANES");

    TNode* a = n.Node(0, 0, 1, "A", 10000);
    TNode* b = n.Node(100, 0, 1, "B", 20000);
    TNode* c = n.Node(100, 100, 1, "C", -5000);
    TNode* d = n.Node(0, 100, 1, "D");
    a->Values[0] = Real(1500);
    a->Strings.Set(0, "first");
    TNode* s = n.Node(50, 50, 2, "S");
    TNode* t = n.Node(200, 200, 2, "T");
    // World Y grows south: A (0, 0) is the north-west corner.
    for (TNode* v : {d, c, b, a}) AddVertex(n.Net, a, v); // D C B A: anticlockwise on the map
    for (TNode* v : {b, t, c}) AddVertex(n.Net, t, v);     // B T C: clockwise on the map
    n.Link(a, b, 3, "AB", {{30, 10}, {60, 10}})->Values[0] = Real(2);
    n.Link(b, c, 3, "BC");
    n.Link(c, t, 1, "CT", {{150, 150}});
    TNode* hidden = n.Node(300, 300, 1, "Hidden");
    hidden->Layer = 2;
    n.Window.Layers.LayerStates[2] = 0;
    n.Node(400, 400, 0, "Undefined");
    // S's ring: B, C and an inactive vertex, a null shape.
    TNode* gone = n.Node(10, 90, 1, "Gone");
    for (TNode* v : {b, c, gone}) AddVertex(n.Net, s, v);
    gone->Active = 0;
    gone->Longitude = 0; // not active: not checked
}

std::string RowsText(const std::string& shp) { return Oracle("rows '" + shp + "'"); }

} // namespace

TEST(ShapeExport, EverythingWritesOneSetPerClass)
{
    TExportNet n;
    Build(n);
    const fs::path dir = TempFolder("every.thing");
    const std::string base = (dir / "net").string();
    const TShapeExportResult r = n.Export(ShapeExportEverything, base + ".out.shp");
    ASSERT_EQ(r.ErrorCode, ShapeExportOk) << r.Status;
    std::vector<std::string> expected;
    for (const char* set : {"Roads", "Node2", "RoadsP", "Polygon2", "Hwy", "Link3"})
        for (const char* ext : {".dbf", ".shp", ".shx"}) expected.push_back(base + set + ext);
    EXPECT_EQ(r.Files, expected);
    EXPECT_EQ(r.Status, "6 nodes written, 3 links written, 3 polygons written (done)");
    EXPECT_TRUE(n.Sink.Calls.empty());
    EXPECT_FALSE(n.Net.Modified);

    if (!HaveOracle()) GTEST_SKIP() << "pyshp, shapely or ogrinfo is not installed";
    std::string shps;
    for (const std::string& f : r.Files)
        if (f.ends_with(".shp")) shps += " '" + f + "'";
    EXPECT_EQ(Oracle("check" + shps), "ok\n");
    // Row n of each table describes shape n; the columns are the name, the
    // class's attributes and the note lines.
    EXPECT_EQ(RowsText(base + "Roads.shp"), "NAME POP LAB NOTE1 NOTE2\nA|-122.0 37.0\nB|-121.99 37.0\n"
                                            "D|-122.0 36.99\nC|-121.99 36.99\n");
    EXPECT_EQ(RowsText(base + "Node2.shp"), "NAME NOTE1 NOTE2\nS|-121.995 36.995\nT|-121.98 36.98\n");
    EXPECT_EQ(RowsText(base + "Link3.shp"), "NAME LANES NOTE1 NOTE2\nAB|-122.0 37.0\nBC|-121.99 37.0\n");
    EXPECT_EQ(RowsText(base + "Polygon2.shp"), "NAME NOTE1 NOTE2\nS|-\nT|-121.99 37.0\n");
    // The zone ring was anticlockwise: written from its last vertex.
    EXPECT_EQ(RowsText(base + "RoadsP.shp"), "NAME POP LAB NOTE1 NOTE2\nA|-122.0 37.0\n");

    // Read back: every point with its long/lat and elevation.
    TNetwork back;
    TWindowSettings window;
    for (const char* set : {"Roads", "Link3", "Hwy", "RoadsP"})
        EXPECT_EQ(ImportShapefile(back, window, {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator},
                                  base + set + ".shp", {}, n.Sink).ErrorCode, ShapeErrorNone);
    const TNode* a = FindNodeByName(back, "N1", nullptr);
    EXPECT_EQ(std::tie(a->Longitude, a->Latitude, a->Elevation), std::make_tuple(-1220000000, 370000000, 10000));
    int32_t shapes = 0;
    ForEachLink(back, [&](TLink* h) {
        for (const TShapePoint* sp : h->LinkValues->ShapePoints) shapes += sp->Elevation == 5000;
    });
    EXPECT_EQ(std::tie(back.LinkCount, shapes), std::make_tuple(3, 3));
}

TEST(ShapeExport, SingleKindsAndTheirRecords)
{
    TExportNet n;
    Build(n);
    const fs::path dir = TempFolder("single");
    const std::string nodes = (dir / "nodes").string();
    TShapeExportResult r = n.Export(ShapeExportNodes, nodes);
    EXPECT_EQ(r.Status, "6 nodes written");
    EXPECT_EQ(r.Files, (std::vector<std::string>{nodes + ".shp", nodes + ".shx"}));
    // With the filter, the nodes without links (D and S) stay out.
    EXPECT_EQ(n.Export(ShapeExportNodes, nodes + ".shp", true).Status, "4 nodes written");
    r = n.Export(ShapeExportLinks, (dir / "links.SHP").string());
    EXPECT_EQ(r.Status, "3 links written");
    EXPECT_EQ(r.Files[1], (dir / "links.SHX").string());
    r = n.Export(ShapeExportPolygons, (dir / "polys.shp").string());
    EXPECT_EQ(r.Status, "3 polygons written");

    // Read back: headers, boxes, Z and the records' points.
    TShpReader reader;
    std::string error;
    TShpHeader h;
    ASSERT_TRUE(reader.Open((dir / "links.SHP").string(), error));
    ASSERT_TRUE(reader.ReadHeader(h));
    const std::vector<uint8_t> bytes = ReadBytes(dir / "links.SHP");
    EXPECT_EQ(std::tie(h.ShapeType, h.Xmin, h.Xmax, h.Ymin, h.Ymax), std::make_tuple(ShpPolyLineZ, -122.0, -121.98, 36.98, 37.0));
    // The Z range of the links' points.
    EXPECT_EQ(std::make_pair(GetDoubleLittle(bytes, 68), GetDoubleLittle(bytes, 76)), std::make_pair(-0.5, 2.0));
    std::vector<int32_t> counts;
    TShpRecord rec;
    while (reader.Next(rec)) counts.push_back(rec.PointCount());
    EXPECT_EQ(counts, (std::vector<int32_t>{4, 2, 3})); // a link without shape points has two

    ASSERT_TRUE(reader.Open((dir / "polys.shp").string(), error));
    ASSERT_TRUE(reader.ReadHeader(h));
    std::vector<TShpRecordKind> kinds;
    std::vector<std::vector<double>> rings;
    while (reader.Next(rec)) {
        kinds.push_back(rec.Kind);
        rings.push_back(rec.XY);
    }
    ASSERT_EQ(kinds.size(), 3u);
    EXPECT_EQ(kinds[1], TShpRecordKind::Null); // S: two active vertices
    // A's ring D C B A reversed into A B C D, closed.
    EXPECT_EQ(rings[0], (std::vector<double>{-122.0, 37.0, -121.99, 37.0, -121.99, 36.99, -122.0, 36.99, -122.0, 37.0}));
    // T's ring B T C kept, closed.
    EXPECT_EQ(rings[2], (std::vector<double>{-121.99, 37.0, -121.98, 36.98, -121.99, 36.99, -121.99, 37.0}));

    // Nothing selected: an empty file with a box of zeros.
    n.Window.Layers.LayerStates[1] = 0;
    r = n.Export(ShapeExportNodes, (dir / "none.shp").string());
    EXPECT_EQ(r.Status, "0 nodes written");
    const std::vector<uint8_t> none = ReadBytes(dir / "none.shp");
    ASSERT_EQ(none.size(), 100u);
    EXPECT_EQ(std::vector<uint8_t>(none.begin() + 36, none.end()), std::vector<uint8_t>(64, 0));

    if (!HaveOracle()) GTEST_SKIP() << "pyshp, shapely or ogrinfo is not installed";
    EXPECT_EQ(Oracle("check '" + nodes + ".shp' '" + (dir / "links.SHP").string() + "' '" +
                     (dir / "polys.shp").string() + "'"),
              "ok\n");
}

TEST(ShapeExport, RefusalsAndFailuresLeaveFilesAlone)
{
    TExportNet n;
    Build(n);
    const fs::path dir = TempFolder("refused");
    // One node at longitude 0: nothing at all is written.
    FindNodeByName(n.Net, "C", nullptr)->Longitude = 0;
    for (int choice : {ShapeExportEverything, ShapeExportNodes, ShapeExportLinks, ShapeExportPolygons}) {
        const TShapeExportResult r = n.Export(choice, (dir / "x.shp").string());
        EXPECT_EQ(r.ErrorCode, ShapeExportIllegalLongLat);
        EXPECT_EQ(r.Status, "Illegal long/lat values");
    }
    EXPECT_TRUE(fs::is_empty(dir));
    // A shape point out of the world's range, for links only.
    FindNodeByName(n.Net, "C", nullptr)->Longitude = -1219900000;
    TShapePoint* shape = nullptr;
    ForEachLink(n.Net, [&](TLink* h) {
        if (h->LinkValues->Name == "CT") shape = h->LinkValues->ShapePoints.At(0);
    });
    shape->Latitude = 900000001;
    EXPECT_EQ(n.Export(ShapeExportNodes, (dir / "x.shp").string()).ErrorCode, ShapeExportOk);
    EXPECT_EQ(n.Export(ShapeExportLinks, (dir / "x.shp").string()).Status, "Illegal long/lat values");
    shape->Latitude = 369850000;

    // A file that cannot be made stops the export and names it; the files
    // there before stay whole.
    const std::vector<uint8_t> before = ReadBytes(dir / "x.shp");
    fs::remove(dir / "x.shx");
    fs::create_directory(dir / "x.shx");
    TShapeExportResult r = n.Export(ShapeExportNodes, (dir / "x.shp").string());
    EXPECT_EQ(r.ErrorCode, ShapeExportWriteFailed);
    EXPECT_EQ(r.Status, "Cannot create " + (dir / "x.shx").string());
    EXPECT_EQ(ReadBytes(dir / "x.shp"), before);
    r = n.Export(ShapeExportEverything, (dir / "missing" / "net.shp").string());
    EXPECT_EQ(r.Status, "Cannot create " + (dir / "missing" / "netRoads.dbf").string());
    EXPECT_TRUE(r.Files.empty());

    // A set whose .shp cannot be put in place changes none of its files:
    // the new table never stands beside the old shapes.
    const fs::path sets = TempFolder("whole-sets");
    r = n.Export(ShapeExportEverything, (sets / "net.shp").string());
    ASSERT_EQ(r.ErrorCode, ShapeExportOk);
    ASSERT_GE(r.Files.size(), 3u);
    const fs::path dbf = r.Files[0], shp = r.Files[1], shx = r.Files[2];
    ASSERT_EQ(dbf.extension(), ".dbf");
    const std::vector<uint8_t> oldDbf = ReadBytes(dbf), oldShx = ReadBytes(shx);
    ForEachNode(n.Net, [](TNode* node) { node->Name += "-renamed"; });
    fs::remove(shp);
    fs::create_directory(shp);
    r = n.Export(ShapeExportEverything, (sets / "net.shp").string());
    EXPECT_EQ(r.ErrorCode, ShapeExportWriteFailed);
    EXPECT_EQ(r.Status, "Cannot create " + shp.string());
    EXPECT_EQ(ReadBytes(dbf), oldDbf);
    EXPECT_EQ(ReadBytes(shx), oldShx);
    for (const auto& entry : fs::directory_iterator(sets)) // no temporary file is left behind
        EXPECT_EQ(entry.path().filename().string().rfind("net", 0), 0u) << entry.path();
    // Once the .shp can be written the whole set is new.
    fs::remove(shp);
    ASSERT_EQ(n.Export(ShapeExportEverything, (sets / "net.shp").string()).ErrorCode, ShapeExportOk);
    EXPECT_NE(ReadBytes(dbf), oldDbf);
}

// The files of a set change together: none is put in place unless every one
// is whole.
TEST(ShapeExport, SetFilesAreCommittedTogether)
{
    const fs::path dir = TempFolder("commit-all");
    const fs::path a = dir / "a.shp", b = dir / "a.shx";
    std::string error;
    ASSERT_TRUE(AtomicWriteFile(a.string(), "old a", error));
    ASSERT_TRUE(AtomicWriteFile(b.string(), "old b", error));
    auto text = [](const fs::path& p) {
        const std::vector<uint8_t> bytes = ReadBytes(p);
        return std::string(bytes.begin(), bytes.end());
    };
    {
        TTextWriter first, second;
        ASSERT_TRUE(first.BeginFile(a.string(), error));
        first.WriteText("new a");
        // The second file was never made: the first stays out too.
        EXPECT_FALSE(TTextWriter::CommitAll({&first, &second}, error));
    }
    EXPECT_EQ(text(a), "old a");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // no temporary file left
    {
        TTextWriter first, second;
        ASSERT_TRUE(first.BeginFile(a.string(), error) && second.BeginFile(b.string(), error));
        first.WriteText("new a");
        second.WriteText("new b");
        ASSERT_TRUE(TTextWriter::CommitAll({&first, &second}, error)) << error;
    }
    EXPECT_EQ(text(a) + text(b), "new anew b");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

namespace {

// Makes the sync of every file whose name holds Part fail, as a disk that
// takes the bytes but cannot keep them would.
struct TFailingSync {
    static inline std::string Part;
    static inline int Failures = 0;
    static int Sync(int fd)
    {
        char name[4096];
        const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
        if (n > 0 && std::string(name, size_t(n)).find(Part) != std::string::npos) {
            ++Failures;
            errno = EIO;
            return -1;
        }
        return ::fsync(fd);
    }
    explicit TFailingSync(std::string part)
    {
        Part = std::move(part);
        Failures = 0;
    }
    ~TFailingSync() { ReplaceFileSync(Old); }
    TFileSync Old = ReplaceFileSync(Sync);
};

} // namespace

// A set whose files were all written but could not all be made whole is
// reported, and none of its files changes; the sets before it stand.
TEST(ShapeExport, ASetWhoseCommitFailsIsReported)
{
    TExportNet n;
    Build(n);
    const fs::path dir = TempFolder("sync-fails");
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string net = (dir / "net.shp").string();
    ASSERT_EQ(n.Export(ShapeExportEverything, net).ErrorCode, ShapeExportOk);
    std::map<std::string, std::vector<uint8_t>> before;
    for (const auto& e : fs::directory_iterator(dir)) before[e.path().filename()] = ReadBytes(e.path());
    ForEachNode(n.Net, [](TNode* node) { node->Name += "-renamed"; });
    ForEachLink(n.Net, [](TLink* h) { h->LinkValues->Name += "-renamed"; });
    {
        // The highway set's index is the last file of its set to be finished.
        TFailingSync failing(".netHwy.shx.tmp");
        const TShapeExportResult r = n.Export(ShapeExportEverything, net);
        EXPECT_EQ(failing.Failures, 1);
        EXPECT_EQ(r.ErrorCode, ShapeExportWriteFailed);
        EXPECT_EQ(r.Status, "Cannot create " + (dir / "netHwy.shp").string());
        ASSERT_EQ(r.Files.size(), 12u); // the four sets before it
        EXPECT_EQ(fs::path(r.Files.back()).filename().string(), "netPolygon2.shx");
    }
    std::map<std::string, std::vector<uint8_t>> after;
    for (const auto& e : fs::directory_iterator(dir)) after[e.path().filename()] = ReadBytes(e.path());
    ASSERT_EQ(after.size(), before.size()); // no temporary file left behind
    for (const auto& [name, bytes] : before) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(after.count(name));
        const bool rewritten = name.starts_with("netRoads.") || name.starts_with("netRoadsP.") ||
                               name.starts_with("netPolygon2.") || name.starts_with("netNode2.");
        if (!rewritten) {
            EXPECT_EQ(after[name], bytes);
        } else if (name == "netRoads.dbf") {
            EXPECT_NE(after[name], bytes); // the renamed zones
        }
    }

    // A single kind: the .shp was whole, its index was not; neither changes.
    const std::string nodes = (dir / "nodes.shp").string();
    ASSERT_EQ(n.Export(ShapeExportNodes, nodes).ErrorCode, ShapeExportOk);
    const std::vector<uint8_t> oldShp = ReadBytes(nodes), oldShx = ReadBytes(dir / "nodes.shx");
    n.Node(700, 700, 2, "Late");
    {
        TFailingSync failing(".nodes.shx.tmp");
        const TShapeExportResult r = n.Export(ShapeExportNodes, nodes);
        EXPECT_EQ(failing.Failures, 1);
        EXPECT_EQ(r.ErrorCode, ShapeExportWriteFailed);
        EXPECT_EQ(r.Status, "Cannot create " + nodes);
        EXPECT_TRUE(r.Files.empty());
        EXPECT_EQ(r.Nodes, 0);
    }
    EXPECT_EQ(ReadBytes(nodes), oldShp);
    EXPECT_EQ(ReadBytes(dir / "nodes.shx"), oldShx);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), std::ptrdiff_t(before.size() + 2));
}

// A set written over an older one keeps the older files' permission bits,
// the table's as much as the shapes'; a new set gets the usual ones.
TEST(ShapeExport, ASetOverAnOldOneKeepsItsModes)
{
    TExportNet n;
    Build(n);
    const fs::path dir = TempFolder("modes");
    fs::remove_all(dir);
    fs::create_directories(dir);
    struct TUmask {
        mode_t Old = ::umask(022);
        ~TUmask() { ::umask(Old); }
    } keepUmask;
    const std::string net = (dir / "net.shp").string();
    ASSERT_EQ(n.Export(ShapeExportEverything, net).ErrorCode, ShapeExportOk);
    auto mode = [&](const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat((dir / name).c_str(), &st), 0) << name;
        return st.st_mode & 07777;
    };
    EXPECT_EQ(mode("netRoads.dbf"), 0644u);
    for (const char* name : {"netRoads.dbf", "netRoads.shp", "netRoads.shx"})
        ASSERT_EQ(::chmod((dir / name).c_str(), 0640), 0);
    ASSERT_EQ(::chmod((dir / "netHwy.dbf").c_str(), 0600), 0);
    ForEachNode(n.Net, [](TNode* node) { node->Name += "-renamed"; });
    const TShapeExportResult r = n.Export(ShapeExportEverything, net);
    ASSERT_EQ(r.ErrorCode, ShapeExportOk) << r.Status;
    EXPECT_EQ(mode("netRoads.dbf"), 0640u);
    EXPECT_EQ(mode("netRoads.shp"), 0640u);
    EXPECT_EQ(mode("netRoads.shx"), 0640u);
    EXPECT_EQ(mode("netHwy.dbf"), 0600u);
    EXPECT_EQ(mode("netHwy.shp"), 0644u);
    EXPECT_EQ(mode("netNode2.dbf"), 0644u);
}

// The command-line drivers beside this test program.
TEST(ShapeExport, Drivers)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path dir = TempFolder("drivers");
    auto run = [&](const std::string& args, std::string& out) {
        return RunCommand("cd '" + dir.string() + "' && '" + exe.string() + "/" + args + " 2>&1", out);
    };
    std::string out;
    TExportNet n;
    Build(n);
    ASSERT_TRUE(SaveNetworkFile(n.Net, n.Window, (dir / "net.dta").string(), 9, n.Sink).Ok);

    ASSERT_TRUE(run("shp-export' net.dta links lines", out));
    EXPECT_EQ(out, "wrote lines.shp\nwrote lines.shx\n3 links written\n");
    ASSERT_TRUE(run("shp-export' net.dta everything all.shp --filter", out));
    EXPECT_EQ(out.substr(out.rfind("wrote")), "wrote allLink3.shx\n4 nodes written, 3 links written, 3 polygons written (done)\n");
    FindNodeByName(n.Net, "C", nullptr)->Latitude = 0;
    ASSERT_TRUE(SaveNetworkFile(n.Net, n.Window, (dir / "bad.dta").string(), 9, n.Sink).Ok);
    EXPECT_FALSE(run("shp-export' bad.dta nodes bad", out));
    EXPECT_EQ(out, "Illegal long/lat values\n");

    // Import into the network the export came from, then into a new one.
    ASSERT_TRUE(run("shp-import' net.dta lines.shp back.dta --method tm --scale 1 -100000 --translate 122 -37", out));
    EXPECT_EQ(out, "records 3 null 0 bad 0\nstatus 3 records read.\nnodes 12 links 6 shapepoints 6 polygons 3\n");
    TNetwork back;
    TWindowSettings window;
    ASSERT_EQ(OpenNetworkFile(back, window, (dir / "back.dta").string(), true, n.Sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(window.LongLat.LongLatMethod, 2); // kept as OK keeps it
    EXPECT_EQ(window.LongLat.PixelsPerDegreeLat, -100000);
    EXPECT_EQ(window.LongLat.TranslateY, -37);
    ASSERT_TRUE(run("shp-import' - '" + SharedShp() + "/shplib/csah.shp' csah.dta", out));
    EXPECT_EQ(out.substr(0, out.find("\nnodes")),
              "records 124 null 24 bad 0\nstatus 124 records read, 24 skipped: 24 null shapes.");
    EXPECT_FALSE(run("shp-import' - '" + SharedShp() + "/pyshp/multipatch.shp' patch.dta", out));
    EXPECT_EQ(out, "Shape type 31 not imported.\nShape File\nrecords 0 null 0 bad 0\n"
                   "nodes 0 links 0 shapepoints 0 polygons 0\n");
    EXPECT_TRUE(fs::exists(dir / "patch.dta"));

    ASSERT_TRUE(run("shp-settings' suggest '" + SharedShp() + "/pyshp/blockgroups.shp' 100 69.05", out));
    EXPECT_EQ(out, "xscale 5459.11 yscale -6905 xtranslate 122.42 ytranslate -37.76\n");
    ASSERT_TRUE(run("shp-settings' compute 100 -45", out));
    EXPECT_EQ(out.substr(out.find(" shown")), " shown 69.06\n");
    EXPECT_FALSE(run("shp-settings' suggest net.dta 100 69.05", out));
    EXPECT_EQ(out, "Valid update file not found.\nShape File\n");
}
