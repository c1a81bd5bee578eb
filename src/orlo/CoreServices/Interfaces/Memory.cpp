#include "orlo/CoreServices/Interfaces/Memory.h"

#include <cstdio>
#include <cstdlib>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"

namespace orlo {

void* Allocate(uint32_t size, const char* location) {
    if (ICoreServices* services = GetCoreServices())
        return services->GetDefaultMemoryPool()->Allocate(size, location);
    // Only after the bootstrap object has gone at process exit. Every pool
    // takes its blocks from the C library heap, so these stay compatible.
    return size != 0 ? malloc(size) : nullptr;
}

void Free(void* block, const char* location) {
    if (ICoreServices* services = GetCoreServices())
        services->GetDefaultMemoryPool()->Free(block, location);
    else
        free(block);
}

const char* FormatAllocationFailure(uint64_t size, const char* location, char* out, size_t outSize) {
    snprintf(out, outSize, "memory allocation of %llu bytes from location \"%s\" failed",
             static_cast<unsigned long long>(size), location != nullptr ? location : "");
    return out;
}

void* AllocateOrRaise(uint64_t size, const char* location) {
    if (size == 0)
        return nullptr;
    void* block = size <= UINT32_MAX ? Allocate(static_cast<uint32_t>(size), location) : nullptr;
    if (block == nullptr) {
        char message[ALLOCATION_FAILURE_SIZE];
        FormatAllocationFailure(size, location, message, sizeof(message));
        // The pool refuses without a word (it gives what the C library
        // gives), so the reader of the log learns here what ran out. Logging
        // allocates too: a request refused while the warning is written is
        // not warned of again.
        static thread_local bool warning = false;
        if (!warning) {
            warning = true;
            ULogMessage(GetWarningChannel(), message);
            warning = false;
        }
        RaiseBadAlloc(ORLO_SOURCE_FILE, "orlo::AllocateOrRaise", message, __LINE__);
    }
    return block;
}

} // namespace orlo
