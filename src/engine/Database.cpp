#include "engine/Database.h"

#include "engine/Collation.h"
#include "engine/SqliteErrors.h"

#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace engine {

// ---------------------------------------------------------------- Database

QString databasePath(const QString& path)
{
    if (path.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("Falta el nombre del fichero de la base de datos"), DatabaseError::Kind::FileMissing);
    if (path == QLatin1String(":memory:"))
        throw DatabaseError(QStringLiteral("«:memory:» no es un nombre de fichero válido"), DatabaseError::Kind::FileMissing);
    return QFileInfo(path).absoluteFilePath();
}

Database::~Database() { close(); }

void Database::open(const QString& path)
{
    close();
    if (!QFileInfo(path).isFile())
        throw DatabaseError(QStringLiteral("No se encuentra el fichero de base de datos «%1»").arg(path),
                            DatabaseError::Kind::FileMissing);
    const QString nombre = databasePath(path);
    sqlite3* db = nullptr;
    // The program has one thread: the connection needs no mutex of its own,
    // which every call into the engine would otherwise take and release.
    const int rc = sqlite3_open_v2(nombre.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int ext = db ? sqlite3_extended_errcode(db) : rc;
        const int sys = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("No se puede abrir la base de datos «%1»: %2").arg(path, sqlite::errorText(ext, msg, sys)),
                            DatabaseError::Kind::FileMissing, {}, msg);
    }
    db_ = db;
    path_ = path;
    knownChanges_ = 0;
    dataVersion_ = -1;
    touchAll();
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyWait);
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

void Database::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(connection(), milliseconds); }

sqlite3* Database::connection() const
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
    throw DatabaseError(QStringLiteral("%1: %2").arg(what, sqlite::errorText(ext, msg, sys)), DatabaseError::Kind::General, {}, msg);
}

void Database::exec(const QString& sql)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(connection(), sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        throw DatabaseError(sqlite::errorText(sqlite3_extended_errcode(db_), msg, sqlite3_system_errno(db_)),
                            DatabaseError::Kind::General, {}, msg);
    }
    if (!sql.startsWith("SAVEPOINT") && !sql.startsWith("RELEASE") && !sql.startsWith("PRAGMA") && !sql.startsWith("BEGIN")
        && sql != QLatin1String("COMMIT"))
        touchAll();
}

void Database::startTransaction(TransactionStart start)
{
    // The outermost level takes the write lock at once (waiting for it as
    // long as kBusyWait), so that a save never finds the file taken
    // half-way through; inner levels are savepoints. An open read scope
    // ends first. A transaction that may well write nothing takes the lock
    // at its first write instead, and leaves the file untouched otherwise.
    if (depth_ == 0) {
        if (start == TransactionStart::AtOnce)
            beforeWrite();
        else
            endReadScope();
    }
    exec(depth_ > 0 ? QStringLiteral("SAVEPOINT tarsela_%1").arg(depth_ + 1)
         : start == TransactionStart::AtOnce ? QStringLiteral("BEGIN IMMEDIATE")
                                             : QStringLiteral("BEGIN"));
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
    if (depth_ == 0)
        transactionEnded(true);
}

void Database::transactionEnded(bool committed)
{
    if (transactionListener_)
        transactionListener_(committed);
}

void Database::rollback()
{
    if (depth_ == 0)
        throw DatabaseError(QStringLiteral("No hay ninguna transacción en curso"), DatabaseError::Kind::State);
    const int d = depth_;
    depth_ = d - 1;
    touchAll();
    if (d == 1) {
        // Told first: the rollback below may fail, the transaction is over all the same.
        transactionEnded(false);
        // SQLite may have ended the transaction itself (a full disk, an I/O error).
        if (!sqlite3_get_autocommit(db_))
            exec(QStringLiteral("ROLLBACK"));
        return;
    }
    exec(QStringLiteral("ROLLBACK TO tarsela_%1").arg(d));
    exec(QStringLiteral("RELEASE tarsela_%1").arg(d));
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
        dataVersionSt_ = std::unique_ptr<Statement>(new Statement(db_, "PRAGMA data_version"));
    if (dataVersionSt_->step()) {
        const qint64 dv = dataVersionSt_->column(0).toLongLong();
        if (dv != dataVersion_) {
            if (dataVersion_ >= 0)
                ++commitsElsewhere_;
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

quint64 Database::commitsElsewhere()
{
    // Not while this connection writes: no other program can commit then.
    if (db_ && depth_ == 0)
        checkDataVersion();
    return commitsElsewhere_;
}

Transaction::Transaction(Database& db, TransactionStart start) : db_(db) { db_.startTransaction(start); }

Transaction::~Transaction()
{
    if (open_) {
        try {
            db_.rollback();
        } catch (const DatabaseError&) {
            // The work's own failure is what the caller reports; the
            // transaction ends with the connection at the latest.
        }
    }
}

void Transaction::commit()
{
    if (!open_)
        throw DatabaseError(QStringLiteral("La transacción ya ha terminado"), DatabaseError::Kind::State);
    db_.commit();
    open_ = false;
}

void Database::endReadScope()
{
    if (reading_) {
        reading_ = false;
        if (db_ && !sqlite3_get_autocommit(db_))
            exec(QStringLiteral("COMMIT"));
    }
}

void Database::beforeWrite()
{
    endReadScope();
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
    sqlite3_busy_timeout(db_, kBusyWait);
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

}  // namespace engine
