#pragma once

#include "engine/DatabaseError.h"
#include "engine/Field.h"
#include "engine/Statement.h"
#include "engine/TableInfo.h"
#include "engine/TableSpec.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace engine {

// The name SQLite is given for a database file: always a path (absolute),
// so that no name is read as a URI ("file:...") or as ":memory:". Refuses an
// empty name and ":memory:" itself.
QString databasePath(const QString& path);

// How long a statement waits for another program that holds the file.
constexpr int kBusyWait = 5000;  // milliseconds

// When a transaction takes the database's write lock: at once, so that its
// work never finds the file taken half-way through; or at its first write,
// for work that may write nothing and then leaves the file untouched.
enum class TransactionStart { AtOnce, AtFirstWrite };

// One database: today a SQLite file. What a backend provides is what this
// class and Statement offer: opening and creating the database, prepared
// statements in the common dialect (ANSI double-quoted names, single-quoted
// literals, "?" placeholders) with rows changed and keys given, nestable
// transactions (savepoints) with a listener told of the outermost end, the
// schema read back (tables, fields with NOT NULL, indexes with their order
// and case, CHECK texts), a schema version, change counters that also see
// other programs' commits, and Spanish error sentences. Nothing outside
// src/engine sees SQLite.
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

    // Creates a new database file holding the tables of `tables` and marks
    // it with schema version `version`, all or nothing. Never overwrites:
    // fails when the file exists.
    static void create(const QString& path, const std::vector<TableSpec>& tables, int version);

    // The version of the schema the file says it holds (0: a file made
    // before versions were kept), and setting it, inside the transaction
    // that brings the tables to it.
    int schemaVersion();
    void setSchemaVersion(int version);
    // Writes a whole copy of the database, as committed, to a new file at
    // `path`. Outside of a transaction only.
    void copyTo(const QString& path);

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
    // How long a statement waits for another program that holds the file
    // before it fails as busy (kBusyWait unless told otherwise).
    void setBusyTimeout(int milliseconds);

    // A prepared statement for the text, from the cache when it was prepared
    // before; ready to bind and step.
    CachedStatement prepare(const QString& sql);

    // Nestable transactions (savepoints); engine::Transaction below ends
    // them on every path.
    void startTransaction(TransactionStart start = TransactionStart::AtOnce);
    void commit();
    void rollback();
    bool inTransaction() const { return depth_ > 0; }
    // Told when the outermost transaction ends: committed, or rolled back
    // (what it wrote is gone). Writes outside a transaction are committed
    // when they return and tell nothing.
    using TransactionListener = std::function<void(bool committed)>;
    void setTransactionListener(TransactionListener l) { transactionListener_ = std::move(l); }

    // How many commits other programs have made to the file since it was
    // opened, as far as this connection has seen; looking again here.
    quint64 commitsElsewhere();

    // Schema read from the file itself; fails when the table is missing.
    const TableInfo& tableInfo(const QString& table);
    bool hasTable(const QString& table);

    // SQLite's quick check of one table and its indexes (their pages, and
    // every row against its column types, NOT NULL and CHECK constraints):
    // what it finds, one line each, empty when the table is whole. A page too
    // damaged to walk throws the engine's DatabaseError. Reads only.
    QStringList quickCheck(const QString& table);
    // SQLite's integrity check of the whole file: what it finds, one line
    // each, empty when the file is whole.
    QStringList integrityCheck();
    // The triggers the file holds: name and table of each.
    QList<std::pair<QString, QString>> triggers();
    // What the file holds otherwise than `tables` say, one Spanish sentence
    // each, in their order: a missing table, a missing field or one of
    // another type, a field whose NOT NULL or CHECK constraint is another,
    // a missing index; then every trigger. missingTables counts the tables
    // the file lacks.
    QStringList schemaDifferences(const std::vector<TableSpec>& tables, int* missingTables = nullptr);

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

private:
    // Turns an SQLite failure into a DatabaseError with Spanish words first.
    [[noreturn]] void fail(const QString& what, int rc) const;
    sqlite3* connection() const;
    friend class CachedStatement;
    void giveBack(const QString& sql, std::unique_ptr<Statement> st, quint64 generation);
    // Counts writes made by statements the change counters were not told of.
    void noteUntrackedWrites() const;
    void checkDataVersion() const;
    void startWriteAheadLog();
    void endWriteAheadLog();
    void transactionEnded(bool committed);
    void endReadScope();

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
    TransactionListener transactionListener_;
    mutable quint64 commitsElsewhere_ = 0;
};

// A transaction for one piece of work: begun when made, committed by
// commit(), rolled back when it is left any other way (an exception, an
// early return), so that a failure part-way stores nothing.
class Transaction {
public:
    explicit Transaction(Database& db, TransactionStart start = TransactionStart::AtOnce);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

}  // namespace engine
