// TIGER/Line 2000 record files of one county set: the complete chains
// (.RT1), their shape points (.RT2), the polygon interior points (.RTP) and
// the links of chains to the polygons on their sides (.RTI). A record is one
// line of fixed columns; a line end (CR, LF or CR LF) never reaches a field.
// A line may stop before its record's last column where the columns it lost
// were blank (trailing blanks trimmed): what lies past its end reads as
// blanks. A line cut inside a field the record needs, or before it, is
// refused, and so is one whose needed longitudes or latitudes are blank.
// Numbers are decimal integers with blanks around and an optional sign; an
// all-blank number is 0. Longitudes and latitudes come in millionths of a
// degree and are kept in the network's 1e-7 degree units.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One complete chain.
struct TTigerChain {
    int32_t TLID = 0;
    std::string FeatureName; // FENAME, right-trimmed
    char CfccLetter = ' ';
    int32_t CfccNumber = 0;
    int32_t FromLong = 0, FromLat = 0; // 1e-7 degree
    int32_t ToLong = 0, ToLat = 0;
};

// Up to ten shape points of a chain, in order; Count stops before the first
// longitude of 0.
struct TTigerShapeRecord {
    int32_t TLID = 0;
    int Count = 0;
    std::array<int32_t, 10> Long{};
    std::array<int32_t, 10> Lat{};
};

// A polygon's interior point.
struct TTigerPolygonRecord {
    std::string CenId; // 5 characters as they stand
    int32_t PolyId = 0;
    int32_t Long = 0, Lat = 0;
    // Integers of columns 41-46 and 75-80 (0 when they do not parse).
    int32_t Columns41 = 0;
    int32_t Columns75 = 0;
};

// The polygons left and right of a chain.
struct TTigerChainPolygon {
    int32_t TLID = 0;
    std::string CenIdL; // 5 characters as they stand
    int32_t PolyIdL = 0;
    std::string CenIdR;
    int32_t PolyIdR = 0;
};

// Where the needed fields of chains (the two end points) and polygons (the
// interior point) end. A shorter line is a record cut short: its missing
// columns would read as zeros and put a point at long/lat 0 (as blanks in
// them would).
constexpr std::size_t TigerChainLength = 228;
constexpr std::size_t TigerPolygonLength = 44;

// Each parser reads one record; false when the line is cut short, a number
// of the record does not parse, an id lies outside 32 bits, or a longitude
// or latitude lies outside the globe or is blank where the record needs it
// (a read failure). A line is cut short when a chain's end points or a
// polygon's point are not whole, when it ends before a shape or
// chain-polygon record's chain id is whole, or when it ends inside a polygon
// id, a shape point's longitude or before the latitude of a longitude other
// than 0. A chain needs both end points, a polygon record its point, a shape
// point of a longitude other than 0 its latitude. A shape record's points end
// at a longitude of 0 (or blank) or at the line's end. In chain-polygon
// records a number that does not parse counts as 0, and so does one past the
// line's end.
bool ParseTigerChain(std::string_view line, TTigerChain& out);
bool ParseTigerShape(std::string_view line, TTigerShapeRecord& out);
bool ParseTigerPolygon(std::string_view line, TTigerPolygonRecord& out);
bool ParseTigerChainPolygon(std::string_view line, TTigerChainPolygon& out);

// The records of a file's bytes, one per line. Lines end with CR, LF, CR LF
// or the end of the bytes; empty lines are no records.
class TTigerLines {
public:
    explicit TTigerLines(std::string_view bytes) : Bytes(bytes) {}
    // The next record; false at the end.
    bool Next(std::string_view& line);

private:
    std::string_view Bytes;
    std::size_t Pos = 0;
};

// The four files of a set, named from any one of them.
struct TTigerFileSet {
    bool Named = false; // the name ended in a ".RT?" extension
    std::string RT1, RT2, RTP, RTI;
};

// The file-name part of the name (after its last '/') must end in ".RT"
// and one more character, in any case; that character becomes '1', '2', 'P'
// and 'I' ('p' and 'i' after a lower-case "rt"). Otherwise Named is false.
TTigerFileSet TigerFileSetFor(const std::string& anyFileOfSet);
