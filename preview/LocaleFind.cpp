#include "preview/LocaleFind.h"

namespace velmora {

LocaleFind::LocaleFind(const QString& needle, QLocale locale)
    : locale_(std::move(locale)), table_(0x10000, 0) {
    needle_.reserve(static_cast<std::size_t>(needle.size()));
    for (const QChar c : needle) needle_.push_back(fold(c.unicode()));
}

char16_t LocaleFind::learn(char16_t c) const {
    const QString lower = locale_.toLower(QString(QChar(c)));
    char16_t folded = lower.size() == 1 ? lower.at(0).unicode() : QChar(c).toLower().unicode();
    // A character whose lower case is NUL cannot exist, but 0 marks "not yet known".
    if (folded == 0) folded = c;
    table_[c] = folded;
    return folded;
}

qsizetype LocaleFind::firstIn(QStringView text) const {
    const std::size_t n = needle_.size();
    const auto size = static_cast<std::size_t>(text.size());
    if (n == 0 || n > size) return -1;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t first = needle_[0];
    for (std::size_t at = 0; at + n <= size; ++at) {
        if (fold(chars[at]) != first) continue;
        std::size_t i = 1;
        while (i < n && fold(chars[at + i]) == needle_[i]) ++i;
        if (i == n) return static_cast<qsizetype>(at);
    }
    return -1;
}

}  // namespace velmora
