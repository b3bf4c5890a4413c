// Reads arbitrary bytes as a TIGER/Line set and as a batch import script.
// The bytes are cut at 0x01 bytes into the .RT1, .RT2, .RTP and .RTI files
// (a part not there is a missing file) and, as a whole, read as a .sfs file.
// The first byte picks the scale and the method.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/BatchScript.h"
#include "core/shapes/TigerImport.h"

namespace {

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TBatchScript script;
    script.ReadSpecification(std::string(bytes));

    if (size == 0) return 0;
    const uint8_t pick = data[0];
    std::string_view rest = bytes.substr(1);
    TTigerSetBytes files;
    TTigerFileBytes* parts[4] = {&files.RT1, &files.RT2, &files.RTP, &files.RTI};
    for (TTigerFileBytes* part : parts) {
        if (rest.empty()) break;
        const std::size_t cut = rest.find('\x01');
        part->Exists = true;
        part->Bytes = std::string(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    static const double Scales[4] = {-100000, 1e12, -0.5, 3000};
    static const int Methods[4] = {0, 2, 3, 1};
    TTigerSettings settings;
    settings.YScale = Scales[pick & 3];
    settings.Method = Methods[(pick >> 2) & 3];
    if (pick & 16) {
        settings.XTranslate = 122.5;
        settings.YTranslate = -37.5;
    }
    TNetwork net;
    TWindowSettings window;
    if (pick & 32) window.Layers.LayerStates[1] = 0;
    TQuietSink sink;
    ImportTigerBytes(net, window, settings, files, {}, sink);
    // Whatever was read lies within the world, and every polygon vertex
    // knows its owner.
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            if (!InWorld(p->X, p->Y)) std::abort();
            if (const TNode* n = p->AsNode())
                for (const TNetworkPoint* v : n->OwnPolygon())
                    if (net.PolygonsOf(v).IndexOf(n) < 0) std::abort();
        }
    return 0;
}
