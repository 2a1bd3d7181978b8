#include "engine/TargetNames.h"

#include <QDir>

#include "paradox/ParadoxDriver.h"

namespace velmora {

QString QuoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

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
    return name.left(kTargetNameLength);
}

QString TargetConnectionString(const QString& folder, bool ownerOnly) {
    const QString dir = folder + QDir::separator();
    return QStringLiteral(
               "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;"
               "DefaultDir=") +
           dir + QStringLiteral(";Dbq=") + dir + QStringLiteral(";CollatingSequence=ASCII;") +
           (ownerOnly ? QStringLiteral("OwnerOnly=1;") : QString());
}

void OpenTargetConnection(db::Connection& connection, const QString& folder, bool ownerOnly) {
    paradox::registerDriver();
    connection.open(TargetConnectionString(folder, ownerOnly).toStdString());
}

}  // namespace velmora
