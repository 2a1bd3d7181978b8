#include "common/ErrorReport.h"

#include "common/AppInfo.h"

namespace velmora {

QString composeErrorReport(const QString& description, const QString& location, int step) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(step) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") + kSupportEmail;
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
