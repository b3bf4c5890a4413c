// An appended network file is read into a scratch network; its elements and
// template records take the classes of the network they join as they are
// read, its system values after. Values go where the attribute at the same
// place holds the same kind ('R' and 'I' mix; texts only between 'S'
// attributes); what finds no place is counted and reported once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/file/NetworkBody.h"

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

// Where the elements of an appended file go: made once the file's classes are
// read and before its elements, which the body reader then makes in the
// network's classes directly (TBodyRefit). An element of a class the network
// does not define (one it leaves unnamed) joins class 0. Where the network
// defines no classes of a kind, the elements keep the file's classes, which
// the network then takes (TakeAppendedClasses), as an open would.
class TAppendFit : public TBodyRefit {
public:
    TAppendFit(const TNetwork& net, const TEntityClass& fileNodes, const TEntityClass& fileLinks);

    int Slots(bool nodes, int cls) const override;
    int Refit(bool nodes, bool isTemplate, int cls, TValueArray& values, int& filled,
              std::vector<std::string>& texts) override;

    // Values left out and elements moved to class 0 so far (template records
    // count their values, but are no element moved).
    TAppendLosses Losses;

    // Where the values of one of the file's classes go.
    struct TClassFit {
        int Target = 0;           // the network's class its elements join
        bool Same = true;         // values and strings stay as they are
        int Slots = 0;            // attributes of the target class
        std::vector<int> From;    // target slot i + 1 takes source slot From[i] (0: none)
        std::vector<int> Room;    // codes for target slot i + 1 must fit Room[i] positions (-1: any)
        std::vector<int> Strings; // target string k takes source string Strings[k] (-1: none)
        std::vector<int> Lost;    // source attributes whose values find no place
    };
    struct TKindFit {
        bool TakesFileClasses = false;
        const TEntityClass* File = nullptr;
        std::array<TClassFit, MaxClasses + 1> Classes;
    };
    const TKindFit& Kind(bool nodes) const { return nodes ? Nodes : Links; }

private:
    TKindFit Nodes, Links;
    std::vector<std::string> Kept; // one element's texts in the target order
};

// Where net defines no classes of a kind, it takes those of scratch, whose
// elements kept them.
void TakeAppendedClasses(TNetwork& net, TNetwork& scratch, const TAppendFit& fit);

// "Use Appended Network System Attribute Values": a system value of scratch
// replaces net's where both define the attribute in agreeing kinds; net keeps
// the others. Where net defines no system attribute it takes the definitions
// and values of scratch.
void TakeAppendedSystemValues(TNetwork& net, TNetwork& scratch, TAppendLosses& losses);

// The message that reports the losses, one line per kind of loss.
std::string AppendLossesText(const TAppendLosses& losses);
