#include "engine/DataSource.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Fixture.h"
#include "support/SmallDisk.h"

#include <QFile>
#include <QTemporaryDir>

#include <limits>

#include <sqlite3.h>

#include <gtest/gtest.h>

using engine::Dataset;
using engine::DatabaseError;
using engine::Table;
using Kind = engine::DatabaseError::Kind;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A1', 'Primera', 'E'), ('B2', 'Segunda', 'I'),"
                  " ('C3', 'ángel', 'E'), ('D4', 'Ángel', 'E'), ('E5', 'Beatriz', 'I'), ('F6', 'ñandú', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A1', 1, '2026-06-13'),"
                  " ('A1', 2, '2026-06-14'), ('B2', 1, '2026-07-01')");
        file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES"
                  " ('A1', 1, 1, 500), ('A1', 1, 2, 900), ('A1', 1, 3, 700), ('A1', 2, 1, 100), ('B2', 1, 1, 50)");
        file.exec("INSERT INTO PESCADORES (DNI, Nombre) VALUES ('1', 'NUÑEZ PONS'), ('2', 'Núñez Vidal'),"
                  " ('3', 'Pérez'), ('4', 'nuño'), ('5', 'Sánchez')");
        db.open(file.path());
    }

    QStringList column(Dataset& ds, const QString& field)
    {
        QStringList out;
        for (ds.first(); !ds.eof(); ds.next())
            out << ds.fieldByName(field).asString();
        return out;
    }

    TempDatabase file;
    engine::Database db;
};

// 1. One file, opened by path; errors for a missing file, a non-database and a missing table.
TEST_F(EngineTest, OpenFailures)
{
    engine::Database other;
    struct Case { QString path; const char* what; };
    QFile junk(file.dir() + "/junk.abs");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("esto no es una base de datos, sino un texto cualquiera bastante largo para la cabecera............");
    junk.close();
    for (const Case& c : {Case{file.dir() + "/nada.abs", "missing"}, Case{file.dir() + "/junk.abs", "junk"}}) {
        try {
            other.open(c.path);
            FAIL() << c.what;
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.kind(), Kind::FileMissing) << c.what;
            EXPECT_TRUE(e.message().contains(c.path)) << c.what;
        }
        EXPECT_FALSE(other.isOpen());
    }
    file.exec("DROP TABLE PENAL");
    Table penal(db, "PENAL");
    try {
        penal.open();
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), Kind::TableMissing);
        EXPECT_TRUE(e.message().contains("PENAL"));
    }
    EXPECT_FALSE(penal.active());
}

// 2. Field types, nulls and required fields; values refused with the field's name.
TEST_F(EngineTest, FieldTypesNullsAndRefusals)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    comp.insert();
    comp.fieldByName("Codigo").setAsString("Z9");
    comp.fieldByName("Tipo").setAsString("E");
    try {
        comp.post();
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), Kind::RequiredMissing);
        EXPECT_EQ(e.field(), QString("Titulo"));
    }
    EXPECT_EQ(comp.state(), Dataset::State::Insert);  // still editing after the refusal

    struct Refusal { const char* field; QVariant value; Kind kind; };
    const Refusal refusals[] = {
        {"Codigo", QString("ABCDEFG"), Kind::TooLong},
        {"EjemplaresCupo", qint64(32768), Kind::OutOfRange},
        {"EjemplaresCupo", QString("-32769"), Kind::OutOfRange},
        {"Peso maximo", QString("2147483648"), Kind::OutOfRange},
        {"Peso maximo", QString("12a"), Kind::BadValue},
        {"Peso maximo", QString("99999999999999999999999"), Kind::OutOfRange},
    };
    for (const Refusal& r : refusals) {
        try {
            comp.fieldByName(r.field).setValue(r.value);
            ADD_FAILURE() << r.field << " " << r.value.toString().toStdString();
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.kind(), r.kind) << r.field;
            EXPECT_EQ(e.field(), QString(r.field));
            EXPECT_TRUE(e.message().contains(r.field));
        }
    }
    comp.fieldByName("Titulo").setAsString("Con todo");
    comp.fieldByName("EjemplaresCupo").setAsString("-32768");
    comp.fieldByName("Peso maximo").setAsInteger(2147483647);
    comp.post();
    ASSERT_TRUE(comp.seek(QString("Z9")));
    EXPECT_EQ(comp.fieldByName("EjemplaresCupo").asInteger(), -32768);
    EXPECT_EQ(comp.fieldByName("Peso maximo").asInteger(), 2147483647);
    EXPECT_TRUE(comp.fieldByName("Puntos pieza").isNull());
    EXPECT_EQ(comp.fieldByName("Puntos pieza").asInteger(), 0);  // empty reads as 0

    // Dates, booleans, 64-bit and float values round-trip.
    Table jor(db, "JORNADAS");
    jor.open();
    jor.insert();
    jor.fieldByName("Cod comp").setAsString("Z9");
    jor.fieldByName("Numero").setAsInteger(1);
    jor.fieldByName("Fecha").setAsString("29/02/2028");
    EXPECT_THROW(jor.fieldByName("Fecha").setAsString("30/02/2028"), DatabaseError);
    jor.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE Fecha = '2028-02-29'"), 1);

    Table cla(db, "CLASIFIC");
    cla.open();
    cla.insert();
    cla.fieldByName("TotalPuntos").setAsLargeInt(5000000000LL);
    cla.post();
    EXPECT_EQ(file.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE TotalPuntos > 4000000000"), 5000000000LL);

    Table pen(db, "PENAL");
    pen.open();
    pen.insert();
    pen.fieldByName("Cod_comp").setAsString("A1");
    pen.fieldByName("Jornada").setAsInteger(1);
    pen.fieldByName("Equipo").setAsInteger(1);
    pen.fieldByName("Puntos").setAsFloat(12.5);
    pen.post();
    pen.first();
    EXPECT_DOUBLE_EQ(pen.fieldByName("Puntos").asFloat(), 12.5);

    Table esp(db, "ESPECIAL");
    esp.open();
    esp.insert();
    esp.fieldByName("Cod comp").setAsString("Z9");
    esp.fieldByName("Cod pez").setAsInteger(3);
    esp.fieldByName("Puntua").setAsBoolean(true);
    esp.post();
    esp.first();
    EXPECT_TRUE(esp.fieldByName("Puntua").asBoolean());
    EXPECT_FALSE(esp.fieldByName("BonificaEspecie").asBoolean());
    EXPECT_TRUE(esp.fieldByName("BonificaEspecie").isNull());
}

