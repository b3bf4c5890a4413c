// Shortest-path trees over a network's links from up to five sets of start
// nodes, marked into node and link attributes. Link costs are the link width
// expressions of the window: the text before a colon is the cost from the A
// node to the B node, the text after it the cost back.
//
// The search keeps the answer of a plain candidate list scanned for the
// nearest node (the first one listed wins a tie) but finds that node through
// a heap keyed by distance and by the order in which nodes first entered the
// list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/DisplaySettings.h"
#include "core/model/Messages.h"
#include "core/model/WidthSettings.h"

class TNetwork;
class TEntityClass;

// The start sets the dialog offers (the settings record carries nine).
constexpr int PathStartSets = 5;
// The distance of a node that no tree reaches, and "no maximum".
constexpr double PathUnreached = 1e99;

// What a search asks of its surroundings. The stop request is the program's
// one stop flag, shared with Calculate runs.
class TPathSearchHost {
public:
    TPathSearchHost(TMessageSink& sink, uint8_t& calcStop) : Sink(sink), CalcStop(calcStop) {}
    virtual ~TPathSearchHost() = default;
    // Lets pending events run (the status box's Stop may set CalcStop);
    // called about every 30 ms.
    virtual void ProcessMessages() {}
    // The status box is shown with its button reading "Stop".
    virtual void ShowStatusBox() {}
    // The status box's text.
    virtual void ShowStatus(const std::string& text) {}
    // The search is over: the status box's button reads "OK".
    virtual void SearchFinished() {}

    TMessageSink& Sink;
    uint8_t& CalcStop;
};

struct TPathSearchResult {
    bool Ran = false;      // false: refused (bad maximum distance, no start node)
    bool Stopped = false;  // the stop request ended the search; nothing was marked
    bool PathMode = false; // the ending node was found: only its path is marked
    int32_t StartNodes = 0;
    int32_t Settled = 0;    // nodes whose distance became final, start nodes included
    int32_t CostErrors = 0; // cost evaluations that reported an error
    std::string Status;     // the status box's last text
};

// Runs Go. Start set k (1..5) is StartNames[k] with its MarkValue[k]; entry
// 0 of each list is the set's edit text. MaximumDistance 0 means no limit;
// a negative or non-finite one is refused with message 304. Marks go only
// into attributes of type I or R. Every node's path scratch (net.PathOf:
// Done, Distance, Link and, when reached, Mark) is rewritten.
TPathSearchResult MarkShortestPaths(TNetwork& net, const TShortestPathSettings& settings,
                                    const TWidthSettings& widths, TPathSearchHost& host);

// The names a start set (or the coverage's element list) holds at Go and
// after OK: the edit's text first, then the further names of the dialog's
// working list (its entries 1 on; empty ones dropped). The working list's
// entry 0 may be stale: the edit holds the first name.
std::vector<std::string> NamesWithEditText(const std::string& editText, const std::vector<std::string>& working);

// Attribute attr of class cls takes marks: it exists and is of type I or R.
bool IsNumberAttribute(const TEntityClass& classes, int cls, int attr);

// "Set Search for Mark": the search criteria of every link class (and, with
// "Mark Value", of every node class) pass exactly the elements whose mark
// attribute holds start set 1's mark value; every other criterion is made
// inactive and each class combines its criteria with OR.
void SetSearchForMark(TNetwork& net, const TShortestPathSettings& settings);
