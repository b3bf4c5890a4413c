// search-tool IN OUT CMD...: opens the network file IN, applies each command
// as the search dialogs' OK applies it, prints the message boxes shown (text,
// then caption), then one line "nodes S1 S2 ..." (the serials of the nodes
// that pass the search, ascending) and one line "links P1 P2 ..." (the
// 1-based file-order positions of the active links that pass), with the bare
// word when none passes, and saves the network as OUT in version 9.
//
//   class K C and|or              the combination of class C (K node or link)
//   bound K C A BOTTOM TOP        attribute A's Bottom and Top texts, typed and left
//   clear K C A                   attribute A's "&Clear"
//   polygon NAME NODES LINKS OUTSIDE ENDS   the polygon search (flags 0 or 1)
//
// A bound that does not parse keeps the attribute search open: its OK is
// refused and nothing of that command is committed.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "core/expr/SearchCriteria.h"
#include "core/expr/SearchFilter.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "driver_support.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: search-tool IN OUT CMD...\n"
                 "  class K C and|or | bound K C A BOTTOM TOP | clear K C A | polygon NAME NODES LINKS OUTSIDE ENDS\n";
    return 2;
}

bool Number(const std::string& s, int lo, int hi, int& v)
{
    char* end = nullptr;
    const long n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || n < lo || n > hi) return false;
    v = int(n);
    return true;
}

TEntityClass* Table(TNetwork& net, const std::string& k)
{
    if (k == "node") return net.NodeClasses.get();
    if (k == "link") return net.LinkClasses.get();
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings settings;
    if (!OpenNetwork(net, settings, argv[1], sink)) return 1;
    TViewRecord view;
    view.Settings = &settings;
    std::vector<std::string> a(argv + 3, argv + argc);
    for (size_t i = 0; i < a.size();) {
        const std::string& cmd = a[i];
        const size_t args = cmd == "polygon" ? 5 : cmd == "class" ? 3 : cmd == "bound" ? 5 : cmd == "clear" ? 3 : 0;
        if (args == 0 || i + args >= a.size()) return Usage();
        if (cmd == "polygon") {
            int f[4];
            for (int k = 0; k < 4; ++k)
                if (!Number(a[i + 2 + size_t(k)], 0, 1, f[k])) return Usage();
            TPolygonSearchFields fields;
            fields.OwnerName = a[i + 1].substr(0, 30);
            fields.Nodes = uint8_t(f[0]);
            fields.Links = uint8_t(f[1]);
            fields.Outside = uint8_t(f[2]);
            fields.BothEnds = uint8_t(f[3]);
            ApplyPolygonSearch(net, fields, settings.Search.PolygonCriterion, &sink);
            i += args + 1;
            continue;
        }
        TEntityClass* table = Table(net, a[i + 1]);
        int c = 0;
        if (!table || !Number(a[i + 2], 1, CountEntityTypes(*table), c)) return Usage();
        // The node or link search works on a copy of the whole table.
        TCriteriaCopy copy = CopySearchCriteria(*table);
        bool commit = true;
        if (cmd == "class") {
            if (a[i + 3] != "and" && a[i + 3] != "or") return Usage();
            copy[size_t(c)].SearchClass = a[i + 3] == "and" ? 1 : 0;
        } else {
            const TClassRecord& cls = (*table)[c];
            int attr = 0;
            if (!Number(a[i + 3], 1, std::clamp(cls.AttributeCount, 0, MaxAttributes), attr)) return Usage();
            TAttributeSearchForm form(cls, copy[size_t(c)]);
            if (cmd == "clear") {
                form.Clear(attr);
            } else {
                form.Rows[size_t(attr)].Bottom = a[i + 4];
                form.Rows[size_t(attr)].Top = a[i + 5];
                form.Leave(attr);
            }
            TBoundContext bc;
            bc.Net = &net;
            bc.View = &view;
            std::vector<TAttributeSearchForm::TFailure> failures;
            commit = form.Ok(bc, copy[size_t(c)], &sink, failures);
        }
        if (commit) CommitSearchCriteria(copy, *table);
        i += args + 1;
    }

    TSearchFilter filter = PrepareSearch(net, settings.Search);
    std::vector<int32_t> nodes;
    ForEachNode(net, [&](TNode* n) {
        if (n->Active && filter.NodePassesSearch(*n)) nodes.push_back(n->Serial);
    });
    std::sort(nodes.begin(), nodes.end());
    std::vector<int32_t> links;
    int32_t position = 0;
    ForEachLink(net, [&](TLink* h) {
        if (!h->LinkValues->Active) return;
        ++position;
        const TNode* near = h->NearNode();
        if (near && filter.LinkPassesSearch(*h, *near)) links.push_back(position);
    });
    std::cout << "nodes";
    for (int32_t s : nodes) std::cout << ' ' << s;
    std::cout << "\nlinks";
    for (int32_t p : links) std::cout << ' ' << p;
    std::cout << '\n';
    if (!SaveNetwork(net, settings, argv[2], sink)) return 1;
    return 0;
}
