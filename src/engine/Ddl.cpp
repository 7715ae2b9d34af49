#include "engine/Database.h"
#include "engine/TableSpec.h"

#include "engine/SqliteErrors.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace engine {

namespace {

// Files made before the date check compared with IS: their "=" let pass a
// date date() cannot read ("2026-13-45" gives NULL, and NULL = x is no
// refusal). Such a file is still taken, and verificar finds what it let in.
enum class Version { actual, fechaConIgual };

// The check that keeps a column within its type, so that no tool can store
// what the program would refuse. Named after the field, so SQLite's message
// says which one failed.
QString checkFor(const FieldSpec& f, Version v = Version::actual)
{
    const QString c = quoteIdent(f.name);
    QString cond;
    switch (f.type) {
    case FieldType::String:
        cond = QStringLiteral("typeof(%1) = 'text' AND length(%1) BETWEEN 1 AND %2").arg(c).arg(f.size);
        break;
    case FieldType::Smallint:
        cond = QStringLiteral("typeof(%1) = 'integer' AND %1 BETWEEN -32768 AND 32767").arg(c);
        break;
    case FieldType::Integer:
        cond = QStringLiteral("typeof(%1) = 'integer' AND %1 BETWEEN -2147483648 AND 2147483647").arg(c);
        break;
    case FieldType::Largeint: cond = QStringLiteral("typeof(%1) = 'integer'").arg(c); break;
    case FieldType::AutoInc: return {};
    case FieldType::Date:
        cond = QStringLiteral("typeof(%1) = 'text' AND %1 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND "
                              "date(%1, '+0 days') %2 %1")
                   .arg(c, v == Version::actual ? "IS" : "=");
        break;
    case FieldType::Boolean: cond = QStringLiteral("typeof(%1) = 'integer' AND %1 IN (0, 1)").arg(c); break;
    case FieldType::Float: cond = QStringLiteral("typeof(%1) IN ('real', 'integer')").arg(c); break;
    }
    return QStringLiteral(" CONSTRAINT %1 CHECK (%2 IS NULL OR (%3))").arg(c, c, cond);
}

QString createTableText(const TableSpec& t, Version v, const QString& as)
{
    QStringList cols;
    for (const FieldSpec& f : t.fields) {
        QString col = "  " + quoteIdent(f.name) + ' ';
        if (f.type == FieldType::AutoInc)
            col += "INTEGER PRIMARY KEY AUTOINCREMENT";
        else
            col += declForField(f.type, f.size);
        if (f.required)
            col += " NOT NULL";
        col += checkFor(f, v);
        cols << col;
    }
    return "CREATE TABLE " + quoteIdent(as.isEmpty() ? t.name : as) + " (\n" + cols.join(",\n") + "\n)";
}

// What the file's table says otherwise than the schema of NOT NULL and of
// CHECK constraints: the program relies on both to refuse what it must not
// store, and a check of another kind could refuse what it must.
QStringList otherRules(const TableSpec& t, const TableInfo& info)
{
    QStringList faltas;
    for (const FieldSpec& f : t.fields) {
        const int i = info.fieldIndex(f.name);
        if (i < 0 || info.fields[size_t(i)].required == f.required)
            continue;
        faltas << (f.required ? QStringLiteral("El campo «%1» de la tabla %2 no es obligatorio (NOT NULL) en el fichero")
                              : QStringLiteral("El campo «%1» de la tabla %2 es obligatorio (NOT NULL) en el fichero y "
                                               "no debe serlo"))
                      .arg(f.name, t.name);
    }
    const std::vector<CheckConstraint> esperadas = checkConstraints(createTableText(t, Version::actual, {}));
    const std::vector<CheckConstraint> anteriores = checkConstraints(createTableText(t, Version::fechaConIgual, {}));
    std::vector<CheckConstraint> guardadas = checkConstraints(info.sql);
    auto de = [](const std::vector<CheckConstraint>& v, const QString& campo) {
        QStringList l;
        for (const CheckConstraint& c : v)
            if (c.column.compare(campo, Qt::CaseInsensitive) == 0)
                l << c.text;
        l.sort();
        return l;
    };
    for (const FieldSpec& f : t.fields) {
        const QStringList tiene = de(guardadas, f.name);
        if (info.fieldIndex(f.name) >= 0 && tiene != de(esperadas, f.name) && tiene != de(anteriores, f.name))
            faltas << QStringLiteral("La comprobación (CHECK) del campo «%1» de la tabla %2 no es la del esquema")
                          .arg(f.name, t.name);
        std::erase_if(guardadas, [&](const CheckConstraint& c) {
            return c.column.compare(f.name, Qt::CaseInsensitive) == 0;
        });
    }
    // What is left belongs to no field of the schema, or to the table.
    if (!guardadas.empty())
        faltas << QStringLiteral("La tabla %1 tiene comprobaciones (CHECK) que el esquema no lleva").arg(t.name);
    return faltas;
}

}  // namespace

QString createTableStatement(const TableSpec& t, const QString& as) { return createTableText(t, Version::actual, as); }

