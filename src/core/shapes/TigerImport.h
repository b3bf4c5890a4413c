// Import of one TIGER/Line 2000 county set into a network: complete chains
// become links between nodes, shape records their shape points, polygon
// interior points polygon owner nodes, and the chain-polygon records give
// every owner its rings. Each chain goes to a layer by its census feature
// class (CFCC); long/lat becomes world coordinates by an equidistant
// mapping or a map projection.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/shapes/TigerRecords.h"

class TMessageSink;
class TNetwork;
class TNetworkPoint;
struct TWindowSettings;

// The import's values, kept in the window's long/lat settings.
struct TTigerSettings {
    double YScale = 0;     // world units per degree of latitude; negative puts north up
    double XTranslate = 0; // negated central longitude, degrees; 0: from the data
    double YTranslate = 0; // negated central latitude, degrees; 0: from the data
    int32_t Method = 0;    // 0 and 1 equidistant, 2 transverse Mercator, 3 Lambert conformal
};

TTigerSettings TigerSettingsOf(const TWindowSettings& window);
void StoreTigerSettings(const TTigerSettings& settings, TWindowSettings& window);

// The value check of the dialog: a finite Y scale other than 0 and finite
// translations.
bool TigerValuesValid(const TTigerSettings& settings);

// Error codes of an import.
constexpr int TigerErrorNone = 0;
constexpr int TigerErrorRead = 1;    // a file could not be read, or a record did not parse
constexpr int TigerErrorMissing = 2; // a file of the set is missing, or the name names no set
constexpr int TigerErrorValues = 3;  // the values fail the check, or the projection cannot be set up

struct TTigerResult {
    int ErrorCode = TigerErrorNone;
    // Elements were added: the network is marked modified and its hash
    // rebuilt; the window repaints.
    bool Changed = false;
    // What was added.
    int32_t Nodes = 0, Links = 0, ShapePoints = 0, Polygons = 0;
    // Of the nodes and shape points added, those whose place lay beyond the
    // world's edge (-512000..512000 each way) and were put on it.
    int32_t ClampedPoints = 0;
};

// The import's status line: what was added ("24 nodes, 15 links, 42 shape
// points and 6 polygons added."), then, when points were put on the world's
// edge, how many (" 3 points lie beyond the world's edge and were placed on
// it.").
std::string TigerImportStatus(const TTigerResult& result);

// Lets events through now and then (about every 30 ms during long steps).
using TTigerProgress = std::function<void()>;

// Imports the set into the network. The window's layer states decide which
// chains are read (a layer of state 0 is skipped); the window receives the
// layer names, and the scale, translations and method used (translations of
// 0 become the negated centre of the chains, in whole degrees, here and in
// settings). Failures show message 52 (a missing or unreadable file, a
// record that does not parse) or 291 (values that fail the check, a
// projection that cannot be set up) under caption 301; what was read before
// a failure stays.
TTigerResult ImportTiger(TNetwork& net, TWindowSettings& window, TTigerSettings& settings,
                         const TTigerFileSet& files, const TTigerProgress& progress, TMessageSink& sink);

// The same over files held in memory (tests and the fuzz target).
struct TTigerFileBytes {
    bool Exists = false;
    bool Readable = true;
    std::string Bytes;
};
struct TTigerSetBytes {
    TTigerFileBytes RT1, RT2, RTP, RTI;
};
TTigerResult ImportTigerBytes(TNetwork& net, TWindowSettings& window, TTigerSettings& settings,
                              const TTigerSetBytes& files, const TTigerProgress& progress, TMessageSink& sink);

// Joins the chains of one polygon into rings: the first chain left starts a
// ring; then the first chain left (in list order) holding a point with the
// long/lat of the ring's last point follows, from that point to its end;
// when none does, the ring is closed. Within a ring one of two equal
// consecutive points is dropped, and a last point equal to the first.
using TTigerChainPoints = std::vector<TNetworkPoint*>;
std::vector<TTigerChainPoints> JoinChainsIntoRings(const std::vector<TTigerChainPoints>& chains);

// The layer of a CFCC letter (A and P 1, B 2, ..., G 7, any other 8), the
// names the import gives the ten layers.
int TigerLayerOf(char cfccLetter);
const char* TigerLayerName(int layer);
