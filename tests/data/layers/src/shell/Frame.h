// The frame reaching up into a tool.
#pragma once
#include "shell/Pad.h"
#include "tools/Path.h"
