#include "engine/CodePageChoice.h"

#include <QStringList>

#include "common/text/CodePage.h"
#include "common/text/TableCodePages.h"

namespace velmora {

int ChooseCodePage(const TableProfile& profile, const QString& targetName,
                   const db::Recordset& rows) {
    QStringList names{targetName};
    for (int i = 0; i < rows.fields().count(); ++i)
        names << QString::fromStdString(rows.fields().item(i).name());
    std::uint32_t namesMask = text::kAllTableCodePages;
    for (const QString& name : names) {
        const QByteArray utf8 = name.toUtf8();
        namesMask &=
            text::tableCodePagesHolding(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
    return text::chooseTableCodePage(profile.rowsByCodePages, namesMask);
}

QString BestFitSpelling(const QString& text, int codePage, QChar missing) {
    const text::CodePage& cp = text::CodePage::forNumber(codePage);
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (cp.encode(c) >= 0) {
            out += QString::fromUcs4(&c, 1);
            continue;
        }
        // The base letter of a decomposed character, when the code page holds it.
        const QString decomposed =
            QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
        const char32_t base = decomposed.isEmpty() ? 0 : decomposed.toUcs4().front();
        if (base != c && base != 0 && cp.encode(base) >= 0)
            out += QString::fromUcs4(&base, 1);
        else
            out += missing;
    }
    return out;
}

bool CodePageHolds(int codePage, const std::string& utf8) {
    const std::uint32_t held = text::tableCodePagesHolding(utf8.data(), utf8.size());
    for (int i = 0; i < text::kTableCodePageCount; ++i)
        if (text::kTableCodePages[i] == codePage) return (held & (1u << i)) != 0;
    return false;
}

}  // namespace velmora
