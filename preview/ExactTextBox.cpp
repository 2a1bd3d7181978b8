#include "preview/ExactTextBox.h"

#include <QTextDocument>

namespace velmora {

ExactTextBox::ExactTextBox(QWidget* parent) : QPlainTextEdit(parent) {}

void ExactTextBox::setExactText(const QString& text) {
    given_ = text;
    setPlainText(text);
    document()->setModified(false);
}

QString ExactTextBox::exactText() const {
    if (!document()->isModified()) return given_;
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

}  // namespace velmora
