#include "engine/RunProgress.h"

namespace velmora {

namespace {
// Rows between two estimates of the time left; the clock need not be read for every row.
constexpr std::int64_t kRowsPerEstimate = 256;
}  // namespace

void RunProgress::startTable(TableProgress::Phase phase, int number, const QString& table) {
    shown_.phase = phase;
    shown_.tableNumber = number;
    shown_.table = table;
    shown_.rowsDone = shown_.rows = 0;
    shown_.secondsLeft = -1;
    timeLeft_.start();
}

void RunProgress::row(std::int64_t row, std::int64_t rows) {
    shown_.rowsDone = row;
    shown_.rows = rows;
    if (row % kRowsPerEstimate == 0) shown_.secondsLeft = timeLeft_.secondsLeft(row, rows);
    bar_.setTableProgress(shown_);
}

}  // namespace velmora
