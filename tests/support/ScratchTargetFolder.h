#pragma once
// A fresh Paradox folder reached through the run's target connection string, for tests
// that execute statements through the real driver.

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/TargetNames.h"

namespace velmora::test {

struct TargetFolder {
    QTemporaryDir dir;

    // Opens `connection` on the folder; empty when it worked, the reason otherwise.
    std::string open(db::Connection& connection) const {
        try {
            connection.setCursorLocation(3);
            OpenTargetConnection(connection, dir.path());
            return {};
        } catch (const std::exception& e) {
            return e.what();
        }
    }

    // The first (integer) column of every row of the table.
    std::vector<std::int64_t> keys(const char* table) const {
        db::Connection reader;
        if (!open(reader).empty()) return {};
        db::Recordset rows;
        rows.open(std::string("SELECT * FROM \"") + table + '"', reader);
        std::vector<std::int64_t> keys;
        for (; !rows.eof(); rows.moveNext()) keys.push_back(rows.fields()[0].value().asInt());
        return keys;
    }
};

}  // namespace velmora::test
