// Overlay area: the area that the polygons of all visible layers have in
// common. A point of the integer world grid counts when, on every visible
// layer, it lies in some polygon of that layer (one half when on some
// layer it lies only on polygon boundaries).
#pragma once

#include <functional>
#include <string>

class TNetwork;
struct TViewRecord;
struct TWindowSettings;

struct TOverlayResult {
    double Area = 0;       // in square units
    double GridPoints = 0; // counted points, boundary points one half, before the units
    std::string UnitsText; // what the "Pixels per Linear Unit:" edit shows afterwards
    std::string Status;    // "Area = ... Square Units"
};

// The edit's text of a units factor: the real-number text of width 15.
std::string UnitsFactorText(double unitsFactor);

// Runs "Go". unitsText is the "Pixels per Linear Unit:" edit's text; it
// becomes the window's units factor (1.0 when it is not a number above 0),
// and a changed factor clears the view's Saved byte. progress gets the
// status texts of the scan ("Scanning, x = ...") about every 30 ms and lets
// pending events run.
TOverlayResult ComputeOverlayArea(TNetwork& net, TWindowSettings& window, TViewRecord& view,
                                  const std::string& unitsText,
                                  const std::function<void(const std::string&)>& progress = {});
