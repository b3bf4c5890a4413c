// The commands of the network window's menus that this part of the program
// runs, entered into the main window's item table with their enabling rules.
#pragma once

#include <vector>

#include "core/edit/Tiling.h"

class QMdiSubWindow;
class QString;
class TSketchPadWindow;
class TZOKMainWindow;

// Enters the items of the shell (file, view, modes, transform, window and
// help commands, plotting) and the rules of the class-dependent items.
void RegisterShellPadItems(TZOKMainWindow& Main);

// "Tile &Horizontal" (stacked), "Tile &Vertical" (side by side), "&Arrange"
// (minimized windows along the bottom) over the frame's window area.
void TileSubWindows(TZOKMainWindow& Main, bool Horizontal);
void ArrangeSubWindows(TZOKMainWindow& Main);
// The smallest a new or cascaded window is made (where the area allows).
constexpr int MinPadWidth = 400, MinPadHeight = 300;
// Cascades the open windows inside the frame's window area, in their
// stacking order; Last, a window about to be shown whose title will take
// LastTitleWidth, comes last.
void CascadeSubWindows(TZOKMainWindow& Main, QMdiSubWindow* Last = nullptr, int LastTitleWidth = 0);
// The cascade step: a window's caption height.
int CascadeStep(const TZOKMainWindow& Main);
// The room a window title takes in a caption.
int CaptionTitleWidth(const QString& Title);
// How the windows' captions show their titles, by the frame's style, for a
// title TitleWidth wide.
TCaption CascadeCaption(const TZOKMainWindow& Main, int TitleWidth);
