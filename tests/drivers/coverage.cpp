// coverage NET OUT --type polygon|circle|pearls|sausage|blunt --element NAME...
//   [--radius R] [--intersect] [--input CLASS CODE]... [--output CLASS N]...
// CODE is an attribute number or 101..106. Opens NET, runs the coverage,
// prints "zone SERIAL C VALUE" for every zone in hash order (C the covered
// count after one is taken off, VALUE before an integer output rounds it,
// both with 17 digits), "marked M" (the grid points marked) and "status
// TEXT", and saves OUT in version 9.
#include "driver_support.h"

#include <algorithm>

#include "core/analysis/PolygonCoverage.h"

using namespace driver;

int main(int argc, char** argv)
{
    const std::string usage =
        "usage: coverage NET OUT --type polygon|circle|pearls|sausage|blunt --element NAME... [--radius R] "
        "[--intersect] [--input CLASS CODE]... [--output CLASS N]...";
    if (argc < 3) {
        std::cerr << usage << '\n';
        return 2;
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!OpenNetwork(net, window, argv[1], sink)) return 1;

    TPolygonCoverageSettings s;
    std::vector<std::string> names;
    bool typed = false;
    TArgs args(argc, argv, 3, usage);
    while (args.More()) {
        const std::string opt = args.Next();
        if (opt == "--type") {
            const std::string t = args.Next();
            const std::vector<std::string> types = {"polygon", "circle", "pearls", "sausage", "blunt"};
            const auto it = std::find(types.begin(), types.end(), t);
            if (it == types.end()) args.Fail("unknown type " + t);
            s.ElementType = int32_t(it - types.begin());
            typed = true;
        } else if (opt == "--element") {
            std::string name;
            if (!args.NextPlain(name)) args.Fail("--element needs a name");
            names.push_back(name);
            while (args.NextPlain(name)) names.push_back(name);
        } else if (opt == "--radius") {
            s.BufferRadius = args.Int(1, 32000);
        } else if (opt == "--intersect") {
            s.IntersectOnly = 1;
        } else if (opt == "--input") {
            const int c = args.Int(1, MaxClasses);
            const int code = args.Int(0, 106);
            const int index = CoverageInputIndex(code, (*net.NodeClasses)[c].AttributeCount);
            if (code != 0 && index == 0) args.Fail("class " + std::to_string(c) + " has no input " + std::to_string(code));
            s.InputChoice[c] = index;
        } else if (opt == "--output") {
            const int c = args.Int(1, MaxClasses);
            s.OutputAttribute[c] = args.Int(0, MaxAttributes);
        } else {
            args.Fail("unknown option " + opt);
        }
    }
    if (!typed) args.Fail("--type is required");
    if (names.empty()) args.Fail("--element is required");
    if (args.Report()) return 2;
    s.ElementNames = names;

    TViewRecord view;
    const TCoverageResult r = RunPolygonCoverage(net, window, view, s, names);
    for (const TZoneCoverage& z : r.Zones)
        std::cout << "zone " << z.Zone->Serial << ' ' << Number(z.Covered) << ' ' << Number(z.Value) << '\n';
    std::cout << "marked " << r.Marked << '\n';
    std::cout << "status " << r.Status << '\n';
    return SaveNetwork(net, window, argv[2], sink) ? 0 : 1;
}
