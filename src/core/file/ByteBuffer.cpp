#include "core/file/ByteBuffer.h"

#include <cstring>
#include <string>

namespace {

const uint8_t* At(std::span<const uint8_t> bytes, std::size_t pos, std::size_t n)
{
    if (!InBounds(bytes.size(), pos, n))
        throw TByteBufferError("read of " + std::to_string(n) + " bytes at " + std::to_string(pos) +
                               " outside a buffer of " + std::to_string(bytes.size()));
    return bytes.data() + pos;
}

} // namespace

int32_t GetLongLittle(std::span<const uint8_t> bytes, std::size_t pos)
{
    const uint8_t* p = At(bytes, pos, 4);
    const uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return static_cast<int32_t>(u);
}

int32_t GetLongBig(std::span<const uint8_t> bytes, std::size_t pos)
{
    const uint8_t* p = At(bytes, pos, 4);
    const uint32_t u = uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
    return static_cast<int32_t>(u);
}

double GetDoubleLittle(std::span<const uint8_t> bytes, std::size_t pos)
{
    const uint8_t* p = At(bytes, pos, 8);
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = u << 8 | p[i];
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}

uint8_t* TByteBuffer::Room(std::size_t pos, std::size_t n)
{
    if (pos > SIZE_MAX - n)
        throw TByteBufferError("write position out of range");
    if (pos + n > Bytes.size())
        Bytes.resize(pos + n, 0);
    return Bytes.data() + pos;
}

void TByteBuffer::PutLongLittle(std::size_t pos, int32_t v)
{
    uint8_t* p = Room(pos, 4);
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}

void TByteBuffer::PutLongBig(std::size_t pos, int32_t v)
{
    uint8_t* p = Room(pos, 4);
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[3 - i] = static_cast<uint8_t>(u >> (8 * i));
}

void TByteBuffer::PutDoubleLittle(std::size_t pos, double v)
{
    uint8_t* p = Room(pos, 8);
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}
