#include "engine/SinglePass.h"

#include "common/EventPump.h"
#include "common/MainInputs.h"
#include "common/text/TableCodePages.h"
#include "engine/CodePageChoice.h"
#include "engine/RunState.h"

namespace velmora {

namespace {

// Enough for a table with a few refused or unreadable rows; a table with more is written
// again after a first pass rather than holding them all.
constexpr std::size_t kMostHeld = 1000;

// The run's inputs, except that statements go to a preview: the draft collects them.
class DraftInputs final : public MainInputs {
  public:
    explicit DraftInputs(MainInputs& run) : run_(run) {}
    QString paradoxFolder() const override { return run_.paradoxFolder(); }
    void setParadoxFolder(const QString&) override {}
    QString accessFile() const override { return run_.accessFile(); }
    QString accessPassword() const override { return run_.accessPassword(); }
    bool previewEnabled() const override { return true; }
    bool previewPerFile() const override { return true; }
    bool previewPerTable() const override { return false; }
    int jet3CodePage() const override { return run_.jet3CodePage(); }

  private:
    MainInputs& run_;
};

class DraftReports final : public Prompts {
  public:
    QStringList reports;
    void message(const QString&, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    void errorReport(const QString& text) override { reports << text; }
};

}  // namespace

void HeldEffects::errorReport(const QString& text) {
    hold([this, text] { shown_.errorReport(text); });
}

void HeldEffects::hold(std::function<void()> effect) {
    if (released_) {
        effect();
        return;
    }
    if (held_.size() >= kMostHeld) {
        overflowed_ = true;
        return;
    }
    held_.push_back(std::move(effect));
}

void HeldEffects::release() {
    released_ = true;
    std::vector<std::function<void()>> effects;
    effects.swap(held_);
    for (const auto& effect : effects) effect();
}

TableProfile PredictedProfile(const db::Recordset& rows) {
    TableProfile profile;
    profile.columns.resize(static_cast<std::size_t>(rows.fields().count()));
    profile.rows = rows.recordCount();
    if (profile.rows > 0) profile.rowsByCodePages[text::kAllTableCodePages] = profile.rows;
    return profile;
}

bool SpelledAlikeEverywhere(const QString& name) {
    for (const int codePage : text::kTableCodePages)
        if (BestFitName(name, codePage) != name) return false;
    return true;
}

DefinitionDraft DraftDefinition(const QString& sourceName, const QString& targetName,
                                const db::Recordset& rows, const TableProfile& profile,
                                const QString& location, RunHost& host, bool keepBinary) {
    DefinitionDraft draft;
    DraftInputs inputs(host.inputs);
    DraftReports reports;
    NoEventPump pump;
    RunHost draftHost{inputs, reports, host.progress, host.pointer, host.preview, pump};
    RunState state;
    state.statementSink = [&draft](std::string_view statement) {
        draft.statements.emplace_back(statement);
    };
    Procedure proc(reports, location);
    const FieldRoles roles =
        BuildTableDefinition(sourceName, targetName, rows, proc, draftHost, state, &profile,
                             &draft.spelledTarget, keepBinary);
    draft.reports = reports.reports;
    for (int i = 0; i < state.typeMappings.count(); ++i) {
        const TypeMappingEntry& entry = state.typeMappings.at(i);
        draft.mappings.push_back(entry.AccessField + u'\t' + entry.AccessType + u'\t' +
                                 entry.ParadoxType + u'\t' + entry.AccessTypeName);
    }
    draft.numericFields = roles.NumericFields;
    draft.binaryFields = roles.BinaryFields;
    draft.columnOrder = roles.columnOrder;
    draft.columnNames = roles.columnNames;
    draft.paradoxTypes = roles.paradoxTypes;
    for (const DefinedColumn& column : roles.columns)
        draft.columns.push_back(column.sourceName + u'\t' + column.name + u'\t' + column.type);
    draft.rowNumberColumn = roles.rowNumberColumn;
    draft.codePage = roles.codePage;
    return draft;
}

}  // namespace velmora
