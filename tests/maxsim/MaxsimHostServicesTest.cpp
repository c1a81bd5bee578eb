#include <cstring>

#include "HeapStatistics.h"
#include "MaxsimFixture.h"

using MaxsimHostServicesTest = MaxsimTest;

namespace {
class Clock : public TimeChangeCallback {
public:
    void TimeChanged(TimeValue t) override { seen.push_back(t); }
    std::vector<TimeValue> seen;
};

class Leaver : public TimeChangeCallback {
public:
    void TimeChanged(TimeValue) override {
        ++calls;
        GetCOREInterface()->UnRegisterTimeChangeCallback(this);
    }
    int calls = 0;
};

int g_calls = 0;
void* g_lastParam = nullptr;
int g_lastCode = 0;

void Count(void* param, NotifyInfo* info) {
    ++g_calls;
    g_lastParam = param;
    g_lastCode = info->intcode;
}

void CountAndLeave(void* param, NotifyInfo* info) {
    Count(param, info);
    UnRegisterNotification(CountAndLeave, param, info->intcode);
}

DWORD WINAPI NoProgress(LPVOID) {
    return 0;
}
} // namespace

TEST_F(MaxsimHostServicesTest, ATimeChangeReachesEveryCallbackOnce) {
    Clock a, b;
    Leaver leaver;
    Interface* ip = GetCOREInterface();
    ip->RegisterTimeChangeCallback(&a);
    ip->RegisterTimeChangeCallback(&leaver);
    ip->RegisterTimeChangeCallback(&b);
    ip->RegisterTimeChangeCallback(&a);
    ip->SetTime(320);
    ip->SetTime(320);
    ip->SetTime(-160);
    EXPECT_EQ(a.seen, (std::vector<TimeValue>{320, -160}));
    EXPECT_EQ(b.seen, (std::vector<TimeValue>{320, -160}));
    EXPECT_EQ(leaver.calls, 1);
    EXPECT_EQ(ip->GetTime(), -160);
    ip->UnRegisterTimeChangeCallback(&a);
    ip->SetTime(0);
    EXPECT_EQ(a.seen.size(), 2u);
    EXPECT_EQ(b.seen.size(), 3u);
}

TEST_F(MaxsimHostServicesTest, LogEntryFormatsItsTextPrintfStyle) {
    LogSys* log = GetCOREInterface()->Log();
    TCHAR format[] = "%d%% of %s";
    log->LogEntry(SYSLOG_WARN, NO_DIALOG, nullptr, format, 50, "nodes");
    TCHAR verbatim[] = "%s";
    TCHAR text[] = "100%s done";
    log->LogEntry(SYSLOG_ERROR, NO_DIALOG, nullptr, verbatim, text);
    TCHAR asFormat[] = "100%% done";
    log->LogEntry(SYSLOG_INFO, NO_DIALOG, nullptr, asFormat);
    const auto& entries = Host().GetLog().Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].type, DWORD(SYSLOG_WARN));
    EXPECT_EQ(entries[0].text, "50% of nodes");
    EXPECT_EQ(entries[1].text, "100%s done");
    // Text handed over as the format loses its percent signs.
    EXPECT_EQ(entries[2].text, "100% done");
}

TEST_F(MaxsimHostServicesTest, LogTypesFilterEntries) {
    LogSys* log = GetCOREInterface()->Log();
    log->SetLogTypes(SYSLOG_ERROR);
    TCHAR text[] = "x";
    log->LogEntry(SYSLOG_INFO, NO_DIALOG, nullptr, text);
    log->LogEntry(SYSLOG_ERROR, NO_DIALOG, nullptr, text);
    EXPECT_EQ(Host().GetLog().Entries().size(), 1u);
}

