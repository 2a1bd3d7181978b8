#pragma once
// The statement files of the command-line converter, in the line format of
// engine/StatementLines.h.

#include <QString>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/StatementExecution.h"
#include "engine/StatementLines.h"
#include "engine/StatementList.h"
#include "engine/TypeMappingList.h"

namespace velmora {

// An output file of the command line, or standard output for "-". With `ownerOnly` a file
// is made readable by its owner only before anything is written to it. Throws
// std::runtime_error naming the file when it cannot be written.
class OutputFile {
  public:
    explicit OutputFile(const QString& path, bool ownerOnly = false);
    std::ostream& stream();
    // Flushes; throws when anything failed to be written.
    void finish();

  private:
    QString path_;
    std::ofstream file_;
};

// With `ownerOnly` (statements holding data from a protected source) the file is made
// readable by its owner only.
void WriteStatementFile(const QString& path, const StatementList& statements,
                        bool ownerOnly = false);
void ReadStatementFile(const QString& path, StatementList& statements);

// A statement (one line) longer than this is refused: no Paradox row comes near it, and a
// file without line breaks (such as /dev/zero) must not fill the memory.
inline constexpr std::size_t kMaxStatementBytes = std::size_t{64} << 20;

// Reads a statement file a block at a time, so memory stays flat for any size. Throws
// std::runtime_error naming the file for a folder, a read error, a statement longer than
// kMaxStatementBytes and a bad escape.
class StatementFileReader {
  public:
    explicit StatementFileReader(const QString& path);
    ~StatementFileReader();
    StatementFileReader(const StatementFileReader&) = delete;
    StatementFileReader& operator=(const StatementFileReader&) = delete;

    // The next statement, unescaped; false at the end of the file.
    bool next(std::string& statement);
    // Reads the rest of the file without keeping it: the number of statements in it.
    int countRest();

  private:
    bool fill();
    // The next line without its line break; false at the end of the file.
    bool readLine(std::string& line);
    [[noreturn]] void failAt(const std::string& what) const;

    std::string path_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    int line_ = 0;
};

// A statement as an error message shows it: whole when short, otherwise its start and
// its length, so a failing statement of many megabytes does not flood the terminal.
std::string ShownStatement(std::string_view statement);

// --execute: runs the statement file in order, as Execute SQL runs a list. The file is
// read through once before anything runs, so a file that cannot be read whole changes
// nothing; then it is executed a batch at a time. `statements` receives the line count;
// errorStatement the failing statement, when one stopped the run.
ExecutionOutcome ExecuteStatementFile(const QString& path, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump,
                                      int& statements, std::string& errorStatement);
// A header line, then four tab-separated columns per record, escaped as above: the Access
// table, the field, its type as Access names it, and the Paradox type.
void WriteTypeMappingFile(const QString& path, const TypeMappingList& mappings,
                          bool ownerOnly = false);

}  // namespace velmora
