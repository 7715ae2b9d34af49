#include "engine/Database.h"

#include <sqlite3.h>

#include <algorithm>

namespace engine {

// ---------------------------------------------------------------- the file's own schema

bool Database::hasTable(const QString& table)
{
    // Prepared once: opening a file asks it of every table.
    CachedStatement st = prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    st->bind(1, table);
    return st->step();
}

QStringList Database::quickCheck(const QString& table)
{
    Statement st(connection(), QStringLiteral("PRAGMA quick_check(%1)").arg(quoteIdent(table)));
    QStringList found;
    while (st.step()) {
        const QString line = st.columnText(0);
        if (line != QLatin1String("ok"))
            found << line;
    }
    return found;
}

QStringList Database::integrityCheck()
{
    Statement st(connection(), QStringLiteral("PRAGMA integrity_check"));
    QStringList found;
    while (st.step()) {
        const QString line = st.columnText(0);
        if (line != QLatin1String("ok"))
            found << line;
    }
    return found;
}

QList<std::pair<QString, QString>> Database::triggers()
{
    Statement st(connection(), QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type = 'trigger' ORDER BY name"));
    QList<std::pair<QString, QString>> found;
    while (st.step())
        found.append({st.columnText(0), st.columnText(1)});
    return found;
}

const TableInfo& Database::tableInfo(const QString& table)
{
    const QString key = table.toUpper();
    if (auto it = schema_.find(key); it != schema_.end())
        return **it;
    sqlite3* db = connection();
    QString stored, sql;
    bool autoinc = false;
    {
        CachedStatement st = prepare("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
        st->bind(1, table);
        if (!st->step())
            throw DatabaseError(QStringLiteral("No existe la tabla «%1» en la base de datos").arg(table),
                                DatabaseError::Kind::TableMissing);
        stored = st->column(0).toString();
        sql = st->column(1).toString();
        autoinc = sql.contains("AUTOINCREMENT", Qt::CaseInsensitive);
    }
    auto info = std::make_shared<TableInfo>();
    info->name = stored;
    info->sql = sql;
    {
        Statement st(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdent(stored)));
        while (st.step()) {
            FieldDef d = fieldDefFromDecl(st.column(1).toString(), st.column(2).toString());
            d.required = st.column(3).toLongLong() != 0;
            if (st.column(5).toLongLong() == 1 && autoinc && d.type == FieldType::Integer)
                d.type = FieldType::AutoInc;
            info->fields.push_back(d);
        }
    }
    {
        // Index names are stored as "TABLE.indexName".
        const QString prefix = stored + '.';
        Statement st(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdent(stored)));
        std::vector<std::pair<QString, bool>> list;
        while (st.step())
            list.emplace_back(st.column(1).toString(), st.column(2).toLongLong() != 0);
        // PRAGMA index_list gives the newest first: keep the order of creation.
        std::reverse(list.begin(), list.end());
        for (const auto& [full, unique] : list) {
            if (!full.startsWith(prefix, Qt::CaseInsensitive))
                continue;
            IndexInfo ix;
            ix.name = full.mid(prefix.size());
            ix.unique = unique;
            Statement xi(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteIdent(full)));
            while (xi.step()) {
                if (xi.column(5).toLongLong() == 0)  // key columns only
                    continue;
                IndexPart p;
                p.field = xi.column(2).toString();
                p.descending = xi.column(3).toLongLong() != 0;
                p.caseInsensitive = xi.column(4).toString().compare("NOCASE", Qt::CaseInsensitive) == 0;
                ix.parts.push_back(p);
            }
            info->indexes.push_back(ix);
        }
        // The primary index: idxPrimaryKey, else the first unique one.
        IndexInfo* prim = nullptr;
        for (IndexInfo& ix : info->indexes)
            if (ix.unique && ix.name.compare("idxPrimaryKey", Qt::CaseInsensitive) == 0) prim = &ix;
        if (!prim)
            for (IndexInfo& ix : info->indexes)
                if (ix.unique) { prim = &ix; break; }
        if (prim) prim->primary = true;
    }
    schema_.insert(key, info);
    return *info;
}

}  // namespace engine
