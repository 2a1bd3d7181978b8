#pragma once
// Runs another program to the end with its standard output sent to a file (and its
// standard error too, when `errorFile` is given), measuring its wall time, its CPU time
// against the other programs' load, and its peak resident memory.

#include <string>
#include <vector>

#include "bench/support/MachineLoad.h"

namespace velmora::bench {

struct ChildRun : CpuShare {
    long peakKb = 0;
    int exitCode = -1;  // -1 when it could not start (127) or did not exit normally
};

ChildRun RunChild(const std::vector<std::string>& args, const char* outputFile = "/dev/null",
                  const char* errorFile = nullptr);

}  // namespace velmora::bench
