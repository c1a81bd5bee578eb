#include "QroFileInputStream.h"

#include <algorithm>
#include <filesystem>

namespace {

int SeekFile(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, off_t(offset), origin);
#endif
}

int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return int64_t(ftello(file));
#endif
}

} // namespace

QroFileInputStream::QroFileInputStream(const char* path) : m_name(path) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::path(path), error))
        return;
    m_file = std::fopen(path, "rb");
    if (m_file == nullptr)
        return;
    int64_t size = -1;
    if (SeekFile(m_file, 0, SEEK_END) == 0)
        size = TellFile(m_file);
    if (size < 0 || SeekFile(m_file, 0, SEEK_SET) != 0) {
        std::fclose(m_file);
        m_file = nullptr;
        return;
    }
    m_size = uint64_t(size);
}

QroFileInputStream::~QroFileInputStream() noexcept(false) {
    Close();
}

void QroFileInputStream::Close() {
    if (m_file != nullptr)
        std::fclose(m_file);
    m_file = nullptr;
}

uint64_t QroFileInputStream::Serialize(void* buffer, uint64_t size) {
    if (m_file == nullptr) {
        Succeeded(false);
        return 0;
    }
    uint64_t done = 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    // fread counts in size_t, which is 32 bits on the product's platform.
    while (done < size) {
        size_t chunk = size_t(std::min<uint64_t>(size - done, 1u << 30));
        size_t got = std::fread(out + done, 1, chunk, m_file);
        done += got;
        if (got < chunk)
            break;
    }
    if (std::ferror(m_file))
        m_readError = true;
    Succeeded(done == size);
    return done;
}

uint64_t QroFileInputStream::GetSize() {
    Succeeded(m_file != nullptr);
    return m_size;
}

uint64_t QroFileInputStream::GetPosition() {
    int64_t position = m_file != nullptr ? TellFile(m_file) : -1;
    Succeeded(position >= 0);
    return position >= 0 ? uint64_t(position) : 0;
}

bool QroFileInputStream::SeekTo(uint64_t position) {
    return Succeeded(m_file != nullptr && position <= uint64_t(INT64_MAX) &&
                     SeekFile(m_file, int64_t(position), SEEK_SET) == 0);
}

bool QroFileInputStream::SeekToStart() { return SeekTo(0); }

bool QroFileInputStream::SeekToEnd() { return SeekTo(m_size); }

bool QroFileInputStream::SeekForward(uint64_t count) {
    uint64_t position = GetPosition();
    return !HasFailed() && SeekTo(position + count);
}

bool QroFileInputStream::SeekBackward(uint64_t count) {
    uint64_t position = GetPosition();
    return !HasFailed() && count <= position && SeekTo(position - count);
}

bool QroFileInputStream::IsAtEnd() {
    uint64_t position = GetPosition();
    return !HasFailed() && position >= m_size;
}
