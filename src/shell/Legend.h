// The title block and the node and link legends, drawn over the network at
// the end of every drawing pass. All three are anchored at world positions,
// so they scroll and print with the network.
#pragma once

#include <string>

#include "shell/NodeLinkDraw.h"

// The title block of pad.Title; Now is the date-and-time text added when the
// date flag is set. The pad's scroll offsets apply unless plot.
void DrawTitleBlock(const TDrawPad& pad, TCanvas& canvas, bool plot, const std::string& now);

// The node legend (isNodeLegend) or the link legend.
void DrawLegend(const TDrawPad& pad, TCanvas& canvas, bool isNodeLegend, bool plot);

// The palette index that frames the legends: with UsePolygonColors the index
// 1..16 of the darkest of the window's colours (the first on ties), else 1.
int DarkestColour(const TDrawPad& pad);

// "dddd, mmmm d, yyyy \" at \" hh:mm AM/PM" of the current local time.
std::string TitleDateText();
