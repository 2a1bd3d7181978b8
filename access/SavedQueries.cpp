#include "access/SavedQueries.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

#include "access/NameFolding.h"
#include "access/TableCursor.h"

namespace velmora::access {

namespace {

enum Attribute {
    kType = 1,
    kParameter = 2,
    kFlags = 3,
    kRemoteDatabase = 4,
    kTable = 5,
    kColumn = 6,
    kJoin = 7,
    kWhere = 8,
    kGroupBy = 9,
    kHaving = 10,
    kOrderBy = 11,
    kStart = 0,
    kEnd = 255,
};

// The query's kind, in the type piece's flag.
constexpr int kSelect = 1, kMakeTable = 2, kUpdate = 4, kDelete = 5, kDataDefinition = 7,
              kPassThrough = 8, kUnion = 9;
constexpr int kUnionDistinct = 0x02;
constexpr int kSelectStar = 0x01, kDistinct = 0x02, kOwnerAccess = 0x04, kDistinctRow = 0x08,
              kTop = 0x10, kPercent = 0x20;

// Any character but a letter, digit or underscore puts a name in brackets.
bool plainName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

std::string bracketed(std::string_view name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return std::string(name);
    return '[' + std::string(name) + ']';
}

// A name as SQL writes it; an identifier's parts ("Table1.col1") each on their own.
std::string sqlName(std::string_view name, bool identifier) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = identifier ? name.find('.', start) : std::string_view::npos;
        const std::string_view part = name.substr(start, dot - start);
        out += plainName(part) ? std::string(part) : bracketed(part);
        if (dot == std::string_view::npos) return out;
        out += '.';
        start = dot + 1;
    }
}

std::string alias(const std::string& name) {
    return name.empty() ? std::string() : " AS " + sqlName(name, false);
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += separator;
        out += parts[i];
    }
    return out;
}

const char* parameterType(int type) {
    switch (type) {
        case 0:
            return "Value";
        case 1:
            return "Bit";
        case 2:
            return "Byte";
        case 3:
            return "Short";
        case 4:
            return "Long";
        case 5:
            return "Currency";
        case 6:
            return "IEEESingle";
        case 7:
            return "IEEEDouble";
        case 8:
            return "DateTime";
        case 9:
            return "Binary";
        case 10:
            return "Text";
        case 11:
            return "LongBinary";
        case 15:
            return "Guid";
        default:
            return nullptr;
    }
}

const char* joinWord(int type) {
    switch (type) {
        case 1:
            return " INNER JOIN ";
        case 2:
            return " LEFT JOIN ";
        case 3:
            return " RIGHT JOIN ";
        default:
            return nullptr;
    }
}

// A table of the FROM clause, or two of them joined; a join inside another is bracketed.
struct Source {
    std::string key;  // a table's alias, else its name
    std::string text;
    std::shared_ptr<Source> from, to;
    int joinType = 0;
    std::vector<std::string> on;  // joined by AND, in the order MSysQueries keeps them

    bool contains(const std::string& table) const {
        if (!from) return sameName(key, table);
        return from->contains(table) || to->contains(table);
    }
    void render(std::string& out, bool top) const {
        if (!from) {
            out += text;
            return;
        }
        if (!top) out += '(';
        from->render(out, false);
        out += joinWord(joinType);
        to->render(out, false);
        out += " ON ";
        out += on.size() > 1 ? '(' + joined(on, ") AND (") + ')' : on.front();
        if (!top) out += ')';
    }
};

// The FROM clause's tables with their joins, or nullopt when the joins do not fit them.
std::optional<std::vector<std::string>> fromTables(const std::vector<const QueryPiece*>& tables,
                                                   const std::vector<const QueryPiece*>& joins) {
    std::vector<std::shared_ptr<Source>> sources;
    for (const QueryPiece* t : tables) {
        auto s = std::make_shared<Source>();
        s->key = t->name2.empty() ? t->name1 : t->name2;
        // A table of another query's result ("[Select ...].val") or database.
        if (!t->expression.empty()) s->text = bracketed(t->expression) + '.';
        s->text += sqlName(t->name1, true) + alias(t->name2);
        sources.push_back(std::move(s));
    }
    for (const QueryPiece* j : joins) {
        if (!j->flag || joinWord(*j->flag) == nullptr) return std::nullopt;
        std::shared_ptr<Source> from, to;
        for (auto it = sources.begin(); it != sources.end() && (!from || !to);) {
            if (!from && (*it)->contains(j->name1)) {
                from = *it;
                if (!to && from->contains(j->name2)) {
                    to = from;
                    break;
                }
                it = sources.erase(it);
            } else if (!to && (*it)->contains(j->name2)) {
                to = *it;
                it = sources.erase(it);
            } else {
                ++it;
            }
        }
        if (from && from == to) {
            // A second condition between tables already joined the same way.
            if (!from->from || from->joinType != *j->flag) return std::nullopt;
            from->on.push_back(j->expression);
            continue;
        }
        if (!from || !to) return std::nullopt;
        auto join = std::make_shared<Source>();
        join->from = from;
        join->to = to;
        join->joinType = *j->flag;
        join->on.push_back(j->expression);
        sources.push_back(std::move(join));
    }
    std::vector<std::string> out;
    for (const auto& s : sources) {
        std::string text;
        s->render(text, true);
        out.push_back(std::move(text));
    }
    return out;
}

