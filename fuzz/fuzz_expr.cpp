// Any text through both evaluators: no crash, and the same value and error
// position from each.
#include "core/expr/Expression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Inputs up to 4 KB, unless the command line says otherwise.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    bool given = false;
    for (char* a : args) given |= std::string(a).rfind("-max_len=", 0) == 0;
    static char maxLen[] = "-max_len=4096";
    if (!given) args.insert(args.begin() + 1, maxLen);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    static TEntityClass classes;
    static TEntityClass system;
    static bool ready = false;
    if (!ready) {
        for (int k = 1; k <= 3; ++k) {
            classes[1].Attributes[k] = std::make_unique<TAttrib>();
            classes[1].Attributes[k]->AliasKey = k == 1 ? "SPEED" : (k == 2 ? "Q" : "");
        }
        classes[1].AttributeCount = 3;
        system[1].Attributes[1] = std::make_unique<TAttrib>();
        system[1].Attributes[1]->Kind = 'C';
        system[1].Attributes[1]->TopRow = 3;
        system[1].AttributeCount = 1;
        ready = true;
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    ExpressionContext ctx;
    for (int i = 0; i < ExprSlots; ++i) {
        ctx.Values[i] = i % 7 - 3;
        ctx.Kinds[i] = (i % 5 == 1) ? 3 : (i % 5 == 2 ? 17 : (i % 5 == 3 ? 19 : 0));
        ctx.Parameters[i] = i * 0.5;
    }
    ExprStrings strings{};
    for (int i = 0; i < ExprSlots; ++i) strings[i] = "AB?";
    std::array<TValueSlot, ExprSlots> sysValues{};
    TExprEnvironment env;
    env.LinkClasses = &classes;
    env.SystemClass = &system;
    env.SystemValues = sysValues.data();
    std::mt19937_64 r1(5), r2(5);
    TExprEnvironment e1 = env, e2 = env;
    e1.Random = &r1;
    e2.Random = &r2;

    for (ExprMode mode : {ExprMode::System, ExprMode::Link}) {
        TExprElement el;
        static const int stub = 0;
        if (mode == ExprMode::Link) el.Link = reinterpret_cast<const TLink*>(&stub);
        std::string t = text;
        int32_t err1, err2;
        double v1 = EvaluateExpression(t, err1, ctx, strings, el, e1);
        TPreparedExpression p;
        p.Prepare(text, 1, mode, ctx.Kinds, env);
        double v2 = p.Evaluate(ctx, strings, el, e2, err2);
        if (err1 != err2 || std::memcmp(&v1, &v2, 8) != 0) std::abort();
    }
    return 0;
}
