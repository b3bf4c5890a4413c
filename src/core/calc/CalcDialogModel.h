// What the Calculate dialogs show and store, apart from their widgets: the
// program's fields as the editor's controls hold them, the relation-line
// moves and insertions, the operand names, the lists of the side-table
// dialogs and the checks of their OK.
//
// Every text that reaches the program goes through ProgramFieldText, so no
// line break ever lands in a field (a line break would split the .pgm file).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/calc/CalcProgram.h"

class TNetwork;
struct TAttrib;
struct TClassRecord;

constexpr int CalcDescriptionLength = 30; // lookup descriptions and variable descriptions

// A typed text for a program field: carriage returns and line feeds removed,
// then cut to width bytes.
std::string ProgramFieldText(std::string_view typed, size_t width);

// ---- the Calculate editor

// One row of "Node Lines", "Link Lines" or "System Lines".
struct TCalcLineRow {
    int32_t Begin = 0;
    int32_t End = 0;
    std::string Parameters;
};

// The editor's controls: the ten relation lines and the rows of the defined
// node classes, link classes and the five system stages.
struct TCalcDialogFields {
    std::array<std::string, CalcLineCount + 1> Lines;                  // [1..10]
    std::array<std::array<TCalcLineRow, CalcLineCount + 1>, 3> Rows;     // [kind][1..10]; system 1..5
    int NodeRows = 0; // rows shown: the defined node classes
    int LinkRows = 0; // and link classes
};

// The program as the controls show it, with the rows of nodeClasses node
// and linkClasses link classes.
TCalcDialogFields ProgramFields(const TCalcProgram& program, int nodeClasses, int linkClasses);
// Copies the controls back: the ten relation lines (cut to 255), and the
// ranges and parameter strings (cut to 35) of the shown node and link rows
// and of the five system rows. Rows not shown keep what the program holds.
// Line numbers outside 0..10 become 0.
void StoreProgramFields(const TCalcDialogFields& fields, TCalcProgram& program);

// Exchanges relation line `line` with the one above (up) or below. Returns
// the line its text moved to; `line` itself when it cannot move (line 1 up,
// line 10 down, a line outside 1..10).
int MoveRelationLine(std::array<std::string, CalcLineCount + 1>& lines, int line, bool up);

// The operand name a picked attribute (1..100) is inserted as: "a", "b" or
// "c", then "1".."9" or "a".."z" (a1, ..., az, b1, ..., cu); "" outside 1..100.
std::string CalcOperandName(int attribute);

// Inserts `insert` at byte position caret (clamped to the text). Nothing
// happens and the result is false when the text would then exceed width;
// otherwise the caret moves behind the insertion.
bool InsertAtCaret(std::string& text, int& caret, std::string_view insert, size_t width = CalcLineLength);

// The expression memo's text for a relation line: every carriage return and
// line feed removed. False (line unchanged) when what is left exceeds 255
// characters.
bool RelationLineFromMemo(std::string_view memo, std::string& line);

// ---- network-wide variables

// A variable's value as its edit shows it.
std::string VariableValueText(double value);
// OK: every value text [1..35] is read as a number ("" and texts such as
// "abc", "nan" or "1e999" are not). When all are numbers the values go to
// Variables [1..35] and the descriptions (line breaks removed, cut to 30) to
// VariableNames; otherwise nothing is stored and bad lists the variables in
// error.
bool StoreVariables(const std::array<std::string, CalcVariableCount + 1>& values,
                    const std::array<std::string, CalcVariableCount + 1>& names, TCalcProgram& program,
                    std::vector<int>& bad);
// "Memo": "description TAB value" for every variable with a description.
std::vector<std::string> VariableMemoLines(const std::array<std::string, CalcVariableCount + 1>& values,
                                           const std::array<std::string, CalcVariableCount + 1>& names);

// ---- lists of the side-table dialogs

// The target operand list: "---" (0), then "P1".."P9", "Pa".."Pz" (1..35).
constexpr int ParameterItemCount = CalcVariableCount + 1;
std::string ParameterItem(int index);
// The classes of a kind (0 node, 1 link: the defined classes' names, 2: the
// system's one record), list index i standing for class i + 1.
std::vector<std::string> ClassItems(const TNetwork& net, int kind);
// The class record a lookup table or set names; nullptr when none.
const TClassRecord* ClassOf(const TNetwork& net, int kind, int classIndex);
// "None", then the class's attribute names (index = attribute number).
std::vector<std::string> AttributeItems(const TClassRecord* cls);
// "None", then the code positions' names of a categorical attribute (index
// = code position); only "None" for any other attribute.
std::vector<std::string> CodePositionItems(const TAttrib* attribute);
// The characters a lookup row's Bottom and Top lists offer: a blank, each
// code of the attribute's codes at that position, then "?".
std::string LookupRowCodes(const TAttrib* attribute, int position);

// ---- lookup tables

// One lookup table as the dialog's controls hold it.
struct TLookupFields {
    std::string Description;
    int Parameter = 0;      // index in the target operand list
    int ClassKind = 0;      // 0 node, 1 link, 2 system
    int ClassIndex = 0;     // 0 none
    int Attribute = 0;      // 0 none
    int CodePosition = 0;   // 0 none
    int ApplyOtherwise = 0; // 0 No, 1 Yes
    std::string Otherwise;
    std::array<std::string, CalcLookupRowCount + 1> Values; // [1..10]
    std::array<char, CalcLookupRowCount + 1> Bottom{};      // [1..10]
    std::array<char, CalcLookupRowCount + 1> Top{};
};
TLookupFields LookupFields(const TLookupTable& table);
// Stores the shown table. Otherwise is read as a number, and, when a code
// position is chosen, each row's value and its Bottom and Top characters;
// without a code position all ten rows are cleared. False (table unchanged)
// when a number does not read; bad then lists 0 for Otherwise and r for row r.
bool StoreLookupFields(const TLookupFields& fields, TLookupTable& table, std::vector<int>& bad);
