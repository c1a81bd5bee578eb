#include "orlo/CoreServices/Implementations/ModuleBase.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orlo {

void* FindModuleBase(const void* address) {
#ifdef _WIN32
    MEMORY_BASIC_INFORMATION page;
    if (VirtualQuery(address, &page, sizeof(page)) == 0)
        return nullptr;
    return page.AllocationBase;
#else
    Dl_info info;
    if (dladdr(address, &info) == 0)
        return nullptr;
    return info.dli_fbase;
#endif
}

} // namespace orlo
