// The network file: its versions and tag lines, the order of its sections,
// the small sections of the network itself (system attributes, layers,
// backgrounds, long/lat and units) and the open, append and save drivers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file/AppendClasses.h"
#include "core/file/NetworkBody.h"

class TNetwork;
struct TWindowSettings;
class TMessageSink;
struct TFileContext;

// The file name of an untitled network.
constexpr const char* DefaultFileName = "noname.DTA";

// The tag line of a file version (1, 3..9); nullptr for any other version.
const char* NetworkFileTag(int version);
// The version of a tag line (compared exactly, as at most 30 characters); 0 when unknown.
int NetworkFileVersionOfTag(std::string_view line);

// The filters of the Save As dialog, one per version the writer writes, the
// newest (the default) first; the dialog ends them with "All Files".
struct TNetworkFileFilter {
    const char* Name;   // "Version 8 Network (*.dt7)"
    const char* Suffix; // "dt7"
};
constexpr int NetworkFileFilterCount = 8;
extern const TNetworkFileFilter NetworkFileFilters[NetworkFileFilterCount];
// The version a Save As writes for the dialog's filter index (counted from 1):
// 2 the oldest version, 1; 3..8 that version; the first, "All Files" and
// anything else the newest, 9.
int WriteVersionOfFilter(int index);
// An older version as its Save As filter names it: "Version 1" (for
// "Versions 1-2"), "Version 3", "Version 5" (which writes version 4), ...
std::string NetworkFileVersionName(int version);

// The network-wide system attributes: the tag line, then one block per
// attribute (10 below version 6, 35 from it). A system 'S' value longer than
// 30 characters is cut to 30. Values that are not numbers are written as 0
// and counted in realErrors.
void WriteSystemAttributes(TFileContext& f, const TNetwork& net, int& realErrors);
void ReadSchemaSection(TFileContext& f, TNetwork& net);
// The head of an appended file: its system attributes and its node and link
// classes into the scratch network it is read into, the other sections read
// as an open reads them into settings (the caller throws them away: the
// window keeps its own), then the line "END OF APPLICATION".
void ReadSchemaForAppend(TFileContext& f, TNetwork& scratch, TWindowSettings& settings);
// Values, names and kinds of attributes 1..35 back to their defaults.
void ResetNetworkVariables(TNetwork& net);

// The layers (from version 5), backgrounds (from 6) and long/lat and units
// (from 8) sections of a window's settings.
void WriteLayers(TFileContext& f, const TWindowSettings& settings);
void ReadLayers(TFileContext& f, TWindowSettings& settings);
void WriteBackgrounds(TFileContext& f, const TWindowSettings& settings);
void ReadBackgrounds(TFileContext& f, TWindowSettings& settings);
void WriteLongLat(TFileContext& f, const TWindowSettings& settings);
void ReadLongLat(TFileContext& f, TWindowSettings& settings);

struct TOpenOptions {
    // Ask "Later save to this file name?" when the file holds no element.
    bool AskKeepName = false;
    // Append: the appended file's system values and string values replace the
    // network's ("Use Appended Network System Attribute Values").
    bool UseAppendedSystemValues = false;
    TFileProgress Progress;
    // File the nodes one at a time (see TBodyRead).
    bool FileNodesOneByOne = false;
};

enum class TOpenStatus {
    Ok,            // read whole
    MemoryLimited, // "Memory limits exceeded.": what was read is kept, the network is untitled
    Failed,        // "Network Read Error": the caller closes the window (open) or keeps it untouched (append)
};

struct TOpenResult {
    TOpenStatus Status = TOpenStatus::Ok;
    int ErrorCode = 0;
    int ReadVersion = 0;
    int Redundant = 0;
    int Looped = 0;
    int WithoutEnds = 0; // links dropped because an end node was not found
    TAppendLosses Losses; // an append: what found no place in the window's classes
    std::string Detail; // why a read failed, for logs and tests
};

// Opens (open = true) the file into a new, empty network and the settings of
// the window that opens it, or appends it to the network (open = false; the
// window's settings stay, but for the title and polygon criterion of the body
// where the file has them). Every message box goes to sink. An append reads
// what an open reads, into a scratch network, its elements in the network's
// classes (AppendClasses.h), numbers its nodes after the network's highest
// serial and merges only what was read successfully: a file an open refuses,
// the append refuses too, saying so with the file's name, and leaves the
// network and the settings untouched. What finds no place in the network's
// classes is reported in one message. An append keeps the network's file
// name. After any read a new node is numbered above every serial read. The
// caller recomputes the view (origin, cursor), widths and label extents.
TOpenResult OpenNetworkFile(TNetwork& net, TWindowSettings& settings, const std::string& fileName, bool open,
                            TMessageSink& sink, const TOpenOptions& options = {});

// The same from bytes already in memory (fileName names the network).
TOpenResult OpenNetworkBytes(TNetwork& net, TWindowSettings& settings, std::string bytes,
                             const std::string& fileName, bool open, TMessageSink& sink,
                             const TOpenOptions& options = {});

struct TSaveResult {
    bool Ok = false;
    int ErrorCode = 0;
    int RealErrors = 0;
    std::string Detail;
};

// Saves the network with the settings of the window that saves it to path in
// the given version (1, 3..9; anything else writes version 9) through a
// temporary file renamed over the target: a failed save reports "Network write
// error" with its code, leaves the old file whole and the network unsaved.
TSaveResult SaveNetworkFile(TNetwork& net, const TWindowSettings& settings, const std::string& path, int version,
                            TMessageSink& sink, const TFileProgress& progress = {});
