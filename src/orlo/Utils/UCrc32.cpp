#include "orlo/Utils/UCrc32.h"

namespace orlo {

namespace {

struct CrcTable {
    uint32_t entries[256];
    constexpr CrcTable() : entries() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
            entries[i] = value;
        }
    }
};

constexpr CrcTable kTable;

} // namespace

uint32_t UCrc32::Compute(const void* data, size_t size, uint32_t crc) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = kTable.entries[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

} // namespace orlo
