#include "common/Progress.h"

namespace velmora {

namespace {

QString timeLeftText(std::int64_t seconds) {
    if (seconds < 60) return QStringLiteral("less than a minute left");
    const std::int64_t minutes = (seconds + 30) / 60;
    if (minutes < 120) return QStringLiteral("about %1 min left").arg(minutes);
    return QStringLiteral("about %1 h left").arg((minutes + 30) / 60);
}

}  // namespace

QString ExecutionProgressText(int line, int count, const QLocale& locale) {
    return QStringLiteral("Please wait... Processing statement ") + locale.toString(line) +
           QStringLiteral(" of ") + locale.toString(count);
}

QString TableProgressText(const TableProgress& p, const QLocale& locale) {
    QString text = p.phase == TableProgress::Phase::ReadingBack
                       ? QStringLiteral("Reading back table ")
                       : QStringLiteral("Table ");
    text += locale.toString(p.tableNumber) + QStringLiteral(" of ") + locale.toString(p.tables) +
            QStringLiteral(", ") + p.table + QStringLiteral(": row ") +
            locale.toString(static_cast<qlonglong>(p.rowsDone)) + QStringLiteral(" of ") +
            locale.toString(static_cast<qlonglong>(p.rows));
    if (p.secondsLeft >= 0) text += QStringLiteral(", ") + timeLeftText(p.secondsLeft);
    return text;
}

void ProgressSink::setRowCaption(int line, int count) {
    setCaption(ExecutionProgressText(line, count));
}

void ProgressSink::setTableProgress(const TableProgress& progress) {
    setCaption(TableProgressText(progress));
}

std::int64_t TimeLeft::secondsLeft(std::int64_t done, std::int64_t total) const {
    using namespace std::chrono;
    const double elapsed = duration<double>(steady_clock::now() - started_).count();
    // A guess from the first second or the first percent would jump about.
    if (done <= 0 || total <= done || elapsed < 2.0 || done * 100 < total) return -1;
    return static_cast<std::int64_t>(
        elapsed / static_cast<double>(done) * static_cast<double>(total - done) + 0.5);
}

}  // namespace velmora
