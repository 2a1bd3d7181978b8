// The rules the provider reads (required fields, defaults, relationships) agree with
// mdbtools' own reading (mdb-schema) on every corpus database mdbtools opens.

#include <gtest/gtest.h>

#include <QString>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

using namespace velmora;
using namespace velmora::access::testing;
namespace fs = std::filesystem;

namespace {

// As mdb-schema folds names for PostgreSQL.
std::string lower(const std::string& s) {
    return QString::fromStdString(s).toLower().toStdString();
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

struct Rules {
    std::set<std::string> booleans;  // mdb-schema calls every Yes/No column NOT NULL
    std::set<std::string> required;  // table.column, lower case, Yes/No columns left out
    std::set<std::string> defaults;
    std::set<std::string> relationships;  // child.column>parent.column[ update][ delete]
};

// mdb-schema's PostgreSQL dialect: lower-case names, one column a line.
Rules mdbSchemaRules(const fs::path& file) {
    Rules rules;
    std::istringstream lines(
        run("mdb-schema --not-null --default-values '" + file.string() + "' postgres 2>/dev/null"));
    const std::regex table(R"re(^CREATE TABLE IF NOT EXISTS "(.*)"$)re");
    const std::regex column(R"re(^\t"(.*)"\t\t\t.*$)re");
    std::string current;
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, m, table)) {
            current = lower(m[1]);
        } else if (std::regex_match(line, m, column)) {
            const std::string name = current + "." + lower(m[1]);
            // mdb-schema gives every Yes/No column NOT NULL, and DEFAULT FALSE where Access
            // has no default.
            const bool boolean = line.find("BOOLEAN NOT NULL") != std::string::npos;
            if (boolean) rules.booleans.insert(name);
            if (line.find(" NOT NULL") != std::string::npos && !boolean)
                rules.required.insert(name);
            if (line.find(" DEFAULT ") != std::string::npos &&
                line.find("BOOLEAN NOT NULL DEFAULT FALSE") == std::string::npos)
                rules.defaults.insert(name);
        }
    }
    // mdb-schema leaves out some relationships (the last rows of MSysRelationships), so
    // they come from the table itself.
    std::istringstream rows(
        run("mdb-export -H -d '\t' -q '' '" + file.string() + "' MSysRelationships 2>/dev/null"));
    for (std::string row; std::getline(rows, row);) {
        std::vector<std::string> f;
        std::istringstream cells(row);
        for (std::string cell; std::getline(cells, cell, '\t');) f.push_back(cell);
        if (f.size() < 8 || lower(f[4]).rfind("msys", 0) == 0) continue;  // Access's own
        const long grbit = std::stol(f[1]);
        rules.relationships.insert(lower(f[4] + "." + f[5] + ">" + f[6] + "." + f[7]) +
                                   ((grbit & 0x100) ? " update" : "") +
                                   ((grbit & 0x1000) ? " delete" : ""));
    }
    return rules;
}

std::string text(db::Recordset& rows, const char* column) {
    const db::Value v = rows.fields().item(column).value();
    return v.isNull() ? std::string() : v.asText();
}

Rules providerRules(db::Connection& connection, int& enforced, int& cascades) {
    Rules rules;
    for (auto rows = connection.openSchema(db::ado::adSchemaColumns); !rows->eof();
         rows->moveNext()) {
        if (text(*rows, "COLUMN_NAME").empty()) continue;
        const std::string name =
            lower(text(*rows, "TABLE_NAME") + "." + text(*rows, "COLUMN_NAME"));
        if (!rows->fields().item("IS_NULLABLE").value().asBool()) rules.required.insert(name);
        if (rows->fields().item("COLUMN_HASDEFAULT").value().asBool()) rules.defaults.insert(name);
    }
    for (auto rows = connection.openSchema(db::ado::adSchemaForeignKeys); !rows->eof();
         rows->moveNext()) {
        const bool update = text(*rows, "UPDATE_RULE") == "CASCADE";
        const bool remove = text(*rows, "DELETE_RULE") == "CASCADE";
        if (rows->fields().item("IS_ENFORCED").value().asBool()) {
            ++enforced;
            cascades += update || remove;
        }
        rules.relationships.insert(
            lower(text(*rows, "FK_TABLE_NAME") + "." + text(*rows, "FK_COLUMN_NAME") + ">" +
                  text(*rows, "PK_TABLE_NAME") + "." + text(*rows, "PK_COLUMN_NAME")) +
            (update ? " update" : "") + (remove ? " delete" : ""));
    }
    return rules;
}

}  // namespace

