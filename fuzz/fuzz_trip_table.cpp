// The user trip table reader on arbitrary bytes, against a small network of
// nodes named A..H and 1..8 (two of them deleted): every input ends in
// "Table loaded." or one of the reader's messages, never in a crash, a hang
// or a read out of bounds; a loaded table holds one value per row and column,
// all finite, and names only nodes of the network; a failed one holds none.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/file/TripTable.h"
#include "core/model/Network.h"

namespace {

TNetwork& Net()
{
    static TNetwork* net = [] {
        auto* n = new TNetwork;
        for (int i = 0; i < 16; ++i) {
            THashEntry* cell;
            TNode* node = AddNode(*n, (i % 4) * 300, (i / 4) * 300, cell, false, 0);
            node->Name = i < 8 ? std::string(1, char('A' + i)) : std::to_string(i - 7);
            if (i == 3 || i == 12) node->Active = 0;
        }
        return n;
    }();
    return *net;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16) return 0;
    const TNetwork& net = Net();
    const TTripTableResult r = ReadTripTable(std::string(reinterpret_cast<const char*>(data), size), net);
    if (r.Ok != (r.MessageId == 0) || r.Ok != (r.Tables != nullptr)) std::abort();
    if (!r.Ok) return 0;
    if (!r.Tables->BelongTo(net) || r.Status != "Table loaded.") std::abort();
    for (const TDesireTable& t : r.Tables->Tables) {
        if (t.Rows.empty() || t.Columns.empty() || t.Values.size() != t.Rows.size() * t.Columns.size()) std::abort();
        for (const TNode* n : t.Rows)
            if (!n || !n->Active) std::abort();
        for (const TNode* n : t.Columns)
            if (!n || !n->Active) std::abort();
        for (double v : t.Values)
            if (!std::isfinite(v)) std::abort();
    }
    return 0;
}
