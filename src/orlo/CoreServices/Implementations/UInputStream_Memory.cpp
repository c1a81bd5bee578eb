#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"

#include <cstring>

namespace orlo {

UInputStream_Memory::UInputStream_Memory(const char* name, const void* data, uint64_t size) : m_name(name) {
    assure(size <= uint64_t(INT32_MAX));
    if (size > 0) {
        m_data.AddUninitialized(int32_t(size));
        memcpy(m_data.GetData(), data, size_t(size));
    }
}

UInputStream_Memory::UInputStream_Memory(const char* name, UArray<unsigned char>&& data)
    : m_name(name), m_data(static_cast<UArray<unsigned char>&&>(data)) {}

uint64_t UInputStream_Memory::Serialize(void* buffer, uint64_t size) {
    if (!Succeeded(m_open))
        return 0;
    uint64_t available = uint64_t(m_data.Num()) - m_position;
    uint64_t count = size < available ? size : available;
    if (count > 0)
        memcpy(buffer, m_data.GetData() + m_position, size_t(count));
    m_position += count;
    return count;
}

void UInputStream_Memory::Close() {
    m_open = false;
    m_data.Empty();
    m_position = 0;
}

uint64_t UInputStream_Memory::GetSize() {
    return Succeeded(m_open) ? uint64_t(m_data.Num()) : 0;
}

uint64_t UInputStream_Memory::GetPosition() {
    return Succeeded(m_open) ? m_position : 0;
}

bool UInputStream_Memory::SeekToStart() {
    if (!Succeeded(m_open))
        return false;
    m_position = 0;
    return true;
}

bool UInputStream_Memory::SeekToEnd() {
    if (!Succeeded(m_open))
        return false;
    m_position = uint64_t(m_data.Num());
    return true;
}

// A seek that would leave the data fails and stops at the end it ran into.
bool UInputStream_Memory::SeekForward(uint64_t count) {
    if (!Succeeded(m_open))
        return false;
    const uint64_t left = uint64_t(m_data.Num()) - m_position;
    const bool within = count <= left;
    m_position += within ? count : left;
    return Succeeded(within);
}

bool UInputStream_Memory::SeekBackward(uint64_t count) {
    if (!Succeeded(m_open))
        return false;
    const bool within = count <= m_position;
    m_position = within ? m_position - count : 0;
    return Succeeded(within);
}

bool UInputStream_Memory::IsAtEnd() {
    return !m_open || m_position >= uint64_t(m_data.Num());
}

} // namespace orlo
