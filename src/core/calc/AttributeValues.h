// Editing the attribute values of one node, link or the system: the edit
// record the dialogs work on, the text of a slot and its parse by kind, the
// captions of the attribute tabs, the hints of categorical codes, the memo of
// a sheet, the functional forms of real worksheets, the built-in values their
// "<c>" variables read, and the checks of the date worksheet.
//
// Nothing reaches the element before the caller stores the record back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/edit/SchemaEdit.h"
#include "core/expr/Expression.h"

struct TViewRecord;

// The working copy of one element's class, values and strings.
struct TElementEdit {
    TClassKind Kind = TClassKind::Node;
    TNode* Node = nullptr; // the node edited (TemplateNode for Initialize Attributes)
    TLink* Link = nullptr; // a half-edge of the link edited (TemplateLink likewise)
    int ClassNo = 0;       // the class whose attributes the values follow (system: 1)
    TValueArray Values{};  // [1..100]
    TStringList Strings;   // by StringIndex
    // While the element's dialog is open its note lines are read from the
    // note editor: set HasNote and Note to what the editor holds.
    bool HasNote = false;
    std::string Note;

    // The class record of ClassNo in the network's table of Kind; nullptr
    // when there is none.
    const TClassRecord* Class(const TNetwork& net) const;
    int AttributeCount(const TNetwork& net) const;
};

// The record of a node, a link (either half-edge) or the system.
TElementEdit NodeEdit(const TNetwork& net, TNode* node);
TElementEdit LinkEdit(const TNetwork& net, TLink* halfEdge);
TElementEdit SystemEdit(const TNetwork& net);
// Writes values and strings back: a node's or link's block reallocated to
// the class's count, strings to its string count (missing ones empty); the
// system's 100 values and its strings.
void StoreEditValues(TNetwork& net, const TElementEdit& edit);

// ---- evaluation in the element's context

// Evaluates text for the edited element: its values from the record, its
// built-in properties from the element, parameters and variables as given
// (nullptr: 0). Returns the value; ErrorPos 0 on success.
double EvaluateForEdit(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, std::string text,
                       int32_t& errorPos, const double* parameters = nullptr, int parameterCount = 0,
                       const double* variables = nullptr, int variableCount = 0);
// An expression with its error marked: the blank and two chr(187) before
// the 1-based error position.
std::string ExpressionErrorText(std::string_view text, int32_t errorPos);

// ---- slot texts

// The text an edit shows for attribute `attribute` (nullptr: a real): reals
// and integers by RealText width 15, codes cut to the code positions, dates
// by DateTimeText in the kind's mode, strings as they are.
std::string AttributeValueText(const TAttrib* attribute, const TValueSlot& slot, const TStringList& strings);

// Message ids of a text that does not parse.
constexpr int MsgRealAttributeError = 186;
constexpr int MsgCategoryError = 187;
constexpr int MsgVariableError = 188;
constexpr int MsgDateAttributeError = 264;

// Parses one attribute's text as the sheet's OK does: codes against their
// positions' codes, dates by the kind's mode, numbers as expressions in the
// element's context (integers rounded, ties to even), strings as they are (cut
// to 255). Returns 0 with the slot (and for S the string) set, or the message id.
int ParseAttributeValue(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, int index,
                        std::string_view text, TValueSlot& slot, std::string& stringValue);

struct TSheetError {
    int Attribute = 0;
    int MessageId = 0;
};
// Parses texts[1..count] (texts[0] unused); when every one passes the
// values and strings go into the record and the result is empty, else the
// record is unchanged and the failures are listed in attribute order.
std::vector<TSheetError> ParseAttributeSheet(const TNetwork& net, const TViewRecord* view, TElementEdit& edit,
                                             const std::vector<std::string>& texts);

// "name TAB text" per attribute 1..count.
std::vector<std::string> AttributeMemoLines(const TClassRecord* cls, const std::vector<std::string>& texts);

// ---- tabs and hints (also for the search dialogs)

// Caption of tab t (1..10) of ten attributes for a class with count
// attributes: "A1-Aa", ..., "Av-Az,B1-B5", ...; the last, partly filled tab
// runs to the last attribute. Empty when the tab holds no attribute.
std::string AttributeTabCaption(int tab, int count);
// The hint of code character c at position (1..8) of a categorical
// attribute: the piece of the position's "&&"-separated hint at c's place
// among the position's codes; empty when c is not a code or there is none.
std::string CodeHint(const TAttrib& attribute, int position, char c);
// The hints of every typed code character, joined by ", ".
std::string CodeHints(const TAttrib& attribute, std::string_view text);
// Piece k (0-based) of a "&&"-separated text.
std::string HintPiece(std::string_view hint, int k);
// Joins pieces with "&&".
std::string JoinHints(const std::vector<std::string>& pieces);

// ---- real worksheets

// Functional forms 1..7 of a real attribute over parameters b[0..n] and
// values x[1..n] (x[0] unused). False on a failure (y is then unchanged);
// Constant (7) leaves y as it is and succeeds.
bool FunctionalForm(int form, const double* b, const double* x, int n, double& y);
// Form 0 (and the others): the result of the worksheet for the edited
// element; form 0 evaluates the attribute's function text with b0..bn as
// P0..Pn and x1..xn as V1..Vn.
bool WorksheetResult(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, const TAttrib& attribute,
                     const std::vector<double>& x, double& y);
// The built-in value code c of the edited element reads ("<c>" variables,
// the codes of the Calculate operand table); 0 without an element or for a
// code the element has not.
double BuiltinCodeValue(const TNetwork& net, double unitsFactor, const TElementEdit& edit, char code);
// The starting values of a worksheet's variables 1..n: each row's second
// number, or for a label "<c>" the element's built-in value.
std::vector<double> WorksheetStartValues(const TNetwork& net, double unitsFactor, const TElementEdit& edit,
                                         const TAttrib& attribute);

// ---- categorical work sheet

// The entries of position p (1..8): code " = " hint per code character.
std::vector<std::string> CategoryEntries(const TAttrib& attribute, int position);
// The index of c among the position's codes, -1 ("Invalid") when absent.
int CategoryCodeIndex(const TAttrib& attribute, int position, char c);

// ---- date work sheet

// Fields Year, Month, Day, Hour, Minute, Second.
using TDateFields = std::array<std::string, 6>;
// The fields a kind uses: D all six, T hour, minute, second, X year, month, day.
std::array<bool, 6> DateFieldsUsed(char kind);
// The fields of a stored value as the sheet shows them (the year + 1900).
TDateFields DateFieldTexts(const TValueSlot& stored);
// Checks the used fields; on success value is the stored value with the used
// parts replaced. Bad receives the fields in error (a field that is not an
// integer among them). False when any used field is bad.
bool CheckDateFields(char kind, const TDateFields& fields, const TValueSlot& stored, TValueSlot& value,
                     std::array<bool, 6>& bad);

// Strict decimal integer (blanks around allowed).
bool ParseIntegerText(std::string_view text, int64_t& value);
