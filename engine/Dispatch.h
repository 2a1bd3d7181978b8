#pragma once
// Routes every generated statement: into the statement list in SQL Preview mode,
// otherwise straight to the target connection (a rejected statement throws).

#include <QString>
#include <string_view>

#include "common/MainInputs.h"
#include "engine/RunState.h"

namespace velmora {

void DispatchStatement(std::string_view utf8Statement, const MainInputs& inputs, RunState& state);
void DispatchStatement(const QString& statement, const MainInputs& inputs, RunState& state);

}  // namespace velmora
