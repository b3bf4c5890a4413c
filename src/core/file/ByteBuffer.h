// A byte buffer with little- and big-endian codecs, as the shapefile import
// and export fill and read it. Every read is bounds-checked; writes grow the
// buffer as needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

// A read outside the buffer.
class TByteBufferError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// Reads from any byte range; positions are byte indexes into it.
int32_t GetLongLittle(std::span<const uint8_t> bytes, std::size_t pos);
int32_t GetLongBig(std::span<const uint8_t> bytes, std::size_t pos);
double GetDoubleLittle(std::span<const uint8_t> bytes, std::size_t pos);
// Whether n bytes from pos lie inside a range of size bytes (no overflow).
inline bool InBounds(std::size_t size, std::size_t pos, std::size_t n) { return pos <= size && n <= size - pos; }

class TByteBuffer {
public:
    TByteBuffer() = default;
    explicit TByteBuffer(std::size_t size) : Bytes(size, 0) {}
    explicit TByteBuffer(std::vector<uint8_t> bytes) : Bytes(std::move(bytes)) {}

    std::size_t Size() const { return Bytes.size(); }
    void Resize(std::size_t size) { Bytes.resize(size, 0); }
    void Clear() { Bytes.clear(); }
    const uint8_t* Data() const { return Bytes.data(); }
    uint8_t* Data() { return Bytes.data(); }
    std::span<const uint8_t> View() const { return Bytes; }
    std::vector<uint8_t>& Vector() { return Bytes; }

    // int32 at pos..pos+3, least significant byte first.
    void PutLongLittle(std::size_t pos, int32_t v);
    int32_t GetLongLittle(std::size_t pos) const { return ::GetLongLittle(Bytes, pos); }
    // int32 at pos..pos+3, most significant byte first.
    void PutLongBig(std::size_t pos, int32_t v);
    int32_t GetLongBig(std::size_t pos) const { return ::GetLongBig(Bytes, pos); }
    // IEEE double at pos..pos+7, least significant byte first.
    void PutDoubleLittle(std::size_t pos, double v);
    double GetDoubleLittle(std::size_t pos) const { return ::GetDoubleLittle(Bytes, pos); }

private:
    uint8_t* Room(std::size_t pos, std::size_t n);
    std::vector<uint8_t> Bytes;
};
