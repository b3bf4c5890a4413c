// label-items NET node|link CLASS: the "Select Label" items of class CLASS of
// the network file NET, one "INDEX<TAB>CODE<TAB>TEXT" a line, then the class's
// row of "Entity Labels" from the file's label settings:
// "row<TAB>FIRST<TAB>SECOND<TAB>FONT".
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/expr/LabelChoices.h"
#include "core/model/EntityClasses.h"
#include "driver_support.h"

int main(int argc, char** argv)
{
    const std::string kind = argc == 4 ? argv[2] : "";
    char* end = nullptr;
    const long cls = argc == 4 ? std::strtol(argv[3], &end, 10) : -1;
    if (argc != 4 || (kind != "node" && kind != "link") || !end || *end || end == argv[3] || cls < 0 ||
        cls > MaxClasses) {
        std::cerr << "usage: label-items NET node|link CLASS (0.." << MaxClasses << ")\n";
        return 2;
    }
    driver::TPrintingSink sink;
    TNetwork net;
    TWindowSettings window;
    if (!driver::OpenNetwork(net, window, argv[1], sink)) return 2;
    const bool nodes = kind == "node";
    const TClassRecord& rec = nodes ? (*net.NodeClasses)[int(cls)] : (*net.LinkClasses)[int(cls)];
    const auto items = SelectLabelItems(rec, nodes);
    for (size_t i = 0; i < items.size(); ++i) std::cout << i << '\t' << items[i].Code << '\t' << items[i].Text << '\n';
    const TLabelSettings& l = window.Labels;
    const auto& codes = nodes ? l.NodeLabelCodes[size_t(cls)] : l.LinkLabelCodes[size_t(cls)];
    const int32_t font = nodes ? l.NodeClassFont[size_t(cls)] : l.LinkClassFont[size_t(cls)];
    std::cout << "row\t" << LabelCodeCaption(rec, codes[1], nodes) << '\t' << LabelCodeCaption(rec, codes[2], nodes)
              << '\t' << FontSlotCaption(font) << '\n';
    return 0;
}
