#pragma once
// The main window's entries, read at the moment of use so that an edit made while a
// run yields takes effect at the next use.

#include <QString>

namespace velmora {

class MainInputs {
  public:
    virtual ~MainInputs() = default;
    virtual QString paradoxFolder() const = 0;  // the Paradox folder box
    virtual void setParadoxFolder(const QString& folder) = 0;
    virtual QString accessFile() const = 0;      // the Access database box
    virtual QString accessPassword() const = 0;  // the password box
    virtual bool previewEnabled() const = 0;     // the SQL Preview box ticked
    virtual bool previewPerFile() const = 0;     // one preview for the whole file
    virtual bool previewPerTable() const = 0;    // one preview after each table
    // The code page of the text in Jet3 (Access 97) files, which hold no reliable one;
    // 0 keeps the one their header names.
    virtual int jet3CodePage() const { return 0; }
};

// Plain values, for the command line and tests.
class FixedInputs : public MainInputs {
  public:
    QString targetFolder, sourceFile, sourcePassword;
    bool preview = false, perFile = true, perTable = false;
    int sourceCodePage = 0;

    QString paradoxFolder() const override { return targetFolder; }
    void setParadoxFolder(const QString& folder) override { targetFolder = folder; }
    QString accessFile() const override { return sourceFile; }
    QString accessPassword() const override { return sourcePassword; }
    bool previewEnabled() const override { return preview; }
    bool previewPerFile() const override { return perFile; }
    bool previewPerTable() const override { return perTable; }
    int jet3CodePage() const override { return sourceCodePage; }
};

}  // namespace velmora
