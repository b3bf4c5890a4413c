#include "shell/PadSettings.h"

const char* UnitsNameOf(int Code)
{
    static const char* const names[] = {"Pixels", "Miles", "Feet", "Kilometers", "Meters"};
    return (Code >= 0 && Code <= 4) ? names[Code] : names[0];
}
