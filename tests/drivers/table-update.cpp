// table-update NET TABLE OUT [XUP] [--scale SX SY] [--translate TX TY]
//              [--search S --replace R] [--new-nodes T | --new-links T]
// Opens NET, takes its extract formats (or those of XUP) with the options
// given, runs Update on TABLE as the Update button does once its question is
// answered, prints each message box (text, then caption), then
// "lines L nodes N links N shapepoints N polygons N", and saves OUT in
// version 9. A table that cannot be read exits 1.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "core/file/LegacyText.h"
#include "core/file/SettingsSections.h"
#include "core/tables/Update.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: table-update NET TABLE OUT [XUP] [--scale SX SY] [--translate TX TY] "
                 "[--search S --replace R] [--new-nodes T | --new-links T]\n";
    return 2;
}

bool Number(const char* text, double& v) { return ParseReal(text, v); }

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) return Usage();
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t i = 3;
    std::string xup;
    if (i < args.size() && args[i].rfind("--", 0) != 0) xup = args[i++];

    TPrintingSink sink;
    TNetwork net;
    TWindowSettings ws;
    if (!OpenNetwork(net, ws, args[0], sink)) return 1;
    TExtractFormats& x = ws.ExtractFormats;
    if (!xup.empty() && !ReadExtractFormatsFile(xup, x)) {
        ShowMessageBox(sink, 305, 51, MB_EXCLAMATION_OK);
        return 1;
    }
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool two = a == "--scale" || a == "--translate";
        if (two) {
            double u = 0, v = 0;
            if (i + 2 >= args.size() || !Number(args[i + 1].c_str(), u) || !Number(args[i + 2].c_str(), v))
                return Usage();
            (a == "--scale" ? x.XScale : x.XTranslation) = u;
            (a == "--scale" ? x.YScale : x.YTranslation) = v;
            i += 2;
            continue;
        }
        if (i + 1 >= args.size()) return Usage();
        const std::string& value = args[++i];
        if (a == "--search")
            x.NameSearch = value;
        else if (a == "--replace")
            x.NameReplace = value;
        else if (a == "--new-nodes") {
            x.NewNodesTemplate = value;
            x.UpdateOldNew = 1;
        } else if (a == "--new-links") {
            x.NewLinksTemplate = value;
            x.UpdateOldNew = 2;
        } else
            return Usage();
    }

    const TUpdateResult r = RunUpdate(net, x, args[1], sink);
    if (r.ScaleRefused || r.ErrorCode != 0) return 1;
    std::cout << "lines " << r.Lines << ' ';
    PrintCounts(net);
    std::cout.flush();
    return SaveNetwork(net, ws, args[2], sink) ? 0 : 1;
}
