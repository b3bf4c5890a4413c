#include "core/edit/TransformRequest.h"

#include <algorithm>
#include <cmath>

#include "core/file/TextFormat.h"
#include "core/model/Undo.h"

double ClampScaleFactor(double factor)
{
    if (factor == -1.0) return factor;
    return std::clamp(factor, 0.01, 100.0);
}

double ClampTranslation(double amount) { return std::clamp(amount, double(-WorldLimit), double(WorldLimit)); }

double AddRotationTotal(double total, double angle)
{
    total += angle;
    if (total > 360) total -= 360;
    if (total < 0) total += 360;
    return total;
}

bool IsRotationAllowed(double angle) { return angle >= -360 && angle <= 360; }

const char* TransformCaption(int kind)
{
    switch (kind) {
    case TransformTranslate: return "Translate";
    case TransformRotate: return "Rotate";
    default: return "Scale";
    }
}

int TransformTextCount(int kind) { return kind == TransformRotate ? 1 : 2; }

std::string TransformTotalText(double total) { return RealText(false, 8, total); }

TTransformOutcome RunTransformRequest(TNetwork& net, const std::array<int32_t, 11>& layerStates,
                                      const TTransformRequest& request, const ExpressionContext& context,
                                      const TExprEnvironment& env, TMessageSink& sink, const TTransformCall& call)
{
    TTransformOutcome out;
    const int kind = request.Kind;
    if (kind != TransformTranslate && kind != TransformScale && kind != TransformRotate) return out;
    const ExpressionContext ctx = context;
    const ExprStrings strings{};
    double amount[2] = {0, 0};
    bool failed = false;
    for (int i = 0; i < TransformTextCount(kind); ++i) {
        std::string text = request.Texts[size_t(i)];
        int32_t errorPos = 0;
        amount[i] = EvaluateExpression(text, errorPos, ctx, strings, TExprElement{}, env);
        out.Failed[size_t(i)] = errorPos != 0 || !std::isfinite(amount[i]);
        failed = failed || out.Failed[size_t(i)];
    }
    if (failed || (kind == TransformRotate && !IsRotationAllowed(amount[0]))) {
        ShowMessageText(sink, TransformCaption(kind), MessageText(172), MB_STOP_OK);
        return out;
    }

    auto& totals = net.TransformTotals;
    const auto totalsBefore = totals;
    TTransformParams params;
    params.ShownLayersOnly = request.ExemptUnseenLayers ? 1 : 0;
    switch (kind) {
    case TransformScale:
        amount[0] = ClampScaleFactor(amount[0]);
        amount[1] = ClampScaleFactor(amount[1]);
        totals[2] *= amount[0];
        totals[3] *= amount[1];
        params.ScaleX = amount[0];
        params.ScaleY = amount[1];
        break;
    case TransformTranslate:
        amount[0] = ClampTranslation(amount[0]);
        amount[1] = ClampTranslation(amount[1]);
        totals[0] += amount[0];
        totals[1] += amount[1];
        params.TranslateX = amount[0];
        params.TranslateY = amount[1];
        break;
    default:
        amount[1] = 0;
        totals[4] = AddRotationTotal(totals[4], amount[0]);
        params.Angle = amount[0];
        break;
    }
    MakeRoom(net.TransformUndo);
    auto* item = new TTransformItem(uint8_t(kind), params.ShownLayersOnly, amount[1], amount[0], layerStates);
    net.TransformUndo.Insert(item);
    params.Record = item;
    if (!call(kind, params)) {
        // Nothing moved: nothing to undo, and the totals stay as they were.
        const int32_t last = net.TransformUndo.GetCount() - 1;
        if (last >= 0 && net.TransformUndo.At(last) == item) {
            net.TransformUndo.DeleteAt(last);
            delete item;
        }
        totals = totalsBefore;
        return out;
    }
    out.Applied = true;
    out.Amount1 = amount[0];
    out.Amount2 = amount[1];
    return out;
}
