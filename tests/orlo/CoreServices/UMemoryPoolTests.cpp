#include <gtest/gtest.h>

#include <string>

#include "../../support/RecordingLog.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "orlo/CoreServices/Implementations/UMemoryPool.h"

using orlo::UMemoryPool;
using orlo_test::RecordingLog;

namespace {

std::string Megabytes(double bytes) {
    char text[64];
    snprintf(text, sizeof(text), "%.4f", bytes / 1048576.0);
    return text;
}

std::string Statistics(UMemoryPool& pool) {
    RecordingLog log;
    orlo::ULogChannel channel(orlo::ULogChannel::KIND_PLAIN);
    channel.AddOutput(&log);
    pool.PrintStatistics(&channel);
    EXPECT_EQ(log.Messages().size(), 1u);
    return log.All();
}

} // namespace

TEST(UMemoryPool, ZeroSizeRequestsAllocateNothingAndCountApart) {
    UMemoryPool pool;
    EXPECT_EQ(pool.Allocate(0, "global operator new"), nullptr);
    EXPECT_EQ(pool.Allocate(0, "global operator new"), nullptr);
    EXPECT_EQ(pool.GetCurrentZeroSizeAllocations(), 2);
    EXPECT_EQ(pool.GetMaximumZeroSizeAllocations(), 2u);
    pool.Free(nullptr, "global operator delete");
    EXPECT_EQ(pool.GetCurrentZeroSizeAllocations(), 1);
    EXPECT_EQ(pool.GetMaximumZeroSizeAllocations(), 2u);
    // Nothing else moved.
    EXPECT_EQ(pool.GetCurrentAllocations(), 0);
    EXPECT_EQ(pool.GetCumulatedAllocations(), 0u);
    EXPECT_EQ(pool.GetBytesInUse(), 0);
    EXPECT_EQ(pool.GetMinimumSize(), 4294967295u);
}

TEST(UMemoryPool, CountersFollowAllocationsAndReleases) {
    UMemoryPool pool;
    void* small = pool.Allocate(10, "global operator new[]");
    void* large = pool.Allocate(30, "global operator new[]");
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    // The blocks are usable memory of at least the requested size.
    memset(small, 0xAB, 10);
    memset(large, 0xCD, 30);
    uint64_t smallUsable = UMemoryPool::GetUsableSize(small);
    uint64_t largeUsable = UMemoryPool::GetUsableSize(large);
    EXPECT_GE(smallUsable, 10u);
    EXPECT_EQ(pool.GetBytesInUse(), int64_t(smallUsable + largeUsable));
    EXPECT_EQ(pool.GetCumulatedOverhead(), smallUsable + largeUsable - 40);

    pool.Free(small, "global operator delete[]");
    EXPECT_EQ(pool.GetCurrentAllocations(), 1);
    EXPECT_EQ(pool.GetCumulatedAllocations(), 2u);
    EXPECT_EQ(pool.GetMaximumAllocations(), 2u);
    EXPECT_EQ(pool.GetMinimumSize(), 10u);
    EXPECT_EQ(pool.GetMaximumSize(), 30u);
    EXPECT_EQ(pool.GetAverageSize(), 20u);
    EXPECT_EQ(pool.GetBytesInUse(), int64_t(largeUsable));

    // The maximum is the most blocks held at once, not another running total.
    void* again = pool.Allocate(20, "global operator new[]");
    EXPECT_EQ(pool.GetCurrentAllocations(), 2);
    EXPECT_EQ(pool.GetMaximumAllocations(), 2u);
    EXPECT_EQ(pool.GetCumulatedAllocations(), 3u);
    pool.Free(again, "global operator delete[]");
    pool.Free(large, "global operator delete[]");
    // Usable sizes are counted alike both ways, so nothing is left over.
    EXPECT_EQ(pool.GetBytesInUse(), 0);
    EXPECT_EQ(pool.GetCurrentAllocations(), 0);
}

TEST(UMemoryPool, StatisticsOfAFreshPool) {
    UMemoryPool pool;
    EXPECT_EQ(Statistics(pool), "memory allocator statistics:\r\n"
                                "    memory currently used: 0 bytes (0.0000MB)\r\n"
                                "    number of current allocations: 0\r\n"
                                "    number of maximum allocations: 0\r\n"
                                "    number of cumulated allocations: 0\r\n"
                                "    cumulated allocation overhead: 0 bytes (0.0000MB)\r\n"
                                "    average allocation size: 0 bytes (0.0000MB)\r\n"
                                "    minimum allocation size: 4294967295 bytes (4096.0000MB)\r\n"
                                "    maximum allocation size: 0 bytes (0.0000MB)\r\n"
                                "    current number of zero-size allocations: 0\r\n"
                                "    maximum number of zero-size allocations: 0\r\n"
                                "\r\n");
}

TEST(UMemoryPool, StatisticsShowTheCountersInUse) {
    UMemoryPool pool;
    void* block = pool.Allocate(3 * 1048576, "global operator new[]");
    ASSERT_NE(block, nullptr);
    pool.Free(nullptr, "global operator delete");
    pool.Free(nullptr, "global operator delete");
    uint64_t usable = UMemoryPool::GetUsableSize(block);
    std::string text = Statistics(pool);
    pool.Free(block, "global operator delete[]");

    // The first line, ten indented lines, and the channel's own line end.
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 12u);
    EXPECT_EQ(text.rfind("memory allocator statistics:\r\n", 0), 0u);
    EXPECT_NE(text.find("    memory currently used: " + std::to_string(usable) + " bytes (" +
                        Megabytes(double(usable)) + "MB)\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("    maximum allocation size: 3145728 bytes (3.0000MB)\r\n"), std::string::npos);
    EXPECT_NE(text.find("    minimum allocation size: 3145728 bytes (3.0000MB)\r\n"), std::string::npos);
    // A release of none that was never allocated drives the count below zero.
    EXPECT_NE(text.find("    current number of zero-size allocations: -2\r\n"), std::string::npos);
}
