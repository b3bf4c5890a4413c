// Built-in properties of nodes and links (their code characters, short names
// and descriptions) and the compiler of the record-layout language in which
// the user writes the field order of extracted and updated tables.
#pragma once

#include <array>
#include <string>
#include <string_view>

class TEntityClass;

struct BuiltinProperty {
    std::string Name;      // description, up to 30 characters
    char Code = 0;         // code character
    std::string ShortName; // up to 10 characters; empty when none
    std::string ShortKey;  // ShortName upper-cased, for matching words
};

// Entries 0..19 are nodes (18 used), 20..39 links (13 used). Built once,
// never changed.
struct BuiltinPropertyTable {
    std::array<BuiltinProperty, 40> Entries;
    std::array<int, 2> PropertyCounts{}; // nodes, links

    const BuiltinProperty& PropertyNames(int kind, int i) const { return Entries[kind * 20 + i]; }
    // Entry of the kind (0 nodes, 1 links) whose upper-case short name is Word.
    const BuiltinProperty* FindShortName(int kind, std::string_view word) const;
};

const BuiltinPropertyTable& BuiltinProperties();

// The field list of the extract/update dialogs (21 entries).
struct ExtractField {
    const char* ShortName;
    const char* Description;
};
extern const std::array<ExtractField, 21> ExtractFieldList;

// Record-layout keyword and the two-character code it compiles to.
struct LayoutKeyword {
    const char* Word;
    char Code;
};
extern const std::array<LayoutKeyword, 34> NodeLayoutKeywords;
extern const std::array<LayoutKeyword, 29> LinkLayoutKeywords;

// Turns a record-layout text into two-character field codes (at most 255
// characters). Mode 0 nodes, 1 links; Classes is the node or link class table.
std::string CompileRecordFormat(std::string_view text, const TEntityClass* classes, int classNo, int mode);
