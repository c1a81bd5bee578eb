#pragma once

#include <cstdint>
#include <cstdio>

#include "orlo/CoreServices/Interfaces/IInputStream.h"

// A file opened for reading, as an input stream. Kept minimal and private to
// qro until the core services' file system hands out file streams (and opens
// members of ZIP archives); qro then opens through it instead.
class QroFileInputStream : public orlo::IInputStream {
public:
    // Opens `path`; IsOpen() says whether that worked. Directories do not open.
    explicit QroFileInputStream(const char* path);
    ~QroFileInputStream() noexcept(false) override;

    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_file != nullptr; }
    orlo::UBaseString<unsigned char> GetName() const override { return m_name; }
    uint64_t GetSize() override;
    uint64_t GetPosition() override;
    bool SeekToStart() override;
    bool SeekToEnd() override;
    bool SeekForward(uint64_t count) override;
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override;

    // Whether a read failed for another reason than the end of the file. The
    // failure flag cannot tell: the next successful call clears it.
    bool HadReadError() const { return m_readError; }

private:
    bool SeekTo(uint64_t position);

    orlo::UBaseString<unsigned char> m_name;
    std::FILE* m_file = nullptr;
    uint64_t m_size = 0;
    bool m_readError = false;
};
