#include "orlo/CoreServices/Implementations/UStream_ArchiveMember.h"

#include <cstring>

namespace orlo {

void UStream_ArchiveMember::Reset(const unsigned char* data, uint64_t size, const UString& name) {
    m_data = data;
    m_size = data != nullptr ? size : 0;
    m_position = 0;
    m_endReached = false;
    m_name = name;
}

uint64_t UStream_ArchiveMember::Serialize(void* buffer, uint64_t size) {
    if (m_data == nullptr || m_position >= m_size) {
        m_endReached = true;
        Succeeded(m_data != nullptr);
        return 0;
    }
    Succeeded(true);
    if (size == 0)
        return 0;
    uint64_t count = size < m_size - m_position ? size : m_size - m_position;
    memcpy(buffer, m_data + m_position, size_t(count));
    m_position += count;
    return count;
}

void UStream_ArchiveMember::Close() {
    m_data = nullptr;
    m_size = 0;
    m_position = 0;
}

bool UStream_ArchiveMember::SeekToStart() {
    m_position = 0;
    m_endReached = false;
    return Succeeded(m_data != nullptr);
}

bool UStream_ArchiveMember::SeekToEnd() {
    m_position = m_size;
    m_endReached = true;
    return Succeeded(m_data != nullptr);
}

bool UStream_ArchiveMember::SeekForward(uint64_t count) {
    if (m_data == nullptr)
        return Succeeded(false);
    if (count > m_size - m_position) {
        m_position = m_size;
        m_endReached = true;
        return Succeeded(false);
    }
    m_position += count;
    return Succeeded(true);
}

bool UStream_ArchiveMember::SeekBackward(uint64_t count) {
    if (m_data == nullptr)
        return Succeeded(false);
    m_endReached = false;
    if (count > m_position) {
        m_position = 0;
        return Succeeded(false);
    }
    m_position -= count;
    return Succeeded(true);
}

} // namespace orlo
