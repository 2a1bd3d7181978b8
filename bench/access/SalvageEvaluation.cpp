// Attacks the Access provider with seeded mutants of corpus files (see tests/access/
// Mutants.h) and compares what it reads from each with the undamaged original, and with
// what mdbtools reads from the same mutant. Not a test: it prints figures.
//
//   access_salvage_evaluation [--mutants N] [--seed S] [--without-mdbtools] FILE...
//   access_salvage_evaluation --write SEED FILE COPY    (writes one mutant, to replay it)
//
// FILE is a corpus file (relative to the corpus's access folder) or a path. Each file gets
// N mutants, seeds S + 1000000 * (its place in the list) + i. Every mutant is read in a
// child process, so a crash or a hang is counted, not suffered. Printed per file, then in
// all:
//  - crashes and hangs (more than 60 s);
//  - rows read exactly (equal to the original row of the same place), rows changed by
//    damage to their own pages, their table's definition or the catalogue (no reader can
//    tell those), and rows changed silently (damage elsewhere: there must be none);
//  - tables refused whole that mdb-export still exports unchanged (columns and rows);
//  - mutants whose catalogue is damaged where mdb-tables lists a table the provider does
//    not give, under its name or as Recovered_<page>;
//  - mutants where mdb-export ran to the end for every table and recovered more of the
//    original rows (its text equal to the original's) than the provider gave, and than it
//    gave exactly. (mdb-export writes dates to the second and currency to four places, so
//    a value damaged below that still counts as recovered for it.)
// The seeds of the mutants behind every bad figure are printed to replay them.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dataaccess/DbError.h"
#include "tests/access/CorpusFiles.h"
#include "tests/access/Mutants.h"
#include "tests/access/RowSources.h"
#include "tests/access/TableContents.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace velmora::access::testing;

constexpr int kTimeoutSeconds = 60;

// What became of one original table in a mutant.
struct TableOutcome {
    std::string status = "missing";  // named, recovered, refused, missing
    long exact = 0, changedOwn = 0, changedDefinition = 0, changedCatalogue = 0, silent = 0;
    long lost = 0, delivered = 0;
    bool lostUnknown = false;
    std::string firstSilent;
};

struct MutantOutcome {
    std::string result = "read";  // read, refused (at open), crash, hang
    bool catalogueDamage = false;
    std::map<std::string, TableOutcome> tables;
};

// ---- the provider's side, in a child process ---------------------------------------------

std::string serialize(const MutantOutcome& m) {
    std::ostringstream out;
    out << m.result << ' ' << m.catalogueDamage << '\n';
    for (const auto& [name, t] : m.tables)
        out << t.status << ' ' << t.exact << ' ' << t.changedOwn << ' ' << t.changedDefinition
            << ' ' << t.changedCatalogue << ' ' << t.silent << ' ' << t.lost << ' ' << t.delivered
            << ' ' << t.lostUnknown << '\t' << name << '\t' << t.firstSilent << '\n';
    return out.str();
}

MutantOutcome deserialize(const std::string& text) {
    MutantOutcome m;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    std::istringstream head(line);
    head >> m.result >> m.catalogueDamage;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        const auto tab2 = line.find('\t', tab + 1);
        TableOutcome t;
        std::istringstream fields(line.substr(0, tab));
        fields >> t.status >> t.exact >> t.changedOwn >> t.changedDefinition >>
            t.changedCatalogue >> t.silent >> t.lost >> t.delivered >> t.lostUnknown;
        t.firstSilent = line.substr(tab2 + 1);
        m.tables[line.substr(tab + 1, tab2 - tab - 1)] = t;
    }
    return m;
}

