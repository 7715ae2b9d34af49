#include "engine/Database.h"

#include "engine/Collation.h"

#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace engine {

QString quoteIdent(const QString& name)
{
    QString s = name;
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

namespace {

// The table and fields of SQLite's "UNIQUE constraint failed: JORNADAS.Cod comp,
// JORNADAS.Numero" (or "NOT NULL constraint failed: COMPETIC.Titulo"). Empty
// when the text names no table.field, as for an index on an expression.
struct Refused {
    QString table;
    QStringList fields;
};

Refused refusedBy(const QString& sqliteText)
{
    Refused r;
    const int colon = sqliteText.indexOf(QStringLiteral(": "));
    if (colon < 0)
        return r;
    for (const QString& part : sqliteText.mid(colon + 2).split(QLatin1Char(','))) {
        const QString item = part.trimmed();
        const int dot = item.indexOf(QLatin1Char('.'));
        if (dot <= 0 || dot == item.size() - 1)
            return {};
        const QString table = item.left(dot);
        if (!r.table.isEmpty() && table != r.table)
            return {};
        r.table = table;
        r.fields << item.mid(dot + 1);
    }
    return r;
}

// The name of the check SQLite refused ("CHECK constraint failed: Peso valido").
QString checkedField(const QString& sqliteText)
{
    const int colon = sqliteText.indexOf(QStringLiteral(": "));
    return colon < 0 ? QString() : sqliteText.mid(colon + 2).trimmed();
}

}  // namespace

QString causaSqlite(int ext, const QString& sqliteText, int systemErrno)
{
    // A write that found no room (the journal, the log or its index growing
    // on a full disk) fails as a disk error of its own kind; the system's
    // error number says why. It is looked at only for disk failures: after
    // any other one it may be an old number.
    const int primary = ext & 0xff;
    if ((primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN) &&
        (systemErrno == ENOSPC || systemErrno == EDQUOT))
        return QStringLiteral("El disco está lleno");
    static const QRegularExpression noColumn(QStringLiteral("no such column: (.+)$"));
    static const QRegularExpression noTable(QStringLiteral("no such table: (?:main\\.)?(.+)$"));
    switch (ext) {
    case SQLITE_READONLY_DIRECTORY:
        return QStringLiteral("La carpeta de la base de datos es de solo lectura: no se puede escribir en ella");
    case SQLITE_CANTOPEN_ISDIR: return QStringLiteral("El nombre de la base de datos es el de una carpeta");
    case SQLITE_IOERR_NOMEM: return QStringLiteral("No hay memoria suficiente");
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: {
        const Refused r = refusedBy(sqliteText);
        if (r.table.isEmpty())
            return QStringLiteral("Ya existe un registro con la misma clave");
        return QStringLiteral("Ya existe un registro con la misma clave en la tabla «%1» (%2)")
            .arg(r.table, r.fields.join(QStringLiteral(", ")));
    }
    case SQLITE_CONSTRAINT_NOTNULL: {
        const Refused r = refusedBy(sqliteText);
        if (r.table.isEmpty())
            return QStringLiteral("Falta un valor obligatorio");
        return QStringLiteral("El campo «%1» de la tabla «%2» debe tener un valor").arg(r.fields.value(0), r.table);
    }
    case SQLITE_CONSTRAINT_CHECK: {
        // The schema names each check after the field it keeps.
        const QString field = checkedField(sqliteText);
        if (field.isEmpty())
            return QStringLiteral("Un valor no cumple una regla de la base de datos");
        return QStringLiteral("El valor del campo «%1» no es válido").arg(field);
    }
    default: break;
    }
    switch (ext & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("La base de datos está en uso por otro programa");
    case SQLITE_READONLY:
        return QStringLiteral("La base de datos es de solo lectura: no se puede escribir en el fichero o en su carpeta");
    case SQLITE_NOTADB: return QStringLiteral("El fichero no es una base de datos");
    case SQLITE_CORRUPT: return QStringLiteral("El fichero de la base de datos está dañado");
    case SQLITE_CANTOPEN:
        return QStringLiteral("No se puede abrir el fichero de la base de datos (o crear su diario en la carpeta)");
    case SQLITE_FULL: return QStringLiteral("El disco está lleno");
    case SQLITE_IOERR: return QStringLiteral("Error de lectura o escritura en el disco");
    case SQLITE_PERM:
    case SQLITE_AUTH: return QStringLiteral("No hay permiso para usar el fichero de la base de datos");
    case SQLITE_NOMEM: return QStringLiteral("No hay memoria suficiente");
    case SQLITE_CONSTRAINT: return QStringLiteral("Los datos no cumplen una regla de la base de datos");
    case SQLITE_TOOBIG: return QStringLiteral("Un valor es demasiado grande para la base de datos");
    default: break;
    }
    if (auto m = noColumn.match(sqliteText); m.hasMatch())
        return QStringLiteral("Falta el campo «%1» en la base de datos: el fichero está dañado").arg(m.captured(1));
    if (auto m = noTable.match(sqliteText); m.hasMatch())
        return QStringLiteral("No existe la tabla «%1» en la base de datos").arg(m.captured(1));
    return QStringLiteral("Error de la base de datos (%1)").arg(sqliteText.isEmpty() ? QString::number(ext) : sqliteText);
}

QString nombreFichero(const QString& path)
{
    if (path.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("Falta el nombre del fichero de la base de datos"), DatabaseError::Kind::FileMissing);
    if (path == QLatin1String(":memory:"))
        throw DatabaseError(QStringLiteral("«:memory:» no es un nombre de fichero válido"), DatabaseError::Kind::FileMissing);
    return QFileInfo(path).absoluteFilePath();
}

// ---------------------------------------------------------------- Statement

Statement::Statement(sqlite3* db, const QString& sql) : db_(db), sql_(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st_, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        const int ext = sqlite3_extended_errcode(db);
        const int sys = sqlite3_system_errno(db);
        sqlite3_finalize(st_);
        st_ = nullptr;
        throw DatabaseError(causaSqlite(ext, msg, sys), DatabaseError::Kind::General, {}, msg);
    }
}

