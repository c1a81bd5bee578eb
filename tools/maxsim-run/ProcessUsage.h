#pragma once

// What this process has used so far, for the session's "times" report.

// CPU seconds (user and system).
double ProcessCpuSeconds();

// The most memory the process has held at once, in bytes: the peak resident
// set natively, the peak of private committed memory on Windows (what counts
// against a 32-bit process's address space). 0 when it cannot be told.
unsigned long long ProcessPeakMemoryBytes();
