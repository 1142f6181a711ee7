#pragma once

#include <atomic>
#include <thread>

// Resident memory as the kernel counts it, in MB: `key` "VmRSS" now, "VmHWM"
// the peak since ResetPeakMemory; -1 when it cannot be read.
double ResidentMb(const char* key);
// Starts the peak (VmHWM) again from the memory resident now.
void ResetPeakMemory();

// The highest anonymous and file-backed resident memory (RssAnon, RssFile
// plus RssShmem, in MB) while it lives, looked at every 10 ms on a thread of
// its own: VmHWM gives only their sum.
class ResidentShares {
public:
    ResidentShares();
    ~ResidentShares();
    ResidentShares(const ResidentShares&) = delete;
    ResidentShares& operator=(const ResidentShares&) = delete;

    double AnonymousMb() const { return anonymous_.load(); }
    double FileMb() const { return file_.load(); }

private:
    void Look();

    std::atomic<double> anonymous_{0};
    std::atomic<double> file_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
