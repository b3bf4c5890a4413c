// schema-tool: the schema and value engines from the command line.
//
//   schema-tool apply IN OUT EDIT...      edits of one copy of each class table,
//       EDIT: count K C N | kind K C A LETTER | rows K C A N | alias K C A TEXT
//       (K node, link or system; A 0 is the class itself), committed as OK;
//       OUT is saved in version 9
//   schema-tool value NET K SERIAL A TEXT   parses TEXT into attribute A of the
//       node with that serial, the link at that position (1-based, file order)
//       or the system, as the attribute sheet's OK does: "text T"
//   schema-tool form F PREV B0..Bn : X1..Xn   functional form 1..7: "value V" or "failed"
//   schema-tool date L Y M D h m s      date work sheet of kind L: "text T" or "refused"
//   schema-tool report NET node|link SERIAL [nested]   the property memo lines
//
// Message boxes are printed as their text, then their caption. Exits non-zero
// on failure.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/calc/AttributeValues.h"
#include "core/edit/ElementReports.h"
#include "core/edit/SchemaEdit.h"
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
    std::fprintf(stderr, "usage: schema-tool apply IN OUT EDIT... | value NET K SERIAL A TEXT | "
                         "form F PREV B0..Bn : X1..Xn | date L Y M D h m s | report NET node|link SERIAL [nested]\n");
    return 2;
}

bool Integer(const std::string& s, long& v)
{
    int64_t n;
    if (!ParseIntegerText(s, n)) return false;
    v = long(n);
    return true;
}

bool Real(const std::string& s, double& v)
{
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0' && std::isfinite(v) &&
           s.find_first_of("xXnNiI") == std::string::npos;
}

bool KindOf(const std::string& s, TClassKind& k)
{
    if (s == "node") k = TClassKind::Node;
    else if (s == "link") k = TClassKind::Link;
    else if (s == "system") k = TClassKind::System;
    else return false;
    return true;
}

bool Open(const std::string& path, TNetwork& net, TWindowSettings& settings)
{
    TPrintingSink sink;
    if (!OpenNetwork(net, settings, path, sink)) {
        std::fprintf(stderr, "schema-tool: cannot read %s\n", path.c_str());
        return false;
    }
    return true;
}

TNode* NodeBySerial(const TNetwork& net, long serial)
{
    TNode* found = nullptr;
    ForEachNode(net, [&](TNode* n) {
        if (!found && n->Active && n->Serial == serial) found = n;
    });
    return found;
}

TLink* LinkAt(const TNetwork& net, long position)
{
    TLink* found = nullptr;
    long k = 0;
    ForEachLink(net, [&](TLink* h) {
        if (!found && h->LinkValues->Active && ++k == position) found = h;
    });
    return found;
}

int Apply(const std::vector<std::string>& a)
{
    if (a.size() < 2) return Usage();
    TNetwork net;
    TWindowSettings settings;
    if (!Open(a[0], net, settings)) return 1;
    std::map<TClassKind, std::unique_ptr<TEntityClass>> copies;
    auto copyOf = [&](TClassKind k) -> TEntityClass& {
        auto& c = copies[k];
        if (!c) c = CopyEntityClassesWhole(*ClassTable(net, k));
        return *c;
    };
    for (size_t i = 2; i < a.size();) {
        const std::string& op = a[i];
        const size_t need = op == "count" ? 4 : 5;
        if (i + need > a.size()) return Usage();
        TClassKind k;
        long c, n = 0;
        if (!KindOf(a[i + 1], k) || !Integer(a[i + 2], c) || c < 0 || c > MaxClasses) return Usage();
        TClassRecord& rec = copyOf(k)[int(c)];
        if (op == "count") {
            if (!Integer(a[i + 3], n) || n < 0 || n > MaxAttributes) return Usage();
            SetAttributeCount(rec, int(n));
        } else {
            long at;
            if (!Integer(a[i + 3], at) || at < 0 || at > MaxAttributes) return Usage();
            const std::string& v = a[i + 4];
            TAttrib* attr = at > 0 ? rec.Attr(int(at)) : nullptr;
            if (at > 0 && (!attr || at > rec.AttributeCount)) {
                std::fprintf(stderr, "schema-tool: attribute %ld is not defined\n", at);
                return 1;
            }
            if (op == "alias") {
                if (attr)
                    SetAttributeAlias(*attr, v);
                else
                    rec.Alias = AliasText(v);
            } else if (!attr) {
                return Usage();
            } else if (op == "kind") {
                if (v.size() != 1 || !IsAttributeKind(v[0])) return Usage();
                SetAttributeKind(*attr, v[0]);
            } else if (op == "rows") {
                if (!Integer(v, n) || n < 0) return Usage();
                SetWorksheetRows(*attr, int(n));
            } else {
                return Usage();
            }
        }
        i += need;
    }
    for (auto& [k, c] : copies) ApplySchemaEdit(net, k, std::move(c));
    TPrintingSink sink;
    return SaveNetwork(net, settings, a[1], sink) ? 0 : 1;
}

