// Small stand-ins for the members that every node, link and shape point has
// but that few of them fill: a note, a source code, a polygon list, the
// string values. Each takes one pointer in the element and keeps its contents
// in one heap block only when there are any, and reads like the type it
// stands for (std::string, TCollection, std::vector<std::string>).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <iterator>
#include <new>
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

// ---------------------------------------------------------------- strings

// The string values of an element ('S' attributes by StringIndex): a vector
// of strings in one pointer, its count and its strings in one heap block.
class TStringList {
public:
    using value_type = std::string;
    using size_type = std::size_t;
    using iterator = std::string*;
    using const_iterator = const std::string*;

    TStringList() = default;
    TStringList(std::initializer_list<std::string> items) { assign(items.begin(), items.end()); }
    TStringList(size_type n, const std::string& value = {}) { assign(n, value); }
    template <class It>
    TStringList(It first, It last)
    {
        assign(first, last);
    }
    TStringList(const TStringList& o) { assign(o.begin(), o.end()); }
    TStringList(const std::vector<std::string>& v) { assign(v.begin(), v.end()); }
    TStringList(std::vector<std::string>&& v)
    {
        resize(v.size());
        for (size_type i = 0; i < v.size(); ++i) (*this)[i] = std::move(v[i]);
    }
    operator std::vector<std::string>() const { return std::vector<std::string>(begin(), end()); }
    TStringList(TStringList&& o) noexcept : B(std::exchange(o.B, nullptr)) {}
    TStringList& operator=(const TStringList& o)
    {
        if (this != &o) assign(o.begin(), o.end());
        return *this;
    }
    TStringList& operator=(TStringList&& o) noexcept
    {
        if (this != &o) {
            Free();
            B = std::exchange(o.B, nullptr);
        }
        return *this;
    }
    TStringList& operator=(std::initializer_list<std::string> items)
    {
        assign(items.begin(), items.end());
        return *this;
    }
    ~TStringList() { Free(); }

    size_type size() const { return B ? B->Count : 0; }
    bool empty() const { return size() == 0; }
    std::string* data() { return B ? B->Items() : nullptr; }
    const std::string* data() const { return B ? B->Items() : nullptr; }
    iterator begin() { return data(); }
    iterator end() { return data() + size(); }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size(); }
    std::string& operator[](size_type i) { return B->Items()[i]; }
    const std::string& operator[](size_type i) const { return B->Items()[i]; }
    std::string& at(size_type i)
    {
        Check(i);
        return B->Items()[i];
    }
    const std::string& at(size_type i) const
    {
        Check(i);
        return B->Items()[i];
    }
    std::string& front() { return (*this)[0]; }
    const std::string& front() const { return (*this)[0]; }
    std::string& back() { return (*this)[size() - 1]; }
    const std::string& back() const { return (*this)[size() - 1]; }

    void clear() { Free(); }
    void resize(size_type n, const std::string& value = {})
    {
        if (n == size()) return;
        if (n == 0) {
            Free();
            return;
        }
        TBlock* fresh = Make(n);
        const size_type keep = std::min(n, size());
        size_type i = 0;
        try {
            for (; i < keep; ++i) new (fresh->Items() + i) std::string(std::move(B->Items()[i]));
            for (; i < n; ++i) new (fresh->Items() + i) std::string(value);
        } catch (...) {
            Destroy(fresh, i);
            throw;
        }
        fresh->Count = uint32_t(n);
        Free();
        B = fresh;
    }
    void assign(size_type n, const std::string& value)
    {
        Free();
        resize(n, value);
    }
    template <class It>
    void assign(It first, It last)
    {
        const size_type n = size_type(std::distance(first, last));
        TBlock* fresh = n ? Make(n) : nullptr;
        size_type i = 0;
        try {
            for (; first != last; ++first, ++i) new (fresh->Items() + i) std::string(*first);
        } catch (...) {
            Destroy(fresh, i);
            throw;
        }
        if (fresh) fresh->Count = uint32_t(n);
        Free();
        B = fresh;
    }
    void assign(std::initializer_list<std::string> items) { assign(items.begin(), items.end()); }
    void push_back(std::string s)
    {
        resize(size() + 1);
        back() = std::move(s);
    }
    void pop_back() { resize(size() - 1); }
    void swap(TStringList& o) noexcept { std::swap(B, o.B); }

    friend bool operator==(const TStringList& a, const TStringList& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    struct alignas(std::string) TBlock {
        uint32_t Count = 0;
        std::string* Items() { return reinterpret_cast<std::string*>(this + 1); }
    };
    static TBlock* Make(size_type n)
    {
        void* p = ::operator new(sizeof(TBlock) + n * sizeof(std::string));
        return new (p) TBlock{};
    }
    static void Destroy(TBlock* b, size_type n)
    {
        if (!b) return;
        for (size_type i = 0; i < n; ++i) b->Items()[i].~basic_string();
        ::operator delete(b);
    }
    void Free()
    {
        if (B) Destroy(B, B->Count);
        B = nullptr;
    }
    void Check(size_type i) const
    {
        if (i >= size()) throw std::out_of_range("string value index");
    }
    TBlock* B = nullptr;
};
