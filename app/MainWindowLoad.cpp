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

#include "app/Form1.h"
#include "common/AppInfo.h"
#include "common/ErrorReport.h"
#include "common/Helpers.h"
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

}  // namespace

bool Form1::load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form1"), QStringLiteral("Form_Load")));
    const QString skin = services_.programFolder + QStringLiteral("/x/o.cjs");
    proc.step(100, [&] {
        if (!FileExists(skin)) return;
        ResetFormColors(this);
        setStyleSheet(readSkin(skin));
    });

    const QString cursor = services_.programFolder + QStringLiteral("/HAND-M.CUR");
    if (proc.test(104, [&] { return FileExists(cursor); })) {
        proc.step(106, [&] {
            const auto hand = LoadCursorFile(cursor);
            if (!hand) throw std::runtime_error("Invalid picture: " + cursor.toStdString());
            pointer_.setHandCursor(*hand);
        });
    }

    proc.step(126, [&] {
        setWindowTitle(kProductTitle);
        setWindowIcon(QApplication::windowIcon());
        SetShortTitle();
    });
    proc.step(128, [&] {
        Check1->setCheckState(checkValue(SettingToInteger(settings_.read("Check1", "1"))));
    });
    proc.step(130, [&] { Option1->setChecked(SettingToTruth(settings_.read("Option1", "1"))); });
    proc.step(132, [&] { Option2->setChecked(SettingToTruth(settings_.read("Option2", "0"))); });
    proc.step(134, [&] { Text1->setText(settings_.read("ParadoxFolder", QString())); });
    proc.step(136, [&] { Text5->setText(settings_.read("AccessMDBFile", QString())); });
    proc.step(138, [&] { Text6->setText(settings_.read("AccessPassword", QString())); });
    proc.step(140, [&] { Check1_Click(); });

    bool providerReady = true;
    proc.step(142, [&] { providerReady = CheckProvider(prompts_, services_.opener); });
    return providerReady;
}

}  // namespace velmora
