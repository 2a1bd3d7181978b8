#include "cli/BatchRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/BatchManifest.h"
#include "cli/BatchReport.h"
#include "cli/BatchSources.h"
#include "cli/PasswordMap.h"
#include "cli/PasswordSource.h"
#include "cli/StatementFile.h"
#include "engine/SecretMemory.h"

namespace velmora {

namespace {

constexpr int kStoppingSignals[] = {SIGINT, SIGTERM};
int signalPipe[2] = {-1, -1};

extern "C" void noteSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// The signals arrive as bytes on a pipe the event loop watches.
bool catchStoppingSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kStoppingSignals) sigaction(signal, &action, nullptr);
    return true;
}

int error(const QString& text) {
    std::cerr << "velmora-convert: " << text.toStdString() << std::endl;
    return 2;
}

// The options that shape a database's tables: a database converted with others is
// converted again.
QStringList tableOptions(const CommandLine& c) {
    QStringList options{"--overwrite", c.overwrite == OverwritePolicy::No ? "no" : "yes"};
    for (const QString& table : c.tables) options << "--table" << table;
    for (const QString& table : c.excludedTables) options << "--exclude-table" << table;
    if (c.replaceUnmappable)
        options << "--unmappable"
                << "replace";
    if (c.keepBinary) options << "--keep-binary";
    if (c.strict) options << "--strict";
    if (c.accessRules)
        options << "--rules"
                << "access";
    if (c.verify) options << "--verify";
    if (c.jet3CodePage > 0) options << "--jet3-code-page" << QString::number(c.jet3CodePage);
    return options;
}

// The first report a run printed, without the program's name: why it did not complete.
QString firstError(const QString& log) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) return {};
    static const QByteArray prefix = "velmora-convert: ";
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(64 * 1024).trimmed();
        if (line.startsWith(prefix)) return QString::fromUtf8(line.mid(prefix.size()));
    }
    return {};
}

std::optional<QJsonObject> readSummary(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject()) return std::nullopt;
    return document.object();
}

struct Planned {
    BatchSource source;
    QString name;  // its subfolder; empty for a source not found
};

struct Child {
    std::size_t index = 0;
    QProcess* process = nullptr;
    QElapsedTimer timer;
    SourceFingerprint fingerprint;
    bool withPassword = false;
};

class Batch {
  public:
    Batch(const CommandLine& c, const PasswordMap& passwords, BatchManifest& manifest,
          std::vector<Planned> plan)
        : c_(c),
          passwords_(passwords),
          manifest_(manifest),
          plan_(std::move(plan)),
          records_(plan_.size()) {
        for (const QString& option : tableOptions(c)) options_.append(option);
        jobs_ = c.jobs > 0 ? c.jobs : std::max(1, QThread::idealThreadCount());
    }

    // Converts what is to be converted; returns the records in the plan's order.
    std::vector<QJsonObject> run() {
        QSocketNotifier watcher(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&watcher, &QSocketNotifier::activated, &loop_, [this] {
            unsigned char signal = 0;
            while (::read(signalPipe[0], &signal, 1) == 1) interrupt(signal);
        });
        startMore();
        if (!running_.empty()) loop_.exec();
        std::vector<QJsonObject> records;
        for (std::size_t i = 0; i < plan_.size(); ++i) {
            if (!records_[i]) {
                DatabaseResult r = resultFor(i);
                r.outcome = DatabaseOutcome::NotReached;
                records_[i] = DatabaseRecord(r, c_.verify);
            }
            records.push_back(*records_[i]);
        }
        return records;
    }
    int interruptedBy() const { return interruptedBy_; }

  private:
    QString folderOf(std::size_t i) const { return c_.into + u'/' + plan_[i].name; }

    DatabaseResult resultFor(std::size_t i) const {
        DatabaseResult r;
        r.source = plan_[i].source.shown;
        if (!plan_[i].name.isEmpty()) r.folder = folderOf(i);
        return r;
    }

