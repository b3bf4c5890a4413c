// Reads arbitrary bytes as a Calculate program file; a program it accepts
// runs on a small network, stopped after a budget of steps.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/calc/CalcProgram.h"
#include "core/calc/CalcRun.h"
#include "core/model/Network.h"

namespace {

// Stops the run after a fixed number of event breaks (one per element).
class TBudgetHost : public TCalcHost {
public:
    explicit TBudgetHost(TCalcFlags& flags) : Flags(flags) {}
    void ProcessMessages() override
    {
        if (++Steps >= 400) Flags.CalcStop = 1;
    }

private:
    TCalcFlags& Flags;
    int Steps = 0;
};

void AddClass(TEntityClass& classes, const char* name)
{
    classes[1].Name = name;
    for (int i = 1; i <= 3; ++i) {
        classes[1].Attributes[i] = std::make_unique<TAttrib>();
        classes[1].Attributes[i]->Name = std::string("A") + char('0' + i);
        classes[1].Attributes[i]->Kind = i == 3 ? 'S' : 'R';
    }
    classes[1].AttributeCount = 3;
    NumberStringAttributes(classes);
}

// Five nodes in a ring with a spoke, two shape points, one polygon.
void SmallNetwork(TNetwork& net)
{
    AddClass(*net.NodeClasses, "Zone");
    AddClass(*net.LinkClasses, "Road");
    net.TemplateNode.EntityType = 1;
    net.TemplateLinkValues.EntityType = 1;
    TNode* n[5];
    const int32_t xy[5][2] = {{0, 0}, {400, 0}, {400, 300}, {0, 300}, {200, 150}};
    for (int i = 0; i < 5; ++i) {
        THashEntry* cell = nullptr;
        n[i] = AddNode(net, xy[i][0], xy[i][1], cell, true, 3);
        n[i]->Values[0].SetReal(i + 1);
        n[i]->Strings.assign(1, "N");
    }
    for (int i = 0; i < 5; ++i) {
        TLink *a = nullptr, *b = nullptr;
        AddLink(net, n[i], n[(i + 1) % 5], true, 3, a, b)->Strings.assign(1, "L");
        if (i == 1) AddShapePoint(net, 450, 150, 0, a);
    }
    for (int i = 0; i < 4; ++i) {
        n[4]->OwnPolygonRef().Insert(n[i]);
        net.PolygonsRef(n[i]).Insert(n[4]);
    }
    UpdateNodePolygonBox(net, n[4]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCalcProgram program;
    std::string error;
    if (!ReadProgramText(std::string(reinterpret_cast<const char*>(data), size), program, error)) return 0;
    TNetwork net;
    SmallNetwork(net);
    TCalcFlags flags;
    TBudgetHost host(flags);
    TCalcRunOptions options;
    options.EventIntervalMs = 0;
    RunCalculation(net, program, flags, host, {}, DefaultCalcEditOps(), options);
    return 0;
}
