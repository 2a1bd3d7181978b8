#pragma once
// Options: the conversion choices that the command line makes with --unmappable,
// --keep-binary, --jet3-code-page, --verify and --rejects, for the windows. OK takes them,
// Cancel leaves them as they were.

#include <QDialog>
#include <vector>

#include "app/ConversionChoices.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace velmora {

class OptionsDialog final : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(const ConversionChoices& choices, QWidget* owner);
    ConversionChoices choices() const;

  private:
    QRadioButton* refuseUnmappable = nullptr;
    QRadioButton* replaceUnmappable = nullptr;
    QRadioButton* binaryEmpty = nullptr;
    QRadioButton* keepBinary = nullptr;
    QComboBox* jet3CodePage = nullptr;
    QCheckBox* verify = nullptr;
    QCheckBox* rejectsFile = nullptr;
    QCheckBox* strictReading = nullptr;
};

// The code pages a Jet3 file's text can be read in, with their names, as the list offers them.
struct CodePageName {
    int number;
    const char* name;
};
const std::vector<CodePageName>& Jet3CodePages();

}  // namespace velmora
