#pragma once
// How procedures talk to the user. The windows show message boxes; the command line
// and the tests answer in their own ways.

#include <QString>
#include <QStringList>

namespace velmora {

// The answers to the question before a table already in the folder is replaced; the "to
// all" ones answer it for every later table of the run too.
enum class OverwriteAnswer { Yes, No, YesToAll, NoToAll };

class Prompts {
  public:
    virtual ~Prompts() = default;
    // OK button, no icon; an empty caption means the application title.
    virtual void message(const QString& text, const QString& caption = {}) = 0;
    // Yes and No buttons, no icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption = {}) = 0;
    // The "Application Error" report: OK button, warning icon.
    virtual void errorReport(const QString& text) = 0;
    // The same report for a step that has reported before in this run, offering to
    // show no further reports of the run; true when the user asks for that. Front
    // ends without such a choice show the plain report.
    // The one message of a run that could not start (the source cannot be opened); the
    // command line prints it as an error. A plain message by default.
    virtual void failure(const QString& text) { message(text); }
    virtual bool errorReportOfferingQuiet(const QString& text) {
        errorReport(text);
        return false;
    }
    // The overwrite question, `text` naming the table. Front ends without the "to all"
    // answers ask it as a Yes/No question captioned "Overwrite?".
    virtual OverwriteAnswer askOverwrite(const QString& text) {
        return askYesNo(text, QStringLiteral("Overwrite?")) ? OverwriteAnswer::Yes
                                                            : OverwriteAnswer::No;
    }
    // A run's last word. `files` are paths the text names (the report log, the rejects
    // file) and `folder` the Paradox folder, which a window may offer to open.
    virtual void finalMessage(const QString& text, const QString& folder,
                              const QStringList& files) {
        message(text);
    }
};

}  // namespace velmora
