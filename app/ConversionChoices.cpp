#include "app/ConversionChoices.h"

namespace velmora {

namespace {

const QString kReplace = QStringLiteral("replace");
const QString kRefuse = QStringLiteral("refuse");

template <typename T, typename Read>
T readOr(T fallback, Read read) {
    try {
        return read();
    } catch (...) {
        return fallback;
    }
}

}  // namespace

ConversionChoices ReadConversionChoices(const SettingsStore& settings) {
    ConversionChoices c;
    c.replaceUnmappable = readOr(c.replaceUnmappable, [&] {
        return settings.read(settingKey::kUnmappable, kRefuse)
                   .trimmed()
                   .compare(kReplace, Qt::CaseInsensitive) == 0;
    });
    c.keepBinary = readOr(c.keepBinary, [&] {
        return SettingToTruth(settings.read(settingKey::kKeepBinary, TruthText(false)));
    });
    c.jet3CodePage = readOr(c.jet3CodePage, [&] {
        const int number = SettingToInteger(settings.read(settingKey::kJet3CodePage, "0"));
        return number > 0 ? number : 0;
    });
    c.verify = readOr(c.verify, [&] {
        return SettingToTruth(settings.read(settingKey::kVerify, TruthText(true)));
    });
    c.rejectsFile = readOr(c.rejectsFile, [&] {
        return SettingToTruth(settings.read(settingKey::kRejectsFile, TruthText(false)));
    });
    c.strictReading = readOr(c.strictReading, [&] {
        return SettingToTruth(settings.read(settingKey::kStrictReading, TruthText(false)));
    });
    return c;
}

bool WriteConversionChoices(SettingsStore& settings, const ConversionChoices& c) {
    bool written =
        settings.write(settingKey::kUnmappable, c.replaceUnmappable ? kReplace : kRefuse);
    written = settings.write(settingKey::kKeepBinary, TruthText(c.keepBinary)) && written;
    written = settings.write(settingKey::kJet3CodePage, QString::number(c.jet3CodePage)) && written;
    written = settings.write(settingKey::kVerify, TruthText(c.verify)) && written;
    written = settings.write(settingKey::kRejectsFile, TruthText(c.rejectsFile)) && written;
    written = settings.write(settingKey::kStrictReading, TruthText(c.strictReading)) && written;
    return written;
}

}  // namespace velmora