TEST_F(MaxsimHostServicesTest, ProgressDisplaysAreRecordedFromStartToEnd) {
    Interface* ip = GetCOREInterface();
    TCHAR title[] = "";
    EXPECT_TRUE(ip->ProgressStart(title, TRUE, NoProgress, nullptr));
    ASSERT_EQ(Host().ProgressRecords().size(), 1u);
    EXPECT_FALSE(Host().ProgressRecords()[0].ended);
    EXPECT_TRUE(Host().ProgressRecords()[0].hasFunction);
    EXPECT_EQ(Host().ProgressRecords()[0].dispBar, TRUE);
    ip->ProgressEnd();
    EXPECT_TRUE(Host().ProgressRecords()[0].ended);
}

TEST_F(MaxsimHostServicesTest, NotificationsReachTheirRegistrantsUntilUnregistered) {
    g_calls = 0;
    int marker = 0;
    EXPECT_EQ(RegisterNotification(Count, &marker, NOTIFY_SYSTEM_SHUTDOWN), 1);
    EXPECT_EQ(RegisterNotification(Count, &marker, NOTIFY_SYSTEM_SHUTDOWN), 0);
    EXPECT_EQ(RegisterNotification(CountAndLeave, nullptr, NOTIFY_SYSTEM_SHUTDOWN), 1);
    BroadcastNotification(0x48);
    EXPECT_EQ(g_calls, 0);
    BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN);
    EXPECT_EQ(g_calls, 2);
    EXPECT_EQ(g_lastCode, 0x49);
    BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN);
    EXPECT_EQ(g_calls, 3);
    EXPECT_EQ(g_lastParam, &marker);
    EXPECT_EQ(UnRegisterNotification(Count, &marker, NOTIFY_SYSTEM_SHUTDOWN), 1);
    EXPECT_EQ(UnRegisterNotification(Count, &marker, NOTIFY_SYSTEM_SHUTDOWN), 0);
    BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN);
    EXPECT_EQ(g_calls, 3);
}

TEST_F(MaxsimHostServicesTest, ARefusingHostRegistersNothingUntilReset) {
    g_calls = 0;
    Host().RefuseNotifications();
    EXPECT_EQ(RegisterNotification(Count, nullptr, NOTIFY_SYSTEM_SHUTDOWN), 0);
    BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN);
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(Host().NotificationCount(NOTIFY_SYSTEM_SHUTDOWN), 0);
    Host().Reset();
    EXPECT_EQ(RegisterNotification(Count, nullptr, NOTIFY_SYSTEM_SHUTDOWN), 1);
    EXPECT_EQ(UnRegisterNotification(Count, nullptr, NOTIFY_SYSTEM_SHUTDOWN), 1);
}

TEST_F(MaxsimHostServicesTest, CustomControlsAndRedrawsAreRecorded) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(&g_calls);
    InitCustomControls(instance);
    EXPECT_EQ(Host().CustomControlsInitCount(), 1);
    EXPECT_EQ(Host().CustomControlsInstance(), instance);
    GetCOREInterface()->RedrawViews(Now(), REDRAW_NORMAL, nullptr);
    EXPECT_EQ(Host().RedrawCount(), 1);
    EXPECT_EQ(REDRAW_NORMAL, 8);
}

TEST_F(MaxsimHostServicesTest, TheHostHeapCountsItsBlocks) {
    const long before = maxsim::HeapStatistics::LiveBlocks();
    PolyObject* p = NewPoly();
    EXPECT_EQ(maxsim::HeapStatistics::LiveBlocks(), before + 1);
    p->DeleteThis();
    EXPECT_EQ(maxsim::HeapStatistics::LiveBlocks(), before);
}

TEST_F(MaxsimHostServicesTest, EntryPointsReachTheOneHost) {
    EXPECT_EQ(GetCOREInterface(), static_cast<Interface*>(GetCOREInterface9()));
    EXPECT_EQ(static_cast<Interface7*>(GetCOREInterface9()), GetCOREInterface7());
    EXPECT_EQ(static_cast<Interface8*>(GetCOREInterface9()), GetCOREInterface8());
    EXPECT_EQ(GetCOREInterface(Interface_ID(0x0E343EF5, 0x62944BC2)), nullptr);
    EXPECT_EQ(VERSION_3DSMAX, 0x23281500);
}
