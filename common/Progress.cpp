#include "common/Progress.h"

namespace velmora {

QString ExecutionProgressText(int line, int count) {
    return QStringLiteral("Please wait... Processing row: ") + QString::number(line) +
           QStringLiteral(" of ") + QString::number(count);
}

void ProgressSink::setRowCaption(int line, int count) {
    setCaption(ExecutionProgressText(line, count));
}

}  // namespace velmora
