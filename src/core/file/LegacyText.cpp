#include "core/file/LegacyText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <bit>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view TrimSpace(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// A strict decimal real token: [sign] digits [. digits] [E [sign] digits].
bool ParseRealToken(std::string_view s, double& out)
{
    // The common case in one pass: from_chars reads the same grammar once
    // the token starts with a digit or '.' (after a sign), which rules out
    // its nan and inf; anything it does not take whole goes the long way.
    {
        const char* b = s.data();
        const char* e = b + s.size();
        const char* q = b < e && (*b == '-' || *b == '+') ? b + 1 : b;
        if (q < e && (IsDigit(*q) || (*q == '.' && q + 1 < e && IsDigit(q[1])))) {
            double v = 0;
            const auto r = std::from_chars(q, e, v, std::chars_format::general);
            if (r.ec == std::errc() && r.ptr == e) {
                out = *b == '-' ? -v : v;
                return true;
            }
        }
    }
    const std::size_t n = s.size();
    std::size_t i = 0;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < n && IsDigit(s[i])) {
        ++i;
        ++intDigits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i])) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return false;
    long long exponent = 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            expNegative = s[i] == '-';
            ++i;
        }
        std::size_t digits = 0;
        while (i < n && IsDigit(s[i])) {
            if (exponent < 1000000)
                exponent = exponent * 10 + (s[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0)
            return false;
        if (expNegative)
            exponent = -exponent;
    }
    if (i != n)
        return false;

    double v = 0;
    auto r = std::from_chars(s.data() + mantissaStart, s.data() + n, v, std::chars_format::general);
    if (r.ptr != s.data() + n)
        return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Too small underflows to zero; too large is an error.
        long long decimalExponent = 0;
        bool found = false;
        std::size_t k = mantissaStart;
        for (std::size_t d = 0; d < intDigits; ++d, ++k)
            if (s[k] != '0') {
                decimalExponent = static_cast<long long>(intDigits - d) - 1;
                found = true;
                break;
            }
        if (!found) {
            k = mantissaStart + intDigits + 1;
            for (std::size_t d = 0; d < fracDigits; ++d, ++k)
                if (s[k] != '0') {
                    decimalExponent = -static_cast<long long>(d) - 1;
                    found = true;
                    break;
                }
        }
        if (!found || decimalExponent + exponent < 0)
            v = 0;
        else
            return false;
    } else if (r.ec != std::errc()) {
        return false;
    }
    out = negative ? -v : v;
    return true;
}

bool ParseInt64Token(std::string_view s, int64_t& out)
{
    const std::size_t n = s.size();
    std::size_t i = 0;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == n)
        return false;
    uint64_t u = 0;
    for (; i < n; ++i) {
        const unsigned d = static_cast<unsigned char>(s[i]) - unsigned('0');
        if (d > 9 || __builtin_mul_overflow(u, 10u, &u) || __builtin_add_overflow(u, d, &u))
            return false;
    }
    if (negative) {
        if (u > static_cast<uint64_t>(INT64_MAX) + 1)
            return false;
        out = u == static_cast<uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(u);
    } else {
        if (u > static_cast<uint64_t>(INT64_MAX))
            return false;
        out = static_cast<int64_t>(u);
    }
    return true;
}

std::string ErrnoText(const char* step, int err)
{
    return std::string(step) + ": " + std::strerror(err);
}

} // namespace

// ---------------------------------------------------------------------------

bool ParseReal(std::string_view text, double& value)
{
    text = TrimSpace(text);
    return !text.empty() && ParseRealToken(text, value);
}

bool ParseInt64(std::string_view text, int64_t& value)
{
    text = TrimSpace(text);
    return ParseInt64Token(text, value);
}

