#include "data/Schema.h"
#include "engine/Database.h"
#include "support/Fixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// What the file itself holds, read through SQLite alone.
TEST(SchemaTest, FileHoldsTablesFieldsAndIndexes)
{
    TempDatabase file;
    engine::Database db;
    db.open(file.path());
    ASSERT_EQ(schema::tables().size(), 10u);
    for (const schema::TableSpec& t : schema::tables()) {
        const engine::TableInfo& info = db.tableInfo(t.name);
        EXPECT_EQ(info.name, t.name);
        ASSERT_EQ(info.fields.size(), t.fields.size()) << t.name.toStdString();
        for (size_t i = 0; i < t.fields.size(); ++i) {
            EXPECT_EQ(info.fields[i].name, t.fields[i].name);
            EXPECT_EQ(info.fields[i].type, t.fields[i].type) << t.fields[i].name.toStdString();
            EXPECT_EQ(info.fields[i].required, t.fields[i].required) << t.fields[i].name.toStdString();
            if (t.fields[i].type == engine::FieldType::String) {
                EXPECT_EQ(info.fields[i].size, t.fields[i].size);
            }
        }
        ASSERT_EQ(info.indexes.size(), t.indexes.size()) << t.name.toStdString();
        for (size_t i = 0; i < t.indexes.size(); ++i) {
            const auto& want = t.indexes[i];
            const auto& got = info.indexes[i];
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.primary, bool(want.options & schema::ixPrimary)) << want.name.toStdString();
            ASSERT_EQ(got.parts.size(), size_t(want.fields.size()));
            for (size_t k = 0; k < got.parts.size(); ++k) {
                EXPECT_EQ(got.parts[k].field, want.fields[int(k)]);
                EXPECT_EQ(got.parts[k].descending, bool(want.options & schema::ixDescending));
                EXPECT_EQ(got.parts[k].caseInsensitive, bool(want.options & schema::ixCaseInsensitive));
            }
        }
    }
    EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'CUPOS.IndexName'"), 1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%TARSELA%'"), 0);  // no custom collation stored
}

// The file refuses by itself what the program would refuse.
TEST(SchemaTest, FileRefusesWhatTheProgramRefuses)
{
    TempDatabase file;
    struct Case { const char* sql; bool accepted; };
    const Case cases[] = {
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('ABCDEF', 'T', 'E')", true},
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('ABCDEFG', 'T', 'E')", false},   // code too long
        {"INSERT INTO COMPETIC (Codigo, Tipo) VALUES ('X', 'E')", false},                      // missing Titulo
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('', 'T', 'E')", false},          // empty code
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo, EjemplaresCupo) VALUES ('S', 'T', 'E', 32768)", false},
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo, EjemplaresCupo) VALUES ('S', 'T', 'E', -32768)", true},
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\") VALUES ('P', 'T', 'E', 2147483648)", false},
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\") VALUES ('Q', 'T', 'E', 'mucho')", false},
        {"INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('ABCDEF', 'T', 'E')", false},    // duplicate key
        {"INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A', 1, '2026-02-30')", false},
        {"INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A', 1, '2026-13-45')", false},  // no date() reads
        {"INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A', 1, '13/06/2026')", false},
        {"INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A', 1, '2026-06-13')", true},
        {"INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua) VALUES ('A', 1, 2)", false},
        {"INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua) VALUES ('A', 1, 1)", true},
        {"INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\") VALUES ('A', 1, 1, 1)", false},  // Peso
        {"INSERT INTO CLASIFIC (TotalPuntos) VALUES (9223372036854775807)", true},
        {"INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Motivo) VALUES ('A', 1, 2, 1.5, 'Pieza fuera de medida')",
         true},
        // A penalty is a team's of a day: its key whole, and once.
        {"INSERT INTO PENAL (Puntos, Motivo) VALUES (1.5, 'Pieza fuera de medida')", false},
        {"INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos) VALUES ('A', 1, 2, 3)", false},
    };
    for (const Case& c : cases) {
        bool ok = true;
        try {
            file.exec(c.sql);
        } catch (const std::runtime_error&) {
            ok = false;
        }
        EXPECT_EQ(ok, c.accepted) << c.sql;
    }
    // ESPECIES codes are assigned, increasing.
    file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Sargo')");
    EXPECT_EQ(file.scalar("SELECT max(Codigo) FROM ESPECIES"), 2);
}

// The CHECK constraints of a table's text, by the field that declares them;
// blanks and comments do not count.
TEST(SchemaTest, CheckConstraintsAreReadFromTheTablesText)
{
    using C = engine::CheckConstraint;
    const auto checks = engine::checkConstraints(
        "CREATE TABLE \"T (x)\" (\n  \"a,b\" VARCHAR(6) NOT NULL CONSTRAINT \"a,b\" CHECK (length(\"a,b\") < 7),\n"
        "  [c] INTEGER DEFAULT (1) CHECK (c IN (0, 1)) -- a comment, with (\n"
        "  , `d` TEXT CONSTRAINT k NOT NULL CHECK(d <> ')'),\n"
        "  CONSTRAINT tabla CHECK (c /* or not */ > 0), PRIMARY KEY (c)\n)");
    EXPECT_EQ(checks, (std::vector<C>{{"a,b", "CONSTRAINT \"a,b\" CHECK ( length ( \"a,b\" ) < 7 )"},
                                       {"c", "CHECK ( c IN ( 0 , 1 ) )"},
                                       {"d", "CHECK ( d < > ')' )"},
                                       {"", "CONSTRAINT tabla CHECK ( c > 0 )"}}));
    EXPECT_TRUE(engine::checkConstraints("CREATE TABLE x (a, b)").empty());

    // A file whose tables differ from the schema's text in blanks and
    // comments only is the schema.
    TempDatabase file;
    file.exec("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(replace(sql, ' CHECK (', "
              "'  CHECK  /* comprobado */ ('), ' AND ', char(10) || '  AND ') WHERE type = 'table'");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%comprobado%'"), 10);
    // And one made before the date check compared with IS.
    file.exec("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, '''+0 days'') IS', "
              "'''+0 days'') =') WHERE type = 'table'");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%+0 days'') = %'"), 3);
    engine::Database db;
    db.open(file.path());
    EXPECT_EQ(schema::faltasEsquema(db), QStringList());
}

TEST(SchemaTest, CreateNeverOverwrites)
{
    TempDatabase file;
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A', 'T', 'E')");
    EXPECT_THROW(schema::createDatabase(file.path()), engine::DatabaseError);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC"), 1);
}

}  // namespace