MutantOutcome compare(const fs::path& file, const DatabaseContents& original,
                      const DatabaseSources& sources, const Mutant& mutant) {
    MutantOutcome outcome;
    DatabaseContents damaged;
    try {
        damaged = readDatabase(file);
    } catch (const velmora::db::DbError&) {
        outcome.result = "refused";
        return outcome;
    }
    outcome.catalogueDamage = !damaged.damage.catalogue.empty();
    for (const auto& [name, whole] : original.tables) {
        TableOutcome& t = outcome.tables[name];
        const TableSources& source = sources.tables.at(name);
        auto found = damaged.tables.find(name);
        t.status = "named";
        if (found == damaged.tables.end()) {
            found = damaged.tables.find("Recovered_" + std::to_string(source.definitionPage));
            t.status = "recovered";
        }
        if (found == damaged.tables.end()) {
            t.status = "missing";
            continue;
        }
        const TableContents& read = found->second;
        if (!read.error.empty()) {
            t.status = "refused";
            continue;
        }
        t.delivered = static_cast<long>(read.rows.size());
        t.lost = read.lostCount();
        t.lostUnknown = !read.lostCountKnown();
        for (const auto& [place, row] : read.rows) {
            if (isOriginalRow(whole, read, place, row)) {
                ++t.exact;
            } else if (static_cast<std::size_t>(place) < source.rows.size() &&
                       touches(source.rows[place], mutant.pages)) {
                ++t.changedOwn;
            } else if (touches(source.structure, mutant.pages)) {
                ++t.changedDefinition;
            } else if (touches(sources.catalogue, mutant.pages)) {
                ++t.changedCatalogue;
            } else {
                if (t.silent++ == 0) t.firstSilent = "row " + std::to_string(place);
            }
        }
    }
    return outcome;
}