// A view ordered by an index with texts stands in the order of the program's
// collations, accents and letter case as they sort in Spanish, whatever
// order the file's index keeps: the same rows, in the same order, as SQLite
// sorting them through the collation. Empty values among them too.
// A String field's size counts characters as a person does, as SQLite's
// length() in the schema's checks does: a fish emoji is one, not two UTF-16
// units.
TEST_F(EngineTest, TextSizesCountCharactersNotUtf16Units)
{
    const QString pez = QString::fromUtf8("🐟");
    ASSERT_EQ(pez.size(), 2);
    EXPECT_EQ(engine::characterCount(pez.repeated(20)), 20);
    EXPECT_EQ(engine::characterCount(QString::fromUtf8("Ñandú")), 5);
    EXPECT_EQ(engine::characterCount(QString(pez.front())), 1);  // a lone half counts as one
    EXPECT_EQ(engine::leftCharacters("a" + pez + "b", 2), "a" + pez);
    EXPECT_EQ(engine::leftCharacters(pez + pez, 1), pez);  // never half a pair
    EXPECT_EQ(engine::leftCharacters("abc", 5), QString("abc"));

    Table peces(db, "ESPECIES");
    peces.open();
    peces.insert();
    peces.fieldByName("Nombre").setAsString(pez.repeated(20));  // String 20
    peces.fieldByName("Otros nombres").setAsString(pez.repeated(100));  // String 100
    peces.post();
    engine::CachedStatement st = db.prepare("SELECT length(Nombre), length(\"Otros nombres\") FROM ESPECIES");
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->column(0).toLongLong(), 20);
    EXPECT_EQ(st->column(1).toLongLong(), 100);
    peces.edit();
    try {
        peces.fieldByName("Nombre").setAsString(pez.repeated(21));
        ADD_FAILURE() << "21 characters in a String 20";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), Kind::TooLong);
        EXPECT_TRUE(e.message().contains("como máximo 20 caracteres")) << e.message().toStdString();
    }
    peces.cancel();
}

TEST_F(EngineTest, ViewsOrderedByTextsStandInTheCollationsOrder)
{
    file.exec("INSERT INTO PESCADORES (DNI, Nombre) VALUES ('b1', 'Zoe'), ('B2', 'ángel'), ('a3', 'Ángel'),"
              " ('Á4', 'beatriz'), ('ñ5', 'Beatriz'), ('n6', 'Ñandú'), ('o7', 'nube'), ('10', 'Oscar'), ('9', 'oscar'),"
              " ('Z8', 'Ángel')");
    file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES ('a1', 1, 4, 70),"
              " ('Á1', 1, 5, 70), ('b1', 2, 6, 10), ('B1', 2, 7, 10), ('ñ1', 1, 8, 5), ('n1', 1, 9, 5)");
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI) VALUES ('A1', 2, 'b'), ('A1', 2, 'B'), ('A1', 1, 'á'),"
              " ('A1', 1, 'A'), ('A1', 2, 'ñ'), ('A1', 2, 'o'), ('A1', 2, 'n'), ('B2', 1, 'z')");
    // Each row by its key; rows equal in the order stand by their key.
    auto keys = [](Dataset& ds) {
        QList<QStringList> out;
        for (ds.first(); !ds.eof(); ds.next()) {
            QStringList k;
            for (const QVariant& v : ds.bookmark())
                k << v.toString();
            out << k;
        }
        return out;
    };
    auto sorted = [&](const QString& sql) {
        engine::Query q(db);
        q.setSql({sql});
        q.open();
        QList<QStringList> out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList k;
            for (int i = 0; i < q.fieldCount(); ++i)
                k << q.field(i).asString();
            out << k;
        }
        return out;
    };
    struct Case {
        const char* table;
        const char* index;
        const char* order;
        const char* key;
    } cases[] = {
        {"PESCADORES", "idxPrimaryKey", "DNI COLLATE TARSELA_CASE", "DNI"},
        {"PESCADORES", "iNombre", "Nombre COLLATE TARSELA_CASE", "DNI"},
        {"COMPETIC", "isTitulo", "Titulo COLLATE TARSELA_NOCASE", "Codigo"},
        {"CLASIFIC", "isPuntosEquipo", "Competicion COLLATE TARSELA_NOCASE DESC, Jornada DESC, TotalPuntos DESC",
         "Competicion, Jornada, Equipo"},
        {"PARTICIP", "idxPrimaryKey", "[Cod comp] COLLATE TARSELA_CASE, Equipo, DNI COLLATE TARSELA_CASE",
         "[Cod comp], Equipo, DNI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.index);
        Table t(db, c.table);
        t.setIndexName(c.index);
        t.open();
        const QList<QStringList> expected =
            sorted(QString("SELECT %1 FROM %2 ORDER BY %3, %1").arg(c.key, c.table, c.order));
        ASSERT_GT(expected.size(), 4);
        EXPECT_EQ(keys(t), expected);
    }

    // An empty name among them: the same order, empty first.
    file.exec("INSERT INTO PESCADORES (DNI) VALUES ('sin')");
    Table pesc(db, "PESCADORES");
    pesc.setIndexName("iNombre");
    pesc.open();
    EXPECT_EQ(keys(pesc), sorted("SELECT DNI FROM PESCADORES ORDER BY Nombre COLLATE TARSELA_CASE, DNI"));
    pesc.first();
    EXPECT_TRUE(pesc.fieldByName("Nombre").isNull());

    // A detail following its master: each competition's participants by
    // team, then by DNI in the collation's order.
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    engine::DataSource src(&comp);
    Table part(db, "PARTICIP");
    part.setIndexFieldNames("Cod comp;Equipo;DNI");
    part.setMaster(&src, "Codigo");
    part.open();
    ASSERT_EQ(comp.fieldByName("Codigo").asString(), QString("A1"));
    EXPECT_EQ(column(part, "DNI"), QStringList({"A", "á", "b", "B", "n", "ñ", "o"}));
    EXPECT_EQ(keys(part), sorted("SELECT [Cod comp], Equipo, DNI FROM PARTICIP WHERE [Cod comp] = 'A1'"
                                 " ORDER BY Equipo, DNI COLLATE TARSELA_CASE, [Cod comp], Equipo, DNI"));
    comp.next();
    EXPECT_EQ(column(part, "DNI"), QStringList({"z"}));
}

