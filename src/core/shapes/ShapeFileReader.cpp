#include "core/shapes/ShapeFileReader.h"

#include <bit>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file/ByteBuffer.h"

TShpFamily ShpFamilyOf(int32_t type)
{
    switch (type) {
    case ShpPoint:
    case ShpPointZ:
    case ShpPointM:
        return TShpFamily::Point;
    case ShpMultiPoint:
    case ShpMultiPointZ:
    case ShpMultiPointM:
        return TShpFamily::MultiPoint;
    case ShpPolyLine:
    case ShpPolyLineZ:
    case ShpPolyLineM:
        return TShpFamily::PolyLine;
    case ShpPolygon:
    case ShpPolygonZ:
    case ShpPolygonM:
        return TShpFamily::Polygon;
    default:
        return TShpFamily::None;
    }
}

bool ShpHasZ(int32_t type)
{
    return type == ShpPointZ || type == ShpMultiPointZ || type == ShpPolyLineZ || type == ShpPolygonZ;
}

namespace {

// Reads n little-endian doubles from pos into out (bounds checked by the caller).
void ReadDoubles(std::span<const uint8_t> c, std::size_t pos, std::size_t n, std::vector<double>& out)
{
    out.resize(n);
    if (n) std::memcpy(out.data(), c.data() + pos, n * sizeof(double));
    if constexpr (std::endian::native != std::endian::little)
        for (std::size_t i = 0; i < n; ++i) out[i] = GetDoubleLittle(c, pos + 8 * i);
}

// Whether every value is a number: a point that is no number (NaN) or
// infinite has no place, and its record is damaged.
bool AllFinite(const std::vector<double>& values)
{
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

void MarkBad(TShpRecord& rec)
{
    rec.Kind = TShpRecordKind::Bad;
    rec.XY.clear();
    rec.Z.clear();
    rec.Parts.clear();
}

} // namespace

void ParseShpContent(std::span<const uint8_t> c, int32_t fileType, TShpRecord& rec)
{
    rec.XY.clear();
    rec.Z.clear();
    rec.Parts.clear();
    const std::size_t size = c.size();
    if (size < 4) return MarkBad(rec);
    rec.Type = GetLongLittle(c, 0);
    if (rec.Type == ShpNull) {
        rec.Kind = TShpRecordKind::Null;
        return;
    }
    if (rec.Type != fileType) return MarkBad(rec);
    rec.Kind = TShpRecordKind::Shape;
    const bool z = ShpHasZ(rec.Type);
    switch (ShpFamilyOf(rec.Type)) {
    case TShpFamily::Point:
        if (size < 20) return MarkBad(rec);
        ReadDoubles(c, 4, 2, rec.XY);
        if (!AllFinite(rec.XY)) return MarkBad(rec);
        if (z && size >= 28) ReadDoubles(c, 20, 1, rec.Z);
        rec.Parts = {0, 1};
        return;
    case TShpFamily::MultiPoint: {
        if (size < 40) return MarkBad(rec);
        const int32_t n = GetLongLittle(c, 36);
        if (n < 0 || !InBounds(size, 40, std::size_t(n) * 16)) return MarkBad(rec);
        ReadDoubles(c, 40, std::size_t(n) * 2, rec.XY);
        if (!AllFinite(rec.XY)) return MarkBad(rec);
        const std::size_t zAt = 40 + std::size_t(n) * 16 + 16;
        if (z && InBounds(size, zAt, std::size_t(n) * 8)) ReadDoubles(c, zAt, std::size_t(n), rec.Z);
        rec.Parts = {0, n};
        return;
    }
    case TShpFamily::PolyLine:
    case TShpFamily::Polygon: {
        if (size < 44) return MarkBad(rec);
        const int32_t parts = GetLongLittle(c, 36);
        const int32_t points = GetLongLittle(c, 40);
        if (parts < 0 || points < 0 || !InBounds(size, 44, std::size_t(parts) * 4) ||
            !InBounds(size, 44 + std::size_t(parts) * 4, std::size_t(points) * 16))
            return MarkBad(rec);
        // Every point belongs to a part: the first part starts at point 0,
        // and a record with points has a part. Points before the first
        // part would be dropped without a word.
        if (parts == 0 && points > 0) return MarkBad(rec);
        rec.Parts.resize(std::size_t(parts) + 1);
        int32_t previous = 0;
        for (int32_t k = 0; k < parts; ++k) {
            const int32_t start = GetLongLittle(c, 44 + std::size_t(k) * 4);
            if (start < previous || start > points || (k == 0 && start != 0)) return MarkBad(rec);
            rec.Parts[std::size_t(k)] = previous = start;
        }
        rec.Parts[std::size_t(parts)] = points;
        const std::size_t at = 44 + std::size_t(parts) * 4;
        ReadDoubles(c, at, std::size_t(points) * 2, rec.XY);
        if (!AllFinite(rec.XY)) return MarkBad(rec);
        const std::size_t zAt = at + std::size_t(points) * 16 + 16;
        if (z && InBounds(size, zAt, std::size_t(points) * 8)) ReadDoubles(c, zAt, std::size_t(points), rec.Z);
        return;
    }
    case TShpFamily::None:
        return MarkBad(rec);
    }
}

TShpReader::~TShpReader()
{
    if (File) std::fclose(File);
}

bool TShpReader::Open(const std::string& path, std::string& error)
{
    if (File) std::fclose(File);
    File = nullptr;
    Bytes = {};
    Pos = 0;
    Ended = true;
    // Only a regular file: opening a FIFO or a device would wait for a
    // writer or read without end.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        return false;
    }
    // Opened without waiting, in case the name was changed into a FIFO
    // after the look; what was opened is looked at again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "it is not a regular file";
        return false;
    }
    File = ::fdopen(fd, "rb");
    if (!File) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    std::setvbuf(File, nullptr, _IOFBF, 1 << 20);
    FileSize = int64_t(st.st_size);
    return true;
}

