#include "engine/AccessCatalog.h"

#include "common/Helpers.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/SourceConnection.h"

namespace velmora {

std::optional<QStringList> GetSourceTables(const QString& path, const MainInputs& inputs) {
    db::Connection connection;
    if (!FileExists(path)) return std::nullopt;
    OpenSourceConnection(connection, inputs);
    auto rows = connection.openSchema(db::ado::adSchemaTables);
    QStringList names;
    while (!rows->eof()) {
        const auto& type = rows->fields().item("TABLE_TYPE").value();
        if (!type.isNull() && type.asText() == "TABLE")
            names.append(
                QString::fromStdString(rows->fields().item("TABLE_NAME").value().asText()));
        rows->moveNext();
    }
    rows->close();
    connection.close();
    return names;
}

void FillSourceTableList(QStringList& list, const QString& path, const MainInputs& inputs,
                         Prompts& prompts, EventPump& pump) {
    list.clear();
    const auto names = GetSourceTables(path, inputs);
    if (!names) {
        prompts.message(QStringLiteral("Unable to access the database"));
        return;
    }
    list.clear();
    for (const QString& name : *names) {
        pump.yield();
        list.append(name);
    }
}

}  // namespace velmora