QStringList createIndexStatements(const TableSpec& t)
{
    QStringList out;
    for (const IndexSpec& ix : t.indexes) {
        QStringList parts;
        for (const QString& f : ix.fields) {
            QString p = quoteIdent(f);
            if (ix.options & ixCaseInsensitive) p += " COLLATE NOCASE";
            if (ix.options & ixDescending) p += " DESC";
            parts << p;
        }
        const bool unique = ix.options & (ixPrimary | ixUnique);
        out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(unique ? "UNIQUE " : "", quoteIdent(t.name + '.' + ix.name), quoteIdent(t.name), parts.join(", "));
    }
    return out;
}

QStringList Database::schemaDifferences(const std::vector<TableSpec>& tables, int* missingTables)
{
    QStringList faltas;
    int tablasQueFaltan = 0;
    for (const TableSpec& t : tables) {
        if (!hasTable(t.name)) {
            faltas << QStringLiteral("Falta la tabla %1").arg(t.name);
            ++tablasQueFaltan;
            continue;
        }
        const TableInfo& info = tableInfo(t.name);
        for (const FieldSpec& f : t.fields) {
            const int i = info.fieldIndex(f.name);
            if (i < 0) {
                faltas << QStringLiteral("Falta el campo «%1» de la tabla %2").arg(f.name, t.name);
                continue;
            }
            // An autoincrement column reads as a plain INTEGER when the
            // table's text does not say so: both are whole numbers.
            auto entero = [](FieldType x) { return x == FieldType::Integer || x == FieldType::AutoInc; };
            const FieldType got = info.fields[size_t(i)].type;
            if (got != f.type && !(entero(got) && entero(f.type)))
                faltas << QStringLiteral("El campo «%1» de la tabla %2 no es de tipo %3")
                              .arg(f.name, t.name,
                                   f.type == FieldType::AutoInc ? QStringLiteral("INTEGER")
                                                                : declForField(f.type, f.size));
        }
        faltas << otherRules(t, info);
        for (const IndexSpec& ix : t.indexes)
            if (!info.index(ix.name))
                faltas << QStringLiteral("Falta el índice «%1» de la tabla %2").arg(ix.name, t.name);
    }
    if (missingTables)
        *missingTables = tablasQueFaltan;
    // The program makes no trigger: one in the file would act on every save
    // behind the program's back.
    for (const auto& [name, table] : triggers())
        faltas << QStringLiteral("El fichero tiene el disparador (TRIGGER) «%1» sobre la tabla %2, que el programa no crea")
                      .arg(name, table);
    return faltas;
}

void Database::create(const QString& path, const std::vector<TableSpec>& tables, int version)
{
    const QString name = databasePath(path);
    if (QFileInfo::exists(name))
        throw DatabaseError(QStringLiteral("El fichero «%1» ya existe: no se sobrescribe").arg(path));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int ext = db ? sqlite3_extended_errcode(db) : rc;
        const int sys = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("No se puede crear el fichero «%1»: %2").arg(path, sqlite::errorText(ext, msg, sys)));
    }
    sqlite3_extended_result_codes(db, 1);
    QStringList statements;
    for (const TableSpec& t : tables)
        statements << createTableStatement(t) << createIndexStatements(t);
    statements << QStringLiteral("PRAGMA user_version = %1").arg(version);
    const QString script = "BEGIN;\n" + statements.join(";\n") + ";\nCOMMIT;";
    char* err = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        const int ext = sqlite3_extended_errcode(db);
        const int sys = sqlite3_system_errno(db);
        sqlite3_free(err);
        sqlite3_close(db);
        QFile::remove(name);
        throw DatabaseError(
            QStringLiteral("No se pudo crear el esquema en «%1»: %2").arg(path, sqlite::errorText(ext, msg, sys)));
    }
    sqlite3_close(db);
}

int Database::schemaVersion()
{
    CachedStatement st = prepare(QStringLiteral("PRAGMA user_version"));
    return st->step() ? int(st->columnInt(0)) : 0;
}

void Database::copyTo(const QString& path)
{
    if (depth_ > 0 || reading_)
        throw DatabaseError(QStringLiteral("No se puede copiar la base de datos en mitad de una transacción"),
                            DatabaseError::Kind::State);
    const QString name = databasePath(path);
    if (QFileInfo::exists(name))
        throw DatabaseError(QStringLiteral("El fichero «%1» ya existe: no se sobrescribe").arg(path));
    // What is committed, the write-ahead log's part included, in one file.
    CachedStatement st = prepare(QStringLiteral("VACUUM INTO ?"));
    st->bind(1, name);
    try {
        st->step();
    } catch (const DatabaseError& e) {
        QFile::remove(name);
        throw DatabaseError(QStringLiteral("No se pudo copiar la base de datos en «%1»: %2").arg(path, e.message()));
    }
}

void Database::setSchemaVersion(int version)
{
    // A pragma takes no bound value: the version is a number the program gives.
    exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

}  // namespace engine
