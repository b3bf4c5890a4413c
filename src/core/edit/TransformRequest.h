// What the OK button of the Scale, Translate and Rotate dialogs does, apart
// from the dialogs: the amounts are typed as expressions and evaluated for
// the system, limited, added to the network's running totals, recorded for
// undo, and then the network is transformed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/edit/Transforms.h"
#include "core/expr/Expression.h"
#include "core/model/Messages.h"

struct TTransformRequest {
    int Kind = TransformScale;        // TransformTranslate, TransformScale or TransformRotate
    std::array<std::string, 2> Texts; // the X and Y amounts; a rotation reads the angle from Texts[0]
    bool ExemptUnseenLayers = false;
};

struct TTransformOutcome {
    bool Applied = false;
    // The texts that gave no finite number (the dialog shows them in red).
    std::array<bool, 2> Failed{};
    // The amounts applied, after their limits (the angle in Amount1).
    double Amount1 = 0, Amount2 = 0;
};

// A scale factor other than exactly -1 (a mirror) is kept within 0.01..100.
double ClampScaleFactor(double factor);
// A translation stays within the world's coordinate range.
double ClampTranslation(double amount);
// The rotation total after a turn by angle degrees, brought back into 0..360.
double AddRotationTotal(double total, double angle);
// A turn the dialog accepts: -360..360.
bool IsRotationAllowed(double angle);
// The caption of the kind's dialog, also the text of its error box.
const char* TransformCaption(int kind);
// How many amounts the kind's dialog asks for: 1 for a rotation, else 2.
int TransformTextCount(int kind);
// A running total as the dialogs show it (8 significant digits).
std::string TransformTotalText(double total);

// Carries out the transform of the request's kind with the parameters set;
// false when it did not run. The program passes its window's transform (which
// also moves the views); headless callers pass TransformNetwork.
using TTransformCall = std::function<bool(int kind, TTransformParams& params)>;

// Evaluates the texts in system mode with a copy of context. When one fails,
// or a rotation lies outside -360..360, shows the error box (the dialog's
// caption as its text, "Expression Error" as its caption) and changes
// nothing. Otherwise limits the amounts, updates net.TransformTotals, appends
// a TTransformItem with the layer states to net.TransformUndo and makes the
// call; a call that does not run takes the record and the totals back.
TTransformOutcome RunTransformRequest(TNetwork& net, const std::array<int32_t, 11>& layerStates,
                                      const TTransformRequest& request, const ExpressionContext& context,
                                      const TExprEnvironment& env, TMessageSink& sink, const TTransformCall& call);
