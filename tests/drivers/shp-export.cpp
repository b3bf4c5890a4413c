// shp-export NET CHOICE OUT [--filter]
// Opens the network file NET and exports it as the shapefile dialog's Export
// does, CHOICE being everything, nodes, links or polygons (--filter: only
// nodes with attached links). Prints "wrote FILE" for every file written,
// then the final status. Exits 1 on "Illegal long/lat values" or a file that
// could not be written.
#include <iostream>
#include <string>

#include "core/shapes/ShapeExport.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: shp-export NET everything|nodes|links|polygons OUT [--filter]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5) return Usage();
    const std::string netFile = argv[1], what = argv[2], out = argv[3];
    const char* const choices[] = {"everything", "nodes", "links", "polygons"};
    int choice = -1;
    for (int i = 0; i < 4; ++i)
        if (what == choices[i]) choice = i;
    if (choice < 0) return Usage();
    bool filter = false;
    if (argc == 5) {
        if (std::string(argv[4]) != "--filter") return Usage();
        filter = true;
    }

    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!OpenNetwork(net, window, netFile, sink)) return 1;
    TViewRecord view;
    view.Settings = &window;
    const TShapeExportResult r = ExportShapefiles(net, window, view, choice, filter, out, sink);
    for (const std::string& f : r.Files) std::cout << "wrote " << f << '\n';
    std::cout << r.Status << '\n';
    return r.ErrorCode == ShapeExportOk ? 0 : 1;
}
