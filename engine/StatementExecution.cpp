#include "engine/StatementExecution.h"

#include <cctype>

namespace velmora {

namespace {

// The steps of Execute SQL that run each statement, as its reports number them.
namespace executeStep {
constexpr int kProgress = 114;
constexpr int kCaption = 116;
constexpr int kInsert = 132;
constexpr int kOtherStatement = 134;
constexpr int kCommitTable = 136;
}  // namespace executeStep

// The table a statement is about; `starts` for DROP TABLE and CREATE TABLE, which begin
// a table's statements.
struct StatementTable {
    QString name;
    bool starts = false;
};

std::string_view nextWord(std::string_view text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    const std::size_t start = at;
    while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) ++at;
    return text.substr(start, at - start);
}

bool is(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(word[i])) != upper[i]) return false;
    return true;
}

QString nextName(std::string_view text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    std::string name;
    if (at < text.size() && text[at] == '"') {
        for (++at; at < text.size(); ++at) {
            if (text[at] != '"') {
                name += text[at];
            } else if (at + 1 < text.size() && text[at + 1] == '"') {
                name += '"';
                ++at;
            } else {
                ++at;
                break;
            }
        }
    } else {
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])) &&
               text[at] != '(')
            name += text[at++];
    }
    if (name.size() > 3 && is(std::string_view(name).substr(name.size() - 3), ".DB"))
        name.resize(name.size() - 3);
    return QString::fromStdString(name);
}

StatementTable tableOf(std::string_view text) {
    std::size_t at = 0;
    const std::string_view first = nextWord(text, at);
    const std::string_view second = nextWord(text, at);
    if ((is(first, "DROP") || is(first, "CREATE")) && is(second, "TABLE"))
        return {nextName(text, at), true};
    if ((is(first, "INSERT") && is(second, "INTO")) || (is(first, "DELETE") && is(second, "FROM")))
        return {nextName(text, at), false};
    if (is(first, "CREATE") && is(second, "INDEX")) {
        nextName(text, at);  // the index
        if (is(nextWord(text, at), "ON")) return {nextName(text, at), false};
    }
    return {};
}

// The open table's statements are done: its new form takes its place.
void commitTable(StatementList& statements, db::Connection& connection,
                 TableTransaction& transaction, Procedure& proc, int lastLine) {
    if (transaction.table.isEmpty()) return;
    const int first = transaction.firstLine;
    transaction = {};
    if (!proc.step(executeStep::kCommitTable, [&] { connection.commitTrans(); }))
        statements.setPending(first, lastLine);
}

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

void RollBackTable(StatementList& statements, db::Connection& connection,
                   TableTransaction& transaction) {
    if (transaction.table.isEmpty()) return;
    const int first = transaction.firstLine;
    transaction = {};
    try {
        connection.rollbackTrans();
    } catch (...) {
        // A connection that is gone holds nothing of the table.
    }
    statements.setPending(first, statements.count() - 1);
}

ExecutionOutcome ExecuteStatementList(StatementList& statements, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump,
                                      TableTransaction& transaction,
                                      const std::atomic<bool>* cancel, bool endsList) {
    ExecutionOutcome outcome;
    const int count = statements.count();
    for (int line = statements.firstPending() + 1; line <= count; ++line) {
        if (!statements.isPending(line - 1)) continue;
        pump.yield();
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            RollBackTable(statements, connection, transaction);
            outcome.cancelled = true;
            return outcome;
        }
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
        const StatementTable table = tableOf(text);
        // Another table's statement ends the open table's; DROP TABLE and CREATE TABLE of the
        // same name again (a line fixed after an error) stay in its transaction.
        if (!transaction.table.isEmpty() &&
            table.name.compare(transaction.table, Qt::CaseInsensitive) != 0)
            commitTable(statements, connection, transaction, proc, line - 2);
        if (table.starts && transaction.table.isEmpty()) {
            try {
                connection.beginTrans();
                transaction = {table.name, line - 1};
            } catch (...) {
                // Not open: the statement itself fails and says so.
            }
        }
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
            // Inside a table's statements the table cannot be whole any more: it is left as
            // it was, and execution stops there as at an SQL error.
            if (!transaction.table.isEmpty()) {
                RollBackTable(statements, connection, transaction);
                outcome.stoppedBySqlError = true;
                outcome.errorLine = line;
                outcome.errorText = description;
                return outcome;
            }
        }
    }
    if (endsList) commitTable(statements, connection, transaction, proc, count - 1);
    return outcome;
}

}  // namespace velmora
