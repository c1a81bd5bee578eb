#include "UHeapStatistics.h"

#include <atomic>

namespace maxsim
{
namespace
{
std::atomic<long> g_live{0};
std::atomic<long> g_total{0};
} // namespace

void UHeapStatistics::CountAllocation()
{
    ++g_live;
    ++g_total;
}

void UHeapStatistics::CountRelease() { --g_live; }
long UHeapStatistics::LiveBlocks() { return g_live; }
long UHeapStatistics::TotalAllocations() { return g_total; }
} // namespace maxsim
