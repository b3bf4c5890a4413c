// TIGER/Line record parsing: columns, signs, blanks, short records, line
// ends, failures, the names of a set, and agreement with GDAL's TIGER driver.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "core/shapes/TigerRecords.h"
#include "tiger_fixture.h"

using namespace tigertest;

TEST(TigerRecords, ColumnsSignsBlanksShortRecordsAndLineEnds)
{
    TChainSpec spec;
    spec.TLID = 123456789;
    spec.Name = "Mission Street";
    spec.Cfcc = "A41";
    spec.Points = {{-122419415, 37774929}, {-122418000, 37775000}};
    TSetSpec set;
    set.Chains = {spec};
    // LF ends, an empty line, then the same record cut short after its name.
    std::string text = Rt1Text(set, "\n") + "\n" + Rt1Text(set, "\r\n").substr(0, 60) + "\r\n";

    TTigerLines lines(text);
    std::string_view line;
    ASSERT_TRUE(lines.Next(line));
    TTigerChain c;
    ASSERT_TRUE(ParseTigerChain(line, c));
    EXPECT_EQ(c.TLID, 123456789);
    EXPECT_EQ(c.FeatureName, "Mission Street");
    EXPECT_EQ(c.CfccLetter, 'A');
    EXPECT_EQ(c.CfccNumber, 41);
    EXPECT_EQ(c.FromLong, -1224194150); // millionths become 1e-7 degree; "+" reads
    EXPECT_EQ(c.FromLat, 377749290);
    EXPECT_EQ(c.ToLong, -1224180000);

    ASSERT_TRUE(lines.Next(line)); // the empty line is no record
    EXPECT_EQ(line.size(), 60u);   // the CR never reaches a field
    ASSERT_TRUE(ParseTigerChain(line, c));
    EXPECT_EQ(c.TLID, 123456789);
    EXPECT_EQ(c.CfccNumber, 41);
    EXPECT_EQ(c.FromLong, 0); // the missing columns read as blanks
    EXPECT_FALSE(lines.Next(line));

    TTigerShapeRecord s;
    ASSERT_TRUE(ParseTigerShape("21000  55", s)); // short, blank points
    EXPECT_EQ(s.TLID, 55);
    EXPECT_EQ(s.Count, 0);
    TTigerChainPolygon cp;
    ParseTigerChainPolygon("I1000        77", cp);
    EXPECT_EQ(cp.TLID, 77);
    EXPECT_EQ(cp.CenIdL, "     ");
    EXPECT_EQ(cp.PolyIdL, 0);
}

TEST(TigerRecords, NumbersThatDoNotParseFailExceptInChainPolygonRecords)
{
    auto chain = [](const std::string& tlid, int64_t lat) {
        TRecord r('1', 228);
        r.Put(6, tlid).Coordinate(191, 200, -122000000).Coordinate(201, 209, lat);
        return r.Text;
    };
    TTigerChain c;
    EXPECT_TRUE(ParseTigerChain(chain("2147483647", 37000000), c));
    EXPECT_FALSE(ParseTigerChain(chain("2147483648", 37000000), c)); // beyond 32 bits
    EXPECT_FALSE(ParseTigerChain(chain("  12a45   ", 37000000), c));
    EXPECT_FALSE(ParseTigerChain(chain("1", 90000000), c)); // a pole has no projection

    TRecord shape('2', 208);
    shape.Right(6, 15, 9).Coordinate(19, 28, -122000000).Put(29, "+37x00000");
    TTigerShapeRecord s;
    EXPECT_FALSE(ParseTigerShape(shape.Text, s));
    // Points after the first longitude of 0 are not read.
    shape.Coordinate(19, 28, 0);
    ASSERT_TRUE(ParseTigerShape(shape.Text, s));
    EXPECT_EQ(s.Count, 0);

    TRecord polygon('P', 44);
    polygon.Put(11, "A0001").Right(16, 25, 9999999999).Coordinate(26, 35, -1).Coordinate(36, 44, 1);
    TTigerPolygonRecord p;
    EXPECT_FALSE(ParseTigerPolygon(polygon.Text, p));
    polygon.Right(16, 25, 42);
    ASSERT_TRUE(ParseTigerPolygon(polygon.Text, p));
    EXPECT_EQ(p.CenId, "A0001");
    EXPECT_EQ(p.PolyId, 42);

    TRecord link('I', 52);
    link.Put(6, "xyz").Put(22, "A0001").Right(27, 36, 9999999999).Put(37, "A0002").Right(42, 51, 7);
    TTigerChainPolygon cp;
    ParseTigerChainPolygon(link.Text, cp);
    EXPECT_EQ(cp.TLID, 0);
    EXPECT_EQ(cp.PolyIdL, 0);
    EXPECT_EQ(cp.CenIdR, "A0002");
    EXPECT_EQ(cp.PolyIdR, 7);
}

