#pragma once

#include "engine/DatabaseError.h"
#include "engine/Field.h"

#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

// What a column of the current row holds, as the file stored it.
enum class StoredType { Null, Integer, Float, Text, Blob };

// A prepared statement; finalised when it goes out of scope. Made by the
// database (Database::prepare, from its cache): SQL text in the one dialect
// every backend takes, values bound to "?" placeholders, never pasted in.
class Statement {
public:
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int i, const QVariant& v);  // 1-based; QDate as yyyy-MM-dd, bool as 0/1
    bool step();                          // true while a row is there
    void reset();
    int columnCount() const;
    QString columnName(int i) const;
    QString columnDeclType(int i) const;
    QVariant column(int i) const;          // qint64, double, QString or null
    qint64 columnInt(int i) const;         // a whole number; null is 0
    QString columnText(int i) const;       // as column(i).toString(), without the QVariant
    // The column as a field of type t holds it: fromStorage(t, column(i)),
    // without the passing value where the stored type is the field's own.
    QVariant columnAs(int i, FieldType t) const;
    StoredType storedType(int i) const;
    // After a step that wrote: the rows it inserted, changed or deleted.
    qint64 changes() const { return changes_; }
    // After a step that inserted a row into a table whose key the database
    // numbers itself (an AutoInc field): the number given to it.
    qint64 insertedKey() const { return insertedKey_; }

private:
    friend class Database;
    Statement(sqlite3* db, const QString& sql);

    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    QString sql_;
    bool writes_ = false;
    qint64 changes_ = 0;
    qint64 insertedKey_ = 0;
};

class Database;

// A statement lent by the database's cache of prepared statements: it goes
// back to the cache, reset and with its values cleared, when the lease ends.
// A statement that is lent out is never lent twice; asking again for the same
// text while it is out prepares another one.
class CachedStatement {
public:
    CachedStatement(Database& db, QString sql, std::unique_ptr<Statement> st, quint64 generation);
    CachedStatement(CachedStatement&& o) noexcept = default;
    CachedStatement& operator=(CachedStatement&&) = delete;
    ~CachedStatement();
    Statement* operator->() const { return st_.get(); }
    Statement& operator*() const { return *st_; }

private:
    Database* db_;
    QString sql_;
    std::unique_ptr<Statement> st_;
    quint64 generation_;
};

}  // namespace engine
