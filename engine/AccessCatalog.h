#pragma once
// The user tables of the Access database, in the order the provider lists them.

#include <QString>
#include <QStringList>
#include <optional>

#include "common/EventPump.h"
#include "common/MainInputs.h"
#include "common/Prompts.h"

namespace velmora {

// No value when the file does not exist; an open or catalogue failure is thrown.
std::optional<QStringList> GetSourceTables(const QString& path, const MainInputs& inputs);

// Clears `list` and fills it with the tables; tells the user when the file is missing.
void FillSourceTableList(QStringList& list, const QString& path, const MainInputs& inputs,
                         Prompts& prompts, EventPump& pump);

}  // namespace velmora
