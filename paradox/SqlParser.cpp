#include "paradox/SqlParser.h"

#include "paradox/DriverError.h"
#include "paradox/SqlLexer.h"

namespace velmora::paradox::sql {

std::string Name::text() const {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out.push_back(raw[i]);
        if (closingQuote != 0 && raw[i] == closingQuote && i + 1 < raw.size() &&
            raw[i + 1] == closingQuote)
            ++i;
    }
    return out;
}

void appendTextLiteral(std::string_view raw, std::string& out) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out.push_back(raw[i]);
        if (raw[i] == '\'' && i + 1 < raw.size() && raw[i + 1] == '\'') ++i;
    }
}

namespace {

// `keyword` is upper case ASCII letters.
bool sameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c != keyword[i] && !(c >= 'a' && c <= 'z' && c - ('a' - 'A') == keyword[i]))
            return false;
    }
    return true;
}

class Parser {
  public:
    Parser(std::string_view text, Statement& out) : lexer_(text), out_(out) { advance(); }

    void statement() {
        if (token_.kind == TokenKind::End || isSymbol(';')) failHere("the statement is empty.");
        if (acceptKeyword("CREATE")) {
            if (acceptKeyword("TABLE")) return createTable();
            out_.unique = acceptKeyword("UNIQUE");
            if (acceptKeyword("DESC"))
                out_.descending = true;
            else
                acceptKeyword("ASC");
            if (acceptKeyword("INDEX")) return createIndex();
            failExpected(out_.unique || out_.descending ? "INDEX" : "TABLE or INDEX");
        }
        if (acceptKeyword("CHECK")) {
            expectKeyword("INDEX");
            out_.kind = StatementKind::CheckIndex;
            out_.index = name("an index name");
            expectKeyword("ON");
            out_.table = name("a table name");
            return finish();
        }
        if (acceptKeyword("DROP")) {
            expectKeyword("TABLE");
            out_.kind = StatementKind::DropTable;
            out_.table = name("a table name");
            return finish();
        }
        if (acceptKeyword("ALTER")) return alterTable();
        if (acceptKeyword("INSERT")) return insert();
        if (acceptKeyword("DELETE")) {
            expectKeyword("FROM");
            out_.kind = StatementKind::DeleteAll;
            out_.table = name("a table name");
            if (isKeyword("WHERE"))
                failHere(
                    "DELETE FROM removes every row of a table; a WHERE condition is not "
                    "supported.");
            return finish();
        }
        if (acceptKeyword("SELECT")) return select();
        failExpected("CREATE, DROP, ALTER, INSERT, DELETE, SELECT or CHECK");
    }

  private:
    void advance() { lexer_.next(token_); }
    bool isKeyword(std::string_view keyword) const {
        return token_.kind == TokenKind::Word && sameWord(token_.text, keyword);
    }
    bool isSymbol(char c) const {
        return token_.kind == TokenKind::Symbol && token_.text.size() == 1 && token_.text[0] == c;
    }
    bool acceptKeyword(std::string_view keyword) {
        if (!isKeyword(keyword)) return false;
        advance();
        return true;
    }
    bool acceptSymbol(char c) {
        if (!isSymbol(c)) return false;
        advance();
        return true;
    }
    [[noreturn]] void failHere(const std::string& message) {
        failSyntax(lexer_.source(), token_.offset, message);
    }
    [[noreturn]] void failExpected(const std::string& what) {
        failHere("expected " + what + " but found " + excerpt(lexer_.source(), token_.offset) +
                 ".");
    }
    void expectKeyword(std::string_view keyword) {
        if (!acceptKeyword(keyword)) failExpected(std::string(keyword));
    }
    void expectSymbol(char c) {
        if (!acceptSymbol(c)) failExpected(std::string("\"") + c + "\"");
    }
    Name name(const char* what) {
        if (token_.kind != TokenKind::Word && token_.kind != TokenKind::QuotedName)
            failExpected(what);
        Name n{token_.text, token_.closingQuote, token_.offset};
        if (n.raw.empty()) failHere(std::string("a name cannot be empty."));
        advance();
        return n;
    }
    int smallNumber() {
        if (token_.kind != TokenKind::Number) failExpected("a whole number");
        int value = 0;
        for (char c : token_.text) {
            if (c < '0' || c > '9' || value > 100000) failHere("expected a whole number.");
            value = value * 10 + (c - '0');
        }
        advance();
        return value;
    }
    void finish() {
        acceptSymbol(';');
        if (token_.kind != TokenKind::End)
            failHere("unexpected " + excerpt(lexer_.source(), token_.offset) +
                     " after the end of the statement.");
    }

