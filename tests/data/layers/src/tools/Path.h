// A tool reaching across into display, beside it.
#pragma once
#include "schema/Pickers.h"
#include "display/Widths.h"
