// path-mark NET OUT [--start SET MARK NAME[,NAME]...]... [--end NAME] [--max D]
//   [--mark-nodes distance|mark] [--node-attr CLASS N]... [--link-attr CLASS N]...
//   [--block CLASS]... [--cost CLASS TEXT]...
// Opens NET, replaces its shortest-path settings by the options given (any
// --start replaces all start sets), runs Go, prints each message box, then
// "node SERIAL DISTANCE MARK" for every active node in file order (DISTANCE
// with 17 digits, "none" for a node no tree reached) and "status TEXT", and
// saves OUT in version 9. Exits non-zero when no search ran.
#include "driver_support.h"

#include "core/analysis/ShortestPaths.h"
#include "core/model/NetworkQueries.h"

using namespace driver;

int main(int argc, char** argv)
{
    const std::string usage =
        "usage: path-mark NET OUT [--start SET MARK NAME[,NAME]...]... [--end NAME] [--max D] "
        "[--mark-nodes distance|mark] [--node-attr CLASS N]... [--link-attr CLASS N]... [--block CLASS]... "
        "[--cost CLASS TEXT]...";
    if (argc < 3) {
        std::cerr << usage << '\n';
        return 2;
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!OpenNetwork(net, window, argv[1], sink)) return 1;
    TShortestPathSettings& s = window.Display.ShortestPath;

    TArgs args(argc, argv, 3, usage);
    bool startsGiven = false;
    while (args.More()) {
        const std::string opt = args.Next();
        if (opt == "--start") {
            if (!startsGiven)
                for (auto& list : s.StartNames) list.clear();
            startsGiven = true;
            const int set = args.Int(1, PathStartSets);
            const int32_t mark = args.Int(-999999, 999999);
            const std::string names = args.Next();
            s.MarkValue[set] = mark;
            s.StartNames[set].clear();
            size_t from = 0;
            for (size_t comma; (comma = names.find(',', from)) != std::string::npos; from = comma + 1)
                s.StartNames[set].push_back(names.substr(from, comma - from));
            s.StartNames[set].push_back(names.substr(from));
        } else if (opt == "--end") {
            s.EndNodeName = args.Next();
        } else if (opt == "--max") {
            const std::string text = args.Next();
            double d;
            // A distance that is not a number is refused by the search with its message.
            s.MaximumDistance = ParseReal(text, d) ? d : -1;
        } else if (opt == "--mark-nodes") {
            const std::string how = args.Next();
            if (how == "distance")
                s.MarkNodesWith = 0;
            else if (how == "mark")
                s.MarkNodesWith = 1;
            else
                args.Fail("--mark-nodes takes distance or mark");
        } else if (opt == "--node-attr") {
            const int c = args.Int(1, MaxClasses);
            s.NodeMarkAttribute[c] = args.Int(0, MaxAttributes);
        } else if (opt == "--link-attr") {
            const int c = args.Int(1, MaxClasses);
            s.LinkMarkAttribute[c] = args.Int(0, MaxAttributes);
        } else if (opt == "--block") {
            s.BlockingClass[args.Int(1, MaxClasses)] = 1;
        } else if (opt == "--cost") {
            const int c = args.Int(0, MaxClasses);
            window.Widths.LinkWidthExpressions[c] = args.Next();
        } else {
            args.Fail("unknown option " + opt);
        }
    }
    if (args.Report()) return 2;

    uint8_t calcStop = 0;
    TPathSearchHost host(sink, calcStop);
    const TPathSearchResult r = MarkShortestPaths(net, s, window.Widths, host);
    if (!r.Ran) return 1;
    ForEachNode(net, [&net](const TNode* n) {
        if (!n->Active) return;
        std::cout << "node " << n->Serial << ' '
                  << (net.PathOf(n).Distance == PathUnreached ? std::string("none") : Number(net.PathOf(n).Distance)) << ' '
                  << net.PathOf(n).Mark << '\n';
    });
    std::cout << "status " << r.Status << '\n';
    return SaveNetwork(net, window, argv[2], sink) ? 0 : 1;
}
