#pragma once

// What every fuzz target shares: the core services that the library's code
// runs on, set up once per process, and the conversion of the fuzzer's bytes
// into the library's strings.
//
//     extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
//         orlo_fuzz::SetUpOnce();
//         orlo::UString text = orlo_fuzz::ToText(data, size);
//         ...
//     }
//
// A finding must be a crash: the targets check what the code promises with
// Check(), which aborts, and let nothing but the library's own expected
// errors (orlo::ErrorDescription) pass silently.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"
#include "orlo/CoreServices/Implementations/UCoreServices.h"
#include "orlo/CoreServices/Implementations/ULogSlot.h"
#include "orlo/CoreServices/Implementations/UMemoryPool.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo_fuzz {

// Aborts with the failed condition's text: libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                      \
        }                                                                                 \
    } while (false)

// The composition that the test suites run on: the C library's allocator,
// the default pool on the C library heap (so AddressSanitizer sees every
// block) and the C library's file system.
using UFuzzCoreServices = orlo::UCoreServices<orlo::UMemoryAllocator_ANSI, orlo::UMemoryPool, orlo::UFileSystem_ANSI>;

// Takes what the output slots receive and drops it, after checking that each
// message is begun before it is written and ended once.
class UDiscardingLog : public orlo::ILog {
public:
    void Lock() override {}
    void Unlock() override {}
    void Begin() override {
        FUZZ_CHECK(!m_inMessage);
        m_inMessage = true;
    }
    void Write(const orlo::UString& text) override {
        FUZZ_CHECK(m_inMessage);
        m_bytes += uint64_t(text.Length());
    }
    void End() override {
        FUZZ_CHECK(m_inMessage);
        m_inMessage = false;
    }

private:
    bool m_inMessage = false;
    uint64_t m_bytes = 0;
};

inline orlo::ICoreServices*& Instance() {
    static orlo::ICoreServices* instance = nullptr;
    return instance;
}

inline orlo::ICoreServices* Accessor() {
    return Instance();
}

// Installs the fuzzing core services behind the accessor and a discarding
// target on every output slot, once per process. Both stay until the process
// ends: objects destroyed at exit may still release memory through them.
inline void SetUpOnce() {
    static const bool done = [] {
        UFuzzCoreServices* services = new UFuzzCoreServices;
        FUZZ_CHECK(services != nullptr && services->Init(0));
        Instance() = services;
        orlo::SetCoreServicesAccessor(&Accessor);
        // One each: a message may reach several slots at once.
        static UDiscardingLog sinks[orlo::ULogSlot::SLOT_COUNT];
        for (int slot = 0; slot < orlo::ULogSlot::SLOT_COUNT; ++slot)
            orlo::ULogSlot::SetTarget(slot, &sinks[slot]);
        return true;
    }();
    (void)done;
}

// The bytes as a string, zero bytes included: its count is the size plus the
// terminator, as the stream source makes it from a file.
inline orlo::UString ToText(const uint8_t* data, size_t size) {
    orlo::UString text;
    text.AddUninitialized(int32_t(size + 1));
    if (size > 0)
        memcpy(text.GetData(), data, size);
    text.GetData()[size] = 0;
    return text;
}

// The bytes up to the first zero byte, as a C string would carry them.
inline orlo::UString ToCString(const uint8_t* data, size_t size) {
    const void* zero = memchr(data, 0, size);
    return ToText(data, zero != nullptr ? size_t(static_cast<const uint8_t*>(zero) - data) : size);
}

} // namespace orlo_fuzz
