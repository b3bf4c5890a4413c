// trip-table NET TABLE [--lines]: opens NET, loads the user trip table TABLE
// into its window as "Load Table" does and prints
//   status TEXT
//   table T rows R columns C                   per table
//   cell T R C ROWSERIAL COLSERIAL VALUE       per cell
// and, with --lines, the desire lines the file's settings give:
//   line X1 Y1 X2 Y2 WIDTH COLOUR              (world units, colour index)
// Numbers in their shortest round-trip form. Exit 1 when the load failed.
#include <iostream>
#include <random>
#include <string>

#include "core/expr/DesireLines.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/file/TripTable.h"
#include "driver_support.h"

int main(int argc, char** argv)
{
    const bool lines = argc == 4 && std::string(argv[3]) == "--lines";
    if (argc != 3 && !lines) {
        std::cerr << "usage: trip-table NET TABLE [--lines]\n";
        return 2;
    }
    driver::TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!driver::OpenNetwork(net, window, argv[1], sink)) return 2;
    const TTripTableResult r = LoadTripTable(argv[2], net);
    std::cout << "status " << r.Status << '\n';
    if (!r.Ok) return 1;
    window.DesireTables = r.Tables;
    const TDesireTables& tables = *window.DesireTables;
    for (size_t t = 0; t < tables.Tables.size(); ++t) {
        const TDesireTable& table = tables.Tables[t];
        std::cout << "table " << t + 1 << " rows " << table.Rows.size() << " columns " << table.Columns.size() << '\n';
        for (size_t i = 0; i < table.Rows.size(); ++i)
            for (size_t j = 0; j < table.Columns.size(); ++j)
                std::cout << "cell " << t + 1 << ' ' << i + 1 << ' ' << j + 1 << ' ' << table.Rows[i]->Serial << ' '
                          << table.Columns[j]->Serial << ' ' << driver::Shortest(table.Value(i, j)) << '\n';
    }
    if (lines && window.Display.ShowDesireLines) {
        TViewRecord view;
        view.Settings = &window;
        std::mt19937_64 random(20261207);
        TExprBinding binding(net, &view, &random);
        TDesireLineOptions options;
        options.Placement = window.Display.DesireLinePlacement;
        ComputeDesireLines(net, tables, window.Widths, binding.Env, options, [](const TDesireSegment& s) {
            std::cout << "line " << s.X1 << ' ' << s.Y1 << ' ' << s.X2 << ' ' << s.Y2 << ' ' << s.Width << ' '
                      << s.Colour << '\n';
        });
    }
    return 0;
}
