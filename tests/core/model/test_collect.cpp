#include "core/model/Collect.h"
#include "core/model/Compact.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Item {
    int key;
    static int alive;
    explicit Item(int k) : key(k) { ++alive; }
    ~Item() { --alive; }
};
int Item::alive = 0;

struct ByKey {
    using Key = int;
    static Key KeyOf(const Item* i) { return i->key; }
    static int Compare(Key a, Key b) { return a < b ? -1 : (a > b ? 1 : 0); }
};

using Sorted = TSortedCollection<Item, ByKey>;

std::string errorOf(auto&& f)
{
    try {
        f();
    } catch (const CollException& e) {
        return e.what();
    }
    return "";
}

TEST(Collections, IndexErrorsAndAppend)
{
    Item a(1), b(2);
    TCollection<Item> c(0, 2);
    c.Insert(&a);
    EXPECT_EQ(errorOf([&] { c.ItemAt(1); }), "Collection error; wrong index: 1");
    EXPECT_EQ(errorOf([&] { c.ItemAt(-1); }), "Collection error; wrong index: -1");
    EXPECT_EQ(errorOf([&] { c.PutAt(3, &b); }), "Collection error; wrong index: 3");
    EXPECT_EQ(errorOf([&] { c.InsertAt(2, &b); }), "Collection error; wrong index: 2");
    c.InsertAt(c.GetCount(), &b); // appends
    EXPECT_EQ(c.ItemAt(1), &b);
    Item absent(9);
    EXPECT_EQ(errorOf([&] { c.Remove(&absent); }), "Collection error; wrong index: -1");
}

TEST(Collections, DeleteMovesLaterItemsDown)
{
    Item a(1), b(2), d(3);
    TCollection<Item> c(4, 4);
    c.Insert(&a);
    c.Insert(&b);
    c.Insert(&d);
    c.DeleteAt(0);
    ASSERT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.ItemAt(0), &b);
    EXPECT_EQ(c.ItemAt(1), &d);
    c.DeleteAt(1);
    EXPECT_EQ(c.GetCount(), 1);
    EXPECT_EQ(c.ItemAt(0), &b);
}

TEST(Collections, GrowthOverflowAndUnderflow)
{
    Item a(1), b(2);
    TCollection<Item> fixed(1, 0);
    fixed.Insert(&a);
    EXPECT_EQ(errorOf([&] { fixed.Insert(&b); }), "Collection overflow - cannot grow!");
    EXPECT_EQ(fixed.GetCount(), 1);
    EXPECT_EQ(errorOf([&] { fixed.SetLimit(0); }), "Collection underflow - cannot shrink!");

    TCollection<Item> growing(0, 3);
    for (int i = 0; i < 7; ++i) growing.Insert(&a);
    EXPECT_EQ(growing.GetLimit(), 9);
}

