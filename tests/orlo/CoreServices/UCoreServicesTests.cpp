#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "../../support/RecordingCoreServices.h"
#include "../../support/RecordingLog.h"
#include "orlo/CoreServices/Implementations/UCoreServices.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Implementations/UMemoryPool.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/Memory.h"

#ifdef _WIN32
#include "orlo/CoreServices/Implementations/Windows/UFileSystem_Windows.h"
#include "orlo/CoreServices/Implementations/Windows/UMemoryAllocator_Windows.h"
#endif

using orlo::ICoreServices;
using orlo::UString;
using orlo_test::RecordingCoreServicesScope;
using orlo_test::RecordingLog;

namespace {

ICoreServices* g_other = nullptr;
ICoreServices* OtherAccessor() {
    return g_other;
}

} // namespace

namespace orlo_test {

// Pools whose Init fails in the ways a pool can.
enum class InitOutcome { Succeed, Fail, Raise, RaiseForeign };
InitOutcome g_initOutcome = InitOutcome::Succeed;
int g_livePools = 0;

class ScriptedPool : public orlo::UMemoryPool {
public:
    ScriptedPool() { ++g_livePools; }
    ~ScriptedPool() override { --g_livePools; }
    bool Init(uint32_t) override {
        switch (g_initOutcome) {
        case InitOutcome::Fail:
            return false;
        case InitOutcome::Raise:
            assure(g_initOutcome == InitOutcome::Succeed);
            return true;
        case InitOutcome::RaiseForeign:
            throw std::runtime_error("foreign");
        default:
            return true;
        }
    }
};

using UScriptedCoreServices = orlo::UCoreServices<orlo::UMemoryAllocator_ANSI, ScriptedPool, orlo::UFileSystem_ANSI>;

} // namespace orlo_test

using namespace orlo_test;

TEST(CoreServicesAccessor, ReplacingReturnsThePreviousAccessorAndRoutesAllocation) {
    ICoreServices* bootstrap = orlo::GetCoreServices();
    ASSERT_NE(bootstrap, nullptr);
    EXPECT_EQ(bootstrap, orlo::GetBootstrapCoreServices());

    orlo_test::URecordingCoreServices other;
    g_other = &other;
    orlo::CoreServicesAccessor previous = orlo::SetCoreServicesAccessor(&OtherAccessor);
    EXPECT_EQ(orlo::GetCoreServices(), &other);
    {
        UString text("routed through the current pool");
        text += " and grown beyond the sixty-four bytes of its first block";
    }
    EXPECT_EQ(orlo::SetCoreServicesAccessor(previous), &OtherAccessor);
    EXPECT_EQ(orlo::GetCoreServices(), bootstrap);

    auto& pool = *static_cast<orlo_test::RecordingPool*>(other.GetDefaultMemoryPool());
    // The first block, the grown one, the release of the first when it moved
    // and of the grown one at the end of the scope.
    ASSERT_EQ(pool.Count(), 4);
    EXPECT_TRUE(pool[0].allocation);
    EXPECT_STREQ(pool[0].location, "global operator new[]");
    EXPECT_EQ(pool[0].size, 64u);
    EXPECT_STREQ(pool[1].location, "global operator new[]");
    EXPECT_EQ(pool[1].size, 128u);
    EXPECT_FALSE(pool[2].allocation);
    EXPECT_STREQ(pool[2].location, "global operator delete[]");
    EXPECT_EQ(pool[2].block, pool[0].block);
    EXPECT_FALSE(pool[3].allocation);
    EXPECT_EQ(pool[3].block, pool[1].block);
    g_other = nullptr;
}

TEST(CoreServicesAccessor, BootstrapPoolServesTheLibraryBeforeAnythingIsInstalled) {
    auto* pool = static_cast<orlo::UMemoryPool*>(orlo::GetCoreServices()->GetDefaultMemoryPool());
    uint64_t before = pool->GetCumulatedAllocations();
    int64_t current = pool->GetCurrentAllocations();
    {
        UString text("a block from the bootstrap pool");
        EXPECT_EQ(pool->GetCurrentAllocations(), current + 1);
    }
    EXPECT_EQ(pool->GetCumulatedAllocations(), before + 1);
    EXPECT_EQ(pool->GetCurrentAllocations(), current);
}

