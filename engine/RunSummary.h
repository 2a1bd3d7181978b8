#pragma once
// The message that ends a run: "Done." when every table of the source was written with
// every row, otherwise what was left out; then the tables of Access's own left out and the
// values written rounded or blank as documented, per table.

#include <QString>

#include "engine/RunStatistics.h"

namespace velmora {

QString RunSummaryText(const RunStatistics& stats);

}  // namespace velmora