// Limit, delta and the borrowed flag share one word: each keeps its value
// through growth, borrowed room and moves; borrowed room is never freed.
TEST(Collections, SixteenByteCollectionKeepsDeltaLimitAndBorrowedRoom)
{
    static_assert(sizeof(TCollection<Item>) == 16);
    Item a(1), b(2), c(3);
    for (int d : {0, 1, 2, 3, 4, 8, 15}) EXPECT_EQ(TCollection<Item>(0, d).GetDelta(), d);
    TCollection<Item> byEight(2, 8);
    for (int i = 0; i < 3; ++i) byEight.Insert(&a);
    EXPECT_EQ(byEight.GetLimit(), 10);
    EXPECT_EQ(byEight.GetDelta(), 8);

    // Borrowed room with a zero delta refuses to grow and keeps its items.
    Item* room[2] = {nullptr, nullptr};
    TCollection<Item> fixed(0, 0);
    fixed.Adopt(room, 2);
    fixed.Insert(&a);
    fixed.Insert(&b);
    EXPECT_EQ(errorOf([&] { fixed.Insert(&c); }), "Collection overflow - cannot grow!");
    EXPECT_TRUE(fixed.IsBorrowed());
    EXPECT_EQ(fixed.GetLimit(), 2);
    EXPECT_EQ(room[1], &b);

    // Outgrowing borrowed room moves the items to an array of the
    // collection's own (the room is left alone, and not freed at the end).
    Item* room2[2] = {nullptr, nullptr};
    TCollection<Item> grown(0, 1);
    grown.Adopt(room2, 2);
    grown.Insert(&a);
    grown.Insert(&b);
    grown.Insert(&c);
    EXPECT_FALSE(grown.IsBorrowed());
    EXPECT_EQ(grown.GetLimit(), 3);
    EXPECT_EQ(grown.GetDelta(), 1);
    EXPECT_EQ(grown.ItemAt(0), &a);
    EXPECT_EQ(grown.ItemAt(2), &c);

    // A move takes the room and the flag; the source is empty and keeps its delta.
    Item* room3[4] = {};
    TCollection<Item> lender(0, 4);
    lender.Adopt(room3, 4);
    lender.Insert(&c);
    TCollection<Item> taker(std::move(lender));
    EXPECT_TRUE(taker.IsBorrowed());
    EXPECT_EQ(taker.GetLimit(), 4);
    EXPECT_EQ(taker.GetDelta(), 4);
    EXPECT_EQ(taker.begin(), static_cast<Item* const*>(room3));
    EXPECT_EQ(lender.GetCount(), 0);
    EXPECT_EQ(lender.GetLimit(), 0);
    EXPECT_FALSE(lender.IsBorrowed());
    EXPECT_EQ(lender.GetDelta(), 4);
    grown = std::move(taker); // grown's own array is freed, the room is not
    EXPECT_TRUE(grown.IsBorrowed());
    EXPECT_EQ(grown.GetCount(), 1);
    EXPECT_EQ(grown.ItemAt(0), &c);

    // Moving to other room hands back the borrowed room it leaves.
    Item* room4[8] = {};
    Item** left = nullptr;
    int32_t leftLimit = 0;
    grown.MoveToRoom(room4, 8, left, leftLimit);
    EXPECT_EQ(left, static_cast<Item**>(room3));
    EXPECT_EQ(leftLimit, 4);
    EXPECT_EQ(grown.GetLimit(), 8);
    EXPECT_EQ(room4[0], &c);
    TCollection<Item> own(2, 1);
    own.Insert(&a);
    own.MoveToRoom(room2, 2, left, leftLimit); // an own array is freed, not handed back
    EXPECT_EQ(left, nullptr);
    EXPECT_EQ(room2[0], &a);
}

TEST(Collections, SortedSearchFindsFirstOfEqualKeys)
{
    std::vector<std::unique_ptr<Item>> items;
    Sorted dup(0, 4, true);
    for (int k : {5, 3, 1, 3}) {
        items.push_back(std::make_unique<Item>(k));
        dup.Insert(items.back().get());
    }
    int32_t i = -1;
    EXPECT_TRUE(dup.Search(3, i));
    EXPECT_EQ(i, 1);
    // The 3 inserted last went before the existing 3.
    EXPECT_EQ(dup.ItemAt(1), items[3].get());
    EXPECT_EQ(dup.IndexOf(items[1].get()), 2);
    EXPECT_FALSE(dup.Search(4, i));
    EXPECT_EQ(i, 3);

    Sorted empty(0, 1, false);
    EXPECT_FALSE(empty.Search(7, i));
    EXPECT_EQ(i, 0);

    Sorted unique(0, 4, false);
    Item x(3), y(3);
    EXPECT_TRUE(unique.Insert(&x));
    EXPECT_FALSE(unique.Insert(&y));
    EXPECT_EQ(unique.GetCount(), 1);
    EXPECT_EQ(unique.IndexOf(&y), 0); // the item with the equal key
}

TEST(Collections, WalksAndOwnership)
{
    TCollection<Item> c(0, 1);
    EXPECT_EQ(c.ForEachUntil([](Item*) { return true; }), nullptr);
    int before = Item::alive;
    for (int k = 1; k <= 3; ++k) c.Insert(new Item(k));
    EXPECT_EQ(c.ForEachUntil([](Item*) { return true; })->key, 1);
    EXPECT_EQ(c.LastMatch([](Item* i) { return i->key < 3; })->key, 2);
    EXPECT_EQ(c.FirstMatch([](Item* i) { return i->key > 9; }), nullptr);
    Item* second = c.ItemAt(1);
    c.FreeAndRemove(second);
    EXPECT_EQ(Item::alive, before + 2);
    std::unique_ptr<Item> keep0(c.ItemAt(0)), keep1(c.ItemAt(1));
    c.Clear(); // items stay alive
    EXPECT_EQ(Item::alive, before + 2);
    c.Insert(new Item(7));
    c.FreeAll();
    EXPECT_EQ(c.GetCount(), 0);
    EXPECT_EQ(Item::alive, before + 2);
}

} // namespace

