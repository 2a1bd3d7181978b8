#include "cli/TableSummary.h"

#include <sstream>

#include "common/Helpers.h"

namespace velmora {

namespace {

void writeRows(std::ostream& out, const TableOutcome& t, bool listed) {
    out << t.rowsRead << " of " << t.rowsInSource << " rows read, " << t.rowsWritten
        << (listed ? " listed" : " written") << ", " << t.rowsRefused << " refused, "
        << t.rowsUnreadable << " unreadable";
    if (t.rowsRespelled > 0) out << ", " << t.rowsRespelled << " with a best-fit spelling";
    if (t.rowsLost > 0 || !t.rowsLostKnown)
        out << ", " << (t.rowsLostKnown ? "" : "at least ") << t.rowsLost
            << " lost to damage in the source";
    if (!t.fieldsLost.isEmpty())
        out << ", " << t.fieldsLost.size() << (t.fieldsLost.size() == 1 ? " field" : " fields")
            << " lost to damage in the source";
}

}  // namespace

std::string TableSummary(const RunStatistics& stats, bool listed) {
    std::ostringstream out;
    for (const TableOutcome& t : stats.tables) {
        out << "  " << ShownName(t.source).toStdString();
        if (t.result == TableResult::NotReached) {
            out << ": not reached\n";
            continue;
        }
        if (t.result == TableResult::LeftOut) {
            out << ": left out, a table of Access's own\n";
            continue;
        }
        out << " -> " << ShownName(t.target).toStdString() << ": ";
        switch (t.result) {
            case TableResult::Written:
                writeRows(out, t, listed);
                break;
            case TableResult::PartlyWritten:
                writeRows(out, t, listed);
                out << "; partly written, the SQL Preview was closed after an error";
                break;
            case TableResult::NotExecuted:
                out << "skipped, the SQL Preview was closed without executing it";
                break;
            case TableResult::Declined:
                out << "skipped, kept as it was at the overwrite question";
                break;
            case TableResult::Unreadable:
                out << "not readable, nothing written";
                break;
            case TableResult::Failed:
                out << "not written, left as it was";
                break;
            case TableResult::Cancelled:
                out << "cancelled";
                if (t.rowsSent)
                    out << " after " << t.rowsRead << " of " << t.rowsInSource << " rows";
                out << ", left as it was";
                break;
            case TableResult::NotReached:
            case TableResult::LeftOut:
                break;
        }
        out << '\n';
    }
    return out.str();
}

}  // namespace velmora
