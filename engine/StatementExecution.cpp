#include "engine/StatementExecution.h"

namespace velmora {

namespace {

// The steps of Execute SQL that run each statement, as its reports number them.
namespace executeStep {
constexpr int kProgress = 114;
constexpr int kCaption = 116;
constexpr int kInsert = 132;
constexpr int kOtherStatement = 134;
}  // namespace executeStep

bool isBlank(std::string_view line) {
    for (const char c : line)
        if (c != ' ') return false;
    return true;
}

bool containsInsertInto(std::string_view line) {
    static constexpr std::string_view kWords = "insert into";
    if (line.size() < kWords.size()) return false;
    for (std::size_t at = 0; at + kWords.size() <= line.size(); ++at) {
        std::size_t i = 0;
        while (i < kWords.size() &&
               std::tolower(static_cast<unsigned char>(line[at + i])) == kWords[i])
            ++i;
        if (i == kWords.size()) return true;
    }
    return false;
}

}  // namespace

ExecutionOutcome ExecuteStatementList(StatementList& statements, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump) {
    ExecutionOutcome outcome;
    const int count = statements.count();
    for (int line = statements.firstPending() + 1; line <= count; ++line) {
        if (!statements.isPending(line - 1)) continue;
        pump.yield();
        proc.step(executeStep::kProgress,
                  [&] { progress.setValue(static_cast<double>(line) / count * 100.0); });
        proc.step(executeStep::kCaption, [&] { progress.setRowCaption(line, count); });
        const std::string_view text = statements.utf8(line - 1);
        if (isBlank(text)) {
            statements.setExecuted(line - 1);
            continue;
        }
        const int step =
            containsInsertInto(text) ? executeStep::kInsert : executeStep::kOtherStatement;
        try {
            connection.execute(text);
            statements.setExecuted(line - 1);
        } catch (...) {
            const QString description = describeException(std::current_exception());
            if (description.contains(QLatin1String("SQLException"), Qt::CaseInsensitive)) {
                outcome.stoppedBySqlError = true;
                outcome.errorLine = line;
                outcome.errorText = description;
                return outcome;
            }
            proc.report(step, std::current_exception());
        }
    }
    return outcome;
}

}  // namespace velmora