TEST(TigerRecords, SetNamesComeFromTheExtensionOfTheFileName)
{
    TTigerFileSet s = TigerFileSetFor("/data/a.rtdata/TGR06001.rt2");
    ASSERT_TRUE(s.Named);
    EXPECT_EQ(s.RT1, "/data/a.rtdata/TGR06001.rt1");
    EXPECT_EQ(s.RTP, "/data/a.rtdata/TGR06001.rtp");
    EXPECT_EQ(s.RTI, "/data/a.rtdata/TGR06001.rti");
    s = TigerFileSetFor("TGR06001.RTI");
    ASSERT_TRUE(s.Named);
    EXPECT_EQ(s.RT2, "TGR06001.RT2");
    EXPECT_EQ(s.RTP, "TGR06001.RTP");
    EXPECT_FALSE(TigerFileSetFor("/data/x.RT1/TGR06001").Named);
    EXPECT_FALSE(TigerFileSetFor("/data/a.rtdata").Named);
    EXPECT_FALSE(TigerFileSetFor("TGR06001.txt").Named);
}

namespace {

// Features of ogrinfo's listing: layer, fields by name, and the coordinates
// of the geometry in millionths of a degree.
struct TOgrFeature {
    std::string Layer;
    std::map<std::string, std::string> Fields;
    std::vector<TPoint> Points;
};

std::vector<TOgrFeature> ParseOgrinfo(const std::string& text)
{
    std::vector<TOgrFeature> features;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("OGRFeature(", 0) == 0) {
            features.push_back({line.substr(11, line.find(')') - 11), {}, {}});
            continue;
        }
        if (features.empty() || line.size() < 3) continue;
        const std::string body = line.substr(2);
        if (const std::size_t eq = body.find(" = "); eq != std::string::npos && body.find(" (") < eq) {
            features.back().Fields[body.substr(0, body.find(" ("))] = body.substr(eq + 3);
        } else if (const std::size_t open = body.find('('); open != std::string::npos) {
            std::string coords = body.substr(open + 1, body.rfind(')') - open - 1);
            for (char& ch : coords)
                if (ch == ',') ch = ' ';
            std::istringstream c(coords);
            for (double lon, lat; c >> lon >> lat;)
                features.back().Points.push_back({std::llround(lon * 1e6), std::llround(lat * 1e6)});
        }
    }
    return features;
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return s;
}

} // namespace

