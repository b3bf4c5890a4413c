#pragma once
#include "shell/Pad.h"
