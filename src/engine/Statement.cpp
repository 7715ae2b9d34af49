#include "engine/Database.h"

#include "engine/SqliteErrors.h"

#include <QDate>

#include <sqlite3.h>

namespace engine {

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
        throw DatabaseError(sqlite::errorText(ext, msg, sys), DatabaseError::Kind::General, {}, msg);
    }
    writes_ = st_ && !sqlite3_stmt_readonly(st_);
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
    if (rc == SQLITE_DONE) {
        if (writes_) {
            changes_ = sqlite3_changes64(db_);
            insertedKey_ = sqlite3_last_insert_rowid(db_);
        }
        return false;
    }
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    const int ext = sqlite3_extended_errcode(db_);
    const int sys = sqlite3_system_errno(db_);
    sqlite3_reset(st_);
    if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw DatabaseError(sqlite::errorText(ext, msg), DatabaseError::Kind::DuplicateKey, {}, msg);
    if (ext == SQLITE_CONSTRAINT_NOTNULL)
        throw DatabaseError(sqlite::errorText(ext, msg), DatabaseError::Kind::RequiredMissing, sqlite::refusedBy(msg).fields.value(0), msg);
    if (ext == SQLITE_CONSTRAINT_CHECK)
        throw DatabaseError(sqlite::errorText(ext, msg), DatabaseError::Kind::BadValue, sqlite::checkedField(msg), msg);
    throw DatabaseError(sqlite::errorText(ext, msg, sys), DatabaseError::Kind::General, {}, msg);
}

void Statement::reset()
{
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

StoredType Statement::storedType(int i) const
{
    switch (sqlite3_column_type(st_, i)) {
    case SQLITE_INTEGER: return StoredType::Integer;
    case SQLITE_FLOAT: return StoredType::Float;
    case SQLITE_TEXT: return StoredType::Text;
    case SQLITE_BLOB: return StoredType::Blob;
    default: return StoredType::Null;
    }
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
    sqlite3* db = connection();
    if (auto it = cache_.find(sql); it != cache_.end() && !it->second.empty()) {
        std::unique_ptr<Statement> st = std::move(it->second.back());
        it->second.pop_back();
        return CachedStatement(*this, sql, std::move(st), openings_);
    }
    return CachedStatement(*this, sql, std::unique_ptr<Statement>(new Statement(db, sql)), openings_);
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
