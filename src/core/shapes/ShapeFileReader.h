// Reading the main file (.shp) of an ESRI shapefile: the 100-byte header and
// the records one by one. The file is untrusted: every count and length is
// checked against the record and the file before it is used, so a damaged
// file costs at most its own size in memory and never reads out of bounds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

// Shape types.
constexpr int32_t ShpNull = 0;
constexpr int32_t ShpPoint = 1;
constexpr int32_t ShpPolyLine = 3;
constexpr int32_t ShpPolygon = 5;
constexpr int32_t ShpMultiPoint = 8;
constexpr int32_t ShpPointZ = 11;
constexpr int32_t ShpPolyLineZ = 13;
constexpr int32_t ShpPolygonZ = 15;
constexpr int32_t ShpMultiPointZ = 18;
constexpr int32_t ShpPointM = 21;
constexpr int32_t ShpPolyLineM = 23;
constexpr int32_t ShpPolygonM = 25;
constexpr int32_t ShpMultiPointM = 28;
constexpr int32_t ShpMultiPatch = 31;

constexpr int32_t ShpFileCode = 9994;
constexpr int32_t ShpVersion = 1000;
constexpr int32_t ShpHeaderBytes = 100;

enum class TShpFamily { None, Point, MultiPoint, PolyLine, Polygon };
// The family of the types this program reads (None for the others).
TShpFamily ShpFamilyOf(int32_t type);
// Types whose records carry Z values.
bool ShpHasZ(int32_t type);

struct TShpHeader {
    int32_t FileCode = 0;
    int32_t FileLength = 0; // 16-bit words
    int32_t Version = 0;
    int32_t ShapeType = 0;
    double Xmin = 0, Ymin = 0, Xmax = 0, Ymax = 0;
    // A shapefile header: code 9994 and version 1000. The type, length and
    // box are read only then.
    bool Valid() const { return FileCode == ShpFileCode && Version == ShpVersion; }
};

enum class TShpRecordKind {
    Shape, // of the file's type, whole
    Null,  // a null shape
    Bad,   // another type, too short for its type or counts, part starts out of order
           // or points in no part (a first part after point 0, or no part at all),
           // or an X or Y that is no number or infinite
};

// One record. Points are X, Y pairs; Z holds one value per point when the
// type has Z values and they lie inside the record, else nothing.
struct TShpRecord {
    TShpRecordKind Kind = TShpRecordKind::Null;
    int32_t Number = 0;
    int32_t Type = 0;
    std::vector<double> XY;
    std::vector<double> Z;
    // Start index of each part, then the point count: part k runs from
    // Parts[k] to Parts[k + 1]. Points and multipoints have one part.
    std::vector<int32_t> Parts;

    int32_t PointCount() const { return int32_t(XY.size() / 2); }
    int32_t PartCount() const { return Parts.empty() ? 0 : int32_t(Parts.size()) - 1; }
};

// Parses the content of a record (after its 8-byte header) of a file of
// fileType into rec (Kind, Type and the geometry; Number is the caller's).
void ParseShpContent(std::span<const uint8_t> content, int32_t fileType, TShpRecord& rec);

class TShpReader {
public:
    TShpReader() = default;
    ~TShpReader();
    TShpReader(const TShpReader&) = delete;
    TShpReader& operator=(const TShpReader&) = delete;

    // Reads from a regular file; false, with a reason, when it is none (a
    // folder, a FIFO, a device) or cannot be opened.
    bool Open(const std::string& path, std::string& error);
    // Reads from bytes that the caller keeps while reading.
    void OpenBytes(std::span<const uint8_t> bytes);

    // The header; false when the file is too short to hold one or cannot be
    // read. Records are then read to the end of the file, whatever length
    // the header gives (a header that is not Valid reads none).
    bool ReadHeader(TShpHeader& header);
    // The next record; false at the end. A record that does not fit in the
    // file (a header cut short, a negative length, content past the end) is
    // returned as Bad and ends the reading.
    bool Next(TShpRecord& rec);

    int64_t Position() const { return Pos; }
    int64_t Size() const { return FileSize; }

private:
    // n bytes at the position, into Buffer for a file; false at a read failure.
    bool Fetch(int64_t n, std::span<const uint8_t>& out);

    std::FILE* File = nullptr;
    std::span<const uint8_t> Bytes;
    std::vector<uint8_t> Buffer;
    int64_t Pos = 0;
    int64_t FileSize = 0;
    int64_t Limit = 0; // where the records end: the header's length, at least the file's size
    int32_t FileType = 0;
    bool Ended = true;
};
