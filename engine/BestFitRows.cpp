#include "engine/BestFitRows.h"

#include <QString>

#include "engine/CodePageChoice.h"

namespace velmora {

bool BestFitRows::fetch(std::vector<db::Value>& row) {
    if (!rows_->fetch(row)) return false;
    bool changed = false;
    for (db::Value& value : row) {
        if (value.kind() != db::ValueKind::Text || CodePageHolds(codePage_, value.asText()))
            continue;
        const QString spelled =
            BestFitSpelling(QString::fromStdString(value.asText()), codePage_, u'?');
        value.setText() = spelled.toStdString();
        changed = true;
    }
    if (changed) ++respelled_;
    return true;
}

}  // namespace velmora