// The one-pointer stand-ins of the element records read and change as the
// types they stand for: contents kept through growth, copies independent,
// an emptied member holding nothing.
TEST(Collections, CompactMembersActAsTheTypesTheyStandFor)
{
    TStringList s;
    EXPECT_TRUE(s.empty());
    s.resize(2);
    s.Set(1, "a value of thirty bytes in all");
    s.push_back("third");
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0], "");
    EXPECT_EQ(s[1], "a value of thirty bytes in all");
    TStringList copy = s;
    copy.Set(2, "changed");
    EXPECT_EQ(s[2], "third");
    s.resize(1);
    EXPECT_EQ(copy.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(copy),
              (std::vector<std::string>{"", "a value of thirty bytes in all", "changed"}));
    TStringList moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(moved.at(2), "changed");
    EXPECT_THROW(moved.at(3), std::out_of_range);
    moved = {"x"};
    EXPECT_EQ(moved, TStringList{"x"});

    Item a(1), b(2);
    TRareList<Item> l;
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(l.IndexOf(&a), -1);
    EXPECT_EQ(l.begin(), l.end());
    EXPECT_THROW(l.ItemAt(0), CollException);
    l.Insert(&a);
    l.InsertAt(0, &b);
    EXPECT_EQ(l.IndexOf(&a), 1);
    const TCollection<Item>& asCollection = l;
    EXPECT_EQ(asCollection.At(0), &b);
    l.Remove(&b);
    l.DeleteAt(0);
    EXPECT_TRUE(l.Empty());
    l.Insert(&b);
    EXPECT_EQ(l[0], &b);

    TRareText t;
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(t, "");
    t = std::string("line one&&");
    t += "line two";
    EXPECT_EQ(t.str(), "line one&&line two");
    TRareText u = t;
    t = "";
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(u, "line one&&line two");
}

// A name of up to 7 bytes is held in the text itself, a longer one in a block;
// every byte (NUL, CR, LF) is kept, and a view of the text points into it.
TEST(Collections, TextsKeepEveryByteInPlaceOrInABlock)
{
    for (std::size_t n = 0; n <= 12; ++n) {
        SCOPED_TRACE(n);
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += char(i % 3 == 1 ? '\0' : (i % 3 == 2 ? '\r' : 'a' + int(i)));
        if (n >= 4) s[3] = '\n';
        TText t(s);
        EXPECT_EQ(t.size(), n);
        EXPECT_EQ(t.empty(), n == 0);
        EXPECT_EQ(t.str(), s);
        EXPECT_EQ(std::string_view(t), std::string_view(s));
        EXPECT_EQ(t.IsInPlace(), n >= 1 && n <= 7);
        EXPECT_FALSE(t.IsStored());
        const std::string_view v = t;
        if (t.IsInPlace()) {
            const char* self = reinterpret_cast<const char*>(&t);
            EXPECT_TRUE(v.data() >= self && v.data() + v.size() <= self + sizeof t);
        }
        TText copy = t;
        EXPECT_EQ(copy, t);
        if (n > 7) {
            EXPECT_NE(copy.data(), t.data());
        }
        TText moved = std::move(copy);
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(moved.str(), s);
        t = std::string_view(t).substr(n / 2); // from its own bytes
        EXPECT_EQ(t.str(), s.substr(n / 2));
    }
    TText name("N123456");
    EXPECT_TRUE(name.IsInPlace());
    EXPECT_TRUE(name == "N123456" && name < std::string("N2") && name > std::string_view("M"));
    EXPECT_EQ(name.substr(1, 3), "123");
    EXPECT_EQ(name.find("34"), 3u);
    EXPECT_EQ(name[0], 'N');
    EXPECT_EQ("<" + name + ">", "<N123456>");
    std::string plain = name;
    EXPECT_EQ(plain, "N123456");
    name += "7";
    EXPECT_FALSE(name.IsInPlace());
    EXPECT_EQ(name, "N1234567");
    name.Edit([](std::string& s) { s.resize(2); });
    EXPECT_EQ(name, "N1");
    name.clear();
    EXPECT_TRUE(name.empty());
}