    void createTable() {
        out_.kind = StatementKind::CreateTable;
        out_.table = name("a table name");
        expectSymbol('(');
        do {
            ColumnDefinition definition;
            definition.offset = token_.offset;
            definition.name = name("a column name");
            if (token_.kind != TokenKind::Word) failExpected("a column type");
            definition.type = Name{token_.text, 0, token_.offset};
            advance();
            if (sameWord(definition.type.raw, "DOUBLE")) acceptKeyword("PRECISION");
            if (acceptSymbol('(')) {
                definition.arguments[definition.argumentCount++] = smallNumber();
                if (acceptSymbol(','))
                    definition.arguments[definition.argumentCount++] = smallNumber();
                expectSymbol(')');
            }
            columnChecks(definition);
            out_.definitions.push_back(definition);
            if (!isSymbol(',') && !isSymbol(')')) failExpected("\",\" or \")\"");
        } while (acceptSymbol(','));
        expectSymbol(')');
        // Clauses after the columns, in any order: the code page of the table's text, and
        // how many rows the table will take, so that the driver can size its blocks.
        for (;;) {
            if (acceptKeyword("CODEPAGE"))
                out_.codePage = smallNumber();
            else if (acceptKeyword("ROWS"))
                out_.expectedRows = rowCount();
            else if (acceptKeyword("LEVEL"))
                out_.level = smallNumber();
            else
                break;
        }
        finish();
    }

    // What may follow a column's type, in any order.
    void columnChecks(ColumnDefinition& definition) {
        for (;;) {
            if (acceptKeyword("NOT")) {
                expectKeyword("NULL");
                definition.notNull = true;
            } else if (acceptKeyword("DEFAULT")) {
                literal(definition.defaultValue);
                definition.hasDefault = true;
            } else if (acceptKeyword("CHECK")) {
                expectSymbol('(');
                range(definition);
                if (acceptKeyword("AND")) range(definition);
                expectSymbol(')');
            } else {
                return;
            }
        }
    }

    // column BETWEEN a AND b, column >= a or column <= b: the only checks a field's
    // minimum and maximum hold.
    void range(ColumnDefinition& definition) {
        const Name column = name("the column's name");
        if (column.text() != definition.name.text())
            failSyntax(lexer_.source(), column.offset, "a CHECK of a column names that column.");
        if (acceptKeyword("BETWEEN")) {
            literal(definition.minimum);
            expectKeyword("AND");
            literal(definition.maximum);
            definition.hasMinimum = definition.hasMaximum = true;
        } else if (acceptSymbol('>')) {
            expectSymbol('=');
            literal(definition.minimum);
            definition.hasMinimum = true;
        } else if (acceptSymbol('<')) {
            expectSymbol('=');
            literal(definition.maximum);
            definition.hasMaximum = true;
        } else {
            failExpected("BETWEEN, >= or <=");
        }
    }

    void alterTable() {
        expectKeyword("TABLE");
        out_.kind = StatementKind::AddForeignKey;
        out_.table = name("a table name");
        expectKeyword("ADD");
        if (acceptKeyword("CONSTRAINT")) out_.index = name("a constraint name");
        expectKeyword("FOREIGN");
        expectKeyword("KEY");
        nameList(out_.columns);
        expectKeyword("REFERENCES");
        out_.parent = name("the referenced table's name");
        nameList(out_.parentColumns);
        if (out_.parentColumns.size() != out_.columns.size())
            failHere("the foreign key and the referenced key have different numbers of columns.");
        if (acceptKeyword("ON")) {
            expectKeyword("UPDATE");
            if (acceptKeyword("CASCADE"))
                out_.cascadeUpdates = true;
            else if (acceptKeyword("RESTRICT"))
                out_.cascadeUpdates = false;
            else if (acceptKeyword("NO")) {
                expectKeyword("ACTION");
                out_.cascadeUpdates = false;
            } else
                failExpected("CASCADE, RESTRICT or NO ACTION");
        }
        finish();
    }

    void nameList(std::vector<Name>& names) {
        expectSymbol('(');
        do {
            names.push_back(name("a column name"));
        } while (acceptSymbol(','));
        expectSymbol(')');
    }

    std::int64_t rowCount() {
        if (token_.kind != TokenKind::Number) failExpected("a number of rows");
        std::int64_t value = 0;
        for (char c : token_.text) {
            if (c < '0' || c > '9' || value > 1'000'000'000'000)
                failHere("expected a number of rows.");
            value = value * 10 + (c - '0');
        }
        advance();
        return value;
    }