int Value(const std::vector<std::string>& a)
{
    if (a.size() != 5) return Usage();
    TNetwork net;
    TWindowSettings settings;
    TClassKind k;
    long serial, at;
    if (!KindOf(a[1], k) || !Integer(a[2], serial) || !Integer(a[3], at)) return Usage();
    if (!Open(a[0], net, settings)) return 1;
    TElementEdit edit;
    if (k == TClassKind::Node) {
        TNode* n = NodeBySerial(net, serial);
        if (!n) return std::fprintf(stderr, "schema-tool: no node %ld\n", serial), 1;
        edit = NodeEdit(net, n);
    } else if (k == TClassKind::Link) {
        TLink* h = LinkAt(net, serial);
        if (!h) return std::fprintf(stderr, "schema-tool: no link %ld\n", serial), 1;
        edit = LinkEdit(net, h);
    } else {
        edit = SystemEdit(net);
    }
    const TClassRecord* cls = edit.Class(net);
    const int count = edit.AttributeCount(net);
    if (at < 1 || at > count) return std::fprintf(stderr, "schema-tool: attribute %ld is not defined\n", at), 1;
    std::vector<std::string> texts(size_t(count) + 1);
    for (int i = 1; i <= count; ++i) texts[size_t(i)] = AttributeValueText(cls->Attr(i), edit.Values[size_t(i)], edit.Strings);
    texts[size_t(at)] = a[4];
    TViewRecord view;
    view.Settings = &settings;
    std::vector<TSheetError> errors = ParseAttributeSheet(net, &view, edit, texts);
    if (!errors.empty()) {
        TPrintingSink sink;
        for (const TSheetError& e : errors) ShowMessageBox(sink, e.MessageId, 127, MB_EXCLAMATION_OK);
        return 1;
    }
    std::cout << "text " << AttributeValueText(cls->Attr(int(at)), edit.Values[size_t(at)], edit.Strings) << '\n';
    return 0;
}

int Form(const std::vector<std::string>& a)
{
    long form;
    double prev;
    if (a.size() < 3 || !Integer(a[0], form) || form < 1 || form > 7 || !Real(a[1], prev)) return Usage();
    std::vector<double> b, x;
    bool colon = false;
    for (size_t i = 2; i < a.size(); ++i) {
        if (a[i] == ":") {
            if (colon) return Usage();
            colon = true;
            continue;
        }
        double v;
        if (!Real(a[i], v)) return Usage();
        (colon ? x : b).push_back(v);
    }
    if (!colon || b.empty() || b.size() != x.size() + 1 || x.size() > size_t(MaxWorkSheetRow)) return Usage();
    x.insert(x.begin(), 0);
    double y = prev;
    if (FunctionalForm(int(form), b.data(), x.data(), int(b.size()) - 1, y)) {
        std::cout << "value " << Number(y) << '\n';
    } else {
        std::cout << "failed\n";
    }
    return 0;
}

int Date(const std::vector<std::string>& a)
{
    if (a.size() != 7 || a[0].size() != 1 || (a[0][0] != 'D' && a[0][0] != 'T' && a[0][0] != 'X')) return Usage();
    TDateFields f;
    for (int i = 0; i < 6; ++i) f[size_t(i)] = a[size_t(i) + 1];
    TValueSlot value;
    std::array<bool, 6> bad;
    if (!CheckDateFields(a[0][0], f, UnknownDateTime(), value, bad)) {
        TPrintingSink sink;
        ShowMessageBox(sink, MsgVariableError, 283, MB_EXCLAMATION_OK);
        std::cout << "refused\n";
        return 0;
    }
    std::cout << "text " << DateTimeText(value, false, DateTimeModeOfKind(a[0][0])) << '\n';
    return 0;
}

int Report(const std::vector<std::string>& a)
{
    if (a.size() < 3 || a.size() > 4 || (a.size() == 4 && a[3] != "nested")) return Usage();
    long serial;
    if (!Integer(a[2], serial) || (a[1] != "node" && a[1] != "link")) return Usage();
    TNetwork net;
    TWindowSettings settings;
    if (!Open(a[0], net, settings)) return 1;
    std::vector<std::string> lines;
    if (a[1] == "node") {
        TNode* n = NodeBySerial(net, serial);
        if (!n) return std::fprintf(stderr, "schema-tool: no node %ld\n", serial), 1;
        lines = NodePropertyLines(net, settings, *n);
        if (a.size() == 4)
            for (std::string& s : NodeNestednessLines(net, *n)) lines.push_back(std::move(s));
    } else {
        TLink* h = LinkAt(net, serial);
        if (!h) return std::fprintf(stderr, "schema-tool: no link %ld\n", serial), 1;
        lines = LinkPropertyLines(net, settings, *h);
        if (a.size() == 4)
            for (std::string& s : LinkNestednessLines(net, *h)) lines.push_back(std::move(s));
    }
    for (const std::string& s : lines) std::cout << s << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    std::vector<std::string> a(argv + 2, argv + argc);
    if (cmd == "apply") return Apply(a);
    if (cmd == "value") return Value(a);
    if (cmd == "form") return Form(a);
    if (cmd == "date") return Date(a);
    if (cmd == "report") return Report(a);
    return Usage();
}
