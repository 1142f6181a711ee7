#pragma once

// Resident memory as the kernel counts it, in MB: `key` "VmRSS" now, "VmHWM"
// the peak since ResetPeakMemory; -1 when it cannot be read.
double ResidentMb(const char* key);
// Starts the peak (VmHWM) again from the memory resident now.
void ResetPeakMemory();
