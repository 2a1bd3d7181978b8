#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <optional>
#include <vector>

#include "common/AppInfo.h"

namespace velmora {

namespace {

constexpr const char* kProgram = "velmora-convert";

struct OptionText {
    const char* heading;  // starts a group in --help when set
    QStringList names;
    const char* value;  // null for a switch
    const char* help;
};

const std::vector<OptionText>& optionTexts() {
    static const std::vector<OptionText> texts = {
        {"Source and target",
         {"password"},
         "TEXT",
         "database password; visible to every user of this computer (ps), prefer "
         "--password-file or the prompt"},
        {nullptr,
         {"password-file"},
         "FILE",
         "read the password from the first line of FILE (- for standard input)"},
        {nullptr,
         {"jet3-code-page"},
         "NUMBER",
         "code page of the text in a Jet3 (Access 97) SOURCE, such as 1251 (default: "
         "the one its header names)"},
        {nullptr,
         {"new-folder"},
         nullptr,
         "accept a new or empty TARGET_FOLDER, created when missing"},
        {nullptr,
         {"overwrite"},
         "ask|yes|no",
         "answer to \"Would you like to overwrite ...?\" (default: ask; no without a "
         "terminal)"},
        {"Which tables",
         {"t", "table"},
         "NAME",
         "convert only the table NAME (letter case ignored); repeat for more"},
        {nullptr, {"exclude-table"}, "NAME", "leave the table NAME out; may be repeated"},
        {"Values",
         {"unmappable"},
         "refuse|replace",
         "rows whose text the table's code page cannot hold: refuse and report each "
         "(default), or replace the missing characters by a best-fit spelling or \"?\""},
        {nullptr,
         {"keep-binary"},
         nullptr,
         "write long binary (OLE Object) fields into BLOB columns instead of leaving them "
         "empty"},
        {nullptr,
         {"rules"},
         "access|none",
         "carry each field's required, default and simple range rules into the tables "
         "(access) or not (none, the default); what Paradox cannot hold is listed"},
        {nullptr,
         {"schema-report"},
         "FILE",
         "write the rules, relationships and saved queries not carried, one a line, to FILE"},
        {nullptr,
         {"strict"},
         nullptr,
         "refuse every table of a damaged SOURCE that has any damage, whole (default: give "
         "every row that can still be read and report the rest)"},
        {"Checking and output",
         {"verify"},
         nullptr,
         "read every written table back and compare it with the source"},
        {nullptr,
         {"rejects"},
         "FILE",
         "write every refused statement, after a comment with its error, to FILE; the rows "
         "a damaged SOURCE left out become comments there too"},
        {nullptr,
         {"sql"},
         "FILE",
         "write the statements to FILE (- for standard output); execute nothing"},
        {nullptr, {"types"}, "FILE", "write the type mapping to FILE (- for standard output)"},
        {nullptr,
         {"summary"},
         "text|json",
         "the summary on standard output as text (default) or one JSON document"},
        {nullptr, {"json"}, nullptr, "the same as --summary json"},
        {nullptr, {"summary-file"}, "FILE", "write the JSON summary to FILE"},
        {nullptr,
         {"q", "quiet"},
         nullptr,
         "print errors only: no progress, no summary text, no notes"},
        {nullptr,
         {"v", "verbose"},
         nullptr,
         "print every report (default: the first 20 per table), with the step that "
         "made it"},
        {"Many databases",
         {"batch"},
         nullptr,
         "convert every database the arguments name (SOURCE... are files, folders searched "
         "for .mdb and .accdb, or @LIST files of paths), each into its own subfolder of "
         "--into FOLDER"},
        {nullptr, {"into"}, "FOLDER", "the folder a batch writes into, created when missing"},
        {nullptr,
         {"password-map"},
         "FILE",
         "passwords for a batch: one PATH-OR-GLOB, a tab and the password a line"},
        {nullptr,
         {"j", "jobs"},
         "N",
         "convert N databases at a time (default: one per processor core)"},
        {nullptr,
         {"redo"},
         nullptr,
         "convert again the databases an earlier run of the batch converted completely"},
        {"Other modes",
         {"execute"},
         "FILE",
         "execute the statement file FILE (from --sql or --rejects) against TARGET_FOLDER"},
        {nullptr,
         {"list"},
         nullptr,
         "list the tables of SOURCE (an Access file or a Paradox folder) with their row "
         "counts"},
        {nullptr, {"h", "help"}, nullptr, "show this help and exit"},
        {nullptr, {"V", "version"}, nullptr, "show the version and exit"},
    };
    return texts;
}

// "  -t, --table NAME" or "      --sql FILE".
QString optionLabel(const OptionText& option) {
    QString label = QStringLiteral("  ");
    QStringList spelled;
    for (const QString& name : option.names)
        spelled << (name.size() == 1 ? u'-' + name : QStringLiteral("--") + name);
    if (option.names.first().size() != 1) label += QStringLiteral("    ");
    label += spelled.join(QStringLiteral(", "));
    if (option.value) label += u' ' + QString::fromLatin1(option.value);
    return label;
}

// Words of `text` in lines of at most `width` characters, each indented by `indent`.
QString wrapped(const QString& text, int indent, int width) {
    QString out;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            out += line + u'\n' + QString(indent, u' ');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line;
}

// What a batch cannot take: a second source of passwords, outputs meant for one
// database, and questions. It never asks, so an existing table is replaced unless
// --overwrite no says otherwise.
std::optional<UsageError> batchError(const QCommandLineParser& parser, CommandLine& c) {
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    if (c.into.isEmpty()) return UsageError{QStringLiteral("--batch needs --into FOLDER")};
    if (c.passwordGiven)
        return UsageError{QStringLiteral("a batch takes its passwords from --password-map")};
    for (const char* name : {"sql", "types", "execute", "list"})
        if (isSet(name))
            return UsageError{QStringLiteral("--%1 is for one database, not for --batch")
                                  .arg(QLatin1String(name))};
    if (!isSet("overwrite"))
        c.overwrite = OverwritePolicy::Yes;
    else if (c.overwrite == OverwritePolicy::Ask)
        return UsageError{
            QStringLiteral("a batch asks nothing: --overwrite yes (its default) or no")};
    if (c.rejectsFile.contains(u'/') || IsStandardStream(c.rejectsFile))
        return UsageError{QStringLiteral(
            "with --batch, --rejects takes a file name, written in each database's folder")};
    return std::nullopt;
}

}  // namespace

QString HelpText() {
    constexpr int kColumn = 26;
    constexpr int kWidth = 80;
    QString text = QStringLiteral(
        "Usage: velmora-convert [OPTION]... SOURCE TARGET_FOLDER\n"
        "  or:  velmora-convert --sql FILE [OPTION]... SOURCE TARGET_FOLDER\n"
        "  or:  velmora-convert --batch [OPTION]... SOURCE... --into FOLDER\n"
        "  or:  velmora-convert --execute FILE TARGET_FOLDER\n"
        "  or:  velmora-convert --list SOURCE\n"
        "Copies every user table of an Access database (SOURCE, .mdb or .accdb) into\n"
        "Paradox tables (.db) in TARGET_FOLDER, which must hold a Paradox table already\n"
        "(or see --new-folder). Each table gets a first column TVXID, the row's position\n"
        "in the source counted from 0. Reports go to standard error, one line each; a\n"
        "summary goes to standard output.\n");
    for (const OptionText& option : optionTexts()) {
        if (option.heading)
            text += u'\n' + QString::fromLatin1(option.heading) + QStringLiteral(":\n");
        QString label = optionLabel(option);
        if (label.size() + 2 > kColumn)
            label += u'\n' + QString(kColumn, u' ');
        else
            label = label.leftJustified(kColumn);
        text += label + wrapped(QString::fromUtf8(option.help), kColumn, kWidth) + u'\n';
    }
    text += QStringLiteral(
        "\nExit status: 0 when every table was written with every row (\"Done.\"; with\n"
        "--verify, every row verified identical); 1 when not everything was copied (a row\n"
        "refused or unreadable, a table not written, every overwrite declined, an output\n"
        "file after the tables not written); 2 when the run could not start (wrong\n"
        "arguments, a database that cannot be opened, an unusable folder), nothing\n"
        "changed; 130 or 143 when cancelled by SIGINT or SIGTERM, each table left as it\n"
        "was or complete. A batch exits 0 when every database was converted completely,\n"
        "1 when one was not, 2 when the batch could not start.\n"
        "Every option, the JSON summary and examples: man velmora-convert\n");
    return text;
}

QString VersionText() {
    return QString::fromLatin1(kProgram) + u' ' + programVersion() + u'\n';
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    std::vector<QCommandLineOption> options;
    for (const OptionText& text : optionTexts())
        options.emplace_back(text.names, QString(),
                             text.value ? QString::fromLatin1(text.value) : QString());
    for (const QCommandLineOption& option : options) parser.addOption(option);
    if (!parser.parse(QStringList{QString::fromLatin1(kProgram)} + arguments))
        return UsageError{parser.errorText()};
    if (parser.isSet(QStringLiteral("help"))) return HelpRequested{};
    if (parser.isSet(QStringLiteral("version"))) return VersionRequested{};

    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    CommandLine c;
    c.password = value("password");
    c.passwordFile = value("password-file");
    c.passwordGiven = isSet("password") || isSet("password-file");
    if (isSet("password") && isSet("password-file"))
        return UsageError{QStringLiteral("give either --password or --password-file, not both")};
    c.sqlFile = value("sql");
    c.typesFile = value("types");
    c.executeFile = value("execute");
    c.rejectsFile = value("rejects");
    c.summaryFile = value("summary-file");
    c.tables = parser.values(QStringLiteral("table"));
    c.excludedTables = parser.values(QStringLiteral("exclude-table"));
    c.newFolder = isSet("new-folder");
    c.list = isSet("list");
    c.verify = isSet("verify");
    c.keepBinary = isSet("keep-binary");
    c.strict = isSet("strict");
    c.schemaReportFile = value("schema-report");
    const QString rules = value("rules");
    if (isSet("rules") && rules != QLatin1String("access") && rules != QLatin1String("none"))
        return UsageError{QStringLiteral("--rules takes access or none")};
    c.accessRules = rules == QLatin1String("access");
    if (!c.schemaReportFile.isEmpty() && !c.accessRules)
        return UsageError{QStringLiteral("--schema-report goes with --rules access")};
    if (!c.schemaReportFile.isEmpty() && isSet("batch"))
        return UsageError{QStringLiteral("--schema-report is for one database, not --batch")};

    if (isSet("quiet") && isSet("verbose"))
        return UsageError{QStringLiteral("give either --quiet or --verbose, not both")};
    if (isSet("quiet")) c.verbosity = Verbosity::Quiet;
    if (isSet("verbose")) c.verbosity = Verbosity::Verbose;

    const QString summary = value("summary");
    if (isSet("summary") && summary != QLatin1String("json") && summary != QLatin1String("text"))
        return UsageError{QStringLiteral("--summary takes text or json")};
    if (isSet("json") && isSet("summary") && summary == QLatin1String("text"))
        return UsageError{QStringLiteral("give either --json or --summary text, not both")};
    c.jsonSummary = summary == QLatin1String("json") || isSet("json") || isSet("summary-file");

    bool number = false;
    c.jet3CodePage = isSet("jet3-code-page") ? value("jet3-code-page").toInt(&number) : 0;
    if (isSet("jet3-code-page") && (!number || c.jet3CodePage < 0))
        return UsageError{QStringLiteral("--jet3-code-page takes a code page number")};
    const QString unmappable = value("unmappable");
    if (unmappable == QLatin1String("replace"))
        c.replaceUnmappable = true;
    else if (isSet("unmappable") && unmappable != QLatin1String("refuse"))
        return UsageError{QStringLiteral("--unmappable takes refuse or replace")};
    const QString policy = value("overwrite");
    if (policy == QLatin1String("yes"))
        c.overwrite = OverwritePolicy::Yes;
    else if (policy == QLatin1String("no"))
        c.overwrite = OverwritePolicy::No;
    else if (isSet("overwrite") && policy != QLatin1String("ask"))
        return UsageError{QStringLiteral("--overwrite takes ask, yes or no")};
    if (c.verify && !c.sqlFile.isEmpty())
        return UsageError{QStringLiteral("--verify needs a run that writes the tables (no --sql)")};

    c.batch = isSet("batch");
    c.into = value("into");
    c.passwordMap = value("password-map");
    c.redo = isSet("redo");
    if (isSet("jobs")) {
        c.jobs = value("jobs").toInt(&number);
        if (!number || c.jobs < 1)
            return UsageError{QStringLiteral("--jobs takes a number of databases, 1 or more")};
    }
    if (c.batch) {
        if (auto error = batchError(parser, c)) return *error;
    } else {
        for (const char* name : {"into", "password-map", "jobs", "redo"})
            if (isSet(name))
                return UsageError{
                    QStringLiteral("--%1 goes with --batch").arg(QLatin1String(name))};
    }

    // At most one output takes standard output; the summary text then goes to standard error.
    int onStandardOutput = 0;
    for (const QString& file :
         {c.sqlFile, c.typesFile, c.rejectsFile, c.summaryFile, c.schemaReportFile})
        onStandardOutput += IsStandardStream(file) ? 1 : 0;
    if (c.jsonSummary && c.summaryFile.isEmpty()) ++onStandardOutput;
    if (onStandardOutput > 1)
        return UsageError{QStringLiteral("only one output can go to standard output")};

    const QStringList args = parser.positionalArguments();
    if (c.batch) {
        if (args.isEmpty()) return UsageError{QStringLiteral("--batch needs at least one SOURCE")};
        c.sources = args;
        const qsizetype fromStandardInput =
            args.count(QStringLiteral("@-")) + (IsStandardStream(c.passwordMap) ? 1 : 0);
        if (fromStandardInput > 1)
            return UsageError{QStringLiteral("standard input can be read only once")};
    } else if (c.list) {
        if (args.size() != 1) return UsageError{QStringLiteral("--list takes exactly one SOURCE")};
        c.source = args[0];
    } else if (!c.executeFile.isEmpty()) {
        if (args.size() != 1)
            return UsageError{QStringLiteral("--execute takes exactly one TARGET_FOLDER")};
        c.target = args[0];
    } else {
        if (args.size() != 2)
            return UsageError{QStringLiteral("expected SOURCE and TARGET_FOLDER")};
        c.source = args[0];
        c.target = args[1];
    }
    // The program works with folder paths without a trailing separator.
    for (QString* folder : {&c.target, &c.into})
        while (folder->size() > 1 && folder->endsWith(u'/')) folder->chop(1);
    return c;
}

}  // namespace velmora
