// The text form of a window's settings records in the network file (and in
// the .wdt and .xup files of their own): one reader and one writer a section,
// in the read or write version of the file context. Each does nothing once the
// context's ErrorCode is set.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/DisplaySettings.h"
#include "core/model/ExtractFormats.h"
#include "core/model/LabelSettings.h"
#include "core/model/TitleBlock.h"
#include "core/model/WidthSettings.h"

struct TFileContext;
class TNetwork;


// One label code as written to a file of the given version.
int32_t LabelCodeForVersion(int32_t code, int version);
// One label code as read from a file of the given version.
int32_t LabelCodeFromVersion(int32_t code, int version);

// The label section of the network file (from version 4). Failure sets ErrorCode.
bool WriteLabelSettings(TFileContext& f, const TLabelSettings& l);
bool ReadLabelSettings(TFileContext& f, TLabelSettings& l);

// The widths section of the network file (from version 4), in the context's
// write or read version. Failure sets ErrorCode (2 writing, 1 reading).
bool WriteWidthSettings(TFileContext& f, const TWidthSettings& w);
bool ReadWidthSettings(TFileContext& f, TWidthSettings& w);

// The widths file (.wdt).
constexpr const char* WidthsFileTag = "LINK WIDTHS/NODE CIRCLES 6";
constexpr const char* WidthsFileTagV5 = "LINK WIDTHS/NODE CIRCLES";
enum class TWidthsFileResult { Ok, NotAWidthsFile, ReadError, WriteError };
// Writes the tag line and the section in the version 9 layout; atomic.
TWidthsFileResult WriteWidthsFile(const std::string& path, const TWidthSettings& w);
// Reads a widths file into w (fields read before an error keep their values).
TWidthsFileResult ReadWidthsFile(const std::string& path, TWidthSettings& w);

// Fill and pen styles to and from their file codes.
int FillStyleToCode(uint8_t fillStyle, int version);
uint8_t FillStyleFromCode(int code);
int PenToCode(uint8_t penStyle, int32_t penWidth);
void PenFromCode(int code, uint8_t& penStyle, int32_t& penWidth);

// The display-settings section (from version 4). It also carries the modes and
// legends of the width record. Failure sets ErrorCode (2 writing, 1 reading).
bool WriteDisplaySettings(TFileContext& f, const TDisplaySettings& d, const TWidthSettings& w);
bool ReadDisplaySettings(TFileContext& f, TDisplaySettings& d, TWidthSettings& w);

// The search-criteria section of the network file (from version 4). Both act
// on the network's node and link classes; the reader reads one criterion line
// per attribute as the entity-class section of the same file defined it.
// Failure sets the context's ErrorCode (2 writing, 1 reading) and returns false.
bool WriteSearchCriteria(TFileContext& f, const TNetwork& net);
bool ReadSearchCriteria(TFileContext& f, TNetwork& net);

// The title-block section of the network file (from version 7). A failure
// sets ErrorCode to 1, reading or writing.
bool WriteTitleBlock(TFileContext& f, const TDescription& d);
bool ReadTitleBlock(TFileContext& f, TDescription& d);

// The formats lines, identical in the network file and the .xup file. Neither
// sets ErrorCode: false after an I/O error or a number that does not parse
// (fields read before it keep their new values).
bool WriteExtractFormats(TFileContext& f, const TExtractFormats& x);
bool ReadExtractFormats(TFileContext& f, TExtractFormats& x);

// The .xup file. Writing is atomic (a failed write leaves the old file whole).
bool WriteExtractFormatsFile(const std::string& path, const TExtractFormats& x);
bool ReadExtractFormatsFile(const std::string& path, TExtractFormats& x);
