#include "app/SettingsStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "common/AppInfo.h"

namespace velmora {

namespace {

QSettings openStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsApplication);
}

// Creates the file empty and private before Qt first writes it; Qt keeps the
// permissions of a file that exists when it replaces it.
void makePrivateFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) ::close(fd);
}

std::optional<double> decimalNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<bool> truthWord(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0) return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

}  // namespace

QString SettingsStore::read(const QString& key, const QString& fallback) const {
    QSettings store = openStore();
    if (store.status() == QSettings::AccessError)
        throw std::runtime_error("Permission denied: " + filePath().toStdString());
    if (store.status() == QSettings::FormatError)
        throw std::runtime_error("The settings file is damaged: " + filePath().toStdString());
    store.beginGroup(kProductTitle);
    return store.contains(key) ? store.value(key).toString() : fallback;
}

bool SettingsStore::write(const QString& key, const QString& value) {
    const QString path = filePath();
    makePrivateFile(path);
    QSettings store = openStore();
    store.beginGroup(kProductTitle);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return store.status() == QSettings::NoError;
}

QString SettingsStore::filePath() {
    return openStore().fileName();
}

int SettingToInteger(const QString& text) {
    double value = 0;
    if (const auto word = truthWord(text))
        value = *word ? -1 : 0;
    else if (const auto number = decimalNumber(text))
        value = std::nearbyint(*number);  // the default rounding mode: half to even
    else
        throw std::runtime_error("Type mismatch");
    if (value < -32768 || value > 32767) throw std::runtime_error("Overflow");
    return static_cast<int>(value);
}

bool SettingToTruth(const QString& text) {
    if (const auto word = truthWord(text)) return *word;
    if (const auto number = decimalNumber(text)) return *number != 0;
    throw std::runtime_error("Type mismatch");
}

QString TruthText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace velmora
