#pragma once
// The run's summary as one JSON document (--summary json): every table the run met with
// its names, code page, outcome, row counts and verification, the totals and the exit
// status. The shape is documented in velmora-convert(1) and only ever grows.

#include <QString>

#include "cli/CommandLine.h"
#include "engine/RunStatistics.h"

namespace velmora {

inline constexpr int kSummaryFormatVersion = 1;

QString RunSummaryJson(const CommandLine& command, const RunStatistics& stats, int reports,
                       int exitStatus);

}  // namespace velmora
