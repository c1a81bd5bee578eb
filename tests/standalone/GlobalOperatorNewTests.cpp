#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "orlo/CoreServices/Implementations/UMemoryPool.h"

#include "../support/RecordingCoreServices.h"

using orlo_test::RecordingCoreServicesScope;

namespace {

struct Widget {
    int values[5];
};

// Pointers kept where the optimiser cannot see them: a new-expression whose
// result goes unused may be left out altogether.
void* volatile g_escape;
template <class T>
T* Escape(T* pointer) {
    g_escape = pointer;
    return static_cast<T*>(g_escape);
}

} // namespace

// Linked with the replacement of the global operators: every new and delete
// of this program passes the current core services' default pool.
TEST(GlobalOperatorNew, SingleObjectsAndArraysPassThePoolWithTheirLocation) {
    RecordingCoreServicesScope scope;
    auto& pool = scope.Pool();
    pool.Clear();
    Widget* widget = Escape(new Widget());
    delete widget;
    int* numbers = Escape(new int[7]);
    delete[] numbers;

    ASSERT_EQ(pool.Count(), 4);
    EXPECT_TRUE(pool[0].allocation);
    EXPECT_EQ(pool[0].size, sizeof(Widget));
    EXPECT_STREQ(pool[0].location, "global operator new");
    EXPECT_FALSE(pool[1].allocation);
    EXPECT_EQ(pool[1].block, pool[0].block);
    EXPECT_STREQ(pool[1].location, "global operator delete");
    EXPECT_EQ(pool[2].size, 7 * sizeof(int));
    EXPECT_STREQ(pool[2].location, "global operator new[]");
    EXPECT_STREQ(pool[3].location, "global operator delete[]");
}

TEST(GlobalOperatorNew, ARefusingPoolMakesNewFail) {
    RecordingCoreServicesScope scope;
    auto& pool = scope.Pool();
    pool.SetRefusing(true);
    Widget* quiet = Escape(new (std::nothrow) Widget());
    bool raised = false;
    try {
        Widget* loud = Escape(new Widget());
        delete loud;
    } catch (const std::bad_alloc&) {
        raised = true;
    }
    pool.SetRefusing(false);
    EXPECT_EQ(quiet, nullptr);
    EXPECT_TRUE(raised);
}

TEST(GlobalOperatorNew, ZeroBytesStillGiveDistinctBlocks) {
    RecordingCoreServicesScope scope;
    char* first = Escape(new char[0]);
    char* second = Escape(new char[0]);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(first, second);
    delete[] first;
    delete[] second;
    EXPECT_EQ(scope.Pool().Outstanding(), 0);
}

// Standard containers of the program allocate from the bootstrap pool too.
TEST(GlobalOperatorNew, BootstrapPoolCountsStandardContainers) {
    auto* pool = orlo::GetCoreServices()->GetDefaultMemoryPool();
    auto* statistics = dynamic_cast<orlo::UMemoryPool*>(pool);
    ASSERT_NE(statistics, nullptr);
    uint64_t before = statistics->GetCumulatedAllocations();
    {
        std::vector<int> numbers(100, 7);
        EXPECT_EQ(numbers[99], 7);
    }
    EXPECT_EQ(statistics->GetCumulatedAllocations(), before + 1);
}
