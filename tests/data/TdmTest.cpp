#include "data/Schema.h"
#include "data/Tdm.h"
#include "support/Fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void makeDb(const QString& path, const QString& title)
{
    schema::createDatabase(path);
    engine::Database db;
    db.open(path);
    db.exec(QString("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('X', '%1', 'E')").arg(title));
}

TEST(TdmTest, FileNextToTheProgramWinsOverDatos)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("datos");
    makeDb(dir.path() + "/marfondo.abs", "junto");
    makeDb(dir.path() + "/datos/marfondo.abs", "datos");
    ScriptedDialogs dialogs;
    Tdm dm(dir.path());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    ASSERT_TRUE(dm.TAcomp.active());
    EXPECT_EQ(dm.TAcomp.fieldByName("Titulo").asString(), QString("junto"));
}

TEST(TdmTest, DatosServesWhenNoFileIsNextToTheProgram)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("datos");
    makeDb(dir.path() + "/datos/marfondo.abs", "datos");
    ScriptedDialogs dialogs;
    Tdm dm(dir.path());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(dm.TAcomp.fieldByName("Titulo").asString(), QString("datos"));
    EXPECT_EQ(Tdm::locateDatabase(dir.path()), dir.path() + "/datos/marfondo.abs");
}

TEST(TdmTest, MissingFileIsReportedAndStartUpGoesOn)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    Tdm dm(dir.path());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("datos/marfondo.abs"));
    EXPECT_TRUE(dialogs.errors[0].contains("junto a él"));
    EXPECT_FALSE(dm.TAcomp.active());
    EXPECT_FALSE(dm.TAjornada.active());
}

// A damaged or unrelated file is not used: one message names what it lacks,
// nothing is opened and the file is left as it was.
TEST(TdmTest, DamagedFileIsRefusedWithItsDamageNamed)
{
    const struct {
        const char* damage;
        const char* message;
    } cases[] = {
        {"ALTER TABLE COMPETIC DROP COLUMN \"Peso maximo\"", "Falta el campo «Peso maximo» de la tabla COMPETIC"},
        {"ALTER TABLE ESPECIAL DROP COLUMN \"Puntos gramo\"", "Falta el campo «Puntos gramo» de la tabla ESPECIAL"},
        {"DROP TABLE PARTICIP", "Falta la tabla PARTICIP"},
        {"DROP TABLE CUPOS", "Falta la tabla CUPOS"},
        {"DROP INDEX \"PESCADA.isEquipoFecha\"", "Falta el índice «isEquipoFecha» de la tabla PESCADA"},
        {"ALTER TABLE PESCADA RENAME COLUMN Peso TO Pes; ALTER TABLE PESCADA ADD COLUMN Peso VARCHAR(5)",
         "El campo «Peso» de la tabla PESCADA no es de tipo INTEGER"},
        // NOT NULL and CHECK constraints as the schema writes them, and no trigger.
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, '\"Titulo\" VARCHAR(50) NOT NULL', "
         "'\"Titulo\" VARCHAR(50)') WHERE name = 'COMPETIC'",
         "El campo «Titulo» de la tabla COMPETIC no es obligatorio (NOT NULL) en el fichero"},
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, '\"Lugar\" VARCHAR(100)', "
         "'\"Lugar\" VARCHAR(100) NOT NULL') WHERE name = 'JORNADAS'",
         "El campo «Lugar» de la tabla JORNADAS es obligatorio (NOT NULL) en el fichero y no debe serlo"},
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, 'BETWEEN 1 AND 20)', "
         "'BETWEEN 1 AND 200)') WHERE name = 'ESPECIES'",
         "La comprobación (CHECK) del campo «Nombre» de la tabla ESPECIES no es la del esquema"},
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, ' CONSTRAINT \"Peso valido\" CHECK', "
         "' CHECK (\"Peso valido\" < 100000) CONSTRAINT \"Peso valido\" CHECK') WHERE name = 'PESCADA'",
         "La comprobación (CHECK) del campo «Peso valido» de la tabla PESCADA no es la del esquema"},
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = substr(sql, 1, length(sql) - 2) || "
         "', CHECK (Puntos < 100))' WHERE name = 'PENAL'",
         "La tabla PENAL tiene comprobaciones (CHECK) que el esquema no lleva"},
        {"CREATE TRIGGER borra AFTER INSERT ON PESCADA BEGIN DELETE FROM CLASIFIC; END",
         "El fichero tiene el disparador (TRIGGER) «borra» sobre la tabla PESCADA, que el programa no crea"},
        {"CREATE TABLE OTRA (x); DROP TABLE COMPETIC; DROP TABLE JORNADAS; DROP TABLE PARTICIP; DROP TABLE ESPECIES; "
         "DROP TABLE ESPECIAL; DROP TABLE PESCADA; DROP TABLE CLASIFIC; DROP TABLE PESCADORES; DROP TABLE CUPOS; "
         "DROP TABLE PENAL",
         "no tiene ninguna de las tablas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        TempDatabase file;
        file.exec(c.damage);
        const QByteArray before = bytesOf(file.path());
        ScriptedDialogs dialogs;
        {
            Tdm dm(file.dir());
            ASSERT_EQ(dialogs.errors.size(), 1);
            EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8(c.message))) << dialogs.errors[0].toStdString();
            EXPECT_TRUE(dialogs.errors[0].contains(file.path()));
            EXPECT_FALSE(dm.db.isOpen());
            EXPECT_FALSE(dm.TAcomp.active());
            EXPECT_FALSE(dm.TaPescadores.active());
            EXPECT_THROW(dm.TAcomp.first(), engine::DatabaseError);
        }
        EXPECT_EQ(dialogs.errors.size(), 1);
        EXPECT_EQ(bytesOf(file.path()), before);
    }
}

