#include "LibmdbTables.h"

#include <mdbtools.h>

#include <memory>
#include <stdexcept>

namespace velmora::test {

namespace {
constexpr int kBindSize = 1 << 17;  // longer than any memo in the corpus files read here

struct HandleCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

TableContents readTable(MdbCatalogEntry* entry) {
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table)
        throw std::runtime_error(std::string("libmdb cannot read table ") + entry->object_name);
    mdb_read_columns(table.get());
    mdb_rewind_table(table.get());
    TableContents contents;
    contents.name = entry->object_name;
    const unsigned columns = table->num_cols;
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(kBindSize));
    std::vector<int> lengths(columns);
    for (unsigned c = 0; c < columns; ++c) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        contents.columns.push_back(column->name);
        mdb_bind_column(table.get(), static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
    }
    while (mdb_fetch_row(table.get())) {
        std::vector<std::string> row;
        for (unsigned c = 0; c < columns; ++c)
            row.emplace_back(buffers[c].data(), static_cast<std::size_t>(lengths[c]));
        contents.rows.push_back(std::move(row));
    }
    return contents;
}

}  // namespace

std::vector<TableContents> readWithLibmdb(access::DatabaseImage& image) {
    std::unique_ptr<MdbHandle, HandleCloser> mdb(
        image.decrypted.empty()
            ? mdb_open(image.path.c_str(), MDB_NOFLAGS)
            : mdb_open_buffer(image.decrypted.data(), image.decrypted.size(), MDB_NOFLAGS));
    if (!mdb) throw std::runtime_error("libmdb cannot open " + image.path);
    mdb_set_bind_size(mdb.get(), kBindSize);
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw std::runtime_error("libmdb cannot read the catalogue");
    std::vector<TableContents> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            tables.push_back(readTable(entry));
    }
    return tables;
}

}  // namespace velmora::test
