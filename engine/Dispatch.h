#pragma once
// Routes every generated statement: into the statement list in SQL Preview mode,
// otherwise straight to the target connection (a rejected statement throws).

#include <QString>
#include <exception>
#include <string_view>

#include "common/MainInputs.h"
#include "engine/RunState.h"

namespace velmora {

void DispatchStatement(std::string_view utf8Statement, const MainInputs& inputs, RunState& state);
void DispatchStatement(const QString& statement, const MainInputs& inputs, RunState& state);

// A statement for the preview: into the run's statement sink when it has one, otherwise
// into its statement list.
void CollectStatement(std::string_view utf8Statement, RunState& state);

// The parts of DispatchStatement, for statements whose answers come later: the execution
// on the target (it touches nothing else, so another thread may run it) and the counting
// of the answer (`failure` null when accepted), on the run's thread.
void ExecuteOnTarget(std::string_view utf8Statement, db::Connection* target);
void CountAnswer(std::string_view utf8Statement, const std::exception_ptr& failure,
                 const MainInputs& inputs, RunState& state);

}  // namespace velmora
