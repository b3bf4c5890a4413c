// Bad input, failed saves and the faults the file drivers guard against.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "netfile_fixture.h"

using namespace netfiletest;

namespace {

std::string SavedRich(int version, const std::string& name)
{
    TNetWindow net;
    MakeRichNetwork(net);
    TMessageSinkRecorder rec;
    const std::string path = TempPath(name);
    SaveNetworkFile(net, path, version, rec);
    return ReadAll(path);
}

TOpenResult OpenBytes(const std::string& bytes, TMessageSinkRecorder& rec, TNetWindow& net)
{
    const std::string path = TempPath("bytes.dta");
    WriteAll(path, bytes);
    return OpenNetworkFile(net, path, true, rec);
}

TOpenResult OpenBytes(const std::string& bytes)
{
    TMessageSinkRecorder rec;
    TNetWindow net;
    return OpenBytes(bytes, rec, net);
}

// Replaces the first occurrence of what after the line that starts with anchor.
std::string Edit(std::string bytes, const std::string& anchor, const std::string& what, const std::string& with)
{
    std::size_t p = bytes.find(anchor);
    EXPECT_NE(p, std::string::npos) << anchor;
    p = bytes.find(what, p);
    EXPECT_NE(p, std::string::npos) << what;
    return bytes.replace(p, what.size(), with);
}

} // namespace

TEST(NetworkFileBadInput, TagsMustMatchExactly)
{
    std::string good = SavedRich(9, "tags.dta");
    for (const char* tag : {"ZOK 1.09 ", "ZOK 1.02", "ZOK 1.1", "", "zok 1.09"}) {
        SCOPED_TRACE(tag);
        TMessageSinkRecorder rec;
        TNetWindow net;
        std::string bytes = good;
        bytes.replace(0, 8, tag);
        EXPECT_EQ(OpenBytes(bytes, rec, net).Status, TOpenStatus::Failed);
        ASSERT_EQ(rec.Count(), 1u);
        EXPECT_EQ(rec.Last().Text, "Network Read Error 1");
        EXPECT_EQ(rec.Last().Caption, "Network will be closed.");
        EXPECT_EQ(rec.Last().Flags, MB_STOP_OK);
    }
    TMessageSinkRecorder rec;
    TNetWindow net;
    EXPECT_EQ(OpenNetworkFile(net, TempPath("no such file.dta"), true, rec).ErrorCode, 1);
}

// Cut anywhere, a file gives a read error or the part that holds a whole
// network; never a crash. Cuts before the body always fail.
TEST(NetworkFileBadInput, TruncatedAtEveryLine)
{
    for (int v : {1, 5, 7, 9}) {
        const std::string bytes = SavedRich(v, "trunc.dta");
        const std::size_t body = bytes.find("END OF APPLICATION");
        for (std::size_t cut = 0; cut < bytes.size(); cut = bytes.find('\n', cut + 1)) {
            for (std::size_t at : {cut, cut + 3}) {
                if (at > bytes.size()) continue;
                const TOpenResult r = OpenBytes(bytes.substr(0, at));
                if (at < body) EXPECT_EQ(r.Status, TOpenStatus::Failed) << "v" << v << " cut at " << at;
                else EXPECT_NE(r.Status, TOpenStatus::MemoryLimited);
            }
            if (cut == std::string::npos) break;
        }
    }
}

TEST(NetworkFileBadInput, NumbersCountsAndIndexesAreChecked)
{
    const std::string good = SavedRich(9, "ranges.dta");
    const std::string node = "1 1000 -250 3 1 1 5 0 0 0";
    ASSERT_NE(good.find(node), std::string::npos);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"nan", Edit(good, "END OF APPLICATION", node, "1 nan -250 3 1 1 5 0 0 0")},
        {"hex", Edit(good, "END OF APPLICATION", node, "1 0x10 -250 3 1 1 5 0 0 0")},
        {"huge", Edit(good, "END OF APPLICATION", node, "1 1e999 -250 3 1 1 5 0 0 0")},
        {"outside the world", Edit(good, "END OF APPLICATION", node, "1 600000 -250 3 1 1 5 0 0 0")},
        {"value count", Edit(good, "END OF APPLICATION", node, "1 1000 -250 3 1 1 101 0 0 0")},
        {"negative class", Edit(good, "END OF APPLICATION", node, "1 1000 -250 3 1 -1 5 0 0 0")},
        {"shape count", Edit(good, "END OF APPLICATION", "1 0 0 1000 -250 1 2 1 2 3", "1 0 0 1000 -250 1 2 1 2 -3")},
        {"negative value count", Edit(good, "END OF APPLICATION", node, "1 1000 -250 3 1 1 -5 0 0 0")},
        {"worksheet rows", Edit(good, "Kind  ", "2 0 \r\n", "11 0 \r\n")},
        {"text list", Edit(good, "Plot\r\n", "2\r\none", "2000000000\r\none")},
        {"font slot", Edit(good, "Test network", "2 0 0 2 0 101", "2 0 0 99 0 101")},
    };
    for (const Case& c : cases) {
        const TOpenResult r = OpenBytes(c.bytes);
        EXPECT_EQ(r.Status, TOpenStatus::Failed) << c.what;
        EXPECT_EQ(r.ErrorCode, 1) << c.what;
    }
}

