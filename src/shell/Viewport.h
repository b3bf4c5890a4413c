// Zoom levels, scroll ranges and the mapping between world units and window
// pixels. Plain arithmetic, no widgets: the sketch pad and the printer use it.
#pragma once

#include <cstdint>
#include <string>

constexpr int MinZoomLevel = 1;
constexpr int MaxZoomLevel = 18;
constexpr int DefaultZoomLevel = 13; // 1:1
constexpr double ZoomBase = 288.0;
constexpr int32_t CoordinateLimit = 512000;
constexpr int32_t DrawingClip = 320000;
constexpr int32_t ZoomLimitFactor = 320000;
constexpr int32_t ExtensionStep = 80;
constexpr int32_t ExtentMargin = 20;

struct TZoomLevel {
    int Numerator, Denominator, Increment;
};
// Entry 0 is unused; levels run 1..18.
extern const TZoomLevel ZoomLevels[MaxZoomLevel + 1];

inline bool ValidZoomLevel(int Level) { return Level >= MinZoomLevel && Level <= MaxZoomLevel; }
// Round(288 * numerator / denominator) / 288.
double ScaleOfLevel(int Level);
// "1:1", "3:4", ...
std::string ZoomRatioText(int Level);

// World X (or Y) to a pixel of the window: Round((X + Origin) * Scale) - scroll position.
int32_t WorldToPixel(int32_t World, int32_t Origin, double Scale, int32_t ScrollPos);
// Pixel to world: Round((scroll position + pixel) / Scale) + Min - 10.
int32_t PixelToWorld(int32_t Pixel, int32_t Min, double Scale, int32_t ScrollPos);
// Scroll range of one axis: Round((Max - Min + 20) * Scale) (negative when the
// extents are empty).
int32_t ScrollRange(int32_t Min, int32_t Max, double Scale);
// Scroll position that centres world coordinate W in a client of ClientSize
// pixels; 0 when the result is below 1 or the extents leave no span.
int32_t CentredScrollPosition(int32_t W, int32_t Min, int32_t Max, int32_t Range, int32_t ClientSize);
// Old scroll position carried over to a new scale.
int32_t RescaledScrollPosition(int32_t OldPos, double OldScale, double NewScale);
// Whether a screen of ScreenWidth pixels can show Level: screen width *
// denominator / numerator must not exceed 320000.
bool ZoomLevelFits(int ScreenWidth, int Level);