// A value another tool stored in a type other than its field's reads as
// that field holds it; one of the field's own type reads as it is. (The
// program's own files refuse such values; a file made elsewhere may not.)
TEST(EngineForeignFileTest, ValuesOfAnotherTypeReadAsTheirFields)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("otra.abs");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    const char* sql =
        "CREATE TABLE T (k INTEGER NOT NULL, n INTEGER, m SMALLINT, b BOOLEAN, f DOUBLE, d DATE, s VARCHAR(10));"
        "CREATE UNIQUE INDEX \"T.idxPrimaryKey\" ON T (k);"
        "INSERT INTO T VALUES (1, 12.75, 1e30, 'si', 3, 20260613, 7),"
        " (2, -3.5, '  42', 2, 'x', '2026-02-30', 'Cala'),"
        " (3, 'abc', 5, 0.25, 2.5, '2026-06-13', X'4F6C61');";
    ASSERT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);

    engine::Database db;
    db.open(path);
    Table t(db, "T");
    t.setIndexName("idxPrimaryKey");
    t.open();
    ASSERT_EQ(t.recordCount(), 3);
    auto field = [&](const char* name) -> engine::Field& { return t.fieldByName(name); };

    t.moveTo(0);
    EXPECT_EQ(field("n").asLargeInt(), 12);  // a real number: its whole part
    EXPECT_EQ(field("m").asLargeInt(), std::numeric_limits<qint64>::max());
    EXPECT_FALSE(field("b").asBoolean());    // a text that is no number
    EXPECT_FALSE(field("b").isNull());
    EXPECT_DOUBLE_EQ(field("f").asFloat(), 3.0);
    EXPECT_TRUE(field("d").isNull());        // not a date as the file keeps them
    EXPECT_EQ(field("s").asString(), QString("7"));

    t.moveTo(1);
    EXPECT_EQ(field("n").asLargeInt(), -3);
    EXPECT_EQ(field("m").asLargeInt(), 42);  // a text that is a number
    EXPECT_TRUE(field("b").asBoolean());
    EXPECT_FALSE(field("f").isNull());      // a text that is no number: 0
    EXPECT_EQ(field("f").asFloat(), 0.0);
    EXPECT_TRUE(field("d").isNull());        // no such day
    EXPECT_EQ(field("s").asString(), QString("Cala"));

    t.moveTo(2);
    EXPECT_TRUE(field("n").isNull());
    EXPECT_EQ(field("m").asLargeInt(), 5);
    EXPECT_FALSE(field("b").asBoolean());
    EXPECT_DOUBLE_EQ(field("f").asFloat(), 2.5);
    EXPECT_EQ(field("d").asString(), QString("13/06/2026"));
    EXPECT_EQ(field("s").asString(), QString("Ola"));
}

// The declared type of a column as the engine reads it from the file.
TEST(FieldDeclTest, VarcharSizesAndOtherTypes)
{
    using engine::FieldType;
    struct Case {
        const char* decl;
        FieldType type;
        int size;
    } cases[] = {{"VARCHAR(20)", FieldType::String, 20},   {"varchar ( 6 )", FieldType::String, 6},
                 {" VARCHAR(100) ", FieldType::String, 100}, {"VARCHAR()", FieldType::String, 0},
                 {"VARCHAR(1x)", FieldType::String, 0},    {"VARCHARS(5)", FieldType::String, 0},
                 {"SMALLINT", FieldType::Smallint, 0},     {"int", FieldType::Integer, 0},
                 {"BIGINT", FieldType::Largeint, 0},       {"DATE", FieldType::Date, 0},
                 {"BOOLEAN", FieldType::Boolean, 0},       {"DOUBLE", FieldType::Float, 0},
                 {"TEXT", FieldType::String, 0}};
    for (const Case& c : cases) {
        const engine::FieldDef d = engine::fieldDefFromDecl("campo", c.decl);
        EXPECT_EQ(d.type, c.type) << c.decl;
        EXPECT_EQ(d.size, c.size) << c.decl;
        EXPECT_EQ(d.name, QString("campo"));
    }
}

// 3. Named indexes: names without regard to case, choice by leading fields, case-insensitive and descending order.
TEST_F(EngineTest, IndexesByNameAndLeadingFields)
{
    Table cla(db, "CLASIFIC");
    cla.setIndexName("IsCompEquipo");
    cla.open();
    EXPECT_EQ(cla.indexName(), QString("isCompEquipo"));
    cla.setIndexName("isPuntosEquipo");  // every field descending
    EXPECT_EQ(column(cla, "TotalPuntos"), (QStringList{"50", "100", "900", "700", "500"}));
    cla.close();

    Table jor(db, "JORNADAS");
    jor.setIndexFieldNames("Cod comp;Numero");
    jor.open();
    EXPECT_EQ(jor.indexName(), QString("idxPrimaryKey"));
    EXPECT_EQ(column(jor, "Numero"), (QStringList{"1", "2", "1"}));
    EXPECT_THROW(jor.setIndexName("noExiste"), DatabaseError);

    Table comp(db, "COMPETIC");
    comp.setIndexName("isTitulo");
    comp.open();
    EXPECT_EQ(column(comp, "Titulo"),
              (QStringList{"ángel", "Ángel", "Beatriz", "ñandú", "Primera", "Segunda"}));
}

