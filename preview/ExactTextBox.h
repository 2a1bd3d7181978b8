#pragma once
// A multi-line text box that gives back exactly the text it was given until the user
// edits it. A plain text edit would turn CR LF into a single break and no-break spaces
// into spaces; a statement written back or an error text mailed must stay as it was.

#include <QPlainTextEdit>
#include <QString>

namespace velmora {

class ExactTextBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ExactTextBox(QWidget* parent = nullptr);

    void setExactText(const QString& text);
    // Edited text has its line breaks as LF; everything else is kept as typed.
    QString exactText() const;

  private:
    QString given_;
};

}  // namespace velmora
