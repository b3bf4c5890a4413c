// Entries by a 64-bit key in one open-addressed array: one probe run per
// look-up and no allocation per entry, where a std::unordered_map takes a
// node of its own for each and two or three dependent reads to reach it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// E has a uint64_t Key and bool Empty() const, true for a default-made E
// and false for every entry put in.
template <class E>
class TKeyTable {
public:
    E* Find(uint64_t key)
    {
        if (Count == 0) return nullptr;
        for (size_t i = Home(key);; i = Next(i)) {
            if (Slots[i].Empty()) return nullptr;
            if (Slots[i].Key == key) return &Slots[i];
        }
    }
    const E* Find(uint64_t key) const { return const_cast<TKeyTable*>(this)->Find(key); }
    // The entry of e's key: the one there (fresh false), or e put in. The
    // reference holds until the next Insert or Erase.
    E& Insert(const E& e, bool& fresh)
    {
        if ((Count + 1) * 4 > Slots.size() * 3) Grow(Slots.empty() ? 16 : Slots.size() * 2);
        size_t i = Home(e.Key);
        for (; !Slots[i].Empty(); i = Next(i))
            if (Slots[i].Key == e.Key) {
                fresh = false;
                return Slots[i];
            }
        fresh = true;
        ++Count;
        Slots[i] = e;
        return Slots[i];
    }
    void Erase(uint64_t key)
    {
        if (Count == 0) return;
        size_t i = Home(key);
        for (;; i = Next(i)) {
            if (Slots[i].Empty()) return;
            if (Slots[i].Key == key) break;
        }
        // Entries after the hole that could stand in it move back, so that
        // every entry stays reachable from its home without markers.
        for (size_t j = Next(i); !Slots[j].Empty(); j = Next(j)) {
            const size_t home = Home(Slots[j].Key);
            const bool stays = i <= j ? (home > i && home <= j) : (home > i || home <= j);
            if (stays) continue;
            Slots[i] = Slots[j];
            i = j;
        }
        Slots[i] = E{};
        --Count;
    }
    // Room for n entries without growing.
    void Reserve(size_t n)
    {
        size_t size = Slots.empty() ? 16 : Slots.size();
        while (n * 4 > size * 3) size *= 2;
        if (size != Slots.size()) Grow(size);
    }
    void Clear()
    {
        Slots = {};
        Count = 0;
        Shift = 64;
    }
    template <class Action>
    void ForEach(Action&& action) const
    {
        for (const E& e : Slots)
            if (!e.Empty()) action(e);
    }
    size_t size() const { return Count; }
    bool empty() const { return Count == 0; }
    size_t Bytes() const { return Slots.capacity() * sizeof(E); }

private:
    size_t Next(size_t i) const { return (i + 1) & (Slots.size() - 1); }
    // The key's bits mixed (keys made of two packed numbers, or addresses,
    // differ in few bits), then the top bits.
    size_t Home(uint64_t key) const
    {
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdull;
        key ^= key >> 33;
        return size_t((key * 0x9E3779B97F4A7C15ull) >> Shift);
    }
    void Grow(size_t size)
    {
        std::vector<E> old = std::move(Slots);
        Slots.assign(size, E{});
        Shift = 64u - unsigned(std::countr_zero(size));
        Count = 0;
        bool fresh = false;
        for (const E& e : old)
            if (!e.Empty()) Insert(e, fresh);
    }
    std::vector<E> Slots; // a power of two long, or empty
    size_t Count = 0;
    unsigned Shift = 64;
};
