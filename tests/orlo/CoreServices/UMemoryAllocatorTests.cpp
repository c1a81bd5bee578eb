#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../../support/RecordingLog.h"
#include "orlo/CoreServices/Implementations/ANSI/UMemoryAllocator_ANSI.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "orlo/CoreServices/Implementations/Windows/UMemoryAllocator_Windows.h"
#endif

using orlo_test::WarningCapture;

namespace {

template <class Allocator>
void ExpectRoundTrip() {
    WarningCapture warnings;
    Allocator allocator;
    auto* block = static_cast<unsigned char*>(allocator.Allocate(100, "global operator new[]"));
    ASSERT_NE(block, nullptr);
    memset(block, 0x5A, 100);
    EXPECT_EQ(block[99], 0x5A);
    allocator.Free(block, "global operator delete[]");
    EXPECT_EQ(allocator.Allocate(0, "global operator new"), nullptr);
    EXPECT_TRUE(warnings.Messages().empty()) << warnings.All();
}

} // namespace

TEST(UMemoryAllocator_ANSI, AllocatesAndReleasesWithoutMessages) {
    ExpectRoundTrip<orlo::UMemoryAllocator_ANSI>();
}

#ifdef _WIN32

// A 32-bit process has less address space than this: the request fails for real.
// A 64-bit one has room for any request (sizes are 32-bit); there the Windows
// allocator's failure is tested with the address space filled.
TEST(UMemoryAllocator_ANSI, FailedAllocationWarnsAndGivesNone) {
    if (sizeof(void*) > 4)
        GTEST_SKIP() << "a 64-bit process can grant any 32-bit size";
    WarningCapture warnings;
    orlo::UMemoryAllocator_ANSI allocator;
    EXPECT_EQ(allocator.Allocate(4294967295u, "global operator new[]"), nullptr);
    EXPECT_EQ(warnings.All(),
              "WARNING: memory allocation of 4294967295 bytes from location \"global operator new[]\" failed\r\n");
}

TEST(UMemoryAllocator_Windows, AllocatesAndReleasesWithoutMessages) {
    ExpectRoundTrip<orlo::platform_windows::UMemoryAllocator_Windows>();
}

TEST(UMemoryAllocator_Windows, OversizedAllocationWarnsAndGivesNone) {
    if (sizeof(void*) > 4)
        GTEST_SKIP() << "a 64-bit process can grant any 32-bit size";
    WarningCapture warnings;
    orlo::platform_windows::UMemoryAllocator_Windows allocator;
    EXPECT_EQ(allocator.Allocate(4294967295u, "global operator new"), nullptr);
    EXPECT_EQ(warnings.All(),
              "WARNING: memory allocation of 4294967295 bytes from location \"global operator new\" failed\r\n");
}

// Reserves the whole free address space, so that even a small request fails,
// then gives it back. The reservations are kept in fixed storage: nothing
// may need the heap to grow meanwhile.
TEST(UMemoryAllocator_Windows, SmallAllocationFailsWhenTheAddressSpaceIsFull) {
    static void* reservations[65536];
    int count = 0;
    for (SIZE_T chunk = SIZE_T(256) << 20; chunk >= SIZE_T(4096); chunk /= 2)
        while (count < 65536) {
            void* region = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS);
            if (region == nullptr)
                break;
            reservations[count++] = region;
        }

    WarningCapture warnings;
    orlo::platform_windows::UMemoryAllocator_Windows allocator;
    void* block = allocator.Allocate(100, "global operator new[]");
    std::string text = warnings.All();
    for (int i = 0; i < count; ++i)
        VirtualFree(reservations[i], 0, MEM_RELEASE);

    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(text, "WARNING: memory allocation of 100 bytes from location \"global operator new[]\" failed\r\n");
}

TEST(UMemoryAllocator_Windows, FailedReleaseWarns) {
    WarningCapture warnings;
    orlo::platform_windows::UMemoryAllocator_Windows allocator;
    int notARegion = 0;
    allocator.Free(&notARegion, "global operator delete[]");
    EXPECT_EQ(warnings.All(), "WARNING: memory release from location \"global operator delete[]\" failed\r\n");
}

#endif
