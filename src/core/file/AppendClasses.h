// An appended network file is read by its own classes into a scratch network;
// its elements, template records and system values then take the classes of
// the network they join. Values go where the attribute at the same place
// holds the same kind ('R' and 'I' mix; texts only between 'S' attributes);
// what finds no place is counted and reported once.
#pragma once

#include <cstdint>
#include <string>

class TNetwork;

// What an append could not keep: values whose attribute the network's class
// lacks or holds in another kind, and elements of classes the network does not
// define (they join class 0). Values the file leaves empty are not counted.
struct TAppendLosses {
    int32_t NodeValues = 0;
    int32_t LinkValues = 0;
    int32_t SystemValues = 0;
    int32_t NodesOutOfClass = 0;
    int32_t LinksOutOfClass = 0;

    bool Any() const { return NodeValues || LinkValues || SystemValues || NodesOutOfClass || LinksOutOfClass; }
};

// Gives the elements of scratch (and its template records where the file held
// them) the node and link classes of net, before they join net. Where net
// defines no classes of a kind, it takes those of scratch, as an open would.
void FitAppendedClasses(TNetwork& net, TNetwork& scratch, bool templateNodeRead, bool templateLinkRead,
                        TAppendLosses& losses);

// "Use Appended Network System Attribute Values": a system value of scratch
// replaces net's where both define the attribute in agreeing kinds; net keeps
// the others. Where net defines no system attribute it takes the definitions
// and values of scratch.
void TakeAppendedSystemValues(TNetwork& net, TNetwork& scratch, TAppendLosses& losses);

// The message that reports the losses, one line per kind of loss.
std::string AppendLossesText(const TAppendLosses& losses);
