#pragma once
// velmora-convert --batch: every database of the batch's sources converted by a process
// of its own (this program, run once per database), a few at a time, into a subfolder of
// the batch's folder. A crash or a damaged file ends only its own database's run. The
// manifest lets a later run skip what is complete; SIGINT and SIGTERM are passed on to
// the runs in progress, and the databases not started yet are left for that later run.

#include "cli/CommandLine.h"

namespace velmora {

// Runs the batch `command` describes; returns the exit status.
int RunBatch(const CommandLine& command);

}  // namespace velmora
