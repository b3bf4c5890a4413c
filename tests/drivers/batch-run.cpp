// batch-run SFS: reads the batch import script SFS and runs it over networks
// in memory (the shapefile import settings at their defaults: linear, scales
// 1, translations 0), printing
// every message box (text, then caption) and, after the boxes of each step,
// one line "step N CODE done|skipped|ended" (N the row 1..100; the row that
// ends the script at "No Action" or an empty name prints nothing). Exits
// non-zero when a step ended the run, or when SFS cannot be read.
#include <iostream>
#include <string>

#include "core/model/Messages.h"
#include "core/shapes/BatchMemoryHost.h"
#include "core/shapes/BatchRun.h"
#include "core/shapes/BatchScript.h"
#include "driver_support.h"

using namespace driver;

namespace {

const char* StatusText(TBatchStepStatus status)
{
    switch (status) {
    case TBatchStepStatus::Done:
        return "done";
    case TBatchStepStatus::Skipped:
        return "skipped";
    default:
        return "ended";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: batch-run SFS\n";
        return 2;
    }
    TPrintingSink sink;
    TBatchScript script;
    std::string error;
    if (!script.OpenSpecification(argv[1], error)) {
        ShowMessageText(sink, error, BatchCaption, MB_EXCLAMATION_OK);
        return 1;
    }
    TMemoryBatchHost host;
    TBatchRunOptions options;
    options.StepFinished = [](int row, int code, TBatchStepStatus status) {
        std::cout << "step " << row << ' ' << code << ' ' << StatusText(status) << '\n';
    };
    const TBatchRunResult result = RunBatch(script, host, sink, options);
    return result.Ended ? 1 : 0;
}
