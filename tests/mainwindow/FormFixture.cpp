#include "tests/mainwindow/FormFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include "app/SettingsStore.h"
#include "common/Helpers.h"

namespace velmora::test {

namespace {
// Forwards to the fixture's preview, which outlives the window.
struct PreviewRef final : PreviewHost {
    explicit PreviewRef(PreviewHost& target) : target_(target) {}
    void showPreview(RunState& state) override { target_.showPreview(state); }
    PreviewHost& target_;
};
}  // namespace

FormFixture::FormFixture() : oldHome_(qgetenv("HOME")) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       path(QStringLiteral("config")));
    QDir().mkpath(home());
    // The space-free work folder lies in the home folder.
    qputenv("HOME", QFile::encodeName(home()));
}

FormFixture::~FormFixture() {
    form_.reset();
    qputenv("HOME", oldHome_);
}

MainWindow& FormFixture::make(const QString& programFolder) {
    form_ = std::make_unique<MainWindow>(
        MainWindowServices{[this](QWidget*) { return std::make_unique<PreviewRef>(preview); },
                           opener, programFolder.isEmpty() ? ProgramFolder() : programFolder});
    return *form_;
}

QString FormFixture::setting(const QString& key) const {
    return SettingsStore().read(key, QStringLiteral("<missing>"));
}

void FormFixture::store(const QString& key, const QString& value) {
    SettingsStore().write(key, value);
}

void MakeFolderWith(const QString& folder, const QStringList& files) {
    QDir().mkpath(folder);
    for (const QString& name : files) {
        QFile file(folder + u'/' + name);
        file.open(QIODevice::WriteOnly);
    }
}

void MakeFolderWithTable(const QString& folder, const QString& file) {
    QDir().mkpath(folder);
    QFile::copy(ProgramFolder() + QStringLiteral("/Samples/Regions.db"), folder + u'/' + file);
}

}  // namespace velmora::test
