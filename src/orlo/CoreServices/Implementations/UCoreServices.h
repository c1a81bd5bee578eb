#pragma once

#include <cstdint>
#include <cstring>

#include "orlo/CoreServices/Implementations/ULogChannelSet.h"
#include "orlo/CoreServices/Implementations/ULogSlot.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TTypeName.h"

namespace orlo {

// Creates a T through its own (non-raising) operator new and initialises it;
// none when either fails, and nothing is left behind.
template <class T>
T* CreateInitialised(uint32_t size) {
    T* object = new T;
    if (object == nullptr)
        return nullptr;
    bool initialised;
    try {
        initialised = object->Init(size);
    } catch (...) {
        delete object;
        throw;
    }
    if (!initialised) {
        delete object;
        return nullptr;
    }
    return object;
}

// The core services over an allocator A, a pool type P (also the default
// pool) and a file system F. Members are destroyed in reverse order: the
// channels, then file system, pool and allocator.
template <class A, class P, class F>
class UCoreServices : public ICoreServices {
public:
    UCoreServices() = default;
    UCoreServices(const UCoreServices&) = delete;
    UCoreServices& operator=(const UCoreServices&) = delete;

    IMemoryPool* CreateMemoryPool(uint32_t size) override {
        ORLO_GUARD
        return CreateInitialised<P>(size);
        ORLO_UNGUARD_MEMBER
    }

    IMemoryAllocator* GetAllocator() override { return &m_allocator; }
    IMemoryPool* GetDefaultMemoryPool() override { return &m_defaultPool; }
    IFileSystem* GetFileSystem() override { return &m_fileSystem; }
    ILog* GetLogChannel(int index) override { return m_channels.GetChannel(index); }
    ILog* GetLogSlot(int index) override { return ULogSlot::GetSlot(index); }
    ILog* SetLogTarget(int index, ILog* target) override { return ULogSlot::SetTarget(index, target); }

    // Initialises the default pool, then attaches the channels to the output
    // slots (once: a second Init does not attach them twice).
    bool Init(uint32_t size) override {
        ORLO_GUARD
        if (!m_defaultPool.Init(size))
            return false;
        if (!m_channelsAttached) {
            m_channels.AttachToSlots();
            m_channelsAttached = true;
        }
        return true;
        ORLO_UNGUARD_MEMBER
    }

private:
    A m_allocator;
    P m_defaultPool;
    F m_fileSystem;
    ULogChannelSet m_channels;
    bool m_channelsAttached = false;
};

// The core services of the plug-in: the Win32 instantiation in the Windows
// build, the C-library one elsewhere. Created through the current core
// services and initialised with `size`; none when that fails.
ICoreServices* CreateCoreServices_Default(uint32_t size);

} // namespace orlo
