// What the command-line drivers share: message boxes printed as they are
// shown, a network file opened into a network and its window's settings and
// saved from them, the counts of a network, numbers as text, and a reader
// of the arguments after the fixed ones.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace driver {

// Prints each message box: its text (each LF CR as one line break), then its
// caption on one line. Count is the number of boxes shown.
class TPrintingSink : public TMessageSink {
public:
    int Count = 0;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        ++Count;
        std::cout << MessageTextForDisplay(text) << '\n' << caption << '\n';
        return DefaultButton(flags);
    }
};

// Opens a network file into the network and the settings of the window that
// opens it; false only when the open failed.
inline bool OpenNetwork(TNetwork& net, TWindowSettings& window, const std::string& path, TMessageSink& sink)
{
    return OpenNetworkFile(net, window, path, true, sink).Status != TOpenStatus::Failed;
}

// Saves the network with the window's settings (in version 9 unless given).
inline bool SaveNetwork(TNetwork& net, const TWindowSettings& window, const std::string& path, TMessageSink& sink,
                        int version = 9)
{
    return SaveNetworkFile(net, window, path, version, sink).Ok;
}

// "nodes N links N shapepoints N polygons N": the active elements, on one line.
inline void PrintCounts(const TNetwork& net)
{
    long nodes = 0, links = 0, shapes = 0, polygons = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n || !n->Active) continue;
            ++nodes;
            if (n->OwnPolygon().GetCount() > 0) ++polygons;
            for (const TLink* h : n->Links) {
                const TLinkValues* l = h->LinkValues;
                if (h->AEnd() != 1 || !l || !l->Active) continue;
                ++links;
                for (const TShapePoint* sp : l->ShapePoints)
                    if (sp->Active) ++shapes;
            }
        }
    std::cout << "nodes " << nodes << " links " << links << " shapepoints " << shapes << " polygons " << polygons
              << '\n';
}

// A number with 17 significant digits (%.17g).
inline std::string Number(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// The shortest text that reads back as the same number.
inline std::string Shortest(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
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
    // The next argument as an integer. A value that is missing, is no
    // integer or lies outside lo..hi stops the driver at once (the reason and
    // the usage on stderr, exit 2): callers index arrays with what it returns.
    int32_t Int()
    {
        const bool missing = !More();
        const std::string s = Next();
        int32_t v = 0;
        if (missing) Stop("missing value");
        if (!ParseInt(s, v)) Stop("not an integer: " + s);
        return v;
    }
    int32_t Int(int32_t lo, int32_t hi)
    {
        const int32_t v = Int();
        if (v < lo || v > hi)
            Stop("out of range " + std::to_string(lo) + ".." + std::to_string(hi) + ": " + std::to_string(v));
        return v;
    }
    void Fail(const std::string& why)
    {
        if (Failed.empty()) Failed = why;
    }
    // Prints the problem and the usage, and exits with 2.
    [[noreturn]] void Stop(const std::string& why)
    {
        Failed = why;
        Report();
        std::exit(2);
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

} // namespace driver
