#pragma once
// The main window's entries, read at the moment of use so that an edit made while a
// run yields takes effect at the next use.

#include <QString>

namespace velmora {

class MainInputs {
  public:
    virtual ~MainInputs() = default;
    virtual QString paradoxFolder() const = 0;  // Text1
    virtual void setParadoxFolder(const QString& folder) = 0;
    virtual QString accessFile() const = 0;      // Text5
    virtual QString accessPassword() const = 0;  // Text6
    virtual bool previewEnabled() const = 0;     // Check1 ticked
    virtual bool previewPerFile() const = 0;     // Option1 selected
    virtual bool previewPerTable() const = 0;    // Option2 selected
};

// Plain values, for the command line and tests.
class FixedInputs : public MainInputs {
  public:
    QString text1, text5, text6;
    bool check1 = false, option1 = true, option2 = false;

    QString paradoxFolder() const override { return text1; }
    void setParadoxFolder(const QString& folder) override { text1 = folder; }
    QString accessFile() const override { return text5; }
    QString accessPassword() const override { return text6; }
    bool previewEnabled() const override { return check1; }
    bool previewPerFile() const override { return option1; }
    bool previewPerTable() const override { return option2; }
};

}  // namespace velmora