// 4. Independent cursors; a change through one is seen by the other when it next reads.
TEST_F(EngineTest, IndependentCursorsSeeEachOthersChanges)
{
    Table a(db, "COMPETIC"), b(db, "COMPETIC");
    a.setIndexName("idxPrimaryKey");
    b.setIndexName("isTitulo");
    a.open();
    b.open();
    a.last();
    EXPECT_EQ(a.fieldByName("Codigo").asString(), QString("F6"));
    EXPECT_EQ(b.fieldByName("Codigo").asString(), QString("C3"));
    ASSERT_TRUE(a.seek(QString("E5")));
    a.edit();
    a.fieldByName("Titulo").setAsString("Abel");
    a.post();
    b.first();
    EXPECT_EQ(b.fieldByName("Titulo").asString(), QString("Abel"));
    EXPECT_EQ(a.fieldByName("Codigo").asString(), QString("E5"));  // a stays on its record
    EXPECT_TRUE(b.locate("Codigo", QString("A1")));
    b.remove();
    EXPECT_FALSE(a.seek(QString("A1")));
    EXPECT_EQ(a.recordCount(), 5);
}

// 5. Master–detail links follow the master.
TEST_F(EngineTest, DetailFollowsMaster)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    engine::DataSource src(&comp);
    Table jor(db, "JORNADAS");
    jor.setIndexFieldNames("Cod comp;Numero");
    jor.setMaster(&src, "Codigo");
    engine::DataSource jsrc(&jor);
    Table cla(db, "CLASIFIC");
    cla.setIndexName("isPuntosEquipo");
    cla.setMaster(&jsrc, "Cod comp;Numero");
    comp.open();
    jor.open();
    cla.open();
    EXPECT_EQ(jor.recordCount(), 2);
    EXPECT_EQ(column(cla, "Equipo"), (QStringList{"2", "3", "1"}));
    jor.next();
    EXPECT_EQ(column(cla, "TotalPuntos"), (QStringList{"100"}));
    comp.next();  // B2
    EXPECT_EQ(jor.recordCount(), 1);
    EXPECT_EQ(column(cla, "TotalPuntos"), (QStringList{"50"}));
    comp.next();  // C3: no days
    EXPECT_TRUE(jor.isEmpty());
    EXPECT_TRUE(cla.isEmpty());
    comp.first();
    EXPECT_EQ(jor.recordCount(), 2);
    EXPECT_EQ(cla.recordCount(), 3);
}

// 6. Navigation, states, bookmarks, record count and number.
TEST_F(EngineTest, NavigationAndBookmarks)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    EXPECT_EQ(comp.state(), Dataset::State::Inactive);
    comp.open();
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(comp.recordCount(), 6);
    EXPECT_EQ(comp.recNo(), 1);
    comp.prior();
    EXPECT_TRUE(comp.bof());
    comp.next();
    comp.next();
    EXPECT_EQ(comp.recNo(), 3);
    const auto mark = comp.bookmark();
    comp.last();
    EXPECT_EQ(comp.recNo(), 6);
    comp.next();
    EXPECT_TRUE(comp.eof());
    EXPECT_TRUE(comp.gotoBookmark(mark));
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("C3"));
    comp.edit();
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    comp.cancel();
    comp.insert();
    EXPECT_EQ(comp.state(), Dataset::State::Insert);
    comp.cancel();
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("C3"));
    comp.close();
    EXPECT_EQ(comp.state(), Dataset::State::Inactive);
}

// 7. Seek with one to three values; locate by a ";" list.
TEST_F(EngineTest, SeekAndLocate)
{
    Table cla(db, "CLASIFIC");
    cla.setIndexName("idxPrimaryKey");
    cla.open();
    struct Case { QVariantList key; bool found; qint64 total; };
    const Case cases[] = {
        {{"A1"}, true, 500},
        {{"A1", 2}, true, 100},      // first two fields of three
        {{"A1", 1, 3}, true, 700},
        {{"A1", 3}, false, 0},
        {{"a1"}, false, 0},          // codes are exact
        {{"B2", 1, 1}, true, 50},
        {{"A1", "x"}, false, 0},     // a value that cannot be a day number
    };
    for (const Case& c : cases) {
        cla.first();
        const auto before = cla.bookmark();
        EXPECT_EQ(cla.seek(c.key), c.found);
        if (c.found)
            EXPECT_EQ(cla.fieldByName("TotalPuntos").asLargeInt(), c.total);
        else
            EXPECT_EQ(cla.bookmark(), before);  // not found: the cursor stays
    }
    EXPECT_THROW(cla.seek(QVariantList{"A1", 1, 1, 1}), DatabaseError);

    Table pen(db, "PENAL");
    pen.open();
    file.exec("INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos) VALUES ('A1', 1, 2, 10), ('A1', 1, 3, 20)");
    EXPECT_TRUE(pen.locate("Cod_comp; jornada; equipo", {"A1", 1, 3}));
    EXPECT_DOUBLE_EQ(pen.fieldByName("Puntos").asFloat(), 20);
    EXPECT_FALSE(pen.locate(" COD_COMP ;Jornada;Equipo", {"A1", 2, 3}));
}