Statement::~Statement() { sqlite3_finalize(st_); }

void Statement::bind(int i, const QVariant& v)
{
    int rc;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(st_, i);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool: rc = sqlite3_bind_int(st_, i, v.toBool() ? 1 : 0); break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(st_, i, v.toLongLong());
            break;
        case QMetaType::ULongLong: rc = sqlite3_bind_int64(st_, i, qint64(v.toULongLong())); break;
        case QMetaType::Double:
        case QMetaType::Float: rc = sqlite3_bind_double(st_, i, v.toDouble()); break;
        case QMetaType::QDate: {
            const QByteArray s = v.toDate().toString("yyyy-MM-dd").toUtf8();
            rc = sqlite3_bind_text(st_, i, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray s = v.toString().toUtf8();
            rc = sqlite3_bind_text(st_, i, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DatabaseError(QStringLiteral("No se pudo preparar un valor de la consulta"), DatabaseError::Kind::General, {},
                            QString::fromUtf8(sqlite3_errmsg(db_)));
}

bool Statement::step()
{
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    const int ext = sqlite3_extended_errcode(db_);
    const int sys = sqlite3_system_errno(db_);
    sqlite3_reset(st_);
    if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw DatabaseError(causaSqlite(ext, msg), DatabaseError::Kind::DuplicateKey, {}, msg);
    if (ext == SQLITE_CONSTRAINT_NOTNULL)
        throw DatabaseError(causaSqlite(ext, msg), DatabaseError::Kind::RequiredMissing, refusedBy(msg).fields.value(0), msg);
    if (ext == SQLITE_CONSTRAINT_CHECK)
        throw DatabaseError(causaSqlite(ext, msg), DatabaseError::Kind::BadValue, checkedField(msg), msg);
    throw DatabaseError(causaSqlite(ext, msg, sys), DatabaseError::Kind::General, {}, msg);
}

void Statement::reset()
{
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

int Statement::columnCount() const { return sqlite3_column_count(st_); }

QString Statement::columnName(int i) const { return QString::fromUtf8(sqlite3_column_name(st_, i)); }

QString Statement::columnDeclType(int i) const
{
    const char* d = sqlite3_column_decltype(st_, i);
    return d ? QString::fromUtf8(d) : QString();
}

QVariant Statement::column(int i) const
{
    switch (sqlite3_column_type(st_, i)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(st_, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st_, i));
    case SQLITE_NULL: return {};
    default: {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(st_, i)));
    }
    }
}

QString Statement::columnText(int i) const
{
    if (sqlite3_column_type(st_, i) != SQLITE_TEXT)
        return column(i).toString();
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    return QString::fromUtf8(t, sqlite3_column_bytes(st_, i));
}

QVariant Statement::columnAs(int i, FieldType t) const
{
    // What a table stores is nearly always of its field's own type: read
    // straight into the value the field holds. Anything else goes the long
    // way, through the stored value and its conversion.
    const int stored = sqlite3_column_type(st_, i);
    if (stored == SQLITE_NULL)
        return {};
    switch (t) {
    case FieldType::String:
        if (stored == SQLITE_TEXT)
            return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)),
                                              sqlite3_column_bytes(st_, i)));
        break;
    case FieldType::Boolean:
        if (stored == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(st_, i) != 0);
        break;
    case FieldType::Float:
        if (stored == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(st_, i));
        break;
    case FieldType::Date:
        break;
    default:  // the whole numbers
        if (stored == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(st_, i)));
        break;
    }
    return fromStorage(t, column(i));
}