void TShpReader::OpenBytes(std::span<const uint8_t> bytes)
{
    if (File) std::fclose(File);
    File = nullptr;
    Bytes = bytes;
    FileSize = int64_t(bytes.size());
    Pos = 0;
    Ended = true;
}

bool TShpReader::Fetch(int64_t n, std::span<const uint8_t>& out)
{
    if (n < 0 || n > FileSize - Pos) return false;
    if (!File) {
        out = Bytes.subspan(std::size_t(Pos), std::size_t(n));
    } else {
        Buffer.resize(std::size_t(n));
        if (n > 0 && std::fread(Buffer.data(), 1, std::size_t(n), File) != std::size_t(n)) return false;
        out = Buffer;
    }
    Pos += n;
    return true;
}

bool TShpReader::ReadHeader(TShpHeader& header)
{
    header = TShpHeader{};
    Ended = true;
    Pos = 0;
    std::span<const uint8_t> h;
    if (!Fetch(ShpHeaderBytes, h)) return false;
    header.FileCode = GetLongBig(h, 0);
    header.Version = GetLongLittle(h, 28);
    if (header.Version == ShpVersion) {
        header.FileLength = GetLongBig(h, 24);
        header.ShapeType = GetLongLittle(h, 32);
        header.Xmin = GetDoubleLittle(h, 36);
        header.Ymin = GetDoubleLittle(h, 44);
        header.Xmax = GetDoubleLittle(h, 52);
        header.Ymax = GetDoubleLittle(h, 60);
    }
    // The header's length is taken when it reaches the file's end; one that
    // is shorter than the file or impossible (below the header) reads on to
    // the end, as other readers of the format do.
    Limit = int64_t(header.FileLength) * 2;
    if (Limit < FileSize) Limit = FileSize;
    FileType = header.ShapeType;
    Ended = !header.Valid();
    return true;
}

bool TShpReader::Next(TShpRecord& rec)
{
    if (Ended || Pos >= Limit || Pos >= FileSize) {
        Ended = true;
        return false;
    }
    rec.Number = 0;
    rec.Type = 0;
    std::span<const uint8_t> h, content;
    if (!Fetch(8, h)) {
        Ended = true;
        MarkBad(rec);
        return true;
    }
    rec.Number = GetLongBig(h, 0);
    const int64_t length = int64_t(GetLongBig(h, 4)) * 2;
    if (!Fetch(length, content)) {
        Ended = true;
        MarkBad(rec);
        return true;
    }
    ParseShpContent(content, FileType, rec);
    return true;
}
