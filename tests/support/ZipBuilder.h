#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orlo/Utils/UCrc32.h"

namespace orlo_test {

// Builds small ZIP archives in memory, for archives that no tool writes:
// each field can be patched afterwards at the offsets the builder reports.
class ZipBuilder {
public:
    using Bytes = std::vector<unsigned char>;

    struct Entry {
        std::string name;
        Bytes payload;   // the bytes as they stand in the archive
        uint16_t method; // 0 stored, 8 deflated, ...
        uint32_t uncompressedSize;
        uint32_t crc;
    };

    // A stored member: the payload is the content.
    ZipBuilder& Stored(const std::string& name, const std::string& content) {
        Bytes bytes(content.begin(), content.end());
        m_entries.push_back(
            {name, bytes, 0, uint32_t(bytes.size()), orlo::UCrc32::Compute(bytes.data(), bytes.size())});
        return *this;
    }
    // A member with any payload, method and declared size and CRC of `content`.
    ZipBuilder& Member(const std::string& name, const Bytes& payload, uint16_t method, const std::string& content) {
        m_entries.push_back(
            {name, payload, method, uint32_t(content.size()), orlo::UCrc32::Compute(content.data(), content.size())});
        return *this;
    }

    Bytes Build() {
        Bytes out;
        m_localOffsets.clear();
        m_centralOffsets.clear();
        for (const Entry& entry : m_entries) {
            m_localOffsets.push_back(uint32_t(out.size()));
            Put32(out, 0x04034B50);
            Put16(out, 20);
            Put16(out, 0);
            Put16(out, entry.method);
            Put16(out, 0);
            Put16(out, 0);
            Put32(out, entry.crc);
            Put32(out, uint32_t(entry.payload.size()));
            Put32(out, entry.uncompressedSize);
            Put16(out, uint16_t(entry.name.size()));
            Put16(out, 0);
            out.insert(out.end(), entry.name.begin(), entry.name.end());
            out.insert(out.end(), entry.payload.begin(), entry.payload.end());
        }
        m_directoryOffset = uint32_t(out.size());
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& entry = m_entries[i];
            m_centralOffsets.push_back(uint32_t(out.size()));
            Put32(out, 0x02014B50);
            Put16(out, 20);
            Put16(out, 20);
            Put16(out, 0);
            Put16(out, entry.method);
            Put16(out, 0);
            Put16(out, 0);
            Put32(out, entry.crc);
            Put32(out, uint32_t(entry.payload.size()));
            Put32(out, entry.uncompressedSize);
            Put16(out, uint16_t(entry.name.size()));
            Put16(out, 0);
            Put16(out, 0);
            Put16(out, 0);
            Put16(out, 0);
            Put32(out, 0);
            Put32(out, m_localOffsets[i]);
            out.insert(out.end(), entry.name.begin(), entry.name.end());
        }
        uint32_t directorySize = uint32_t(out.size()) - m_directoryOffset;
        m_endOffset = uint32_t(out.size());
        Put32(out, 0x06054B50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, uint16_t(m_entries.size()));
        Put16(out, uint16_t(m_entries.size()));
        Put32(out, directorySize);
        Put32(out, m_directoryOffset);
        Put16(out, 0);
        return out;
    }

    // Offsets of the last Build().
    uint32_t LocalOffset(size_t entry) const { return m_localOffsets[entry]; }
    uint32_t CentralOffset(size_t entry) const { return m_centralOffsets[entry]; }
    uint32_t EndOffset() const { return m_endOffset; }

    static void Patch16(Bytes& bytes, size_t at, uint16_t value) {
        bytes[at] = uint8_t(value);
        bytes[at + 1] = uint8_t(value >> 8);
    }
    static void Patch32(Bytes& bytes, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
    }

private:
    static void Put16(Bytes& out, uint16_t value) {
        out.push_back(uint8_t(value));
        out.push_back(uint8_t(value >> 8));
    }
    static void Put32(Bytes& out, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(value >> (8 * i)));
    }

    std::vector<Entry> m_entries;
    std::vector<uint32_t> m_localOffsets;
    std::vector<uint32_t> m_centralOffsets;
    uint32_t m_directoryOffset = 0;
    uint32_t m_endOffset = 0;
};

} // namespace orlo_test
