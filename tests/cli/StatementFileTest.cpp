// --execute against statement files that cannot be read whole, or hold a statement too
// long to show: the converter stops with status 2 before anything runs, and echoes a
// failing statement once, shortened.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Execution {
    int exitCode = -1;
    QByteArray out;
    QByteArray errors;
};

Execution execute(const QString& statementFile, const QString& folder) {
    QProcess process;
    process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"),
                  {"--execute", statementFile, folder});
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

TEST(StatementFile, FileThatCannotBeReadWholeRunsNothing) {
    QTemporaryDir folder;
    const QString sql = folder.filePath("s.sql");
    // A folder, a bad escape on the last line, a line without end (as /dev/zero gives).
    writeFile(sql, "CREATE TABLE \"T\"(\"K\" INT)\nINSERT INTO \"T\" VALUES (1)\nbad \\x escape\n");
    const struct {
        QString file;
        const char* message;
    } cases[] = {{folder.path(), "is a folder"},
                 {sql, "line 3: a backslash must be followed by"},
                 {"/dev/zero", "line 1: the statement is longer than"}};
    for (const auto& c : cases) {
        const Execution result = execute(c.file, folder.path());
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_TRUE(result.errors.contains(c.message)) << result.errors.toStdString();
        EXPECT_FALSE(result.out.contains("lines executed"));
    }
    EXPECT_FALSE(QFile::exists(folder.filePath("T.db")));
}

TEST(StatementFile, FailingLongStatementIsShownOnceAndShort) {
    QTemporaryDir folder;
    const QString sql = folder.filePath("s.sql");
    const QByteArray value(10 << 20, 'x');
    writeFile(sql,
              "CREATE TABLE \"T\"(\"K\" INT, \"A\" TEXT(10))\n\nINSERT INTO \"T\" VALUES (1, '" +
                  value + "')\n");
    const Execution result = execute(sql, folder.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("Statement 3: INSERT INTO"));
    EXPECT_EQ(result.errors.count("bytes in all"), 1);
    EXPECT_LT(result.errors.size(), 10000) << "the statement is shown shortened";
}
