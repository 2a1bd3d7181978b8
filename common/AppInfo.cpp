#include "common/AppInfo.h"

namespace velmora {

QString programVersion() {
    return QStringLiteral(VELMORA_VERSION);
}

}  // namespace velmora
