// The list of the last four closed network files with the view state of each,
// and the view-state text itself. No widgets here: the main window builds the
// fields from a pad and applies them back.
#pragma once

#include <array>
#include <string>
#include <vector>

constexpr int RecentMax = 4;
constexpr int ViewStateToolbars = 4; // Sketch Modes, Sketch Operations, Labels, Widths and Sizes
constexpr int MaxToolbarRow = 99;    // a stored toolbar row beyond this is taken as this

struct TViewState {
    int ZoomLevel = 13;
    int DarkCursor = 0;
    int ShowPlotMargins = 0;
    int HorzPos = 0, VertPos = 0;
    int SnapStep = 10;
    int SketchMode = 0;
    std::array<bool, ViewStateToolbars> ToolbarVisible{};
    std::array<int, ViewStateToolbars> ToolbarRow{};
    std::array<int, ViewStateToolbars> ToolbarPos{};
    int AutoBackup = 1;
    // Where each toolbar sits: ToolbarOnTop .. ToolbarOnBottom (the main
    // window's Dock1..Dock4) or ToolbarFloating with the floating window's
    // top-left corner on the screen. Written after the auto-backup flag only
    // when some toolbar is not on the top dock, so a text with all of them on
    // top keeps its short form.
    std::array<int, ViewStateToolbars> ToolbarDock{1, 1, 1, 1};
    std::array<int, ViewStateToolbars> FloatLeft{}, FloatTop{};
};
enum : int { ToolbarOnTop = 1, ToolbarOnRight = 2, ToolbarOnLeft = 3, ToolbarOnBottom = 4, ToolbarFloating = 5 };

// "13,0,0,0,0,10,0,0,0,1,0,-1,-1,1," style text, every field followed by ",".
std::string BuildViewState(const TViewState& State);
// Reads a view-state text. Missing or unreadable fields count as 0; a zoom
// level of 0 (or out of range) becomes 10; the sub-states 13, 15 and 18 become
// their parent modes 11, 14 and 17; a mode out of range becomes 0; the snap
// step is kept within 1..1000; toolbar rows stay within 0..99 and positions
// at 0 or above; a missing or unknown toolbar place is the top dock.
TViewState ParseViewState(const std::string& Text);

// The mode a restored view may start in: sub-states give their parent mode.
int RestorableMode(int Mode);

struct TRecentFiles {
    std::array<std::string, RecentMax + 1> Files;      // 1..4, 1 = most recent; as the disk spells them
    std::array<std::string, RecentMax + 1> ViewStates; // same entries
    int Count = 0;

    // Puts FileName at the top with its view state (nothing for the default
    // untitled name).
    void Update(const std::string& FileName, const std::string& ViewState, const std::string& DefaultName);

    // Value names and values as the settings store holds them ("file1",
    // "filepref1", ...). Names that do not have these forms are ignored.
    void Read(const std::vector<std::pair<std::string, std::string>>& Values);
    std::vector<std::pair<std::string, std::string>> Values() const;
};

// Whether a value of the list names a file ("file1" .. "file4"): the
// settings keep it as a file name, the others ("filepref1" ...) as text.
bool RecentFileValue(const std::string& Name);

// Registry key of the list.
inline constexpr const char* RecentFilesKey = "\\Software\\ZOK7\\ClosedFiles";
