// netfile-roundtrip IN OUT [VERSION]: opens a network file, prints every
// message box the open or the save shows (its text, then its caption), prints
// the counts of active elements after a successful open, and saves the
// network as OUT in VERSION (default 9). Exits non-zero when the open or the
// save failed.
#include <cstdlib>
#include <iostream>
#include <string>

#include "driver_support.h"

using namespace driver;

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: netfile-roundtrip IN OUT [VERSION]\n";
        return 2;
    }
    int version = 9;
    if (argc == 4) {
        char* end = nullptr;
        const long v = std::strtol(argv[3], &end, 10);
        // Checked before it narrows: 4294967305 is no 9.
        if (!end || end == argv[3] || *end != '\0' || v < 1 || v > 9 || !NetworkFileTag(int(v))) {
            std::cerr << "netfile-roundtrip: VERSION must be 1 or 3..9\n";
            return 2;
        }
        version = int(v);
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings settings; // the window the network opens in
    if (!OpenNetwork(net, settings, argv[1], sink)) return 1;
    PrintCounts(net);
    const bool saved = SaveNetwork(net, settings, argv[2], sink, version);
    std::cout.flush();
    return saved ? 0 : 1;
}
