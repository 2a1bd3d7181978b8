// Runs generated INSERT statements (a Long key, Alpha 40, Long, Number, Money, Timestamp
// and Logical column) into a keyed Paradox table through Connection::execute and prints
// statements per second, MB/s, memory use, the block size the ROWS clause chose, and
// whether the table and its .px are sound and pxlib reads every record.
//
//   paradox_insert_bench [rows] [folder]      (defaults: 1000000, a new folder in /tmp)

extern "C" {
#include <paradox.h>
}
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "drivers/BuiltInDrivers.h"
#include "paradox/HeaderLayout.h"
#include "paradox/TableCheck.h"

namespace {

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

char* put(char* at, std::string_view text) {
    for (char c : text) *at++ = c;
    return at;
}
char* put(char* at, long value) {
    return std::to_chars(at, at + 24, value).ptr;
}
char* putTwo(char* at, int value) {
    *at++ = static_cast<char>('0' + value / 10);
    *at++ = static_cast<char>('0' + value % 10);
    return at;
}

// One statement for row `i`, written into `buffer`; returns its length.
std::size_t statement(char* buffer, long i) {
    char* at = put(buffer, "INSERT INTO \"Bench\" VALUES(");
    at = put(at, i);
    at = put(at, ", 'Customer ");
    at = put(at, i);
    at = put(at, " of the benchmark', ");
    at = put(at, (i * 7919) % 100000);
    at = put(at, ", ");
    at = put(at, i % 1000);
    at = put(at, ".25, ");
    at = put(at, (i * 31) % 1000000);
    at = put(at, ".4567, '");
    at = putTwo(at, static_cast<int>(i % 12) + 1);
    *at++ = '/';
    at = putTwo(at, static_cast<int>(i % 28) + 1);
    at = put(at, "/2021 ");
    at = putTwo(at, static_cast<int>(i / 3600 % 24));
    *at++ = ':';
    at = putTwo(at, static_cast<int>(i / 60 % 60));
    *at++ = ':';
    at = putTwo(at, static_cast<int>(i % 60));
    at = put(at, "', ");
    at = put(at, i % 2);
    *at++ = ')';
    return static_cast<std::size_t>(at - buffer);
}

// Every record as pxlib, a reader we did not write, reads it.
long rowsReadByPxlib(const std::filesystem::path& dbFile) {
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, dbFile.c_str()) < 0) {
        PX_delete(doc);
        return -1;
    }
    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(doc)));
    long read = 0;
    for (int r = 0; r < PX_get_num_records(doc); ++r)
        if (PX_get_record(doc, r, record.data())) ++read;
    PX_close(doc);
    PX_delete(doc);
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    namespace fs = std::filesystem;
    const fs::path folder =
        argc > 2 ? fs::path(argv[2])
                 : fs::temp_directory_path() / ("paradox-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::remove(folder / "Bench.db");
    fs::remove(folder / "Bench.px");

    velmora::db::Connection connection;
    connection.setCursorLocation(3);
    velmora::RegisterBuiltInDrivers();
    connection.open(
        "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=" +
        folder.string() + "/;Dbq=" + folder.string() + "/;CollatingSequence=ASCII;");
    connection.execute(
        "CREATE TABLE \"Bench\"(\"ID\" INT, \"Name\" TEXT(40), \"Quantity\" INT, \"Ratio\" FLOAT, "
        "\"Price\" CURRENCY, \"Stamp\" TIMESTAMP, \"Active\" BIT) ROWS " +
        std::to_string(rows));
    connection.execute("CREATE INDEX \"Bench\" ON \"Bench\" (\"ID\") with primary");

    char buffer[256];
    std::size_t sqlBytes = 0;
    long rssAtTenth = 0;
    const double cpuStart = processSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rows; ++i) {
        const std::size_t length = statement(buffer, i);
        sqlBytes += length;
        connection.execute(std::string_view(buffer, length));
        if (i == rows / 10) rssAtTenth = residentKilobytes();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = processSeconds() - cpuStart;
    const long rssAtEnd = residentKilobytes();

    const auto tableBytes = fs::file_size(folder / "Bench.db") + fs::file_size(folder / "Bench.px");
    std::printf("rows:                 %ld\n", rows);
    std::printf("time:                 %.3f s\n", seconds);
    std::printf(
        "statements/s:         %.0f  (%.0f per second of CPU time; the machine is shared)\n",
        static_cast<double>(rows) / seconds, static_cast<double>(rows) / cpuSeconds);
    std::printf("SQL MB/s:             %.1f\n", static_cast<double>(sqlBytes) / seconds / 1e6);
    std::printf("table MB/s:           %.1f  (%.1f MB in .db and .px)\n",
                static_cast<double>(tableBytes) / seconds / 1e6,
                static_cast<double>(tableBytes) / 1e6);
    std::printf("resident memory:      %ld KB after 10%% of the rows, %ld KB at the end\n",
                rssAtTenth, rssAtEnd);

    velmora::db::Recordset count;
    count.open("SELECT COUNT(*) FROM \"Bench\"", connection);
    const long counted = static_cast<long>(count.fields()[0].value().asInt());
    connection.close();

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %ld KB\n", usage.ru_maxrss);
    const auto problems = velmora::paradox::checkTable(folder, "Bench");
    std::printf("rows read back:       %ld\n", counted);
    std::printf("rows read by pxlib:   %ld\n", rowsReadByPxlib(folder / "Bench.db"));
    std::ifstream header(folder / "Bench.db", std::ios::binary);
    char headerStart[0x3A] = {};
    header.read(headerStart, sizeof headerStart);
    std::printf("block size, level:    %d KB, version byte 0x%02X\n",
                static_cast<unsigned char>(headerStart[velmora::paradox::hdr::kMaxTableSize]),
                static_cast<unsigned char>(headerStart[velmora::paradox::hdr::kVersion]));
    std::printf("table and .px check:  %s\n", problems.empty() ? "valid" : "INVALID");
    for (const auto& problem : problems) std::printf("  %s\n", problem.c_str());
    if (argc <= 2) fs::remove_all(folder);
    return problems.empty() && counted == rows ? 0 : 1;
}
