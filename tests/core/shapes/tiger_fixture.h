// TIGER/Line 2000 record files made for the tests and the benchmark:
// fixed-column records (version "1000") and a county of square blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace tigertest {

namespace fs = std::filesystem;

// Long/lat in millionths of a degree, as the files hold them.
struct TPoint {
    int64_t Lon = 0, Lat = 0;
    auto operator<=>(const TPoint&) const = default;
};

struct TChainSpec {
    int64_t TLID = 0;
    std::string Name, Cfcc = "A41";
    std::vector<TPoint> Points; // from, shape points, to
    std::string CenL = "     ", CenR = "     ";
    int64_t PolyL = 0, PolyR = 0;
};

struct TPolygonSpec {
    std::string Cen = "A0001";
    int64_t PolyId = 0;
    TPoint At;
};

struct TSetSpec {
    std::vector<TChainSpec> Chains;
    std::vector<TPolygonSpec> Polygons;
};

// A blank record of the given type and length with fields put in by column.
struct TRecord {
    std::string Text;
    TRecord(char type, std::size_t length) : Text(length, ' ')
    {
        Text[0] = type;
        Put(2, "1000");
    }
    TRecord& Put(std::size_t first, const std::string& s)
    {
        for (std::size_t i = 0; i < s.size() && first - 1 + i < Text.size(); ++i) Text[first - 1 + i] = s[i];
        return *this;
    }
    TRecord& Right(std::size_t first, std::size_t last, int64_t v)
    {
        const std::string s = std::to_string(v);
        return Put(first, std::string(last - first + 1 - std::min(s.size(), last - first + 1), ' ') + s);
    }
    // A coordinate as the files write it: a sign, then zero-padded digits.
    TRecord& Coordinate(std::size_t first, std::size_t last, int64_t v)
    {
        const std::string d = std::to_string(v < 0 ? -v : v);
        return Put(first, (v < 0 ? "-" : "+") + std::string(last - first - std::min(d.size(), last - first), '0') + d);
    }
};

inline std::string Rt1Text(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TChainSpec& c : set.Chains) {
        TRecord r('1', 228);
        r.Right(6, 15, c.TLID).Put(20, c.Name).Put(56, c.Cfcc);
        r.Coordinate(191, 200, c.Points.front().Lon).Coordinate(201, 209, c.Points.front().Lat);
        out += r.Coordinate(210, 219, c.Points.back().Lon).Coordinate(220, 228, c.Points.back().Lat).Text + eol;
    }
    return out;
}

inline std::string Rt2Text(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TChainSpec& c : set.Chains)
        for (std::size_t first = 0; first + 2 < c.Points.size(); first += 10) {
            TRecord r('2', 208);
            r.Right(6, 15, c.TLID).Right(16, 18, int64_t(first / 10 + 1));
            for (std::size_t k = 0, at = 19; k < 10; ++k, at += 19) {
                const TPoint p = first + k + 2 < c.Points.size() ? c.Points[1 + first + k] : TPoint{};
                r.Coordinate(at, at + 9, p.Lon).Coordinate(at + 10, at + 18, p.Lat);
            }
            out += r.Text + eol;
        }
    return out;
}

inline std::string RtpText(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TPolygonSpec& p : set.Polygons)
        out += TRecord('P', 44).Put(6, "06001").Put(11, p.Cen).Right(16, 25, p.PolyId).Coordinate(26, 35, p.At.Lon)
                   .Coordinate(36, 44, p.At.Lat).Text + eol;
    return out;
}

inline std::string RtiText(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TChainSpec& c : set.Chains) {
        TRecord r('I', 52);
        r.Right(6, 15, c.TLID).Put(16, "06001").Put(22, c.CenL).Put(37, c.CenR);
        if (c.PolyL) r.Right(27, 36, c.PolyL);
        if (c.PolyR) r.Right(42, 51, c.PolyR);
        out += r.Text + eol;
    }
    return out;
}

inline void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Writes base.RT1, .RT2, .RTP and .RTI (lower-case extensions with lower);
// returns the .RT1 name.
inline std::string WriteSet(const fs::path& base, const TSetSpec& set, bool lower = false,
                            const std::string& eol = "\r\n")
{
    const std::string stem = base.string() + (lower ? ".rt" : ".RT");
    WriteFile(stem + "1", Rt1Text(set, eol));
    WriteFile(stem + "2", Rt2Text(set, eol));
    WriteFile(stem + (lower ? "p" : "P"), RtpText(set, eol));
    WriteFile(stem + (lower ? "i" : "I"), RtiText(set, eol));
    return stem + "1";
}

constexpr int64_t LakeId = 900001, SliverId = 900002;

