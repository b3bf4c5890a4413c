// The one table of the network window's menu items: for each item (by its
// objectName) the command it runs, the rule that enables it, the rule that
// checks it, and what the busy gate must let through for it to act.
//
// The window's menus only hold the items and their captions; every item's
// trigger runs the table's command. Subsystems add their own items through
// their own small registering functions:
//
//     void RegisterSchemaPadItems(TPadItemTable& t)
//     {
//         t.SetCommand("Nodes2", GateChange, [](TSketchPadWindow& p) { ... });
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
