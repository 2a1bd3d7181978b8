#pragma once
// The command-line converter's side of a run: questions answered by policy or at the
// terminal, messages on standard output, error reports on standard error, and a
// progress bar when standard error is a terminal.

#include <QString>
#include <cstdio>

#include "engine/RunHost.h"

namespace velmora {

enum class OverwritePolicy { Ask, Yes, No };

class TerminalPrompts final : public Prompts {
  public:
    explicit TerminalPrompts(OverwritePolicy overwrite) : overwrite_(overwrite) {}
    void message(const QString& text, const QString& caption) override;
    bool askYesNo(const QString& text, const QString& caption) override;
    void errorReport(const QString& text) override;
    int reports() const { return reports_; }

  private:
    OverwritePolicy overwrite_;
    int reports_ = 0;
};

class TerminalProgress final : public ProgressSink {
  public:
    TerminalProgress();
    ~TerminalProgress() override;
    void setValue(double percent) override;
    void setCaption(const QString& text) override;

  private:
    void draw();
    bool enabled_;
    int percent_ = -1;
    QString caption_;
    bool drawn_ = false;
};

class NoPointer final : public BusyPointer {
  public:
    void setBusy(bool) override {}
};

// The preview of a --sql run: writes the collected statements to a file, executes
// nothing, and leaves the run's flags as a window closed without executing would.
class StatementFilePreview final : public PreviewHost {
  public:
    StatementFilePreview(QString path, bool ownerOnly)
        : path_(std::move(path)), ownerOnly_(ownerOnly) {}
    void showPreview(RunState& state) override;
    bool executes() const override { return false; }
    bool written() const { return written_; }

  private:
    QString path_;
    bool ownerOnly_;
    bool written_ = false;
};

// Reports with CR and CR LF line breaks printed as plain new lines.
QString TerminalText(const QString& text);

}  // namespace velmora
