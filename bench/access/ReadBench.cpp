// Reads every value of the 1,000,000-row table of generated/bench_1m_v2003.mdb through
// the data-access interface (Connection and Recordset, provider module included), then
// times mdb-export writing the same table to /dev/null, in one run, and prints rows per
// second, both times, their ratio and the peak resident memory. The database is
// unpacked into a private temporary folder and removed at the end.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char kArchive[] = "access/generated/bench_1m_v2003.mdb.xz";
const char kTable[] = "Bench";

fs::path corpusRoot() {
    const char* configured = std::getenv("VELMORA_CORPUS");
    return configured && *configured ? fs::path(configured) : fs::path(VELMORA_CORPUS_DEFAULT);
}

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

long peakKilobytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

// Touches every value, so that nothing can be skipped; the sum is printed.
std::uint64_t readEverything(const fs::path& database, std::int64_t& rows) {
    velmora::db::Connection connection;
    connection.open("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + database.string() +
                    ";JET OLEDB:Database Password=");
    velmora::db::Recordset rs;
    rs.open(std::string("SELECT * FROM `") + kTable + "`", connection);
    const velmora::db::Fields& fields = rs.fields();
    const int count = fields.count();
    std::uint64_t touched = 0;
    rows = 0;
    for (; !rs.eof(); rs.moveNext(), ++rows) {
        for (int i = 0; i < count; ++i) {
            const velmora::db::Value& v = fields[i].value();
            touched += static_cast<std::uint64_t>(v.kind());
            if (v.kind() == velmora::db::ValueKind::Text) touched += v.asText().size();
        }
    }
    if (rows != rs.recordCount()) std::fprintf(stderr, "record count and rows read differ!\n");
    rs.close();
    connection.close();
    return touched;
}

}  // namespace

int main() {
    const fs::path archive = corpusRoot() / kArchive;
    if (!fs::exists(archive)) {
        std::fprintf(stderr, "%s is missing (set VELMORA_CORPUS)\n", archive.c_str());
        return 1;
    }
    std::string folderName = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (!mkdtemp(folderName.data())) return 1;
    const fs::path folder = folderName;
    const fs::path database = folder / "bench_1m_v2003.mdb";
    const std::string unpack = "xz -dc '" + archive.string() + "' > '" + database.string() + "'";
    if (std::system(unpack.c_str()) != 0) {
        fs::remove_all(folder);
        return 1;
    }

    int status = 0;
    try {
        const long before = peakKilobytes(RUSAGE_SELF);
        std::int64_t rows = 0;
        const auto ourStart = Clock::now();
        const std::uint64_t touched = readEverything(database, rows);
        const double ours = seconds(ourStart);
        const long after = peakKilobytes(RUSAGE_SELF);

        const std::string export_ =
            "mdb-export '" + database.string() + "' '" + kTable + "' > /dev/null";
        const auto exportStart = Clock::now();
        const int exportStatus = std::system(export_.c_str());
        const double exported = seconds(exportStart);

        std::printf("rows read:            %lld (checksum %llu)\n", static_cast<long long>(rows),
                    static_cast<unsigned long long>(touched));
        std::printf("our provider:         %.3f s, %.0f rows/s\n", ours, rows / ours);
        std::printf("mdb-export:           %.3f s%s\n", exported,
                    exportStatus == 0 ? "" : " (mdb-export failed)");
        std::printf("ratio ours/mdb-export: %.3f (target: <= 1)\n", ours / exported);
        std::printf("peak RSS:             %ld KiB before reading, %ld KiB after\n", before, after);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
