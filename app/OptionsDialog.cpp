#include "app/OptionsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/AppInfo.h"
#include "common/UiNames.h"
#include "engine/RejectsFile.h"
#include "gui/WindowSupport.h"

namespace velmora {

namespace {

namespace names = ui::options;

QGroupBox* group(const QString& title, std::initializer_list<QWidget*> members) {
    auto* box = new QGroupBox(title);
    auto* rows = new QVBoxLayout(box);
    for (QWidget* member : members) rows->addWidget(member);
    return box;
}

}  // namespace

const std::vector<CodePageName>& Jet3CodePages() {
    static const std::vector<CodePageName> pages = {{1250, "Central European"},
                                                    {1251, "Cyrillic"},
                                                    {1252, "Western European"},
                                                    {1253, "Greek"},
                                                    {1254, "Turkish"},
                                                    {1255, "Hebrew"},
                                                    {1256, "Arabic"},
                                                    {1257, "Baltic"},
                                                    {874, "Thai"},
                                                    {932, "Japanese (Shift JIS)"},
                                                    {936, "Chinese, simplified (GBK)"},
                                                    {949, "Korean"},
                                                    {950, "Chinese, traditional (Big5)"},
                                                    {437, "DOS, United States"},
                                                    {850, "DOS, Western European"}};
    return pages;
}

OptionsDialog::OptionsDialog(const ConversionChoices& choices, QWidget* owner) : QDialog(owner) {
    setObjectName(names::kWindow);
    setWindowTitle(QStringLiteral("Options - ") + kProductTitle);
    setWindowIcon(QApplication::windowIcon());
    setFont(WindowFont());

    refuseUnmappable = named(new QRadioButton(QStringLiteral("&Refuse the row and report it")),
                             names::kRefuseUnmappable);
    replaceUnmappable =
        named(new QRadioButton(QStringLiteral(
                  "&Keep the row, in a best-fit spelling (\u00dc as U, \"?\" where none)")),
              names::kReplaceUnmappable);
    binaryEmpty =
        named(new QRadioButton(QStringLiteral("&Leave their columns empty")), names::kBinaryEmpty);
    keepBinary = named(new QRadioButton(QStringLiteral("Keep their &bytes, in BLOB columns")),
                       names::kKeepBinary);
    jet3CodePage = named(new QComboBox, names::kJet3CodePage);
    jet3CodePage->addItem(QStringLiteral("Automatic (the one the file's header names)"), 0);
    for (const CodePageName& page : Jet3CodePages())
        jet3CodePage->addItem(
            QString::number(page.number) + QStringLiteral(" ") + QString::fromUtf8(page.name),
            page.number);
    auto* codePageLabel = new QLabel(QStringLiteral("Code &page of their text:"));
    codePageLabel->setBuddy(jet3CodePage);
    auto* codePageRow = new QWidget;
    auto* codePageLayout = new QHBoxLayout(codePageRow);
    codePageLayout->setContentsMargins(0, 0, 0, 0);
    codePageLayout->addWidget(codePageLabel);
    codePageLayout->addWidget(jet3CodePage, 1);
    verify = named(
        new QCheckBox(QStringLiteral("Read the tables back and &compare them with the source")),
        names::kVerify);
    rejectsFile = named(new QCheckBox(QStringLiteral("Write the refused statements to ") +
                                      QString::fromLatin1(kRejectsFileName) +
                                      QStringLiteral(" beside the &tables")),
                        names::kRejectsFile);

    strictReading = named(
        new QCheckBox(QStringLiteral("Refuse a &damaged table whole instead of its readable rows")),
        names::kStrictReading);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* window = new QVBoxLayout(this);
    window->addWidget(group(QStringLiteral("Text a table's code page cannot hold"),
                            {refuseUnmappable, replaceUnmappable}));
    window->addWidget(group(QStringLiteral("Long binary fields (OLE Object, such as pictures)"),
                            {binaryEmpty, keepBinary}));
    window->addWidget(group(QStringLiteral("Access 97 (Jet3) databases"), {codePageRow}));
    window->addWidget(group(QStringLiteral("Damaged databases"), {strictReading}));
    window->addWidget(group(QStringLiteral("After the run"), {verify, rejectsFile}));
    window->addStretch(1);
    window->addWidget(buttons);

    (choices.replaceUnmappable ? replaceUnmappable : refuseUnmappable)->setChecked(true);
    (choices.keepBinary ? keepBinary : binaryEmpty)->setChecked(true);
    const int page = jet3CodePage->findData(choices.jet3CodePage);
    if (page >= 0) {
        jet3CodePage->setCurrentIndex(page);
    } else {  // a number set by hand that the list does not name
        jet3CodePage->addItem(QString::number(choices.jet3CodePage), choices.jet3CodePage);
        jet3CodePage->setCurrentIndex(jet3CodePage->count() - 1);
    }
    verify->setChecked(choices.verify);
    rejectsFile->setChecked(choices.rejectsFile);
    strictReading->setChecked(choices.strictReading);
}

ConversionChoices OptionsDialog::choices() const {
    ConversionChoices c;
    c.replaceUnmappable = replaceUnmappable->isChecked();
    c.keepBinary = keepBinary->isChecked();
    c.jet3CodePage = jet3CodePage->currentData().toInt();
    c.verify = verify->isChecked();
    c.rejectsFile = rejectsFile->isChecked();
    c.strictReading = strictReading->isChecked();
    return c;
}

}  // namespace velmora
