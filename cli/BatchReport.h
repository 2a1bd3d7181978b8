#pragma once
// What a batch says about its databases: a record per database (its line in the batch's
// JSON summary, also kept in the manifest), the totals, the summary table for people and
// the batch's JSON document. A converted database's counts come from its own run's JSON
// summary, which the record carries whole.

#include <QJsonObject>
#include <QString>
#include <optional>
#include <ostream>
#include <vector>

namespace velmora {

inline constexpr int kBatchSummaryFormatVersion = 1;

enum class DatabaseOutcome {
    Complete,     // exit status 0
    Incomplete,   // exit status 1: converted in part, or not verified identical
    NotStarted,   // exit status 2: the run could not start
    NoPassword,   // needs a password the map does not give
    Crashed,      // ended by a signal the batch did not send
    Interrupted,  // stopped because the batch was interrupted
    NotReached,   // not started before the batch was interrupted
    NotFound,     // no such file or folder
};

QString OutcomeName(DatabaseOutcome outcome);

struct DatabaseResult {
    QString source;  // as the batch's arguments spell it
    QString folder;  // the database's folder, empty when it has none
    QString log;     // its run's output, empty when none
    DatabaseOutcome outcome = DatabaseOutcome::NotReached;
    std::optional<int> exitStatus;
    double seconds = 0;
    QString error;                       // the first error the run printed
    std::optional<QJsonObject> summary;  // the run's own JSON summary
};

// `verifyAsked`: whether the batch asked for --verify, which makes "verified" true or
// false instead of null.
QJsonObject DatabaseRecord(const DatabaseResult& result, bool verifyAsked);

// A record of an earlier run, for a database this run skips as complete.
QJsonObject SkippedRecord(QJsonObject earlier, const QString& source, const QString& folder,
                          const QString& log);

bool IsComplete(const QJsonObject& record);

// Sums over the records, and how many had each outcome.
QJsonObject BatchTotals(const std::vector<QJsonObject>& records);

QString BatchSummaryJson(const QString& folder, const std::vector<QJsonObject>& records,
                         double seconds, int exitStatus);

// A line per database with its outcome and counts, then the totals.
void PrintBatchTable(std::ostream& out, const std::vector<QJsonObject>& records,
                     const QString& folder);

// "complete, 5 tables, 1200 rows written, 0.4 s" or "not started: <error>".
QString RecordLine(const QJsonObject& record);

}  // namespace velmora
