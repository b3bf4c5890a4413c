// Small reading and writing helpers shared by the network-file sections.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/file/LegacyText.h"
#include "core/file/TextFormat.h"

namespace netfile {

// An integer read that must lie in lo..hi; anything else is a read error.
inline int32_t CheckIn(int32_t v, int32_t lo, int32_t hi, const char* what)
{
    if (v < lo || v > hi) throw TFileReadError(std::string(what) + " out of range");
    return v;
}
inline int32_t ReadIntIn(TTextReader& r, int32_t lo, int32_t hi, const char* what)
{
    return CheckIn(r.ReadInt(), lo, hi, what);
}

// A byte field: the low eight bits of the integer read, as a byte variable
// receives it.
inline uint8_t ReadByte(TTextReader& r) { return static_cast<uint8_t>(r.ReadInt() & 0xFF); }

// A real that must be finite (the strict parser already refuses nan and inf).
inline double ReadReal(TTextReader& r) { return r.ReadReal(); }

// A whole line cut to at most n bytes.
inline std::string ReadLineCut(TTextReader& r, std::size_t n)
{
    std::string_view v = r.ReadLineView();
    if (v.size() > n) v = v.substr(0, n);
    return std::string(v);
}

// "0.0" for zero, else the width-23 form; a value that is not finite throws.
inline void WriteRealOrZero(TTextWriter& w, double v)
{
    if (v == 0)
        w.WriteText("0.0");
    else
        w.WriteReal(v);
}

// Integers separated by one blank (no line end).
inline void WriteIntList(TTextWriter& w, std::initializer_list<int64_t> values)
{
    bool first = true;
    for (int64_t v : values) {
        if (!first) w.WriteChar(' ');
        first = false;
        w.WriteInt(v);
    }
}

// The value of a date/time attribute (kind D, T or X) from its text in a
// file; a text that does not read as one is the unknown date.
inline TValueSlot DateTimeField(std::string_view text, char kind)
{
    int err = 0;
    TValueSlot slot = TextToDateTime(text, err, DateTimeModeOfKind(kind), UnknownDateTime());
    return err ? UnknownDateTime() : slot;
}

// The text cut to at most n bytes.
inline std::string_view Cut(std::string_view s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }

} // namespace netfile
