// What the shapefile tests share: shapefiles built byte by byte and pyshp's
// reading of a file (through shp_oracle.py); temporary folders and commands
// are the TIGER tests'.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tiger_fixture.h"

namespace shapetest {

namespace fs = std::filesystem;

using tigertest::RunCommand;
using tigertest::TempFolder;

inline std::string OraclePath() { return std::string(TARVEX_TEST_DATA) + "/../core/shapes/shp_oracle.py"; }

// Whether /usr/bin/python3 has pyshp (and shapely and ogrinfo for checks).
inline bool HaveOracle()
{
    static const bool have = std::system("/usr/bin/python3 -c 'import shapefile, shapely' >/dev/null 2>&1") == 0 &&
                             fs::exists("/usr/bin/ogrinfo");
    return have;
}
inline std::string Oracle(const std::string& args)
{
    std::string out;
    RunCommand("/usr/bin/python3 '" + OraclePath() + "' " + args, out);
    return out;
}

inline std::string SharedShp() { return std::string(TARVEX_SHARED_DATA) + "/shp"; }

// The public shapefiles are not part of the project: without them a test
// that reads them is skipped, saying why.
#define SKIP_WITHOUT_SHARED_SHAPEFILES()                                                                            \
    if (!std::filesystem::is_directory(shapetest::SharedShp()))                                                    \
    GTEST_SKIP() << "the public shapefiles are not at " << shapetest::SharedShp()

inline std::vector<uint8_t> ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TOraclePoint {
    double X = 0, Y = 0, Z = 0;
    bool HasZ = false;
};
struct TOracleRecord {
    int32_t Number = 0;
    int32_t Type = 0;
    std::vector<std::vector<TOraclePoint>> Parts;
};

// Every record of a file as pyshp reads it.
inline std::vector<TOracleRecord> OracleDump(const std::string& path)
{
    std::vector<TOracleRecord> out;
    std::istringstream in(Oracle("dump '" + path + "'"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string tag;
        f >> tag;
        if (tag == "R") {
            out.emplace_back();
            f >> out.back().Number >> out.back().Type;
        } else if (tag == "P") {
            out.back().Parts.emplace_back();
        } else if (tag == "V") {
            std::string x, y, z;
            f >> x >> y >> z;
            TOraclePoint p;
            p.X = std::strtod(x.c_str(), nullptr);
            p.Y = std::strtod(y.c_str(), nullptr);
            p.HasZ = z != "-";
            if (p.HasZ) p.Z = std::strtod(z.c_str(), nullptr);
            out.back().Parts.back().push_back(p);
        }
    }
    return out;
}

inline void Big(std::string& s, int32_t v)
{
    for (int i = 3; i >= 0; --i) s.push_back(char(uint32_t(v) >> (8 * i)));
}
inline void Little(std::string& s, int32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(char(uint32_t(v) >> (8 * i)));
}
inline void Double(std::string& s, double v)
{
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) s.push_back(char(u >> (8 * i)));
}

// Record contents: a point (X, Y), a null shape, and a record of parts
// (polyline and polygon types; for multipoints the parts' points in one
// list) with Z values after the points when zs is not empty.
inline std::string PointContent(int32_t type, double x, double y)
{
    std::string s;
    Little(s, type), Double(s, x), Double(s, y);
    return s;
}
inline std::string NullContent() { return std::string(4, '\0'); }
inline std::string PartsContent(int32_t type, const std::vector<std::vector<std::pair<double, double>>>& parts,
                                const std::vector<double>& zs = {})
{
    std::string s, points;
    Little(s, type);
    s.append(32, '\0'); // the box, not read
    std::string starts;
    int32_t n = 0;
    for (const auto& p : parts) {
        Little(starts, n);
        for (const auto& [x, y] : p) Double(points, x), Double(points, y), ++n;
    }
    if (type % 10 != 8) Little(s, int32_t(parts.size())); // not a multipoint: parts, count, starts
    Little(s, n);
    if (type % 10 != 8) s += starts;
    s += points;
    if (!zs.empty()) s.append(16, '\0');
    for (double z : zs) Double(s, z);
    return s;
}

// A whole .shp of records with the given contents, numbered from 1.
struct TShpBuilder {
    int32_t Type = 1, Code = 9994, Version = 1000;
    std::string Records;
    int32_t Count = 0;
    void Add(const std::string& content)
    {
        Big(Records, ++Count), Big(Records, int32_t(content.size() / 2));
        Records += content;
    }
    std::vector<uint8_t> Bytes() const
    {
        std::string s;
        Big(s, Code);
        s.append(20, '\0');
        Big(s, int32_t((100 + Records.size()) / 2));
        Little(s, Version), Little(s, Type);
        s.append(64, '\0');
        s += Records;
        return {s.begin(), s.end()};
    }
};

} // namespace shapetest
