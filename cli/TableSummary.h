#pragma once
// The command line's summary of a run: one line per table of the source saying what
// became of it, with its rows when they were read.

#include <string>

#include "engine/RunStatistics.h"

namespace velmora {

// `listed`: the statements were collected (--sql), not executed.
std::string TableSummary(const RunStatistics& stats, bool listed);

}  // namespace velmora