TEST(UCoreServices, InitAttachesTheChannelsToTheirSlots) {
    // Channel -> the slots it reaches, as the prefix-free text arrives there.
    struct Row {
        int channel;
        std::vector<int> slots;
        const char* expected;
    };
    const Row rows[] = {
        {0, {}, ""},
        {1, {1}, "one\r\n"},
        {2, {1, 2}, "DEBUG:   two\r\n"},
        {3, {3, 1}, "three\r\n"},
        {4, {1, 3, 4}, "four\r\n"},
        {5, {5, 1}, "five\r\n"},
        {6, {1, 3, 6}, "six\r\n"},
        {7, {1, 7, 4}, "WARNING: seven\r\n"},
    };
    const char* texts[] = {"zero", "one", "two", "three", "four", "five", "six", "seven"};

    RecordingCoreServicesScope scope;
    ICoreServices* services = orlo::GetCoreServices();
    EXPECT_TRUE(services->Init(4096)); // a second Init attaches nothing twice
    for (const Row& row : rows) {
        RecordingLog logs[8];
        orlo::ILog* previous[8];
        for (int slot = 0; slot < 8; ++slot)
            previous[slot] = services->SetLogTarget(slot, &logs[slot]);
        orlo::ULogMessage(services->GetLogChannel(row.channel), texts[row.channel]);
        for (int slot = 0; slot < 8; ++slot)
            EXPECT_EQ(services->SetLogTarget(slot, previous[slot]), &logs[slot]);
        for (int slot = 0; slot < 8; ++slot) {
            bool reached = std::find(row.slots.begin(), row.slots.end(), slot) != row.slots.end();
            EXPECT_EQ(logs[slot].All(), reached ? row.expected : "") << "channel " << row.channel << " slot " << slot;
        }
    }
}

TEST(UCoreServices, IndicesOutsideTheRangeGiveChannelAndSlotZero) {
    RecordingCoreServicesScope scope;
    ICoreServices* services = orlo::GetCoreServices();
    EXPECT_EQ(services->GetLogChannel(8), services->GetLogChannel(0));
    EXPECT_EQ(services->GetLogChannel(-1), services->GetLogChannel(0));
    EXPECT_EQ(services->GetLogSlot(9), services->GetLogSlot(0));
    EXPECT_NE(services->GetLogSlot(3), services->GetLogSlot(0));
    RecordingLog log;
    EXPECT_EQ(services->SetLogTarget(8, &log), nullptr);
    EXPECT_EQ(services->SetLogTarget(-1, &log), nullptr);
    EXPECT_EQ(services->SetLogTarget(0, nullptr), nullptr);
}

TEST(UCoreServices, CreateMemoryPoolAllocatesThroughTheCurrentPool) {
    RecordingCoreServicesScope scope;
    auto& recording = scope.Pool();
    recording.Clear();
    orlo::IMemoryPool* pool = orlo::GetCoreServices()->CreateMemoryPool(4096);
    ASSERT_NE(pool, nullptr);
    EXPECT_NE(dynamic_cast<orlo_test::RecordingPool*>(pool), nullptr);
    EXPECT_EQ(recording.CountOf(true, "global operator new"), 1);
    void* block = pool->Allocate(16, "global operator new[]");
    EXPECT_NE(block, nullptr);
    pool->Free(block, "global operator delete[]");
    delete pool;
    EXPECT_EQ(recording.CountOf(false, "global operator delete"), 1);
    EXPECT_EQ(recording.Outstanding(), 0);

    // A pool that cannot supply the object: none, and no constructor ran.
    recording.SetRefusing(true);
    EXPECT_EQ(orlo::GetCoreServices()->CreateMemoryPool(4096), nullptr);
    recording.SetRefusing(false);
}

