#include "shell/PadSettings.h"
#include "core/model/DisplaySettings.h"

const char* UnitsNameOf(int Code)
{
    const char* name = UnitsNameForCode(Code);
    return name ? name : UnitsNameForCode(0);
}
