#include "engine/TargetNames.h"

#include <QDir>

#include "dataaccess/ConnectionString.h"

namespace velmora {

QString QuoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

namespace {

// The first `length` UTF-16 units, one fewer when the cut would split a surrogate pair.
QString leftWhole(const QString& text, int length) {
    if (length <= 0) return QString();
    if (length < text.size() && text.at(length - 1).isHighSurrogate()) --length;
    return text.left(length);
}

}  // namespace

QString CleanName(const QString& name) {
    QString cleaned = name;
    cleaned.remove(u' ').remove(u'(').remove(u')').remove(u'\'');
    return cleaned;
}

QString TargetTableName(const QString& sourceName) {
    static const QString kUnfit = QStringLiteral("/\\:*?\"<>|");
    QString name = CleanName(sourceName);
    name.removeIf(
        [](QChar c) { return c.unicode() < 32 || c.unicode() == 127 || kUnfit.contains(c); });
    return leftWhole(name, kTargetNameLength);
}

QString UniqueTargetName(QString target, const QStringList& taken) {
    for (int n = 0; taken.contains(target, Qt::CaseInsensitive); ++n)
        target = leftWhole(target, static_cast<int>(target.size()) - 1) + QString::number(n);
    return target;
}

QString CleanFieldName(const QString& fieldName, int ordinal) {
    // Paradox field names hold blanks and apostrophes as Access does; they refuse
    // brackets, braces, parentheses, "->", a double quote, a leading blank and "#" alone.
    static const QString kRefused = QStringLiteral("[]{}()\"");
    QString name;
    for (const char32_t c :
         QString(fieldName).replace(QStringLiteral("->"), QStringLiteral("-")).toUcs4()) {
        if (c < 0x20 || c == 0x7F || (c < 0x80 && kRefused.contains(QChar(c)))) continue;
        name += QString::fromUcs4(&c, 1);
    }
    while (name.startsWith(u' ')) name.remove(0, 1);
    if (name.isEmpty() || name == QLatin1String("#"))
        return QStringLiteral("Field") + QString::number(ordinal);
    return name;
}

QString CountedColumnName(const QString& cleaned, int counter) {
    const QString digits = QString::number(counter);
    return cleaned.left(kColumnNameLength - static_cast<int>(digits.size())) + digits;
}

QString TargetConnectionString(const QString& folder, bool ownerOnly) {
    const QString dir = QString::fromStdString(
        db::ConnectionString::quote((folder + QDir::separator()).toStdString(), '{'));
    return QStringLiteral(
               "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;"
               "DefaultDir=") +
           dir + QStringLiteral(";Dbq=") + dir + QStringLiteral(";CollatingSequence=ASCII;") +
           (ownerOnly ? QStringLiteral("OwnerOnly=1;") : QString());
}

void OpenTargetConnection(db::Connection& connection, const QString& folder, bool ownerOnly) {
    connection.open(TargetConnectionString(folder, ownerOnly).toStdString());
}

}  // namespace velmora
