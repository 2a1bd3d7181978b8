#pragma once
// One source table of a conversion run, every step of it: its target name, a first pass
// over its rows, the overwrite question, DROP TABLE, the definition, one INSERT per row
// and, with a preview per table, that preview. What became of the table goes into its
// TableOutcome.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

#include "common/ErrorReport.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/BestFitRows.h"
#include "engine/ColumnProfile.h"
#include "engine/RunHost.h"
#include "engine/RunOptions.h"
#include "engine/RunProgress.h"
#include "engine/RunState.h"
#include "engine/SourceRules.h"
#include "engine/TableDefinition.h"
#include "engine/TableOutcome.h"
#include "engine/ValueLiterals.h"

namespace velmora {

// What the tables of one run share.
struct TableRunContext {
    Procedure& proc;
    RunHost& host;
    RunState& state;
    const RunOptions& options;
    const LiteralWriter& literals;
    db::Connection& source;
    QStringList& writtenThisRun;  // the target names of the tables written so far
    // Tables of a source whose catalogue is damaged that were found from their definitions.
    const QStringList& recoveredTables;
    Prompts& questions;  // the run's, which remembers an answer "to all"
    RunProgress& progress;
    int tableNumber = 0;  // of the table at hand among the run's tables, counted from 1
    // The source's rules when the run carries them, and where the ones left behind go.
    const SourceRules* rules = nullptr;
    QStringList* schemaReport = nullptr;
};

class TableRun {
  public:
    TableRun(TableRunContext& run, const QString& sourceName);
    ~TableRun();

    // Runs the table's steps and returns what became of the table.
    TableOutcome run();

    // No table may follow: the table's preview was left with Back (or closed), or the
    // target failed in a way every later table would meet too (full disk, folder gone).
    bool endsRun() const { return stoppedAtPreview_ || targetLost_ || state_.cancelled(); }
    bool targetLost() const { return targetLost_; }

  private:
    enum class Answer { None, Yes, No };
    // Whether the table was read once (engine/SinglePass.h): written (or declined) so, to
    // be written again after a first pass, or not tried.
    enum class SinglePass { NotTried, Written, Again };
    struct OnePass;

    void clearPerTablePreview(int test, int clearStatements, int clearMappings);
    void nameTarget();
    SinglePass trySinglePass(Answer& answer);
    void checkSinglePass(const db::Recordset& rows, bool complete);
    bool firstPass();
    Answer askOverwrite();
    void write(Answer answer);
    bool openRows(db::Recordset& rows, const BestFitRows*& respelling);
    void writeRows(db::Recordset& rows, const BestFitRows* respelling, std::int64_t failuresBefore);
    void sendRows(db::Recordset& rows, const FieldRoles& roles, const BestFitRows* respelling);
    bool showTablePreview();
    // Straight to the target, a table is replaced (or created) in one transaction: the
    // folder holds the old table, whole, until the new one is complete.
    void beginReplacement();
    void endReplacement();
    void leftAsItWas(TableResult result);

    TableRunContext& run_;
    Procedure* proc_;  // the run's, or while a single pass holds its effects, that one's
    RunState& state_;
    const MainInputs& inputs_;
    TableOutcome table_;
    const std::string select_;
    QString folder_;
    TableProfile profile_;
    int codePage_ = 1252;
    bool profiled_ = false;
    QString spelledTarget_;  // the target name as the table's code page spells it
    bool stoppedAtPreview_ = false;
    bool targetLost_ = false;
    bool tableLost_ = false;  // the target failed in a way that ends this table
    bool inTransaction_ = false;
    std::unique_ptr<OnePass> onePass_;  // while the table is read once
};

}  // namespace velmora
