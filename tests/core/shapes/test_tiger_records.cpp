// TIGER/Line records: columns, signs, blanks, short records, line ends,
// failures, the names of a set, and agreement with GDAL's TIGER driver.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

#include "core/shapes/TigerRecords.h"
#include "tiger_fixture.h"

using namespace tigertest;

TEST(TigerRecords, FieldsShortRecordsLineEndsAndFailures)
{
    TSetSpec set;
    set.Chains = {{123456789, "Mission Street", "A41", {{-122419415, 37774929}, {-122418000, 37775000}}}};
    // LF, an empty line, then the record cut short after its name, CRLF.
    const std::string text = Rt1Text(set, "\n") + "\n" + Rt1Text(set).substr(0, 60) + "\r\n";
    TTigerLines lines(text);
    std::string_view line;
    TTigerChain c;
    ASSERT_TRUE(lines.Next(line) && ParseTigerChain(line, c));
    EXPECT_EQ(c.TLID, 123456789);
    EXPECT_EQ(c.FeatureName, "Mission Street");
    EXPECT_EQ(c.CfccLetter, 'A');
    EXPECT_EQ(c.CfccNumber, 41);
    EXPECT_EQ(c.FromLong, -1224194150); // millionths become 1e-7 degree
    EXPECT_EQ(c.FromLat, 377749290);    // "+" reads
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line.size(), 60u); // the empty line is no record; the CR never reaches a field
    EXPECT_FALSE(ParseTigerChain(line, c)); // a record cut short is refused
    EXPECT_FALSE(lines.Next(line));
    // CR alone ends a line too; CR LF is one line end.
    TTigerLines mac("ab\rcd\r\nef\n\rgh");
    std::vector<std::string> seen;
    while (mac.Next(line)) seen.emplace_back(line);
    EXPECT_EQ(seen, (std::vector<std::string>{"ab", "cd", "ef", "gh"}));
    // A polygon's point is needed whole, as a chain's end points are.
    TTigerPolygonRecord shortPolygon;
    EXPECT_FALSE(ParseTigerPolygon(TRecord('P', 43).Text, shortPolygon));

    auto chain = [](const std::string& tlid, int64_t lat) {
        return TRecord('1', 228).Put(6, tlid).Coordinate(191, 200, -122000000).Coordinate(201, 209, lat)
            .Coordinate(210, 219, -122000000).Coordinate(220, 228, 37000000).Text;
    };
    EXPECT_TRUE(ParseTigerChain(chain("2147483647", 37000000), c));
    EXPECT_FALSE(ParseTigerChain(chain("2147483648", 37000000), c)); // beyond 32 bits
    EXPECT_FALSE(ParseTigerChain(chain("  12a45   ", 37000000), c));
    EXPECT_FALSE(ParseTigerChain(chain("1", 90000000), c)); // a pole has no projection
    TRecord shape('2', 208);
    shape.Right(6, 15, 9).Coordinate(19, 28, -122000000).Put(29, "+37x00000");
    TTigerShapeRecord s;
    EXPECT_FALSE(ParseTigerShape(shape.Text, s));
    ASSERT_TRUE(ParseTigerShape(shape.Coordinate(19, 28, 0).Text, s)); // nothing read after a longitude of 0
    EXPECT_EQ(s.Count, 0);
    TRecord polygon('P', 44);
    polygon.Put(11, "A0001").Right(16, 25, 9999999999);
    TTigerPolygonRecord p;
    EXPECT_FALSE(ParseTigerPolygon(polygon.Text, p));
    // In chain-polygon records a number that does not parse is 0.
    TTigerChainPolygon cp;
    ParseTigerChainPolygon(TRecord('I', 52).Put(6, "xyz").Right(27, 36, 9999999999).Put(37, "A0002").Right(42, 51, 7).Text,
                           cp);
    EXPECT_EQ(cp.TLID, 0);
    EXPECT_EQ(cp.CenIdL, "     ");
    EXPECT_EQ(cp.PolyIdL, 0);
    EXPECT_EQ(cp.CenIdR, "A0002");
    EXPECT_EQ(cp.PolyIdR, 7);
}

