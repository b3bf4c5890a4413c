// shp-import NET SHP OUT [--method linear|equidistant|tm|lambert]
//            [--scale SX SY] [--translate TX TY]
// Opens the network file NET ("-": a new network), keeps the import settings
// in its window as the dialog's OK does, imports the shapefile SHP, prints
// every message box (text, then caption), "records R null N bad B", the
// import's status line after "status " (unless it was refused) and
// "nodes N links N shapepoints N polygons N" (the network's), and saves it as
// OUT in version 9. Exits 1 when the import was refused or stopped.
#include <iostream>
#include <string>

#include "core/file/LegacyText.h"
#include "core/shapes/ShapeImport.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: shp-import NET SHP OUT [--method linear|equidistant|tm|lambert] [--scale SX SY] "
                 "[--translate TX TY]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) return Usage();
    const std::string netFile = argv[1], shp = argv[2], out = argv[3];
    TShapeImportSettings settings;
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--method" && i + 1 < argc) {
            const std::string m = argv[++i];
            if (m == "linear")
                settings.Method = ShapeLinear;
            else if (m == "equidistant")
                settings.Method = ShapeEquidistant;
            else if (m == "tm")
                settings.Method = ShapeTransverseMercator;
            else if (m == "lambert")
                settings.Method = ShapeLambertConformal;
            else
                return Usage();
        } else if (option == "--scale" && i + 2 < argc) {
            if (!ParseReal(argv[i + 1], settings.XScale) || !ParseReal(argv[i + 2], settings.YScale)) return Usage();
            i += 2;
        } else if (option == "--translate" && i + 2 < argc) {
            if (!ParseReal(argv[i + 1], settings.XTranslate) || !ParseReal(argv[i + 2], settings.YTranslate))
                return Usage();
            i += 2;
        } else {
            return Usage();
        }
    }

    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (netFile != "-" && !OpenNetwork(net, window, netFile, sink)) return 1;
    if (ShapeSettingsValid(settings)) StoreShapeSettings(settings, window);
    const TShapeImportResult r = ImportShapefile(net, window, settings, shp, {}, sink);
    std::cout << "records " << r.Records << " null " << r.NullRecords << " bad " << r.BadRecords << '\n';
    if (const std::string status = ShapeImportStatus(r); !status.empty()) std::cout << "status " << status << '\n';
    PrintCounts(net);
    const bool saved = SaveNetwork(net, window, out, sink);
    return r.ErrorCode != ShapeErrorNone || !saved ? 1 : 0;
}
