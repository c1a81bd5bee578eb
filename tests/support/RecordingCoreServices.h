#pragma once

#include <cstdlib>
#include <cstring>

#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"
#include "orlo/CoreServices/Implementations/UCoreServices.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/IMemoryPool.h"

namespace orlo_test {

// A pool that records every request in fixed storage (it must not allocate
// itself: the global operators may route back into it) and can be told to
// refuse allocations.
class RecordingPool : public orlo::IMemoryPool {
public:
    struct Request {
        bool allocation;
        uint32_t size;
        const char* location;
        void* block;
    };
    static constexpr int CAPACITY = 4096;

    void* Allocate(uint32_t size, const char* location) override {
        void* block = (m_refuse || size == 0 || size > m_largest) ? nullptr : malloc(size);
        Record(Request{true, size, location, block});
        return block;
    }
    void Free(void* block, const char* location) override {
        Record(Request{false, 0, location, block});
        free(block);
    }
    bool Init(uint32_t) override { return true; }
    void Destroy() override {}
    void PrintStatistics(orlo::ILog*) override {}

    void SetRefusing(bool refuse) { m_refuse = refuse; }
    // Refuses every request above `size` bytes, as a process short of
    // address space would.
    void SetLargest(uint32_t size) { m_largest = size; }
    void Clear() { m_count = 0; }
    int Count() const { return m_count < CAPACITY ? m_count : CAPACITY; }
    const Request& operator[](int index) const { return m_requests[index]; }

    // Requests with this location, allocations or releases.
    int CountOf(bool allocation, const char* location) const {
        int count = 0;
        for (int i = 0; i < Count(); ++i)
            if (m_requests[i].allocation == allocation && strcmp(m_requests[i].location, location) == 0)
                ++count;
        return count;
    }
    // Blocks allocated and not yet released, over the recorded requests.
    int Outstanding() const {
        int outstanding = 0;
        for (int i = 0; i < Count(); ++i)
            if (m_requests[i].block != nullptr)
                outstanding += m_requests[i].allocation ? 1 : -1;
        return outstanding;
    }

private:
    void Record(const Request& request) {
        if (m_count < CAPACITY)
            m_requests[m_count] = request;
        ++m_count;
    }

    Request m_requests[CAPACITY];
    int m_count = 0;
    bool m_refuse = false;
    uint32_t m_largest = UINT32_MAX;
};

using URecordingCoreServices = orlo::UCoreServices<orlo::UMemoryAllocator_ANSI, RecordingPool, orlo::UFileSystem_ANSI>;

// Makes a recording core services object current for the life of a scope.
class RecordingCoreServicesScope {
public:
    RecordingCoreServicesScope() {
        Instance() = &m_services;
        m_previous = orlo::SetCoreServicesAccessor(&Accessor);
        m_services.Init(0);
    }
    ~RecordingCoreServicesScope() {
        orlo::SetCoreServicesAccessor(m_previous);
        Instance() = nullptr;
    }
    RecordingCoreServicesScope(const RecordingCoreServicesScope&) = delete;
    RecordingCoreServicesScope& operator=(const RecordingCoreServicesScope&) = delete;

    URecordingCoreServices& Services() { return m_services; }
    RecordingPool& Pool() { return *static_cast<RecordingPool*>(m_services.GetDefaultMemoryPool()); }

private:
    static URecordingCoreServices*& Instance() {
        static URecordingCoreServices* instance = nullptr;
        return instance;
    }
    static orlo::ICoreServices* Accessor() { return Instance(); }

    URecordingCoreServices m_services;
    orlo::CoreServicesAccessor m_previous;
};

} // namespace orlo_test
