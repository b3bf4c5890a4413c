#include "core/model/Rounding.h"

#include <cfenv>

namespace {
// pround relies on the default rounding mode (to nearest, ties to even).
[[maybe_unused]] const bool roundingModeIsNearest = std::fegetround() == FE_TONEAREST;
}
