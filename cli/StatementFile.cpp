#include "cli/StatementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace velmora {

OutputFile::OutputFile(const QString& path, bool ownerOnly) : path_(path) {
    if (path == QLatin1String("-")) return;
    if (ownerOnly) {
        // Made the owner's before the first statement lands in it.
        const int fd = ::open(path.toStdString().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || fchmod(fd, 0600) != 0) {
            if (fd >= 0) ::close(fd);
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        ::close(fd);
    }
    file_.open(path.toStdString(), std::ios::binary | std::ios::trunc);
    if (!file_) throw std::runtime_error("cannot write " + path.toStdString());
}

std::ostream& OutputFile::stream() {
    return file_.is_open() ? static_cast<std::ostream&>(file_) : std::cout;
}

void OutputFile::finish() {
    std::ostream& out = stream();
    out.flush();
    if (!out)
        throw std::runtime_error(
            "writing " + (file_.is_open() ? path_.toStdString() : "standard output") + " failed");
}

void WriteStatementFile(const QString& path, const StatementList& statements, bool ownerOnly) {
    OutputFile file(path, ownerOnly);
    std::ostream& out = file.stream();
    for (int i = 0; i < statements.count(); ++i) out << EscapeLine(statements.utf8(i)) << '\n';
    file.finish();
}

void ReadStatementFile(const QString& path, StatementList& statements) {
    StatementFileReader reader(path);
    std::string statement;
    while (reader.next(statement)) statements.append(std::string_view(statement));
}

namespace {
constexpr std::size_t kReadBlock = 1 << 16;
// A batch of statements in memory while executing a file.
constexpr int kBatchStatements = 4096;
constexpr std::size_t kBatchBytes = 16 << 20;

// The progress of a batch as part of the whole file.
class BatchProgress final : public ProgressSink {
  public:
    BatchProgress(ProgressSink& whole, int total) : whole_(whole), total_(total) {}
    void startBatch(int offset, int count) {
        offset_ = offset;
        count_ = count;
    }
    void setValue(double percent) override {
        whole_.setValue((offset_ + percent / 100.0 * count_) / total_ * 100.0);
    }
    void setCaption(const QString& text) override { whole_.setCaption(text); }
    void setRowCaption(int line, int) override { whole_.setRowCaption(offset_ + line, total_); }

  private:
    ProgressSink& whole_;
    int total_;
    int offset_ = 0;
    int count_ = 0;
};
}  // namespace

StatementFileReader::StatementFileReader(const QString& path)
    : path_(path.toStdString()), buffer_(kReadBlock) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
    struct stat st {};
    if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw std::runtime_error("cannot read " + path_ + ": it is a folder, not a statement file");
    }
}

StatementFileReader::~StatementFileReader() {
    if (fd_ >= 0) ::close(fd_);
}

void StatementFileReader::failAt(const std::string& what) const {
    throw std::runtime_error(path_ + " line " + std::to_string(line_) + ": " + what);
}

bool StatementFileReader::fill() {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw std::runtime_error("reading " + path_ + " failed after line " +
                                     std::to_string(line_) + ": " + std::strerror(errno) +
                                     "; nothing was executed");
        at_ = 0;
        end_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

bool StatementFileReader::readLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (at_ == end_ && !fill()) break;
        any = true;
        const char* start = buffer_.data() + at_;
        const auto* stop = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
        const std::size_t length = stop ? static_cast<std::size_t>(stop - start) : end_ - at_;
        if (line.size() + length > kMaxStatementBytes) {
            ++line_;
            failAt("the statement is longer than " + std::to_string(kMaxStatementBytes >> 20) +
                   " MB; is this a statement file?");
        }
        line.append(start, length);
        at_ += length;
        if (stop) {
            ++at_;
            break;
        }
    }
    if (!any) return false;
    ++line_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool StatementFileReader::next(std::string& statement) {
    std::string line;
    do {
        if (!readLine(line)) return false;
    } while (line.rfind("--", 0) == 0);  // a comment, as --rejects writes them
    try {
        statement = UnescapeLine(line);
    } catch (const std::runtime_error& e) {
        failAt(e.what());
    }
    return true;
}

int StatementFileReader::countRest() {
    std::string statement;
    int count = 0;
    while (next(statement)) ++count;
    return count;
}

std::string ShownStatement(std::string_view statement) {
    constexpr std::size_t kShown = 2000;
    if (statement.size() <= kShown) return std::string(statement);
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(statement[cut]) & 0xC0) == 0x80) --cut;
    return std::string(statement.substr(0, cut)) + "... (" + std::to_string(statement.size()) +
           " bytes in all)";
}

ExecutionOutcome ExecuteStatementFile(const QString& path, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump,
                                      int& statements, std::string& errorStatement) {
    statements = StatementFileReader(path).countRest();
    StatementFileReader reader(path);
    BatchProgress batchProgress(progress, statements);
    StatementList batch;
    std::string statement;
    int done = 0;
    // A table's statements may span batches; its transaction goes on from one to the next.
    TableTransaction transaction;
    while (done < statements) {
        batch.clear();
        std::size_t bytes = 0;
        while (batch.count() < kBatchStatements && bytes < kBatchBytes && reader.next(statement)) {
            batch.append(std::string_view(statement));
            bytes += statement.size();
        }
        if (batch.count() == 0)
            throw std::runtime_error(path.toStdString() + " changed while it was executed");
        batchProgress.startBatch(done, batch.count());
        ExecutionOutcome outcome =
            ExecuteStatementList(batch, connection, proc, batchProgress, pump, transaction, nullptr,
                                 done + batch.count() >= statements);
        if (outcome.stoppedBySqlError) {
            // The table the error stopped stays as it was.
            RollBackTable(batch, connection, transaction);
            errorStatement.assign(batch.utf8(outcome.errorLine - 1));
            outcome.errorLine += done;
            return outcome;
        }
        done += batch.count();
    }
    return {};
}

void WriteTypeMappingFile(const QString& path, const TypeMappingList& mappings, bool ownerOnly) {
    OutputFile file(path, ownerOnly);
    std::ostream& out = file.stream();
    out << "table\tfield\taccess_type\tparadox_type\n";
    for (int i = 0; i < mappings.count(); ++i) {
        const TypeMappingEntry& e = mappings.at(i);
        out << EscapeLine(e.AccessTable.toStdString()) << '\t'
            << EscapeLine(e.AccessField.toStdString()) << '\t'
            << EscapeLine(e.AccessTypeName.toStdString()) << '\t'
            << EscapeLine(e.ParadoxType.toStdString()) << '\n';
    }
    file.finish();
}

}  // namespace velmora
