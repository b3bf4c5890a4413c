// expr-eval [--net FILE] [--node SERIAL | --link SERIAL] TEXT
// Evaluates TEXT with EvaluateExpression and prints "value V" and "error N".
#include "core/Expression.h"

#include <cstdio>
#include <cstring>
#include <string>

static int Usage()
{
    std::fprintf(stderr, "usage: expr-eval [--net FILE] [--node SERIAL | --link SERIAL] TEXT\n");
    return 2;
}

int main(int argc, char** argv)
{
    std::string net, text;
    bool haveText = false, element = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--net" || a == "--node" || a == "--link") && i + 1 < argc) {
            if (a == "--net") net = argv[i + 1];
            else element = true;
            ++i;
        } else if (!haveText) {
            text = a;
            haveText = true;
        } else {
            return Usage();
        }
    }
    if (!haveText) return Usage();
    if (!net.empty() || element) {
        std::fprintf(stderr, "expr-eval: reading networks is not available in this build\n");
        return 2;
    }
    ExpressionContext ctx;
    ExprStrings strings{};
    TExprEnvironment env;
    auto random = MakeRunRandom();
    env.Random = &random;
    int32_t err = 0;
    double v = EvaluateExpression(text, err, ctx, strings, TExprElement{}, env);
    std::printf("value %.17g\nerror %d\n", v, err);
    return 0;
}
