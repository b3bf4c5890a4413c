// calc-run NET PROGRAM OUT: opens the network file NET, reads the Calculate
// program file PROGRAM, runs it, prints the summary as one line
// "links L nodes N systems S errors E" and saves the network as OUT in
// version 9. On a failure it prints the message boxes shown (text, then
// caption) and exits non-zero. Message boxes of a step that succeeded go to
// the error stream.
#include <iostream>
#include <string>
#include <vector>

#include "core/calc/CalcProgram.h"
#include "core/calc/CalcRun.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

class TCollectingSink : public TMessageSink {
public:
    std::vector<std::pair<std::string, std::string>> Boxes;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        Boxes.emplace_back(MessageTextForDisplay(text), caption);
        return DefaultButton(flags);
    }
    // Prints what was collected to out and forgets it.
    void Flush(std::ostream& out)
    {
        for (const auto& [text, caption] : Boxes) out << text << '\n' << caption << '\n';
        Boxes.clear();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: calc-run NET PROGRAM OUT\n";
        return 2;
    }
    TCollectingSink sink;
    TNetwork net;
    TWindowSettings settings; // the window the network opens in
    const TOpenResult opened = OpenNetworkFile(net, settings, argv[1], true, sink);
    if (opened.Status == TOpenStatus::Failed) {
        sink.Flush(std::cout);
        return 1;
    }
    sink.Flush(std::cerr);

    TCalcProgram program;
    if (!OpenProgramFile(argv[2], program, &sink)) {
        sink.Flush(std::cout);
        return 1;
    }

    TCalcFlags flags;
    TCalcHost host;
    TViewRecord view;
    view.Settings = &settings;
    TCalcRunOptions options;
    options.View = &view;
    const TCalcSummary s = RunCalculation(net, program, flags, host, {}, DefaultCalcEditOps(), options);
    std::cout << "links " << s.Links << " nodes " << s.Nodes << " systems " << s.Systems << " errors " << s.Errors
              << '\n';

    const TSaveResult saved = SaveNetworkFile(net, settings, argv[3], 9, sink);
    if (!saved.Ok) {
        sink.Flush(std::cout);
        return 1;
    }
    sink.Flush(std::cerr);
    return 0;
}