    void createIndex() {
        out_.kind = StatementKind::CreateIndex;
        out_.index = name("an index name");
        expectKeyword("ON");
        out_.table = name("a table name");
        expectSymbol('(');
        do {
            out_.columns.push_back(name("a column name"));
        } while (acceptSymbol(','));
        expectSymbol(')');
        const std::size_t clause = token_.offset;
        if (acceptKeyword("WITH")) {
            expectKeyword("PRIMARY");
            out_.primary = true;
        } else if (acceptKeyword("PRIMARY")) {
            out_.primary = true;
        } else if (acceptKeyword("CASE")) {
            expectKeyword("INSENSITIVE");
            out_.caseInsensitive = true;
        }
        if (out_.primary && (out_.unique || out_.descending))
            failSyntax(lexer_.source(), clause,
                       "a primary index is always unique and ascending: it takes no UNIQUE, ASC "
                       "or DESC.");
        finish();
    }

    void insert() {
        expectKeyword("INTO");
        out_.kind = StatementKind::Insert;
        out_.table = name("a table name");
        if (acceptSymbol('(')) {
            do {
                out_.columns.push_back(name("a column name"));
            } while (acceptSymbol(','));
            expectSymbol(')');
        }
        expectKeyword("VALUES");
        expectSymbol('(');
        do {
            literal(out_.values.emplace_back());
        } while (acceptSymbol(','));
        expectSymbol(')');
        finish();
    }

    void literal(Literal& value) {
        value.offset = token_.offset;
        if (isSymbol('-') || isSymbol('+')) {
            value.negative = isSymbol('-');
            advance();
            if (token_.kind != TokenKind::Number) failExpected("a number after the sign");
        }
        switch (token_.kind) {
            case TokenKind::Number:
                value.kind = LiteralKind::Number;
                value.raw = token_.text;
                break;
            case TokenKind::Text:
                value.kind = LiteralKind::Text;
                value.raw = token_.text;
                break;
            case TokenKind::Hex:
                value.kind = LiteralKind::Hex;
                value.raw = token_.text;
                break;
            case TokenKind::Word:
                if (isKeyword("NULL")) {
                    value.kind = LiteralKind::Null;
                } else if (isKeyword("TRUE") || isKeyword("FALSE")) {
                    value.kind = LiteralKind::Boolean;
                    value.truth = isKeyword("TRUE");
                } else if (isKeyword("DATE") || isKeyword("TIME") || isKeyword("TIMESTAMP")) {
                    advance();
                    if (token_.kind != TokenKind::Text) failExpected("a quoted date or time");
                    value.kind = LiteralKind::Text;
                    value.raw = token_.text;
                } else {
                    failExpected("a value (a number, a quoted text, NULL, TRUE or FALSE)");
                }
                break;
            default:
                failExpected("a value (a number, a quoted text, NULL, TRUE or FALSE)");
        }
        advance();
    }

    void select() {
        if (acceptSymbol('*')) {
            out_.kind = StatementKind::SelectAll;
        } else if (acceptKeyword("COUNT")) {
            expectSymbol('(');
            expectSymbol('*');
            expectSymbol(')');
            out_.kind = StatementKind::SelectCount;
        } else {
            failHere("only SELECT * FROM table and SELECT COUNT(*) FROM table are supported.");
        }
        expectKeyword("FROM");
        out_.table = name("a table name");
        if (out_.kind == StatementKind::SelectAll && acceptKeyword("WHERE")) {
            do {
                out_.columns.push_back(name("a column name"));
                expectSymbol('=');
                literal(out_.values.emplace_back());
            } while (acceptKeyword("AND"));
        }
        if (token_.kind != TokenKind::End && !isSymbol(';'))
            failHere(
                "only SELECT * FROM table [WHERE key = value AND ...] and SELECT COUNT(*) FROM "
                "table are supported.");
        finish();
    }

    Lexer lexer_;
    Statement& out_;
    Token token_;
};

}  // namespace

void clearStatement(Statement& out) {
    out.columns.clear();
    out.definitions.clear();
    out.values.clear();
    out.primary = false;
    out.unique = false;
    out.descending = false;
    out.caseInsensitive = false;
    out.expectedRows = 0;
    out.codePage = 0;
    out.level = 0;
    out.table = Name();
    out.index = Name();
    out.parent = Name();
    out.parentColumns.clear();
    out.cascadeUpdates = true;
}

void parseStatement(std::string_view text, Statement& out) {
    clearStatement(out);
    Parser parser(text, out);
    parser.statement();
}

}  // namespace velmora::paradox::sql
