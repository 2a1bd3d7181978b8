#pragma once
// Scripted stand-ins for the windows, for driving the engine in tests.

#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "dataaccess/DbError.h"
#include "dataaccess/Provider.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "tests/support/QtPrinters.h"

namespace velmora::test {

struct RecordingPrompts : Prompts {
    QStringList messages, questions, reports;
    std::deque<bool> answers;  // consumed by askYesNo; No when empty
    void message(const QString& text, const QString&) override { messages << text; }
    bool askYesNo(const QString& text, const QString& caption) override {
        questions << (caption.isEmpty() ? text : caption + u'|' + text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void errorReport(const QString& text) override { reports << text; }
};

struct RecordingProgress : ProgressSink {
    std::vector<double> values;
    QStringList captions;
    void setValue(double v) override { values.push_back(v); }
    void setCaption(const QString& t) override { captions << t; }
};

struct SilentProgress final : ProgressSink {
    void setValue(double) override {}
    void setCaption(const QString&) override {}
};

struct NoBusyPointer final : BusyPointer {
    void setBusy(bool) override {}
};

struct RecordingPointer : BusyPointer {
    std::vector<bool> states;
    void setBusy(bool b) override { states.push_back(b); }
};

struct ScriptedPreview : PreviewHost {
    std::function<void(RunState&)> onShow;
    int shown = 0;
    void showPreview(RunState& state) override {
        ++shown;
        if (onShow) onShow(state);
    }
};

// A record set's rows built in memory.
class MemoryRows final : public db::RowCursor {
  public:
    MemoryRows(std::vector<db::ColumnInfo> columns, std::vector<std::vector<db::Value>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}
    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(rows_.size()); }
    bool fetch(std::vector<db::Value>& row) override {
        if (next_ >= rows_.size()) return false;
        if (stuckFrom && next_ >= *stuckFrom)
            throw db::DbError(db::errc::kProviderFailure, "the reader is stuck");
        if (unreadable.count(next_++)) {  // a damaged row: partly read, then refused
            row.assign(row.size(), db::Value(std::string("partly read")));
            throw db::DbError(db::errc::kProviderFailure, "the row is damaged");
        }
        row = rows_[next_ - 1];
        return true;
    }
    std::set<std::size_t> unreadable;      // rows whose fetch fails
    std::optional<std::size_t> stuckFrom;  // from this row on, every fetch fails where it is

  private:
    std::vector<db::ColumnInfo> columns_;
    std::vector<std::vector<db::Value>> rows_;
    std::size_t next_ = 0;
};

// A source served to connection strings whose Driver names it (once registered with
// db::registerBuiltInDriver): every query gives a fresh cursor of `makeRows`.
class MemorySource final : public db::Provider {
  public:
    explicit MemorySource(std::function<std::unique_ptr<db::RowCursor>()> makeRows)
        : makeRows_(std::move(makeRows)) {}
    std::unique_ptr<db::Session> connect(const db::ConnectionString&) override {
        return std::make_unique<Session>(makeRows_);
    }

  private:
    class Session final : public db::Session {
      public:
        explicit Session(std::function<std::unique_ptr<db::RowCursor>()> makeRows)
            : makeRows_(std::move(makeRows)) {}
        void execute(std::string_view) override {}
        std::unique_ptr<db::RowCursor> query(std::string_view) override { return makeRows_(); }
        std::unique_ptr<db::RowCursor> schema(int, std::string_view) override {
            return std::make_unique<MemoryRows>(std::vector<db::ColumnInfo>{},
                                                std::vector<std::vector<db::Value>>{});
        }

      private:
        std::function<std::unique_ptr<db::RowCursor>()> makeRows_;
    };
    std::function<std::unique_ptr<db::RowCursor>()> makeRows_;
};

// Everything a run or one of its parts needs, recorded.
struct Harness {
    FixedInputs inputs;
    RecordingPrompts prompts;
    RecordingProgress progress;
    RecordingPointer pointer;
    ScriptedPreview preview;
    NoEventPump pump;
    RunState state;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
};

}  // namespace velmora::test
