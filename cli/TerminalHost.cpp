#include "cli/TerminalHost.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "cli/StatementFile.h"
#include "engine/RunState.h"

namespace velmora {

QString TerminalText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return plain;
}

void TerminalPrompts::message(const QString& text, const QString&) {
    std::cout << TerminalText(text).toStdString() << std::endl;
}

bool TerminalPrompts::askYesNo(const QString& text, const QString& caption) {
    if (caption == QLatin1String("Overwrite?") && overwrite_ != OverwritePolicy::Ask)
        return overwrite_ == OverwritePolicy::Yes;
    std::cerr << '\n' << TerminalText(text).toStdString() << " [y/N] " << std::flush;
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
    std::cerr << "\nApplication Error\n" << TerminalText(text).toStdString() << std::endl;
}

TerminalProgress::TerminalProgress() : enabled_(isatty(STDERR_FILENO) != 0) {}

TerminalProgress::~TerminalProgress() {
    if (drawn_) std::fputc('\n', stderr);
}

void TerminalProgress::setValue(double percent) {
    const int whole = static_cast<int>(percent);
    if (whole == percent_) return;
    percent_ = whole;
    draw();
}

void TerminalProgress::setCaption(const QString& text) {
    if (text == caption_) return;
    caption_ = text;
    draw();
}

void TerminalProgress::draw() {
    if (!enabled_) return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(percent_, 0, 100) * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, ' ');
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar.c_str(), std::max(percent_, 0),
                 caption_.left(60).toStdString().c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void StatementFilePreview::showPreview(RunState& state) {
    WriteStatementFile(path_, state.statements, ownerOnly_);
    written_ = true;
}

}  // namespace velmora
