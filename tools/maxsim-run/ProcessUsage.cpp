#include "ProcessUsage.h"

#ifdef _WIN32
// GetProcessMemoryInfo from kernel32 itself (K32GetProcessMemoryInfo), no psapi.dll.
#define PSAPI_VERSION 2
#include <windows.h>

// After windows.h, whose types it uses.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user))
        return 0.0;
    // In units of 100 ns.
    auto seconds = [](const FILETIME& time) {
        return double((unsigned long long)(time.dwHighDateTime) << 32 | time.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0.0;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
#endif
}

unsigned long long ProcessPeakMemoryBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.PeakPagefileUsage;
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    // Linux gives kibibytes.
    return (unsigned long long)usage.ru_maxrss * 1024ull;
#endif
}