    void startMore() {
        while (running_.size() < static_cast<std::size_t>(jobs_) && next_ < plan_.size() &&
               !interruptedBy_ && !manifestFailed_) {
            const std::size_t i = next_++;
            if (!plan_[i].source.found) {
                DatabaseResult r = resultFor(i);
                r.outcome = DatabaseOutcome::NotFound;
                r.error = QStringLiteral("no such file or folder");
                finish(i, DatabaseRecord(r, c_.verify), false);
            } else if (!skipAsComplete(i)) {
                launch(i);
            }
        }
        if (running_.empty()) loop_.quit();
    }

    // Complete in an earlier run with the same options, and the file unchanged since.
    bool skipAsComplete(std::size_t i) {
        const ManifestEntry* earlier = manifest_.find(plan_[i].source.canonical);
        if (c_.redo || !earlier || !earlier->finished ||
            earlier->outcome != OutcomeName(DatabaseOutcome::Complete) ||
            earlier->options != options_ || !QFileInfo(folderOf(i)).isDir())
            return false;
        SourceFingerprint now = FingerprintOf(plan_[i].source.canonical, false);
        if (now.size != earlier->fingerprint.size || now.modified != earlier->fingerprint.modified)
            return false;
        now = FingerprintOf(plan_[i].source.canonical, true);
        if (now.sha256 != earlier->fingerprint.sha256) return false;
        records_[i] = SkippedRecord(earlier->record, plan_[i].source.shown, folderOf(i),
                                    c_.into + u'/' + LogFileOf(plan_[i].name));
        ++done_;
        if (c_.verbosity == Verbosity::Verbose) printLine(i, *records_[i]);
        return true;
    }

    QStringList childArguments(std::size_t i, bool withPassword) const {
        QStringList args = tableOptions(c_);
        if (c_.verbosity == Verbosity::Quiet) args << "--quiet";
        if (c_.verbosity == Verbosity::Verbose) args << "--verbose";
        if (!c_.rejectsFile.isEmpty()) args << "--rejects" << folderOf(i) + u'/' + c_.rejectsFile;
        args << "--new-folder"
             << "--summary-file" << c_.into + u'/' + SummaryFileOf(plan_[i].name);
        if (withPassword)
            args << "--password-file"
                 << "-";
        return args << "--" << plan_[i].source.absolute << folderOf(i);
    }

    void launch(std::size_t i) {
        const Planned& planned = plan_[i];
        auto child = std::make_unique<Child>();
        child->index = i;
        child->fingerprint = FingerprintOf(planned.source.canonical, true);
        std::optional<QString> password =
            passwords_.find(planned.source.absolute, planned.source.shown);
        child->withPassword = password.has_value();
        if (!record(i, child->fingerprint, false, {})) return;

        const QString log = c_.into + u'/' + LogFileOf(planned.name);
        QDir().mkpath(QFileInfo(folderOf(i)).path());
        QFile::remove(c_.into + u'/' + SummaryFileOf(planned.name));
        // Reports quote values: the log of a protected database is its owner's only.
        const int logFd =
            ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                   child->withPassword ? 0600 : 0666);
        if (logFd >= 0) {
            if (child->withPassword) ::fchmod(logFd, 0600);  // also a log an earlier run left
            ::close(logFd);
        }

        // The password goes through a pipe that becomes the run's standard input: never
        // on a command line, and never in a buffer of ours that is not wiped.
        int input[2] = {-1, -1};
        if (password) {
            QByteArray line = password->toUtf8() + '\n';
            WipeText(*password);
            if (::pipe2(input, O_CLOEXEC) != 0 ||
                ::write(input[1], line.constData(), static_cast<size_t>(line.size())) !=
                    line.size())
                input[0] = -1;
            WipeText(line);
            ::close(input[1]);
        }