// A stored text lives in the store: a copy owns its bytes, a change makes a
// block of the text's own and leaves the store as it was, and nothing frees
// a stored block but the store.
TEST(Collections, StoredTextsAndStringValuesLeaveTheStoreUntouched)
{
    auto store = std::make_unique<TTextStore>();
    TText a, b, c;
    a.AssignStored("a name longer than seven", *store);
    b.AssignStored("short", *store);
    c.AssignStored("eight by", *store);
    EXPECT_TRUE(a.IsStored() && c.IsStored());
    EXPECT_TRUE(b.IsInPlace());
    EXPECT_EQ(store->ChunkCount(), 1u);
    const std::string_view before = a;
    TText copy = a;
    EXPECT_FALSE(copy.IsStored());
    TText moved = std::move(c);
    EXPECT_TRUE(moved.IsStored());
    a += " and more";
    EXPECT_FALSE(a.IsStored());
    EXPECT_EQ(a, "a name longer than seven and more");
    EXPECT_EQ(before, "a name longer than seven");
    b = moved; // stored into in place: an own block
    EXPECT_FALSE(b.IsStored());
    moved = "own text, long";
    EXPECT_FALSE(moved.IsStored());
    moved.AssignStored("stored again", *store);

    TStringList s;
    const std::vector<std::string> texts{"node 123456", "", "road"};
    s.AssignStored(texts.begin(), texts.end(), *store);
    EXPECT_TRUE(s.IsStored());
    EXPECT_EQ(std::vector<std::string>(s), texts);
    const std::string_view first = s[0];
    TStringList other = s; // values copied to another element
    EXPECT_FALSE(other.IsStored());
    EXPECT_EQ(other, s);
    s.Set(0, "changed");
    EXPECT_FALSE(s.IsStored());
    EXPECT_EQ(first, "node 123456");
    EXPECT_EQ(std::vector<std::string>(s), (std::vector<std::string>{"changed", "", "road"}));
    TStringList grown;
    grown.AssignStored(texts.begin(), texts.end(), *store);
    grown.resize(5, "new");
    EXPECT_EQ(std::vector<std::string>(grown), (std::vector<std::string>{"node 123456", "", "road", "new", "new"}));
    TStringList shrunk;
    shrunk.AssignStored(texts.begin(), texts.end(), *store);
    shrunk.resize(1);
    EXPECT_EQ(std::vector<std::string>(shrunk), (std::vector<std::string>{"node 123456"}));
    TStringList kept;
    kept.AssignStored(texts.begin(), texts.end(), *store);
    TStringList keptMoved = std::move(kept);
    EXPECT_TRUE(keptMoved.IsStored());

    // What was copied or changed outlives the store; what stays stored goes
    // with it, unfreed by its holders.
    store.reset();
    EXPECT_EQ(copy, "a name longer than seven");
    EXPECT_EQ(b, "eight by");
    EXPECT_EQ(other[0], "node 123456");
    EXPECT_EQ(other[2], "road");
    EXPECT_EQ(grown[4], "new");
    EXPECT_EQ(shrunk.at(0), "node 123456");
    moved = TText();
    keptMoved = TStringList();
}

// An 'S' value is held to the 30 bytes a network file keeps, whichever way it
// comes into an element: set, added, filled, read into the text storage.
TEST(Collections, StringValuesAreHeldToWhatTheFileKeeps)
{
    const std::string longer = "Martin Luther King Jr Drive South Side";
    const std::string held = longer.substr(0, 30);
    TStringList s(2);
    s.Set(0, longer);
    s.push_back(longer);
    s.resize(4, longer);
    EXPECT_EQ(std::vector<std::string>(s), (std::vector<std::string>{held, "", held, held}));
    s.assign(2, longer);
    EXPECT_EQ(s, (TStringList{held, held}));
    s = std::vector<std::string>{longer, "short"};
    EXPECT_EQ(s, (TStringList{held, "short"}));
    TTextStore store;
    const std::vector<std::string> texts{longer, "", std::string(300, 'x')};
    s.AssignStored(texts.begin(), texts.end(), store);
    EXPECT_EQ(std::vector<std::string>(s), (std::vector<std::string>{held, "", std::string(30, 'x')}));
}
