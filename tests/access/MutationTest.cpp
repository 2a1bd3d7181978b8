// Seeded mutants of a handful of corpus files (see Mutants.h), read whole through the
// provider, against their originals: nothing but the provider's error escapes; every row
// given equals the original's row under the same TVXID, unless the mutant damaged a page
// the row is read from (its own bytes, its table's definition or usage map, the catalogue:
// no reader can tell those); rows given and lost add up to the original's; and a table is
// refused or missing only when its definition or the catalogue was damaged.
// VELMORA_MUTANTS sets the mutants per file (scripts/salvage-evaluation.sh runs thousands);
// a failure names the seed that replays it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "dataaccess/DbError.h"
#include "tests/access/CorpusFiles.h"
#include "tests/access/Mutants.h"
#include "tests/access/RowSources.h"
#include "tests/access/TableContents.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

int mutantsPerFile() {
    const char* configured = std::getenv("VELMORA_MUTANTS");
    return configured && *configured ? std::atoi(configured) : 60;
}

void checkMutant(const DatabaseContents& original, const DatabaseSources& sources,
                 const Mutant& mutant, const fs::path& file) {
    DatabaseContents damaged;
    try {
        damaged = readDatabase(file);
    } catch (const db::DbError& e) {
        EXPECT_FALSE(e.description().empty());
        return;  // the header, or the catalogue with every table, is gone
    }
    const bool catalogueDamaged = touches(sources.catalogue, mutant.pages);
    for (const auto& [name, whole] : original.tables) {
        SCOPED_TRACE("table " + name);
        const TableSources& source = sources.tables.at(name);
        const bool definitionDamaged = touches(source.structure, mutant.pages);
        auto found = damaged.tables.find(name);
        if (found == damaged.tables.end())
            found = damaged.tables.find("Recovered_" + std::to_string(source.definitionPage));
        if (found == damaged.tables.end() || !found->second.error.empty()) {
            EXPECT_TRUE(definitionDamaged || catalogueDamaged) << "readable table not given";
            continue;
        }
        const TableContents& read = found->second;
        std::int64_t changed = 0;
        for (const auto& [place, row] : read.rows) {
            if (isOriginalRow(whole, read, place, row)) continue;
            ++changed;
            EXPECT_TRUE(definitionDamaged || catalogueDamaged ||
                        (static_cast<std::size_t>(place) < source.rows.size() &&
                         touches(source.rows[place], mutant.pages)))
                << "row " << place << " changed silently";
        }
        if (!definitionDamaged && changed == 0 && read.lostCountKnown()) {
            EXPECT_EQ(static_cast<std::int64_t>(read.rows.size()) + read.lostCount(),
                      static_cast<std::int64_t>(whole.rows.size()))
                << "rows given and lost do not add up";
        }
    }
}

TEST(Mutants, GiveEveryReadableRowUnchangedAndCountTheRest) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    ScratchFolder folder;
    const int mutants = mutantsPerFile();
    std::uint64_t seed = 25000;
    for (const char* name :
         {"generated/edge_v2000.mdb", "generated/edge_v2010.accdb",
          "generated/alltypes_500_v2019.accdb", "jackcess/src/test/data/V1997/testV1997.mdb",
          "jackcess/src/test/data/V2003/overflowTestV2003.mdb"}) {
        const fs::path original = *root / "access" / name;
        const DatabaseContents contents = readDatabase(original);
        const DatabaseSources sources = sourcesOf(original);
        const std::vector<char> bytes = contentsOf(original);
        const fs::path copy = folder.path() / original.filename();
        for (int i = 0; i < mutants; ++i, ++seed) {
            const Mutant mutant = mutate(bytes, seed);
            SCOPED_TRACE(std::string(name) + ", seed " + std::to_string(seed) + " (" +
                         mutant.damage + ")");
            writeFile(copy, mutant.bytes);
            checkMutant(contents, sources, mutant, copy);
        }
    }
    ::testing::Test::RecordProperty("mutants", mutants * 5);
}

}  // namespace
}  // namespace velmora::access::testing
