// Times the first read pass (the column profile) over the 1,000,000-row benchmark table
// against a plain read of the same rows, and prints both.
//
//   first_pass_benchmark [CORPUS_DIR]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <iostream>

#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "drivers/BuiltInDrivers.h"
#include "engine/AccessCatalog.h"
#include "engine/ColumnProfile.h"
#include "engine/SourceConnection.h"

using namespace velmora;

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    QCoreApplication app(argc, argv);
    const QString corpus = argc > 1 ? argv[1] : QStringLiteral(VELMORA_CORPUS_DEFAULT);
    const QString packed = corpus + "/access/generated/bench_1m_v2003.mdb.xz";
    QTemporaryDir work;
    const QString mdb = work.filePath("bench_1m_v2003.mdb");
    if (std::system(("xz -dc '" + packed + "' > '" + mdb + "'").toLocal8Bit().constData()) != 0) {
        std::cerr << "cannot unpack " << packed.toStdString() << '\n';
        return 1;
    }
    FixedInputs inputs;
    inputs.sourceFile = mdb;
    db::Connection source;
    source.open(SourceConnectionString({}, {}, inputs).toStdString());
    const QStringList tables = GetSourceTables(mdb, inputs).value();
    for (const QString& table : tables) {
        const std::string select = ("SELECT * FROM `" + table + "`").toStdString();
        QElapsedTimer timer;
        timer.start();
        db::Recordset plain;
        plain.open(select, source);
        std::int64_t rows = 0;
        for (; !plain.eof(); plain.moveNext()) ++rows;
        const double readSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        db::Recordset profiled;
        profiled.open(select, source);
        const TableProfile profile = ProfileRows(profiled);
        const double profileSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        std::cout << table.toStdString() << ": " << rows << " rows; plain read " << readSeconds
                  << " s, first pass (read and profile) " << profileSeconds << " s, "
                  << profile.rowsByCodePages.size() << " sets of code pages\n";
    }
    return 0;
}
