// tiger-import FILE OUT --yscale S [--xtranslate X] [--ytranslate Y]
//              [--method 0|2|3] [--into NET] [--hide LAYER]...
// Imports the TIGER/Line set that FILE names into an empty network (or the
// network file NET; --hide sets a layer's state to 0), prints every message
// box (text, then caption), then "nodes N links N shapepoints N polygons N"
// and "translate X Y" (the translations used), then, when the import placed
// points on the world's edge, its status line, which says so; and saves the
// network as OUT in version 9, also after a failed import. Exits non-zero
// when the import reported an error.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "core/file/LegacyText.h"
#include "core/shapes/TigerImport.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: tiger-import FILE OUT --yscale S [--xtranslate X] [--ytranslate Y] [--method 0|2|3] "
                 "[--into NET] [--hide LAYER]...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const std::string file = argv[1], out = argv[2];
    TTigerSettings settings;
    bool haveScale = false;
    std::string into;
    std::vector<int32_t> hidden;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        int32_t n = 0;
        if (option == "--yscale") {
            if (!ParseReal(value, settings.YScale)) return Usage();
            haveScale = true;
        } else if (option == "--xtranslate") {
            if (!ParseReal(value, settings.XTranslate)) return Usage();
        } else if (option == "--ytranslate") {
            if (!ParseReal(value, settings.YTranslate)) return Usage();
        } else if (option == "--method") {
            if (!ParseInt(value, n) || (n != 0 && n != 2 && n != 3)) return Usage();
            settings.Method = n;
        } else if (option == "--into") {
            into = value;
        } else if (option == "--hide") {
            if (!ParseInt(value, n) || n < 1 || n > 10) return Usage();
            hidden.push_back(n);
        } else {
            return Usage();
        }
    }
    if (!haveScale) return Usage();

    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    // The import goes only into a network read whole.
    if (!into.empty() && OpenNetworkFile(net, window, into, true, sink).Status != TOpenStatus::Ok) return 1;
    for (int32_t layer : hidden) window.Layers.LayerStates[size_t(layer)] = 0;

    const TTigerResult result = ImportTiger(net, window, settings, TigerFileSetFor(file), {}, sink);

    int64_t nodes = 0, links = 0, shapes = 0, polygons = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n) {
                ++shapes;
                continue;
            }
            ++nodes;
            if (!n->OwnPolygon().Empty()) ++polygons;
            for (TLink* h : n->Links)
                if (h->AEnd() && h->LinkValues) ++links;
        }
    std::cout << "nodes " << nodes << " links " << links << " shapepoints " << shapes << " polygons " << polygons
              << '\n';
    std::cout << "translate " << Shortest(settings.XTranslate) << ' ' << Shortest(settings.YTranslate) << '\n';
    if (result.ClampedPoints > 0) std::cout << TigerImportStatus(result) << '\n';

    const bool saved = SaveNetwork(net, window, out, sink);
    return result.ErrorCode != TigerErrorNone || !saved ? 1 : 0;
}
