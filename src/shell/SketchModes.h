// The 28 sketch modes: button, display name, hint and menu item of each.
#pragma once

constexpr int SketchModeCount = 28;

struct TSketchModeInfo {
    const char* ButtonName; // objectName of the mode button, nullptr for the sub-states
    const char* Name;       // shown in status panel 0
    int HintId;             // string-table number of the hint
    const char* MenuItem;   // objectName of the pad's mode menu item, nullptr when none
    const char* MenuCaption;
    const char* MenuKey;    // single-letter short cut, "" when none
};

extern const TSketchModeInfo SketchModes[SketchModeCount];

// The three states a gesture passes through; they have no button or menu item.
inline bool IsSubState(int Mode) { return Mode == 13 || Mode == 15 || Mode == 18; }
// Modes in which the pad shows its crosshair and panel 0 the cursor position.
inline bool IsCrosshairMode(int Mode) { return Mode == 1 || Mode == 9 || Mode == 13 || Mode == 15 || Mode == 18; }
inline bool ShowsCoordinates(int Mode) { return Mode == 1 || Mode == 9 || Mode == 15 || Mode == 18; }