TEST(TigerOracle, ParsersAgreeWithGdal)
{
    const std::string ogrinfo = FindTool("ogrinfo");
    if (ogrinfo.empty()) GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
    const TSetSpec set = GridCounty(3, 2, 12); // chains of two shape records
    const std::string rt1 = WriteSet(TempFolder("records") / "TGR06001", set);
    std::string listing;
    ASSERT_TRUE(RunCommand(ogrinfo + " -ro -al -q '" + rt1 + "' 2>/dev/null", listing));
    const std::vector<TOgrFeature> features = ParseOgrinfo(listing);

    // Our parsers over the same files.
    std::map<int64_t, std::vector<TPoint>> shapes;
    const std::string rt2 = Rt2Text(set);
    TTigerLines l2(rt2);
    for (std::string_view line; l2.Next(line);) {
        TTigerShapeRecord s;
        ASSERT_TRUE(ParseTigerShape(line, s));
        for (int k = 0; k < s.Count; ++k) shapes[s.TLID].push_back({s.Long[size_t(k)] / 10, s.Lat[size_t(k)] / 10});
    }
    std::vector<TTigerChain> chains;
    const std::string rt1Text = Rt1Text(set);
    TTigerLines l1(rt1Text);
    for (std::string_view line; l1.Next(line);) {
        chains.emplace_back();
        ASSERT_TRUE(ParseTigerChain(line, chains.back()));
    }
    std::vector<TTigerPolygonRecord> pips;
    const std::string rtp = RtpText(set);
    TTigerLines lp(rtp);
    for (std::string_view line; lp.Next(line);) {
        pips.emplace_back();
        ASSERT_TRUE(ParseTigerPolygon(line, pips.back()));
    }
    std::vector<TTigerChainPolygon> links;
    const std::string rti = RtiText(set);
    TTigerLines li(rti);
    for (std::string_view line; li.Next(line);) ParseTigerChainPolygon(line, links.emplace_back());

    size_t nChain = 0, nPip = 0, nLink = 0;
    for (const TOgrFeature& f : features) {
        auto field = [&](const char* name) {
            auto it = f.Fields.find(name);
            return it == f.Fields.end() ? std::string() : it->second;
        };
        if (f.Layer == "CompleteChain") {
            ASSERT_LT(nChain, chains.size());
            const TTigerChain& c = chains[nChain++];
            EXPECT_EQ(field("TLID"), std::to_string(c.TLID));
            EXPECT_EQ(field("FENAME"), c.FeatureName);
            char cfcc[8];
            std::snprintf(cfcc, sizeof cfcc, "%c%02d", c.CfccLetter, int(c.CfccNumber));
            EXPECT_EQ(field("CFCC"), cfcc);
            std::vector<TPoint> ours{{c.FromLong / 10, c.FromLat / 10}};
            for (const TPoint& p : shapes[c.TLID]) ours.push_back(p);
            ours.push_back({c.ToLong / 10, c.ToLat / 10});
            EXPECT_EQ(f.Points, ours) << "chain " << c.TLID;
        } else if (f.Layer == "PIP") {
            ASSERT_LT(nPip, pips.size());
            const TTigerPolygonRecord& p = pips[nPip++];
            EXPECT_EQ(field("POLYID"), std::to_string(p.PolyId));
            EXPECT_EQ(field("CENID"), Trimmed(p.CenId));
            EXPECT_EQ(f.Points, (std::vector<TPoint>{{p.Long / 10, p.Lat / 10}}));
        } else if (f.Layer == "PolyChainLink") {
            ASSERT_LT(nLink, links.size());
            const TTigerChainPolygon& cp = links[nLink++];
            EXPECT_EQ(field("TLID"), std::to_string(cp.TLID));
            EXPECT_EQ(field("CENIDL"), Trimmed(cp.CenIdL));
            EXPECT_EQ(field("POLYIDL"), cp.PolyIdL ? std::to_string(cp.PolyIdL) : "");
            EXPECT_EQ(field("CENIDR"), Trimmed(cp.CenIdR));
            EXPECT_EQ(field("POLYIDR"), cp.PolyIdR ? std::to_string(cp.PolyIdR) : "");
        }
    }
    EXPECT_EQ(nChain, chains.size());
    EXPECT_EQ(nPip, pips.size());
    EXPECT_EQ(nLink, links.size());
}