qint64 Statement::columnInt(int i) const
{
    // As a field reads it: empty is 0, a real number its whole part, a text
    // its number (0 when it is none).
    switch (sqlite3_column_type(st_, i)) {
    case SQLITE_INTEGER: return sqlite3_column_int64(st_, i);
    case SQLITE_NULL: return 0;
    default: return fromStorage(FieldType::Largeint, column(i)).toLongLong();
    }
}

// ---------------------------------------------------------------- schema

const IndexInfo* TableInfo::primary() const
{
    for (const IndexInfo& i : indexes)
        if (i.primary) return &i;
    return nullptr;
}

const IndexInfo* TableInfo::index(const QString& n) const
{
    for (const IndexInfo& i : indexes)
        if (i.name.compare(n.trimmed(), Qt::CaseInsensitive) == 0) return &i;
    return nullptr;
}

const IndexInfo* TableInfo::indexForFields(const QStringList& fields) const
{
    auto starts = [&](const IndexInfo& ix) {
        if (fields.size() > int(ix.parts.size())) return false;
        for (int k = 0; k < fields.size(); ++k)
            if (ix.parts[size_t(k)].field.compare(fields[k].trimmed(), Qt::CaseInsensitive) != 0) return false;
        return true;
    };
    // The primary index serves first, then the others in the file's order.
    if (const IndexInfo* p = primary(); p && starts(*p))
        return p;
    for (const IndexInfo& i : indexes)
        if (starts(i)) return &i;
    return nullptr;
}

