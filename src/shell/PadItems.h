// Where the program's features attach to the frame. The frame knows none of
// them: each feature enters its menu items, toolbar buttons and hooks here
// through one registering function of its own, and the program calls all of
// them once, after the frame is made and before its first window opens.
//
// The one table of the network window's menu items: for each item (by its
// objectName) the command it runs, the rule that enables it, the rule that
// checks it, and what the busy gate must let through for it to act.
//
// The window's menus only hold the items and their captions; every item's
// trigger runs the table's command. A feature adds its own items:
//
//     void RegisterSchemaItems(TZOKMainWindow& Main)
//     {
//         Main.PadItems.SetCommand("Nodes2", GateChange, [](TSketchPadWindow& p) { ... });
//     }
//
// and may give or replace an item's rule at any time. An item without a
// command stays disabled. The windows evaluate the rules after a file is
// read, after the definitions change, on creation and on activation, and
// after every command of the table.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/edit/EditingDispatch.h"
#include "shell/BusyGate.h"

class TSketchPadWindow;

struct TPadItem {
    std::function<void(TSketchPadWindow&)> Command;  // empty: not part of this build
    std::function<bool(TSketchPadWindow&)> Enabled;  // empty: enabled
    std::function<bool(TSketchPadWindow&)> Checked;  // empty: no check mark kept by the table
    TGateAccess Access = GateChange;
};

class TPadItemTable {
public:
    using TCommand = std::function<void(TSketchPadWindow&)>;
    using TRule = std::function<bool(TSketchPadWindow&)>;

    void SetCommand(const std::string& Name, TGateAccess Access, TCommand Command);
    void SetRule(const std::string& Name, TRule Enabled);
    void SetCheck(const std::string& Name, TRule Checked);
    const TPadItem* Find(const std::string& Name) const;
    std::vector<std::string> Names() const;

private:
    std::map<std::string, TPadItem> FItems;
};

// The commands of the main window's toolbar buttons that a feature serves
// (ToolbarButton1..14 of the "Labels" and "Widths and Sizes" toolbars). A
// click runs the command on the current window when the busy gate lets it
// through, then updates that network's items; a button without a command
// does nothing.
class TToolbarButtonTable {
public:
    using TCommand = std::function<void(TSketchPadWindow&)>;

    void SetCommand(int Button, TGateAccess Access, TCommand Command);
    // nullptr: no command for the button.
    const TPadItem* Find(int Button) const;

private:
    std::map<int, TPadItem> FButtons;
};

// What the frame hands to a feature outside the tables: a press of the
// mouse editing and the frame's own dialogs ask for dialogs that a feature
// owns, and one feature reaches another's dialog through here. An empty hook
// does nothing.
struct TFeatureHooks {
    // The element dialogs a press asked for (node, link, attribute sheet,
    // shape point long/lat); true when a dialog was shown.
    std::function<bool(TSketchPadWindow&, const TPressResult&)> OpenElementDialogs;
    // "Width Expressions": Kind 0 node sizes, 1 link widths, 2 desire lines.
    std::function<void(TSketchPadWindow&, int Kind)> OpenWidthExpressions;
    // "Compute Long/Lat" over the window's network (the Preferences button).
    std::function<void(TSketchPadWindow&)> ComputeLongLat;
};
