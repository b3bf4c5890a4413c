// What the label dialogs show of label codes and font slots: the list of
// label items a class can print with the code of each, the short caption of
// a code, and the captions of font slots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TClassRecord;

struct TLabelChoice {
    int32_t Code = 0;
    std::string Text;
};

// The label items of a class: "Blank", its attributes (alias, else name,
// else positional name), "Name", then the built-in items of nodes (size
// expressions, serial, polygon vertices, notes, long/lat, elevation) or of
// links (width expressions, notes), each with its code.
std::vector<TLabelChoice> SelectLabelItems(const TClassRecord& cls, bool nodes);

// The code of list item index (0-based) of a class with attributeCount
// attributes: the index itself for "Blank" and the attributes, else index +
// 100 - attributeCount, and 2 more for links from 104 on (notes 106, 107).
int32_t LabelCodeOfItem(int index, int attributeCount, bool nodes);
// The item that shows code; -1 when none does (a code the class cannot print).
int LabelItemOfCode(int32_t code, int attributeCount, bool nodes);

// The short caption of a code in a class's row: "Blank", an attribute's
// alias or positional name, "Name", "Poly", the short names of the built-in
// items; empty for a code the class cannot print.
std::string LabelCodeCaption(const TClassRecord& cls, int32_t code, bool nodes);
// The attribute's name when code names one of the class's attributes, else empty.
std::string LabelCodeHint(const TClassRecord& cls, int32_t code);

// The symbol of font slot 0..11: its number, 10 "a", 11 "b".
std::string FontSlotSymbol(int32_t slot);
// "F" followed by the slot's symbol.
std::string FontSlotCaption(int32_t slot);
// The caption a slot gets from the font dialog: "a. Arial, 12, Italics, Bold".
std::string LabelFontCaption(int32_t slot, std::string_view face, int pointSize, bool italic, bool bold);

// Label font heights are pixels at 96 dots per inch; the font dialog speaks
// points. A negative height is the character height, a positive one the
// cell height (a little more).
int LabelFontPointSize(int32_t height);
int32_t LabelFontHeight(double pointSize);
