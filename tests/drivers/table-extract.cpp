// table-extract NET OUT [XUP]: opens NET, takes its extract formats (or those
// of XUP), compiles them as the Extract button does and extracts quietly to
// OUT; prints "records N". A failure prints its message box (text, then
// caption) and exits 1.
#include <iostream>
#include <string>

#include "core/file/SettingsSections.h"
#include "core/tables/Extract.h"
#include "driver_support.h"

using namespace driver;

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: table-extract NET OUT [XUP]\n";
        return 2;
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings ws;
    if (!OpenNetwork(net, ws, argv[1], sink)) return 1;
    if (argc == 4 && !ReadExtractFormatsFile(argv[3], ws.ExtractFormats)) {
        ShowMessageBox(sink, 305, 51, MB_EXCLAMATION_OK);
        return 1;
    }
    TViewRecord view;
    const TExtractResult r = RunExtract(net, ws, view, ws.ExtractFormats, argv[2], true, sink);
    if (r.ErrorCode != 0) return 1;
    std::cout << "records " << r.Records << '\n';
    return 0;
}
