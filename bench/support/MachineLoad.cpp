#include "bench/support/MachineLoad.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

namespace velmora::bench {

double MachineBusySeconds() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    std::uint64_t user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0,
                  steal = 0;
    if (!(stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal))
        return 0;
    return static_cast<double>(user + nice + system + irq + softirq + steal) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

int MachineCores() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void SetOtherCores(CpuShare& share, double busyBefore, double busyAfter) {
    if (share.seconds <= 0) return;
    share.otherCores = std::max(0.0, (busyAfter - busyBefore - share.cpuSeconds) / share.seconds);
}

}  // namespace velmora::bench
