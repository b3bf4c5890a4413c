// The program's composition: the one place that knows every feature. The
// frame (shell/) attaches none of them by itself; RegisterFeatures enters
// the menu items, toolbar buttons and hooks of each, in the order below,
// after the frame is made and before its first window opens. The program
// and everything that starts it (tests, drivers, benchmarks) call it.
#pragma once

class TZOKMainWindow;

void RegisterFeatures(TZOKMainWindow& Main);
