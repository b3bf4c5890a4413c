// A small world for expression tests: classes with aliases, system
// attributes, and elements whose built-in properties come from a table.
#pragma once

#include "core/expr/Expression.h"
#include "core/model/EntityClasses.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace exprtest {

struct FakeElement {
    int Class = 1;
    std::map<char, double> Numbers;
    std::string Name, Note1, Note2;
};

class FakeProperties : public IElementProperties {
public:
    static const FakeElement& Of(const void* p) { return *static_cast<const FakeElement*>(p); }
    bool Read(const FakeElement& e, char code, TPropertyValue& out) const
    {
        if (code == 'K') {
            out.Value = e.Class;
            return true;
        }
        if (code == 'B') return out.IsText = true, out.Text = e.Name, true;
        if (code == '(') return out.IsText = true, out.Text = e.Note1, true;
        if (code == ')') return out.IsText = true, out.Text = e.Note2, true;
        auto it = e.Numbers.find(code);
        if (it == e.Numbers.end()) return false;
        out.Value = it->second;
        return true;
    }
    bool NodeProperty(const TNode& node, char code, TPropertyValue& out) const override
    {
        return Read(Of(&node), code, out);
    }
    bool LinkProperty(const TLink& link, char code, TPropertyValue& out) const override
    {
        return Read(Of(&link), code, out);
    }
};

inline TExprElement NodeOf(const FakeElement& e)
{
    TExprElement x;
    x.Node = reinterpret_cast<const TNode*>(&e);
    return x;
}
inline TExprElement LinkOf(const FakeElement& e)
{
    TExprElement x;
    x.Link = reinterpret_cast<const TLink*>(&e);
    return x;
}

inline TAttrib& AddAttribute(TClassRecord& rec, char kind, const std::string& alias, int topRow = 0)
{
    int k = ++rec.AttributeCount;
    rec.Attributes[k] = std::make_unique<TAttrib>();
    TAttrib& a = *rec.Attributes[k];
    a.Kind = kind;
    a.Alias = alias;
    a.AliasKey = alias;
    for (char& c : a.AliasKey)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    a.TopRow = topRow;
    return a;
}

inline double Packed(const char* bytes8)
{
    double d;
    std::memcpy(&d, bytes8, 8);
    return d;
}

inline double PackedDate(int year, int month, int day, int hour = 255, int minute = 255, int second = 255)
{
    uint8_t b[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int16_t y = static_cast<int16_t>(year == 0 ? 30000 : year - 1900);
    std::memcpy(b, &y, 2);
    b[2] = static_cast<uint8_t>(month);
    b[3] = static_cast<uint8_t>(day);
    b[4] = static_cast<uint8_t>(hour);
    b[5] = static_cast<uint8_t>(minute);
    b[6] = static_cast<uint8_t>(second);
    double d;
    std::memcpy(&d, b, 8);
    return d;
}

struct World {
    TEntityClass NodeClasses, LinkClasses, SystemClass;
    std::array<TValueSlot, ExprSlots> SystemValues{};
    TStringList SystemStrings;
    std::array<int32_t, 11> Layers{};
    FakeProperties Properties;
    std::mt19937_64 Random{12345};
    TExprEnvironment Env;

    World()
    {
        Env.NodeClasses = &NodeClasses;
        Env.LinkClasses = &LinkClasses;
        Env.SystemClass = &SystemClass;
        Env.SystemValues = SystemValues.data();
        Env.SystemStrings = &SystemStrings;
        Env.LayerStates = Layers.data();
        Env.ZoomIndex = 13;
        Env.Properties = &Properties;
        Env.Random = &Random;
    }
    // System attribute k of kind 'S' gets the value s.
    void SetSystemString(int k, const std::string& s)
    {
        TAttrib* a = SystemClass[1].Attr(k);
        if (SystemStrings.size() <= a->StringIndex) SystemStrings.resize(a->StringIndex + 1u);
        SystemStrings.Set(a->StringIndex, s);
    }
};

inline double Eval(const World& w, const std::string& text, int32_t& err, const ExpressionContext& ctx = {},
                   const TExprElement& el = {}, const ExprStrings& strings = {})
{
    std::string t = text;
    return EvaluateExpression(t, err, ctx, strings, el, w.Env);
}

} // namespace exprtest
