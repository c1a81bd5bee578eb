#include "orlo/Utils/UArray.h"

#include <algorithm>

namespace orlo {

UArrayBase::~UArrayBase() noexcept(false) {
    if (m_arrayData != nullptr)
        Free(m_arrayData, LOCATION_DELETE_ARRAY);
}

void UArrayBase::GrowFor(int64_t count, size_t elementSize) {
    if (count <= m_arrayMax)
        return;
    int64_t wanted = std::max<int64_t>(2 * int64_t(m_arrayNum), count);
    // Doubling is a preference: it stops at the largest count, the need does not.
    if (count <= INT32_MAX && wanted > INT32_MAX)
        wanted = INT32_MAX;
    Reallocate(RoundUpCapacity(wanted), elementSize);
}

void UArrayBase::ShrinkAfterRemoval(size_t elementSize) {
    int64_t target = RoundUpCapacity(2 * int64_t(m_arrayNum));
    if (target < m_arrayMax)
        Reallocate(target, elementSize);
}

void UArrayBase::Reallocate(int64_t capacity, size_t elementSize) {
    if (capacity == 0) {
        if (m_arrayData != nullptr)
            Free(m_arrayData, LOCATION_DELETE_ARRAY);
        m_arrayData = nullptr;
        m_arrayMax = 0;
        return;
    }
    if (capacity == m_arrayMax)
        return;
    // Counts are signed 32-bit: more elements than that are refused like a
    // request that the pool cannot serve.
    if (capacity > INT32_MAX)
        RaiseBadAlloc(ORLO_SOURCE_FILE, "orlo::UArrayBase::Reallocate", "array capacity beyond 2147483647 elements",
                      __LINE__);
    void* block = AllocateOrRaise(uint64_t(capacity) * elementSize, LOCATION_NEW_ARRAY);
    if (capacity < m_arrayNum)
        m_arrayNum = int32_t(capacity);
    if (m_arrayData != nullptr) {
        memcpy(block, m_arrayData, size_t(m_arrayNum) * elementSize);
        Free(m_arrayData, LOCATION_DELETE_ARRAY);
    }
    m_arrayData = block;
    m_arrayMax = int32_t(capacity);
}

} // namespace orlo
