#pragma once
// What a timed run had of the machine: its own CPU time against its wall time, and the
// cores that other programs kept busy meanwhile (from /proc/stat). On a shared machine a
// ratio of wall times means little without both.

#include <cstdint>

namespace velmora::bench {

struct CpuShare {
    double seconds = 0;     // wall time
    double cpuSeconds = 0;  // the run's own user and system time
    double otherCores = 0;  // cores busy with other programs, on average
    double utilisation() const { return seconds > 0 ? cpuSeconds / seconds : 0; }
};

// The machine's busy CPU time so far, all cores, in seconds.
double MachineBusySeconds();
int MachineCores();

// Fills `share.otherCores` from the machine's busy time over the run, less the run's own.
void SetOtherCores(CpuShare& share, double busyBefore, double busyAfter);

}  // namespace velmora::bench