// 8. Ranges on the leading fields, and their cancellation.
TEST_F(EngineTest, Ranges)
{
    Table cla(db, "CLASIFIC");
    cla.setIndexName("isCompEquipo");
    cla.open();
    cla.setRange({"A1", 1}, {"A1", 1});
    EXPECT_EQ(column(cla, "Jornada"), (QStringList{"1", "2"}));
    cla.setRange({"A1"}, {"A1"});
    EXPECT_EQ(cla.recordCount(), 4);
    cla.setRange({"A1", 2}, {"A1", 3});
    EXPECT_EQ(column(cla, "Equipo"), (QStringList{"2", "3"}));
    cla.setRange({"Z"}, {"Z"});
    EXPECT_TRUE(cla.isEmpty());
    cla.cancelRange();
    EXPECT_EQ(cla.recordCount(), 5);
    // The index may change while the cursor is closed.
    cla.close();
    cla.setIndexName("idxPrimaryKey");
    cla.setRange({"A1", 1}, {"A1", 1});
    cla.open();
    EXPECT_EQ(column(cla, "Equipo"), (QStringList{"1", "2", "3"}));
}

// 9. The three filter forms, switched on and off.
TEST_F(EngineTest, Filters)
{
    Table cla(db, "CLASIFIC");
    cla.setIndexName("idxPrimaryKey");
    cla.open();
    cla.setFilter("equipo =1");
    EXPECT_EQ(cla.recordCount(), 5);  // not yet on
    cla.setFiltered(true);
    EXPECT_EQ(cla.recordCount(), 3);
    cla.setFiltered(false);

    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.setFilter("codigo <> 'A1'");
    comp.setFiltered(true);
    comp.open();
    EXPECT_EQ(comp.recordCount(), 5);

    Table pes(db, "PESCADORES");
    pes.setIndexName("iNombre");
    pes.setFiltered(true);
    struct Case { const char* pattern; QStringList names; };
    const Case cases[] = {
        {"%ñu%", {"NUÑEZ PONS", "Núñez Vidal", "nuño"}},
        {"%NUÑ%", {"NUÑEZ PONS", "Núñez Vidal", "nuño"}},
        {"%pérez%", {"Pérez"}},
        {"%%", {"NUÑEZ PONS", "Núñez Vidal", "nuño", "Pérez", "Sánchez"}},
        {"%zz%", {}},
    };
    pes.open();
    for (const Case& c : cases) {
        pes.setFilter(QString("Nombre like '%1'").arg(QString::fromUtf8(c.pattern)));
        QStringList got = column(pes, "Nombre");
        QStringList want = c.names;
        got.sort();
        want.sort();
        EXPECT_EQ(got, want) << c.pattern;
    }
}

// 10. Insert, edit, post, cancel and delete with their hooks; an abort keeps the record.
TEST_F(EngineTest, EditingHooksAndSilentAbort)
{
    Table jor(db, "JORNADAS");
    jor.setIndexFieldNames("Cod comp;Numero");
    QStringList calls;
    jor.onNewRecord = [&](Dataset& ds) { calls << "new"; ds.fieldByName("Cod comp").setAsString("B2"); };
    jor.beforePost = [&](Dataset&) { calls << "beforePost"; };
    jor.afterPost = [&](Dataset&) { calls << "afterPost"; };
    bool keep = true;
    jor.beforeDelete = [&](Dataset&) { calls << "beforeDelete"; if (keep) throw engine::Abort(); };
    jor.afterDelete = [&](Dataset&) { calls << "afterDelete"; };
    jor.open();
    jor.insert();
    jor.fieldByName("Numero").setAsInteger(2);
    jor.post();
    EXPECT_EQ(calls, (QStringList{"new", "beforePost", "afterPost"}));
    EXPECT_EQ(jor.fieldByName("Cod comp").asString(), QString("B2"));  // the posted record is current
    EXPECT_EQ(jor.fieldByName("Numero").asInteger(), 2);

    // A duplicate key is refused and the record stays in insert.
    jor.insert();
    jor.fieldByName("Numero").setAsInteger(2);
    try {
        jor.post();
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), Kind::DuplicateKey);
        EXPECT_FALSE(e.sqliteText().isEmpty());
    }
    EXPECT_EQ(jor.state(), Dataset::State::Insert);
    jor.cancel();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS"), 4);

    calls.clear();
    ASSERT_TRUE(jor.seek(QVariantList{"B2", 2}));
    EXPECT_THROW(jor.remove(), engine::Abort);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 2);
    EXPECT_EQ(jor.fieldByName("Numero").asInteger(), 2);  // still current
    keep = false;
    jor.remove();
    EXPECT_EQ(calls, (QStringList{"beforeDelete", "beforeDelete", "afterDelete"}));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);

    // Edit and cancel leaves the row as it was.
    ASSERT_TRUE(jor.seek(QVariantList{"A1", 1}));
    jor.edit();
    jor.fieldByName("Lugar").setAsString("Cambiado");
    jor.cancel();
    EXPECT_TRUE(jor.fieldByName("Lugar").isNull());
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE Lugar IS NOT NULL"), 0);
}

// 11. Transactions: a rolled-back transaction leaves nothing.
TEST_F(EngineTest, Transactions)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    db.startTransaction();
    comp.insert();
    comp.fieldByName("Codigo").setAsString("T1");
    comp.fieldByName("Titulo").setAsString("Temporal");
    comp.fieldByName("Tipo").setAsString("E");
    comp.post();
    db.startTransaction();  // nested
    ASSERT_TRUE(comp.seek(QString("A1")));
    comp.remove();
    db.rollback();
    EXPECT_TRUE(comp.seek(QString("A1")));  // the inner rollback restored it
    db.rollback();
    EXPECT_FALSE(comp.seek(QString("T1")));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC"), 6);
    db.startTransaction();
    ASSERT_TRUE(comp.seek(QString("B2")));
    comp.remove();
    db.commit();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC"), 5);
    EXPECT_FALSE(db.inTransaction());
}

