#pragma once
// The command line of velmora-convert: its options, what they ask for, and the help and
// version texts. One table of options feeds both the parser and --help.

#include <QString>
#include <QStringList>
#include <variant>

namespace velmora {

enum class OverwritePolicy { Ask, Yes, No };
enum class Verbosity { Quiet, Normal, Verbose };

struct CommandLine {
    QString source, target;
    QString password, passwordFile;
    bool passwordGiven = false;
    QString sqlFile, typesFile, executeFile, rejectsFile, summaryFile;
    QStringList tables;          // -t/--table: only these (empty: every table)
    QStringList excludedTables;  // --exclude-table
    OverwritePolicy overwrite = OverwritePolicy::Ask;
    Verbosity verbosity = Verbosity::Normal;
    bool jsonSummary = false;  // --summary json, --json or --summary-file
    bool newFolder = false;
    bool list = false;
    bool verify = false;
    bool replaceUnmappable = false;
    bool keepBinary = false;
    bool accessRules = false;  // --rules access
    QString schemaReportFile;
    bool strict = false;  // refuse a damaged table whole instead of salvaging its rows
    int jet3CodePage = 0;

    // --batch: every database of `sources` (files, folders searched for .mdb and .accdb,
    // @LIST files of paths) into a subfolder of `into`, each in a process of its own.
    bool batch = false;
    QStringList sources;
    QString into;
    QString passwordMap;
    int jobs = 0;  // databases at a time; 0: one per core
    bool redo = false;
};

// "-" as a file name: standard output (or input for --password-file).
inline bool IsStandardStream(const QString& path) {
    return path == QLatin1String("-");
}

struct HelpRequested {};
struct VersionRequested {};
struct UsageError {
    QString text;
};
using ParsedCommandLine = std::variant<CommandLine, HelpRequested, VersionRequested, UsageError>;

// `arguments` without the program's own name.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

QString HelpText();
QString VersionText();

}  // namespace velmora
