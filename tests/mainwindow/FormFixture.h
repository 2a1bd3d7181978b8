#pragma once
// One main window with a settings store and home folder of its own, a recording
// desktop opener and a scripted SQL Preview window.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "tests/mainwindow/ModalAnswerer.h"
#include "tests/support/TestHosts.h"

namespace velmora::test {

struct RecordingOpener final : DesktopOpener {
    QStringList opened;
    void open(const QString& target) override { opened << target; }
};

class FormFixture {
  public:
    FormFixture();
    ~FormFixture();

    // A main window whose program folder is `programFolder` (the test program's own
    // folder, which holds the built hand cursor and samples, by default).
    MainWindow& make(const QString& programFolder = QString());
    MainWindow& form() { return *form_; }

    QString setting(const QString& key) const;  // "<missing>" when absent
    void store(const QString& key, const QString& value);
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString home() const { return path(QStringLiteral("home")); }

    QLineEdit* text(const char* name) const { return form_->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) const { return form_->findChild<QPushButton*>(name); }
    QCheckBox* previewCheck() const { return form_->findChild<QCheckBox*>("Check1"); }
    QRadioButton* option(const char* name) const { return form_->findChild<QRadioButton*>(name); }

    ModalAnswerer answerer;
    RecordingOpener opener;
    ScriptedPreview preview;

  private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    std::unique_ptr<MainWindow> form_;
};

// Makes a folder (and its parents) holding the given empty files.
void MakeFolderWith(const QString& folder, const QStringList& files);
// Makes a folder (and its parents) holding a real Paradox table under the file name
// `file` (a copy of the program's sample table).
void MakeFolderWithTable(const QString& folder, const QString& file);

}  // namespace velmora::test
