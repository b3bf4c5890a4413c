// expr-eval [--net FILE] [--node SERIAL | --link SERIAL] TEXT
// Evaluates TEXT with EvaluateExpression in system mode, or for the node or
// link with that serial in the network FILE, and prints "value V" (V as
// "%.17g") and "error N" (the error position, 0 when none). A link's serial
// is its number in the order of the file (A ends in hash order), from 1.
#include "core/expr/Expression.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/model/NetworkQueries.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: expr-eval [--net FILE] [--node SERIAL | --link SERIAL] TEXT\n");
    return 2;
}

bool ParseSerial(const char* s, long& out)
{
    char* end = nullptr;
    out = std::strtol(s, &end, 10);
    return end && *end == '\0' && end != s;
}

class TErrorSink : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::cerr << MessageTextForDisplay(text) << " (" << caption << ")\n";
        return DefaultButton(flags);
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::string net, text;
    bool haveText = false;
    long nodeSerial = 0, linkSerial = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--net" && i + 1 < argc) {
            net = argv[++i];
        } else if ((a == "--node" || a == "--link") && i + 1 < argc) {
            long v;
            if (!ParseSerial(argv[++i], v) || v <= 0) return Usage();
            (a == "--node" ? nodeSerial : linkSerial) = v;
        } else if (!haveText) {
            text = a;
            haveText = true;
        } else {
            return Usage();
        }
    }
    if (!haveText || (nodeSerial && linkSerial) || ((nodeSerial || linkSerial) && net.empty())) return Usage();

    TNetwork network;
    TWindowSettings settings; // the window the network opens in
    if (!net.empty()) {
        TErrorSink sink;
        if (OpenNetworkFile(network, settings, net, true, sink).Status == TOpenStatus::Failed) {
            std::fprintf(stderr, "expr-eval: cannot read %s\n", net.c_str());
            return 1;
        }
    }
    TViewRecord view;
    view.Settings = &settings;
    auto random = MakeRunRandom();
    TExprBinding binding(network, &view, &random);

    ExpressionContext ctx;
    ExprStrings strings{};
    TExprElement element;
    if (nodeSerial) {
        ForEachNode(network, [&](TNode* n) {
            if (!element.Node && n->Active && n->Serial == nodeSerial) element.Node = n;
        });
        if (!element.Node) {
            std::fprintf(stderr, "expr-eval: no node with serial %ld\n", nodeSerial);
            return 1;
        }
        if (element.Node->EntityType <= MaxClasses)
            ctx.Kinds = ClassKinds(&(*network.NodeClasses)[element.Node->EntityType]);
        FillNodeContext(network, *element.Node, ctx, strings);
    } else if (linkSerial) {
        long k = 0;
        ForEachLink(network, [&](TLink* h) {
            if (!element.Link && ++k == linkSerial) element.Link = h;
        });
        if (!element.Link) {
            std::fprintf(stderr, "expr-eval: no link with serial %ld\n", linkSerial);
            return 1;
        }
        const TLinkValues& v = *element.Link->LinkValues;
        if (v.EntityType <= MaxClasses) ctx.Kinds = ClassKinds(&(*network.LinkClasses)[v.EntityType]);
        FillLinkContext(network, v, ctx, strings);
    }
    int32_t err = 0;
    double value = EvaluateExpression(text, err, ctx, strings, element, binding.Env);
    std::printf("value %.17g\nerror %d\n", value, err);
    return 0;
}
