// Label settings of a network: per-class label codes and font slots, the
// twelve font records, and the network-file section that stores them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct TFileContext;

// A logical-font record (the fields of a LOGFONT).
struct TLogFont {
    int32_t Height = -17;
    int32_t Width = 0;
    int32_t Escapement = 0;
    int32_t Orientation = 0;
    int32_t Weight = 400;
    uint8_t Italic = 0;
    uint8_t Underline = 0;
    uint8_t StrikeOut = 0;
    uint8_t CharSet = 0;
    uint8_t OutPrecision = 0;
    uint8_t ClipPrecision = 0;
    uint8_t Quality = 2;
    uint8_t PitchAndFamily = 0x22;
    std::string FaceName = "Arial"; // up to 32 characters
};

constexpr int LabelFontSlotCount = 12; // slots 0..11; 0..10 serve labels

// Label codes: 0 blank; 1..100 the class's attribute of that number; 101 name;
// nodes: 102 size expression 1, 103 serial, 104 polygon vertices, 105 size
// expression 2, 106/107 note lines 1/2, 108 longitude, 109 latitude,
// 110 elevation; links: 102/103 width expressions 1/2, 106/107 note lines.
struct TLabelSettings {
    int32_t LinkPosition = 1; // 1-based
    int32_t NodePosition = 1; // 1-based
    int32_t Precision = 15;   // real-number digits 0..15
    uint8_t FirstLinkLabelLocation = 0; // 0 on top, 1 on right, 2 on left
    std::array<std::array<int32_t, 3>, 11> NodeLabelCodes{}; // [class 0..10][1..2]
    int32_t LinkLength = 30;                                 // 1..30
    std::array<std::array<int32_t, 3>, 11> LinkLabelCodes{}; // [class 0..10][1..2]
    int32_t NodeLength = 30;                                 // 1..30
    uint8_t RotateLabels = 0;
    uint8_t RoundedNumbers = 0;
    uint8_t Opaque = 0;
    uint8_t SuppressAll = 0;
    std::array<int32_t, 11> NodeClassFont{};
    std::array<int32_t, 11> LinkClassFont{};
    std::array<TLogFont, LabelFontSlotCount> FontRecords;
    std::array<int32_t, LabelFontSlotCount> FontColors{};
    std::array<std::string, LabelFontSlotCount> FontNames; // the slots' captions

    // [0..10] the class has a label code; set when the section is read and by the dialogs.
    std::array<uint8_t, 11> NodeClassLabelled{};
    std::array<uint8_t, 11> LinkClassLabelled{};

    // Derived by the label-extent computation.
    uint8_t AnyNodeLabels = 0;
    uint8_t AnyLinkLabels = 0;
    int32_t HorizontalMargin = 0;
    int32_t VerticalMargin = 0;

    // Defaults with the string table's caption of an unused slot.
    TLabelSettings();
    // Defaults of the whole record. unusedSlotText is the caption of a slot not
    // in use (string-table text 213); slot k is named "k. " + it, slot 10 "a. ",
    // slot 0 "0. Arial". Creating fonts and extents is left to the caller.
    void Clear(std::string_view unusedSlotText);
    // NodeClassLabelled / LinkClassLabelled from the codes.
    void UpdateClassLabelled();
};
