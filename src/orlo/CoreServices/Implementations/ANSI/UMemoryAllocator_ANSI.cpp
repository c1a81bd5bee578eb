#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"

#include <cstdlib>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo {

void* UMemoryAllocator_ANSI::Allocate(uint32_t size, const char* location) {
    if (size == 0)
        return nullptr;
    void* block = malloc(size);
    if (block == nullptr) {
        char text[ALLOCATION_FAILURE_SIZE];
        ULogMessage(GetWarningChannel(), FormatAllocationFailure(size, location, text, sizeof(text)));
    }
    return block;
}

void UMemoryAllocator_ANSI::Free(void* block, const char* /*location*/) {
    free(block);
}

} // namespace orlo
