#pragma once
// What lets a table be read once, not twice, when it goes straight to the target: the
// definition is made from what the column types alone tell, the rows are looked at as they
// are copied, and afterwards the definition those values call for is compared with the one
// used. Until then nothing of the table is said or counted: its reports and rejects wait
// here, and go out in their order once the definition held. When it did not (a value
// needed a wider column or another code page), the table is rolled back and written again
// after a first pass, as every table is whose statements go to a preview.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "common/ErrorReport.h"
#include "common/Prompts.h"
#include "dataaccess/Recordset.h"
#include "engine/ColumnProfile.h"
#include "engine/RunHost.h"
#include "engine/TableDefinition.h"

namespace velmora {

// Reports and other effects of a table, held in their order until the table is known to
// stand; `shown` receives what is not held. Beyond a limit nothing more is kept and the
// table cannot stand as it was written (its effects would be lost).
class HeldEffects final : public Prompts {
  public:
    explicit HeldEffects(Prompts& shown) : shown_(shown) {}

    void message(const QString& text, const QString& caption = {}) override {
        shown_.message(text, caption);
    }
    bool askYesNo(const QString& text, const QString& caption = {}) override {
        return shown_.askYesNo(text, caption);
    }
    void errorReport(const QString& text) override;
    void hold(std::function<void()> effect);
    bool overflowed() const { return overflowed_; }
    // Lets the held effects happen, in their order; later ones happen at once.
    void release();

  private:
    Prompts& shown_;
    std::vector<std::function<void()>> held_;
    bool overflowed_ = false;
    bool released_ = false;
};

// The profile a table's column types alone suggest: every value fits its usual type, every
// text every code page, and the rows are as many as the source counts.
TableProfile PredictedProfile(const db::Recordset& rows);

// Whether the name is spelled the same in every code page a table may take.
bool SpelledAlikeEverywhere(const QString& name);

// The definition a profile calls for, made without touching the target or the run: its
// statements, reports, type-mapping records and field roles.
struct DefinitionDraft {
    std::vector<std::string> statements;
    QStringList reports;
    std::vector<QString> mappings;
    std::vector<int> numericFields, binaryFields, columnOrder;
    std::vector<QString> columnNames, paradoxTypes, columns;
    bool rowNumberColumn = true;
    int codePage = 0;
    QString spelledTarget;
    bool operator==(const DefinitionDraft&) const = default;
};
DefinitionDraft DraftDefinition(const QString& sourceName, const QString& targetName,
                                const db::Recordset& rows, const TableProfile& profile,
                                const QString& location, RunHost& host, bool keepBinary);

}  // namespace velmora
