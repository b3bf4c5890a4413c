// Display over the schema: allowed.
#pragma once
#include "schema/Pickers.h"
