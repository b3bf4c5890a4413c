// Placement of a toolbar's controls: one line along a dock, or wrapped lines
// when floating, with the margins of each orientation. Pure geometry: the
// widgets hand in their controls' sizes and apply what comes back.
#pragma once

#include <cstdint>
#include <vector>

#include <QRect>
#include <QSize>

// Margins by orientation (0 floating, 1 top/bottom, 2 left/right).
inline constexpr int FirstLineGap[3] = {2, 2, 2};
inline constexpr int LastLineGap[3] = {1, 2, 2};
inline constexpr int LineStartGap[2][3] = {{4, 2, 2}, {4, 11, 11}}; // [has drag handle][orientation]
inline constexpr int LineEndGap[3] = {4, 2, 2};
inline constexpr int MinLineThickness = 8;
inline constexpr int LineBreakGap = 6; // between wrapped lines that start at a separator
inline int SeparatorLength(int Orientation) { return Orientation == 2 ? 4 : 6; }

// One child control of a toolbar, in the toolbar's control order.
struct TLayoutControl {
    int Width = 0, Height = 0;
    bool Separator = false;
    bool Blank = false; // a separator that draws nothing
    bool Visible = true;
};

// The size figures of a toolbar, and of a dock's row (the largest over the
// row's toolbars): largest control height and width (at least 8) and the
// docked row height and width (each those + 4).
struct TRowFigures {
    int CtlHeight = MinLineThickness, CtlWidth = MinLineThickness;
    int Height = MinLineThickness + 4, Width = MinLineThickness + 4;
    bool operator==(const TRowFigures&) const = default;
};

// The figures of a toolbar's visible, non-separator controls.
TRowFigures ControlFigures(const std::vector<TLayoutControl>& Controls);
// The row record: the largest of each figure over the row's toolbars.
TRowFigures RowFiguresOf(const std::vector<TRowFigures>& Toolbars);

struct TPlacementRequest {
    int Orientation = 0;     // 0 floating, 1 horizontal dock, 2 vertical dock
    bool HasHandle = true;   // floating, or on a dock that allows dragging
    int WrapWidth = 0;       // floating only; 0 = no wrapping
    bool Apply = true;       // compute every control's place
    bool UseRow = false;     // docked on this dock and applied: the row's figures count
    TRowFigures Row;
};

// A line-break entry: the across position of the new line in the low 16 bits,
// the separator's Blank flag in the next byte.
inline uint32_t LineBreakEntry(int Cross, bool Blank) { return (uint32_t(Cross) & 0xFFFFu) | (Blank ? 0x10000u : 0u); }
inline int LineBreakCross(uint32_t Entry) { return int(Entry & 0xFFFFu); }
inline bool LineBreakBlank(uint32_t Entry) { return (Entry & 0xFF0000u) != 0; }

struct TPlacement {
    QSize ClientSize;
    TRowFigures Figures;              // the toolbar's own figures
    std::vector<QRect> Rects;         // per control, when applied
    std::vector<bool> Placed;         // per control: a place was computed (visible ones)
    std::vector<uint32_t> LineBreakSeparators; // when applied
};

// Lays out the controls for one place of the toolbar. Without Apply only the
// client size (and the figures) are filled.
TPlacement ComputePlacement(const std::vector<TLayoutControl>& Controls, const TPlacementRequest& Request);
