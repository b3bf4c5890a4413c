#include "shell/PadSettings.h"
#include "core/model/DisplaySettings.h"

void TSpliceRules::SetAddList(const std::string& Text)
{
    AddList = Text.substr(0, 30);
    AddFlags.fill(0);
    for (char c : AddList) {
        if (c >= '1' && c <= '9') AddFlags[size_t(c - '0')] = 1;
        else if (c == 'A' || c == 'a') AddFlags[10] = 1;
        else if (c >= 'b' && c <= 'z') AddFlags[size_t(11 + (c - 'b'))] = 1;
    }
}

const char* UnitsNameOf(int Code)
{
    const char* name = UnitsNameForCode(Code);
    return name ? name : UnitsNameForCode(0);
}
