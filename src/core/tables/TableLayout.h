// The items of a compiled record layout and what each one is in a table: the
// kind of field Extract writes for it, the field Update reads for it, the
// columnar width and gap of that field, and its dBase column name. Extract and
// Update read this one table, so that what one writes the other reads back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TEntityClass;
struct TClassRecord;
struct TAttrib;

// The kinds of fields.
enum class TFieldKind {
    None,        // no field
    Integer,     // a whole number
    Real,        // a real number
    Text,        // a name, a note, a string value
    Code,        // the codes of a categorical attribute
    DateTime,    // a date and a time (two fields in text tables)
    Time,
    Date,
    Blank,       // an empty field
    ClassWord,   // "NODE" or "LINK"
    Coordinates, // X, Y pairs of the vertices or shape points
    Skip3,       // three blank fields, read and ignored
    Skip10,      // ten blank fields, read and ignored
};

// One item of a compiled line: two characters, a prefix and a code.
struct TLayoutItem {
    char Prefix = 'X';
    char Code = 0;
    int Attribute = 0; // 1..100 for an attribute item, 0 for a built-in
};

// The items of a compiled line, in order (its length divided by 2).
std::vector<TLayoutItem> LayoutItems(std::string_view compiled);

// The attribute an item stands for: its code "1".."9" or "a".."z" gives
// 1..35, plus 35 after a prefix "B" or "b", 70 after "C" or "c"; 0 for a
// built-in item.
int ItemAttribute(char prefix, char code);

// The field Extract writes for the item in a record of a node (kind 0) or a
// link (kind 1) whose class record is cls. An attribute beyond the class's
// attributes writes a blank field.
TFieldKind ExtractFieldKind(const TLayoutItem& item, int kind, const TClassRecord& cls);

// The field Update reads for the item; None for the items Update does not
// apply, which take no field of the record.
TFieldKind UpdateFieldKind(const TLayoutItem& item, int kind, const TClassRecord& cls);

// Width and trailing gap of a field in columnar tables.
struct TColumnarWidth {
    int Width = 0;
    int Gap = 0;
};
TColumnarWidth ColumnarWidth(TFieldKind kind);
// A name field of columnar tables: 30 columns and 3 blanks.
constexpr TColumnarWidth ColumnarNameWidth{30, 3};

// The dBase column name of the item for that kind and class ("" for the items
// that have no column).
std::string ItemColumnName(const TLayoutItem& item, int kind, const TClassRecord& cls);

// The attribute definition of an attribute item, nullptr for a built-in item
// or an attribute beyond the class's attributes.
const TAttrib* ItemAttributeDefinition(const TLayoutItem& item, const TClassRecord& cls);
