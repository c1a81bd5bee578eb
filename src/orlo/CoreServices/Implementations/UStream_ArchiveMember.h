#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// Serves the bytes of an archive member that its archive stream holds: the
// data is not owned. A member without bytes reads as not open.
class UStream_ArchiveMember : public IInputStream {
public:
    UStream_ArchiveMember() = default;
    UStream_ArchiveMember(const UStream_ArchiveMember&) = delete;
    UStream_ArchiveMember& operator=(const UStream_ArchiveMember&) = delete;

    // Serves `size` bytes at `data` from the start.
    void Reset(const unsigned char* data, uint64_t size, const UString& name);

    // At the end (or without data) the end flag is set and nothing is read.
    uint64_t Serialize(void* buffer, uint64_t size) override;
    // Forgets data, size and position.
    void Close() override;
    bool IsOpen() const override { return m_data != nullptr && m_size != 0; }
    UString GetName() const override { return m_name; }
    uint64_t GetSize() override { return m_size; }
    uint64_t GetPosition() override { return m_position; }
    bool SeekToStart() override;
    bool SeekToEnd() override;
    // Past the end: moves to the end, sets the end flag and fails.
    bool SeekForward(uint64_t count) override;
    // Before the start: moves to the start and fails.
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override { return m_size == 0 || m_position >= m_size; }

    bool HasReachedEnd() const { return m_endReached; }

private:
    const unsigned char* m_data = nullptr;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
    bool m_endReached = false;
    UString m_name;
};

} // namespace orlo
