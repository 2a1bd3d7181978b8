#pragma once
// The reports of one conversion run. Each is shown; once a step reports again, the
// report offers to show no further reports of the run. Reports not shown go to a log
// file in the Paradox folder, which the final message names. An overwrite question
// answered "to all" is not asked again in the run.

#include <QSet>
#include <QString>
#include <optional>

#include "common/MainInputs.h"
#include "common/Prompts.h"

namespace velmora {

class RunReports final : public Prompts {
  public:
    // The log goes to the Paradox folder as `inputs` name it when a report is logged.
    RunReports(Prompts& shown, const MainInputs& inputs) : shown_(shown), inputs_(inputs) {}

    void message(const QString& text, const QString& caption = {}) override {
        shown_.message(text, caption);
    }
    bool askYesNo(const QString& text, const QString& caption = {}) override {
        return shown_.askYesNo(text, caption);
    }
    void errorReport(const QString& text) override;
    OverwriteAnswer askOverwrite(const QString& text) override;
    void finalMessage(const QString& text, const QString& folder,
                      const QStringList& files) override {
        shown_.finalMessage(text, folder, files);
    }
    void failure(const QString& text) override { shown_.failure(text); }

    // Reports from a protected source hold its values: the log is then its owner's only,
    // like the tables.
    void setOwnerOnly(bool ownerOnly) { ownerOnly_ = ownerOnly; }
    int unshown() const { return unshown_; }
    // The log file, once a report has gone there.
    const QString& logFile() const { return logFile_; }
    // What the final message adds about reports that were not shown; empty when none.
    QString finalNote() const;

  private:
    void log(const QString& text);

    Prompts& shown_;
    const MainInputs& inputs_;
    QSet<QString> steps_;  // the "at line" lines of the reports shown so far
    bool quiet_ = false;
    int unshown_ = 0;
    QString logFile_;
    bool logFailed_ = false;
    std::optional<OverwriteAnswer> answerToAll_;
    bool ownerOnly_ = false;
};

inline constexpr const char* kReportLogName = "velmora-reports.log";

}  // namespace velmora
