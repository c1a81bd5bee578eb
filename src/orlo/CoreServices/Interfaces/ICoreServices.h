#pragma once

#include <cstddef>
#include <cstdint>

#include "orlo/CoreServices/Interfaces/IFileSystem.h"
#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/CoreServices/Interfaces/IMemoryAllocator.h"
#include "orlo/CoreServices/Interfaces/IMemoryPool.h"

namespace orlo {

// The process-wide services: a raw allocator, the default memory pool through
// which every allocation of the library passes, a file system and the eight
// log channels.
class ICoreServices {
public:
    virtual ~ICoreServices() noexcept(false) = default;
    // A new pool after its Init, or none.
    virtual IMemoryPool* CreateMemoryPool(uint32_t size) = 0;
    virtual IMemoryAllocator* GetAllocator() = 0;
    virtual IMemoryPool* GetDefaultMemoryPool() = 0;
    virtual IFileSystem* GetFileSystem() = 0;
    // An index outside 0..7 gives channel 0, which drops everything.
    virtual ILog* GetLogChannel(int index) = 0;
    // An index outside 0..7 gives slot 0.
    virtual ILog* GetLogSlot(int index) = 0;
    // Returns the previous target; an index outside 0..7 changes nothing.
    virtual ILog* SetLogTarget(int index, ILog* target) = 0;
    virtual bool Init(uint32_t size) = 0;

    // As for the pools: creation through the current default pool, none
    // instead of an exception.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;
};

// The channels and output slots whose use is fixed.
constexpr int LOG_CHANNEL_HOST_ERROR = 5; // the host's error log: what the plug-in cannot report otherwise
constexpr int LOG_CHANNEL_FAILURE = 6;    // export failures, bind-pose conflicts, files that do not open
constexpr int LOG_CHANNEL_WARNING = 7;    // rejected files, refused options, allocation failures, archives
constexpr int LOG_SLOT_INFORMATION = 2;
constexpr int LOG_SLOT_MORE_INFORMATION = 3;
constexpr int LOG_SLOT_ERROR = 5;
constexpr int LOG_SLOT_FAILURE = 6; // channel 6's own slot: no target in the plug-in
constexpr int LOG_SLOT_WARNING = 7;

// Returns the current core services object.
using CoreServicesAccessor = ICoreServices* (*)();

// The current core services. Until an accessor is installed this is the
// bootstrap object on the C library, created on the first call and kept until
// process exit; once it has gone, the result is none.
ICoreServices* GetCoreServices();

// Installs `accessor` and returns the one it replaces.
CoreServicesAccessor SetCoreServicesAccessor(CoreServicesAccessor accessor);

// The accessor of the bootstrap object, for reinstating it.
ICoreServices* GetBootstrapCoreServices();

// A log channel of the current core services; none once they have gone.
ILog* GetLogChannel(int index);
// The warning channel of the current core services; none once they have gone.
ILog* GetWarningChannel();

} // namespace orlo
