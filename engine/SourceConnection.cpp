#include "engine/SourceConnection.h"

#include <QStringList>

#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "dataaccess/ConnectionString.h"
#include "dataaccess/DbError.h"
#include "dataaccess/ProviderDirectory.h"
#include "engine/SecretMemory.h"

namespace velmora {

QString SourceConnectionString(const QString& file, const QString& password,
                               const MainInputs& inputs) {
    QString path = file;
    QString secret = password;
    if (file.isEmpty()) {
        path = inputs.accessFile();
        secret = inputs.accessPassword();
    }
    if (!secret.isEmpty()) KeepSecretsOutOfCoreDumps();
    // Only Jet3 files read the code page; it is left out when the header's is wanted. It
    // comes before the password, which runs to the end. The path is quoted when it holds
    // characters that would end or split its value; the password clause comes last and
    // runs to the end, so it needs no quotes.
    const QString codePage =
        inputs.jet3CodePage() == 0
            ? QString()
            : QStringLiteral(";Jet OLEDB:Jet3 Code Page=") + QString::number(inputs.jet3CodePage());
    const QString source = QString::fromStdString(db::ConnectionString::quote(path.toStdString()));
    if (path.right(5).toLower() == QLatin1String("accdb"))
        return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + source +
               codePage + QStringLiteral(";JET OLEDB:Database Password=") + secret;
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + source + codePage +
           QStringLiteral(";JET OLEDB:Database Password=") + secret;
}

void OpenSourceConnection(db::Connection& connection, const MainInputs& inputs) {
    QString text = SourceConnectionString(QString(), QString(), inputs);
    QByteArray utf8 = text.toUtf8();
    std::string settings(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    WipeText(text);
    WipeText(utf8);
    try {
        connection.open(settings);
    } catch (...) {
        WipeText(settings);
        throw;
    }
    WipeText(settings);
}

bool SourceNeedsPassword(const QString& file) {
    // The provider's own words for a password that does not open the database.
    static const std::string kWrongPassword = "Not a valid password.";
    const FixedInputs none;
    try {
        db::Connection probe;
        probe.open(SourceConnectionString(file, QString(), none).toStdString());
        return false;
    } catch (const db::DbError& error) {
        return error.description() == kWrongPassword;
    } catch (...) {
        return false;
    }
}

QString SourceFailureText(const QString& file, const QString& reason) {
    QString why = reason.trimmed();
    why.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ');
    if (!why.endsWith(u'.')) why += u'.';
    return QStringLiteral("The database ") + ShownName(file) +
           QStringLiteral(" cannot be opened: ") + why;
}

QString ProviderGuidanceMessage() {
    const QStringList lines = {
        QStringLiteral("Error #3706: Provider cannot be found. It may not be properly installed."),
        QString(),
        QStringLiteral("You are getting this error because:"),
        QString(),
        QStringLiteral("1. Microsoft Access is not installed on your computer."),
        QString(),
        QStringLiteral("2. A set of Microsoft components to transfer data is not installed on "
                       "your computer."),
        QString(),
        QStringLiteral("You need to download and install Microsoft Access Database Engine 2010 "
                       "or 2016 to solve this problem."),
        QString(),
        QStringLiteral("Would you like me to open the Microsoft site now so you can do this?"),
        QString(),
        QStringLiteral("(If you have any further questions please email a screenshot of this "
                       "error message to ") +
            kSupportEmail + u')',
    };
    return lines.join(QStringLiteral("\r\n"));
}

bool CheckProvider(Prompts& prompts, DesktopOpener& opener) {
    try {
        db::accessProvider();
        return true;
    } catch (const db::DbError& error) {
        const bool missing = error.number() == db::errc::kProviderNotFound ||
                             QString::fromUtf8(error.what())
                                 .contains(u"provider cannot be found", Qt::CaseInsensitive);
        if (missing && prompts.askYesNo(ProviderGuidanceMessage())) {
            const QString page = kDownloadHost + QStringLiteral("/en-us/download/details.aspx?id=");
            opener.open(page + QStringLiteral("13255"));
            opener.open(page + QStringLiteral("54920"));
        }
        return false;
    } catch (...) {
        return false;
    }
}

}  // namespace velmora
