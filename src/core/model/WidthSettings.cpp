#include "core/model/WidthSettings.h"

void TWidthSettings::Reset()
{
    LinkTop.fill(0);
    LinkBottom.fill(0);
    NodeTop.fill(0);
    NodeBottom.fill(0);
    for (auto& s : LinkWidthExpressions) s.clear();
    for (auto& s : NodeSizeExpressions) s.clear();
    SystemExpression.clear();
    for (int k = 0; k <= MaxWidthIntervals; ++k) {
        NodeSizes[k] = k == 0 ? 1 : k;
        LinkWidths[k] = k == 0 ? 1 : k;
    }
    LinkStyleMode = 2;
    NodeStyleMode = 2;
    LinkShowNotFound = 1;
    NodeShowNotFound = 1;
    NodeLegend.fill(0);
    LinkLegend.fill(0);
    NodeClassLegend.fill(0);
    LinkClassLegend.fill(0);
}