// A transaction made for one piece of work ends on every path: committed
// when told, rolled back when left by an exception; whoever listens hears
// how the outermost one ended, and only that.
TEST_F(EngineTest, ATransactionEndsOnEveryPathAndSaysHow)
{
    QList<bool> ended;
    db.setTransactionListener([&](bool committed) { ended << committed; });
    auto add = [&](const QString& code) {
        file.exec("SELECT 1");  // another connection, reading only
        db.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('" + code + "', 'T', 'E')");
    };
    {
        engine::Transaction t(db);
        add("T1");
        {
            engine::Transaction inner(db);
            add("T2");
            inner.commit();
        }
        t.commit();
        EXPECT_THROW(t.commit(), DatabaseError);
    }
    EXPECT_EQ(ended, QList<bool>{true});
    try {
        engine::Transaction t(db);
        add("T3");
        {
            engine::Transaction inner(db);
            add("T4");
        }  // left without commit: only the inner work goes
        EXPECT_EQ(db.inTransaction(), true);
        throw std::runtime_error("falla a mitad");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(ended, (QList<bool>{true, false}));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo IN ('T1', 'T2')"), 2);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo IN ('T3', 'T4')"), 0);
}

// Commits of other programs are counted as this connection comes to see
// them; its own writes are not.
TEST_F(EngineTest, CommitsOfOtherProgramsAreCounted)
{
    const quint64 before = db.commitsElsewhere();
    db.exec("UPDATE COMPETIC SET Titulo = 'Propia' WHERE Codigo = 'A1'");
    EXPECT_EQ(db.commitsElsewhere(), before);
    file.exec("UPDATE COMPETIC SET Titulo = 'Ajena' WHERE Codigo = 'B2'");
    EXPECT_EQ(db.commitsElsewhere(), before + 1);
    EXPECT_EQ(db.commitsElsewhere(), before + 1);
    file.exec("UPDATE COMPETIC SET Titulo = 'Otra' WHERE Codigo = 'B2'");
    file.exec("UPDATE COMPETIC SET Titulo = 'Y otra' WHERE Codigo = 'B2'");
    EXPECT_GT(db.commitsElsewhere(), before + 1);
}

// 12 and 13. Queries as lines, re-runnable, read through fields by name.
TEST_F(EngineTest, QueriesAsLines)
{
    engine::Query q(db);
    q.setSql({"Select DISTINCT codigo, titulo from competic", "left join jornadas on (competic.codigo = jornadas.[cod comp])",
              "order by jornadas.fecha desc"});
    q.open();
    ASSERT_GE(q.recordCount(), 2);
    EXPECT_EQ(q.fieldByName("codigo").asString(), QString("B2"));
    EXPECT_TRUE(q.readOnly());
    EXPECT_THROW(q.edit(), DatabaseError);
    q.next();
    EXPECT_EQ(q.fieldByName("CODIGO").asString(), QString("A1"));
    file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('E5', 1, '2027-01-01')");
    q.refresh();
    q.first();
    EXPECT_EQ(q.fieldByName("titulo").asString(), QString("Beatriz"));
    q.close();
    q.sql()[2] = "order by codigo";
    q.open();
    EXPECT_EQ(q.fieldByName("codigo").asString(), QString("A1"));

    // Double-quoted literals are string literals, even where a column has that name.
    engine::Query d(db);
    d.setSql({"select codigo from competic where titulo = \"Primera\" or titulo = \"Titulo\" or titulo = \"it's\""});
    d.open();
    EXPECT_EQ(d.recordCount(), 1);
    EXPECT_EQ(engine::Query::translate("a = \"x'y\" and [b c] = 'd\"e'"), QString("a = 'x''y' and [b c] = 'd\"e'"));

    engine::Query s(db);
    s.setSql({"Select equipo, sum(totalpuntos) total", "from clasific", "where competicion = 'A1'", "group by equipo",
              "order by total desc"});
    s.open();
    EXPECT_EQ(s.fieldByName("equipo").asInteger(), 2);
    EXPECT_EQ(s.fieldByName("total").asLargeInt(), 900);
    EXPECT_EQ(s.fieldByName("total").type(), engine::FieldType::Largeint);
    s.last();
    EXPECT_EQ(s.fieldByName("total").asLargeInt(), 600);
    engine::Query j(db);
    j.setSql({"select fecha, [cod comp] from jornadas where numero = 2"});
    j.open();
    EXPECT_EQ(j.fieldByName("Fecha").asDate(), QDate(2026, 6, 14));
    EXPECT_EQ(j.fieldByName("Fecha").asString(), QString("14/06/2026"));
    EXPECT_EQ(j.fieldByName("cod comp").asString(), QString("A1"));
    EXPECT_THROW(j.fieldByName("nada"), DatabaseError);
}

// A large view is searched by key: the same answers as a short one, exact
// codes, what another program wrote.
TEST_F(EngineTest, SeekInALargeView)
{
    for (int eq = 1; eq <= 80; ++eq)
        file.exec(QString("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES ('Z9', 1, %1, %2)")
                      .arg(eq).arg(eq * 10));
    file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES ('z9', 1, 5, 1)");
    Table cla(db, "CLASIFIC");
    cla.setIndexName("idxPrimaryKey");
    cla.open();
    ASSERT_GT(cla.recordCount(), 80);
    struct Case { QVariantList key; bool found; qint64 total; };
    const Case cases[] = {
        {{"A1", 1, 3}, true, 700},
        {{"A1", 2}, true, 100},      // two fields of three
        {{"Z9", 1, 5}, true, 50},
        {{"z9", 1, 5}, true, 1},     // codes are exact, also by key
        {{"Z9", 1, 81}, false, 0},
        {{"Z9"}, true, 10},
        {{"Z9", 1, "x"}, false, 0},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            EXPECT_EQ(cla.seek(c.key), c.found) << c.key.size();
            if (c.found) {
                EXPECT_EQ(cla.fieldByName("TotalPuntos").asLargeInt(), c.total);
            }
        }
        // A write elsewhere is found by the next seek.
        file.exec("UPDATE CLASIFIC SET TotalPuntos = 50 WHERE Competicion = 'Z9' AND Equipo = 5");
    }
    file.exec("DELETE FROM CLASIFIC WHERE Competicion = 'Z9' AND Equipo = 5");
    EXPECT_FALSE(cla.seek(QVariantList{"Z9", 1, 5}));
}

