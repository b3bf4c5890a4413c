// A Calculate program: ten relation lines, the line ranges and parameter
// strings of every node class, link class and system stage, the network-wide
// variables, the lookup tables and the link-ends and polygon-owner sets. One
// program belongs to one window (not to the network its views share); it is
// kept in .pgm files.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TMessageSink;

constexpr int CalcLineCount = 10;
constexpr int CalcVariableCount = 35;
constexpr int CalcLookupTableCount = 20;
constexpr int CalcLookupRowCount = 10;
constexpr int CalcSetCount = 10;
constexpr int CalcStageCount = 5;
constexpr int CalcParameterLength = 35;
constexpr int CalcLineLength = 255;

// Kinds of the three parts of a program.
constexpr int CalcKindNode = 0;
constexpr int CalcKindLink = 1;
constexpr int CalcKindSystem = 2;

// A categorical lookup: one code character of a categorical attribute
// mapped to a real.
struct TLookupTable {
    int32_t Parameter = 0;  // operand 1..35 that receives the value; 0 = not in use
    int32_t ClassIndex = 0; // class 1..10 (system: 1)
    int32_t Attribute = 0;  // 1..100; 0 = not in use
    int32_t CodePosition = 0;
    int32_t ApplyOtherwise = 0; // 1 = Otherwise when no row matches
    int32_t ClassKind = 0;      // 0 node, 1 link, 2 system
    std::string Description;    // up to 30
    std::array<char, CalcLookupRowCount + 1> Top{};    // [1..10]; '?' = open
    std::array<char, CalcLookupRowCount + 1> Bottom{}; // [1..10]; '?' = open
    double Otherwise = 0;
    std::array<double, CalcLookupRowCount + 1> Values{}; // [1..10]

    bool operator==(const TLookupTable&) const = default;
};

// Link-ends set: [0] A parameter, [1] B parameter, [2] A attribute,
// [3] B attribute, [4] A code position, [5] B code position, [6] link class,
// [7] node class. Polygon-owner set: [0] parameter, [2] owner attribute,
// [4] code position, [6] vertex class, [7] owner class.
using TParameterSet = std::array<int32_t, 8>;

struct TCalcRanges {
    std::array<int32_t, CalcLineCount + 1> Begin{}; // [1..10]
    std::array<int32_t, CalcLineCount + 1> End{};
    bool operator==(const TCalcRanges&) const = default;
};

struct TCalcProgram {
    std::array<std::string, CalcLineCount + 1> CalcLines;        // [1..10]
    std::array<TCalcRanges, 3> CalcRanges;                        // node, link, system
    std::array<std::array<std::string, CalcLineCount + 1>, 3> CalcParameters; // [kind][1..10]
    std::array<double, CalcVariableCount + 1> Variables{};       // [0] = V0, [1..35]
    std::array<std::string, CalcVariableCount + 1> VariableNames; // [1..35]
    std::array<TLookupTable, CalcLookupTableCount + 1> LookupTables; // [1..20]
    std::array<TParameterSet, CalcSetCount + 1> LinkEndsSets{};      // [1..10]
    std::array<TParameterSet, CalcSetCount + 1> PolygonOwnerSets{};  // [1..10]
    std::string ProgramFile;   // last program file opened or saved
    std::string ProgramFolder; // folder of the last program file saved

    TCalcProgram() { ResetCalculateProgram(); }
    // Clears everything to the state of a new window.
    void ResetCalculateProgram();

    bool operator==(const TCalcProgram&) const = default;
};

// Writes the program in the "PROGRAM 6" layout (CRLF line ends) into text.
// False when a value cannot be written (a real that is not finite).
bool WriteProgramText(const TCalcProgram& program, std::string& text);

// Reads a program file's bytes over program. On success program holds what
// was read (older files leave V11..Vz as they were) and the result is true;
// on any failure program is left exactly as it was and the result is false,
// with a reason in error.
bool ReadProgramText(const std::string& bytes, TCalcProgram& program, std::string& error);

// The Open and Save steps of the Calculate dialog. Each reports its failure
// through the sink (message 38 under caption 35, message 59 under caption
// 58) and returns false. Saving writes a temporary file beside the target
// and renames it over the target, so a failed save leaves the old file whole.
bool OpenProgramFile(const std::string& path, TCalcProgram& program, TMessageSink* sink);
bool SaveProgramFile(const std::string& path, TCalcProgram& program, TMessageSink* sink);
