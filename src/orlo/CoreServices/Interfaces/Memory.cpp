#include "orlo/CoreServices/Interfaces/Memory.h"

#include <cstdlib>
#include <cstdio>

#include "orlo/ErrorDescription.h"

namespace orlo {

// Until the core services own the default pool, the C library serves it.
void* Allocate(uint32_t size, const char* /*location*/) {
    if (size == 0)
        return nullptr;
    return malloc(size);
}

void Free(void* block, const char* /*location*/) {
    free(block);
}

void* AllocateOrRaise(uint64_t size, const char* location) {
    if (size == 0)
        return nullptr;
    void* block = size <= UINT32_MAX ? Allocate(static_cast<uint32_t>(size), location) : nullptr;
    if (block == nullptr) {
        char message[ErrorDescription::MESSAGE_SIZE];
        snprintf(message, sizeof(message), "memory allocation of %llu bytes from location \"%s\" failed",
                 static_cast<unsigned long long>(size), location != nullptr ? location : "");
        RaiseBadAlloc(ORLO_SOURCE_FILE, "orlo::AllocateOrRaise", message, __LINE__);
    }
    return block;
}

} // namespace orlo