int TableInfo::fieldIndex(const QString& n) const
{
    for (int i = 0; i < int(fields.size()); ++i)
        if (fields[size_t(i)].name.compare(n.trimmed(), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

namespace {

// The tokens of an SQL text: a quoted name or string whole, a run of letters,
// digits, "_" and "$", any other character alone; blanks and comments go.
QStringList sqlTokens(const QString& sql)
{
    QStringList tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto word = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n') ++i;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != u']' && j + 1 < n && sql[j + 1] == close) {  // a doubled quote inside
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            tokens << sql.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (word(c)) {
            qsizetype j = i;
            while (j < n && word(sql[j])) ++j;
            tokens << sql.mid(i, j - i);
            i = j;
        } else {
            tokens << QString(c);
            ++i;
        }
    }
    return tokens;
}

// A name as written in SQL, without its quotes.
QString unquoted(const QString& token)
{
    if (token.size() >= 2) {
        const QChar open = token.front();
        if (open == u'"' || open == u'`')
            return token.mid(1, token.size() - 2).replace(QString(2, open), QString(open));
        if (open == u'[')
            return token.mid(1, token.size() - 2);
    }
    return token;
}

bool is(const QString& token, const char* keyword) { return token.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0; }

}  // namespace

std::vector<CheckConstraint> checkConstraints(const QString& createTableSql)
{
    const QStringList t = sqlTokens(createTableSql);
    std::vector<CheckConstraint> checks;
    qsizetype i = t.indexOf(QStringLiteral("("));
    if (i < 0)
        return checks;
    ++i;
    // One definition after another, up to the parenthesis that ends them.
    while (i < t.size() && t[i] != u')') {
        const bool tableConstraint = is(t[i], "CONSTRAINT") || is(t[i], "CHECK") || is(t[i], "PRIMARY") ||
                                     is(t[i], "UNIQUE") || is(t[i], "FOREIGN");
        const QString column = tableConstraint ? QString() : unquoted(t[i]);
        qsizetype named = -1;  // where "CONSTRAINT name" began
        while (i < t.size() && t[i] != u',' && t[i] != u')') {
            if (is(t[i], "CONSTRAINT")) {
                named = i;
                i += 2;
                continue;
            }
            if (t[i] == u'(') {
                // A parenthesis: a CHECK's expression, a type's size, a default.
                const bool check = i > 0 && is(t[i - 1], "CHECK");
                const qsizetype start = check ? (named >= 0 && named + 3 == i ? named : i - 1) : -1;
                int depth = 0;
                do {
                    if (t[i] == u'(') ++depth;
                    else if (t[i] == u')') --depth;
                    ++i;
                } while (i < t.size() && depth > 0);
                if (check)
                    checks.push_back({column, t.mid(start, i - start).join(u' ')});
                named = -1;
                continue;
            }
            ++i;
        }
        if (i < t.size() && t[i] == u',')
            ++i;
    }
    return checks;
}

namespace {

// n of "VARCHAR(n)", blanks allowed around the parenthesis and the number;
// -1 for any other text.
int varcharSize(QStringView decl)
{
    if (!decl.startsWith(u"VARCHAR"))
        return -1;
    QStringView rest = decl.mid(7).trimmed();
    if (rest.size() < 2 || rest.front() != u'(' || rest.back() != u')')
        return -1;
    rest = rest.mid(1, rest.size() - 2).trimmed();
    if (rest.isEmpty())
        return -1;
    for (QChar c : rest)
        if (!c.isDigit())
            return -1;
    return rest.toInt();
}

}  // namespace

FieldDef fieldDefFromDecl(const QString& name, const QString& declIn)
{
    FieldDef d;
    d.name = name;
    const QString decl = declIn.trimmed().toUpper();
    if (const int size = varcharSize(decl); size >= 0) {
        d.type = FieldType::String;
        d.size = size;
    } else if (decl == "SMALLINT") {
        d.type = FieldType::Smallint;
    } else if (decl == "INTEGER" || decl == "INT") {
        d.type = FieldType::Integer;
    } else if (decl == "BIGINT") {
        d.type = FieldType::Largeint;
    } else if (decl == "DATE") {
        d.type = FieldType::Date;
    } else if (decl == "BOOLEAN") {
        d.type = FieldType::Boolean;
    } else if (decl == "DOUBLE" || decl == "REAL" || decl == "FLOAT") {
        d.type = FieldType::Float;
    } else {
        d.type = FieldType::String;
    }
    return d;
}

QString declForField(FieldType t, int size)
{
    switch (t) {
    case FieldType::String: return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldType::Smallint: return "SMALLINT";
    case FieldType::Integer: return "INTEGER";
    case FieldType::AutoInc: return "INTEGER";
    case FieldType::Largeint: return "BIGINT";
    case FieldType::Date: return "DATE";
    case FieldType::Boolean: return "BOOLEAN";
    case FieldType::Float: return "DOUBLE";
    }
    return {};
}

// ---------------------------------------------------------------- Database

Database::~Database() { close(); }

void Database::open(const QString& path)
{
    close();
    if (!QFileInfo(path).isFile())
        throw DatabaseError(QStringLiteral("No se encuentra el fichero de base de datos «%1»").arg(path),
                            DatabaseError::Kind::FileMissing);
    const QString nombre = nombreFichero(path);
    sqlite3* db = nullptr;
    // The program has one thread: the connection needs no mutex of its own,
    // which every call into the engine would otherwise take and release.
    const int rc = sqlite3_open_v2(nombre.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int ext = db ? sqlite3_extended_errcode(db) : rc;
        const int sys = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("No se puede abrir la base de datos «%1»: %2").arg(path, causaSqlite(ext, msg, sys)),
                            DatabaseError::Kind::FileMissing, {}, msg);
    }
    db_ = db;
    path_ = path;
    knownChanges_ = 0;
    touchAll();
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kEsperaOcupada);
    try {
        // Reading the schema tells a database from any other file.
        exec("PRAGMA synchronous = FULL");
        Statement probe(db_, "SELECT count(*) FROM sqlite_master");
        probe.step();
    } catch (const DatabaseError& e) {
        // Only a file SQLite does not take for a database is called none; a
        // database that cannot be read here (a full disk where its log needs
        // room, a file another program holds) is said to be so.
        const int primary = sqlite3_extended_errcode(db_) & 0xff;
        sqlite3_close(db_);
        db_ = nullptr;
        const QString text = primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT
                                 ? QStringLiteral("El fichero «%1» no es una base de datos válida: %2")
                                 : QStringLiteral("No se puede abrir la base de datos «%1»: %2");
        throw DatabaseError(text.arg(path, e.message()), DatabaseError::Kind::FileMissing, {}, e.sqliteText());
    }
    registerTextFunctions(db_);
}

