#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"

#include "orlo/Utils/UShortCopy.h"

namespace orlo {

UOutputStream_Memory::UOutputStream_Memory(const char* name, uint64_t capacityLimit)
    : m_name(name), m_capacityLimit(capacityLimit) {}

uint64_t UOutputStream_Memory::Serialize(const void* buffer, uint64_t size) {
    if (!Succeeded(m_open))
        return 0;
    uint64_t room = m_capacityLimit - uint64_t(m_data.Num());
    if (uint64_t(INT32_MAX) - uint64_t(m_data.Num()) < room)
        room = uint64_t(INT32_MAX) - uint64_t(m_data.Num());
    uint64_t count = size < room ? size : room;
    if (count > 0) {
        int32_t at = m_data.AddUninitialized(int32_t(count));
        UShortCopy::Copy(m_data.GetData() + at, buffer, size_t(count));
    }
    Succeeded(count == size);
    return count;
}

} // namespace orlo