        auto* process = new QProcess;
        child->process = process;
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardOutputFile(log);
        if (!password) process->setStandardInputFile(QProcess::nullDevice());
        const pid_t parent = ::getpid();
        const int passwordInput = input[0];
        // In the new process before it starts: the password on standard input; a session
        // of its own, without a terminal (a terminal's ^C reaches the batch, which passes
        // it on once, and the scheduler shares the processor out to each run as to a job
        // of its own, so that -j N gets N shares where other sessions keep it busy); and
        // an end when the batch is killed.
        process->setChildProcessModifier([parent, passwordInput] {
            if (passwordInput >= 0) ::dup2(passwordInput, STDIN_FILENO);
            ::setsid();
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(128 + SIGTERM);
        });
        Child* started = child.get();
        QObject::connect(process, &QProcess::finished, &loop_,
                         [this, started](int code, QProcess::ExitStatus status) {
                             ended(started, code, status == QProcess::CrashExit, {});
                         });
        QObject::connect(process, &QProcess::errorOccurred, &loop_,
                         [this, started](QProcess::ProcessError problem) {
                             if (problem == QProcess::FailedToStart)
                                 ended(started, 2, false,
                                       "cannot start " + started->process->program() + ": " +
                                           started->process->errorString());
                         });
        running_.push_back(std::move(child));
        child.reset();
        started->timer.start();
        process->start(QCoreApplication::applicationFilePath(),
                       childArguments(i, password.has_value()));
        if (input[0] >= 0) ::close(input[0]);
    }

    void ended(Child* child, int code, bool signalled, const QString& startError) {
        const std::size_t i = child->index;
        DatabaseResult r = resultFor(i);
        r.log = c_.into + u'/' + LogFileOf(plan_[i].name);
        r.seconds = static_cast<double>(child->timer.nsecsElapsed()) / 1e9;
        r.summary = readSummary(c_.into + u'/' + SummaryFileOf(plan_[i].name));
        r.error = startError.isEmpty() ? firstError(r.log) : startError;
        if (!signalled) r.exitStatus = code;
        if (!signalled && code == 0) {
            r.outcome = DatabaseOutcome::Complete;
        } else if (interruptedBy_ && (signalled || code > 128)) {
            r.outcome = DatabaseOutcome::Interrupted;
            r.error = QStringLiteral("stopped when the batch was stopped (%1)")
                          .arg(QString::fromLocal8Bit(strsignal(interruptedBy_)));
        } else if (signalled || code > 2) {
            r.outcome = DatabaseOutcome::Crashed;
            if (signalled)
                r.error = QStringLiteral("ended by signal %1 (%2)")
                              .arg(code)
                              .arg(QString::fromLocal8Bit(strsignal(code)));
        } else if (code == 1) {
            r.outcome = DatabaseOutcome::Incomplete;
        } else if (!child->withPassword &&
                   r.error == PasswordNeededText(plan_[i].source.absolute)) {
            r.outcome = DatabaseOutcome::NoPassword;
            r.error =
                c_.passwordMap.isEmpty()
                    ? QStringLiteral("needs a password: give it in a --password-map")
                    : QStringLiteral("needs a password, and the password map has none for it");
        } else {
            r.outcome = DatabaseOutcome::NotStarted;
        }
        const SourceFingerprint fingerprint = child->fingerprint;
        child->process->deleteLater();
        std::erase_if(running_, [child](const auto& c) { return c.get() == child; });
        finish(i, DatabaseRecord(r, c_.verify), true, fingerprint);
        startMore();
    }

    void finish(std::size_t i, QJsonObject record, bool inManifest,
                const SourceFingerprint& fingerprint = {}) {
        records_[i] = std::move(record);
        ++done_;
        if (inManifest) this->record(i, fingerprint, true, *records_[i]);
        const bool complete = IsComplete(*records_[i]);
        if (!complete || c_.verbosity != Verbosity::Quiet) printLine(i, *records_[i]);
    }

    bool record(std::size_t i, const SourceFingerprint& fingerprint, bool finished,
                const QJsonObject& result) {
        try {
            manifest_.record({plan_[i].source.canonical, plan_[i].name, finished, fingerprint,
                              options_, finished ? result["outcome"].toString() : QString(),
                              result});
            return true;
        } catch (const std::exception& e) {
            // Without its record a later run could not tell what is done: start nothing more.
            if (!manifestFailed_) std::cerr << "velmora-convert: " << e.what() << std::endl;
            manifestFailed_ = true;
            return false;
        }
    }

    void printLine(std::size_t i, const QJsonObject& record) {
        const QString name = plan_[i].name.isEmpty() ? plan_[i].source.shown : plan_[i].name;
        const QString counter = QStringLiteral("[%1/%2] ").arg(done_).arg(plan_.size());
        std::cerr << (IsComplete(record) ? "" : "velmora-convert: ") << counter.toStdString()
                  << name.toStdString() << ": " << RecordLine(record).toStdString() << std::endl;
    }

    void interrupt(int signal) {
        if (!interruptedBy_)
            std::cerr << "velmora-convert: " << strsignal(signal)
                      << ": stopping; the databases not complete are converted by the next run"
                      << std::endl;
        interruptedBy_ = signal;
        for (const auto& child : running_)
            if (const qint64 pid = child->process->processId(); pid > 0)
                ::kill(static_cast<pid_t>(pid), signal);
        if (running_.empty()) loop_.quit();
    }

    const CommandLine& c_;
    const PasswordMap& passwords_;
    BatchManifest& manifest_;
    std::vector<Planned> plan_;
    std::vector<std::optional<QJsonObject>> records_;
    QJsonArray options_;
    int jobs_ = 1;
    std::size_t next_ = 0;
    int done_ = 0;
    std::vector<std::unique_ptr<Child>> running_;
    int interruptedBy_ = 0;
    bool manifestFailed_ = false;
    QEventLoop loop_;
};

