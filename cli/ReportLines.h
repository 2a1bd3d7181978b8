#pragma once
// The command line's side of the run's questions and reports. A report is one line on
// standard error in the usual "velmora-convert: ..." form; a row's report names its table,
// its row (counted from 1) and its TVXID. Of each table's row reports the first 20 are
// printed, then one line says how many more there were (--verbose prints them all).

#include <QHash>
#include <QString>
#include <cstdint>
#include <ostream>

#include "cli/CommandLine.h"
#include "common/Prompts.h"

namespace velmora {

class TerminalProgress;

inline constexpr int kShownRowReportsPerTable = 20;

// The one line a composed report becomes; with `withStep` it ends with the procedure and
// step that made it, as the window's report names them.
QString ReportLine(const QString& report, bool withStep);

class TerminalPrompts final : public Prompts {
  public:
    // Messages (the run's final word) go to `messages`, reports to `errors`, questions to
    // standard error. `progress` is cleared before anything is printed.
    TerminalPrompts(OverwritePolicy overwrite, Verbosity verbosity, std::ostream& messages,
                    TerminalProgress* progress = nullptr, std::ostream* errors = nullptr);

    void message(const QString& text, const QString& caption) override;
    bool askYesNo(const QString& text, const QString& caption) override;
    void errorReport(const QString& text) override;
    // On standard error as "velmora-convert: ...", whatever the verbosity.
    void failure(const QString& text) override;

    // What the "more not shown" lines add, such as where every refused statement is.
    void setHiddenReportsHint(const QString& hint) { hint_ = hint; }
    // Prints the "more not shown" line of every table that still owes one.
    void finish();
    int reports() const { return reports_; }

  private:
    void flushHidden(const QString& exceptTable = {});
    void printError(const QString& line);

    OverwritePolicy overwrite_;
    Verbosity verbosity_;
    std::ostream& messages_;
    TerminalProgress* progress_;
    std::ostream& errors_;
    int reports_ = 0;
    QHash<QString, std::int64_t> shown_;   // row reports printed, per table
    QHash<QString, std::int64_t> hidden_;  // row reports not printed yet counted
    QString hint_;
};

}  // namespace velmora
