#pragma once

#include <cstddef>
#include <cstdint>

namespace orlo {

// The CRC-32 of ZIP archives (reflected, polynomial 0xEDB88320).
class UCrc32 {
public:
    // Continues `crc` (0 to start) over `size` bytes.
    static uint32_t Compute(const void* data, size_t size, uint32_t crc = 0);
};

} // namespace orlo
