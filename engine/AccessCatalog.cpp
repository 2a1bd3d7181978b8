#include "engine/AccessCatalog.h"

#include "common/Helpers.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/SourceConnection.h"

namespace velmora {

std::optional<QStringList> GetSourceTables(const QString& path, const MainInputs& inputs,
                                           QStringList* leftOut) {
    db::Connection connection;
    if (!FileExists(path)) return std::nullopt;
    OpenSourceConnection(connection, inputs);
    auto rows = connection.openSchema(db::ado::adSchemaTables);
    QStringList names;
    while (!rows->eof()) {
        const auto& type = rows->fields().item("TABLE_TYPE").value();
        // Linked tables are read from their database beside the source, or reported.
        const QString name =
            QString::fromStdString(rows->fields().item("TABLE_NAME").value().asText());
        if (!type.isNull() && (type.asText() == "TABLE" || type.asText() == "LINK"))
            names.append(name);
        else if (leftOut != nullptr && !type.isNull() && type.asText() == "ACCESS TABLE")
            leftOut->append(name);
        rows->moveNext();
    }
    rows->close();
    connection.close();
    return names;
}

void FillSourceTableList(QStringList& list, const QString& path, const MainInputs& inputs,
                         Prompts& prompts, EventPump& pump, QStringList* leftOut) {
    list.clear();
    if (leftOut != nullptr) leftOut->clear();
    const auto names = GetSourceTables(path, inputs, leftOut);
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
