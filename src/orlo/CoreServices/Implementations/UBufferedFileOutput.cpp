#include "orlo/CoreServices/Implementations/UBufferedFileOutput.h"

#include <cstring>

#include "orlo/Utils/UShortCopy.h"

namespace orlo {

uint64_t UBufferedFileOutput::Put(const void* bytes, uint64_t size) {
    if (m_lost) {
        Succeeded(false);
        return 0;
    }
    if (size <= BLOCK_SIZE - m_blockUsed) {
        UShortCopy::Copy(m_block + m_blockUsed, bytes, size_t(size));
        m_blockUsed += uint32_t(size);
        Succeeded(true);
        return size;
    }
    if (!Drain())
        return 0;
    if (size < BLOCK_SIZE) {
        memcpy(m_block, bytes, size_t(size));
        m_blockUsed = uint32_t(size);
        Succeeded(true);
        return size;
    }
    // Copying a long write into the block would only cost time.
    uint64_t count = WriteToFile(bytes, size);
    m_lost = count != size;
    Succeeded(!m_lost);
    return count;
}

bool UBufferedFileOutput::Drain() {
    if (m_lost)
        return Succeeded(false);
    if (m_blockUsed != 0) {
        m_lost = WriteToFile(m_block, m_blockUsed) != m_blockUsed;
        m_blockUsed = 0;
    }
    return Succeeded(!m_lost);
}

} // namespace orlo
