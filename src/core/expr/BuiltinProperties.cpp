#include "core/expr/BuiltinProperties.h"

#include "core/model/EntityClasses.h"

#include <vector>

namespace {

std::string Upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

BuiltinPropertyTable BuildTable()
{
    struct Row {
        int Entry;
        char Code;
        const char* Short;
        const char* Name;
    };
    static const Row rows[] = {
        {0, 'e', "CName", "Is a node"},
        {1, 'f', "Serial", "Internal serial number"},
        {2, 'k', "Entity", "Node entity type"},
        {3, 'l', "NLinks", "Number of attached links"},
        {4, 'm', "Area", "Polygon area"},
        {5, 's', "Vertices", "Number of vertices"},
        {6, 'x', "NodeX", "X coordinate"},
        {7, 'y', "NodeY", "Y coordinate"},
        {8, '@', "Perimeter", "Polygon perimeter"},
        {9, '$', "Chain", "Polygon open chain length"},
        {10, '^', "CentroidX", "X coordinate, polygon centroid"},
        {11, '_', "CentroidY", "Y coordinate, polygon centroid"},
        {12, '[', "Layer", "Layer"},
        {13, '|', "", "Latitude"},
        {14, '-', "Long", "Longitude"},
        {15, ';', "Elev", "Elevation"},
        {16, '~', "Orient", "Is polygon clockwise"},
        {17, 'r', "Order", "Order in polygon chain"},
        {20, 'e', "CName", "Is a node"},
        {21, 'g', "SerialA", "Internal serial number, A end"},
        {22, 'h', "SerialB", "Internal serial number, B end"},
        {23, 'i', "BNodeX", "X coordinate, B end"},
        {24, 'j', "BNodeY", "Y coordinate, B end"},
        {25, 'k', "Entity", "Link entity type"},
        {26, 'l', "Length", "Link length"},
        {27, 'p', "NNameA", "Node type A end"},
        {28, 'q', "NNameB", "Node type B end"},
        {29, 's', "Shapes", "Number of shape points"},
        {30, 'x', "ANodeX", "X coordinate, A end"},
        {31, 'y', "ANodeY", "Y coordinate, A end"},
        {32, '@', "Azimuth", "Azimuth in radians"},
    };
    BuiltinPropertyTable t;
    for (const Row& r : rows) {
        BuiltinProperty& p = t.Entries[r.Entry];
        p.Name = r.Name;
        p.Code = r.Code;
        p.ShortName = r.Short;
        p.ShortKey = Upper(r.Short);
    }
    t.PropertyCounts = {18, 13};
    return t;
}

} // namespace

const BuiltinProperty* BuiltinPropertyTable::FindShortName(int kind, std::string_view word) const
{
    int base = kind == 0 ? 0 : 20;
    for (int i = 0; i < PropertyCounts[kind == 0 ? 0 : 1]; ++i) {
        const BuiltinProperty& p = Entries[base + i];
        if (!p.ShortKey.empty() && p.ShortKey == word) return &p;
    }
    return nullptr;
}

const BuiltinPropertyTable& BuiltinProperties()
{
    static const BuiltinPropertyTable table = BuildTable();
    return table;
}

const std::array<ExtractField, 21> ExtractFieldList = {{
    {"Blank", "One blank (skipped) column"},
    {"Blnk3", "Three blank (skipped) columns"},
    {"Blnk10", "Ten blank (skipped) columns"},
    {"NName", "Node name (nodes only)"},
    {"LName", "Link name (links only)"},
    {"Zero", "Zero"},
    {"Size1", "Value of the first node size expression"},
    {"Size2", "Value of the second node size expression"},
    {"Width1", "Value of the first link width expression"},
    {"Width2", "Value of the second link width expression"},
    {"EName", "Entity type name"},
    {"PStyle", "Polygon style number (0 ... 40, nodes only)"},
    {"Font", "Label font code (0...10)"},
    {"Label1", "First label (0...110 if node; 0...107 if link)"},
    {"Label2", "Second label (0...110 if node; 0...107 if link)"},
    {"Place", "Label place (0...7)"},
    {"Suppress", "Label suppress (0..1)"},
    {"Note1", "First note line (up to 30 characters)"},
    {"Note2", "Second note line (up to 30 characters)"},
    {"Coord", "Coordinates of all polygon vertices (nodes only)"},
    {"Coord", "Coordinates of all shape points (links only)"},
}};

