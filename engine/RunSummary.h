#pragma once
// The message that ends a run: "Done." when every table of the source was written with
// every row, otherwise what was left out; then the tables of Access's own left out and the
// values written rounded or blank as documented, per table.

#include <QString>
#include <cstdint>

#include "engine/ConversionRun.h"

namespace velmora {

// `statementsFailed` counts every statement that failed on its way straight to the
// target, refused rows included.
QString RunSummaryText(const RunStatistics& stats, std::int64_t statementsFailed);

}  // namespace velmora