void Database::close()
{
    if (!db_)
        return;
    while (depth_ > 0) {
        // Closing the connection discards an unfinished transaction anyway.
        try { rollback(); } catch (const DatabaseError&) { depth_ = 0; }
    }
    dataVersionSt_.reset();
    cache_.clear();
    if (reading_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);  // reads only
    reading_ = false;
    endWriteAheadLog();

    ++openings_;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    schema_.clear();
    touchAll();
}

void Database::flush()
{
    // Writes are committed with synchronous FULL; nothing is held back.
}

sqlite3* Database::handle() const
{
    if (!db_)
        throw DatabaseError(QStringLiteral("La base de datos no está abierta"), DatabaseError::Kind::FileMissing);
    return db_;
}

void Database::fail(const QString& what, int rc) const
{
    const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int ext = db_ ? sqlite3_extended_errcode(db_) : rc;
    const int sys = db_ ? sqlite3_system_errno(db_) : 0;
    throw DatabaseError(QStringLiteral("%1: %2").arg(what, causaSqlite(ext, msg, sys)), DatabaseError::Kind::General, {}, msg);
}

void Database::exec(const QString& sql)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        throw DatabaseError(causaSqlite(sqlite3_extended_errcode(db_), msg, sqlite3_system_errno(db_)),
                            DatabaseError::Kind::General, {}, msg);
    }
    if (!sql.startsWith("SAVEPOINT") && !sql.startsWith("RELEASE") && !sql.startsWith("PRAGMA") && !sql.startsWith("BEGIN")
        && sql != QLatin1String("COMMIT"))
        touchAll();
}

