#pragma once
#include "max.h"

#include "coreexp.h"

namespace maxsim {
// Counts the blocks of the host heap, so that a session can tell whether
// everything a plug-in allocated there was given back.
class CoreExport HeapStatistics {
public:
    static void CountAllocation();
    static void CountRelease();
    static long LiveBlocks();
    static long TotalAllocations();
};
} // namespace maxsim
