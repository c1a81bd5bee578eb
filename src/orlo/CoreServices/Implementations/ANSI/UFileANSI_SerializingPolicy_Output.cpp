#include "orlo/CoreServices/Implementations/ANSI/UFileANSI_SerializingPolicy_Output.h"

#include "orlo/ErrorDescription.h"

namespace orlo {

UFileANSI_SerializingPolicy_Output::UFileANSI_SerializingPolicy_Output(FILE* file, const UString& path)
    : m_file(file), m_path(path) {}

UFileANSI_SerializingPolicy_Output::~UFileANSI_SerializingPolicy_Output() noexcept(false) {
    Close();
}

uint64_t UFileANSI_SerializingPolicy_Output::Serialize(const void* buffer, uint64_t size) {
    // Shifted unsigned, so that the check holds for every size.
    assure_as(size < (uint64_t(1) << 31), "size < (1<<31)");
    if (!Succeeded(m_file != nullptr))
        return 0;
    if (size == 0)
        return 0;
    size_t count = fwrite(buffer, 1, size_t(size), m_file);
    Succeeded(count == size);
    return count;
}

// Closing writes what is still buffered, so a failure there is a failed write.
void UFileANSI_SerializingPolicy_Output::Close() {
    if (m_file != nullptr)
        Succeeded(fclose(m_file) == 0);
    m_file = nullptr;
}

bool UFileANSI_SerializingPolicy_Output::Flush() {
    return Succeeded(m_file != nullptr && fflush(m_file) == 0);
}

} // namespace orlo
