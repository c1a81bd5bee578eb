#include "orlo/CoreServices/Interfaces/ICoreServices.h"

#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"
#include "orlo/CoreServices/Implementations/UCoreServices.h"
#include "orlo/CoreServices/Implementations/ULogSlot.h"
#include "orlo/CoreServices/Implementations/UMemoryPool.h"
#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo {

namespace {

using UBootstrapCoreServices = UCoreServices<UMemoryAllocator_ANSI, UMemoryPool, UFileSystem_ANSI>;

// Set once the bootstrap object has been destroyed at process exit. Objects
// with static storage that are destroyed later still release memory; they
// must not reach the dead object. Constant-initialised, so it is valid before
// any constructor runs.
bool g_bootstrapGone = false;

// Builds nothing on the heap: its construction must not call back into the
// allocation path that is asking for it.
struct UBootstrapHolder {
    UBootstrapHolder() {
        // The output slots are created first, so they outlive the channels
        // attached to them.
        ULogSlot::GetSlot(0);
        m_services.Init(0);
    }
    ~UBootstrapHolder() { g_bootstrapGone = true; }

    UBootstrapCoreServices m_services;
};

ICoreServices* BootstrapAccessor() {
    if (g_bootstrapGone)
        return nullptr;
    static UBootstrapHolder bootstrap;
    return &bootstrap.m_services;
}

CoreServicesAccessor g_accessor = &BootstrapAccessor;

} // namespace

ICoreServices* GetCoreServices() {
    return g_accessor();
}

CoreServicesAccessor SetCoreServicesAccessor(CoreServicesAccessor accessor) {
    CoreServicesAccessor previous = g_accessor;
    g_accessor = accessor != nullptr ? accessor : &BootstrapAccessor;
    return previous;
}

ICoreServices* GetBootstrapCoreServices() {
    return BootstrapAccessor();
}

void* ICoreServices::operator new(size_t size) noexcept {
    return size <= UINT32_MAX ? Allocate(uint32_t(size), LOCATION_NEW) : nullptr;
}

void ICoreServices::operator delete(void* block) noexcept {
    Free(block, LOCATION_DELETE);
}

ILog* GetLogChannel(int index) {
    ICoreServices* services = GetCoreServices();
    return services != nullptr ? services->GetLogChannel(index) : nullptr;
}

ILog* GetWarningChannel() {
    return GetLogChannel(LOG_CHANNEL_WARNING);
}

} // namespace orlo
