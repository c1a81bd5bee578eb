#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"

#include <cstdlib>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"

namespace orlo {

void* UMemoryAllocator_ANSI::Allocate(uint32_t size, const char* location) {
    if (size == 0)
        return nullptr;
    void* block = malloc(size);
    if (block == nullptr) {
        ICoreServices* services = GetCoreServices();
        ULogMessage message(services != nullptr ? services->GetLogChannel(7) : nullptr, "memory allocation of ");
        message += size;
        message += " bytes from location \"";
        message += location;
        message += "\" failed";
    }
    return block;
}

void UMemoryAllocator_ANSI::Free(void* block, const char* /*location*/) {
    free(block);
}

} // namespace orlo
