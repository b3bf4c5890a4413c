// Geometric transforms of a whole network: translate, scale, rotate, undo of
// the last transform, and a plain rebuild of the hash after an import. Every
// point may change its cell, so the hash is rebuilt in its file order; the
// network's background images follow. Scroll ranges, cursors and the views of
// the network are the windows' business: they read the parameters actually
// applied from TTransformParams after the call.
#pragma once

#include <cstdint>

#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

enum TTransformKind : int {
    TransformTranslate = 0,
    TransformScale = 1,
    TransformRotate = 2,
    TransformUndoLast = 3,
    TransformRebuild = 4,
};

// The parameters the transform dialogs set before a call. For an undo the
// call overwrites them with the inverse it applied.
struct TTransformParams {
    double ScaleX = 1, ScaleY = 1;
    double TranslateX = 0, TranslateY = 0; // world units
    double Angle = 0;                      // degrees
    uint8_t ShownLayersOnly = 0;
    // The undo record of this transform (kinds 0..2), or nullptr: the call
    // notes in it which points it moves.
    TTransformItem* Record = nullptr;
    // Set by the call: the kind applied (an undo gives the undone kind).
    int AppliedKind = TransformRebuild;
};

// Rotation about the world origin by angle degrees (Y grows downward, so a
// positive angle turns clockwise on screen).
void RotatePoint(double& x, double& y, double angleDegrees);

// Transforms every point of the network (nodes on layers the window's
// settings hide at the view's zoom level stay when ShownLayersOnly is set) and
// the window's background images, and rebuilds the hash.
// Kind 3 takes the newest TTransformItem from net.TransformUndo, applies its
// inverse to the points that transform moved, updates net.TransformTotals and
// frees it; it does nothing (false) when the list is empty. Marks the network
// modified (except kind 4).
bool TransformNetwork(TNetwork& net, const TViewRecord& view, TWindowSettings& settings, int kind,
                      TTransformParams& params);

// The background slots of another window of the network follow the
// transform that TransformNetwork applied with params (a rebuild moves none).
void TransformBackgrounds(TBackgrounds& backgrounds, const TTransformParams& params);

// The same transform of a window's keyboard cursor, clamped and rounded.
void TransformPoint(TViewRecord& view, const TTransformParams& params);
