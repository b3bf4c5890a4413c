// The user trip tables of a window: node-to-node values the drawing shows as
// desire lines. A table names its row and column nodes of the window's
// network and holds one value per row and column.
//
// The tables point at nodes, so they belong to one network: Generation is the
// network's generation when they were read, and tables whose generation
// differs from the network's are stale (the network was freed or replaced)
// and stand for nothing. Deleted nodes stay in the network until it is
// freed; their lines are not drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TNode;
class TNetwork;

struct TDesireTable {
    std::vector<const TNode*> Rows;
    std::vector<const TNode*> Columns;
    std::vector<double> Values; // row by row: Values[r * Columns.size() + c]

    double Value(std::size_t row, std::size_t column) const { return Values[row * Columns.size() + column]; }
};

struct TDesireTables {
    std::vector<TDesireTable> Tables;
    uint64_t Generation = 0; // of the network the nodes belong to

    // The tables name nodes of net as it is now.
    bool BelongTo(const TNetwork& net) const;
};

// Loaded tables never change: a window and the views made from it share them.
using TSharedDesireTables = std::shared_ptr<const TDesireTables>;
