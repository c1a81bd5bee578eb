#include "orlo/CoreServices/Implementations/ANSI/UFileANSI_SerializingPolicy_Output.h"

#include "orlo/ErrorDescription.h"

namespace orlo {

UFileANSI_SerializingPolicy_Output::UFileANSI_SerializingPolicy_Output(FILE* file, const UString& path)
    : m_file(file), m_path(path) {
    // Nothing has been written yet, so the buffer may still be changed.
    setvbuf(m_file, nullptr, _IONBF, 0);
}

UFileANSI_SerializingPolicy_Output::~UFileANSI_SerializingPolicy_Output() noexcept(false) {
    Close();
}

uint64_t UFileANSI_SerializingPolicy_Output::Serialize(const void* buffer, uint64_t size) {
    // Shifted unsigned, so that the check holds for every size.
    assure_as(size < (uint64_t(1) << 31), "size < (1<<31)");
    // A stream that lost bytes stays failed, also for an empty write.
    if (!Succeeded(m_file != nullptr && !HasLostData()))
        return 0;
    if (size == 0)
        return 0;
    return Put(buffer, size);
}

uint64_t UFileANSI_SerializingPolicy_Output::WriteToFile(const void* bytes, uint64_t size) {
    return fwrite(bytes, 1, size_t(size), m_file);
}

// Closing writes what is still gathered, so a failure there is a failed write.
void UFileANSI_SerializingPolicy_Output::Close() {
    if (m_file == nullptr)
        return;
    bool drained = Drain();
    bool closed = fclose(m_file) == 0;
    m_file = nullptr;
    Succeeded(drained && closed);
}

bool UFileANSI_SerializingPolicy_Output::Flush() {
    return Succeeded(m_file != nullptr && Drain() && fflush(m_file) == 0);
}

} // namespace orlo
