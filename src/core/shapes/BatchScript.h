// The script of a batch import: 100 steps, each an operation and a file
// name, kept in a script file (.sfs) of one line per step, with the
// row editing and the find and replace of the batch dialog.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int BatchStepCount = 100;
constexpr int BatchPageRows = 10;

// Operations, by their stored code.
enum TBatchOperation : int32_t {
    BatchNoAction = 0,
    BatchOpenNetwork = 1,
    BatchAppendNetwork = 2,
    BatchShapefileImport = 3,
    BatchCalculate = 4,
    BatchGetUpdateFormats = 5,
    BatchDoUpdate = 6,
    BatchSaveAs = 7,
    BatchSaveAsClose = 8,
};
constexpr int BatchOperationCount = 9;

// "No Action", "Open Network", ...; "" for a code outside 0..8.
const char* BatchOperationText(int code);
// Whether the step reads a file that must exist (codes 1..6).
bool BatchOperationNeedsFile(int code);
// The filter of the file dialog for the operation's row (1-based index into
// BatchFileFilter): network 1, program 2, formats 3, update 4, shapefile 5,
// all files 6.
int BatchFilterIndex(int code);
extern const char* const BatchFileFilter;
extern const char* const BatchScriptFilter;

// Caption of the batch dialog and of its own messages.
extern const char* const BatchCaption;
// A .sfs file that is not 100 lines of a code, a blank and a name.
extern const char* const BatchInvalidScript;

// The page (1..10) that shows a row.
inline int BatchPageOf(int row) { return (row - 1) / BatchPageRows + 1; }

struct TBatchScript {
    std::array<int32_t, BatchStepCount + 1> StepOperation{};    // [1..100]
    std::array<std::string, BatchStepCount + 1> StepFileName;    // [1..100]
    // The folder of the .sfs file the script was read from or saved to
    // (empty when none): relative names and stored Windows paths are looked
    // for there.
    std::string Folder;

    // Every row "No Action" with an empty name.
    void Clear();

    // The .sfs text: 100 lines "<code> <name>", CRLF.
    std::string SpecificationText() const;
    // Reads a .sfs text over the rows. The whole text is checked first: at
    // least 100 lines (what follows the last line end counts as a line),
    // each a decimal operation code (blanks or tabs before it allowed; a code
    // that names no operation is kept, and a run passes over it), then a
    // blank, a tab or the line end, then the name to the line end (a CR there
    // is no part of it); an empty line, or one of blanks only, is a "No
    // Action" row without a name. On failure the rows stay and the result is
    // false.
    bool ReadSpecification(const std::string& bytes);
    // The same from a file; false when it cannot be read or is not valid
    // (error says which). On success Folder becomes the file's folder.
    bool OpenSpecification(const std::string& path, std::string& error);
    // Saves through a temporary file renamed over the target: a failed save
    // leaves the old file whole. On success Folder becomes the file's folder.
    bool SaveSpecification(const std::string& path, std::string& error);

    // Row editing; rows 1..100. Each returns false when it does nothing.
    // Swaps the row with the one above (not row 1) or below (not row 100).
    bool MoveUp(int row);
    bool MoveDown(int row);
    // Rows row..99 move down one (row 100's content is lost) and the row
    // becomes empty; rows 1..99 only.
    bool InsertRow(int row);
    // Rows below move up one and row 100 becomes empty; rows 1..99 only.
    bool DeleteRow(int row);

    // Find and replace over the file names (exact, case-sensitive).
    // FindNext searches the rows after LastHit for the first name holding
    // text; it returns that row (and LastHit becomes it), or 0 when none up
    // to row 100 does (and the next search starts at row 1). An empty text
    // finds nothing.
    int FindNext(const std::string& text);
    // Replaces every occurrence of text in the name of the last hit, left to
    // right, the scan continuing after each replacement. An empty text does
    // nothing. True when the name changed.
    bool Replace(const std::string& text, const std::string& replacement);
    // The same in every row; the number of rows changed.
    int ReplaceAll(const std::string& text, const std::string& replacement);
    int LastHit = 0;
};

// Every occurrence of text in name replaced, left to right; the scan goes on
// after each replacement. An empty text leaves the name.
std::string ReplaceOccurrences(const std::string& name, const std::string& text, const std::string& replacement);

// The caption a window takes from a file name: what follows the last '/'.
// A ':' or a '\' is part of a file's name here (names stored in files as
// Windows paths are turned into names of this system before they get here).
std::string CaptionOfPath(const std::string& path);
