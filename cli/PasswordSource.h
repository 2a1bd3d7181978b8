#pragma once
// Where the converter gets a database password other than from its command line, which
// every local user can read: a file (or standard input), or a prompt without echo.

#include <QString>
#include <optional>

namespace velmora {

// The first line of `path` ("-": standard input) without its line break (LF or CR LF).
// Throws std::runtime_error naming the file, never its content.
QString ReadPasswordFile(const QString& path);

// The error of a run that needs a password and has none, at no terminal to ask at; a
// batch recognises it in its child's output.
QString PasswordNeededText(const QString& source);

// Asks on standard error and reads a line from standard input with echo turned off;
// nothing when standard input is not a terminal. Echo comes back also when a signal
// ends the program during the prompt.
std::optional<QString> PromptForPassword(const QString& prompt);

}  // namespace velmora
