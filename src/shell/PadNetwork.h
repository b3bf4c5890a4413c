// The network a sketch-pad window holds. A window that owns a network and all
// its views share one of these; whoever drops the last reference frees it.
#pragma once

#include <cstdint>
#include <memory>

struct TPadNetwork {
    int32_t NodeCount = 0;
    int32_t LinkCount = 0;
    int NodeClassCount = 0;
    int LinkClassCount = 0;
    int SystemAttributeCount = 0;

    // Nothing defined and nothing drawn: a fresh untitled window may give way
    // to the next one.
    bool IsEmpty() const
    {
        return NodeClassCount == 0 && LinkClassCount == 0 && SystemAttributeCount == 0 && NodeCount == 0;
    }
};