// Lines whose trailing blanks were trimmed read as the padded records; a
// line cut inside a field the record needs is refused.
TEST(TigerRecords, TrimmedLinesReadAsPaddedCutFieldsAreRefused)
{
    // Shape points end at a longitude of 0 or at the line's end.
    TRecord shape('2', 208);
    shape.Right(6, 15, 9).Coordinate(19, 28, -122000000).Coordinate(29, 37, 37000000);
    shape.Coordinate(38, 47, -122100000).Coordinate(48, 56, 37100000);
    TTigerShapeRecord s;
    ASSERT_TRUE(ParseTigerShape(shape.Text.substr(0, 56), s));
    EXPECT_EQ(std::tie(s.TLID, s.Count, s.Long[1], s.Lat[1]), std::make_tuple(9, 2, -1221000000, 371000000));
    ASSERT_TRUE(ParseTigerShape(shape.Text, s)); // the same line padded with blanks
    EXPECT_EQ(s.Count, 2);
    ASSERT_TRUE(ParseTigerShape(shape.Text.substr(0, 15), s)); // no points
    EXPECT_EQ(std::tie(s.TLID, s.Count), std::make_tuple(9, 0));
    shape.Coordinate(57, 66, -122200000).Coordinate(67, 75, 37200000);
    for (std::size_t cut : {1, 3, 5, 10, 14, 20, 28, 36, 47, 55, 58, 66, 74}) // an id, a longitude or half a pair
        EXPECT_FALSE(ParseTigerShape(shape.Text.substr(0, cut), s)) << cut;
    ASSERT_TRUE(ParseTigerShape(shape.Text.substr(0, 75), s));
    EXPECT_EQ(s.Count, 3);

    // Chain-polygon records: what lies past the line's end is blank, 0 for
    // a number; an id cut inside, or a line that stops before the chain's
    // id, is refused.
    TRecord side('I', 52);
    side.Right(6, 15, 123456).Put(16, "06001").Put(22, "A0001").Right(27, 36, 17).Put(37, "A0002");
    TTigerChainPolygon cp;
    ASSERT_TRUE(ParseTigerChainPolygon(side.Text.substr(0, 41), cp));
    EXPECT_EQ(std::tie(cp.TLID, cp.CenIdL, cp.PolyIdL, cp.CenIdR, cp.PolyIdR),
              std::make_tuple(123456, std::string("A0001"), 17, std::string("A0002"), 0));
    ASSERT_TRUE(ParseTigerChainPolygon(side.Text.substr(0, 39), cp)); // a text cut: padded
    EXPECT_EQ(std::tie(cp.CenIdR, cp.PolyIdR), std::make_tuple(std::string("A00  "), 0));
    side.Right(42, 51, 18);
    ASSERT_TRUE(ParseTigerChainPolygon(side.Text.substr(0, 51), cp));
    EXPECT_EQ(cp.PolyIdR, 18);
    for (std::size_t cut : {1, 3, 5, 6, 12, 14, 30, 35, 45, 50}) // before or inside an id
        EXPECT_FALSE(ParseTigerChainPolygon(side.Text.substr(0, cut), cp)) << cut;
}

// Blanks where a record needs a longitude or latitude are no coordinate, as
// the columns a cut line lost are none: read as 0 they would put the point
// at long/lat 0. A line of blanks the length of its record is refused so.
TEST(TigerRecords, BlankCoordinatesARecordNeedsAreRefused)
{
    TSetSpec set;
    set.Chains = {{7, "", "A41", {{-122000000, 37000000}, {-122100000, 37100000}}}};
    set.Polygons = {{"A0001", 5, {-122050000, 37050000}}};
    const std::string chain = Rt1Text(set, ""), polygon = RtpText(set, "");
    TTigerChain c;
    TTigerPolygonRecord p;
    ASSERT_TRUE(ParseTigerChain(chain, c));
    ASSERT_TRUE(ParseTigerPolygon(polygon, p));
    EXPECT_FALSE(ParseTigerChain(std::string(TigerChainLength, ' '), c));
    EXPECT_FALSE(ParseTigerPolygon(std::string(TigerPolygonLength, ' '), p));
    // Columns first..last of a line put in blanks, or Text.
    auto put = [](std::string line, std::size_t first, std::size_t last, const std::string& text = "") {
        line.replace(first - 1, last - first + 1, text.empty() ? std::string(last - first + 1, ' ') : text);
        return line;
    };
    for (auto [first, last] : {std::pair{191, 200}, {201, 209}, {210, 219}, {220, 228}})
        EXPECT_FALSE(ParseTigerChain(put(chain, first, last), c)) << first;
    for (auto [first, last] : {std::pair{26, 35}, {36, 44}}) EXPECT_FALSE(ParseTigerPolygon(put(polygon, first, last), p)) << first;
    // "+0" is a coordinate: the equator and the prime meridian are places.
    EXPECT_TRUE(ParseTigerPolygon(put(put(polygon, 26, 35, "        +0"), 36, 44, "       +0"), p));
    EXPECT_EQ(std::tie(p.Long, p.Lat), std::make_tuple(0, 0));

    // A shape point's longitude of blanks ends the points; a latitude of
    // blanks after a longitude is refused.
    TRecord shape('2', 208);
    shape.Right(6, 15, 7).Coordinate(19, 28, -122050000).Coordinate(29, 37, 37050000);
    TTigerShapeRecord s;
    ASSERT_TRUE(ParseTigerShape(shape.Text, s));
    EXPECT_EQ(s.Count, 1);
    EXPECT_FALSE(ParseTigerShape(shape.Put(29, std::string(9, ' ')).Text, s));
    ASSERT_TRUE(ParseTigerShape(shape.Put(19, std::string(10, ' ')).Text, s));
    EXPECT_EQ(s.Count, 0);
}

