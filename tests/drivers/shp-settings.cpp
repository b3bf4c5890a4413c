// shp-settings suggest SHP PXPERMILE MILESPERDEG
//   prints "xscale A yscale B xtranslate C ytranslate D", the values the
//   import dialog's Suggest gives for the file's box;
// shp-settings compute XT YT
//   prints "milesperdeg V shown W", what its Compute gives for the
//   translations (the value kept and the value shown).
// Numbers are the shortest texts that read back exactly. A file that is no
// shapefile prints its message (text, then caption) and exits 1.
#include <iostream>
#include <string>

#include "core/file/LegacyText.h"
#include "core/shapes/ShapeFileReader.h"
#include "core/shapes/ShapeImport.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: shp-settings suggest SHP PXPERMILE MILESPERDEG | shp-settings compute XT YT\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    TPrintingSink sink;
    if (what == "suggest" && argc == 5) {
        TShapeImportSettings s;
        if (!ParseReal(argv[3], s.PixelsPerMile) || !ParseReal(argv[4], s.MilesPerDegree)) return Usage();
        TShpReader reader;
        std::string error;
        TShpHeader header;
        if (!reader.Open(argv[2], error) || !reader.ReadHeader(header) || !header.Valid()) {
            ShowMessageText(sink, MessageText(52), ShapeFileCaption, MB_EXCLAMATION_OK);
            return 1;
        }
        if (!SuggestShapeSettings(header, s)) {
            ShowMessageText(sink, MessageText(291), ShapeFileCaption, MB_EXCLAMATION_OK);
            return 1;
        }
        std::cout << "xscale " << Shortest(s.XScale) << " yscale " << Shortest(s.YScale) << " xtranslate "
                  << Shortest(s.XTranslate) << " ytranslate " << Shortest(s.YTranslate) << '\n';
        return 0;
    }
    if (what == "compute" && argc == 4) {
        double xt = 0, yt = 0, miles = 0;
        if (!ParseReal(argv[2], xt) || !ParseReal(argv[3], yt)) return Usage();
        if (!ComputeMilesPerDegree(xt, yt, miles)) {
            ShowMessageText(sink, MessageText(291), ShapeFileCaption, MB_EXCLAMATION_OK);
            return 1;
        }
        std::cout << "milesperdeg " << Shortest(miles) << " shown " << Shortest(ShownMilesPerDegree(miles)) << '\n';
        return 0;
    }
    return Usage();
}
