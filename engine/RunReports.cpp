#include "engine/RunReports.h"

#include <QDir>
#include <QFile>

namespace velmora {

namespace {

// The line naming the procedure and step: "in ...PushButton7_Click at line 490".
QString stepOf(const QString& report) {
    const qsizetype at = report.lastIndexOf(QStringLiteral(" at line "));
    if (at < 0) return report;
    const qsizetype start = report.lastIndexOf(u'\n', at) + 1;
    const qsizetype end = report.indexOf(u'\r', at);
    return report.mid(start, end < 0 ? -1 : end - start);
}

}  // namespace

void RunReports::errorReport(const QString& text) {
    if (quiet_) {
        ++unshown_;
        log(text);
        return;
    }
    const QString step = stepOf(text);
    if (steps_.contains(step)) {
        quiet_ = shown_.errorReportOfferingQuiet(text);
    } else {
        steps_.insert(step);
        shown_.errorReport(text);
    }
}

OverwriteAnswer RunReports::askOverwrite(const QString& text) {
    if (answerToAll_) return *answerToAll_;
    const OverwriteAnswer answer = shown_.askOverwrite(text);
    if (answer == OverwriteAnswer::YesToAll || answer == OverwriteAnswer::NoToAll)
        answerToAll_ = answer;
    return answer;
}

void RunReports::log(const QString& text) {
    if (logFailed_) return;
    const QString path =
        QDir(inputs_.paradoxFolder()).filePath(QString::fromLatin1(kReportLogName));
    QFile file(path);
    // A new log for each run, made with the tables' permissions (an old log keeps its
    // own, so it goes first); later reports of the run are appended.
    const bool first = logFile_.isEmpty();
    if (first) QFile::remove(path);
    const QFileDevice::Permissions permissions =
        ownerOnly_ ? QFileDevice::ReadOwner | QFileDevice::WriteOwner
                   : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                         QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    const bool opened =
        first ? file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::NewOnly, permissions)
              : file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Append);
    if (!opened) {
        logFailed_ = true;
        return;
    }
    logFile_ = path;
    QString entry = text;
    entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    file.write((entry + QStringLiteral("\n\n")).toUtf8());
}

QString RunReports::finalNote() const {
    if (unshown_ == 0) return QString();
    const QString count = QString::number(unshown_) +
                          (unshown_ == 1 ? QStringLiteral(" further report was not shown")
                                         : QStringLiteral(" further reports were not shown"));
    if (logFailed_)
        return count + QStringLiteral("; the log file could not be written in ") +
               inputs_.paradoxFolder() + u'.';
    return count + QStringLiteral("; they are in ") + logFile_ + u'.';
}

}  // namespace velmora