void Database::startTransaction()
{
    // The outermost level takes the write lock at once (waiting for it as
    // long as kEsperaOcupada), so that a save never finds the file taken
    // half-way through; inner levels are savepoints. An open read scope
    // ends first.
    if (depth_ == 0)
        beforeWrite();
    exec(depth_ == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT tarsela_%1").arg(depth_ + 1));
    if (depth_ == 0) {
        // What another program committed before the lock was taken.
        noteUntrackedWrites();
        checkDataVersion();
    }
    ++depth_;
}

void Database::commit()
{
    if (depth_ == 0)
        throw DatabaseError(QStringLiteral("No hay ninguna transacción en curso"), DatabaseError::Kind::State);
    // A failed commit leaves the transaction open, for the caller's rollback.
    exec(depth_ == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE tarsela_%1").arg(depth_));
    --depth_;
}

void Database::rollback()
{
    if (depth_ == 0)
        throw DatabaseError(QStringLiteral("No hay ninguna transacción en curso"), DatabaseError::Kind::State);
    const int d = depth_;
    depth_ = d - 1;
    touchAll();
    if (d == 1) {
        // SQLite may have ended the transaction itself (a full disk, an I/O error).
        if (!sqlite3_get_autocommit(db_))
            exec(QStringLiteral("ROLLBACK"));
        return;
    }
    exec(QStringLiteral("ROLLBACK TO tarsela_%1").arg(d));
    exec(QStringLiteral("RELEASE tarsela_%1").arg(d));
}

bool Database::hasTable(const QString& table)
{
    // Prepared once: opening a file asks it of every table.
    CachedStatement st = prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    st->bind(1, table);
    return st->step();
}

QStringList Database::quickCheck(const QString& table)
{
    Statement st(handle(), QStringLiteral("PRAGMA quick_check(%1)").arg(quoteIdent(table)));
    QStringList found;
    while (st.step()) {
        const QString line = st.columnText(0);
        if (line != QLatin1String("ok"))
            found << line;
    }
    return found;
}

const TableInfo& Database::tableInfo(const QString& table)
{
    const QString key = table.toUpper();
    if (auto it = schema_.find(key); it != schema_.end())
        return **it;
    sqlite3* db = handle();
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

QVariant fromStorage(FieldType t, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (t) {
    case FieldType::Date: {
        const QDate d = QDate::fromString(v.toString(), "yyyy-MM-dd");
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Boolean: return QVariant(v.toLongLong() != 0);
    case FieldType::Float: return QVariant(v.toDouble());
    case FieldType::String: return v.typeId() == QMetaType::QString ? v : QVariant(v.toString());
    default:
        if (v.typeId() == QMetaType::Double) {
            // A real number written by another tool: whole part, within 64 bits.
            const double d = v.toDouble();
            if (!(d == d)) return {};
            if (d >= 9.2233720368547758e18) return QVariant(std::numeric_limits<qint64>::max());
            if (d <= -9.2233720368547758e18) return QVariant(std::numeric_limits<qint64>::min());
            return QVariant(qint64(d));
        }
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const qint64 n = v.toString().toLongLong(&ok);
            return ok ? QVariant(n) : QVariant();
        }
        return v;
    }
}

void Database::noteUntrackedWrites() const
{
    const qint64 tc = sqlite3_total_changes64(db_);
    if (tc != knownChanges_) {
        knownChanges_ = tc;
        ++epoch_;
    }
}

quint64 Database::version(const QString& table) const
{
    const quint64 g = generation();
    return g - touches_ + versions_.value(table.toUpper(), 0);
}

quint64 Database::generation() const
{
    if (db_) {
        noteUntrackedWrites();
        // Another program may have committed meanwhile; not while this
        // connection holds the write lock, which keeps every other writer out
        // (startTransaction looks once when it takes it).
        if (depth_ == 0 && !(operations_ > 0 && operationLooked_)) {
            checkDataVersion();
            operationLooked_ = operations_ > 0;
        }
    }
    return epoch_ + touches_;
}

Database::ReadScope::ReadScope(Database& db) : db_(db)
{
    if (!db_.db_ || db_.depth_ > 0 || db_.reading_ || !sqlite3_get_autocommit(db_.db_))
        return;
    db_.exec(QStringLiteral("BEGIN"));
    db_.reading_ = mine_ = true;
}

Database::ReadScope::~ReadScope()
{
    if (!mine_ || !db_.reading_ || !db_.db_)
        return;
    db_.reading_ = false;
    // Only reads were made: ending them cannot lose anything.
    if (!sqlite3_get_autocommit(db_.db_))
        sqlite3_exec(db_.db_, "COMMIT", nullptr, nullptr, nullptr);
}

Database::Operation::Operation(Database* db) : db_(db)
{
    if (db_)
        ++db_->operations_;
}

Database::Operation::~Operation()
{
    if (db_ && --db_->operations_ == 0)
        db_->operationLooked_ = false;
}

void Database::checkDataVersion() const
{
    if (!dataVersionSt_)
        dataVersionSt_ = std::make_unique<Statement>(db_, "PRAGMA data_version");
    if (dataVersionSt_->step()) {
        const qint64 dv = dataVersionSt_->column(0).toLongLong();
        if (dv != dataVersion_) {
            dataVersion_ = dv;
            ++epoch_;
        }
    }
    dataVersionSt_->reset();
}

void Database::touch(const QString& table)
{
    // The write just made is the table's; anything else written since the
    // last look, by statements nobody reported, makes every view stale.
    if (db_) {
        const qint64 tc = sqlite3_total_changes64(db_);
        if (tc - knownChanges_ != sqlite3_changes64(db_))
            ++epoch_;
        knownChanges_ = tc;
    }
    ++versions_[table.toUpper()];
    ++touches_;
}

void Database::touchAll() { ++epoch_; }

void Database::beforeWrite()
{
    if (reading_) {
        reading_ = false;
        if (db_ && !sqlite3_get_autocommit(db_))
            exec(QStringLiteral("COMMIT"));
    }
    if (wantWal_ && !walOn_)
        startWriteAheadLog();
}

namespace {

// The journal mode SQLite reports after asking for `sql`; empty when it
// could not change it (the file held by another program, a statement
// still reading).
QByteArray journalMode(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    QByteArray mode;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        mode = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
    sqlite3_finalize(st);
    return mode;
}

}  // namespace

void Database::startWriteAheadLog()
{
    // Only between transactions; and it never waits: with the file held
    // elsewhere this write goes through the journal and a later one tries again.
    if (!db_ || depth_ > 0 || !sqlite3_get_autocommit(db_))
        return;
    sqlite3_busy_timeout(db_, 0);
    walOn_ = journalMode(db_, "PRAGMA journal_mode = WAL") == "wal";
    sqlite3_busy_timeout(db_, kEsperaOcupada);
}

void Database::endWriteAheadLog()
{
    if (!walOn_)
        return;
    walOn_ = false;
    // Everything logged goes into the file and the log is removed. Should
    // another program hold the file now, the last connection to close it
    // folds the log in all the same.
    journalMode(db_, "PRAGMA journal_mode = DELETE");
}

// ---------------------------------------------------------------- statement cache

CachedStatement::CachedStatement(Database& db, QString sql, std::unique_ptr<Statement> st, quint64 generation)
    : db_(&db), sql_(std::move(sql)), st_(std::move(st)), generation_(generation)
{
}

CachedStatement::~CachedStatement()
{
    if (st_)
        db_->giveBack(sql_, std::move(st_), generation_);
}

CachedStatement Database::prepare(const QString& sql)
{
    sqlite3* db = handle();
    if (auto it = cache_.find(sql); it != cache_.end() && !it->second.empty()) {
        std::unique_ptr<Statement> st = std::move(it->second.back());
        it->second.pop_back();
        return CachedStatement(*this, sql, std::move(st), openings_);
    }
    return CachedStatement(*this, sql, std::make_unique<Statement>(db, sql), openings_);
}

void Database::giveBack(const QString& sql, std::unique_ptr<Statement> st, quint64 generation)
{
    // A statement of a connection since closed is simply finalised.
    if (!db_ || generation != openings_)
        return;
    st->reset();
    auto& spare = cache_[sql];
    if (spare.size() < 4)
        spare.push_back(std::move(st));
}

}  // namespace engine