// Objects opened at start, their orders, links and calculated names.
TEST(TdmTest, DetailObjectsFollowTheCurrentCompetition)
{
    TempDatabase file;
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A', 'Uno', 'E'), ('B', 'Dos', 'E')");
    file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('B', 2), ('B', 1)");
    file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('sargo'), ('Ángel'), ('Mero')");
    file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\") VALUES ('B', 3), ('B', 99)");
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Cod pez\", Peso) VALUES"
              " ('B', 1, 1, 1, 1, 800), ('B', 1, 1, 2, 42, 900)");
    file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie) VALUES ('B', 2)");
    ScriptedDialogs dialogs;
    Tdm dm(file.dir());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(dm.TAjornada.isEmpty());  // competition A has no days
    EXPECT_TRUE(dm.TAespecial.isEmpty());
    ASSERT_TRUE(dm.TAcomp.seek(QString("B")));
    EXPECT_EQ(dm.TAjornada.recordCount(), 2);
    EXPECT_EQ(dm.TAjornada.fieldByName("Numero").asInteger(), 1);
    ASSERT_EQ(dm.TAespecial.recordCount(), 2);
    EXPECT_EQ(dm.TAespecial.fieldByName("npez").asString(), QString("Mero"));
    dm.TAespecial.next();
    EXPECT_EQ(dm.TAespecial.fieldByName("npez").asString(), QString());  // unknown code: empty name
    dm.TApescada.open();
    EXPECT_EQ(dm.TApescada.fieldByName("pez").asString(), QString("sargo"));
    dm.TApescada.next();
    EXPECT_EQ(dm.TApescada.fieldByName("pez").asString(), QString());
    dm.TACupos.open();
    EXPECT_EQ(dm.TACupos.fieldByName("nPez").asString(), QString("Ángel"));
    // The species list ignores letter case and accents.
    QStringList names;
    for (dm.TAespecies.first(); !dm.TAespecies.eof(); dm.TAespecies.next())
        names << dm.TAespecies.fieldByName("Nombre").asString();
    EXPECT_EQ(names, (QStringList{"Ángel", "Mero", "sargo"}));
    EXPECT_EQ(dm.TAespecial.fieldByName("Penalizacion gramo").displayLabel(), QString("Penalización"));
}

}  // namespace
