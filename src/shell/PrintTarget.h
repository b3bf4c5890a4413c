// Where a printed copy goes. A print job is begun with its title, drawn on
// the target's canvas (device pixels), and then either ended, which sends
// the page, or aborted, which sends nothing.
//
// The printer's target draws each copy into a QPicture first and plays it
// onto the printer only when the copy is ended: neither Qt's PDF engine nor
// its CUPS engine can take back a job once painting has begun. A PDF file
// is saved as the network file is (a regular file or a new name, a link
// kept, synced and renamed over the old file), so a failed or aborted copy
// leaves the file that was there whole.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/edit/PlotPage.h"
#include "platform/Canvas.h"

class QPrinter;

class TPrintTarget {
public:
    virtual ~TPrintTarget() = default;
    // Resolution, printable offset and size of the page.
    virtual TPrintDevice Device() const = 0;
    // Starts a job named Title (spelt as window captions are, the disk's
    // way); false when it cannot start.
    virtual bool Begin(const std::string& Title) = 0;
    // The page's canvas between Begin and End or Abort.
    virtual TCanvas& Canvas() = 0;
    // Limits drawing to a rectangle of device pixels.
    virtual void SetClip(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) = 0;
    // Drops the job: nothing reaches the printer or the file.
    virtual void Abort() = 0;
    // Sends the page; false when the printer or the file could not take it.
    virtual bool End() = 0;
};

// The printer, or the file FileName when it is not empty (the printer's PDF
// output).
std::unique_ptr<TPrintTarget> MakePrinterTarget(QPrinter& Printer, const std::string& FileName);

// Copy k (1-based) of N of a print to a file: the name with "-k" before its
// ".pdf" (or at its end), the name itself when N is 1.
std::string CopyFileName(const std::string& FileName, int Copy, int Copies);

// A target that records what it was given, for tests.
class TRecordingPrintTarget : public TPrintTarget {
public:
    struct TJob {
        std::string Title;
        bool Ended = false, Aborted = false;
        std::vector<TCanvasCall> Calls;
        TCanvasRect Clip;
    };
    TPrintDevice Dev;
    std::vector<TJob>* Jobs; // where the jobs go (shared by the targets of one print)
    bool FailEnd = false;

    explicit TRecordingPrintTarget(std::vector<TJob>& AJobs, TPrintDevice ADevice = {})
        : Dev(ADevice), Jobs(&AJobs)
    {
    }
    TPrintDevice Device() const override { return Dev; }
    bool Begin(const std::string& Title) override;
    TCanvas& Canvas() override { return *FCanvas; }
    void SetClip(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) override;
    void Abort() override;
    bool End() override;

private:
    std::unique_ptr<TRecordingCanvas> FCanvas;
};
