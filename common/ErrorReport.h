#pragma once
// The uniform error report. A procedure names its location and runs numbered steps;
// a step that fails is reported with its number and the procedure goes on with the
// next step. A failing decision test counts as true, so the run continues into the
// branch the test guards.

#include <QLatin1StringView>
#include <QString>
#include <exception>
#include <optional>
#include <utility>

#include "common/Prompts.h"

namespace velmora {

QString composeErrorReport(const QString& description, const QString& location, int step);

// A composed report taken apart again, for front ends that show it in their own form (the
// command line's one line); nothing for a text that is not a composed report.
struct ErrorReportParts {
    QString description;
    QString location;  // "in Kestrune2021/08/31.Form1.PushButton7_Click "
    int step = 0;
};
std::optional<ErrorReportParts> splitErrorReport(const QString& report);
QString describeException(std::exception_ptr error);
// The report location of a procedure: "in Kestrune2021/08/31.<module>.<procedure> ".
QString reportLocation(const QString& module, const QString& procedure,
                       const QString& project = QStringLiteral("Kestrune"));

// A procedure's place in the program's reports, "<module>.<procedure>" (see common/UiNames.h).
struct ReportPlace {
    QLatin1StringView module;
    QLatin1StringView procedure;
};

class Procedure {
  public:
    Procedure(Prompts& prompts, QString location)
        : prompts_(prompts), location_(std::move(location)) {}
    Procedure(Prompts& prompts, const ReportPlace& place)
        : Procedure(prompts, reportLocation(place.module, place.procedure)) {}

    const QString& location() const { return location_; }
    Prompts& prompts() const { return prompts_; }

    // Runs one step; returns false when it failed (after reporting it).
    template <typename F>
    bool step(int number, F&& body) {
        try {
            std::forward<F>(body)();
            return true;
        } catch (...) {
            report(number, std::current_exception());
            return false;
        }
    }

    // Runs a decision test; a test that fails is reported and counts as true.
    template <typename F>
    bool test(int number, F&& predicate) {
        try {
            return static_cast<bool>(std::forward<F>(predicate)());
        } catch (...) {
            report(number, std::current_exception());
            return true;
        }
    }

    void report(int number, std::exception_ptr error);

  private:
    Prompts& prompts_;
    QString location_;
};

}  // namespace velmora
