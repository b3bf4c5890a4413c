// Filing into crowded cells: points wait beside a long cell list and are
// merged at the next read, in exactly the order of one sorted insert each.
#include <gtest/gtest.h>

#include <random>

#include "core/model/Network.h"

TEST(HashFiling, CrowdedCellsKeepTheOrderOfSortedInserts)
{
    std::mt19937 random(11);
    THashTable table(200, 200);
    THashEntry* cell = table.FindOrAddCell(0, 0);
    TSortedCollection<TNetworkPoint, TNodeListPolicy> reference(4, 4, true);
    std::vector<TShapePoint*> points;
    auto same = [&] {
        if (cell->Points.GetCount() != reference.GetCount()) return false;
        for (int32_t i = 0; i < reference.GetCount(); ++i)
            if (cell->Points.At(i) != reference.At(i)) return false;
        return true;
    };
    for (int i = 0; i < 30000; ++i) {
        // A small square: most positions hold several points.
        auto* p = new TShapePoint(int32_t(random() % 60), int32_t(random() % 60), 0, 0);
        points.push_back(p);
        table.InsertPoint(cell, p);
        reference.Insert(p);
        EXPECT_EQ(cell->Points.GetCount(), reference.GetCount());
        if (i % 4999 == 0) {
            // A read in the middle of the step sees the whole order.
            int32_t at = -1, want = -1;
            const uint64_t key = p->PointKey();
            cell->Points.Search(key, at);
            reference.Search(key, want);
            EXPECT_EQ(at, want);
            EXPECT_EQ(cell->Points.At(at), p); // before the points of equal key filed earlier
        }
        if (i == 20000) {
            // A removal, and an insert that does not wait.
            ASSERT_TRUE(table.RemovePoint(cell, points[77]));
            reference.DeleteAt(reference.IndexOf(points[77]));
            ASSERT_TRUE(same());
        }
    }
    EXPECT_EQ(table.MaxCellPointCount(), reference.GetCount());
    EXPECT_TRUE(same());
    // A read after every few inserts (an edit, then a pick).
    for (int i = 0; i < 40; ++i) {
        for (int k = 0; k <= i % 3; ++k) {
            auto* p = new TShapePoint(int32_t(random() % 60), int32_t(random() % 60), 0, 0);
            points.push_back(p);
            table.InsertPoint(cell, p);
            reference.Insert(p);
        }
        ASSERT_TRUE(same()) << i;
    }
    for (TShapePoint* p : points) delete p;
}