// A refused file names the line it refused, whether its lines end with CR
// LF, with LF or with CR alone: the line a bad count or number stands on,
// and the line after the last one when the file ends too soon.
TEST(NetworkFileBadInput, MessagesNameTheRefusedLineWhateverEndsTheLines)
{
    const std::string good = SavedRich(9, "lines.dta");
    auto lineOf = [](const std::string& bytes, std::size_t at) {
        return std::to_string(1 + std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(at), '\n'));
    };
    const std::string node = "1 1000 -250 3 1 1 5 0 0 0";
    const std::size_t zone = good.find("\r\nZone  ") + 2;
    const std::size_t type = good.find("\r\nType  ") + 2;
    const std::size_t body = good.find(node, good.find("END OF APPLICATION"));
    ASSERT_NE(body, std::string::npos);
    const std::size_t cut = good.find("\r\n", zone) + 2;
    struct Case {
        std::string bytes, detail;
    };
    const Case cases[] = {
        {Edit(good, "\r\nZone  ", "1 1 5\r\n", "1 1 101\r\n"), "attribute count outside 0..100 at line " + lineOf(good, zone)},
        {Edit(good, "\r\nType  ", " 3 C ", " 11 C "), "worksheet row count above 10 at line " + lineOf(good, type)},
        {Edit(good, "END OF APPLICATION", node, "1 1000 -250 3 1 x 5 0 0 0"), "malformed integer at line " + lineOf(good, body)},
        {good.substr(0, cut), "at line " + lineOf(good, cut)},
    };
    for (const char* end : {"\r\n", "\n", "\r"}) {
        for (const Case& c : cases) {
            std::string bytes;
            for (std::size_t i = 0; i < c.bytes.size(); ++i)
                if (c.bytes.compare(i, 2, "\r\n") == 0) {
                    bytes += end;
                    ++i;
                } else {
                    bytes += c.bytes[i];
                }
            const TOpenResult r = OpenBytes(bytes);
            EXPECT_EQ(r.Status, TOpenStatus::Failed) << c.detail;
            EXPECT_TRUE(r.Detail.ends_with(c.detail))
                << (end[0] == '\n' ? "LF" : end[1] ? "CR LF" : "CR") << ": " << r.Detail << " for " << c.detail;
        }
    }
}