// A county of nx by ny square blocks of side step from (lon0, lat0): a chain
// along every block side with `shapes` shape points wiggling beside it,
// horizontal chains running east and vertical ones north, one polygon of
// CENID cen per block, TLIDs counting from tlid. The east boundary is a
// nonvisible boundary (F10, layer 6), the north one a provisional road
// (P41). With extras (nx, ny >= 2): a lake (a looped H11 chain) in block
// (0, 0); a second road chain between the ends of block (1, 0)'s south side,
// bending north to close a sliver polygon; a railroad leaving the south-east
// corner eastward.
inline TSetSpec GridCounty(int nx, int ny, int shapes, int64_t lon0 = -122500000, int64_t lat0 = 37500000,
                           int64_t step = 2000, bool extras = true, int64_t tlid = 10000000,
                           const std::string& cen = "A0001")
{
    TSetSpec set;
    auto block = [&](int i, int j) -> int64_t { return i >= 0 && i < nx && j >= 0 && j < ny ? 1 + j * nx + i : 0; };
    auto at = [&](int64_t i, int64_t j) { return TPoint{lon0 + i * step, lat0 + j * step}; };
    auto chain = [&](const std::string& name, const std::string& cfcc, std::vector<TPoint> points, int64_t left,
                     int64_t right) {
        set.Chains.push_back({tlid++, name, cfcc, std::move(points), left ? cen : "     ", right ? cen : "     ",
                              left, right});
    };
    auto edge = [&](TPoint a, TPoint b, bool east) {
        std::vector<TPoint> pts{a};
        for (int k = 1; k <= shapes; ++k) {
            const int64_t along = step * k / (shapes + 1), off = (k % 2 ? 1 : -1) * step / 20;
            pts.push_back(east ? TPoint{a.Lon + along, a.Lat + off} : TPoint{a.Lon + off, a.Lat + along});
        }
        pts.push_back(b);
        return pts;
    };
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i < nx; ++i)
            chain("Street " + std::to_string(j), j == ny ? "P41" : "A41", edge(at(i, j), at(i + 1, j), true),
                  block(i, j), block(i, j - 1));
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j < ny; ++j)
            chain(i == nx ? "" : "Avenue " + std::to_string(i), i == nx ? "F10" : "A41",
                  edge(at(i, j), at(i, j + 1), false), block(i - 1, j), block(i, j));
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
            set.Polygons.push_back({cen, block(i, j), {lon0 + i * step + step / 4, lat0 + j * step + step / 4}});
    if (!extras || nx < 2 || ny < 2) return set;

    const TPoint mid{lon0 + step / 2, lat0 + step / 2};
    const int64_t r = step / 8; // counterclockwise: the lake on the left
    chain("Lake", "H11",
          {{mid.Lon + r, mid.Lat}, {mid.Lon, mid.Lat + r}, {mid.Lon - r, mid.Lat}, {mid.Lon, mid.Lat - r},
           {mid.Lon + r, mid.Lat}},
          LakeId, block(0, 0));
    set.Polygons.push_back({cen, LakeId, mid});
    for (TChainSpec& c : set.Chains)
        if (c.Points.front() == at(1, 0) && c.Points.back() == at(2, 0)) c.PolyL = SliverId;
    chain("Bypass", "A41",
          {at(1, 0), {lon0 + step + step / 4, lat0 + step / 6}, {lon0 + step + 3 * step / 4, lat0 + step / 6}, at(2, 0)},
          block(1, 0), SliverId);
    set.Polygons.push_back({cen, SliverId, {lon0 + step + step / 2, lat0 + step / 10}});
    chain("Rail", "B11", {at(nx, 0), {lon0 + nx * step + step / 2, lat0 - step / 10}, at(nx + 1, 0)}, 0, 0);
    return set;
}

// A folder of this test run, removed when the run ends.
inline fs::path TempRoot() { return fs::temp_directory_path() / ("tarvex_tiger_" + std::to_string(::getpid())); }
struct TTempCleanup {
    ~TTempCleanup()
    {
        std::error_code ec;
        fs::remove_all(TempRoot(), ec);
    }
};
inline TTempCleanup TempCleanup;
inline fs::path TempFolder(const std::string& name)
{
    fs::create_directories(TempRoot() / name);
    return TempRoot() / name;
}

// Runs a command, its standard output into out; false when it could not run
// or exited non-zero.
inline bool RunCommand(const std::string& command, std::string& out)
{
    out.clear();
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return false;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return ::pclose(p) == 0;
}

// A program in /usr/bin (where the Debian packages put them); empty when missing.
inline std::string FindTool(const std::string& name)
{
    return fs::exists("/usr/bin/" + name) ? "/usr/bin/" + name : std::string();
}

} // namespace tigertest
