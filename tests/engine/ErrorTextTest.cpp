// SQLite's failures in Spanish: what each result code says, and the cause
// that reaches a user through the engine.
#include "engine/Database.h"
#include "engine/SqliteErrors.h"
#include "support/Fixture.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

TEST(ErrorTextTest, EveryResultCodeHasASpanishCause)
{
    const struct {
        int code;
        const char* sqlite;
        const char* cause;
    } cases[] = {
        {SQLITE_BUSY, "database is locked", "La base de datos está en uso por otro programa"},
        {SQLITE_LOCKED_SHAREDCACHE, "database table is locked", "La base de datos está en uso por otro programa"},
        {SQLITE_READONLY, "attempt to write a readonly database", "La base de datos es de solo lectura"},
        {SQLITE_READONLY_DIRECTORY, "attempt to write a readonly database", "La carpeta de la base de datos es de solo lectura"},
        {SQLITE_NOTADB, "file is not a database", "El fichero no es una base de datos"},
        {SQLITE_CORRUPT, "database disk image is malformed", "El fichero de la base de datos está dañado"},
        {SQLITE_CANTOPEN, "unable to open database file", "No se puede abrir el fichero de la base de datos"},
        {SQLITE_FULL, "database or disk is full", "El disco está lleno"},
        {SQLITE_IOERR_WRITE, "disk I/O error", "Error de lectura o escritura en el disco"},
        {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: x", "El valor del campo «x» no es válido"},
        {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed", "Un valor no cumple una regla de la base de datos"},
        {SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: index 'ix'", "Ya existe un registro con la misma clave"},
        {SQLITE_CONSTRAINT_FOREIGNKEY, "FOREIGN KEY constraint failed", "Los datos no cumplen una regla de la base de datos"},
        {SQLITE_ERROR, "no such column: Peso valido", "Falta el campo «Peso valido» en la base de datos"},
        {SQLITE_ERROR, "no such table: main.CUPOS", "No existe la tabla «CUPOS» en la base de datos"},
    };
    for (const auto& c : cases) {
        const QString cause = engine::sqlite::errorText(c.code, c.sqlite);
        EXPECT_TRUE(cause.startsWith(QString::fromUtf8(c.cause))) << c.code << ": " << cause.toStdString();
        EXPECT_FALSE(cause.contains(QString::fromUtf8(c.sqlite))) << cause.toStdString();
    }
}

// A row the file's rules refuse: the sentence names the table and the
// field(s) in Spanish, with SQLite's own words kept apart.
TEST(ErrorTextTest, RefusedRowsNameTheirTableAndFields)
{
    TempDatabase file;
    file.exec("INSERT INTO PESCADORES (DNI) VALUES ('11A')");
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('K', 'x', 'E')");
    file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('K', 1)");
    engine::Database db;
    db.open(file.path());
    using Kind = engine::DatabaseError::Kind;
    const struct {
        const char* sql;
        const char* message;
        Kind kind;
        const char* field;
        const char* sqlite;
    } cases[] = {
        {"INSERT INTO PESCADORES (DNI) VALUES ('11A')",
         "Ya existe un registro con la misma clave en la tabla «PESCADORES» (DNI)", Kind::DuplicateKey, "",
         "UNIQUE constraint failed: PESCADORES.DNI"},
        {"INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('K', 1)",
         "Ya existe un registro con la misma clave en la tabla «JORNADAS» (Cod comp, Numero)", Kind::DuplicateKey, "",
         "UNIQUE constraint failed: JORNADAS.Cod comp, JORNADAS.Numero"},
        {"INSERT INTO COMPETIC (Codigo, Tipo) VALUES ('L', 'E')",
         "El campo «Titulo» de la tabla «COMPETIC» debe tener un valor", Kind::RequiredMissing, "Titulo",
         "NOT NULL constraint failed: COMPETIC.Titulo"},
        {"UPDATE JORNADAS SET Fecha = '2024-02-30'", "El valor del campo «Fecha» no es válido", Kind::BadValue, "Fecha",
         "CHECK constraint failed: Fecha"},
        {"INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", Peso, \"Peso valido\")"
         " VALUES ('K', 1, 1, 1, 100, 'mucho')",
         "El valor del campo «Peso valido» no es válido", Kind::BadValue, "Peso valido",
         "CHECK constraint failed: Peso valido"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            engine::CachedStatement st = db.prepare(QString::fromUtf8(c.sql));
            st->step();
            ADD_FAILURE() << "the row was stored";
        } catch (const engine::DatabaseError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_EQ(e.field(), QString::fromUtf8(c.field));
            EXPECT_EQ(e.sqliteText(), QString::fromUtf8(c.sqlite));
        }
    }
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PESCADORES"), 1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE Fecha IS NOT NULL"), 0);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PESCADA"), 0);
}

// Another connection holding the file: the engine's error is the Spanish
// cause, SQLite's words kept apart.
TEST(ErrorTextTest, ALockedFileSaysSoInSpanish)
{
    TempDatabase file;
    engine::Database db;
    db.open(file.path());
    db.setBusyTimeout(0);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        db.startTransaction();
        ADD_FAILURE() << "the write lock was taken";
    } catch (const engine::DatabaseError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("La base de datos está en uso por otro programa"));
        EXPECT_TRUE(e.sqliteText().contains("locked")) << e.sqliteText().toStdString();
    }
    EXPECT_FALSE(db.inTransaction());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    db.startTransaction();
    db.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('K', 'x', 'E')");
    db.commit();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC"), 1);
}

}  // namespace
