// Editing the schema of a network: the node, link or system class table is
// copied whole, the definition dialogs edit the copy, and on OK the copy is
// put in place. Putting it in place brings every value block and string list
// of that kind (elements, the template and the system values) in line with
// the new classes, so that nothing outside the table ever sees a slot of the
// wrong kind or a string list of the wrong length.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/model/Network.h"

// Which class table.
enum class TClassKind : uint8_t { Node, Link, System };

// The table of that kind in the network (never nullptr after SetDefaultClasses).
TEntityClass* ClassTable(TNetwork& net, TClassKind kind);
const TEntityClass* ClassTable(const TNetwork& net, TClassKind kind);

// A complete deep copy: every field of every record and attribute, the search
// texts and worksheets included (a worksheet is copied as far as its rows go
// and made empty where an attribute counts rows but has none).
std::unique_ptr<TEntityClass> CopyEntityClassesWhole(const TEntityClass& source);

// ---- field texts

// Field text as the definition dialogs keep it: line breaks become blanks and
// the text is cut to width bytes.
std::string FieldText(std::string_view text, size_t width);
// A name (30) with trailing blanks cut.
std::string ClassNameText(std::string_view text);
// An alias: cut to 10, every blank removed.
std::string AliasText(std::string_view text);

// ---- edits of a copy

// The type list of the attribute definition: index 0..6 and its letter.
constexpr char AttributeKindLetters[7] = {'R', 'C', 'I', 'D', 'X', 'T', 'S'};
int KindListIndex(char kind); // -1 for a letter not in the list
// The largest worksheet row count a kind allows (10 R and I, 8 C, else 0).
int MaxRowsOfKind(char kind);

// A new attribute record: type R, no worksheet, everything else empty.
std::unique_ptr<TAttrib> DefaultAttribute();
// Sets a class's attribute count (0..100): attributes 1..count without a
// record get a default one; records past the count are freed.
void SetAttributeCount(TClassRecord& record, int count);
// Sets an attribute's type letter; the row count is cut to what the type
// allows (a worksheet whose rows drop to 0 is freed).
void SetAttributeKind(TAttrib& attribute, char kind);
// Sets the highest worksheet row (cut to what the type allows). Raising it
// makes the worksheet when there is none; rows past the old count start
// empty. 0 frees the worksheet.
void SetWorksheetRows(TAttrib& attribute, int rows);
// Alias and its upper-case lookup key.
void SetAttributeAlias(TAttrib& attribute, std::string_view text);

// ---- slots

// Kind groups whose values carry over a type change: numbers (R, I),
// categories (C), dates (D, T, X) and strings (S).
int KindGroup(char kind);
// The value of a slot that holds nothing: 0 for numbers and strings, blanks
// for categories, a date with no part given for dates.
TValueSlot EmptySlot(char kind);

// Puts the edited table in place of the network's table of that kind and
// brings every value block and string list of that kind in line with it:
// blocks resized to the new counts (new slots empty for their kind), slots
// whose type changed across the kind groups reset, strings moved from their
// old string index to the new one before the list is padded or cut. The
// templates keep their 100 slots; the system values and strings follow the
// system class. Numbers the string attributes. Marks nothing modified.
void ApplySchemaEdit(TNetwork& net, TClassKind kind, std::unique_ptr<TEntityClass> edited);

// Values and strings of an element whose class changes from `from` to `to`:
// slots whose kind group differs become empty for the new kind, strings move
// to the new string indexes (classes 1..10 keep strings, record 0 none).
void RemapClassValues(const TClassRecord& from, bool fromStrings, const TClassRecord& to, bool toStrings,
                      TValueArray& values, TStringList& strings);
