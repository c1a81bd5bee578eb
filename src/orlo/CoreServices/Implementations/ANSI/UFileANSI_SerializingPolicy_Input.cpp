#include "orlo/CoreServices/Implementations/ANSI/UFileANSI_SerializingPolicy_Input.h"

#include "orlo/CoreServices/Implementations/ANSI/FileANSI.h"
#include "orlo/ErrorDescription.h"

namespace orlo {

UFileANSI_SerializingPolicy_Input::UFileANSI_SerializingPolicy_Input(FILE* file, const UString& path)
    : m_file(file), m_path(path) {}

UFileANSI_SerializingPolicy_Input::~UFileANSI_SerializingPolicy_Input() noexcept(false) {
    Close();
}

uint64_t UFileANSI_SerializingPolicy_Input::Serialize(void* buffer, uint64_t size) {
    // Shifted unsigned, so that the check holds for every size.
    assure_as(size < (uint64_t(1) << 31), "size < (1<<31)");
    if (!Succeeded(m_file != nullptr))
        return 0;
    if (size == 0)
        return 0;
    clearerr(m_file);
    size_t count = fread(buffer, 1, size_t(size), m_file);
    Succeeded(ferror(m_file) == 0);
    return count;
}

void UFileANSI_SerializingPolicy_Input::Close() {
    if (m_file != nullptr)
        fclose(m_file);
    m_file = nullptr;
}

uint64_t UFileANSI_SerializingPolicy_Input::GetSize() {
    if (!Succeeded(m_file != nullptr))
        return 0;
    int64_t position = file_ansi::Tell(m_file);
    bool success = position >= 0 && file_ansi::Seek(m_file, 0, SEEK_END);
    int64_t size = success ? file_ansi::Tell(m_file) : -1;
    success = success && size >= 0 && file_ansi::Seek(m_file, position, SEEK_SET);
    return Succeeded(success) ? uint64_t(size) : 0;
}

uint64_t UFileANSI_SerializingPolicy_Input::GetPosition() {
    if (!Succeeded(m_file != nullptr))
        return 0;
    int64_t position = file_ansi::Tell(m_file);
    return Succeeded(position >= 0) ? uint64_t(position) : 0;
}

bool UFileANSI_SerializingPolicy_Input::SeekBy(int64_t distance, int origin) {
    return Succeeded(m_file != nullptr && file_ansi::Seek(m_file, distance, origin));
}

bool UFileANSI_SerializingPolicy_Input::SeekToStart() {
    return SeekBy(0, SEEK_SET);
}

bool UFileANSI_SerializingPolicy_Input::SeekToEnd() {
    return SeekBy(0, SEEK_END);
}

bool UFileANSI_SerializingPolicy_Input::SeekForward(uint64_t count) {
    if (count > uint64_t(INT64_MAX))
        return Succeeded(false);
    return SeekBy(int64_t(count), SEEK_CUR);
}

// Moving before the start fails and keeps the position.
bool UFileANSI_SerializingPolicy_Input::SeekBackward(uint64_t count) {
    if (m_file == nullptr)
        return Succeeded(false);
    int64_t position = file_ansi::Tell(m_file);
    if (position < 0 || count > uint64_t(position))
        return Succeeded(false);
    return SeekBy(position - int64_t(count), SEEK_SET);
}

bool UFileANSI_SerializingPolicy_Input::IsAtEnd() {
    if (m_file == nullptr)
        return true;
    uint64_t position = GetPosition();
    return position >= GetSize();
}

} // namespace orlo