// A view is read again when the file changed, by whoever wrote it, and only then.
TEST_F(EngineTest, ViewsReadAgainWhenTheFileChanged)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    engine::Query q(db);
    q.setSql({"select count(*) n from competic"});
    q.open();
    int reads = 0;
    QObject::connect(&comp, &Dataset::dataChanged, [&] { ++reads; });
    QObject::connect(&q, &Dataset::dataChanged, [&] { ++reads; });
    comp.first();
    comp.last();
    q.first();
    EXPECT_EQ(reads, 0);

    // A statement of this connection that no dataset made.
    {
        engine::CachedStatement st = db.prepare("UPDATE COMPETIC SET Titulo = 'Uno' WHERE Codigo = 'A1'");
        st->step();
    }
    comp.first();
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Uno"));
    // Another program.
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('G7', 'Otra', 'E')");
    q.first();
    EXPECT_EQ(q.fieldByName("n").asLargeInt(), 7);
    comp.last();
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("G7"));
    // Another program, just before this connection takes the write lock.
    file.exec("UPDATE COMPETIC SET Titulo = 'Dos' WHERE Codigo = 'B2'");
    db.startTransaction();
    ASSERT_TRUE(comp.seek(QString("B2")));
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Dos"));
    db.rollback();
    // A new text runs at the next first().
    q.sql()[0] = "select count(*) n from competic where tipo = 'I'";
    q.first();
    EXPECT_EQ(q.fieldByName("n").asLargeInt(), 2);
}

// Prepared statements are kept by their text and lent one at a time.
TEST_F(EngineTest, StatementsAreReusedAndNeverSharedAtOnce)
{
    const QString sql = "SELECT Titulo FROM COMPETIC WHERE Codigo = ?";
    const engine::Statement* first = nullptr;
    {
        engine::CachedStatement a = db.prepare(sql);
        first = &*a;
        a->bind(1, QString("A1"));
        ASSERT_TRUE(a->step());
        // The same text while the first is lent: another statement, own values.
        engine::CachedStatement b = db.prepare(sql);
        EXPECT_NE(&*b, first);
        b->bind(1, QString("B2"));
        ASSERT_TRUE(b->step());
        EXPECT_EQ(b->column(0).toString(), QString("Segunda"));
        EXPECT_EQ(a->column(0).toString(), QString("Primera"));
    }
    // The last one given back is lent first: the one prepared first.
    engine::CachedStatement c = db.prepare(sql);
    EXPECT_EQ(&*c, first);
    // Given back reset, with no value left bound: Codigo = NULL finds nothing.
    EXPECT_FALSE(c->step());
    c->reset();
    c->bind(1, QString("C3"));
    ASSERT_TRUE(c->step());
    EXPECT_EQ(c->column(0).toString(), QString::fromUtf8("ángel"));
}

// Reads under one lock never hold back a write: a post inside is on disk
// when it returns, a transaction inside starts and ends as ever, and the
// lock is gone with the scope.
TEST_F(EngineTest, AReadScopeNeverHoldsBackAWrite)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    {
        engine::Database::ReadScope lectura(db);
        comp.open();
        ASSERT_TRUE(comp.seek(QString("A1")));
        comp.edit();
        comp.fieldByName("Titulo").setAsString("Leída");
        comp.post();
        EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Titulo = 'Leída'"), 1);
    }
    {
        engine::Database::ReadScope lectura(db);
        comp.first();
        db.startTransaction();
        ASSERT_TRUE(comp.seek(QString("B2")));
        comp.remove();
        db.commit();
        EXPECT_FALSE(db.inTransaction());
        EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'B2'"), 0);
    }
    {
        engine::Database::ReadScope lectura(db);
        comp.refresh();
    }
    // Another program writes at once: no lock was left behind.
    file.exec("UPDATE COMPETIC SET Titulo = 'Otra' WHERE Codigo = 'C3'");
    comp.first();
    ASSERT_TRUE(comp.seek(QString("C3")));
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Otra"));
}

// Each reading says which stretch of rows changed since the one before, so
// that a grid redraws only that; a reading that fails leaves the view as it
// was.
TEST_F(EngineTest, AReadingSaysWhichRowsChanged)
{
    using Change = Dataset::RowChange;
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    EXPECT_FALSE(comp.lastChange());  // an opening is all new
    auto read = [&](const QString& sql) {
        if (!sql.isEmpty())
            file.exec(sql);
        const quint64 before = comp.readCount();
        comp.refresh();
        EXPECT_EQ(comp.readCount(), before + 1);
        EXPECT_TRUE(comp.lastChange().has_value());
        return comp.lastChange().value_or(Change{-1, -1, -1});
    };
    auto same = [](const Change& a, const Change& b) {
        return a.first == b.first && a.removed == b.removed && a.inserted == b.inserted;
    };
    // A1 B2 C3 D4 E5 F6
    EXPECT_TRUE(same(read({}), {6, 0, 0}));
    EXPECT_TRUE(same(read("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('G7', 'Nueva', 'E')"), {6, 0, 1}));
    EXPECT_TRUE(same(read("UPDATE COMPETIC SET Titulo = 'Otra' WHERE Codigo = 'C3'"), {2, 1, 1}));
    EXPECT_TRUE(same(read("DELETE FROM COMPETIC WHERE Codigo = 'B2'"), {1, 1, 0}));
    EXPECT_TRUE(same(read("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('B3', 'Antes', 'E')"), {1, 0, 1}));
    EXPECT_TRUE(same(read("UPDATE COMPETIC SET Titulo = 'Aquí' WHERE Codigo IN ('A1', 'F6')"), {0, 6, 6}));
    // An empty number and 0 are not the same value.
    file.exec("UPDATE COMPETIC SET \"Peso maximo\" = NULL");
    comp.refresh();
    EXPECT_TRUE(same(read("UPDATE COMPETIC SET \"Peso maximo\" = 0 WHERE Codigo = 'D4'"), {3, 1, 1}));
    // A post is a reading too.
    ASSERT_TRUE(comp.seek(QString("E5")));
    comp.edit();
    comp.fieldByName("Titulo").setAsString("Editada");
    comp.post();
    ASSERT_TRUE(comp.lastChange());
    EXPECT_TRUE(same(*comp.lastChange(), {4, 1, 1}));

    // A reading that fails keeps every row and says nothing is known.
    const int rows = comp.recordCount();
    comp.setFilter("Codigo = 'A1'");
    comp.setFiltered(true);
    ASSERT_EQ(comp.recordCount(), 1);
    comp.setFiltered(false);
    ASSERT_EQ(comp.recordCount(), rows);
    comp.setFilter("Codigo = = 'x'");
    EXPECT_THROW(comp.setFiltered(true), DatabaseError);
    EXPECT_EQ(comp.recordCount(), rows);
    EXPECT_FALSE(comp.lastChange());
    comp.setFiltered(false);
    comp.close();
    EXPECT_FALSE(comp.lastChange());
}

