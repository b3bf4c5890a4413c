// Small stand-ins for the members of every node, link and shape point: a
// note, a source code, a polygon list, a name, the string values. Each takes
// one pointer (or 8 bytes) in the element and keeps its contents in one block
// only when there are any, and reads like the type it stands for
// (std::string, TCollection, std::vector<std::string>).
#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <iterator>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/Collect.h"

// ---------------------------------------------------------------- text

// A text that is empty for most elements.
class TRareText {
public:
    TRareText() = default;
    TRareText(const std::string& s) { assign(s); }
    TRareText(std::string&& s) { assign(std::move(s)); }
    TRareText(const char* s) { assign(std::string(s)); }
    TRareText(const TRareText& o) { assign(o.str()); }
    TRareText(TRareText&&) noexcept = default;
    TRareText& operator=(const TRareText& o)
    {
        if (this != &o) assign(o.str());
        return *this;
    }
    TRareText& operator=(TRareText&&) noexcept = default;
    TRareText& operator=(const std::string& s)
    {
        assign(s);
        return *this;
    }
    TRareText& operator=(std::string&& s)
    {
        assign(std::move(s));
        return *this;
    }
    TRareText& operator=(std::string_view s)
    {
        assign(std::string(s));
        return *this;
    }
    TRareText& operator=(const char* s)
    {
        assign(std::string(s));
        return *this;
    }

