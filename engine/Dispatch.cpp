#include "engine/Dispatch.h"

#include "common/ErrorReport.h"
#include "dataaccess/DbError.h"

namespace velmora {

void DispatchStatement(std::string_view utf8Statement, const MainInputs& inputs, RunState& state) {
    if (inputs.previewEnabled()) {
        state.statements.append(utf8Statement);
        return;
    }
    if (!state.targetConnection)
        throw db::DbError(db::errc::kObjectClosed,
                          "Operation is not allowed when the object is closed.");
    try {
        state.targetConnection->execute(utf8Statement);
    } catch (...) {
        ++state.statementsFailed;
        if (state.onRefused)
            state.onRefused(utf8Statement, describeException(std::current_exception()));
        throw;
    }
    ++state.statementsExecuted;
}

void DispatchStatement(const QString& statement, const MainInputs& inputs, RunState& state) {
    const QByteArray bytes = statement.toUtf8();
    DispatchStatement(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      inputs, state);
}

}  // namespace velmora