bool ParseInt(std::string_view text, int32_t& value)
{
    int64_t v;
    if (!ParseInt64(text, v) || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool FormatReal23(double value, char (&out)[23])
{
    if (!std::isfinite(value))
        return false;
    if (value == 0)
        value = 0; // no negative zero
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    if (r.ec != std::errc())
        return false;
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    // p: "d.dddddddddddddde[+-]dd[d]"
    const char* e = static_cast<const char*>(std::memchr(p, 'e', static_cast<std::size_t>(r.ptr - p)));
    if (!e || e - p != 16)
        return false;
    out[0] = negative ? '-' : ' ';
    std::memcpy(out + 1, p, 16);
    out[17] = 'E';
    out[18] = e[1];
    int exponent = 0;
    for (const char* q = e + 2; q < r.ptr; ++q)
        exponent = exponent * 10 + (*q - '0');
    out[19] = static_cast<char>('0' + exponent / 1000 % 10);
    out[20] = static_cast<char>('0' + exponent / 100 % 10);
    out[21] = static_cast<char>('0' + exponent / 10 % 10);
    out[22] = static_cast<char>('0' + exponent % 10);
    return true;
}

std::string Real23Text(double value)
{
    char buf[23];
    if (!FormatReal23(value, buf))
        return {};
    return std::string(buf, 23);
}

// ---------------------------------------------------------------------------
// TTextReader

namespace {
// Bytes read at a time, and the room of the window over a file's bytes: the
// parse moves through the window, which keeps only what the current step
// still needs (a token, a field, a line) and takes the next block behind it.
constexpr std::size_t ReadBlock = TTextReader::ReadBlock;
constexpr std::size_t WindowRoom = TTextReader::WindowRoom;
constexpr std::size_t NoKeep = std::size_t(-1);
} // namespace

TTextReader::~TTextReader() { CloseFile(); }

void TTextReader::CloseFile() const
{
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
}

void TTextReader::SetBytes(std::string bytes)
{
    CloseFile();
    Raw.reset();
    Room = 0;
    Base = 0;
    Keep = NoKeep;
    Owned = std::move(bytes);
    Buf = Owned.c_str();
    Len = Owned.size();
    Expected = Len;
    Pos = 0;
}

bool TTextReader::LoadFile(const std::string& path, std::string& error)
{
    CloseFile();
    Owned.clear();
    Owned.shrink_to_fit();
    Raw.reset();
    Room = 0;
    Base = 0;
    Keep = NoKeep;
    Buf = "";
    Len = 0;
    Pos = 0;
    Expected = 0;
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = ErrnoText("cannot open file", errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = ErrnoText("cannot open file", errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "cannot open file: not a regular file";
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    Expected = static_cast<std::size_t>(st.st_size);
    try {
        Room = std::min(Expected, WindowRoom) + 1;
        Raw.reset(new char[Room]);
        Buf = Raw.get();
    } catch (const std::exception&) {
        error = "cannot read file: out of memory";
        ::close(fd);
        Expected = 0;
        Room = 0;
        return false;
    }
    Fd = fd;
#ifdef POSIX_FADV_SEQUENTIAL
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return true;
}

bool TTextReader::More() const
{
    if (Fd < 0 || Base + Len >= Expected)
        return false;
    if (Len + 1 >= Room) {
        // The window is full: drop what lies before the current step, or,
        // when the step needs all of it (one very long line), widen it.
        const std::size_t keep = std::min(Keep, Pos);
        if (keep > 0) {
            std::memmove(Raw.get(), Raw.get() + keep, Len - keep);
            Base += keep;
            Len -= keep;
            Pos -= keep;
            if (Keep != NoKeep)
                Keep -= keep;
        } else {
            const std::size_t room = std::max(2 * Room, Room + ReadBlock);
            std::unique_ptr<char[]> wider(new char[room]);
            std::memcpy(wider.get(), Raw.get(), Len);
            Raw = std::move(wider);
            Room = room;
        }
        Buf = Raw.get();
    }
    const std::size_t want = std::min({ReadBlock, Room - 1 - Len, Expected - Base - Len});
    std::size_t got = 0;
    while (got < want) {
        const ssize_t r = ::read(Fd, Raw.get() + Len + got, want - got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            Len += got;
            Expected = Base + Len;
            throw TFileReadError(ErrnoText("cannot read file", err));
        }
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    Len += got;
    if (got < want)
        Expected = Base + Len; // the file shrank while it was read: what is there is all there is
    return got > 0;
}

const std::string& TTextReader::Bytes() const
{
    if (!Raw)
        return Owned;
    // The whole file, read again from its start; the parse position stays.
    ++Copies;
    Whole.assign(Expected, '\0');
    std::size_t got = 0;
    while (got < Expected && Fd >= 0) {
        const ssize_t r = ::pread(Fd, Whole.data() + got, Expected - got, off_t(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    Whole.resize(got);
    return Whole;
}

void TTextReader::Fail(const char* what) const
{
    throw TFileReadError(std::string(what) + " at line " + std::to_string(LineNumber()));
}

std::size_t TTextReader::LineNumber() const
{
    // LF ends a line, and so does a CR that no LF follows.
    std::size_t line = 1;
    bool cr = false; // the byte before was a CR
    auto count = [&](const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (cr && p[i] != '\n')
                ++line;
            cr = p[i] == '\r';
            if (p[i] == '\n')
                ++line;
        }
    };
    // The bytes the window has dropped, read again from the file.
    if (Base > 0 && Fd >= 0) {
        std::unique_ptr<char[]> chunk(new char[ReadBlock]);
        std::size_t at = 0;
        while (at < Base) {
            const ssize_t r = ::pread(Fd, chunk.get(), std::min(ReadBlock, Base - at), off_t(at));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            count(chunk.get(), std::size_t(r));
            at += std::size_t(r);
        }
    }
    count(Buf, Pos < Len ? Pos : Len);
    // A CR just passed ends its line unless an LF follows it: the next byte
    // may lie past the window, or there may be none (the end of the file).
    if (cr) {
        char next = 0;
        if (Pos < Len)
            next = Buf[Pos];
        else if (Fd >= 0 && Base + Len < Expected)
            while (::pread(Fd, &next, 1, off_t(Base + Len)) < 0 && errno == EINTR) {
            }
        if (next != '\n')
            ++line;
    }
    return line;
}

bool TTextReader::SeekEof()
{
    for (;;) {
        while (Pos < Len && IsSpace(Buf[Pos]))
            ++Pos;
        if (Pos < Len || !More())
            break;
    }
    return Pos >= Len;
}

bool TTextReader::Eoln() const
{
    if (Pos >= Len && !More())
        return true;
    return IsLineEnd(Buf[Pos]);
}

bool TTextReader::SeekEoln()
{
    for (;;) {
        while (Pos < Len && IsBlank(Buf[Pos]))
            ++Pos;
        if (Pos < Len || !More())
            break;
    }
    return Eoln();
}

std::string_view TTextReader::NextToken(const char* what)
{
    SeekEof();
    if (Pos >= Len)
        Fail((std::string("unexpected end of file reading ") + what).c_str());
    const TKeepFrom keep(*this);
    for (;;) {
        const std::size_t n = Len;
        while (Pos < n && !IsSpace(Buf[Pos]))
            ++Pos;
        if (Pos < n || !More())
            break;
    }
    return std::string_view(Buf + Keep, Pos - Keep);
}

int64_t TTextReader::ReadInt64()
{
    // The common case in one pass: a short run of digits, its end in the
    // buffer. Anything else goes the long way.
    {
        const std::size_t n = Len;
        std::size_t p = Pos;
        while (p < n && IsSpace(Buf[p]))
            ++p;
        if (n - p > 21) {
            const char* s = Buf + p;
            const std::size_t sign = (s[0] == '-' || s[0] == '+') ? 1 : 0;
            std::size_t i = sign;
            uint64_t u = 0;
            while (i < sign + 18 && IsDigit(s[i]))
                u = u * 10 + unsigned(s[i++] - '0');
            if (i > sign && IsSpace(s[i])) {
                Pos = p + i;
                return s[0] == '-' ? -static_cast<int64_t>(u) : static_cast<int64_t>(u);
            }
        }
    }
    std::string_view tok = NextToken("an integer");
    int64_t v;
    if (!ParseInt64Token(tok, v))
        Fail("malformed integer");
    return v;
}

int32_t TTextReader::ReadInt()
{
    const int64_t v = ReadInt64();
    if (v < INT32_MIN || v > INT32_MAX)
        Fail("malformed integer");
    return static_cast<int32_t>(v);
}

double TTextReader::ReadReal()
{
    std::string_view tok = NextToken("a number");
    double v;
    if (!ParseRealToken(tok, v))
        Fail("malformed number");
    return v;
}

void TTextReader::Ahead(std::size_t n) const
{
    while (Len - Pos < n && More()) {
    }
}

namespace {
// Eight bytes at p as one word, the first in the lowest byte.
inline uint64_t Word(const char* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap64(w);
    return w;
}

constexpr uint64_t EachByte(uint8_t b) { return 0x0101010101010101ull * b; }

// The first line end (CR or LF) in [p, limit), or limit; eight bytes at a
// time while eight are left.
inline const char* FindLineEnd(const char* p, const char* limit)
{
    for (; limit - p >= 8; p += 8) {
        const uint64_t w = Word(p);
        // A zero byte in w ^ CR or in w ^ LF: the lowest flag is exact.
        const uint64_t cr = w ^ EachByte('\r'), lf = w ^ EachByte('\n');
        const uint64_t found = (((cr - EachByte(1)) & ~cr) | ((lf - EachByte(1)) & ~lf)) & EachByte(0x80);
        if (found)
            return p + std::countr_zero(found) / 8;
    }
    while (p < limit && !IsLineEnd(*p))
        ++p;
    return p;
}

// The digits at p, eight bytes of which are readable: their count (at most
// 8) and, when there are any, their value.
inline int EightDigits(const char* p, uint64_t& value)
{
    const uint64_t x = Word(p) - EachByte('0');
    // A byte is a digit when it is below 10 after the subtraction; the
    // lowest flag is exact (carries and borrows only run upwards).
    const uint64_t other = ((x + EachByte(0x76)) | x) & EachByte(0x80);
    const int n = other ? std::countr_zero(other) / 8 : 8;
    if (n == 0)
        return 0;
    // The n digits to the top of the word, then combined pairwise.
    uint64_t d = x << (8 * (8 - n));
    d = ((d & EachByte(0x0F)) * 2561) >> 8;
    d = ((d & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
    value = ((d & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
    return n;
}

// Past a line end at p (CR, LF or CRLF) within [p, end): the byte after it,
// or nullptr when p holds no line end or the LF of a CR may lie beyond end.
inline const char* PastLineEnd(const char* p, const char* end, bool fileEnds)
{
    if (p >= end) return nullptr;
    if (*p == '\n') return p + 1;
    if (*p != '\r') return nullptr;
    if (p + 1 < end) return p[1] == '\n' ? p + 2 : p + 1;
    return fileEnds ? p + 1 : nullptr;
}
} // namespace

bool TTextReader::TryReadIntLine(int32_t* values, int n)
{
    // A number takes at most 12 bytes here, its blanks aside.
    Ahead(std::size_t(n) * 16 + 64);
    const char* p = Buf + Pos;
    const char* const end = Buf + Len;
    for (int k = 0; k < n; ++k) {
        while (p < end && IsBlank(*p))
            ++p;
        const char* const sign = p;
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        const char* const digits = p;
        uint64_t u = 0;
        if (end - p >= 8) {
            p += EightDigits(p, u);
            if (p - digits == 8)
                while (p < end && IsDigit(*p) && p - digits < 11)
                    u = u * 10 + unsigned(*p++ - '0');
        } else {
            while (p < end && IsDigit(*p) && p - digits < 11)
                u = u * 10 + unsigned(*p++ - '0');
        }
        if (p == digits || p >= end || !(IsBlank(*p) || IsLineEnd(*p)))
            return false;
        const int64_t v = *sign == '-' ? -static_cast<int64_t>(u) : static_cast<int64_t>(u);
        if (v < INT32_MIN || v > INT32_MAX)
            return false;
        values[k] = static_cast<int32_t>(v);
    }
    while (p < end && IsBlank(*p))
        ++p;
    const char* next = PastLineEnd(p, end, Base + Len >= Expected);
    if (!next)
        return false;
    Pos = std::size_t(next - Buf);
    return true;
}

bool TTextReader::TryReadRealLine(std::size_t width, double& value)
{
    Ahead(width + 2);
    const char* const s = Buf + Pos;
    const char* const end = Buf + Len;
    const char* const limit = end - s > std::ptrdiff_t(width) ? s + width : end;
    const char* e = FindLineEnd(s, limit);
    const char* next = PastLineEnd(e, end, Base + Len >= Expected);
    if (!next)
        return false; // a longer line, or one not yet in hand
    const char* b = s;
    while (b < e && IsBlank(*b))
        ++b;
    while (e > b && IsBlank(e[-1]))
        --e;
    const char* q = b < e && (*b == '-' || *b == '+') ? b + 1 : b;
    if (!(q < e && (IsDigit(*q) || (*q == '.' && q + 1 < e && IsDigit(q[1])))))
        return false;
    double v = 0;
    const auto r = std::from_chars(q, e, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != e)
        return false;
    value = *b == '-' ? -v : v;
    Pos = std::size_t(next - Buf);
    return true;
}

std::string_view TTextReader::ReadTextLine(std::size_t n)
{
    if (n > 0) {
        Ahead(n + 2);
        const char* const s = Buf + Pos;
        const char* const end = Buf + Len;
        const char* const e = FindLineEnd(s, end - s > std::ptrdiff_t(n) ? s + n : end);
        if (const char* next = PastLineEnd(e, end, Base + Len >= Expected)) {
            Pos = std::size_t(next - Buf);
            return std::string_view(s, std::size_t(e - s));
        }
    }
    // A longer line, or one not yet in hand: its text is kept aside while
    // the rest of the line is read.
    Aside.assign(ReadTextView(n));
    ReadLn();
    return Aside;
}

char TTextReader::ReadChar()
{
    if (Pos >= Len && !More())
        Fail("unexpected end of file");
    const char c = Buf[Pos];
    if (IsLineEnd(c))
        return ' ';
    ++Pos;
    return c;
}

std::string_view TTextReader::ReadTextView(std::size_t n)
{
    if (n == 0)
        return {};
    if (Pos >= Len && !More())
        Fail("unexpected end of file");
    const TKeepFrom keep(*this);
    for (;;) {
        const std::size_t limit = Len - Keep < n ? Len : Keep + n;
        while (Pos < limit && !IsLineEnd(Buf[Pos]))
            ++Pos;
        if (Pos - Keep >= n || Pos < Len || !More())
            break;
    }
    return std::string_view(Buf + Keep, Pos - Keep);
}

std::string TTextReader::ReadText(std::size_t n)
{
    return std::string(ReadTextView(n));
}

void TTextReader::SkipChars(std::size_t n)
{
    (void)ReadTextView(n);
}

void TTextReader::SkipLineEnd()
{
    if (Pos >= Len)
        More();
    if (Pos < Len && Buf[Pos] == '\r') {
        ++Pos;
        if (Pos >= Len)
            More();
    }
    if (Pos < Len && Buf[Pos] == '\n')
        ++Pos;
}

// Moves Pos to the next line end (or the end of the file).
#define TARVEX_SCAN_TO_LINE_END()                                                                                      \
    for (;;) {                                                                                                         \
        const std::size_t n = Len;                                                                             \
        while (Pos < n && !IsLineEnd(Buf[Pos]))                                                                       \
            ++Pos;                                                                                                     \
        if (Pos < n || !More())                                                                                        \
            break;                                                                                                     \
    }

std::string_view TTextReader::ReadLineView()
{
    if (Pos >= Len && !More())
        Fail("unexpected end of file");
    const TKeepFrom keep(*this);
    TARVEX_SCAN_TO_LINE_END()
    const std::size_t length = Pos - Keep;
    SkipLineEnd(); // may move the window: the line is taken after it
    return std::string_view(Buf + Keep, length);
}

std::string TTextReader::ReadLine()
{
    return std::string(ReadLineView());
}

bool TTextReader::TryReadLine(std::string& line)
{
    if (Pos >= Len && !More())
        return false;
    line.assign(ReadLineView());
    return true;
}

bool TTextReader::TryReadShortLine(std::size_t n, std::string& line)
{
    const TKeepFrom keep(*this);
    while (Len - Pos <= n && More()) {
    }
    if (Pos >= Len)
        return false;
    const std::size_t limit = std::min(Len, Pos + n);
    std::size_t end = Pos;
    while (end < limit && !IsLineEnd(Buf[end]))
        ++end;
    if (end == limit && end < Len && !IsLineEnd(Buf[end]))
        return false; // longer than n bytes
    line.assign(Buf + Pos, end - Pos);
    Pos = end;
    SkipLineEnd();
    return true;
}

void TTextReader::ReadLn()
{
    TARVEX_SCAN_TO_LINE_END()
    SkipLineEnd();
}

#undef TARVEX_SCAN_TO_LINE_END

// ---------------------------------------------------------------------------
// TTextWriter

namespace {
constexpr std::size_t FlushThreshold = TTextWriter::FlushThreshold;

bool WriteAll(int fd, const char* p, std::size_t n, int& err)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (w == 0) {
            err = EIO;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

std::string TempNameFor(const std::filesystem::path& target, int attempt)
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path dir = target.parent_path();
    std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                       std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ULL) + "-" +
                       std::to_string(attempt);
    return (dir.empty() ? std::filesystem::path(name) : dir / name).string();
}

// Makes a finished file durable; see ReplaceFileSync.
TFileSync FileSync = ::fsync;
} // namespace

TFileSync ReplaceFileSync(TFileSync sync)
{
    return std::exchange(FileSync, sync ? sync : ::fsync);
}

TTextWriter::~TTextWriter()
{
    if (Fd >= 0 || Finished)
        Abandon();
}

char* PutInt(char* p, int64_t value)
{
    return std::to_chars(p, p + 20, value).ptr;
}

char* TTextWriter::Grow(std::size_t n)
{
    if (Failure)
        return nullptr;
    if (Fd >= 0 && Used >= FlushThreshold)
        Flush();
    if (Buffer.size() - Used < n)
        Buffer.resize(std::max({Buffer.size() * 2, Used + n,
                                Fd >= 0 ? FlushThreshold + (std::size_t(64) << 10) : std::size_t(4096)}));
    return Buffer.data() + Used;
}

void TTextWriter::SetFailed(std::string reason)
{
    Failure = true;
    FailureReason = std::move(reason);
    throw TFileWriteError(FailureReason);
}

namespace {
// The file a save to path replaces, and what was there; false, with a
// reason, when it may not be replaced.
bool ReplaceableTarget(const std::string& path, std::filesystem::path& target, struct stat& old, bool& hadOld,
                       std::string& error)
{
    std::error_code ec;
    target = path;
    // Saving through a symbolic link replaces the file it points to and keeps
    // the link.
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (ec) {
            error = "cannot write file: " + ec.message();
            return false;
        }
        target = resolved;
    }
    // Only a regular file is replaced: a FIFO, a device or a socket is
    // written in place by a plain write, and renaming a file over it would
    // put a regular file where it was.
    old = {};
    hadOld = ::lstat(target.c_str(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode)) {
        error = S_ISDIR(old.st_mode) ? "cannot write file: it is a folder" : "cannot write file: not a regular file";
        return false;
    }
    // A file its user may not write is not replaced either.
    if (hadOld && ::access(target.c_str(), W_OK) != 0) {
        error = ErrnoText("cannot write file", errno);
        return false;
    }
    return true;
}
} // namespace

void TTextWriter::StartAfresh()
{
    if (Fd >= 0 || Finished)
        Abandon();
    Used = 0;
    Failure = false;
    FailureReason.clear();
}

bool TTextWriter::BeginFile(const std::string& path, std::string& error)
{
    StartAfresh();

    std::filesystem::path target;
    struct stat old {};
    bool hadOld = false;
    if (!ReplaceableTarget(path, target, old, hadOld, error))
        return false;

    int fd = -1;
    std::string temp;
    int err = 0;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        temp = TempNameFor(target, attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            err = errno;
            if (err != EEXIST)
                break;
        }
    }
    if (fd < 0) {
        error = ErrnoText("cannot create file", err);
        return false;
    }
    if (hadOld) {
        // The new file takes the old one's owner (where allowed) and mode.
        (void)::fchown(fd, old.st_uid, old.st_gid);
        (void)::fchmod(fd, old.st_mode & 07777);
    }
    Fd = fd;
    TargetPath = target.string();
    TempPath = temp;
    return true;
}

void TTextWriter::Flush()
{
    if (Fd < 0 || Used == 0)
        return;
    int err = 0;
    const std::size_t n = Used;
    Used = 0;
    if (!WriteAll(Fd, Buffer.data(), n, err))
        SetFailed(ErrnoText("write error", err));
}

bool TTextWriter::Finish(std::string& error)
{
    if (Finished)
        return true;
    if (Fd < 0) {
        error = "no file to commit";
        return false;
    }
    if (!Failure) {
        try {
            Flush();
        } catch (const TFileWriteError&) {
        }
    }
    if (Failure) {
        error = FailureReason;
        Abandon();
        return false;
    }
    int err = 0;
    if (FileSync(Fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    if (::close(Fd) != 0 && err == 0)
        err = errno;
    Fd = -1;
    if (err != 0) {
        error = ErrnoText("write error", err);
        ::unlink(TempPath.c_str());
        return false;
    }
    Finished = true;
    return true;
}

bool TTextWriter::Install(std::string& error)
{
    if (!Finished) {
        error = "no file to commit";
        return false;
    }
    Finished = false;
    if (::rename(TempPath.c_str(), TargetPath.c_str()) != 0) {
        error = ErrnoText("cannot replace file", errno);
        ::unlink(TempPath.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the save.
    std::filesystem::path dir = std::filesystem::path(TargetPath).parent_path();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool TTextWriter::Commit(std::string& error)
{
    return Finish(error) && Install(error);
}

bool TTextWriter::AdoptFinished(const std::string& tempPath, const std::string& path, std::string& error)
{
    StartAfresh();
    std::filesystem::path target;
    struct stat old {};
    bool hadOld = false;
    if (!ReplaceableTarget(path, target, old, hadOld, error)) {
        ::unlink(tempPath.c_str());
        return false;
    }
    if (hadOld) {
        (void)::chown(tempPath.c_str(), old.st_uid, old.st_gid);
        (void)::chmod(tempPath.c_str(), old.st_mode & 07777);
    }
    TargetPath = target.string();
    TempPath = tempPath;
    Finished = true;
    return true;
}

bool TTextWriter::CommitAll(std::initializer_list<TTextWriter*> writers, std::string& error)
{
    bool ok = true;
    for (TTextWriter* w : writers)
        if (ok && !w->Finish(error))
            ok = false;
    // Only when every file is whole does any target change.
    for (TTextWriter* w : writers)
        if (ok && !w->Install(error))
            ok = false;
    for (TTextWriter* w : writers)
        if (w->Fd >= 0 || w->Finished)
            w->Abandon();
    return ok;
}

void TTextWriter::Abandon()
{
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
        ::unlink(TempPath.c_str());
    } else if (Finished) {
        ::unlink(TempPath.c_str());
    }
    Finished = false;
    Used = 0;
}

void TTextWriter::WriteText(std::string_view text)
{
    if (text.empty())
        return;
    if (!std::memchr(text.data(), '\r', text.size()) && !std::memchr(text.data(), '\n', text.size())) {
        Append(text.data(), text.size());
        return;
    }
    std::string clean(text);
    for (char& c : clean)
        if (IsLineEnd(c))
            c = ' ';
    Append(clean.data(), clean.size());
}

void TTextWriter::WriteChar(char c)
{
    if (IsLineEnd(c))
        c = ' ';
    Append(&c, 1);
}

void TTextWriter::WriteBlanks(std::size_t n)
{
    static const char blanks[64] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    while (n > 0) {
        std::size_t k = n < sizeof blanks ? n : sizeof blanks;
        Append(blanks, k);
        n -= k;
    }
}

void TTextWriter::WritePadded(std::string_view text, std::size_t width)
{
    if (text.size() > width)
        text = text.substr(0, width);
    WriteText(text);
    WriteBlanks(width - text.size());
}

void TTextWriter::WriteInt(int64_t value)
{
    if (char* p = Reserve(20))
        Advance(PutInt(p, value));
}

void TTextWriter::WriteReal(double value)
{
    char buf[23];
    if (!FormatReal23(value, buf))
        throw TFileWriteError("a real number that is not finite cannot be written");
    Append(buf, 23);
}

void TTextWriter::WriteLn()
{
    if (char* p = Reserve(2))
        Advance(PutLn(p));
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes, std::string& error)
{
    TTextWriter w;
    if (!w.BeginFile(path, error))
        return false;
    try {
        w.WriteRaw(bytes);
    } catch (const TFileWriteError&) {
    }
    return w.Commit(error);
}