TEST(Rules, ProviderAgreesWithMdbSchemaOverTheCorpus) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    int files = 0, required = 0, defaults = 0, relationships = 0, enforced = 0, cascades = 0;
    int views = 0, validationRules = 0, checkedRules = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*root / "access")) {
        const std::string extension = lower(entry.path().extension().string());
        if (extension != ".mdb" && extension != ".accdb") continue;
        const Rules theirs = mdbSchemaRules(entry.path());
        if (theirs.required.empty() && theirs.defaults.empty() && theirs.relationships.empty())
            continue;  // nothing to compare, or a file mdbtools cannot open
        SCOPED_TRACE(entry.path().string());
        db::Connection connection;
        // The corpus's password-protected files say their password in their name.
        const std::string file = entry.path().filename().string();
        const bool protectedFile = file.find("_pw-password_") != std::string::npos;
        try {
            connection.open(connectionStringFor(entry.path(), protectedFile ? "password" : ""));
        } catch (const db::DbError& e) {
            ADD_FAILURE() << e.description();
            continue;
        }
        Rules ours = providerRules(connection, enforced, cascades);
        for (const std::string& boolean : theirs.booleans) {
            ours.required.erase(boolean);
            // A Yes/No default of No reads as mdb-schema's own DEFAULT FALSE.
            if (!theirs.defaults.count(boolean)) ours.defaults.erase(boolean);
        }
        EXPECT_EQ(ours.required, theirs.required);
        EXPECT_EQ(ours.defaults, theirs.defaults);
        EXPECT_EQ(ours.relationships, theirs.relationships);
        // Validation rules as mdb-prop lists them under the table's objects.
        for (auto rows = connection.openSchema(db::ado::adSchemaColumns); !rows->eof();
             rows->moveNext()) {
            const std::string rule = text(*rows, "VALIDATION_RULE");
            if (rule.empty()) continue;
            ++validationRules;
            // mdb-prop reads the first object of the name, which may be a form of it.
            const std::string props = run("mdb-prop '" + entry.path().string() + "' '" +
                                          text(*rows, "TABLE_NAME") + "' 2>/dev/null");
            if (props.find("name: " + text(*rows, "COLUMN_NAME") + "\n") == std::string::npos)
                continue;
            ++checkedRules;
            EXPECT_NE(props.find("ValidationRule: " + rule), std::string::npos)
                << text(*rows, "TABLE_NAME") << "." << text(*rows, "COLUMN_NAME") << ": " << rule;
        }
        for (auto rows = connection.openSchema(db::ado::adSchemaViews); !rows->eof();
             rows->moveNext())
            ++views;
        ++files;
        required += static_cast<int>(ours.required.size());
        defaults += static_cast<int>(ours.defaults.size());
        relationships += static_cast<int>(ours.relationships.size());
    }
    std::printf(
        "rules in %d files: %d required, %d defaults, %d relationships (%d enforced, %d "
        "with cascades), %d saved queries, %d validation rules (%d found by mdb-prop)\n",
        files, required, defaults, relationships, enforced, cascades, views, validationRules,
        checkedRules);
    EXPECT_GT(files, 50);
    EXPECT_GT(checkedRules, 0);
}

// A rules rowset asked for one table holds that table's rows of the whole rowset; a
// relationship belongs to both its tables.
TEST(Rules, RowsetsRestrictedToATable) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    db::Connection connection;
    connection.open(connectionStringFor(*root / "access/mdbtestdata/data/nwind.mdb", ""));
    const auto tables = [&](int kind, std::string_view table, const char* first,
                            const char* second) {
        std::multiset<std::string> names;
        for (auto rows = connection.openSchema(kind, table); !rows->eof(); rows->moveNext()) {
            const std::string a = text(*rows, first), b = second ? text(*rows, second) : a;
            names.insert(lower(a) == "orders" || lower(b) == "orders" ? "orders" : lower(a));
        }
        return names;
    };
    const auto columns = tables(db::ado::adSchemaColumns, "ORDERS", "TABLE_NAME", nullptr);
    EXPECT_GT(columns.size(), 5u);
    EXPECT_EQ(columns.count("orders"), columns.size());
    EXPECT_EQ(columns.size(),
              tables(db::ado::adSchemaColumns, "", "TABLE_NAME", nullptr).count("orders"));
    const auto keys =
        tables(db::ado::adSchemaForeignKeys, "Orders", "FK_TABLE_NAME", "PK_TABLE_NAME");
    EXPECT_EQ(keys.count("orders"), keys.size());
    EXPECT_EQ(
        keys.size(),
        tables(db::ado::adSchemaForeignKeys, "", "FK_TABLE_NAME", "PK_TABLE_NAME").count("orders"));
    EXPECT_GT(keys.size(), 1u);
    EXPECT_TRUE(tables(db::ado::adSchemaViews, "Orders", "TABLE_NAME", nullptr).empty());
}

