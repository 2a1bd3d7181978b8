#include "cli/ReportLines.h"

#include <unistd.h>

#include <QRegularExpression>
#include <iostream>
#include <string>

#include "cli/TerminalHost.h"
#include "common/ErrorReport.h"
#include "engine/RowReport.h"
#include "engine/TargetNames.h"

namespace velmora {

namespace {

QString oneLine(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\t]+"));
    return QString(text).replace(breaks, QStringLiteral(" ")).trimmed();
}

// What reaches the terminal: line breaks stay, every other control character is written
// out, so that text quoted from a database (a name, a value) cannot steer the terminal.
std::string terminalSafe(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : TerminalText(text)) {
        if ((c.unicode() < 0x20 && c != u'\n') || c.unicode() == 0x7F)
            safe += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            safe += c;
    }
    return safe.toStdString();
}

}  // namespace

QString ReportLine(const QString& report, bool withStep) {
    const std::optional<ErrorReportParts> parts = splitErrorReport(report);
    if (!parts) return QStringLiteral("velmora-convert: ") + oneLine(report);
    QString line;
    if (const std::optional<ReportedRow> row = ReportedRowOf(parts->description)) {
        line = QStringLiteral("table ") + QuoteIdentifier(row->table) + QStringLiteral(", row ") +
               QString::number(row->tvxid + 1) + QStringLiteral(" (TVXID ") +
               QString::number(row->tvxid) + QStringLiteral("): ") + row->verdict.toLower() +
               QStringLiteral(": ") + oneLine(row->reason);
        if (!row->values.isEmpty()) line += QStringLiteral(" [") + oneLine(row->values) + u']';
    } else {
        line = oneLine(parts->description);
    }
    if (withStep)
        line += QStringLiteral(" (") + parts->location + QStringLiteral("at line ") +
                QString::number(parts->step) + u')';
    return QStringLiteral("velmora-convert: ") + line;
}

TerminalPrompts::TerminalPrompts(OverwritePolicy overwrite, Verbosity verbosity,
                                 std::ostream& messages, TerminalProgress* progress,
                                 std::ostream* errors)
    : overwrite_(overwrite),
      verbosity_(verbosity),
      messages_(messages),
      progress_(progress),
      errors_(errors ? *errors : std::cerr) {}

void TerminalPrompts::message(const QString& text, const QString&) {
    // The run's last word comes after the counts of the reports it did not show.
    flushHidden();
    if (verbosity_ == Verbosity::Quiet) return;
    if (progress_) progress_->clear();
    messages_ << terminalSafe(text) << std::endl;
}

bool TerminalPrompts::askYesNo(const QString& text, const QString& caption) {
    if (caption == QLatin1String("Overwrite?") && overwrite_ != OverwritePolicy::Ask)
        return overwrite_ == OverwritePolicy::Yes;
    if (progress_) progress_->clear();
    std::cerr << terminalSafe(text) << " [y/N] " << std::flush;
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "n (no terminal to answer)" << std::endl;
        return false;
    }
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TerminalPrompts::errorReport(const QString& text) {
    ++reports_;
    const std::optional<ErrorReportParts> parts = splitErrorReport(text);
    const std::optional<ReportedRow> row = parts ? ReportedRowOf(parts->description) : std::nullopt;
    if (row && verbosity_ != Verbosity::Verbose) {
        std::int64_t& shown = shown_[row->table];
        if (shown >= kShownRowReportsPerTable) {
            ++hidden_[row->table];
            return;
        }
        ++shown;
    }
    flushHidden(row ? row->table : QString());
    printError(ReportLine(text, verbosity_ == Verbosity::Verbose));
}

void TerminalPrompts::failure(const QString& text) {
    printError(QStringLiteral("velmora-convert: ") + TerminalText(text).replace(u'\n', u' '));
}

void TerminalPrompts::finish() {
    flushHidden();
}

void TerminalPrompts::flushHidden(const QString& exceptTable) {
    for (auto it = hidden_.begin(); it != hidden_.end();) {
        if (it.key() == exceptTable) {
            ++it;
            continue;
        }
        printError(QStringLiteral("velmora-convert: table ") + QuoteIdentifier(it.key()) +
                   QStringLiteral(": ") + QString::number(it.value()) +
                   QStringLiteral(" more row reports not shown") + hint_);
        it = hidden_.erase(it);
    }
}

void TerminalPrompts::printError(const QString& line) {
    if (progress_) progress_->clear();
    errors_ << terminalSafe(line) << std::endl;
}

}  // namespace velmora
