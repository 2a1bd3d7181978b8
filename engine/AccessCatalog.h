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
// `leftOut`, when given, receives the tables of Access's own that hold rows but are not a
// user's (MSysCompactError), which no run converts.
std::optional<QStringList> GetSourceTables(const QString& path, const MainInputs& inputs,
                                           QStringList* leftOut = nullptr);

// Clears `list` and fills it with the tables; tells the user when the file is missing.
void FillSourceTableList(QStringList& list, const QString& path, const MainInputs& inputs,
                         Prompts& prompts, EventPump& pump, QStringList* leftOut = nullptr);

}  // namespace velmora
