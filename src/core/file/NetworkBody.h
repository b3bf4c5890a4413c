// The body of the network file: nodes, links with their shape points, the
// extents, the title and polygon criterion, and the node and link extras
// (label styles, polygons, notes).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/model/EntityClasses.h"

struct TFileContext;
class TNetwork;
struct TWindowSettings;

// Called now and then during long reads and writes (every few thousand
// records); the caller throttles what it does with it.
using TFileProgress = std::function<void()>;

// Writes the body for the network in f.WriteVersion, numbering the active
// nodes 1..n in walk order (their Serial fields are rewritten); the title and
// the polygon criterion are the saving window's. realErrors counts values that
// could not be written as numbers (written "0.0").
void WriteNetworkBody(TFileContext& f, TNetwork& net, const TWindowSettings& settings, int& realErrors,
                      const TFileProgress& progress = {});

// Gives the elements a body read makes another class than the file's, their
// values the places of that class (an append into a network's classes): each
// element is made so, with no block of the file's class beside it.
class TBodyRefit {
public:
    virtual ~TBodyRefit() = default;
    // The value slots of an element of the file's class cls.
    virtual int Slots(bool nodes, int cls) const = 0;
    // values[1..filled] and texts, read for an element (or the template
    // record) of the file's class cls, become those of the class it takes,
    // which is returned; filled becomes that class's slot count.
    virtual int Refit(bool nodes, bool isTemplate, int cls, TValueArray& values, int& filled,
                      std::vector<std::string>& texts) = 0;
};

// What a body read dropped, and how it files its nodes.
struct TBodyRead {
    int Looped = 0;      // links from a node to itself
    int Redundant = 0;   // second links between two nodes
    int WithoutEnds = 0; // links whose end nodes are not both found
    // File the nodes one at a time, re-gridding before each, as editing
    // does; otherwise they are filed once, at the cell size that re-gridding
    // would end at, in the same order. Kept to check the one against the other.
    bool OneByOne = false;
    // The file's serials follow at least this one (an append: the highest
    // serial of the network appended to).
    int32_t SerialsAfter = 0;
    // Where the elements read take other classes than the file's.
    TBodyRefit* Refit = nullptr;
};

// Reads the body in f.ReadVersion into the network, the title and the polygon
// criterion into the window's settings. The serials of the file are offset by
// the network's NodeCount as it was before the read, or by read.SerialsAfter
// when that is higher; the network's TopSerial rises to the highest serial
// read. Redundant and looped links and links without their end nodes are
// dropped and counted.
void ReadNetworkBody(TFileContext& f, TNetwork& net, TWindowSettings& settings, TBodyRead& read,
                     const TFileProgress& progress = {});

// One value line of an attribute, as written in the given file version.
// realError is set when a number could not be written.
std::string AttributeValueText(char kind, int32_t topRow, const std::string& text, const TValueSlot& value,
                               int version, bool& realError);
// A real as the body writes it: "0.0", a whole number with ".0", or the width-23 form.
// False for a value that is not finite.
bool BodyRealText(double v, std::string& out);