TEST(NetworkFileBadInput, RedundantAndLoopedLinksAreDroppedAndReported)
{
    TNetWindow net;
    TNode* a = Node(net, 0, 0, 0, "a");
    TNode* b = Node(net, 500, 0, 0, "b");
    Link(net, a, b, 0);
    Link(net, a, b, 0);
    Link(net, b, a, 0);
    Link(net, a, a, 0);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("illegal.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    TNetWindow back;
    EXPECT_EQ(OpenNetworkFile(back, path, true, rec).Status, TOpenStatus::Ok);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Illegal Links Detected.\n\rRedundant Links = 2\n\rLooped Links = 1");
    EXPECT_EQ(rec.Last().Caption, "Open/Append");
    EXPECT_EQ(back.LinkCount, 1);
}

TEST(NetworkFileFaults, FailedSaveKeepsTheOldFileAndTheNetworkUnsaved)
{
    TNetWindow net;
    MakeRichNetwork(net);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("keep.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    const std::string before = ReadAll(path);
    net.Widths.LinkTop[1] = std::nan(""); // cannot be written
    net.Title = "changed";
    const TSaveResult r = SaveNetworkFile(net, path, 9, rec);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(rec.Last().Text, "Network write error 2");
    EXPECT_EQ(rec.Last().Caption, "Cannot Write File");
    EXPECT_TRUE(ReadAll(path) == before);
    EXPECT_TRUE(net.Modified);

    // A target that cannot be replaced (a folder) is left alone.
    const std::string folder = TempPath("a folder.dta");
    std::filesystem::create_directories(folder + "/inside");
    net.Widths.LinkTop[1] = 0;
    EXPECT_FALSE(SaveNetworkFile(net, folder, 9, rec).Ok);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/inside"));
    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(SaveNetworkFile(net, TempPath("missing/x.dta"), 9, rec).Ok);
    EXPECT_EQ(rec.Last().Text, "File creation error");
}

TEST(NetworkFileFaults, ValuesThatAreNotNumbersAreWrittenAsZero)
{
    TNetWindow net;
    MakeRichNetwork(net);
    TNode* alpha = nullptr;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode() && p->AsNode()->Name == "Alpha") alpha = p->AsNode();
    alpha->Values[0] = Real(INFINITY);
    TMessageSinkRecorder rec;
    const TSaveResult r = SaveNetworkFile(net, TempPath("inf.dta"), 9, rec);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.RealErrors, 1);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Real number errors converted to 0");
    EXPECT_EQ(rec.Last().Flags, MB_EXCLAMATION_OK);
}

TEST(NetworkFileFaults, FailedAppendLeavesTheNetworkUntouched)
{
    const std::string good = SavedRich(9, "append_src.dta");
    TNetWindow window;
    TMessageSinkRecorder rec;
    ASSERT_EQ(OpenBytes(good, rec, window).Status, TOpenStatus::Ok);
    window.FileName = "mine.dta";
    const int32_t nodes = window.NodeCount, links = window.LinkCount;
    const int64_t points = window.NodeHash.PointCount();
    const std::string bad = TempPath("bad_append.dta");
    WriteAll(bad, good.substr(0, good.find("Test network")));
    EXPECT_EQ(OpenNetworkFile(window, bad, false, rec).Status, TOpenStatus::Failed);
    EXPECT_EQ(rec.Last().Text.substr(0, 20), "Network Read Error 1");
    EXPECT_EQ(window.NodeCount, nodes);
    EXPECT_EQ(window.LinkCount, links);
    EXPECT_EQ(window.NodeHash.PointCount(), points);
    EXPECT_EQ(window.FileName, "mine.dta");
    // A file that never reaches the body is refused too, without a hang.
    WriteAll(bad, good.substr(0, good.find("END OF APPLICATION")));
    EXPECT_EQ(OpenNetworkFile(window, bad, false, rec).Status, TOpenStatus::Failed);
    EXPECT_EQ(window.NodeHash.PointCount(), points);
}

