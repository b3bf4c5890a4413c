// Editing the search criteria, apart from the dialogs: a whole copy of the
// criteria of a class table (the node or link search works on it and commits
// it on OK), the bound texts by attribute type and their parse, the rows of
// the attribute search of one class, and the polygon owner found by name.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/EntityClasses.h"
#include "core/model/SearchSettings.h"

class TMessageSink;
class TNetwork;
struct TViewRecord;

// The criterion of one attribute. The bounds keep their 8 bytes as they are
// (packed codes and dates are no numbers).
struct TAttribCriterion {
    uint8_t Active = 0;
    TValueSlot Low, High;
    std::string LowText, HighText; // first and second search text of a string attribute
    bool operator==(const TAttribCriterion&) const = default;
};

struct TClassCriteria {
    uint8_t SearchClass = 0; // 1 AND (NOT without attributes), 0 OR
    std::array<TAttribCriterion, MaxAttributes + 1> Attributes; // [1..100]
    bool operator==(const TClassCriteria&) const = default;
};

// The criteria of classes 0..10 of one table.
using TCriteriaCopy = std::array<TClassCriteria, MaxClasses + 1>;

TCriteriaCopy CopySearchCriteria(const TEntityClass& classes);
// Puts the copy in place: every class's combination byte, and the criterion
// of every attribute that has a record.
void CommitSearchCriteria(const TCriteriaCopy& copy, TEntityClass& classes);

// The state a class shows: text 149 "AND" or 150 "OR" by its combination
// byte, 445 "NOT" for 1 when the class has no attributes.
int SearchStateTextId(const TClassRecord& cls, uint8_t searchClass);

// ---- bounds

// The text of a bound as the attribute search shows it (Bottom the low bound
// or first search text, Top the high bound or second text): codes for C,
// date and time texts for D, T, X, reals with 15 digits for R and I, the
// texts of S. A bound that holds nothing (0, blank codes, no date part, no
// text) shows as "" unless the criterion is active.
std::string SearchBoundText(const TAttrib& def, const TAttribCriterion& c, bool top);

// What an R or I bound is evaluated with: system mode over the network and
// the window, with the window's Calculate variables V1..Vz.
struct TBoundContext {
    const TNetwork* Net = nullptr;
    const TViewRecord* View = nullptr;
    const double* Variables = nullptr; // [0..count - 1] = V0.., may be nullptr
    int VariableCount = 0;
};

constexpr int MsgBoundReal = 186;
constexpr int MsgBoundCategory = 187;
constexpr int MsgBoundDate = 264;

// Parses one bound text (trailing blanks already removed) into c. Returns 0,
// or the message id of the failure, with the bound set as the failure leaves
// it: C the packed empty text (187), D, T, X unchanged (264), R and I 0
// (186). An empty text clears the bound. S texts are stored as they stand
// (the first cut to 50).
int ParseSearchBound(const TBoundContext& ctx, const TAttrib& def, std::string_view text, TAttribCriterion& c,
                     bool top);

// ---- the attribute search of one class

struct TSearchRow {
    std::string Bottom, Top;
};

class TAttributeSearchForm {
public:
    // The rows of the class's attributes filled from the criteria.
    TAttributeSearchForm(const TClassRecord& cls, const TClassCriteria& criteria);

    int Count = 0;
    std::vector<TSearchRow> Rows; // [1..Count]
    // The dialog's working criteria; OK hands them on.
    TClassCriteria Criteria;

    const TAttrib* Attribute(int row) const;
    // Leaving a Bottom or Top edit: active := both texts not empty.
    void Leave(int row);
    // "&Clear": both texts emptied, the criterion off, its bounds and texts cleared.
    void Clear(int row);
    // Whether "&Set" acts on a row (C, I and R) and "&Clear" (every row).
    bool CanSet(int row) const;
    bool CanClear(int row) const { return Attribute(row) != nullptr; }

    struct TFailure {
        int Row = 0;
        bool Top = false;
        int MessageId = 0;
    };
    // OK: trailing blanks removed from every text, then every Bottom and then
    // every Top parsed. When all are valid the result is true and out holds
    // the criteria; otherwise out is unchanged, failures lists every text in
    // error and the first failure's message is shown (caption 127, $30).
    bool Ok(const TBoundContext& ctx, TClassCriteria& out, TMessageSink* sink, std::vector<TFailure>& failures);

private:
    const TClassRecord& Class;
};

// ---- the polygon search

struct TPolygonSearchFields {
    std::string OwnerName;
    uint8_t Nodes = 0, Links = 0, Outside = 0, BothEnds = 0;
};
TPolygonSearchFields PolygonSearchFields(const TPolygonCriterion& criterion);
// OK: the four flags are stored; an empty name leaves no owner; otherwise
// the owner is the first active node whose name matches (wildcards '?' and a
// final '*'). No such node: message 258; a node whose polygon has fewer than
// 3 vertices: message 259, and no owner (both under caption 257, $30).
// False when a message was shown.
bool ApplyPolygonSearch(const TNetwork& net, const TPolygonSearchFields& fields, TPolygonCriterion& criterion,
                        TMessageSink* sink);
