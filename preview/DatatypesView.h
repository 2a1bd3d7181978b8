#pragma once
// Datatypes Conversion: the run's type-mapping records in four columns, read only.
// The records belong to the run, so every opening shows them all again.

#include <QDialog>
#include <QPushButton>
#include <QTreeView>

#include "engine/TypeMappingList.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"

namespace velmora {

class Form5 final : public QDialog {
    Q_OBJECT
  public:
    Form5(TypeMappingList& mappings, QWidget* owner);

    void PushButton5_Click();  // < Back

  private:
    void buildControls();
    void Form_Load();

    TypeMappingList& mappings_;
    MessagePrompts prompts_;
    PointerRules* pointer_ = nullptr;

    QTreeView* ListView1 = nullptr;
    QPushButton* PushButton5 = nullptr;
};

}  // namespace velmora
