#include "orlo/CoreServices/Implementations/UCoreServices.h"

#include "orlo/CoreServices/Implementations/UMemoryPool.h"

#ifdef _WIN32
#include "orlo/CoreServices/Implementations/Windows/UFileSystem_Windows.h"
#include "orlo/CoreServices/Implementations/Windows/UMemoryAllocator_Windows.h"
#else
#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"
#endif

namespace orlo {

#ifdef _WIN32
using UDefaultCoreServices =
    UCoreServices<platform_windows::UMemoryAllocator_Windows, UMemoryPool, platform_windows::UFileSystem_Windows>;
#else
using UDefaultCoreServices = UCoreServices<UMemoryAllocator_ANSI, UMemoryPool, UFileSystem_ANSI>;
#endif

ICoreServices* CreateCoreServices_Default(uint32_t size) {
    ORLO_GUARD
    return CreateInitialised<UDefaultCoreServices>(size);
    ORLO_UNGUARD
}

} // namespace orlo