TEST(UCoreServices, FailedInitLeavesNoObjectBehind) {
    RecordingCoreServicesScope scope;
    UScriptedCoreServices services;
    const InitOutcome outcomes[] = {InitOutcome::Fail, InitOutcome::Raise, InitOutcome::RaiseForeign};
    for (InitOutcome outcome : outcomes) {
        scope.Pool().Clear();
        g_initOutcome = outcome;
        orlo::IMemoryPool* pool = nullptr;
        try {
            pool = services.CreateMemoryPool(16);
            EXPECT_EQ(outcome, InitOutcome::Fail);
        } catch (const orlo::ErrorDescription& error) {
            EXPECT_NE(outcome, InitOutcome::Fail);
            std::string history = error.GetHistory();
            const std::string name = "orlo::UCoreServices<class orlo::UMemoryAllocator_ANSI,class "
                                     "orlo_test::ScriptedPool,class orlo::UFileSystem_ANSI>::CreateMemoryPool()";
            EXPECT_NE(history.find(name), std::string::npos) << history;
            if (outcome == InitOutcome::RaiseForeign)
                EXPECT_STREQ(error.GetMessageText(), "unknown error");
            else
                EXPECT_STREQ(error.GetMessageText(), "'assure' failed: g_initOutcome == InitOutcome::Succeed");
        }
        EXPECT_EQ(pool, nullptr);
        EXPECT_EQ(g_livePools, 1); // only the default pool of `services`
        EXPECT_EQ(scope.Pool().Outstanding(), 0);
    }
    g_initOutcome = InitOutcome::Succeed;
}

TEST(UCoreServices, InitFailureOfTheDefaultPoolIsReported) {
    UScriptedCoreServices services;
    g_initOutcome = InitOutcome::Fail;
    EXPECT_FALSE(services.Init(4096));
    g_initOutcome = InitOutcome::Raise;
    try {
        services.Init(4096);
        ADD_FAILURE() << "Init did not raise";
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_NE(std::string(error.GetHistory())
                      .find("orlo::UCoreServices<class orlo::UMemoryAllocator_ANSI,class "
                            "orlo_test::ScriptedPool,class orlo::UFileSystem_ANSI>::Init()"),
                  std::string::npos)
            << error.GetHistory();
    }
    g_initOutcome = InitOutcome::Succeed;
}

TEST(UCoreServices, CreateCoreServicesDefaultBuildsThePlatformObject) {
    RecordingCoreServicesScope scope;
    scope.Pool().Clear();
    ICoreServices* services = orlo::CreateCoreServices_Default(4096);
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(scope.Pool().CountOf(true, "global operator new"), 1);
#ifdef _WIN32
    EXPECT_NE(dynamic_cast<orlo::platform_windows::UMemoryAllocator_Windows*>(services->GetAllocator()), nullptr);
    EXPECT_NE(dynamic_cast<orlo::platform_windows::UFileSystem_Windows*>(services->GetFileSystem()), nullptr);
#else
    EXPECT_NE(dynamic_cast<orlo::UMemoryAllocator_ANSI*>(services->GetAllocator()), nullptr);
    EXPECT_NE(dynamic_cast<orlo::UFileSystem_ANSI*>(services->GetFileSystem()), nullptr);
#endif
    EXPECT_NE(dynamic_cast<orlo::UMemoryPool*>(services->GetDefaultMemoryPool()), nullptr);

    // Initialised: its warning channel reaches slot 7.
    orlo_test::WarningCapture capture;
    orlo::ULogMessage(services->GetLogChannel(7), "from the default object");
    EXPECT_EQ(capture.All(), "WARNING: from the default object\r\n");

    delete services;
    EXPECT_EQ(scope.Pool().Outstanding(), 0);

    scope.Pool().SetRefusing(true);
    EXPECT_EQ(orlo::CreateCoreServices_Default(4096), nullptr);
    scope.Pool().SetRefusing(false);
}
