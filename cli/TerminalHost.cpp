#include "cli/TerminalHost.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/StatementFile.h"
#include "engine/RunState.h"

namespace velmora {

namespace {

// A terminal redraws a line far faster than anyone reads it; a million rows need not.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

int terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

QString TerminalText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return plain;
}

TerminalProgress::TerminalProgress(bool wanted) : enabled_(wanted && isatty(STDERR_FILENO) != 0) {}

TerminalProgress::~TerminalProgress() {
    clear();
}

void TerminalProgress::setValue(double percent) {
    const int whole = std::clamp(static_cast<int>(percent), 0, 100);
    if (whole == percent_) return;
    percent_ = whole;
    draw(false);
}

void TerminalProgress::setCaption(const QString& text) {
    if (shown_ == Shown::Caption && text == caption_) return;
    shown_ = Shown::Caption;
    caption_ = text;
    if (caption_.isEmpty())
        clear();
    else
        draw(true);
}

void TerminalProgress::setRowCaption(int line, int count) {
    if (!enabled_) return;
    shown_ = Shown::Line;
    line_ = line;
    lines_ = count;
    draw(false);
}

void TerminalProgress::setTableProgress(const TableProgress& progress) {
    if (!enabled_) return;
    shown_ = Shown::Table;
    table_ = progress;
    draw(false);
}

QString TerminalProgress::captionText() const {
    switch (shown_) {
        case Shown::Line:
            return ExecutionProgressText(line_, lines_);
        case Shown::Table:
            return TableProgressText(table_);
        case Shown::Caption:
            break;
    }
    return caption_;
}

void TerminalProgress::clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

void TerminalProgress::draw(bool always) {
    if (!enabled_ || (shown_ == Shown::Caption && caption_.isEmpty())) return;
    const auto now = std::chrono::steady_clock::now();
    if (!always && drawn_ && now - lastDrawn_ < kRedrawInterval) return;
    lastDrawn_ = now;
    std::string bar(static_cast<std::size_t>(percent_ * kBarWidth / 100), '#');
    bar.resize(kBarWidth, ' ');
    // Kept to one line of the terminal, or "\r" would not reach the line's start.
    const int room = std::max(terminalColumns() - kBarWidth - 9, 0);
    QString caption = TerminalText(captionText()).replace(u'\n', u' ');
    if (caption.size() > room)
        caption = caption.left(std::max(room - 3, 0)) + QStringLiteral("...");
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar.c_str(), percent_,
                 caption.toStdString().c_str());
    std::fflush(stderr);
    drawn_ = true;
}

StatementFilePreview::StatementFilePreview(QString path, bool ownerOnly)
    : path_(std::move(path)), ownerOnly_(ownerOnly) {}

StatementFilePreview::~StatementFilePreview() = default;

bool StatementFilePreview::open() {
    if (file_ || !failure_.empty()) return file_ != nullptr;
    try {
        file_ = std::make_unique<OutputFile>(path_, ownerOnly_);
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
    return file_ != nullptr;
}

void StatementFilePreview::take(std::string_view statement) {
    ++count_;
    if (!open()) return;
    line_.clear();
    AppendEscaped(statement, line_);
    line_ += '\n';
    file_->stream().write(line_.data(), static_cast<std::streamsize>(line_.size()));
}

void StatementFilePreview::showPreview(RunState& state) {
    // Statements collected into the list (a run without the sink) go after the taken ones.
    for (int i = 0; i < state.statements.count(); ++i) take(state.statements.utf8(i));
    if (!open()) throw std::runtime_error(failure_);
    file_->finish();
    written_ = true;
}

}  // namespace velmora
