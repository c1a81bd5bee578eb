#include "orlo/CoreServices/Implementations/UMemoryPool.h"

#include <charconv>
#include <cstdlib>

#include <malloc.h>

#include "orlo/CoreServices/Implementations/ULogMessage.h"

namespace orlo {

uint64_t UMemoryPool::GetUsableSize(void* block) {
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

void* UMemoryPool::Allocate(uint32_t size, const char* /*location*/) {
    if (size == 0) {
        ++m_currentZeroSizeAllocations;
        if (m_currentZeroSizeAllocations > 0 && uint64_t(m_currentZeroSizeAllocations) > m_maximumZeroSizeAllocations)
            m_maximumZeroSizeAllocations = uint64_t(m_currentZeroSizeAllocations);
        return nullptr;
    }
    void* block = malloc(size);
    if (block == nullptr)
        return nullptr;
    uint64_t usable = GetUsableSize(block);
    ++m_currentAllocations;
    if (m_currentAllocations > 0 && uint64_t(m_currentAllocations) > m_maximumAllocations)
        m_maximumAllocations = uint64_t(m_currentAllocations);
    ++m_cumulatedAllocations;
    if (size < m_minimumSize)
        m_minimumSize = size;
    if (size > m_maximumSize)
        m_maximumSize = size;
    m_bytesInUse += int64_t(usable);
    m_cumulatedOverhead += usable - size;
    m_cumulatedBytes += size;
    m_averageSize = m_cumulatedBytes / m_cumulatedAllocations;
    return block;
}

void UMemoryPool::Free(void* block, const char* /*location*/) {
    if (block == nullptr) {
        --m_currentZeroSizeAllocations;
        return;
    }
    --m_currentAllocations;
    m_bytesInUse -= int64_t(GetUsableSize(block));
    free(block);
}

bool UMemoryPool::Init(uint32_t /*size*/) {
    return true;
}

void UMemoryPool::Destroy() {}

namespace {

// Numbers are written without the C library, so the process locale cannot
// change them.
template <class N>
void AppendNumber(UString& text, N number) {
    char digits[32];
    auto result = std::to_chars(digits, digits + sizeof(digits) - 1, number);
    *result.ptr = 0;
    text += digits;
}

void AppendMegabytes(UString& text, double bytes) {
    char digits[64];
    auto result =
        std::to_chars(digits, digits + sizeof(digits) - 1, bytes * 9.5367431640625e-07, std::chars_format::fixed, 4);
    *result.ptr = 0;
    text += digits;
}

template <class N>
void AppendLine(UString& text, const char* label, N number) {
    text += label;
    AppendNumber(text, number);
    text += "\r\n";
}

template <class N>
void AppendBytesLine(UString& text, const char* label, N number) {
    text += label;
    AppendNumber(text, number);
    text += " bytes (";
    AppendMegabytes(text, double(number));
    text += "MB)\r\n";
}

} // namespace

void UMemoryPool::PrintStatistics(ILog* channel) {
    // The counters are copied first: building the text allocates through this
    // very pool.
    const UMemoryPool counters = *this;
    UString text;
    try {
        text += "memory allocator statistics:\r\n";
        AppendBytesLine(text, "    memory currently used: ", counters.m_bytesInUse);
        AppendLine(text, "    number of current allocations: ", counters.m_currentAllocations);
        AppendLine(text, "    number of maximum allocations: ", counters.m_maximumAllocations);
        AppendLine(text, "    number of cumulated allocations: ", counters.m_cumulatedAllocations);
        AppendBytesLine(text, "    cumulated allocation overhead: ", counters.m_cumulatedOverhead);
        AppendBytesLine(text, "    average allocation size: ", counters.m_averageSize);
        AppendBytesLine(text, "    minimum allocation size: ", counters.m_minimumSize);
        AppendBytesLine(text, "    maximum allocation size: ", counters.m_maximumSize);
        AppendLine(text, "    current number of zero-size allocations: ", counters.m_currentZeroSizeAllocations);
        AppendLine(text, "    maximum number of zero-size allocations: ", counters.m_maximumZeroSizeAllocations);
    } catch (const ErrorDescription&) {
        // Logging never raises: what could be built is written.
    }
    ULogMessage(channel, text);
}

} // namespace orlo
