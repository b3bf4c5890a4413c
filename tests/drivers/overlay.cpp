// overlay NET [--units TEXT] [--zoom Z] [--layer N STATE]...
// Opens NET, measures the overlay area of its visible layers (the window's
// layer states unless given; zoom level Z, 13 unless given; the units text
// the window's units factor unless given) and prints "area A" (17 digits)
// and "status TEXT".
#include "driver_support.h"

#include "core/analysis/OverlayArea.h"

using namespace driver;

int main(int argc, char** argv)
{
    const std::string usage = "usage: overlay NET [--units TEXT] [--zoom Z] [--layer N STATE]...";
    if (argc < 2) {
        std::cerr << usage << '\n';
        return 2;
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!OpenNetwork(net, window, argv[1], sink)) return 1;

    TViewRecord view;
    std::string units = UnitsFactorText(window.UnitsFactor);
    TArgs args(argc, argv, 2, usage);
    while (args.More()) {
        const std::string opt = args.Next();
        if (opt == "--units") {
            units = args.Next();
        } else if (opt == "--zoom") {
            view.ZoomIndex = args.Int(1, 18);
        } else if (opt == "--layer") {
            const int layer = args.Int(1, 10);
            window.Layers.LayerStates[layer] = args.Int(0, 18);
        } else {
            args.Fail("unknown option " + opt);
        }
    }
    if (args.Report()) return 2;

    const TOverlayResult r = ComputeOverlayArea(net, window, view, units);
    std::cout << "area " << Number(r.Area) << '\n';
    std::cout << "status " << r.Status << '\n';
    return 0;
}