using Pieces = std::map<int, std::vector<const QueryPiece*>>;

// " IN 'path' [type]" for a remote database, or nothing.
std::string remoteDatabase(const std::string& path, const std::string& type) {
    if (path.empty() && type.empty()) return {};
    return " IN '" + path + '\'' + (type.empty() ? std::string() : " [" + type + ']');
}

std::optional<std::string> parameterList(Pieces& by) {
    std::vector<std::string> parameters;
    for (const QueryPiece* p : by[kParameter]) {
        const char* type = parameterType(p->flag.value_or(0));
        // A name that refers to a form's control ("Forms!F!C") is not one bracket pair.
        if (type == nullptr || p->name1.find('!') != std::string::npos) return std::nullopt;
        std::string parameter = sqlName(p->name1, false) + ' ' + type;
        if (p->flag == 10 && p->extra.value_or(0) > 0)
            parameter += '(' + std::to_string(*p->extra) + ')';
        parameters.push_back(std::move(parameter));
    }
    if (parameters.empty()) return std::string();
    return "PARAMETERS " + joined(parameters, ", ") + "; ";
}

std::string orderBy(Pieces& by) {
    std::vector<std::string> orders;
    for (const QueryPiece* p : by[kOrderBy])
        orders.push_back(p->expression + (sameName(p->name1, "D") ? " DESC" : ""));
    return orders.empty() ? std::string() : " ORDER BY " + joined(orders, ", ");
}

// "SELECT [DISTINCT ]columns[ INTO t] FROM ... ORDER BY ..." (or "DELETE columns FROM ...").
std::optional<std::string> selectText(Pieces& by, const std::string& verb,
                                      const std::string& into) {
    if (by[kTable].empty()) return std::nullopt;
    const int flags = by[kFlags].empty() ? 0 : by[kFlags][0]->flag.value_or(0);
    std::string sql = verb;
    if (verb == "SELECT ") {
        if (flags & kDistinct)
            sql += "DISTINCT ";
        else if (flags & kDistinctRow)
            sql += "DISTINCTROW ";
        else if (flags & kTop)
            sql += "TOP " + by[kFlags][0]->name1 + ((flags & kPercent) ? " PERCENT " : " ");
    }
    std::vector<std::string> columns;
    for (const QueryPiece* p : by[kColumn]) columns.push_back(p->expression + alias(p->name1));
    if (flags & kSelectStar) columns.push_back("*");
    if (columns.empty()) return std::nullopt;
    sql += joined(columns, ", ") + into;

    const auto from = fromTables(by[kTable], by[kJoin]);
    if (!from) return std::nullopt;
    sql += " FROM " + joined(*from, ", ");
    if (!by[kRemoteDatabase].empty())
        sql += remoteDatabase(by[kRemoteDatabase][0]->name1, by[kRemoteDatabase][0]->expression);
    if (!by[kWhere].empty()) sql += " WHERE " + by[kWhere][0]->expression;
    std::vector<std::string> groups;
    for (const QueryPiece* p : by[kGroupBy]) groups.push_back(p->expression);
    if (!groups.empty()) sql += " GROUP BY " + joined(groups, ", ");
    if (!by[kHaving].empty()) sql += " HAVING " + by[kHaving][0]->expression;
    return sql + orderBy(by);
}

// "UPDATE tables SET field = value, ... WHERE ...".
std::optional<std::string> updateText(Pieces& by) {
    const auto tables = fromTables(by[kTable], by[kJoin]);
    if (!tables || tables->empty()) return std::nullopt;
    std::string sql = "UPDATE " + joined(*tables, ", ");
    if (!by[kRemoteDatabase].empty())
        sql += remoteDatabase(by[kRemoteDatabase][0]->name1, by[kRemoteDatabase][0]->expression);
    std::vector<std::string> values;
    for (const QueryPiece* p : by[kColumn])
        values.push_back(sqlName(p->name2, true) + " = " + p->expression);
    if (values.empty()) return std::nullopt;
    sql += " SET " + joined(values, ", ");
    if (!by[kWhere].empty()) sql += " WHERE " + by[kWhere][0]->expression;
    return sql;
}

