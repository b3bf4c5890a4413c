// Reads arbitrary bytes as a Calculate program file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/calc/CalcProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCalcProgram program;
    std::string error;
    ReadProgramText(std::string(reinterpret_cast<const char*>(data), size), program, error);
    return 0;
}
