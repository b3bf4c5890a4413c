// Expressions over a network: the built-in properties read from the model,
// the environment of one network and view, and the context of one element.
#pragma once

#include "core/expr/Expression.h"
#include "core/model/Network.h"

#include <random>
#include <string>

// Built-in properties of nodes and links (operands N? and L?).
class TModelProperties : public IElementProperties {
public:
    // Lengths and areas in the units of unitsFactor (the window's).
    TModelProperties(const TNetwork& net, double unitsFactor) : Net(net), UnitsFactor(unitsFactor) {}
    bool NodeProperty(const TNode& node, char code, TPropertyValue& out) const override;
    bool LinkProperty(const TLink& link, char code, TPropertyValue& out) const override;

    // While an element's entity dialog is open, its note lines come from the
    // dialog's note editor.
    const TNode* NoteNode = nullptr;
    const TLinkValues* NoteLink = nullptr;
    std::string NoteText;

private:
    const TNetwork& Net;
    double UnitsFactor;
};

// Everything an expression reads from one network and (optionally) one view.
// Holds pointers into the network (system values and strings are read live)
// and the layer states of the view's window settings; lengths and areas are in
// that window's units (1 without a view). Rebuild it when the classes are
// replaced or the zoom level changes.
class TExprBinding {
public:
    TExprBinding(const TNetwork& net, const TViewRecord* view, std::mt19937_64* random);
    TExprBinding(const TExprBinding&) = delete;
    TExprBinding& operator=(const TExprBinding&) = delete;

    TModelProperties Properties;
    TExprEnvironment Env;
};

// Note line 1 or 2 of a note whose lines are joined by "&&", as a view.
std::string_view NoteLineView(std::string_view note, int lineNo);

// Kinds of the attribute slots of a class for style, label and search
// expressions: C its code positions, D, T, X 16, I and R 0, S 19.
std::array<int32_t, ExprSlots> ClassKinds(const TClassRecord* cls);

// Fills Values[0..100] and the string values of one element; slots beyond
// the element's block are 0. A0 holds a node's layer. A caller that reuses
// one context over many elements may pass Filled (start at 100): the highest
// slot that may be non-zero, so that only those are cleared next time.
void FillNodeContext(const TNetwork& net, const TNode& node, ExpressionContext& ctx, ExprStrings& strings,
                     int* filled = nullptr);
void FillLinkContext(const TNetwork& net, const TLinkValues& link, ExpressionContext& ctx, ExprStrings& strings,
                     int* filled = nullptr);