    const std::string& str() const { return P ? *P : Nothing(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    bool empty() const { return !P; }
    std::size_t size() const { return P ? P->size() : 0; }
    std::size_t length() const { return size(); }
    const char* c_str() const { return str().c_str(); }
    const char* data() const { return str().data(); }
    char operator[](std::size_t i) const { return str()[i]; }
    std::string substr(std::size_t pos, std::size_t n = std::string::npos) const { return str().substr(pos, n); }
    std::size_t find(std::string_view s, std::size_t pos = 0) const { return str().find(s, pos); }
    void clear() { P.reset(); }
    // Changes in place (an empty result frees the text).
    template <class Change>
    void Edit(Change&& change)
    {
        std::string s = str();
        change(s);
        assign(std::move(s));
    }
    TRareText& operator+=(std::string_view s)
    {
        Edit([&](std::string& t) { t.append(s); });
        return *this;
    }

    friend bool operator==(const TRareText& a, const TRareText& b) { return a.str() == b.str(); }
    friend bool operator==(const TRareText& a, std::string_view b) { return a.str() == b; }
    friend bool operator==(const TRareText& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const TRareText& a, const char* b) { return a.str() == b; }
    friend std::string operator+(const TRareText& a, std::string_view b) { return a.str() + std::string(b); }
    friend std::string operator+(std::string_view a, const TRareText& b) { return std::string(a) + b.str(); }

private:
    void assign(std::string s)
    {
        if (s.empty())
            P.reset();
        else if (P)
            *P = std::move(s);
        else
            P = std::make_unique<std::string>(std::move(s));
    }
    static const std::string& Nothing()
    {
        static const std::string empty;
        return empty;
    }
    std::unique_ptr<std::string> P;
};

// ---------------------------------------------------------------- lists

// A pointer collection that is empty for most elements: no array and no
// bookkeeping until the first item comes. Reads as a TCollection; what gives
// a collection reference (MakeRoom, a const TCollection&) sees the real one.
template <class T>
class TRareList {
public:
    using Item = T;
    using TList = TCollection<T>;

    TRareList() = default;
    TRareList(int32_t, int32_t) {} // the limit and delta a collection would take
    TRareList(TRareList&&) noexcept = default;
    TRareList& operator=(TRareList&&) noexcept = default;
    TRareList& operator=(TList&& list)
    {
        if (list.GetCount() == 0)
            L.reset();
        else
            L = std::make_unique<TList>(std::move(list));
        return *this;
    }

    operator const TList&() const { return L ? *L : Nothing(); }
    // The collection itself, made when there is none.
    TList& Own()
    {
        if (!L) L = std::make_unique<TList>(0, 1);
        return *L;
    }

    int32_t GetCount() const { return L ? L->GetCount() : 0; }
    int32_t GetLimit() const { return L ? L->GetLimit() : 0; }
    bool Empty() const { return GetCount() == 0; }
    T* ItemAt(int32_t i) const { return static_cast<const TList&>(*this).ItemAt(i); }
    T* operator[](int32_t i) const { return ItemAt(i); }
    T* At(int32_t i) const { return L->At(i); }
    void PutAt(int32_t i, T* item) { Own().PutAt(i, item); }
    void DeleteAt(int32_t i)
    {
        Own().DeleteAt(i);
        if (L->GetCount() == 0) L.reset();
    }
    void InsertAt(int32_t i, T* item) { Own().InsertAt(i, item); }
    void Insert(T* item) { Own().Insert(item); }
    int32_t IndexOf(const T* item) const { return L ? L->IndexOf(item) : -1; }
    void Remove(const T* item) { DeleteAt(IndexOf(item)); }
    void Clear() { L.reset(); }
    void SetLimit(int32_t n)
    {
        if (n == 0 && GetCount() == 0)
            L.reset();
        else
            Own().SetLimit(n);
    }
    template <class Test>
    T* FirstMatch(Test&& test) const
    {
        return L ? L->FirstMatch(std::forward<Test>(test)) : nullptr;
    }
    template <class Test>
    T* LastMatch(Test&& test) const
    {
        return L ? L->LastMatch(std::forward<Test>(test)) : nullptr;
    }
    template <class Action>
    void ForEach(Action&& action) const
    {
        if (L) L->ForEach(std::forward<Action>(action));
    }
    T* const* begin() const { return L ? L->begin() : nullptr; }
    T* const* end() const { return L ? L->end() : nullptr; }

private:
    static const TList& Nothing()
    {
        static const TList empty(0, 1);
        return empty;
    }
    std::unique_ptr<TList> L;
};

// ---------------------------------------------------------------- text storage

// Room for the texts of one network's elements (names, string values), made
// in large chunks that are freed together, never one by one.
class TTextStore {
public:
    TTextStore() = default;
    TTextStore(const TTextStore&) = delete;
    TTextStore& operator=(const TTextStore&) = delete;
    ~TTextStore() { Release(); }

    // n bytes, aligned to 4.
    char* Make(std::size_t n)
    {
        n = (n + 3) & ~std::size_t(3);
        if (n > ChunkSize / 4) {
            // A large one gets a chunk of its own, kept before the one in use.
            Chunks.insert(Chunks.begin(), static_cast<char*>(::operator new(n)));
            return Chunks.front();
        }
        if (Used + n > ChunkSize) {
            Chunks.push_back(static_cast<char*>(::operator new(ChunkSize)));
            Used = 0;
        }
        char* p = Chunks.back() + Used;
        Used += n;
        return p;
    }
    void Release()
    {
        for (char* c : Chunks) ::operator delete(c);
        Chunks.clear();
        Used = ChunkSize;
    }
    // The chunks of other come here (this store's chunk in use stays last).
    void TakeOver(TTextStore& other)
    {
        Chunks.insert(Chunks.begin(), other.Chunks.begin(), other.Chunks.end());
        if (Chunks.size() == other.Chunks.size()) Used = other.Used;
        other.Chunks.clear();
        other.Used = ChunkSize;
    }
    std::size_t ChunkCount() const { return Chunks.size(); }

private:
    static constexpr std::size_t ChunkSize = std::size_t(1) << 16;
    std::vector<char*> Chunks;
    std::size_t Used = ChunkSize;
};

// ---------------------------------------------------------------- text

// What a text reads like, for the text types below (D gives view()): the
// reading side of a std::string.
template <class D>
class TTextReading {
public:
    std::string str() const { return std::string(V()); }
    operator std::string_view() const { return V(); }
    operator std::string() const { return str(); }
    bool empty() const { return V().empty(); }
    std::size_t size() const { return V().size(); }
    std::size_t length() const { return V().size(); }
    // Not terminated: read size() bytes.
    const char* data() const { return V().data(); }
    const char* begin() const { return V().data(); }
    const char* end() const { return V().data() + V().size(); }
    char operator[](std::size_t i) const { return V()[i]; }
    char front() const { return V().front(); }
    char back() const { return V().back(); }
    std::string substr(std::size_t pos, std::size_t n = std::string::npos) const
    {
        return std::string(V().substr(pos, n));
    }
    std::size_t find(std::string_view s, std::size_t pos = 0) const { return V().find(s, pos); }
    std::size_t find(char c, std::size_t pos = 0) const { return V().find(c, pos); }
    std::size_t rfind(std::string_view s, std::size_t pos = std::string::npos) const { return V().rfind(s, pos); }
    std::size_t rfind(char c, std::size_t pos = std::string::npos) const { return V().rfind(c, pos); }
    std::size_t find_first_of(std::string_view s, std::size_t pos = 0) const { return V().find_first_of(s, pos); }
    std::size_t find_first_not_of(std::string_view s, std::size_t pos = 0) const
    {
        return V().find_first_not_of(s, pos);
    }
    std::size_t find_last_not_of(std::string_view s, std::size_t pos = std::string::npos) const
    {
        return V().find_last_not_of(s, pos);
    }
    int compare(std::string_view s) const { return V().compare(s); }
    bool starts_with(std::string_view s) const { return V().starts_with(s); }

    friend bool operator==(const D& a, const D& b) { return a.view() == b.view(); }
    friend bool operator==(const D& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const D& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const D& a, const char* b) { return a.view() == b; }
    friend std::strong_ordering operator<=>(const D& a, const D& b) { return a.view() <=> b.view(); }
    friend std::strong_ordering operator<=>(const D& a, std::string_view b) { return a.view() <=> b; }
    friend std::strong_ordering operator<=>(const D& a, const std::string& b) { return a.view() <=> std::string_view(b); }
    friend std::strong_ordering operator<=>(const D& a, const char* b) { return a.view() <=> std::string_view(b); }
    friend std::string operator+(const D& a, const D& b) { return a.str().append(b.view()); }
    friend std::string operator+(const D& a, std::string_view b) { return a.str().append(b); }
    friend std::string operator+(std::string_view a, const D& b) { return std::string(a).append(b.view()); }
    friend std::string operator+(const D& a, const std::string& b) { return a.str().append(b); }
    friend std::string operator+(const std::string& a, const D& b) { return std::string(a).append(b.view()); }
    friend std::string operator+(const D& a, const char* b) { return a.str().append(b); }
    friend std::string operator+(const char* a, const D& b) { return std::string(a).append(b.view()); }
    friend std::string operator+(const D& a, char b) { return a.str() + b; }
    friend std::string operator+(char a, const D& b) { return a + b.str(); }
    friend std::ostream& operator<<(std::ostream& os, const D& t) { return os << t.view(); }

private:
    std::string_view V() const { return static_cast<const D&>(*this).view(); }
};

// A text in 8 bytes, for the names that every element has: empty (all bits
// zero), up to 7 bytes held in the 8 bytes themselves, or a pointer to a
// block of its length and bytes (and a terminating NUL), either a heap block
// of its own or one of a TTextStore. The lowest bits of the 8 bytes tell
// which: bit 0 set, held in place (the byte also keeps the length); bit 1
// set, a stored block, which goes with its store and is never freed here.
// A copy or a change always owns what it holds; a move keeps the form.
class TText : public TTextReading<TText> {
public:
    static constexpr std::size_t InPlace = 7;

    TText() = default;
    TText(std::string_view s) { Set(s); }
    TText(const std::string& s) { Set(s); }
    TText(const char* s) { Set(s); }
    TText(const TText& o) { Set(o.view()); }
    TText(TText&& o) noexcept : Bits(std::exchange(o.Bits, 0)) {}
    TText& operator=(const TText& o)
    {
        if (this != &o) Replace(o.view());
        return *this;
    }
    TText& operator=(TText&& o) noexcept
    {
        if (this != &o) {
            Free();
            Bits = std::exchange(o.Bits, 0);
        }
        return *this;
    }
    TText& operator=(std::string_view s)
    {
        Replace(s);
        return *this;
    }
    TText& operator=(const std::string& s) { return *this = std::string_view(s); }
    TText& operator=(const char* s) { return *this = std::string_view(s); }
    ~TText() { Free(); }

    std::string_view view() const
    {
        if (Bits & 1)
            return std::string_view(reinterpret_cast<const char*>(&Bits) + CharOffset, std::size_t((Bits & 0xFF) >> 1));
        if (!Bits) return {};
        const char* b = Block();
        uint32_t n;
        std::memcpy(&n, b, sizeof n);
        return std::string_view(b + sizeof n, n);
    }
    // Held in the network's text storage (tells the forms apart for tests).
    bool IsStored() const { return (Bits & 3) == 2; }
    bool IsInPlace() const { return Bits & 1; }

    void clear()
    {
        Free();
        Bits = 0;
    }
    // A text in store's room (a short one is held in place all the same).
    void AssignStored(std::string_view s, TTextStore& store)
    {
        if (s.size() <= InPlace) {
            Replace(s);
            return;
        }
        char* b = store.Make(sizeof(uint32_t) + s.size() + 1);
        Fill(b, s);
        Free();
        Bits = reinterpret_cast<uintptr_t>(b) | 2;
    }
    // Changes the text as a std::string.
    template <class Change>
    void Edit(Change&& change)
    {
        std::string s = str();
        change(s);
        Replace(s);
    }
    TText& operator+=(std::string_view s)
    {
        Replace(str().append(s));
        return *this;
    }
    TText& operator+=(char c)
    {
        Replace(str() + c);
        return *this;
    }

private:
    static_assert(sizeof(uintptr_t) == 8, "a text keeps a pointer in 8 bytes");
    static constexpr std::size_t CharOffset = std::endian::native == std::endian::little ? 1 : 0;
    const char* Block() const { return reinterpret_cast<const char*>(Bits & ~uintptr_t(3)); }
    static void Fill(char* b, std::string_view s)
    {
        const uint32_t n = uint32_t(s.size());
        std::memcpy(b, &n, sizeof n);
        if (n) std::memcpy(b + sizeof n, s.data(), n);
        b[sizeof n + n] = 0;
    }
    // s may lie in this text.
    void Replace(std::string_view s)
    {
        TText fresh(s);
        Free();
        Bits = std::exchange(fresh.Bits, 0);
    }
    void Set(std::string_view s)
    {
        if (s.empty()) {
            Bits = 0;
        } else if (s.size() <= InPlace) {
            uint64_t v = 0;
            std::memcpy(reinterpret_cast<char*>(&v) + CharOffset, s.data(), s.size());
            Bits = v | uint64_t((s.size() << 1) | 1);
        } else {
            if (s.size() > UINT32_MAX - 8) throw std::length_error("text too long");
            char* b = static_cast<char*>(::operator new(sizeof(uint32_t) + s.size() + 1));
            Fill(b, s);
            Bits = reinterpret_cast<uintptr_t>(b);
        }
    }
    void Free()
    {
        if (Bits && !(Bits & 3)) ::operator delete(const_cast<char*>(Block()));
    }
    uint64_t Bits = 0;
};
static_assert(sizeof(TText) == 8);

// ---------------------------------------------------------------- strings

// One string of a TStringList, read only (a change goes through the list).
class TTextRef : public TTextReading<TTextRef> {
public:
    explicit TTextRef(std::string_view v) : V(v) {}
    std::string_view view() const { return V; }

private:
    std::string_view V;
};

// The most bytes of an 'S' value: what the network file keeps of it.
constexpr std::size_t StringValueLength = 30;

// An 'S' value as it is held: its first StringValueLength bytes.
inline std::string_view StringValueText(std::string_view s) { return s.substr(0, StringValueLength); }

// The string values of an element ('S' attributes by StringIndex), in one
// pointer: a block of the count, the end offset of each string and the bytes,
// either a heap block of its own or one of a TTextStore (bit 0 of the pointer
// set), which goes with its store. Read by index as a TTextRef; every change
// (Set, resize, assign) makes a new block of its own, leaving a stored block
// untouched. A copy owns its block; a move keeps the form. Every value is
// held to StringValueLength bytes as it comes in (StringValueText), so what
// an element shows is what its file keeps, whichever way the value came.
class TStringList {
public:
    using value_type = std::string;
    using size_type = std::size_t;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TTextRef;
        const_iterator() = default;
        const_iterator(const TStringList* l, size_type i) : L(l), I(i) {}
        TTextRef operator*() const { return (*L)[I]; }
        const_iterator& operator++()
        {
            ++I;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator t = *this;
            ++I;
            return t;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.I == b.I; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return difference_type(a.I) - difference_type(b.I);
        }

    private:
        const TStringList* L = nullptr;
        size_type I = 0;
    };
    using iterator = const_iterator;

    TStringList() = default;
    TStringList(std::initializer_list<std::string_view> items) { assign(items.begin(), items.end()); }
    explicit TStringList(size_type n, std::string_view value = {}) { assign(n, value); }
    template <class It>
    TStringList(It first, It last)
    {
        assign(first, last);
    }
    TStringList(const TStringList& o) : B(o.B ? Copy(o.Block()) : 0) {}
    TStringList(const std::vector<std::string>& v) { assign(v.begin(), v.end()); }
    operator std::vector<std::string>() const { return std::vector<std::string>(begin(), end()); }
    TStringList(TStringList&& o) noexcept : B(std::exchange(o.B, 0)) {}
    TStringList& operator=(const TStringList& o)
    {
        if (this != &o) Take(o.B ? Copy(o.Block()) : 0);
        return *this;
    }
    TStringList& operator=(TStringList&& o) noexcept
    {
        if (this != &o) Take(std::exchange(o.B, 0));
        return *this;
    }
    TStringList& operator=(std::initializer_list<std::string_view> items)
    {
        assign(items.begin(), items.end());
        return *this;
    }
    TStringList& operator=(const std::vector<std::string>& v)
    {
        assign(v.begin(), v.end());
        return *this;
    }
    ~TStringList() { Take(0); }

    size_type size() const { return B ? Count(Block()) : 0; }
    bool empty() const { return size() == 0; }
    const TTextRef operator[](size_type i) const { return TTextRef(Item(Block(), i)); }
    const TTextRef at(size_type i) const
    {
        Check(i);
        return (*this)[i];
    }
    const TTextRef front() const { return (*this)[0]; }
    const TTextRef back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }
    // Held in the network's text storage (tells the forms apart for tests).
    bool IsStored() const { return B & 1; }

