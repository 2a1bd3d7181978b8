#include "engine/Dispatch.h"

#include "common/ErrorReport.h"
#include "dataaccess/DbError.h"

namespace velmora {

void ExecuteOnTarget(std::string_view utf8Statement, db::Connection* target) {
    if (!target)
        throw db::DbError(db::errc::kObjectClosed,
                          "Operation is not allowed when the object is closed.");
    target->execute(utf8Statement);
}

void CountAnswer(std::string_view utf8Statement, const std::exception_ptr& failure,
                 const MainInputs& inputs, RunState& state) {
    if (inputs.previewEnabled()) return;
    if (!failure) {
        ++state.statementsExecuted;
        return;
    }
    ++state.statementsFailed;
    if (state.onRefused) state.onRefused(utf8Statement, describeException(failure));
}

void CollectStatement(std::string_view utf8Statement, RunState& state) {
    if (state.statementSink)
        state.statementSink(utf8Statement);
    else
        state.statements.append(utf8Statement);
}

void DispatchStatement(std::string_view utf8Statement, const MainInputs& inputs, RunState& state) {
    if (inputs.previewEnabled()) {
        CollectStatement(utf8Statement, state);
        return;
    }
    try {
        ExecuteOnTarget(utf8Statement, state.targetConnection.get());
    } catch (...) {
        CountAnswer(utf8Statement, std::current_exception(), inputs, state);
        throw;
    }
    CountAnswer(utf8Statement, nullptr, inputs, state);
}

void DispatchStatement(const QString& statement, const MainInputs& inputs, RunState& state) {
    const QByteArray bytes = statement.toUtf8();
    DispatchStatement(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      inputs, state);
}

}  // namespace velmora
