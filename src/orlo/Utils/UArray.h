#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "orlo/CoreServices/Interfaces/Memory.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TTypeName.h"

namespace orlo {

// Storage, count and capacity of every array, and the size rules shared by all
// element types. Elements are plain bytes to this class: storage is allocated
// without construction and relocated by copying bytes.
class UArrayBase {
public:
    // Destructors of arrays check their invariants and may raise.
    virtual ~UArrayBase() noexcept(false);

    int32_t Num() const { return m_arrayNum; }
    int32_t Max() const { return m_arrayMax; }

    // Capacity for a count: rounded up to a multiple of 64 elements.
    // A count rounded up to a multiple of 64; a count that fits 32 bits stays
    // within them (2147483647 at most) instead of rounding past them.
    static int64_t RoundUpCapacity(int64_t count) {
        const int64_t rounded = (count + 63) & ~int64_t(63);
        return count <= INT32_MAX && rounded > INT32_MAX ? INT32_MAX : rounded;
    }

protected:
    UArrayBase() = default;

    // Makes room for `count` elements in all: when that exceeds the capacity,
    // the new capacity is max(2 * count now, count asked) rounded up to 64.
    void GrowFor(int64_t count, size_t elementSize);
    // After the count has dropped: shrinks to 2 * count rounded up to 64 when
    // that is below the capacity.
    void ShrinkAfterRemoval(size_t elementSize);
    // Moves the elements to a block of `capacity` elements (none for 0).
    void Reallocate(int64_t capacity, size_t elementSize);

    void* m_arrayData = nullptr;
    int32_t m_arrayNum = 0;
    int32_t m_arrayMax = 0;
};

template <class T>
class UArray : public UArrayBase {
public:
    UArray() = default;

    // An array of `count` elements whose contents are undefined (for bytes).
    explicit UArray(int32_t count) {
        static_assert(std::is_trivially_copyable_v<T>, "uninitialised elements only for plain data");
        if (count <= 0)
            return;
        Reallocate(RoundUpCapacity(count), sizeof(T));
        m_arrayNum = count;
    }

    UArray(const UArray& other) { CopyFrom(other); }

    UArray(UArray&& other) noexcept { TakeStorage(other); }

    UArray& operator=(const UArray& other) {
        if (this != &other) {
            DestroyElements();
            m_arrayNum = 0;
            CopyFrom(other);
        }
        return *this;
    }

    UArray& operator=(UArray&& other) noexcept(false) {
        if (this != &other) {
            Empty();
            TakeStorage(other);
        }
        return *this;
    }

    ~UArray() noexcept(false) override {
        // Reports quote these expressions as written.
        // clang-format off
        assure_member(m_arrayNum>=0);
        assure_member(m_arrayMax>=m_arrayNum);
        // clang-format on
        DestroyElements();
        m_arrayNum = 0;
    }

    T* GetData() { return static_cast<T*>(m_arrayData); }
    const T* GetData() const { return static_cast<const T*>(m_arrayData); }

    // Whether an element equals item, by the elements' own equality.
    bool Contains(const T& item) const {
        for (int32_t i = 0; i < m_arrayNum; ++i)
            if (GetData()[i] == item)
                return true;
        return false;
    }

    // Plain reads: no bounds check.
    T& operator[](int32_t index) { return GetData()[index]; }
    const T& operator[](int32_t index) const { return GetData()[index]; }

    // Appends a copy of `item`; returns its index.
    int32_t Add(const T& item) {
        if (m_arrayNum >= m_arrayMax) {
            // The item may live in this array: copy it before the storage moves.
            T copy(item);
            GrowFor(int64_t(m_arrayNum) + 1, sizeof(T));
            new (GetData() + m_arrayNum) T(static_cast<T&&>(copy));
        } else {
            new (GetData() + m_arrayNum) T(item);
        }
        return m_arrayNum++;
    }

    // Constructs one element in place at the end, for element types that are
    // never copied; returns its index. A constructor that raises adds nothing.
    template <class... A>
    int32_t Emplace(A&&... arguments) {
        GrowFor(int64_t(m_arrayNum) + 1, sizeof(T));
        new (GetData() + m_arrayNum) T(static_cast<A&&>(arguments)...);
        return m_arrayNum++;
    }

    // Appends `count` elements left uninitialised; returns the first one's index.
    int32_t AddUninitialized(int32_t count) {
        static_assert(std::is_trivially_copyable_v<T>, "uninitialised elements only for plain data");
        int32_t first = m_arrayNum;
        if (count <= 0)
            return first;
        GrowFor(int64_t(m_arrayNum) + count, sizeof(T));
        m_arrayNum += count;
        return first;
    }

    // Removes `count` elements at `index`: the tail moves down, then the
    // capacity may shrink. No index check.
    void Remove(int32_t index, int32_t count = 1) {
        if (count <= 0)
            return;
        T* data = GetData();
        if constexpr (!std::is_trivially_destructible_v<T>)
            for (int32_t i = index; i < index + count; ++i)
                data[i].~T();
        memmove(static_cast<void*>(data + index), static_cast<const void*>(data + index + count),
                size_t(m_arrayNum - index - count) * sizeof(T));
        m_arrayNum -= count;
        ShrinkAfterRemoval(sizeof(T));
    }

    // Destroys every element and releases the storage.
    void Empty() {
        DestroyElements();
        m_arrayNum = 0;
        Reallocate(0, sizeof(T));
    }

    // Destroys every element and keeps the storage, for an array that is
    // filled again and again.
    void Reset() {
        DestroyElements();
        m_arrayNum = 0;
    }

    // Makes the capacity at least `capacity` elements without changing the count.
    void Reserve(int32_t capacity) {
        if (capacity > m_arrayMax)
            Reallocate(RoundUpCapacity(capacity), sizeof(T));
    }

    T* begin() { return GetData(); }
    T* end() { return GetData() + m_arrayNum; }
    const T* begin() const { return GetData(); }
    const T* end() const { return GetData() + m_arrayNum; }

private:
    // Takes the other array's storage; this array holds none on entry.
    void TakeStorage(UArray& other) {
        m_arrayData = other.m_arrayData;
        m_arrayNum = other.m_arrayNum;
        m_arrayMax = other.m_arrayMax;
        other.m_arrayData = nullptr;
        other.m_arrayNum = 0;
        other.m_arrayMax = 0;
    }

    void CopyFrom(const UArray& other) {
        if (other.m_arrayNum <= 0)
            return;
        if (other.m_arrayNum > m_arrayMax)
            Reallocate(RoundUpCapacity(other.m_arrayNum), sizeof(T));
        if constexpr (std::is_trivially_copyable_v<T>) {
            memcpy(static_cast<void*>(GetData()), other.GetData(), size_t(other.m_arrayNum) * sizeof(T));
            m_arrayNum = other.m_arrayNum;
        } else {
            // Counted one by one so that a failing copy leaves only whole elements.
            for (int32_t i = 0; i < other.m_arrayNum; ++i) {
                new (GetData() + i) T(other.GetData()[i]);
                m_arrayNum = i + 1;
            }
        }
    }

    void DestroyElements() {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            T* data = GetData();
            for (int32_t i = 0; i < m_arrayNum; ++i)
                data[i].~T();
        }
    }
};

} // namespace orlo
