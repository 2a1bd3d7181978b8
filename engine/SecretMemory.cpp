#include "engine/SecretMemory.h"

#include <string.h>
#include <sys/prctl.h>

namespace velmora {

void KeepSecretsOutOfCoreDumps() {
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

void WipeText(QString& text) {
    // data() would copy a shared buffer first; only a buffer of our own is overwritten.
    if (text.isDetached() && !text.isEmpty())
        explicit_bzero(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text = QString();
}

void WipeText(QByteArray& text) {
    if (text.isDetached() && !text.isEmpty())
        explicit_bzero(text.data(), static_cast<std::size_t>(text.size()));
    text = QByteArray();
}

void WipeText(std::string& text) {
    explicit_bzero(text.data(), text.size());
    text.clear();
}

}  // namespace velmora
