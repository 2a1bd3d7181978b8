#include "engine/CodePageChoice.h"

#include "common/text/CodePage.h"
#include "common/text/TableCodePages.h"

namespace velmora {

int ChooseCodePage(const TableProfile& profile, const QStringList& names) {
    std::uint32_t namesMask = text::kAllTableCodePages;
    for (const QString& name : names) {
        const QByteArray utf8 = name.toUtf8();
        namesMask &=
            text::tableCodePagesHolding(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
    return text::chooseTableCodePage(profile.rowsByCodePages, namesMask);
}

QString BestFitName(const QString& name, int codePage) {
    const text::CodePage& cp = text::CodePage::forNumber(codePage);
    QString out;
    for (const char32_t c : name.toUcs4()) {
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
            out += u'_';
    }
    return out;
}

}  // namespace velmora
