#include "tools/ToolCommands.h"

#include <QLabel>

#include "core/expr/BuiltinProperties.h"
#include "core/model/Network.h"
#include "platform/Latin1.h"
#include "schema/SchemaCommands.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/BatchWindowHost.h"
#include "tools/ExtractDialog.h"
#include "tools/LoopDialog.h"
#include "tools/MarkShortestDialog.h"
#include "tools/OverlayAreaDialog.h"
#include "tools/PolygonCoverageDialog.h"
#include "tools/ShapeCommands.h"
#include "tools/ShapeFileComplexDialog.h"
#include "tools/Tiger2000Dialog.h"

namespace {

// The short name of a built-in property of the kind (0 nodes, 1 links).
std::string PropertyShortName(int kind, char code)
{
    const BuiltinPropertyTable& t = BuiltinProperties();
    for (int i = 0; i < t.PropertyCounts[size_t(kind)]; ++i) {
        const BuiltinProperty& p = t.PropertyNames(kind, i);
        if (p.Code == code) return p.ShortName;
    }
    return {};
}

} // namespace

void ShowExtractDialog(TSketchPadWindow& Pad, bool ForceDBase, bool ForceOnlyPolygons, int ShownFilter)
{
    TZOKMainWindow& main = Pad.Main;
    TExtractDB d(*Pad.Network, Pad.Settings, Pad.View, &Pad);
    d.ForceDBase = ForceDBase;
    d.ForceOnlyPolygons = ForceOnlyPolygons;
    d.ShownFilter = ShownFilter;
    d.FormShow(); // the controls as the flags set after creation say
    d.Boxes = main.Boxes;
    d.LastExtractFile = &Pad.View.LastExtractFile;
    // The formats are the window's own.
    d.ClearSaved = [&Pad] { Pad.View.Saved = 0; };
    d.NetworkUpdated = [&Pad, &main](const TUpdateResult& r) {
        // Points that moved are fitted into every window of the network.
        if (r.CoordinatesChanged) RefitNetworkWindows(Pad);
        main.InvalidateNetworkViews(Pad);
    };
    d.ShowProgress = [&main](const std::string& text) { main.Panels[4]->setText(Latin1(text)); };
    d.ShowHelp = [&main](int context) { main.ShowHelpTopic(context); };
    d.SelectAttribute = [&Pad](const TEntityClass& classes, int classNo, std::string& alias) {
        TSchemaContext ctx = SchemaContextOf(Pad);
        const int n = SelectAttribute(ctx, classes[classNo]);
        const TAttrib* a = n > 0 ? classes[classNo].Attr(n) : nullptr;
        if (!a) return false;
        alias = a->Alias;
        return !alias.empty();
    };
    d.SelectProperty = [&Pad](TPropertyList list, int kind, std::string& shortName) {
        TSchemaContext ctx = SchemaContextOf(Pad);
        const bool links = list == TPropertyList::LinkProperties || (list == TPropertyList::OtherItems && kind == 1);
        const char code = SelectProperty(ctx, links, list == TPropertyList::OtherItems);
        if (code == ' ') return false;
        shortName = PropertyShortName(links ? 1 : 0, code);
        return !shortName.empty();
    };
    main.ExecDialog(d);
}

void RegisterToolPadItems(TZOKMainWindow& Main)
{
    Main.PadItems.SetCommand("ExtractUpdate1", GateChange, [](TSketchPadWindow& p) { ShowExtractDialog(p); });
}

void RegisterToolItems(TZOKMainWindow& Main)
{
    CreateComplexShapeFileDB(Main);
    RegisterLoopPadItems(Main);
    RegisterOverlayPadItems(Main);
    RegisterPathPadItems(Main);
    RegisterCoveragePadItems(Main);
    RegisterToolPadItems(Main);
    RegisterShapePadItems(Main);
    RegisterTigerPadItems(Main);
    Main.Hooks.ComputeLongLat = ShowCalcLongLat;
}
