// What the analysis drivers (path-mark, coverage, overlay) share: the
// message boxes printed as they are shown, a network file opened into a
// network and its window's settings and saved from them, and argument
// parsing.
#pragma once

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace analysisdriver {

// Prints each message box: its text (each LF CR as one line break), then
// its caption.
class TPrintingSink : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::cout << MessageTextForDisplay(text) << '\n' << caption << '\n';
        return DefaultButton(flags);
    }
};

// The network file's settings belong to the window that opens it.
inline bool OpenWindow(TNetwork& net, TWindowSettings& window, const std::string& file, TMessageSink& sink)
{
    return OpenNetworkFile(net, window, file, true, sink).Status != TOpenStatus::Failed;
}

inline bool SaveWindow(TNetwork& net, const TWindowSettings& window, const std::string& path, TMessageSink& sink)
{
    return SaveNetworkFile(net, window, path, 9, sink).Ok;
}

// %.17g
inline std::string Number(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// The arguments after the program's fixed ones, with a reader that reports
// the first problem and the usage.
class TArgs {
public:
    TArgs(int argc, char** argv, int first, std::string usage) : Usage(std::move(usage))
    {
        for (int i = first; i < argc; ++i) Items.emplace_back(argv[i]);
    }
    bool More() const { return Pos < Items.size(); }
    std::string Next() { return Pos < Items.size() ? Items[Pos++] : (Fail("missing value"), std::string()); }
    // The next argument, unless it is an option.
    bool NextPlain(std::string& out)
    {
        if (Pos >= Items.size() || Items[Pos].rfind("--", 0) == 0) return false;
        out = Items[Pos++];
        return true;
    }
    int32_t Int()
    {
        const std::string s = Next();
        int32_t v = 0;
        if (!ParseInt(s, v)) Fail("not an integer: " + s);
        return v;
    }
    int32_t Int(int32_t lo, int32_t hi)
    {
        const int32_t v = Int();
        if (v < lo || v > hi) Fail("out of range " + std::to_string(lo) + ".." + std::to_string(hi) + ": " +
                                   std::to_string(v));
        return v;
    }
    void Fail(const std::string& why)
    {
        if (Failed.empty()) Failed = why;
    }
    // Prints the problem and the usage; true when there was one.
    bool Report() const
    {
        if (Failed.empty()) return false;
        std::cerr << Failed << '\n' << Usage << '\n';
        return true;
    }

private:
    std::vector<std::string> Items;
    size_t Pos = 0;
    std::string Usage;
    std::string Failed;
};

} // namespace analysisdriver
