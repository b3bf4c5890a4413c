// Running a batch import script. The run knows no window: every step acts
// through a host, which the main window implements over its network windows
// and tests implement over networks in memory. Each host operation works on
// the current network window, shows the messages of its own failures
// through the sink, and returns false when its step failed; the run then
// ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/shapes/BatchScript.h"

class TMessageSink;
struct TExtractFormats;

class TBatchHost {
public:
    virtual ~TBatchHost() = default;

    // Open network windows, and whether one is current.
    virtual int WindowCount() const = 0;
    virtual bool HasCurrentWindow() const = 0;

    // Makes a new, empty network window the current one; false when none
    // could be made.
    virtual bool NewWindow(TMessageSink& sink) = 0;
    // Opens the network file into the current (new) window, without asking
    // to keep the name.
    virtual bool OpenNetwork(const std::string& path, TMessageSink& sink) = 0;
    // The shapefile dialog's OK: checks its scale, translation and
    // projection and copies them into the current window.
    virtual bool ApplyShapefileSettings(TMessageSink& sink) = 0;
    // Appends the network file to the current window (no question); the
    // window then recomputes its scroll ranges, repaints and is modified.
    virtual bool AppendNetwork(const std::string& path, TMessageSink& sink) = 0;
    // Imports the shapefile into the current window with the shapefile
    // dialog's settings, then rebuilds its hash and repaints.
    virtual bool ImportShapefile(const std::string& path, TMessageSink& sink) = 0;
    // Reads the Calculate program file into the current window; on failure
    // the window's program stays as it was.
    virtual bool LoadProgram(const std::string& path, TMessageSink& sink) = 0;
    // Runs the current window's program over its network, with the status
    // box shown so that Stop works.
    virtual bool RunProgram(TMessageSink& sink) = 0;
    // Reads the extract/update formats file into the current window; false
    // when it cannot be opened or read, with no message (the run shows it).
    virtual bool GetUpdateFormats(const std::string& path, TMessageSink& sink) = 0;
    // Updates the current window's network from the update file.
    virtual bool DoUpdate(const std::string& path, TMessageSink& sink) = 0;
    // Saves the current window's network in version 9 to path; on success
    // the window takes the name, its caption (unless it is a view) and the
    // present time as its creation time.
    virtual bool SaveAs(const std::string& path, TMessageSink& sink) = 0;
    // Closes the current window with the ordinary close handling.
    virtual void CloseCurrentWindow() = 0;

    // Progress: row n highlighted (the previous one plain) and its page
    // shown; the step counter shows n.
    virtual void HighlightRow(int row) {}
    virtual void ShowStepNumber(int row) {}
    // Lets pending events run between steps.
    virtual void ProcessMessages() {}
};

enum class TBatchStepStatus {
    Done,    // the step ran
    Skipped, // its file is missing, or its operation is unknown
    Ended,   // it failed and ended the run
};

struct TBatchRunOptions {
    // Called after each step that ran, was skipped or ended the run (not for
    // the row that ends the script at "No Action" or an empty name).
    std::function<void(int row, int code, TBatchStepStatus status)> StepFinished;
};

struct TBatchRunResult {
    bool Ended = false; // a step failed and ended the run
    int Row = 0;        // the last row looked at
};

// Most windows open at once.
constexpr int BatchWindowLimit = 100;
// Our own texts, under the caption BatchCaption.
extern const char* const BatchTooManyWindows;
extern const char* const BatchNoWindow;

// Where a step's file is: the name as stored when it exists (a relative
// name taken in folder when that is given), else the name with backslashes
// as slashes, else its last component in folder. For a file to be written
// the same, by whether its folder exists. Empty when nothing is found.
std::string ResolveBatchInput(const std::string& name, const std::string& folder);
std::string ResolveBatchOutput(const std::string& name, const std::string& folder);

// "Get Update Formats" as both hosts do it: the formats file is read over
// formats (false, with no message and formats as they were, when it cannot be
// read), then checked as the formats dialog's OK checks them: a scale of 0
// shows "Error in transform values." under "Extract/Update", and the formats
// read stay.
bool ReadBatchUpdateFormats(const std::string& path, TExtractFormats& formats, TMessageSink& sink);

// Runs rows 1..100 until a row whose operation is "No Action" or whose name
// is empty. A step whose input file is missing is skipped without a message.
TBatchRunResult RunBatch(const TBatchScript& script, TBatchHost& host, TMessageSink& sink,
                         const TBatchRunOptions& options = {});