    // Value i becomes s.
    void Set(size_type i, std::string_view s)
    {
        Check(i);
        Rebuild(size(), [&](size_type k) { return k == i ? s : Item(Block(), k); });
    }
    void clear() { Take(0); }
    void resize(size_type n, std::string_view value = {})
    {
        if (n == size()) return;
        const size_type old = size();
        Rebuild(n, [&](size_type k) { return k < old ? Item(Block(), k) : value; });
    }
    void assign(size_type n, std::string_view value)
    {
        Rebuild(n, [&](size_type) { return value; });
    }
    template <class It>
    void assign(It first, It last)
    {
        std::vector<std::string_view> items;
        for (; first != last; ++first) items.push_back(std::string_view(*first));
        Rebuild(items.size(), [&](size_type k) { return items[k]; });
    }
    // The strings in store's room.
    template <class It>
    void AssignStored(It first, It last, TTextStore& store)
    {
        const size_type n = size_type(std::distance(first, last));
        if (n == 0) {
            Take(0);
            return;
        }
        std::size_t bytes = 0;
        for (It i = first; i != last; ++i) bytes += StringValueText(std::string_view(*i)).size();
        char* b = store.Make(Need(n, bytes));
        Fill(b, n, [&](size_type) { return std::string_view(*first++); });
        Take(reinterpret_cast<uintptr_t>(b) | 1);
    }
    void push_back(std::string_view s)
    {
        const size_type old = size();
        Rebuild(old + 1, [&](size_type k) { return k < old ? Item(Block(), k) : s; });
    }
    void pop_back() { resize(size() - 1); }
    void swap(TStringList& o) noexcept { std::swap(B, o.B); }

