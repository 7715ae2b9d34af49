#pragma once

#include "engine/DatabaseError.h"
#include "engine/Field.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

struct IndexPart {
    QString field;
    bool descending = false;
    bool caseInsensitive = false;
};

struct IndexInfo {
    QString name;          // as the program names it: "idxPrimaryKey"
    std::vector<IndexPart> parts;
    bool unique = false;
    bool primary = false;
};

// A CHECK constraint of a CREATE TABLE text: the column whose definition
// holds it ("" for one of the table's own), and its text from CONSTRAINT (or
// CHECK) to its closing parenthesis, in tokens between single blanks, so
// that two texts that differ only in blanks and comments compare equal.
struct CheckConstraint {
    QString column;
    QString text;
    bool operator==(const CheckConstraint&) const = default;
};
std::vector<CheckConstraint> checkConstraints(const QString& createTableSql);

struct TableInfo {
    QString name;
    QString sql;  // the CREATE TABLE text the file keeps
    std::vector<FieldDef> fields;
    std::vector<IndexInfo> indexes;
    const IndexInfo* primary() const;
    const IndexInfo* index(const QString& name) const;           // case-insensitive name
    const IndexInfo* indexForFields(const QStringList& fields) const;  // leading fields
    int fieldIndex(const QString& name) const;
};

// Quotes an identifier for SQLite: "name", inner quotes doubled.
QString quoteIdent(const QString& name);

// What an SQLite failure means, as a plain Spanish sentence a user can act
// on: extendedCode is SQLite's extended result code, sqliteText its own
// words (used for the missing table or column they name), systemErrno the
// system's error number behind a failed disk operation
// (sqlite3_system_errno), which tells a full disk from other disk errors.
QString causaSqlite(int extendedCode, const QString& sqliteText = {}, int systemErrno = 0);

// The name SQLite is given for a database file: always a path (absolute),
// so that no name is read as a URI ("file:...") or as ":memory:". Refuses an
// empty name and ":memory:" itself.
QString nombreFichero(const QString& path);

// How long a statement waits for another program that holds the file.
constexpr int kEsperaOcupada = 5000;  // milliseconds

// A prepared statement; finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
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
    sqlite3_stmt* handle() const { return st_; }

private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    QString sql_;
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

// One SQLite database file.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file; fails when it is missing or is not a database.
    void open(const QString& path);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const QString& path() const { return path_; }
    void flush();  // every committed write is already on disk; kept for callers

    // For a program that keeps the file open while it writes line after
    // line: from the first write on, commits go to a write-ahead log beside
    // the file (one sync per commit instead of the rollback journal's four,
    // just as durable), and close() folds the log back into the file, so
    // that the file alone is whole again once it is closed. A file another
    // program holds at that first write stays with its journal until a
    // later write finds it free. Off by default.
    void setWriteAheadLog(bool on) { wantWal_ = on; }
    bool writeAheadLogOn() const { return walOn_; }

    void exec(const QString& sql);
    sqlite3* handle() const;

    // A prepared statement for the text, from the cache when it was prepared
    // before; ready to bind and step.
    CachedStatement prepare(const QString& sql);

    // Nestable transactions (savepoints).
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return depth_ > 0; }

    // Schema read from the file itself; fails when the table is missing.
    const TableInfo& tableInfo(const QString& table);
    bool hasTable(const QString& table);

    // SQLite's quick check of one table and its indexes (their pages, and
    // every row against its column types, NOT NULL and CHECK constraints):
    // what it finds, one line each, empty when the table is whole. A page too
    // damaged to walk throws the engine's DatabaseError. Reads only.
    QStringList quickCheck(const QString& table);

    // One piece of work that reads several views (a view with the lookups
    // of its calculated fields, a save with the screen's refill): what
    // another program committed is looked for once, at its start. Nests;
    // a null database is no operation.
    class Operation {
    public:
        explicit Operation(Database* db);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        Database* db_;
    };

    // Many reads under one read lock (opening the file and its tables):
    // one lock taken and let go instead of one per statement, and every read
    // sees the same state of the file. A transaction started inside ends
    // the scope first. Outside of a transaction only; otherwise nothing.
    class ReadScope {
    public:
        explicit ReadScope(Database& db);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        Database& db_;
        bool mine_ = false;
    };

    // Change counters: a dataset reads again when its table changed.
    // version() of one table, generation() of the whole file; both also see
    // what another program committed and what any statement of this
    // connection wrote.
    quint64 version(const QString& table) const;
    quint64 generation() const;
    void touch(const QString& table);
    void touchAll();
    // Called before a dataset writes: a read scope open around it ends, so
    // that the write commits when it returns.
    void beforeWrite();

    // Turns an SQLite failure into a DatabaseError with Spanish words first.
    [[noreturn]] void fail(const QString& what, int rc) const;

private:
    friend class CachedStatement;
    void giveBack(const QString& sql, std::unique_ptr<Statement> st, quint64 generation);
    // Counts writes made by statements the change counters were not told of.
    void noteUntrackedWrites() const;
    void checkDataVersion() const;
    void startWriteAheadLog();
    void endWriteAheadLog();

    sqlite3* db_ = nullptr;
    QString path_;
    int depth_ = 0;
    QHash<QString, std::shared_ptr<TableInfo>> schema_;
    QHash<QString, quint64> versions_;
    mutable quint64 epoch_ = 0;
    quint64 touches_ = 0;
    mutable qint64 dataVersion_ = -1;
    mutable qint64 knownChanges_ = 0;
    int operations_ = 0;
    bool reading_ = false;  // a ReadScope's transaction is open
    mutable bool operationLooked_ = false;
    mutable std::unique_ptr<Statement> dataVersionSt_;
    // Prepared statements by their text; emptied when the file closes.
    std::unordered_map<QString, std::vector<std::unique_ptr<Statement>>> cache_;
    quint64 openings_ = 0;
    bool wantWal_ = false;
    bool walOn_ = false;
};

// Reads a field definition from a declared column type ("VARCHAR(6)", "SMALLINT" ...).
FieldDef fieldDefFromDecl(const QString& name, const QString& decl);
// A value read from SQLite in the form the field type keeps in memory.
QVariant fromStorage(FieldType t, const QVariant& v);
// The declared column type for a field type.
QString declForField(FieldType t, int size);

}  // namespace engine
