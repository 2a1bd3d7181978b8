#pragma once
// Fixed texts of the product that several windows and procedures share.

#include <QString>

namespace velmora {

inline const QString kProductTitle =
    QStringLiteral("Velmora Ledger Table Transfer Toolkit Platform");
inline const QString kSupportEmail = QStringLiteral("support@tervane.example");
inline const QString kContactPage = QStringLiteral("https://www.tervane.example/contact/");
inline const QString kDownloadHost = QStringLiteral("https://www.microsoft.com");
inline const QString kSettingsApplication = QStringLiteral("Tervane");

// The release, "1.0.0", as --version and the windows' Help show it.
QString programVersion();

// The application title that message boxes without a caption of their own show.
QString applicationTitle();
void setApplicationTitle(const QString& title);

}  // namespace velmora
