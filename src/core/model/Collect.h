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

    explicit TCollection(int32_t aLimit = 0, int32_t aDelta = 1) : Delta(aDelta) { SetLimit(aLimit); }
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;
    TCollection(TCollection&& o) noexcept
        : Items(o.Items), Limit(o.Limit), Delta(o.Delta), Count(o.Count), Borrowed(o.Borrowed)
    {
        o.Items = nullptr;
        o.Limit = 0;
        o.Count = 0;
        o.Borrowed = false;
    }
    TCollection& operator=(TCollection&& o) noexcept
    {
        if (this != &o) {
            if (!Borrowed) delete[] Items;
            Items = o.Items;
            Limit = o.Limit;
            Delta = o.Delta;
            Count = o.Count;
            Borrowed = o.Borrowed;
            o.Items = nullptr;
            o.Limit = 0;
            o.Count = 0;
            o.Borrowed = false;
        }
        return *this;
    }
    ~TCollection()
    {
        if (!Borrowed) delete[] Items;
    }

    // Takes room for limit items that someone else owns and frees (a
    // network's element store); an empty collection only. Growing past it
    // moves the items to an array of the collection's own.
    void Adopt(T** room, int32_t limit)
    {
        if (Count != 0 || !room || limit <= 0) return;
        if (!Borrowed) delete[] Items;
        Items = room;
        Limit = limit;
        Borrowed = true;
    }

    int32_t GetCount() const { return Count; }
    int32_t GetLimit() const { return Limit; }
    int32_t GetDelta() const { return Delta; }
    bool Empty() const { return Count == 0; }

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
        if (Count == Limit) {
            if (Delta == 0) CollectionError(-2, 0);
            SetLimit(Limit + Delta);
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
        if (newLimit == Limit) return;
        T** fresh = newLimit > 0 ? new T*[size_t(newLimit)] : nullptr;
        if (Count > 0 && fresh) std::memcpy(fresh, Items, sizeof(T*) * size_t(Count));
        if (!Borrowed) delete[] Items;
        Borrowed = false;
        Items = fresh;
        Limit = newLimit;
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
    T** Items = nullptr;
    int32_t Limit = 0;
    int32_t Delta = 0;
    int32_t Count = 0;
    bool Borrowed = false; // Items belong to someone else
};

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
