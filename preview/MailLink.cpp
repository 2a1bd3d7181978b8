#include "preview/MailLink.h"

#include "common/AppInfo.h"

namespace velmora {

QString ErrorMailLink(const QString& errorText) {
    return QStringLiteral("mailto:") + kSupportEmail + QStringLiteral("?subject=") + kProductTitle +
           QChar(38) + QStringLiteral("body=Here is the error message that I get: ") + QChar(10) +
           errorText;
}

}  // namespace velmora
