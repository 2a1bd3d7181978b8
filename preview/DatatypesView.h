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

class DatatypesView final : public QDialog {
    Q_OBJECT
  public:
    DatatypesView(TypeMappingList& mappings, QWidget* owner);

    void goBack();  // < Back

  private:
    void buildControls();
    void load();

    TypeMappingList& mappings_;
    MessagePrompts prompts_;
    PointerRules* pointer_ = nullptr;

    QTreeView* mappingList = nullptr;
    QPushButton* backButton = nullptr;
};

}  // namespace velmora
