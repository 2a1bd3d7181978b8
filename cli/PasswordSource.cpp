#include "cli/PasswordSource.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <stdexcept>
#include <string>

#include "engine/SecretMemory.h"

namespace velmora {

namespace {

// Longer than any password; a first line this long is not a password file.
constexpr std::size_t kMaxLine = 1024;

enum class LineEnd { Found, EndOfFile, TooLong, Failed };

// Reads byte by byte up to the first line feed, so nothing after the password line is
// taken from standard input.
LineEnd readLine(int fd, std::string& line) {
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return LineEnd::Failed;
        if (got == 0) return LineEnd::EndOfFile;
        if (c == '\n') break;
        if (line.size() == kMaxLine) return LineEnd::TooLong;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return LineEnd::Found;
}

QString takeText(std::string& line) {
    QString text = QString::fromUtf8(line);
    WipeText(line);
    return text;
}

struct termios savedTerminal;
volatile sig_atomic_t echoOff = 0;
constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

extern "C" void restoreEchoAndRaise(int signal) {
    if (echoOff) tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

QString ReadPasswordFile(const QString& path) {
    const bool standardInput = path == QLatin1String("-");
    const std::string name = standardInput ? "standard input" : path.toStdString();
    const int fd = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot read the password file " + name + ": " + strerror(errno));
    std::string line;
    const LineEnd end = readLine(fd, line);
    const int error = errno;
    if (!standardInput) ::close(fd);
    if (end == LineEnd::Found || (end == LineEnd::EndOfFile && !line.empty()))
        return takeText(line);
    WipeText(line);
    if (end == LineEnd::TooLong)
        throw std::runtime_error("the first line of " + name + " is longer than " +
                                 std::to_string(kMaxLine) + " bytes; it is no password");
    if (end == LineEnd::Failed)
        throw std::runtime_error("cannot read the password file " + name + ": " + strerror(error));
    throw std::runtime_error(name + " holds no password line");
}

QString PasswordNeededText(const QString& source) {
    return source + QStringLiteral(" needs a password: give it with --password-file FILE");
}

std::optional<QString> PromptForPassword(const QString& prompt) {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return std::nullopt;
    struct sigaction restore {
    }, previous[std::size(kPromptSignals)];
    restore.sa_handler = restoreEchoAndRaise;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i)
        sigaction(kPromptSignals[i], &restore, &previous[i]);

    // Echo goes off before the prompt shows, and what was typed ahead (and echoed) is
    // dropped, so no character of the password is ever shown.
    struct termios quiet = savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    echoOff = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::cerr << prompt.toStdString() << std::flush;
    std::string line;
    const LineEnd end = readLine(STDIN_FILENO, line);
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    echoOff = 0;
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i)
        sigaction(kPromptSignals[i], &previous[i], nullptr);
    std::cerr << std::endl;
    if (end == LineEnd::Failed || end == LineEnd::TooLong) {
        WipeText(line);
        return QString();
    }
    return takeText(line);
}

}  // namespace velmora
