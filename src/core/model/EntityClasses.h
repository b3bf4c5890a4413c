// Entity classes of nodes, links and the system, their attribute definitions,
// worksheets and the 8-byte value slots that hold one attribute value of one
// element.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// One 8-byte attribute value: a double for 'R' and 'I', up to 8 code
// characters for 'C', a packed date and time for 'D', 'T' and 'X'.
struct alignas(8) TValueSlot {
    uint8_t Bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};

    double Real() const
    {
        double v;
        std::memcpy(&v, Bytes, 8);
        return v;
    }
    void SetReal(double v) { std::memcpy(Bytes, &v, 8); }
    bool operator==(const TValueSlot& o) const { return std::memcmp(Bytes, o.Bytes, 8) == 0; }
};
static_assert(sizeof(TValueSlot) == 8);

constexpr int MaxClasses = 10;     // user classes 1..10; record 0 is "no class"
constexpr int MaxAttributes = 100; // attributes 1..100 per class
constexpr int MaxWorkSheetRow = 10;

struct TWorkSheetRow {
    double Low = 0;
    double High = 0;
    std::string Label; // up to 30 characters
    std::string Codes; // up to 30 characters
    std::string Hint;
    uint8_t Flag1 = 0;
    uint8_t Flag2 = 0;
};

// The categories of a categorical attribute or the variables of a real one.
struct TWorkSheet {
    std::array<TWorkSheetRow, MaxWorkSheetRow + 1> Rows;
};

struct TAttrib {
    int32_t TopRow = 0; // highest worksheet row in use; 0 = no worksheet
    int32_t Form = 0;
    std::unique_ptr<TWorkSheet> WorkSheet;
    double High = 0, Low = 0; // search bounds
    std::string LowText, HighText;
    std::string Name;        // up to 30
    std::string Description; // up to 50
    char Kind = 'R';         // R I C D T X S
    uint8_t Active = 0;      // search criterion active
    uint8_t StringIndex = 0; // index among the class's 'S' attributes
    std::string Alias;       // up to 10
    std::string AliasKey;    // Alias upper-cased
};

struct TClassRecord {
    int32_t Width = 1;
    int32_t Color = 1;
    int32_t AttributeCount = 0;
    std::array<std::unique_ptr<TAttrib>, MaxAttributes + 1> Attributes; // [1..100]
    std::string Name;    // empty = class not defined
    uint8_t SearchClass = 0;
    uint8_t HasCriteria = 0;
    uint8_t Arrow = 0;
    std::array<uint8_t, 11> PieSlices{}; // [1..10]
    uint8_t StringCount = 0;
    std::string Alias; // up to 10

    TAttrib* Attr(int i) const { return (i >= 1 && i <= MaxAttributes) ? Attributes[i].get() : nullptr; }
};

class TEntityClass {
public:
    TEntityClass() = default;
    TEntityClass(const TEntityClass&) = delete;
    TEntityClass& operator=(const TEntityClass&) = delete;

    std::array<TClassRecord, MaxClasses + 1> Classes; // [0..10]

    TClassRecord& operator[](int i) { return Classes[i]; }
    const TClassRecord& operator[](int i) const { return Classes[i]; }
};

// Deep copy for the dialogs, which edit a copy and put it in place on OK.
std::unique_ptr<TEntityClass> CloneEntityClasses(const TEntityClass& source);

// Numbers the 'S' attributes of every class (0..10) and stores their counts.
void NumberStringAttributes(TEntityClass& classes);

// The attribute count of class entityType, within 0..MaxAttributes; 0 when
// there is no class table or the type is outside 0..MaxClasses.
int ClassAttributeCount(const TEntityClass* classes, int entityType);
// The number of 'S' attributes of that class; 0 likewise.
int ClassStringCount(const TEntityClass* classes, int entityType);

// Slots 1..n of a 100-slot work array from an element's block; the rest zeroed.
using TValueArray = std::array<TValueSlot, MaxAttributes + 1>; // [1..100]
void CopyValuesIn(const TValueSlot* block, TValueArray& values, int n);
void CopyValuesOut(TValueSlot* block, const TValueArray& values, int n);

void TrimName30(std::string& s);
void TrimName10(std::string& s);
void PadName30(std::string& s);
void PadName10(std::string& s);

// Notes of nodes and links are lines joined by "&&".
std::string ExtractNoteLine(const std::string& note, int lineNo);

// The number of code positions of a categorical attribute: its highest
// worksheet row, never more than the 8 bytes of a slot (a file may say 9 or 10).
int CategoryCodePositions(const TAttrib& attribute);

// Whether c is one of the type letters R I C D T X S.
bool IsAttributeKind(char c);

// Positional names: attributes 1..100 of a class are A1..A9, Aa..Az, B1..Bz,
// C1..Cu (35 symbols "1".."9", "a".."z" per letter); "" outside 1..100.
std::string PositionalAttributeName(int index);
// The network-wide variables 1..35 are V1..Vz; "" outside 1..35.
std::string PositionalVariableName(int index);
// The attribute a positional name stands for (case-insensitive): 1..100 for
// A1..Cu, 0 for anything else.
int PositionalIndex(std::string_view name);