TEST(NetworkFileFaults, LongSystemStringsAndLabelCodesOfOldVersions)
{
    TNetWindow net;
    MakeRichNetwork(net);
    net.SystemStrings.Set(0, std::string(40, 'x'));
    net.Labels.NodeLabelCodes[2] = {0, 100, 15};
    TNetWindow back;
    TRoundTrip t = RoundTrip(net, 9, "longS", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
    EXPECT_EQ(back.SystemStrings.at(0), std::string(30, 'x'));
    EXPECT_EQ(back.SystemValues[5].Real(), 12000); // the next attribute still reads

    TNetWindow v5;
    RoundTrip(net, 5, "code100", v5);
    EXPECT_EQ(v5.Labels.NodeLabelCodes[2][1], 10); // attribute 100 cannot be named below v 6
    EXPECT_EQ(v5.Labels.NodeLabelCodes[2][2], 10);
    EXPECT_EQ(v5.Labels.NodeLabelCodes[1][2], 105);
}

TEST(NetworkFileFaults, UnitsFactorMustBePositive)
{
    const std::string good = SavedRich(9, "units.dta");
    for (const char* factor : {"0.0", "-3.5", " 0.00000000000000E+0000"}) {
        TMessageSinkRecorder rec;
        TNetWindow net;
        ASSERT_EQ(OpenBytes(Edit(good, "\r\nAlpha\r\n\r\n2 ", " 5.28000000000000E+0003", factor), rec, net).Status,
                  TOpenStatus::Ok);
        EXPECT_EQ(net.UnitsFactor, 1.0) << factor;
        EXPECT_EQ(net.UnitsName, "Feet");
    }
}

TEST(NetworkFileFaults, LongLinksAndFullCellsAreReadWhole)
{
    TNetWindow net;
    TNode* a = Node(net, 0, 0, 0, "a");
    TNode* b = Node(net, 90000, 0, 0, "b");
    Link(net, a, b, 0);
    for (int i = 0; i < 40000; ++i) AddShapePoint(net, 2 * i + 1, 7, i, a->Links.At(0));
    TMessageSinkRecorder rec;
    TNetWindow back;
    TRoundTrip t = RoundTrip(net, 9, "long", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok);
    TNode* ba = nullptr;
    for (THashEntry* cell : back.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode() && p->AsNode()->Name == "a") ba = p->AsNode();
    ASSERT_NE(ba, nullptr);
    EXPECT_EQ(ba->Links.At(0)->LinkValues->ShapePoints.GetCount(), 40000);

    // More nodes in a 16 x 16 square than a cell may hold for editing.
    TNetWindow empty;
    const std::string path = TempPath("full.dta");
    SaveNetworkFile(empty, path, 9, rec);
    std::string bytes = ReadAll(path);
    std::string nodes;
    const int total = HashCap + 100;
    for (int i = 0; i < total; ++i) {
        const int key = i * 256 / total;
        nodes += "1 " + std::to_string(key % 16) + " " + std::to_string(key / 16) + " 1 " + std::to_string(i + 1) +
                 " 0 0 0 0 0\r\nn\r\n";
    }
    const std::size_t at = bytes.find("0 0 0 0 0 0 0 0 0 0\r\n", bytes.find("END OF APPLICATION"));
    bytes.insert(at, nodes);
    TNetWindow full;
    EXPECT_EQ(OpenBytes(bytes, rec, full).Status, TOpenStatus::Ok);
    EXPECT_EQ(full.NodeHash.PointCount(), total);
    EXPECT_EQ(full.NodeCount, total);
}

// An allocation that fails part way keeps what was read, untitled, so that a
// later Save cannot overwrite the whole file with the part.
TEST(NetworkFileFaults, MemoryLimitKeepsThePartReadUntitled)
{
    TNetWindow net;
    for (int i = 0; i < 5000; ++i) Node(net, i, 0, 0, "n");
    TMessageSinkRecorder rec;
    const std::string path = TempPath("memory.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    TOpenOptions options;
    options.Progress = [] { throw std::bad_alloc(); };
    TNetWindow back;
    const TOpenResult r = OpenNetworkFile(back, path, true, rec, options);
    EXPECT_EQ(r.Status, TOpenStatus::MemoryLimited);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Memory limits exceeded.");
    EXPECT_EQ(rec.Last().Caption, "Network Read Error");
    EXPECT_EQ(back.FileName, DefaultFileName);
    EXPECT_GT(back.NodeHash.PointCount(), 0);
    EXPECT_LT(back.NodeHash.PointCount(), 5000);
}

TEST(NetworkFileFaults, SystemValuesThatAreNotNumbersAreWrittenAsZero)
{
    TNetWindow net;
    MakeRichNetwork(net);
    net.SystemValues[1] = Real(NAN);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("sysnan.dta");
    EXPECT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    EXPECT_EQ(rec.Last().Text, "Real number errors converted to 0");
    TNetWindow back;
    ASSERT_EQ(OpenNetworkFile(back, path, true, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(back.SystemValues[1].Real(), 0.0);
}

// Deleted elements stay in the network but not in the file; a link is never
// written towards a deleted end.
TEST(NetworkFileFaults, DeletedElementsAreLeftOut)
{
    TNetWindow net;
    TNode* a = Node(net, 0, 0, 0, "a");
    TNode* b = Node(net, 300, 0, 0, "b");
    TNode* c = Node(net, 600, 0, 0, "c");
    Link(net, a, b, 0);
    Link(net, b, c, 0)->Active = 0;
    Link(net, a, c, 0);
    c->Active = 0;
    TMessageSinkRecorder rec;
    TNetWindow back;
    TRoundTrip t = RoundTrip(net, 9, "deleted", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok);
    EXPECT_EQ(t.Messages.Count(), 0u);
    EXPECT_EQ(back.NodeHash.PointCount(), 2);
    EXPECT_EQ(back.LinkCount, 1);
}

namespace {

// A system attribute whose row count was set without a worksheet still gets
// the rows its header announces, so the values after it read back.
TEST(NetworkFileFaults, SystemRowCountWithoutWorksheetReadsBack)
{
    TNetWindow net;
    MakeRichNetwork(net);
    TAttrib* scale = (*net.SystemClass)[1].Attr(1);
    scale->TopRow = 2;
    scale->WorkSheet.reset();
    TMessageSinkRecorder rec;
    const std::string path = TempPath("sysrows.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    TNetWindow back;
    ASSERT_EQ(OpenNetworkFile(back, path, true, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ((*back.SystemClass)[1].Attr(1)->TopRow, 2);
    EXPECT_EQ(back.SystemValues[5].Real(), 12000.0);
    EXPECT_EQ(back.SystemStrings[0], "Planning Office");
}

} // namespace

TEST(NetworkFileFaults, ExtentsStayWithinTheWorld)
{
    // Extents far outside the world would put the window's origin beyond the
    // 32-bit range; they are kept at the world's edge.
    const std::string good = SavedRich(9, "extents.dta");
    TMessageSinkRecorder rec;
    TNetWindow net;
    const std::string bad = Edit(good, "\r\n0 0 0 0 0 0 0 0 0 0\r\n2500 ", "2500 -400 2500 -250",
                                 "2147483647 -2147483648 999999 -999999");
    ASSERT_EQ(OpenBytes(bad, rec, net).Status, TOpenStatus::Ok);
    EXPECT_EQ(net.MaxX, WorldLimit);
    EXPECT_EQ(net.MinX, -WorldLimit);
    EXPECT_EQ(net.MaxY, WorldLimit);
    EXPECT_EQ(net.MinY, -WorldLimit);
}

TEST(NetworkFileBadInput, NothingIsLostWithoutAWord)
{
    // A real beyond the range of a double, a nan or an infinity in a value
    // line is a read error, as a malformed number in a record line is.
    const std::string good = SavedRich(9, "finite.dta");
    for (const char* bad : {"1e999", "nan", "-inf", "  INFINITY"}) {
        TMessageSinkRecorder rec;
        TNetWindow net;
        const std::string bytes = Edit(good, "Alpha", " 1.23450000000000E+0003", bad);
        EXPECT_EQ(OpenBytes(bytes, rec, net).Status, TOpenStatus::Failed) << bad;
        ASSERT_EQ(rec.Count(), 1u) << bad;
        EXPECT_EQ(rec.Last().Text, "Network Read Error 1") << bad;
    }
    // Tiny values still read as 0, and text that is no number at all as 0.
    for (const char* zero : {"1e-999", "abc"}) {
        TMessageSinkRecorder rec;
        TNetWindow net;
        ASSERT_EQ(OpenBytes(Edit(good, "Alpha", " 1.23450000000000E+0003", zero), rec, net).Status, TOpenStatus::Ok);
        EXPECT_EQ(rec.Count(), 0u);
    }

    // A link whose end node is missing is dropped and counted beside the
    // redundant and looped ones.
    TNetWindow net;
    TNode* a = Node(net, 0, 0, 0, "a");
    TNode* b = Node(net, 500, 0, 0, "b");
    TNode* c = Node(net, 900, 0, 0, "c");
    Link(net, a, b, 0);
    Link(net, b, c, 0);
    Link(net, c, a, 0);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("ends.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    // The link from b (serial 2) to c (serial 3) names a node 7 that is not
    // there; the link from c to a names a at c's place, where it is not.
    std::string bytes = Edit(ReadAll(path), "1 500 0 900 0 0 2 3", "0 2 3", "0 2 7");
    bytes = Edit(bytes, "1 500 0 900 0 0 2 7", "1 900 0 0 0 0 3 1", "1 900 0 900 0 0 3 1");
    TNetWindow back;
    ASSERT_EQ(OpenBytes(bytes, rec, back).Status, TOpenStatus::Ok);
    EXPECT_EQ(back.LinkCount, 1);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text,
              "Illegal Links Detected.\n\rRedundant Links = 0\n\rLooped Links = 0\n\rLinks without end nodes = 2");
    EXPECT_EQ(rec.Last().Caption, "Open/Append");
}