// With the write-ahead log a commit is on disk when it returns, as with the
// journal; the file alone holds everything once it is closed; opening and
// reading write nothing. (A file another program holds at the first save:
// WeighInTest.ASaveOnAFileHeldElsewhereStoresNothingAndKeepsTheEntry.)
TEST_F(EngineTest, TheWriteAheadLogKeepsEverySaveAndFoldsBackOnClose)
{
    db.close();
    const QByteArray untouched = bytesOf(file.path());
    engine::Database program;
    program.setWriteAheadLog(true);
    program.open(file.path());
    {
        Table comp(program, "COMPETIC");
        comp.setIndexName("idxPrimaryKey");
        comp.open();
        comp.first();
    }
    EXPECT_FALSE(program.writeAheadLogOn());
    EXPECT_EQ(bytesOf(file.path()), untouched);
    EXPECT_FALSE(QFile::exists(file.path() + "-wal"));

    program.startTransaction();
    program.exec("UPDATE COMPETIC SET Titulo = 'Guardada' WHERE Codigo = 'A1'");
    program.commit();
    EXPECT_TRUE(program.writeAheadLogOn());
    EXPECT_TRUE(QFile::exists(file.path() + "-wal"));
    // On disk for everyone as soon as it returns.
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Titulo = 'Guardada'"), 1);

    program.close();
    EXPECT_FALSE(QFile::exists(file.path() + "-wal"));
    // The file alone, copied elsewhere, has the save and its usual journal.
    QTemporaryDir copyDir;
    const QString copy = copyDir.path() + "/marfondo.abs";
    ASSERT_TRUE(QFile::copy(file.path(), copy));
    EXPECT_EQ(rowsOf(copy, "SELECT Titulo FROM COMPETIC WHERE Codigo = 'A1'"), QStringList{"Guardada"});
    EXPECT_EQ(rowsOf(copy, "PRAGMA journal_mode"), QStringList{"delete"});
}

// A record posted after another program deleted its row stores nothing and
// says so; the record stays being edited.
TEST_F(EngineTest, AnUpdateOfARowThatWentElsewhereIsRefused)
{
    Table comp(db, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    ASSERT_TRUE(comp.seek(QString("B2")));
    comp.edit();
    comp.fieldByName("Titulo").setValue("Cambiada");
    file.exec("DELETE FROM COMPETIC WHERE Codigo = 'B2'");
    try {
        comp.post();
        FAIL() << "posted";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), Kind::RowChanged);
        EXPECT_EQ(e.message(), QString::fromUtf8("El registro ya no está en el fichero: otro programa lo ha borrado"));
    }
    EXPECT_TRUE(comp.isEditing());
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'B2' OR Titulo = 'Cambiada'"), 0);
    comp.cancel();
}

// A file left with its write-ahead log by a crash, opened where the disk is
// full (the log's index cannot be made): the message says the disk is full,
// not that the file is no database.
TEST_F(EngineTest, AFileWithItsLogOnAFullDiskIsSaidToBeOnAFullDisk)
{
    db.close();
    // What a crash leaves: the file and its log, copied while a connection
    // in write-ahead mode has saves in the log only.
    QTemporaryDir crashed;
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.path().toUtf8().constData(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; "
                                    "UPDATE COMPETIC SET Titulo = 'En el diario' WHERE Codigo = 'A1'",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        ASSERT_TRUE(QFile::exists(file.path() + "-wal"));
        ASSERT_TRUE(QFile::copy(file.path(), crashed.path() + "/marfondo.abs"));
        ASSERT_TRUE(QFile::copy(file.path() + "-wal", crashed.path() + "/marfondo.abs-wal"));
        sqlite3_close(raw);
    }
    const SmallDiskRun run = onSmallDisk(1 << 20, [&](const QString& dir, QString& text) {
        for (const char* name : {"/marfondo.abs", "/marfondo.abs-wal"})
            if (!QFile::copy(crashed.path() + name, dir + name)) {
                text = "copy";
                return 2;
            }
        if (!fillDisk(dir)) {
            text = "fill";
            return 3;
        }
        engine::Database onFullDisk;
        try {
            onFullDisk.open(dir + "/marfondo.abs");
            text = "opened";
            return 1;
        } catch (const DatabaseError& e) {
            text = e.message();
            return 0;
        }
    });
    ASSERT_EQ(run.code, 0) << run.text.toStdString();
    EXPECT_TRUE(run.text.contains(QString::fromUtf8("El disco está lleno"))) << run.text.toStdString();
    EXPECT_FALSE(run.text.contains(QString::fromUtf8("no es una base de datos"))) << run.text.toStdString();

    // With room, the same copies open and hold the save of the log.
    engine::Database withRoom;
    withRoom.open(crashed.path() + "/marfondo.abs");
    Table comp(withRoom, "COMPETIC");
    comp.setIndexName("idxPrimaryKey");
    comp.open();
    ASSERT_TRUE(comp.seek(QString("A1")));
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("En el diario"));
}

}  // namespace
