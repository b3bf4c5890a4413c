// Extract/update formats of a network: the template lines per class and the
// options that drive Extract and Update, stored in the network file (from
// version 9) and in the .xup file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TFileContext;

struct TExtractFormats {
    std::array<std::string, 11> NodeTemplates; // [1..10]
    std::array<std::string, 11> LinkTemplates; // [1..10]
    std::string NameSearch;       // up to 50; not stored in files
    std::string NameReplace;      // up to 50; not stored in files
    std::string NewNodesTemplate; // up to 50; not stored in files
    std::string NewLinksTemplate; // up to 50; not stored in files
    uint8_t SeparationMode = 0;   // 0 columnar, 1 commas, 2 tabs, 3 dBase
    int32_t UpdateOldNew = 0;     // 0 existing, 1 new nodes, 2 new links
    uint8_t FilterNodesWithoutLinks = 0;
    double XScale = 1.0, YScale = 1.0;              // not stored in files
    double XTranslation = 0.0, YTranslation = 0.0;  // not stored in files
    uint8_t AssumeNames = 0;           // ExtractOptions byte 1
    uint8_t OnlyNodesWithPolygons = 0; // ExtractOptions byte 2

    void Reset() { *this = TExtractFormats{}; }
};
