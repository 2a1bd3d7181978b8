#pragma once
// Finds a text inside another without regard to case, by the case rules of a locale
// (in a Turkish locale "i" matches "İ" but not "I"). Each character is compared by its
// locale lower case; characters whose lower case is more than one character long
// compare by their plain Unicode lower case, so positions in the searched text stay
// exact.

#include <QLocale>
#include <QString>
#include <QStringView>
#include <vector>

namespace velmora {

class LocaleFind {
  public:
    LocaleFind(const QString& needle, QLocale locale);

    // Position of the first occurrence, or -1. An empty needle is never found.
    qsizetype firstIn(QStringView text) const;

  private:
    char16_t fold(char16_t c) const {
        const char16_t folded = table_[c];
        return folded != 0 || c == 0 ? folded : learn(c);
    }
    char16_t learn(char16_t c) const;

    QLocale locale_;
    std::u16string needle_;  // folded
    // Folded characters as they are met; 0 until then (NUL folds to itself).
    mutable std::vector<char16_t> table_;
};

}  // namespace velmora