    friend bool operator==(const TStringList& a, const TStringList& b)
    {
        if (a.size() != b.size()) return false;
        for (size_type i = 0; i < a.size(); ++i)
            if (a[i].view() != b[i].view()) return false;
        return true;
    }
    friend std::ostream& operator<<(std::ostream& os, const TStringList& l)
    {
        os << '{';
        for (size_type i = 0; i < l.size(); ++i) os << (i ? ", \"" : "\"") << l[i].view() << '"';
        return os << '}';
    }

private:
    // Block: uint32 count, uint32 end offset of each string, the bytes.
    const char* Block() const { return reinterpret_cast<const char*>(B & ~uintptr_t(1)); }
    static uint32_t Word(const char* b, size_type i)
    {
        uint32_t w;
        std::memcpy(&w, b + i * sizeof w, sizeof w);
        return w;
    }
    static size_type Count(const char* b) { return Word(b, 0); }
    static std::string_view Item(const char* b, size_type i)
    {
        const size_type n = Count(b);
        const char* bytes = b + (n + 1) * sizeof(uint32_t);
        const uint32_t from = i ? Word(b, i) : 0;
        return std::string_view(bytes + from, Word(b, i + 1) - from);
    }
    static std::size_t Need(size_type n, std::size_t bytes)
    {
        if (n > UINT32_MAX / 8 || bytes > UINT32_MAX / 2) throw std::length_error("string values too long");
        return (n + 1) * sizeof(uint32_t) + bytes;
    }
    static std::size_t Size(const char* b)
    {
        const size_type n = Count(b);
        return (n + 1) * sizeof(uint32_t) + (n ? Word(b, n) : 0);
    }
    template <class Get>
    static void Fill(char* b, size_type n, Get&& get)
    {
        const uint32_t count = uint32_t(n);
        std::memcpy(b, &count, sizeof count);
        char* bytes = b + (n + 1) * sizeof(uint32_t);
        uint32_t end = 0;
        for (size_type k = 0; k < n; ++k) {
            const std::string_view s = StringValueText(get(k));
            if (!s.empty()) std::memcpy(bytes + end, s.data(), s.size());
            end += uint32_t(s.size());
            std::memcpy(b + (k + 1) * sizeof end, &end, sizeof end);
        }
    }
    static uintptr_t Copy(const char* b)
    {
        const std::size_t n = Size(b);
        char* fresh = static_cast<char*>(::operator new(n));
        std::memcpy(fresh, b, n);
        return reinterpret_cast<uintptr_t>(fresh);
    }
    // A new own block of n strings, get(k) giving each (it may read the old
    // block, which goes only after).
    template <class Get>
    void Rebuild(size_type n, Get&& get)
    {
        if (n == 0) {
            Take(0);
            return;
        }
        std::size_t bytes = 0;
        for (size_type k = 0; k < n; ++k) bytes += StringValueText(get(k)).size();
        char* fresh = static_cast<char*>(::operator new(Need(n, bytes)));
        Fill(fresh, n, get);
        Take(reinterpret_cast<uintptr_t>(fresh));
    }
    void Take(uintptr_t b)
    {
        if (B && !(B & 1)) ::operator delete(const_cast<char*>(Block()));
        B = b;
    }
    void Check(size_type i) const
    {
        if (i >= size()) throw std::out_of_range("string value index");
    }
    uintptr_t B = 0;
};
static_assert(sizeof(TStringList) == sizeof(void*));
