// TIGER/Line 2000 record files made for the tests: fixed-column records
// (version "1000") of chains, shape points, polygon interior points and
// chain-polygon links, and a county generator whose blocks form a grid.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
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
    std::string Name;
    std::string Cfcc = "A41";
    std::vector<TPoint> Points; // from, shape points, to
    std::string CenL = "     ";
    int64_t PolyL = 0;
    std::string CenR = "     ";
    int64_t PolyR = 0;
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

// A record of the given length, blank-filled, with fields put in by column.
class TRecord {
public:
    TRecord(char type, std::size_t length) : Text(length, ' ')
    {
        Text[0] = type;
        Put(2, "1000");
    }
    // Text at 1-based column first, cut to the record.
    TRecord& Put(std::size_t first, const std::string& s)
    {
        for (std::size_t i = 0; i < s.size() && first - 1 + i < Text.size(); ++i) Text[first - 1 + i] = s[i];
        return *this;
    }
    // A number right-justified in columns first..last.
    TRecord& Right(std::size_t first, std::size_t last, int64_t v)
    {
        std::string s = std::to_string(v);
        const std::size_t width = last - first + 1;
        if (s.size() < width) s.insert(0, width - s.size(), ' ');
        return Put(first, s);
    }
    // A signed coordinate as the files write it: sign, then zero-padded digits.
    TRecord& Coordinate(std::size_t first, std::size_t last, int64_t v)
    {
        std::string digits = std::to_string(v < 0 ? -v : v);
        const std::size_t width = last - first;
        if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
        return Put(first, (v < 0 ? "-" : "+") + digits);
    }
    std::string Text;
};

inline std::string Rt1Text(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TChainSpec& c : set.Chains) {
        TRecord r('1', 228);
        r.Right(6, 15, c.TLID).Put(20, c.Name).Put(56, c.Cfcc);
        r.Coordinate(191, 200, c.Points.front().Lon).Coordinate(201, 209, c.Points.front().Lat);
        r.Coordinate(210, 219, c.Points.back().Lon).Coordinate(220, 228, c.Points.back().Lat);
        out += r.Text + eol;
    }
    return out;
}

inline std::string Rt2Text(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TChainSpec& c : set.Chains) {
        const std::size_t shapes = c.Points.size() - 2;
        for (std::size_t first = 0, seq = 1; first < shapes; first += 10, ++seq) {
            TRecord r('2', 208);
            r.Right(6, 15, c.TLID).Right(16, 18, int64_t(seq));
            for (std::size_t k = 0; k < 10; ++k) {
                const std::size_t at = 19 + 19 * k;
                const TPoint p = first + k < shapes ? c.Points[1 + first + k] : TPoint{};
                r.Coordinate(at, at + 9, p.Lon).Coordinate(at + 10, at + 18, p.Lat);
            }
            out += r.Text + eol;
        }
    }
    return out;
}

