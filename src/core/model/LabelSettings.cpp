#include "core/model/LabelSettings.h"

#include "core/model/Messages.h"

TLabelSettings::TLabelSettings() { Clear(MessageText(213)); }

void TLabelSettings::Clear(std::string_view unusedSlotText)
{
    LinkPosition = 1;
    NodePosition = 1;
    Precision = 15;
    FirstLinkLabelLocation = 0;
    for (auto& c : NodeLabelCodes) c.fill(0);
    for (auto& c : LinkLabelCodes) c.fill(0);
    LinkLength = 30;
    NodeLength = 30;
    RotateLabels = RoundedNumbers = Opaque = SuppressAll = 0;
    NodeClassFont.fill(0);
    LinkClassFont.fill(0);
    NodeClassLabelled.fill(0);
    LinkClassLabelled.fill(0);
    for (int k = 0; k < LabelFontSlotCount; ++k) {
        FontRecords[k] = TLogFont{};
        FontColors[k] = 0;
        if (k == 0)
            FontNames[k] = "0. Arial";
        else if (k <= 10)
            FontNames[k] = std::string(k == 10 ? "a" : std::to_string(k)) + ". " + std::string(unusedSlotText);
        else
            FontNames[k].clear();
    }
    AnyNodeLabels = AnyLinkLabels = 0;
    HorizontalMargin = VerticalMargin = 0;
}

void TLabelSettings::UpdateClassLabelled()
{
    for (int c = 0; c <= 10; ++c) {
        NodeClassLabelled[c] = (NodeLabelCodes[c][1] > 0 || NodeLabelCodes[c][2] > 0) ? 1 : 0;
        LinkClassLabelled[c] = (LinkLabelCodes[c][1] > 0 || LinkLabelCodes[c][2] > 0) ? 1 : 0;
    }
}
