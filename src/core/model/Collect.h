// The network model's own pointer collections: a growable array of item
// pointers and a key-ordered variant with binary search. A collection owns its
// array, never its items: only FreeItem, FreeAll and FreeAndRemove free them.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

class CollException : public std::runtime_error {
public:
    explicit CollException(const std::string& msg) : std::runtime_error(msg) {}
};

template <class T>
class TCollection {
public:
    using Item = T;

    // The most items a collection holds (its array is then a gigabyte).
    static constexpr int32_t MaxLimit = (1 << 27) - 1;
    // Deltas above this grow by it (MakeRoom does the growth of long lists).
    static constexpr int32_t MaxDelta = 15;

    explicit TCollection(int32_t aLimit = 0, int32_t aDelta = 1)
    {
        SetDelta(aDelta);
        SetLimit(aLimit);
    }
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;
    TCollection(TCollection&& o) noexcept : Items(o.Items), Count(o.Count), Bits(o.Bits)
    {
        o.Items = nullptr;
        o.Count = 0;
        o.Bits &= DeltaMask; // limit 0, not borrowed
    }
    TCollection& operator=(TCollection&& o) noexcept
    {
        if (this != &o) {
            if (!Borrowed()) delete[] Items;
            Items = o.Items;
            Count = o.Count;
            Bits = o.Bits;
            o.Items = nullptr;
            o.Count = 0;
            o.Bits &= DeltaMask;
        }
        return *this;
    }
    ~TCollection()
    {
        if (!Borrowed()) delete[] Items;
    }

    // Takes room for limit items that someone else owns and frees (a
    // network's element store); an empty collection only. Growing past it
    // moves the items to an array of the collection's own.
    void Adopt(T** room, int32_t limit)
    {
        if (Count != 0 || !room || limit <= 0 || limit > MaxLimit) return;
        if (!Borrowed()) delete[] Items;
        Items = room;
        SetBits(limit, true);
    }
    // Moves the items to borrowed room of limit >= Count items. The room
    // left behind is returned through oldRoom / oldLimit when it was
    // borrowed (nullptr otherwise: an own array is freed here).
    void MoveToRoom(T** room, int32_t limit, T**& oldRoom, int32_t& oldLimit)
    {
        oldRoom = Borrowed() ? Items : nullptr;
        oldLimit = Borrowed() ? GetLimit() : 0;
        if (!room || limit < Count || limit > MaxLimit) CollectionError(-3, 0);
        if (Count > 0) std::memcpy(room, Items, sizeof(T*) * size_t(Count));
        if (!Borrowed()) delete[] Items;
        Items = room;
        SetBits(limit, true);
    }

    int32_t GetCount() const { return Count; }
    int32_t GetLimit() const { return int32_t(Bits & LimitMask); }
    int32_t GetDelta() const { return int32_t((Bits & DeltaMask) >> DeltaShift); }
    bool Empty() const { return Count == 0; }
    bool IsBorrowed() const { return Borrowed(); }

    T* ItemAt(int32_t index) const
    {
        if (index < 0 || index >= Count) CollectionError(-1, index);
        return Items[index];
    }
    T* operator[](int32_t index) const { return ItemAt(index); }
    // Unchecked access for hot loops whose index is already known to be valid.
    T* At(int32_t index) const { return Items[index]; }

    void PutAt(int32_t index, T* item)
    {
        if (index < 0 || index >= Count) CollectionError(-1, index);
        Items[index] = item;
    }

    void DeleteAt(int32_t index)
    {
        if (index < 0 || index >= Count) CollectionError(-1, index);
        std::memmove(Items + index, Items + index + 1, sizeof(T*) * size_t(Count - index - 1));
        --Count;
    }

    void InsertAt(int32_t index, T* item)
    {
        if (index < 0 || index > Count) CollectionError(-1, index);
        if (Count == GetLimit()) {
            if (GetDelta() == 0 || GetLimit() > MaxLimit - GetDelta()) CollectionError(-2, 0);
            SetLimit(GetLimit() + GetDelta());
        }
        std::memmove(Items + index + 1, Items + index, sizeof(T*) * size_t(Count - index));
        Items[index] = item;
        ++Count;
    }

    // Linear search by identity; -1 when absent.
    int32_t IndexOf(const T* item) const
    {
        for (int32_t i = 0; i < Count; ++i)
            if (Items[i] == item) return i;
        return -1;
    }

    void Insert(T* item) { InsertAt(Count, item); }

    void Remove(const T* item) { DeleteAt(IndexOf(item)); }

    void Clear() { Count = 0; }

    static void FreeItem(T* item) { delete item; }

    void FreeAndRemove(T* item)
    {
        Remove(item);
        FreeItem(item);
    }

    void FreeAll()
    {
        for (int32_t i = 0; i < Count; ++i) FreeItem(Items[i]);
        Count = 0;
    }

    void SetLimit(int32_t newLimit)
    {
        if (newLimit < Count) CollectionError(-3, 0);
        if (newLimit > MaxLimit) CollectionError(-2, 0);
        if (newLimit == GetLimit()) return;
        T** fresh = newLimit > 0 ? new T*[size_t(newLimit)] : nullptr;
        if (Count > 0 && fresh) std::memcpy(fresh, Items, sizeof(T*) * size_t(Count));
        if (!Borrowed()) delete[] Items;
        Items = fresh;
        SetBits(newLimit, false);
    }

