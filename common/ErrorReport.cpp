#include "common/ErrorReport.h"

#include "common/AppInfo.h"

namespace velmora {

QString composeErrorReport(const QString& description, const QString& location, int step) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(step) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") + kSupportEmail;
}

std::optional<ErrorReportParts> splitErrorReport(const QString& report) {
    const qsizetype mail = report.lastIndexOf(QStringLiteral("\r\rPlease email screenshot"));
    if (mail < 0) return std::nullopt;
    const qsizetype at = report.lastIndexOf(QStringLiteral("at line "), mail);
    const qsizetype locationStart = report.lastIndexOf(QStringLiteral("\r\n"), at);
    if (at < 0 || locationStart < 0) return std::nullopt;
    bool number = false;
    const int step = report.mid(at + 8, mail - at - 8).toInt(&number);
    if (!number) return std::nullopt;
    return ErrorReportParts{report.left(locationStart),
                            report.mid(locationStart + 2, at - locationStart - 2), step};
}

QString describeException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

QString reportLocation(const QString& module, const QString& procedure, const QString& project) {
    return QStringLiteral("in ") + project + QStringLiteral("2021/08/31.") + module + u'.' +
           procedure + u' ';
}

void Procedure::report(int number, std::exception_ptr error) {
    prompts_.errorReport(composeErrorReport(describeException(error), location_, number));
}

}  // namespace velmora