TEST(TigerRecords, SetNamesComeFromTheExtensionOfTheFileName)
{
    TTigerFileSet s = TigerFileSetFor("/data/a.rtdata/TGR06001.rt2");
    ASSERT_TRUE(s.Named);
    EXPECT_EQ(s.RT1, "/data/a.rtdata/TGR06001.rt1");
    EXPECT_EQ(s.RTP, "/data/a.rtdata/TGR06001.rtp");
    EXPECT_EQ(s.RTI, "/data/a.rtdata/TGR06001.rti");
    EXPECT_EQ(TigerFileSetFor("TGR06001.RTI").RTP, "TGR06001.RTP");
    EXPECT_FALSE(TigerFileSetFor("/data/x.RT1/TGR06001").Named);
    EXPECT_FALSE(TigerFileSetFor("TGR06001.txt").Named);
}

TEST(TigerOracle, ParsersAgreeWithGdal)
{
    const std::string ogrinfo = FindTool("ogrinfo");
    if (ogrinfo.empty()) GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
    const TSetSpec set = GridCounty(3, 2, 12); // two shape records a chain
    std::string listing;
    ASSERT_TRUE(RunCommand(ogrinfo + " -ro -al -q '" + WriteSet(TempFolder("records") / "TGR06001", set) + "' 2>/dev/null",
                           listing));

    // What our parsers read, in the form of ogrinfo's listing: fields, then
    // the geometry in millionths.
    std::map<std::string, std::vector<std::string>> ours;
    auto all = [](const std::string& text, auto&& each) {
        TTigerLines lines(text);
        for (std::string_view line; lines.Next(line);) each(line);
    };
    std::map<int32_t, std::string> shapes;
    all(Rt2Text(set), [&](std::string_view line) {
        TTigerShapeRecord s;
        ASSERT_TRUE(ParseTigerShape(line, s));
        for (int k = 0; k < s.Count; ++k)
            shapes[s.TLID] += " " + std::to_string(s.Long[size_t(k)] / 10) + " " + std::to_string(s.Lat[size_t(k)] / 10);
    });
    auto trim = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
    auto id = [](int32_t v) { return v ? std::to_string(v) : std::string(); };
    all(Rt1Text(set), [&](std::string_view line) {
        TTigerChain c;
        ASSERT_TRUE(ParseTigerChain(line, c));
        char cfcc[8];
        std::snprintf(cfcc, sizeof cfcc, "%c%02d", c.CfccLetter, int(c.CfccNumber));
        ours["CompleteChain"].push_back(std::to_string(c.TLID) + "|" + c.FeatureName + "|" + cfcc + "|" +
                                        std::to_string(c.FromLong / 10) + " " + std::to_string(c.FromLat / 10) +
                                        shapes[c.TLID] + " " + std::to_string(c.ToLong / 10) + " " +
                                        std::to_string(c.ToLat / 10));
    });
    all(RtpText(set), [&](std::string_view line) {
        TTigerPolygonRecord p;
        ASSERT_TRUE(ParseTigerPolygon(line, p));
        ours["PIP"].push_back(trim(p.CenId) + "|" + id(p.PolyId) + "|" + std::to_string(p.Long / 10) + " " +
                              std::to_string(p.Lat / 10));
    });
    all(RtiText(set), [&](std::string_view line) {
        TTigerChainPolygon cp;
        ParseTigerChainPolygon(line, cp);
        ours["PolyChainLink"].push_back(std::to_string(cp.TLID) + "|" + trim(cp.CenIdL) + "|" + id(cp.PolyIdL) + "|" +
                                        trim(cp.CenIdR) + "|" + id(cp.PolyIdR));
    });

    // ogrinfo's features in the same form.
    const std::map<std::string, std::vector<std::string>> names{{"CompleteChain", {"TLID", "FENAME", "CFCC"}},
                                                               {"PIP", {"CENID", "POLYID"}},
                                                               {"PolyChainLink",
                                                                {"TLID", "CENIDL", "POLYIDL", "CENIDR", "POLYIDR"}}};
    std::map<std::string, std::vector<std::string>> gdal;
    std::istringstream in(listing);
    std::string layer, geometry;
    std::map<std::string, std::string> fields;
    auto flush = [&] {
        if (!names.count(layer)) return;
        std::string row;
        for (const std::string& n : names.at(layer)) row += fields[n] + "|";
        gdal[layer].push_back(layer == "PolyChainLink" ? row.substr(0, row.size() - 1) : row + geometry);
    };
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("OGRFeature(", 0) == 0) {
            flush();
            layer = line.substr(11, line.find(')') - 11);
            fields.clear();
            geometry.clear();
        } else if (const std::size_t eq = line.find(" = "); eq != std::string::npos) {
            fields[line.substr(2, line.find(" (") - 2)] = line.substr(eq + 3);
        } else if (const std::size_t open = line.find('('); open != std::string::npos) {
            std::string coords = line.substr(open + 1, line.rfind(')') - open - 1);
            std::replace(coords.begin(), coords.end(), ',', ' ');
            std::istringstream c(coords);
            for (double v; c >> v;) geometry += (geometry.empty() ? "" : " ") + std::to_string(std::llround(v * 1e6));
        }
    }
    flush();
    for (const auto& [name, rows] : ours) EXPECT_EQ(gdal[name], rows) << name;
}