inline std::string RtpText(const TSetSpec& set, const std::string& eol = "\r\n")
{
    std::string out;
    for (const TPolygonSpec& p : set.Polygons) {
        TRecord r('P', 44);
        r.Put(6, "06001").Put(11, p.Cen).Right(16, 25, p.PolyId);
        r.Coordinate(26, 35, p.At.Lon).Coordinate(36, 44, p.At.Lat);
        out += r.Text + eol;
    }
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
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

// The polygon ids of the extras of GridCounty.
constexpr int64_t LakeId = 900001;
constexpr int64_t SliverId = 900002;

// A county of nx by ny square blocks of side step (millionths of a degree)
// from (lon0, lat0): a chain along every block side with `shapes` shape
// points wiggling beside it, and one polygon per block, all of CENID cen,
// TLIDs counting from tlid. Horizontal chains run east, vertical ones north; the east
// boundary is a nonvisible boundary (F10, layer 6) and the north boundary a
// provisional road (P41, layer 1). With extras (nx, ny >= 2): a lake (a
// looped H11 chain) inside block (0, 0), a second road chain between the
// ends of block (1, 0)'s south side, bending north and closing a sliver
// polygon, and a railroad leaving the south-east corner eastward.
inline TSetSpec GridCounty(int nx, int ny, int shapes, int64_t lon0 = -122500000, int64_t lat0 = 37500000,
                           int64_t step = 2000, bool extras = true, int64_t tlid = 10000000,
                           const std::string& cen = "A0001")
{
    TSetSpec set;
    auto block = [&](int i, int j) -> int64_t {
        return i >= 0 && i < nx && j >= 0 && j < ny ? 1 + int64_t(j) * nx + i : 0;
    };
    auto at = [&](int64_t i, int64_t j) { return TPoint{lon0 + i * step, lat0 + j * step}; };
    auto sides = [&](TChainSpec& c, int64_t left, int64_t right) {
        c.PolyL = left;
        c.PolyR = right;
        c.CenL = left ? cen : "     ";
        c.CenR = right ? cen : "     ";
    };
    auto edge = [&](TPoint a, TPoint b, bool horizontal) {
        std::vector<TPoint> pts{a};
        for (int k = 1; k <= shapes; ++k) {
            const int64_t along = step * k / (shapes + 1);
            const int64_t off = (k % 2 ? 1 : -1) * step / 20;
            pts.push_back(horizontal ? TPoint{a.Lon + along, a.Lat + off} : TPoint{a.Lon + off, a.Lat + along});
        }
        pts.push_back(b);
        return pts;
    };
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i < nx; ++i) {
            TChainSpec c;
            c.TLID = tlid++;
            c.Name = "Street " + std::to_string(j);
            c.Cfcc = j == ny ? "P41" : "A41";
            c.Points = edge(at(i, j), at(i + 1, j), true);
            sides(c, block(i, j), block(i, j - 1));
            set.Chains.push_back(c);
        }
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j < ny; ++j) {
            TChainSpec c;
            c.TLID = tlid++;
            c.Name = i == nx ? "" : "Avenue " + std::to_string(i);
            c.Cfcc = i == nx ? "F10" : "A41";
            c.Points = edge(at(i, j), at(i, j + 1), false);
            sides(c, block(i - 1, j), block(i, j));
            set.Chains.push_back(c);
        }
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            TPolygonSpec p;
            p.Cen = cen;
            p.PolyId = block(i, j);
            p.At = {lon0 + i * step + step / 4, lat0 + j * step + step / 4};
            set.Polygons.push_back(p);
        }
    if (!extras || nx < 2 || ny < 2) return set;

    // The lake: counterclockwise around the middle of block (0, 0).
    const TPoint mid{lon0 + step / 2, lat0 + step / 2};
    const int64_t r = step / 8;
    TChainSpec lake;
    lake.TLID = tlid++;
    lake.Name = "Lake";
    lake.Cfcc = "H11";
    lake.Points = {{mid.Lon + r, mid.Lat}, {mid.Lon, mid.Lat + r}, {mid.Lon - r, mid.Lat},
                   {mid.Lon, mid.Lat - r}, {mid.Lon + r, mid.Lat}};
    sides(lake, LakeId, block(0, 0));
    set.Chains.push_back(lake);
    set.Polygons.push_back({cen, LakeId, mid});

    // The sliver: block (1, 0)'s south side now has the sliver on its left,
    // and the bent chain has the block on its left.
    for (TChainSpec& c : set.Chains)
        if (c.Points.front() == at(1, 0) && c.Points.back() == at(2, 0)) sides(c, SliverId, 0);
    TChainSpec bent;
    bent.TLID = tlid++;
    bent.Name = "Bypass";
    bent.Cfcc = "A41";
    bent.Points = {at(1, 0), {lon0 + step + step / 4, lat0 + step / 6}, {lon0 + step + 3 * step / 4, lat0 + step / 6},
                   at(2, 0)};
    sides(bent, block(1, 0), SliverId);
    set.Chains.push_back(bent);
    set.Polygons.push_back({cen, SliverId, {lon0 + step + step / 2, lat0 + step / 10}});

    TChainSpec rail;
    rail.TLID = tlid++;
    rail.Name = "Rail";
    rail.Cfcc = "B11";
    rail.Points = {at(nx, 0), {lon0 + nx * step + step / 2, lat0 - step / 10}, at(nx + 1, 0)};
    set.Chains.push_back(rail);
    return set;
}

// A folder of this test run, removed when the tests end.
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
    const fs::path dir = TempRoot() / name;
    fs::create_directories(dir);
    return dir;
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

// The path of a program on PATH or in /usr/bin; empty when missing.
inline std::string FindTool(const std::string& name)
{
    std::string out;
    if (RunCommand("command -v " + name + " 2>/dev/null", out) && !out.empty()) {
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
        return out;
    }
    return fs::exists("/usr/bin/" + name) ? "/usr/bin/" + name : std::string();
}

} // namespace tigertest
