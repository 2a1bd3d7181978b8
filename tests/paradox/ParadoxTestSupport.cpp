#include "tests/paradox/ParadoxTestSupport.h"

#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <fstream>

#include "dataaccess/Calendar.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"

namespace velmora::paradox::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "paradox-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& entry : fs::directory_iterator(path_, ec))
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string connectionString(const fs::path& folder) {
    return "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=" +
           folder.string() + "/;Dbq=" + folder.string() + "/;CollatingSequence=ASCII;";
}

Target::Target(const fs::path& folder) {
    connection.setCursorLocation(3);
    connection.open(connectionString(folder));
}

std::vector<std::vector<db::Value>> Target::rows(const std::string& table) {
    db::Recordset rows;
    rows.open("SELECT * FROM \"" + table + "\"", connection);
    std::vector<std::vector<db::Value>> out;
    while (!rows.eof()) {
        std::vector<db::Value> row;
        for (int i = 0; i < rows.fields().count(); ++i) row.push_back(rows.fields()[i].value());
        out.push_back(std::move(row));
        rows.moveNext();
    }
    EXPECT_EQ(static_cast<std::int64_t>(out.size()), rows.recordCount());
    return out;
}

std::int64_t Target::count(const std::string& table) {
    db::Recordset rows;
    rows.open("SELECT COUNT(*) FROM \"" + table + "\"", connection);
    return rows.fields()[0].value().asInt();
}

std::string errorOf(Target& target, const std::string& statement) {
    try {
        target.run(statement);
    } catch (const db::DbError& e) {
        const std::string text = e.description();
        EXPECT_NE(text.find("SQLException"), std::string::npos) << text;
        return text;
    }
    ADD_FAILURE() << "no error for: " << statement;
    return {};
}

FolderBytes snapshot(const fs::path& folder) {
    FolderBytes bytes;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        bytes[entry.path().filename().string()] =
            std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return bytes;
}

void copyFromCorpus(const fs::path& corpusFolder, const std::string& tableFile,
                    const fs::path& folder) {
    const fs::path source = corpusFolder / tableFile;
    const std::string stem = source.stem().string();
    for (const auto& entry : fs::directory_iterator(source.parent_path())) {
        if (entry.path().stem().string() != stem) continue;
        const fs::path target = folder / entry.path().filename();
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add);
    }
}

PxTable readWithPxlib(const fs::path& dbFile, const char* targetEncoding) {
    PxTable table;
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, dbFile.c_str()) < 0) {
        PX_delete(doc);
        ADD_FAILURE() << "pxlib cannot open " << dbFile;
        return table;
    }
    if (targetEncoding != nullptr && PX_set_targetencoding(doc, targetEncoding) < 0)
        ADD_FAILURE() << "pxlib cannot convert text to " << targetEncoding;
    const int fieldCount = PX_get_num_fields(doc);
    pxfield_t* fields = PX_get_fields(doc);
    for (int i = 0; i < fieldCount; ++i) {
        table.names.push_back(fields[i].px_fname);
        table.types.push_back(fields[i].px_ftype);
    }
    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(doc)));
    const int records = PX_get_num_records(doc);
    for (int r = 0; r < records; ++r) {
        if (!PX_get_record(doc, r, record.data())) {
            ADD_FAILURE() << "pxlib cannot read record " << r << " of " << dbFile;
            break;
        }
        std::vector<PxValue> row;
        int offset = 0;
        for (int i = 0; i < fieldCount; ++i) {
            char* data = record.data() + offset;
            const pxfield_t& f = fields[i];
            PxValue v;
            const int length = f.px_ftype == pxfBCD ? 17 : f.px_flen;
            bool allZero = true;
            for (int k = 0; k < length; ++k) allZero = allZero && data[k] == 0;
            if (allZero) {
                row.push_back(v);
                offset += f.px_flen;
                continue;
            }
            switch (f.px_ftype) {
                case pxfAlpha: {
                    char* text = nullptr;
                    if (PX_get_data_alpha(doc, data, f.px_flen, &text) > 0 && text) {
                        v = {false, 0, std::string(text)};
                        doc->free(doc, text);
                    }
                    break;
                }
                case pxfShort: {
                    short s = 0;
                    if (PX_get_data_short(doc, data, f.px_flen, &s) > 0)
                        v = {false, static_cast<double>(s), {}};
                    break;
                }
                case pxfLong:
                case pxfAutoInc:
                case pxfDate:
                case pxfTime: {
                    long l = 0;
                    if (PX_get_data_long(doc, data, f.px_flen, &l) > 0)
                        v = {false, static_cast<double>(l), {}};
                    break;
                }
                case pxfNumber:
                case pxfCurrency:
                case pxfTimestamp: {
                    double d = 0;
                    if (PX_get_data_double(doc, data, f.px_flen, &d) > 0) v = {false, d, {}};
                    break;
                }
                case pxfLogical: {
                    char c = 0;
                    if (PX_get_data_byte(doc, data, f.px_flen, &c) > 0)
                        v = {false, static_cast<double>(c), {}};
                    break;
                }
                case pxfBCD: {
                    char* text = nullptr;
                    if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), f.px_fdc,
                                        &text) > 0 &&
                        text) {
                        v = {false, 0, std::string(text)};
                        doc->free(doc, text);
                    }
                    break;
                }
                default:
                    break;
            }
            row.push_back(v);
            offset += f.px_flen;
        }
        table.rows.push_back(std::move(row));
    }
    PX_close(doc);
    PX_delete(doc);
    return table;
}

db::Value dateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    return db::Value(
        db::fromCivil(db::CivilDateTime{{year, month, day}, hour, minute, second, ms}));
}

}  // namespace velmora::paradox::test
