#include "core/expr/DesireLines.h"

#include <algorithm>
#include <cmath>

#include "core/expr/WidthSizes.h"
#include "core/model/Network.h"
#include "core/model/Rounding.h"
#include "core/model/WidthSettings.h"

namespace {

int32_t ToInt32(double v) { return int32_t(std::clamp(v, -2147483647.0, 2147483647.0)); }

} // namespace

size_t ComputeDesireLines(const TNetwork& net, const TDesireTables& tables, const TWidthSettings& w,
                          const TExprEnvironment& env, const TDesireLineOptions& options,
                          const std::function<void(const TDesireSegment&)>& out)
{
    if (!tables.BelongTo(net) || tables.Tables.empty()) return 0;
    TStyleExpression expr;
    expr.Prepare(w.SystemExpression, 1, ExprMode::System, std::array<int32_t, ExprSlots>{}, env);
    if (expr.PartCount() == 0) return 0;
    const int32_t classColour = net.LinkClasses ? (*net.LinkClasses)[0].Color : 1;

    // How far a line can reach beside its nodes: half its width, and as much
    // again when it is moved to a side.
    int64_t reach = 1;
    for (int k = 1; k <= MaxWidthIntervals; ++k) reach = std::max<int64_t>(reach, w.LinkWidths[size_t(k)]);
    reach += 1;
    const TBox* clip = options.Clip;

    ExpressionContext ctx;
    const ExprStrings strings{};
    const TExprElement none;
    double values[10];
    bool ok[10];
    size_t evaluated = 0;
    for (const TDesireTable& t : tables.Tables) {
        const size_t columns = t.Columns.size();
        if (t.Values.size() < t.Rows.size() * columns) continue; // never the case for a table read whole
        for (size_t r = 0; r < t.Rows.size(); ++r) {
            const TNode* a = t.Rows[r];
            if (!a || !a->Active) continue;
            for (size_t c = 0; c < columns; ++c) {
                const TNode* b = t.Columns[c];
                if (!b || !b->Active) continue;
                if (clip && (int64_t(std::max(a->X, b->X)) + reach < clip->MinX ||
                             int64_t(std::min(a->X, b->X)) - reach > clip->MaxX ||
                             int64_t(std::max(a->Y, b->Y)) + reach < clip->MinY ||
                             int64_t(std::min(a->Y, b->Y)) - reach > clip->MaxY))
                    continue;
                ++evaluated;
                ctx.Parameters[1] = t.Values[r * columns + c];
                ctx.Parameters[2] = a->Serial;
                ctx.Parameters[3] = b->Serial;
                const int n = expr.Evaluate(ctx, strings, none, env, values, ok);
                const TStyleParts parts = ClassifyStyleParts(values, ok, n, w.LinkTop.data(), w.LinkBottom.data());
                if (parts.Part[0] < 1) continue;
                const int32_t width = w.LinkWidths[size_t(parts.Part[0])];
                const int32_t colour = parts.Part[1] >= 1 ? w.LinkWidths[size_t(parts.Part[1])] : classColour;
                if (width < 1 || colour < 0) continue;
                TDesireSegment s{a->X, a->Y, b->X, b->Y, width, colour};
                const double ex = double(b->X) - a->X, ey = double(b->Y) - a->Y;
                const double d = std::sqrt(ex * ex + ey * ey);
                if ((options.Placement == 1 || options.Placement == 2) && d > 0) {
                    double dx = pround(-width / 2.0 * ey / d), dy = pround(width / 2.0 * ex / d);
                    if (options.Placement == 2) dx = -dx, dy = -dy;
                    s.X1 = ToInt32(s.X1 + dx);
                    s.Y1 = ToInt32(s.Y1 + dy);
                    s.X2 = ToInt32(s.X2 + dx);
                    s.Y2 = ToInt32(s.Y2 + dy);
                }
                out(s);
            }
        }
    }
    return evaluated;
}
