// Update: reads a table in one of Extract's four separations and writes its
// values into the network: into the nodes and links its records name, or
// into new nodes or new links it makes. Each record is read by the compiled
// template line of its element's class, so a table extracted with a set of
// templates reads back with the same templates. Text records are read field
// after field, the items that Update does not apply taking none; dBase
// records are read by item, item i from column i.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/tables/Extract.h"

class TNetwork;
struct TExtractFormats;
class TMessageSink;

struct TUpdateSettings {
    // Compiled lines; an update of new elements has one line, at the class of
    // the template node or link.
    TCompiledLines Lines;
    int Mode = SeparationColumnar;
    bool AssumeNames = false; // names "N" or "L" and the line number
    std::string NameSearch;   // one pair of enclosing quotes is removed
    std::string NameReplace;
    int UpdateOldNew = 0; // 0 existing elements, 1 new nodes, 2 new links
    double XScale = 1, YScale = 1;
    double XTranslation = 0, YTranslation = 0;
};

// The settings an update runs with from the formats (the dialog's controls):
// the 20 templates for existing elements, or the new-nodes or new-links
// template compiled against the template element's class.
TUpdateSettings UpdateSettingsFor(const TNetwork& net, const TExtractFormats& formats);

struct TUpdateResult {
    int ErrorCode = 0;  // non-zero: the table could not be opened or read to its end
    int32_t Lines = 0;  // records read, blank lines and deleted records included
    int32_t NotFound = 0, FirstNotFound = 0;
    int32_t RealErrors = 0, FirstRealError = 0;
    int32_t NodesAdded = 0, LinksAdded = 0;
    bool Changed = false;            // the network was changed (and marked modified)
    bool CoordinatesChanged = false; // positions or geometry changed: the window refits
    bool ScaleRefused = false;       // RunUpdate: a scale of 0
    std::string Detail;
};

// Called every thousand lines or so with the line number.
using TUpdateProgress = std::function<void(int32_t line)>;

// Reads fileName (dBase: the name without its extension, plus ".dbf") into
// the network. Unmatched records and bad numbers are counted and shown once
// at the end ("Errors: ...", caption "Extract"). Any change marks the network
// modified, also when the table ends in an error.
TUpdateResult UpdateNetwork(TNetwork& net, const TUpdateSettings& settings, const std::string& fileName,
                            TMessageSink& sink, const TUpdateProgress& progress = {});

// UpdateSettingsFor, then UpdateNetwork.
TUpdateResult OpenUpdateFile(TNetwork& net, const TExtractFormats& formats, const std::string& fileName,
                             TMessageSink& sink, const TUpdateProgress& progress = {});

// The Update button once its question was answered and its file chosen: a
// scale of 0 is refused ("Error in transform values.", caption
// "Extract/Update"); a table that cannot be read shows "Valid update file not
// found." (caption "Update").
TUpdateResult RunUpdate(TNetwork& net, const TExtractFormats& formats, const std::string& fileName,
                        TMessageSink& sink, const TUpdateProgress& progress = {});

// The text with one pair of enclosing '...' or "..." quotes removed.
std::string RemoveEnclosingQuotes(std::string text);
