// Start-up of the main window: skin, hand cursor, captions, the saved entries in
// order, and the provider check that ends the program when the Access provider is
// missing. A failing step is reported and start-up goes on with the next one.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringDecoder>
#include <stdexcept>

#include "app/MainWindow.h"
#include "common/AppInfo.h"
#include "common/ErrorReport.h"
#include "common/Helpers.h"
#include "common/UiNames.h"
#include "engine/SourceConnection.h"

namespace velmora {

namespace {

// The skin is a Qt style sheet in UTF-8.
QString readSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            ("Cannot read the skin file: " + file.errorString()).toStdString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.readAll());
    if (utf8.hasError()) throw std::runtime_error("The skin file is damaged: it is not UTF-8 text");
    return text;
}

Qt::CheckState checkValue(int value) {
    if (value == 0) return Qt::Unchecked;
    if (value == 1) return Qt::Checked;
    throw std::runtime_error("Invalid property value");
}

// The steps of start-up as its reports number them.
namespace step {
constexpr int kSkin = 100;
constexpr int kHandCursorThere = 104;
constexpr int kHandCursor = 106;
constexpr int kTitleAndIcon = 126;
constexpr int kPreviewCheck = 128;
constexpr int kPerFileOption = 130;
constexpr int kPerTableOption = 132;
constexpr int kParadoxFolder = 134;
constexpr int kAccessFile = 136;
constexpr int kPassword = 138;
constexpr int kAccessRules = 139;
constexpr int kPreviewChoice = 140;
constexpr int kProviderCheck = 142;
}  // namespace step

}  // namespace

bool MainWindow::load() {
    Procedure proc(prompts_, ui::mainWindow::kLoad);
    const QString skin = services_.programFolder + QStringLiteral("/x/o.cjs");
    proc.step(step::kSkin, [&] {
        if (!FileExists(skin)) return;
        ResetFormColors(this);
        setStyleSheet(readSkin(skin));
    });

    const QString cursor = services_.programFolder + QStringLiteral("/HAND-M.CUR");
    if (proc.test(step::kHandCursorThere, [&] { return FileExists(cursor); })) {
        proc.step(step::kHandCursor, [&] {
            const auto hand = LoadCursorFile(cursor);
            if (!hand) throw std::runtime_error("Invalid picture: " + cursor.toStdString());
            pointer_.setHandCursor(*hand);
        });
    }

    proc.step(step::kTitleAndIcon, [&] {
        setWindowTitle(kProductTitle);
        setWindowIcon(QApplication::windowIcon());
        SetShortTitle();
    });
    // Where the window was when it last closed; a store without it opens at the default.
    try {
        const QString place = settings_.read(settingKey::kMainWindowPlace, QString());
        if (!place.isEmpty()) restoreGeometry(QByteArray::fromBase64(place.toLatin1()));
    } catch (...) {
    }
    proc.step(step::kPreviewCheck, [&] {
        previewCheck->setCheckState(
            checkValue(SettingToInteger(settings_.read(settingKey::kPreviewEnabled, "1"))));
    });
    proc.step(step::kPerFileOption, [&] {
        perFileOption->setChecked(SettingToTruth(settings_.read(settingKey::kPreviewPerFile, "1")));
    });
    proc.step(step::kPerTableOption, [&] {
        perTableOption->setChecked(
            SettingToTruth(settings_.read(settingKey::kPreviewPerTable, "0")));
    });
    proc.step(step::kParadoxFolder, [&] {
        paradoxFolderBox->setText(settings_.read(settingKey::kParadoxFolder, QString()));
    });
    proc.step(step::kAccessFile,
              [&] { accessFileBox->setText(settings_.read(settingKey::kAccessFile, QString())); });
    proc.step(step::kPassword, [&] {
        passwordBox->setText(settings_.read(settingKey::kAccessPassword, QString()));
    });
    proc.step(step::kAccessRules, [&] {
        accessRulesCheck->setChecked(SettingToTruth(settings_.read(settingKey::kAccessRules, "0")));
    });
    proc.step(step::kPreviewChoice, [&] { previewCheckClicked(); });

    bool providerReady = true;
    proc.step(step::kProviderCheck,
              [&] { providerReady = CheckProvider(prompts_, services_.opener); });
    return providerReady;
}

}  // namespace velmora
