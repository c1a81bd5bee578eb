#include "HeapStatistics.h"

#include <atomic>

namespace maxsim {
namespace {
std::atomic<long> g_live{0};
std::atomic<long> g_total{0};
} // namespace

void HeapStatistics::CountAllocation() {
    ++g_live;
    ++g_total;
}

void HeapStatistics::CountRelease() {
    --g_live;
}
long HeapStatistics::LiveBlocks() {
    return g_live;
}
long HeapStatistics::TotalAllocations() {
    return g_total;
}
} // namespace maxsim
