// net-transform NET OUT STEP...: opens the network file NET (the window's
// layer states from the file, zoom level 13) and runs each step as the OK
// button of the transform dialogs, or "&Undo Transform", does. A STEP is
//   scale TEXT TEXT | translate TEXT TEXT | rotate TEXT | undo | exempt
// ("exempt" checks "Exempt Unseen Layers" for the next step). Per step it
// prints the amounts applied ("scale X Y", "translate X Y", "rotate A"),
// "undo" ("undo none" when nothing is left to undo), or, for a refused step,
// each message box's text and caption and "red N" for each text that failed.
// At the end it prints "totals TX TY SX SY ANGLE" and saves OUT in version 9.
// Exits 1 when a step was refused (the following steps still run).
#include <iostream>
#include <string>

#include "core/edit/TransformRequest.h"
#include "core/edit/Transforms.h"
#include "core/expr/ExpressionNetwork.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: net-transform NET OUT STEP...\n"
                 "  STEP: scale TEXT TEXT | translate TEXT TEXT | rotate TEXT | undo | exempt\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    TNetwork net;
    TWindowSettings settings;
    TPrintingSink sink;
    if (!OpenNetwork(net, settings, argv[1], sink)) return 1;
    TViewRecord view;
    view.Settings = &settings;
    view.ZoomIndex = 13;
    auto random = MakeRunRandom();
    TExprBinding binding(net, &view, &random);
    const ExpressionContext context;
    const TTransformCall call = [&](int kind, TTransformParams& p) {
        return TransformNetwork(net, view, settings, kind, p);
    };

    bool refused = false, exempt = false;
    for (int i = 3; i < argc; ++i) {
        const std::string step = argv[i];
        if (step == "exempt") {
            exempt = true;
            continue;
        }
        if (step == "undo") {
            TTransformParams p;
            std::cout << (TransformNetwork(net, view, settings, TransformUndoLast, p) ? "undo" : "undo none") << '\n';
            exempt = false;
            continue;
        }
        TTransformRequest request;
        if (step == "scale")
            request.Kind = TransformScale;
        else if (step == "translate")
            request.Kind = TransformTranslate;
        else if (step == "rotate")
            request.Kind = TransformRotate;
        else
            return Usage();
        const int texts = TransformTextCount(request.Kind);
        if (i + texts >= argc) return Usage();
        for (int k = 0; k < texts; ++k) request.Texts[size_t(k)] = argv[++i];
        request.ExemptUnseenLayers = exempt;
        exempt = false;
        const TTransformOutcome out =
            RunTransformRequest(net, settings.Layers.LayerStates, request, context, binding.Env, sink, call);
        if (!out.Applied) {
            refused = true;
            for (int k = 0; k < 2; ++k)
                if (out.Failed[size_t(k)]) std::cout << "red " << k + 1 << '\n';
            continue;
        }
        std::cout << step << ' ' << Shortest(out.Amount1);
        if (texts == 2) std::cout << ' ' << Shortest(out.Amount2);
        std::cout << '\n';
    }
    const auto& t = net.TransformTotals;
    std::cout << "totals " << Shortest(t[0]) << ' ' << Shortest(t[1]) << ' ' << Shortest(t[2]) << ' ' << Shortest(t[3]) << ' ' << Shortest(t[4])
              << '\n';
    if (!SaveNetwork(net, settings, argv[2], sink)) return 1;
    return refused ? 1 : 0;
}