MutantOutcome readInChild(const fs::path& file, const DatabaseContents& original,
                          const DatabaseSources& sources, const Mutant& mutant) {
    int channel[2];
    if (pipe(channel) != 0) std::abort();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        const std::string text = serialize(compare(file, original, sources, mutant));
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t n = write(channel[1], text.data() + at, text.size() - at);
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(channel[1]);
    fcntl(channel[0], F_SETFL, O_NONBLOCK);
    std::string text;
    const auto start = std::chrono::steady_clock::now();
    MutantOutcome outcome;
    int status = 0;
    for (;;) {
        char buffer[65536];
        const ssize_t n = read(channel[0], buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) break;  // what is left is read below
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kTimeoutSeconds)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            close(channel[0]);
            outcome.result = "hang";
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Drain what came with the exit.
    for (char buffer[65536];;) {
        const ssize_t n = read(channel[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(channel[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.result = "crash";
        return outcome;
    }
    return deserialize(text);
}

// ---- mdbtools' side -----------------------------------------------------------------------

// Runs a command with its output in `output`; its exit status, or -1 when it did not exit.
int run(const std::vector<std::string>& args, const fs::path& output) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contentsText(const fs::path& file, std::size_t limit) {
    std::ifstream in(file, std::ios::binary);
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

struct Export {
    bool complete = false;             // mdb-export ran to the end
    std::string header;                // the column names: an empty table is its definition
    std::map<std::string, long> rows;  // each row's text, counted
};

Export exportTable(const fs::path& file, const std::string& table, const fs::path& scratch) {
    Export e;
    const fs::path out = scratch / "export.txt";
    const int status =
        run({"timeout", "30", "mdb-export", "-b", "hex", "-R", "\x1e", file.string(), table}, out);
    e.complete = status == 0;
    const std::string text = contentsText(out, 256u << 20);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\x1e', at);
        if (end == std::string::npos) end = text.size();
        if (at == 0)
            e.header = text.substr(0, end);
        else
            ++e.rows[text.substr(at, end - at)];
        at = end + 1;
    }
    return e;
}

std::vector<std::string> listTables(const fs::path& file, const fs::path& scratch) {
    const fs::path out = scratch / "tables.txt";
    if (run({"timeout", "30", "mdb-tables", "-1", file.string()}, out) != 0) return {};
    std::vector<std::string> names;
    std::istringstream in(contentsText(out, 16u << 20));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}

long common(const Export& a, const Export& b) {
    long n = 0;
    for (const auto& [row, count] : a.rows) {
        const auto found = b.rows.find(row);
        if (found != b.rows.end()) n += std::min(count, found->second);
    }
    return n;
}

// ---- figures ------------------------------------------------------------------------------

struct Figures {
    long mutants = 0, crashes = 0, hangs = 0, refusedAtOpen = 0;
    long originalRows = 0, exact = 0, changedOwn = 0, changedDefinition = 0, changedCatalogue = 0,
         silent = 0, lost = 0, unaccounted = 0;
    long tables = 0, tablesRefused = 0, tablesMissing = 0, readableRefused = 0;
    long catalogueMutants = 0, catalogueTablesListed = 0, catalogueTablesMissing = 0;
    long recovered = 0;
    long comparedWithMdbExport = 0, behindMdbExport = 0, behindMdbExportExactly = 0;
    long ourRowsThere = 0, ourExactRowsThere = 0, theirRowsThere = 0;
    std::vector<std::string> badSeeds;

    // Says it at once too: a long run shows what went wrong as it goes.
    void bad(const std::string& line) {
        std::printf("    %s\n", line.c_str());
        std::fflush(stdout);
        badSeeds.push_back(line);
    }

    void add(const Figures& f) {
        mutants += f.mutants, crashes += f.crashes, hangs += f.hangs;
        refusedAtOpen += f.refusedAtOpen, originalRows += f.originalRows, exact += f.exact;
        changedOwn += f.changedOwn, changedDefinition += f.changedDefinition;
        changedCatalogue += f.changedCatalogue, silent += f.silent, lost += f.lost;
        unaccounted += f.unaccounted, tables += f.tables, tablesRefused += f.tablesRefused;
        tablesMissing += f.tablesMissing;
        readableRefused += f.readableRefused, catalogueMutants += f.catalogueMutants;
        catalogueTablesListed += f.catalogueTablesListed;
        catalogueTablesMissing += f.catalogueTablesMissing, recovered += f.recovered;
        comparedWithMdbExport += f.comparedWithMdbExport, behindMdbExport += f.behindMdbExport;
        behindMdbExportExactly += f.behindMdbExportExactly;
        ourRowsThere += f.ourRowsThere, ourExactRowsThere += f.ourExactRowsThere;
        theirRowsThere += f.theirRowsThere;
        badSeeds.insert(badSeeds.end(), f.badSeeds.begin(), f.badSeeds.end());
    }

    void print(const std::string& title) const {
        std::printf("%s\n", title.c_str());
        std::printf("  mutants %ld: crashes %ld, hangs %ld, refused at open %ld\n", mutants,
                    crashes, hangs, refusedAtOpen);
        std::printf(
            "  original rows %ld: read exactly %ld, lost and reported %ld, unaccounted %ld\n",
            originalRows, exact, lost, unaccounted);
        std::printf(
            "  rows changed by damage to their own pages %ld, to their table's definition %ld, "
            "to the catalogue %ld; changed silently %ld\n",
            changedOwn, changedDefinition, changedCatalogue, silent);
        std::printf(
            "  tables %ld: not given %ld (not listed %ld, refused whole %ld), of them exported "
            "unchanged by mdb-export %ld; found from their definitions %ld\n",
            tables, tablesRefused + tablesMissing, tablesMissing, tablesRefused, readableRefused,
            recovered);
        std::printf(
            "  catalogue damaged in %ld mutants: tables mdb-tables lists %ld, not given %ld\n",
            catalogueMutants, catalogueTablesListed, catalogueTablesMissing);
        std::printf(
            "  mdb-export ran to the end on %ld mutants: original rows it recovered %ld, rows "
            "given here %ld (%ld exactly); mutants where it recovered more than were given %ld "
            "(than were given exactly %ld)\n",
            comparedWithMdbExport, theirRowsThere, ourRowsThere, ourExactRowsThere, behindMdbExport,
            behindMdbExportExactly);
    }
};

bool withMdbtools = true;  // off for a quick look at the provider alone

Figures evaluate(const fs::path& file, int mutants, std::uint64_t firstSeed,
                 const fs::path& scratch) {
    Figures f;
    const DatabaseContents original = readDatabase(file);
    const DatabaseSources sources = sourcesOf(file);
    std::map<std::string, Export> originalExports;
    if (withMdbtools)
        for (const auto& [name, table] : original.tables)
            originalExports[name] = exportTable(file, name, scratch);
    const std::vector<char> bytes = contentsOf(file);
    const fs::path copy = scratch / file.filename();

    for (int i = 0; i < mutants; ++i) {
        const std::uint64_t seed = firstSeed + static_cast<std::uint64_t>(i);
        const Mutant mutant = mutate(bytes, seed);
        writeFile(copy, mutant.bytes);
        const std::string label =
            file.filename().string() + " seed " + std::to_string(seed) + " (" + mutant.damage + ")";
        ++f.mutants;
        const MutantOutcome outcome = readInChild(copy, original, sources, mutant);
        if (outcome.result == "crash" || outcome.result == "hang") {
            ++(outcome.result == "crash" ? f.crashes : f.hangs);
            f.bad(outcome.result + ": " + label);
            continue;
        }
        if (outcome.result == "refused") ++f.refusedAtOpen;

        const bool catalogueTouched = touches(sources.catalogue, mutant.pages);
        const bool catalogueDamaged = outcome.catalogueDamage || catalogueTouched;
        std::vector<std::string> listed;
        if (catalogueDamaged) {
            ++f.catalogueMutants;
            if (withMdbtools) listed = listTables(copy, scratch);
        }
        bool allExported = withMdbtools;
        long ours = 0, oursExact = 0, theirs = 0;
        for (const auto& [name, whole] : original.tables) {
            ++f.tables;
            f.originalRows += static_cast<long>(whole.rows.size());
            const auto found = outcome.tables.find(name);
            const TableOutcome t = found == outcome.tables.end() ? TableOutcome{} : found->second;
            f.exact += t.exact, f.changedOwn += t.changedOwn;
            f.changedDefinition += t.changedDefinition, f.changedCatalogue += t.changedCatalogue;
            f.silent += t.silent, f.lost += t.lost;
            f.recovered += t.status == "recovered";
            const bool given = t.status == "named" || t.status == "recovered";
            const long unaccounted =
                given ? static_cast<long>(whole.rows.size()) - t.delivered - t.lost : 0;
            f.unaccounted += unaccounted;
            if (unaccounted != 0)
                f.bad(std::to_string(unaccounted) +
                      " rows neither given nor reported lost: " + label + ", table " + name);
            if (t.silent > 0)
                f.bad("changed silently: " + label + ", table " + name + ", " + t.firstSilent);
            const Export e = withMdbtools ? exportTable(copy, name, scratch) : Export{};
            allExported = allExported && e.complete;
            if (withMdbtools) theirs += common(e, originalExports.at(name));
            ours += t.delivered;
            oursExact += t.exact;
            if (!given) {
                ++(t.status == "refused" ? f.tablesRefused : f.tablesMissing);
                if (withMdbtools && e.complete && e.header == originalExports.at(name).header &&
                    e.rows == originalExports.at(name).rows) {
                    ++f.readableRefused;
                    f.bad("readable table " + t.status + ": " + label + ", table " + name);
                }
            }
            if (catalogueDamaged && std::find(listed.begin(), listed.end(), name) != listed.end()) {
                ++f.catalogueTablesListed;
                if (!given && t.status != "refused") {
                    ++f.catalogueTablesMissing;
                    f.bad("listed by mdb-tables, not given: " + label + ", table " + name);
                }
            }
        }
        if (allExported) {
            ++f.comparedWithMdbExport;
            f.ourRowsThere += ours, f.ourExactRowsThere += oursExact, f.theirRowsThere += theirs;
            f.behindMdbExportExactly += theirs > oursExact;
            if (theirs > ours) {
                ++f.behindMdbExport;
                f.bad("mdb-export recovered more (" + std::to_string(theirs) + " against " +
                      std::to_string(ours) + " given): " + label);
            }
        }
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    int mutants = 200;
    std::uint64_t seed = 1;
    std::vector<fs::path> files;
    const fs::path corpus = velmora::test::corpusFolder() / "access";
    if (argc == 5 && std::string(argv[1]) == "--write") {
        const fs::path file = fs::exists(argv[3]) ? fs::path(argv[3]) : corpus / argv[3];
        const Mutant mutant = mutate(contentsOf(file), std::strtoull(argv[2], nullptr, 10));
        writeFile(argv[4], mutant.bytes);
        std::printf("%s\n", mutant.damage.c_str());
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mutants" && i + 1 < argc)
            mutants = std::atoi(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--without-mdbtools")
            withMdbtools = false;
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--mutants N] [--seed S] FILE...\n", argv[0]);
        return 2;
    }
    ScratchFolder scratch;
    Figures all;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path file = fs::exists(files[i]) ? files[i] : corpus / files[i];
        const std::uint64_t first = seed + 1000000 * static_cast<std::uint64_t>(i);
        const Figures f = evaluate(file, mutants, first, scratch.path());
        f.print(files[i].string() + " (seeds " + std::to_string(first) + " to " +
                std::to_string(first + static_cast<std::uint64_t>(mutants) - 1) + ")");
        std::fflush(stdout);
        all.add(f);
    }
    all.print("All files");
    std::printf("Mutants behind the figures above:\n");
    for (const std::string& line : all.badSeeds) std::printf("  %s\n", line.c_str());
    return 0;
}