// The batch's folder, created when missing, and written into: tried with a file, not
// the mode (root passes every mode check but not a read-only mount).
std::optional<QString> prepareFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return "cannot create the folder " + folder;
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.velmora-write-check-XXXXXX"));
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return "cannot write into " + folder + ": " + QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return std::nullopt;
}

// Each source's subfolder: the one an earlier run gave it, else its own name made unique.
std::vector<Planned> plan(std::vector<BatchSource> sources, const BatchManifest& manifest,
                          const QString& into) {
    FolderNames names;
    names.take(QString::fromLatin1(kManifestName));
    for (const ManifestEntry& entry : manifest.entries()) names.take(entry.folder);
    auto occupied = [&into](const QString& name) {
        for (const QString& file : {name, LogFileOf(name), SummaryFileOf(name)})
            if (QFileInfo::exists(into + u'/' + file)) return true;
        return false;
    };
    std::vector<Planned> planned;
    for (BatchSource& source : sources) {
        QString name;
        if (const ManifestEntry* earlier = manifest.find(source.canonical))
            name = earlier->folder;
        else if (source.found)
            name = names.claim(source.name, occupied);
        planned.push_back({std::move(source), name});
    }
    return planned;
}

}  // namespace

int RunBatch(const CommandLine& c) {
    QElapsedTimer clock;
    clock.start();
    std::optional<PasswordMap> passwords;
    std::vector<BatchSource> sources;
    try {
        if (c.passwordMap.isEmpty())
            passwords.emplace();
        else
            passwords.emplace(c.passwordMap);
        sources = FindBatchSources(c.sources);
    } catch (const std::exception& e) {
        return error(QString::fromUtf8(e.what()));
    }
    if (std::none_of(sources.begin(), sources.end(), [](const auto& s) { return s.found; }))
        return error("no database (.mdb, .accdb) found in " + c.sources.join(u' '));
    if (auto problem = prepareFolder(c.into)) return error(*problem);
    if (!catchStoppingSignals()) return error("cannot watch for signals");
    std::optional<BatchManifest> manifest;
    try {
        manifest.emplace(c.into);
    } catch (const std::exception& e) {
        return error(QString::fromUtf8(e.what()));
    }

    Batch batch(c, *passwords, *manifest, plan(std::move(sources), *manifest, c.into));
    const std::vector<QJsonObject> records = batch.run();
    int status = std::all_of(records.begin(), records.end(), IsComplete) ? 0 : 1;
    if (batch.interruptedBy()) status = 128 + batch.interruptedBy();

    const bool jsonOnStandardOutput =
        c.jsonSummary && (c.summaryFile.isEmpty() || IsStandardStream(c.summaryFile));
    if (c.verbosity != Verbosity::Quiet && !jsonOnStandardOutput)
        PrintBatchTable(std::cout, records, c.into);
    if (c.jsonSummary) {
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        try {
            OutputFile summary(c.summaryFile.isEmpty() ? QStringLiteral("-") : c.summaryFile);
            summary.stream() << BatchSummaryJson(c.into, records, seconds, status).toStdString();
            summary.finish();
        } catch (const std::exception& e) {
            error(QString::fromUtf8(e.what()));
            return status == 0 ? 1 : status;
        }
    }
    return status;
}

}  // namespace velmora
