// CItemList: an owning list of item pointers that grows by a fixed step.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "text/text_buffer.h"

// ASCII-only case-insensitive equality of two C texts; other bytes compare as they are.
// Unlike the string_view form in text/ascii.h, each text ends at its first NUL, and
// a null pointer equals only another null pointer.
bool EqualNoCase(const char* a, const char* b);

template <typename T> class CItemList {
public:
    CItemList() = default;
    CItemList(const CItemList&) = delete;
    CItemList& operator=(const CItemList&) = delete;
    virtual ~CItemList() {
        if (m_bOwnsItems) {
            for (T** p = m_ppItems; p != m_ppEnd; ++p)
                delete *p;
        }
        delete[] m_ppItems;
    }

    // Adds growBy slots to the list's capacity, keeping the items and nulling the
    // new slots. The storage under the slots is reallocated only when it runs out,
    // and then at least doubles, so a list of n items is copied O(n) times in all
    // however small the step.
    virtual void Grow() {
        const int64_t wanted = static_cast<int64_t>(m_nCapacity) + m_nGrowBy;
        if (wanted > m_nAllocated) {
            const int64_t room = std::max<int64_t>(wanted, 2 * static_cast<int64_t>(m_nAllocated));
            T** fresh = new T*[static_cast<size_t>(room)];
            for (int32_t i = 0; i < m_nCapacity; ++i)
                fresh[i] = m_ppItems[i];
            for (int64_t i = m_nCapacity; i < room; ++i)
                fresh[i] = nullptr;
            delete[] m_ppItems;
            m_ppItems = fresh;
            m_nAllocated = room;
        } else {
            for (int64_t i = m_nCapacity; i < wanted; ++i)
                m_ppItems[i] = nullptr;
        }
        m_nCapacity = static_cast<int32_t>(wanted);
        m_ppEnd = m_ppItems + m_nCount;
    }

    void Add(T* item) {
        if (m_nCount >= m_nCapacity)
            Grow();
        m_ppItems[m_nCount++] = item;
        m_ppEnd = m_ppItems + m_nCount;
        ++m_nChanges;
    }

    // Puts an item at slot index, moving the later items up by one.
    void InsertAt(int32_t index, T* item) {
        if (m_nCount >= m_nCapacity)
            Grow();
        for (int32_t i = m_nCount; i > index; --i)
            m_ppItems[i] = m_ppItems[i - 1];
        m_ppItems[index] = item;
        ++m_nCount;
        m_ppEnd = m_ppItems + m_nCount;
        ++m_nChanges;
    }

    void RemoveRange(int32_t first, int32_t last) {
        if (first < 0 || last >= m_nCount || first > last)
            return;
        for (int32_t i = first; i <= last; ++i) {
            if (m_bOwnsItems)
                delete m_ppItems[i];
            m_ppItems[i] = nullptr;
        }
        const int32_t removed = last - first + 1;
        for (int32_t i = last + 1; i < m_nCount; ++i) {
            m_ppItems[i - removed] = m_ppItems[i];
            m_ppItems[i] = nullptr;
        }
        m_nCount -= removed;
        m_ppEnd = m_ppItems + m_nCount;
        ++m_nChanges;
    }

    void RemoveAll() {
        if (m_nCount > 0)
            RemoveRange(0, m_nCount - 1);
    }

    // Text lists only: the slot of the first item equal to text ignoring case, or -1.
    int32_t FindNoCase(const char* text) const requires std::is_same_v<T, CTextBuffer> {
        // Compared as C texts: the word given has no length of its own, so an item
        // is read up to its first NUL too.
        for (int32_t i = 0; i < m_nCount; ++i) {
            if (m_ppItems[i] && EqualNoCase(m_ppItems[i]->GetText(), text ? text : ""))
                return i;
        }
        return -1;
    }

    void RemoveNoCase(const char* text) requires std::is_same_v<T, CTextBuffer> {
        const int32_t i = FindNoCase(text);
        if (i >= 0)
            RemoveRange(i, i);
    }

    int32_t GetCount() const { return m_nCount; }
    int32_t GetCapacity() const { return m_nCapacity; }
    int32_t GetGrowBy() const { return m_nGrowBy; }
    bool OwnsItems() const { return m_bOwnsItems; }
    // Goes up with every item added, inserted or removed, so whoever keeps an index
    // over the list knows when it no longer speaks for it.
    uint64_t GetChangeCount() const { return m_nChanges; }
    T* GetAt(int32_t index) const { return m_ppItems[index]; }
    T* const* begin() const { return m_ppItems; }
    T* const* end() const { return m_ppEnd; }

protected:
    int32_t m_nCount = 0;
    int32_t m_nCapacity = 0;
    T** m_ppItems = nullptr;
    T** m_ppEnd = nullptr;
    bool m_bOwnsItems = true;
    int32_t m_nGrowBy = 20;

private:
    // Slots actually allocated at m_ppItems: never fewer than m_nCapacity.
    int64_t m_nAllocated = 0;
    uint64_t m_nChanges = 0;
};

using CTextList = CItemList<CTextBuffer>;