// A saved query's SQL text is rebuilt from its pieces as Access shows it; an append or
// crosstab query, or a parameter naming a form's control, leaves it empty.
TEST(Rules, SavedQueriesGetTheirSqlText) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    const auto queries = [&](const char* file) {
        db::Connection connection;
        connection.open(connectionStringFor(*root / "access" / file, ""));
        std::map<std::string, std::string> sql;
        for (auto rows = connection.openSchema(db::ado::adSchemaViews); !rows->eof();
             rows->moveNext())
            sql[text(*rows, "TABLE_NAME")] = text(*rows, "VIEW_DEFINITION");
        return sql;
    };
    auto nwind = queries("mdbtestdata/data/nwind.mdb");
    EXPECT_EQ(nwind["Current Product List"],
              "SELECT [Product List].ProductID, [Product List].ProductName FROM Products AS "
              "[Product List] WHERE ((([Product List].Discontinued)=No)) ORDER BY [Product "
              "List].ProductName;");
    EXPECT_EQ(nwind["Employee Sales by Country"].substr(0, 80),
              "PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime; SELECT DISTINCTROW");
    EXPECT_NE(nwind["Employee Sales by Country"].find(
                  " FROM Employees INNER JOIN (Orders INNER JOIN [Order Subtotals] ON "
                  "Orders.OrderID = [Order Subtotals].OrderID) ON Employees.EmployeeID = "
                  "Orders.EmployeeID WHERE"),
              std::string::npos);
    EXPECT_EQ(nwind["Ten Most Expensive Products"],
              "SELECT DISTINCTROW Products.ProductName AS TenMostExpensiveProducts, "
              "Products.UnitPrice FROM Products ORDER BY Products.UnitPrice DESC;");
    EXPECT_NE(nwind["Customers and Suppliers by City"].find(
                  "\r\nFROM Customers UNION SELECT City, CompanyName, ContactName, \"Suppliers\""),
              std::string::npos);           // a union query, its parts as Access keeps them
    EXPECT_EQ(nwind["Sales by Year"], "");  // parameters naming a form's controls
    EXPECT_EQ(nwind.size(), 22u);

    auto kinds = queries("jackcess/src/test/data/V2003/queryTestV2003.mdb");
    EXPECT_EQ(kinds["SelectQuery"],
              "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3 FROM (Table1 LEFT "
              "JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON (Table3.col1 = "
              "Table2.col1) AND (Table3.col1 = Table2.col2) WHERE (((Table2.col2)=\"foo\" Or "
              "(Table2.col2) In (\"buzz\",\"bazz\"))) ORDER BY Table2.col1;");
    // As the independent reader (Jackcess) rebuilds them, on one line; parameter names
    // with blanks in brackets, as Access needs them.
    EXPECT_EQ(kinds["DeleteQuery"],
              "DELETE Table1.col1, Table1.col2, Table1.col3 FROM Table1 WHERE "
              "(((Table1.col1)>\"blah\"));");
    EXPECT_EQ(kinds["UpdateQuery"],
              "PARAMETERS [User Name] Text; UPDATE Table1 SET Table1.col1 = \"foo\", Table1.col2 = "
              "[Table2].[col3], [Table2].[col1] = [User Name] WHERE ((([Table2].[col1]) Is Not "
              "Null));");
    EXPECT_EQ(kinds["MakeTableQuery"],
              "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4 FROM "
              "(Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
              "Table1.col2 = Table3.col3 GROUP BY Table2.col2, Table3.col2 HAVING "
              "(((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));");
    EXPECT_NE(kinds["UnionQuery"].find("\"foo\"\r\nUNION\r\nSelect Table2.col1"), std::string::npos)
        << kinds["UnionQuery"];
    EXPECT_EQ(kinds["DataDefinitionQuery"], "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);");
    EXPECT_EQ(kinds["PassthroughQuery"], "ALTER TABLE Table4 DROP COLUMN col5;");
    for (const char* other : {"AppendQuery", "CrosstabQuery"}) EXPECT_EQ(kinds[other], "") << other;
}
