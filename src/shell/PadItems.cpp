#include "shell/PadItems.h"

void TPadItemTable::SetCommand(const std::string& Name, TGateAccess Access, TCommand Command)
{
    TPadItem& i = FItems[Name];
    i.Command = std::move(Command);
    i.Access = Access;
}

void TPadItemTable::SetRule(const std::string& Name, TRule Enabled) { FItems[Name].Enabled = std::move(Enabled); }

void TPadItemTable::SetCheck(const std::string& Name, TRule Checked) { FItems[Name].Checked = std::move(Checked); }

const TPadItem* TPadItemTable::Find(const std::string& Name) const
{
    auto it = FItems.find(Name);
    return it == FItems.end() ? nullptr : &it->second;
}

std::vector<std::string> TPadItemTable::Names() const
{
    std::vector<std::string> r;
    r.reserve(FItems.size());
    for (const auto& [name, item] : FItems) r.push_back(name);
    return r;
}

void TToolbarButtonTable::SetCommand(int Button, TGateAccess Access, TCommand Command)
{
    TPadItem& b = FButtons[Button];
    b.Command = std::move(Command);
    b.Access = Access;
}

const TPadItem* TToolbarButtonTable::Find(int Button) const
{
    auto it = FButtons.find(Button);
    return it == FButtons.end() || !it->second.Command ? nullptr : &it->second;
}