// Two select statements Access keeps whole, as the two "tables" of the query.
std::string unionText(Pieces& by) {
    std::string parts[2];
    for (const QueryPiece* p : by[kTable]) {
        const int part = p->name2 == "X7YZ_____1" ? 0 : p->name2 == "X7YZ_____2" ? 1 : -1;
        if (part < 0 || !parts[part].empty()) return {};
        std::string text = p->expression;
        const auto first = text.find_first_not_of(" \t\r\n");
        const auto last = text.find_last_not_of(" \t\r\n");
        parts[part] =
            first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }
    if (parts[0].empty() || parts[1].empty()) return {};
    const int flags = by[kFlags].empty() ? 0 : by[kFlags][0]->flag.value_or(0);
    return parts[0] + ((flags & kUnionDistinct) ? " UNION " : " UNION ALL ") + parts[1] +
           orderBy(by) + ';';
}

}  // namespace

std::string QueryText(const std::vector<QueryPiece>& pieces) {
    Pieces by;
    for (const QueryPiece& p : pieces) {
        if (p.attribute < kStart || (p.attribute > kOrderBy && p.attribute != kEnd)) return {};
        by[p.attribute].push_back(&p);
    }
    for (const int single : {kType, kFlags, kRemoteDatabase, kWhere, kHaving})
        if (by[single].size() > 1) return {};
    if (by[kType].empty() || !by[kType][0]->flag) return {};
    const QueryPiece& type = *by[kType][0];
    // Statements Access keeps whole: the text as it was written.
    if (*type.flag == kDataDefinition || *type.flag == kPassThrough) {
        std::string text = type.expression;
        while (!text.empty() &&
               (text.back() == '\0' || std::isspace(static_cast<unsigned char>(text.back()))))
            text.pop_back();
        return text;
    }
    if (*type.flag == kUnion) return unionText(by);

    const std::optional<std::string> parameters = parameterList(by);
    if (!parameters) return {};
    std::optional<std::string> body;
    switch (*type.flag) {
        case kSelect:
            body = selectText(by, "SELECT ", {});
            break;
        case kMakeTable:
            body = selectText(
                by, "SELECT ",
                " INTO " + sqlName(type.name1, true) + remoteDatabase(type.name2, type.expression));
            break;
        case kDelete:
            body = selectText(by, "DELETE ", {});
            break;
        case kUpdate:
            body = updateText(by);
            break;
        default:
            return {};
    }
    if (!body) return {};
    const int flags = by[kFlags].empty() ? 0 : by[kFlags][0]->flag.value_or(0);
    return *parameters + *body + ((flags & kOwnerAccess) ? " WITH OWNERACCESS OPTION;" : ";");
}

std::map<std::int64_t, std::string> SavedQueryTexts(
    std::shared_ptr<const AccessDatabase> database) {
    std::map<std::int64_t, std::string> texts;
    const CatalogueEntry* queries = database->catalogue().find("MSysQueries");
    if (queries == nullptr || queries->definitionPage == 0) return texts;
    TableCursor cursor(database, *queries);
    std::map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < cursor.columns().size(); ++i) at[cursor.columns()[i].name] = i;
    for (const char* needed : {"ObjectId", "Attribute", "Name1", "Name2", "Expression", "Flag"})
        if (!at.count(needed)) return texts;
    std::vector<db::Value> row;
    const auto text = [&](const char* column) {
        const db::Value& v = row[at[column]];
        return v.kind() == db::ValueKind::Text ? v.asText() : std::string();
    };
    const auto number = [&](const char* column) -> std::optional<int> {
        const auto found = at.find(column);
        if (found == at.end()) return std::nullopt;
        const db::Value& v = row[found->second];
        if (v.kind() != db::ValueKind::Integer) return std::nullopt;
        return static_cast<int>(v.asInt());
    };
    std::map<std::int64_t, std::vector<QueryPiece>> pieces;
    while (cursor.fetch(row)) {
        const db::Value& id = row[at["ObjectId"]];
        const std::optional<int> attribute = number("Attribute");
        if (id.kind() != db::ValueKind::Integer || !attribute) continue;
        pieces[id.asInt()].push_back({*attribute, text("Expression"), text("Name1"), text("Name2"),
                                      number("Flag"), number("LvExtra")});
    }
    for (const auto& [id, parts] : pieces)
        if (std::string sql = QueryText(parts); !sql.empty()) texts[id] = std::move(sql);
    return texts;
}

}  // namespace velmora::access
