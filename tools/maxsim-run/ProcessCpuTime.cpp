#include "ProcessCpuTime.h"

#ifdef _WIN32
#include <windows.h>
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
