#include "core/shapes/TigerRecords.h"

#include <cstdint>

#include "core/file/LegacyText.h"

namespace {

// Columns first..last (1-based, inclusive) of a record; what lies beyond the
// line's end is left out.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t last)
{
    if (first > line.size()) return {};
    const std::size_t end = last < line.size() ? last : line.size();
    return line.substr(first - 1, end - first + 1);
}

// A text field of exactly last - first + 1 characters, blank-padded.
std::string TextColumns(std::string_view line, std::size_t first, std::size_t last)
{
    std::string s(Columns(line, first, last));
    s.resize(last - first + 1, ' ');
    return s;
}

// Whether the line ends inside columns first..last: the field is begun but
// not whole, so a number in it lost digits.
bool EndsInside(std::string_view line, std::size_t first, std::size_t last)
{
    return line.size() >= first && line.size() < last;
}

// Whether the line ends before column last: the field is cut or missing.
// A chain's id is needed whole; a line that stops before it names no chain.
bool EndsBefore(std::string_view line, std::size_t last)
{
    return line.size() < last;
}

bool AllBlank(std::string_view s)
{
    for (char c : s)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// A number field: blanks around, an optional sign; all blanks give 0.
bool Number(std::string_view field, int64_t& value)
{
    if (AllBlank(field)) {
        value = 0;
        return true;
    }
    return ParseInt64(field, value);
}

bool Int32Field(std::string_view line, std::size_t first, std::size_t last, int32_t& out)
{
    int64_t v = 0;
    if (!Number(Columns(line, first, last), v) || v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

// A longitude or latitude in millionths of a degree, kept in 1e-7 degree.
bool Degrees(std::string_view line, std::size_t first, std::size_t last, int64_t limit, int32_t& out)
{
    int64_t v = 0;
    if (!Number(Columns(line, first, last), v) || v < -limit || v > limit) return false;
    out = int32_t(v * 10);
    return true;
}

// A longitude or latitude the record needs: all blanks are none, as a line
// cut before it has none (as 0 it would put the point at long/lat 0).
bool NeededDegrees(std::string_view line, std::size_t first, std::size_t last, int64_t limit, int32_t& out)
{
    return !AllBlank(Columns(line, first, last)) && Degrees(line, first, last, limit, out);
}

constexpr int64_t LongLimit = 180000000;
// Latitudes stop short of the poles, where the map projections have no image.
constexpr int64_t LatLimit = 89999999;

} // namespace

bool TTigerLines::Next(std::string_view& line)
{
    while (Pos < Bytes.size()) {
        std::size_t end = Bytes.find_first_of("\r\n", Pos);
        if (end == std::string_view::npos) end = Bytes.size();
        line = Bytes.substr(Pos, end - Pos);
        // CR LF is one line end; a CR or an LF alone is one too.
        Pos = end + 1;
        if (end < Bytes.size() && Bytes[end] == '\r' && Pos < Bytes.size() && Bytes[Pos] == '\n') ++Pos;
        if (!line.empty()) return true;
    }
    return false;
}

bool ParseTigerChain(std::string_view line, TTigerChain& out)
{
    out = TTigerChain{};
    // Both end points are needed; the second ends the record.
    if (line.size() < TigerChainLength) return false;
    std::string_view name = Columns(line, 20, 49);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    out.FeatureName = std::string(name);
    const std::string_view letter = Columns(line, 56, 56);
    out.CfccLetter = letter.empty() ? ' ' : letter[0];
    return Int32Field(line, 6, 15, out.TLID) && Int32Field(line, 57, 58, out.CfccNumber) &&
           NeededDegrees(line, 191, 200, LongLimit, out.FromLong) &&
           NeededDegrees(line, 201, 209, LatLimit, out.FromLat) && NeededDegrees(line, 210, 219, LongLimit, out.ToLong) &&
           NeededDegrees(line, 220, 228, LatLimit, out.ToLat);
}

bool ParseTigerShape(std::string_view line, TTigerShapeRecord& out)
{
    out = TTigerShapeRecord{};
    if (EndsBefore(line, 15) || !Int32Field(line, 6, 15, out.TLID)) return false;
    // The points end at a longitude of 0, which blanks and a line that ends
    // before it give too; a longitude begun needs all of itself and its
    // latitude, which may not be blank.
    for (int k = 0; k < 10; ++k) {
        const std::size_t at = 19 + 19 * std::size_t(k);
        int32_t lon = 0, lat = 0;
        if (EndsInside(line, at, at + 9) || !Degrees(line, at, at + 9, LongLimit, lon)) return false;
        if (lon == 0) break;
        if (line.size() < at + 18 || !NeededDegrees(line, at + 10, at + 18, LatLimit, lat)) return false;
        out.Long[size_t(k)] = lon;
        out.Lat[size_t(k)] = lat;
        out.Count = k + 1;
    }
    return true;
}

bool ParseTigerPolygon(std::string_view line, TTigerPolygonRecord& out)
{
    out = TTigerPolygonRecord{};
    // The interior point is needed; it ends at column 44.
    if (line.size() < TigerPolygonLength) return false;
    out.CenId = TextColumns(line, 11, 15);
    if (!Int32Field(line, 41, 46, out.Columns41)) out.Columns41 = 0;
    if (!Int32Field(line, 75, 80, out.Columns75)) out.Columns75 = 0;
    return Int32Field(line, 16, 25, out.PolyId) && NeededDegrees(line, 26, 35, LongLimit, out.Long) &&
           NeededDegrees(line, 36, 44, LatLimit, out.Lat);
}

bool ParseTigerChainPolygon(std::string_view line, TTigerChainPolygon& out)
{
    out = TTigerChainPolygon{};
    // Ids cut inside would name other chains and polygons, and a line that
    // stops before the chain's id names none; the texts are padded with
    // blanks.
    if (EndsBefore(line, 15) || EndsInside(line, 27, 36) || EndsInside(line, 42, 51)) return false;
    if (!Int32Field(line, 6, 15, out.TLID)) out.TLID = 0;
    out.CenIdL = TextColumns(line, 22, 26);
    if (!Int32Field(line, 27, 36, out.PolyIdL)) out.PolyIdL = 0;
    out.CenIdR = TextColumns(line, 37, 41);
    if (!Int32Field(line, 42, 51, out.PolyIdR)) out.PolyIdR = 0;
    return true;
}

TTigerFileSet TigerFileSetFor(const std::string& anyFileOfSet)
{
    TTigerFileSet set;
    const std::size_t slash = anyFileOfSet.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t n = anyFileOfSet.size();
    // The name part must end in ".RT?".
    if (n < nameStart + 4) return set;
    const std::size_t dot = n - 4;
    const char r = anyFileOfSet[dot + 1], t = anyFileOfSet[dot + 2];
    if (anyFileOfSet[dot] != '.' || (r != 'R' && r != 'r') || (t != 'T' && t != 't')) return set;
    const bool lower = t == 't';
    const std::string stem = anyFileOfSet.substr(0, n - 1);
    set.Named = true;
    set.RT1 = stem + '1';
    set.RT2 = stem + '2';
    set.RTP = stem + (lower ? 'p' : 'P');
    set.RTI = stem + (lower ? 'i' : 'I');
    return set;
}
