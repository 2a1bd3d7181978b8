#pragma once
// The rest of the command line's side of a run: the progress bar on a terminal, no busy
// pointer, and the preview of a --sql run.

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/RunHost.h"

namespace velmora {

class OutputFile;

// A one-line bar on standard error, drawn only when standard error is a terminal and
// only while there is a caption: an idle bar is no line at all. Whatever prints on the
// terminal calls clear() first, and the bar leaves no trace when the run ends. The
// captions given once per row or line keep their numbers; their text is built only when
// the bar is drawn.
class TerminalProgress final : public ProgressSink {
  public:
    explicit TerminalProgress(bool wanted = true);
    ~TerminalProgress() override;
    void setValue(double percent) override;
    void setCaption(const QString& text) override;
    void setRowCaption(int line, int count) override;
    void setTableProgress(const TableProgress& progress) override;
    void clear();

  private:
    enum class Shown { Caption, Line, Table };
    void draw(bool always);
    QString captionText() const;
    bool enabled_;
    int percent_ = 0;
    Shown shown_ = Shown::Caption;
    QString caption_;
    int line_ = 0, lines_ = 0;
    TableProgress table_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

class NoPointer final : public BusyPointer {
  public:
    void setBusy(bool) override {}
};

// The preview of a --sql run: writes each statement to a file (or standard output) as
// the run makes it (take()), so that no list holds them all; executes nothing, and leaves
// the run's flags as a window closed without executing would. A file that cannot be
// written is reported when the preview shows, after the last statement.
class StatementFilePreview final : public PreviewHost {
  public:
    StatementFilePreview(QString path, bool ownerOnly);
    ~StatementFilePreview() override;
    void take(std::string_view statement);
    void showPreview(RunState& state) override;
    bool executes() const override { return false; }
    bool written() const { return written_; }
    std::int64_t count() const { return count_; }

  private:
    bool open();

    QString path_;
    bool ownerOnly_;
    std::unique_ptr<OutputFile> file_;
    std::string failure_;
    std::string line_;
    std::int64_t count_ = 0;
    bool written_ = false;
};

// Reports with CR and CR LF line breaks printed as plain new lines.
QString TerminalText(const QString& text);

}  // namespace velmora
