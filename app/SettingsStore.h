#pragma once
// The per-user settings store: application "Tervane", one section named after the
// product, every value kept as text. Each read and each write goes to the file at
// once, so the store holds the user's last entries at every moment and nothing needs
// writing at exit. The file holds the Access password in plain text, so it is kept
// readable by its owner only.

#include <QLatin1StringView>
#include <QString>

namespace velmora {

// The keys of the saved entries, as stored files have them: the SQL Preview choices are
// kept under their controls' designer names.
namespace settingKey {
inline constexpr QLatin1StringView kPreviewEnabled{"Check1"};
inline constexpr QLatin1StringView kPreviewPerFile{"Option1"};
inline constexpr QLatin1StringView kPreviewPerTable{"Option2"};
inline constexpr QLatin1StringView kParadoxFolder{"ParadoxFolder"};
inline constexpr QLatin1StringView kAccessFile{"AccessMDBFile"};
inline constexpr QLatin1StringView kAccessPassword{"AccessPassword"};
inline constexpr QLatin1StringView kLastFolder{"LastFolderDot"};
inline constexpr QLatin1StringView kJet3CodePage{"Jet3CodePage"};
inline constexpr QLatin1StringView kAccessRules{"AccessRules"};  // rules carried into tables
// The Options dialog's other choices ("refuse" or "replace"; the rest "True" or "False").
inline constexpr QLatin1StringView kUnmappable{"Unmappable"};
inline constexpr QLatin1StringView kKeepBinary{"KeepBinary"};
inline constexpr QLatin1StringView kVerify{"VerifyAfterRun"};
inline constexpr QLatin1StringView kRejectsFile{"RejectsFile"};
// The last databases and folders, newest first, one a line.
inline constexpr QLatin1StringView kRecentDatabases{"RecentDatabases"};
inline constexpr QLatin1StringView kRecentFolders{"RecentFolders"};
// Where the windows were, as Qt saves a window's geometry (Base64).
inline constexpr QLatin1StringView kMainWindowPlace{"MainWindowGeometry"};
inline constexpr QLatin1StringView kPreviewWindowPlace{"PreviewWindowGeometry"};
inline constexpr QLatin1StringView kStrictReading{"StrictReading"};
}  // namespace settingKey

class SettingsStore {
  public:
    // The stored text, or `fallback` when the key is missing; throws when the store
    // cannot be read.
    QString read(const QString& key, const QString& fallback) const;
    // False when the store could not be written.
    bool write(const QString& key, const QString& value);
    // The file behind the store.
    static QString filePath();
};

// The text conversions of stored values. Both accept "True" and "False" in any letter
// case and decimal numbers; anything else throws "Type mismatch".
int SettingToInteger(const QString& text);  // rounded half to even, "Overflow" past 16 bits
bool SettingToTruth(const QString& text);   // 0 is false, every other number true
QString TruthText(bool value);              // "True" or "False"

}  // namespace velmora
