#pragma once

// CPU seconds (user and system) this process has used so far.
double ProcessCpuSeconds();