const std::array<LayoutKeyword, 34> NodeLayoutKeywords = {{
    {"ENTITY", 'K'}, {"BLANK", '{'}, {"NNAME", 'B'}, {"ZERO", '0'}, {"SIZE1", 'C'},
    {"SIZE2", ']'}, {"ENAME", 'D'}, {"CNAME", 'E'}, {"SERIAL", 'F'}, {"AREA", 'M'},
    {"PSTYLE", 'O'}, {"VERTICES", 'S'}, {"CHAIN", '$'}, {"PERIMETER", '@'}, {"LAYER", '['},
    {"FONT", 'T'}, {"LABEL1", 'U'}, {"LABEL2", 'V'}, {"PLACE", 'W'}, {"NODEX", 'X'},
    {"NODEY", 'Y'}, {"SUPPRESS", 'Z'}, {"NOTE1", '('}, {"NOTE2", ')'}, {"CENTROIDX", '^'},
    {"CENTROIDY", '_'}, {"LAT", '|'}, {"LONG", '-'}, {"ELEV", ';'}, {"ORIENT", '~'},
    {"COORD", '}'}, {"BLNK3", '+'}, {"BLNK10", '='}, {"NLINKS", 'L'},
}};

const std::array<LayoutKeyword, 29> LinkLayoutKeywords = {{
    {"ENTITY", 'K'}, {"BLANK", '{'}, {"LNAME", 'B'}, {"ZERO", '0'}, {"WIDTH1", 'C'},
    {"WIDTH2", ']'}, {"ENAME", 'D'}, {"SERIALA", 'G'}, {"SERIALB", 'H'}, {"BNODEX", 'I'},
    {"BNODEY", 'J'}, {"LENGTH", 'L'}, {"NNAMEA", 'P'}, {"NNAMEB", 'Q'}, {"SHAPES", 'S'},
    {"FONT", 'T'}, {"LABEL1", 'U'}, {"LABEL2", 'V'}, {"PLACE", 'W'}, {"ANODEX", 'X'},
    {"ANODEY", 'Y'}, {"SUPPRESS", 'Z'}, {"NOTE1", '('}, {"NOTE2", ')'}, {"COORD", '}'},
    {"CNAME", 'E'}, {"BLNK3", '+'}, {"BLNK10", '='}, {"AZIMUTH", '@'},
}};

std::string CompileRecordFormat(std::string_view text, const TEntityClass* classes, int classNo, int mode)
{
    // Keywords in matching order: the class's aliases, then the built-in words.
    std::vector<std::pair<std::string, std::string>> keys;
    if (classes && classNo >= 0 && classNo <= MaxClasses) {
        const TClassRecord& rec = (*classes)[classNo];
        for (int k = 1; k <= rec.AttributeCount && k <= MaxAttributes; ++k) {
            const TAttrib* a = rec.Attr(k);
            if (!a || a->Alias.empty()) continue;
            int s = ((k - 1) % 35) + 1;
            std::string code;
            code += k <= 35 ? 'a' : (k <= 70 ? 'b' : 'c');
            code += s <= 9 ? static_cast<char>('0' + s) : static_cast<char>('a' + s - 10);
            keys.emplace_back(Upper(a->Alias), code);
        }
    }
    auto addBuiltins = [&](const auto& list) {
        for (const LayoutKeyword& w : list) keys.emplace_back(w.Word, std::string{'X', w.Code});
    };
    if (mode == 0)
        addBuiltins(NodeLayoutKeywords);
    else
        addBuiltins(LinkLayoutKeywords);

    // Words are the runs between ',' and ':'; each is either replaced by its
    // code or spelled out with an "X" before each character.
    std::string result;
    size_t i = 0, n = text.size();
    while (i <= n) {
        size_t j = i;
        while (j < n && text[j] != ',' && text[j] != ':') ++j;
        std::string_view word = text.substr(i, j - i);
        std::string key = Upper(word);
        const std::string* code = nullptr;
        for (const auto& k : keys)
            if (!word.empty() && k.first == key) {
                code = &k.second;
                break;
            }
        if (code) {
            result += *code;
        } else {
            for (char c : word) {
                result += 'X';
                result += c;
            }
        }
        if (j < n && text[j] == ':') result += ':';
        i = j + 1;
    }
    if (result.size() > 255) result.resize(255);
    return result;
}