    // Walks. Tests and actions are callables taking the item; walks return
    // what they find (nullptr when nothing).
    template <class Test>
    T* FirstMatch(Test&& test) const
    {
        for (int32_t i = 0; i < Count; ++i)
            if (test(Items[i])) return Items[i];
        return nullptr;
    }

    template <class Test>
    T* LastMatch(Test&& test) const
    {
        for (int32_t i = Count - 1; i >= 0; --i)
            if (test(Items[i])) return Items[i];
        return nullptr;
    }

    // Calls action on every item in index order until it returns true; the
    // item at which the walk stopped is returned.
    template <class Action>
    T* ForEachUntil(Action&& action) const
    {
        for (int32_t i = 0; i < Count; ++i)
            if (action(Items[i])) return Items[i];
        return nullptr;
    }

    template <class Action>
    void ForEach(Action&& action) const
    {
        for (int32_t i = 0; i < Count; ++i) action(Items[i]);
    }

    T* const* begin() const { return Items; }
    T* const* end() const { return Items + Count; }

    [[noreturn]] static void CollectionError(int32_t code, int32_t info)
    {
        switch (code) {
        case -1:
            throw CollException("Collection error; wrong index: " + std::to_string(info));
        case -2:
            throw CollException("Collection overflow - cannot grow!");
        default:
            throw CollException("Collection underflow - cannot shrink!");
        }
    }

protected:
    // Puts an array of the collection's own of limit items, holding count
    // items, in place of the present one.
    void TakeArray(T** fresh, int32_t limit, int32_t count)
    {
        if (limit > MaxLimit) CollectionError(-2, 0);
        if (!Borrowed()) delete[] Items;
        Items = fresh;
        Count = count;
        SetBits(limit, false);
    }

    T** Items = nullptr;
    int32_t Count = 0;

private:
    // Limit in the low 27 bits, then the delta in 4 bits, then whether the
    // items belong to someone else: one word, so that a collection is 16 bytes.
    static constexpr uint32_t LimitMask = (1u << 27) - 1;
    static constexpr int DeltaShift = 27;
    static constexpr uint32_t DeltaMask = 15u << DeltaShift;
    static constexpr uint32_t BorrowedBit = 1u << 31;
    bool Borrowed() const { return (Bits & BorrowedBit) != 0; }
    void SetBits(int32_t limit, bool borrowed)
    {
        Bits = (Bits & DeltaMask) | uint32_t(limit) | (borrowed ? BorrowedBit : 0u);
    }
    void SetDelta(int32_t delta)
    {
        delta = delta < 0 ? 0 : (delta > MaxDelta ? MaxDelta : delta);
        Bits = (Bits & ~DeltaMask) | (uint32_t(delta) << DeltaShift);
    }
    uint32_t Bits = 0;
};

static_assert(sizeof(TCollection<int>) == 16, "a collection is a pointer and two words");

// Finds an item by identity; Index receives its position.
template <class T>
bool FindItemIndex(const TCollection<T>& c, const T* item, int32_t& index)
{
    int32_t i = c.IndexOf(item);
    if (i < 0) return false;
    index = i;
    return true;
}

// Key-ordered collection. Policy supplies `Key`, `static Key KeyOf(const T*)`
// and `static int Compare(Key, Key)` (negative, 0, positive).
template <class T, class Policy>
class TSortedCollection : public TCollection<T> {
public:
    using Key = typename Policy::Key;
    using TCollection<T>::Count;
    using TCollection<T>::Items;

    TSortedCollection(int32_t aLimit = 0, int32_t aDelta = 1, bool duplicates = false)
        : TCollection<T>(aLimit, aDelta), Duplicates(duplicates) {}

    static Key KeyOf(const T* item) { return Policy::KeyOf(item); }
    static int Compare(Key a, Key b) { return Policy::Compare(a, b); }

    // Binary search; with Duplicates it finds the first of equal keys.
    // Index receives the position of the key or where it would go.
    bool Search(Key key, int32_t& index) const
    {
        int32_t l = 0, h = Count - 1;
        bool found = false;
        while (l <= h) {
            int32_t i = int32_t((uint32_t(l) + uint32_t(h)) >> 1);
            int c = Compare(KeyOf(Items[i]), key);
            if (c < 0) {
                l = i + 1;
            } else {
                h = i - 1;
                if (c == 0) {
                    found = true;
                    if (!Duplicates) l = i;
                }
            }
        }
        index = l;
        return found;
    }

    // Sorted insert: equal keys go before the existing equal ones; without
    // Duplicates an item whose key is present is not inserted.
    bool Insert(T* item)
    {
        int32_t i;
        if (Search(KeyOf(item), i) && !Duplicates) return false;
        this->InsertAt(i, item);
        return true;
    }

    // Sorted lookup of an item by identity; -1 when absent.
    int32_t IndexOf(const T* item) const
    {
        int32_t i;
        if (!Search(KeyOf(item), i)) return -1;
        if (Duplicates) {
            while (i < Count && Items[i] != item) ++i;
            return i < Count ? i : -1;
        }
        return i;
    }

    // Linear search and append of the base, kept reachable by name.
    int32_t LinearIndexOf(const T* item) const { return TCollection<T>::IndexOf(item); }
    void Append(T* item) { TCollection<T>::Insert(item); }

    bool Duplicates;
};
