#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Rules.h"
#include "data/Tdm.h"
#include "support/Fixture.h"

#include <QDate>

#include <gtest/gtest.h>

namespace {

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A', 'Copa A', 'E'), ('B', 'Copa B', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('A', 1), ('A', 2)");
        file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Sargo')");
        dm = std::make_unique<Tdm>(file.dir());
        ASSERT_TRUE(dialogs.errors.isEmpty());
        ASSERT_TRUE(dm->TAcomp.seek(QString("A")));
    }

    void addParticipant(int team, const QString& dni, const QString& name = "Nombre")
    {
        dm->TAparticipa.insert();
        dm->TAparticipa.fieldByName("Equipo").setAsInteger(team);
        dm->TAparticipa.fieldByName("DNI").setAsString(dni);
        dm->TAparticipa.fieldByName("Nombre").setAsString(name);
        dm->TAparticipa.fieldByName("Club").setAsString("Club");
        dm->TAparticipa.post();
    }

    qint64 count(const QString& where) const { return file.scalar("SELECT count(*) FROM " + where); }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> dm;
};

TEST_F(RulesTest, NewRecordsTakeTheCurrentCompetition)
{
    for (engine::Dataset* ds : {static_cast<engine::Dataset*>(&dm->TAjornada), static_cast<engine::Dataset*>(&dm->TAparticipa)}) {
        ds->insert();
        EXPECT_EQ(ds->fieldByName("Cod comp").asString(), QString("A"));
        EXPECT_TRUE(ds->fieldByName(ds == &dm->TAjornada ? "Numero" : "Equipo").isNull());  // typed by the user
        ds->cancel();
    }
    dm->TAespecial.insert();
    EXPECT_EQ(dm->TAespecial.fieldByName("Cod comp").asString(), QString("A"));
    EXPECT_TRUE(dm->TAespecial.fieldByName("Puntua").asBoolean());
    dm->TAespecial.cancel();
    dm->TACupos.open();
    dm->TACupos.insert();
    EXPECT_EQ(dm->TACupos.fieldByName("Cod_comp").asString(), QString("A"));
    dm->TACupos.cancel();
}

TEST_F(RulesTest, PostedCompetitionGetsItsFirstDay)
{
    struct Case { const char* code; const char* days; bool created; };
    // No days; days from 2 on; day 1 already there.
    file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('D', 2), ('D', 3), ('E', 1), ('E', 2)");
    const Case cases[] = {{"C", "", true}, {"D", "2,3", true}, {"E", "1,2", false}};
    for (const Case& c : cases) {
        dm->TAcomp.insert();
        dm->TAcomp.fieldByName("Codigo").setAsString(c.code);
        dm->TAcomp.fieldByName("Titulo").setAsString("Nueva");
        dm->TAcomp.fieldByName("Tipo").setAsString("E");
        dm->TAcomp.post();
        EXPECT_EQ(dm->TAcomp.fieldByName("Codigo").asString(), QString(c.code));
        EXPECT_EQ(dm->TAjornada.fieldByName("Numero").asInteger(), 1) << c.code;  // day 1 is current
        EXPECT_EQ(dm->TAjornada.fieldByName("Cod comp").asString(), QString(c.code));
        const qint64 today = count(QString("JORNADAS WHERE \"Cod comp\" = '%1' AND Numero = 1 AND Fecha = '%2'")
                                       .arg(c.code, QDate::currentDate().toString("yyyy-MM-dd")));
        EXPECT_EQ(today, c.created ? 1 : 0) << c.code;
        EXPECT_EQ(count(QString("JORNADAS WHERE \"Cod comp\" = '%1' AND Numero = 1").arg(c.code)), 1);
    }
    // Editing a competition that has day 1 creates nothing.
    ASSERT_TRUE(dm->TAcomp.seek(QString("A")));
    dm->TAcomp.edit();
    dm->TAcomp.fieldByName("Titulo").setAsString("Copa A bis");
    dm->TAcomp.post();
    EXPECT_EQ(count("JORNADAS WHERE \"Cod comp\" = 'A'"), 2);
}

TEST_F(RulesTest, ParticipantPostAddsClassificationRowsOnceAndUpdatesTheRegister)
{
    addParticipant(3, "111A", "Ana Pons");
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 3 AND Puntos = 0 AND TotalPuntos IS NULL"), 2);
    EXPECT_EQ(dm->TAjornada.fieldByName("Numero").asInteger(), 2);  // the last day is current
    addParticipant(3, "222B", "Bea Vidal");                          // second member: no duplicates
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 3"), 2);
    EXPECT_EQ(count("PESCADORES WHERE DNI IN ('111A', '222B')"), 2);

    // A changed team keeps the old team's rows and gets its own.
    ASSERT_TRUE(dm->TAparticipa.locate("DNI", QString("222B")));
    dm->TAparticipa.edit();
    dm->TAparticipa.fieldByName("Equipo").setAsInteger(5);
    dm->TAparticipa.fieldByName("Nombre").setAsString("Beatriz Vidal");
    dm->TAparticipa.post();
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 3"), 2);
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 5"), 2);
    // The register row is edited, not duplicated.
    EXPECT_EQ(count("PESCADORES WHERE DNI = '222B' AND Nombre = 'Beatriz Vidal' AND Club = 'Club'"), 1);
    EXPECT_EQ(dm->TAClasific.indexName(), QString("idxPrimaryKey"));
    EXPECT_FALSE(dm->TAClasific.active());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(RulesTest, ParticipantWithoutDaysIsSavedAndReported)
{
    ASSERT_TRUE(dm->TAcomp.seek(QString("B")));
    addParticipant(1, "333C");
    ASSERT_EQ(dialogs.errors, QStringList{"No hay jornadas definidas"});
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'B'"), 1);
    EXPECT_EQ(count("CLASIFIC"), 0);
    EXPECT_EQ(count("PESCADORES"), 0);
}

TEST_F(RulesTest, DeletingParticipants)
{
    addParticipant(1, "111A");
    addParticipant(1, "222B");
    addParticipant(2, "333C");
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", Peso) VALUES ('A', 1, 1, 1, 900)");
    file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo) VALUES ('B', 1, 1)");

    // One of two members: nothing asked, rows kept.
    ASSERT_TRUE(dm->TAparticipa.locate("DNI", QString("222B")));
    dm->TAparticipa.remove();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 1"), 2);

    // The last member: asked; Cancelar keeps everything.
    ASSERT_TRUE(dm->TAparticipa.locate("DNI", QString("111A")));
    dialogs.answers = {mrCancel};
    EXPECT_THROW(dm->TAparticipa.remove(), engine::Abort);
    EXPECT_EQ(dialogs.messages, QStringList{"Si borra al participante se borrarán todos los datos del equipo"});
    EXPECT_EQ(count("PARTICIP WHERE DNI = '111A'"), 1);
    EXPECT_EQ(dm->TAparticipa.fieldByName("DNI").asString(), QString("111A"));  // still current

    // Sí: told, the team's rows of every day go, catches and other teams stay.
    dialogs.messages.clear();
    dialogs.answers = {mrYes, mrOk};
    dm->TAClasific.open();
    dm->TAparticipa.remove();
    EXPECT_EQ(dialogs.messages, (QStringList{"Si borra al participante se borrarán todos los datos del equipo",
                                             "Ha elegido borrar todo"}));
    EXPECT_EQ(count("PARTICIP WHERE DNI = '111A'"), 0);
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 1"), 0);
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'A' AND Equipo = 2"), 2);
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'B' AND Equipo = 1"), 1);
    EXPECT_EQ(count("PESCADA"), 1);
    EXPECT_TRUE(dm->TAClasific.active());  // reopened, as it was
    EXPECT_EQ(dm->TAClasific.indexName(), QString("idxPrimaryKey"));
    EXPECT_EQ(dm->TAClasific.recordCount(), 1);  // the link to the current day is back
}

// Only "Sí" deletes a competition; closing the question or Escape keeps it.
TEST_F(RulesTest, CompetitionDeletionNeedsYes)
{
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI) VALUES ('A', 1, 'X')");
    for (int answer : {int(mrNo), int(mrCancel)}) {
        ASSERT_TRUE(dm->TAcomp.seek(QString("A")));
        dialogs.answers = {answer};
        EXPECT_THROW(dm->TAcomp.remove(), engine::Abort);
        EXPECT_EQ(count("COMPETIC WHERE Codigo = 'A'"), 1) << answer;
    }
    EXPECT_EQ(dialogs.messages.last(), QString("Borrar competición Copa A"));
    dialogs.answers = {mrYes};
    ASSERT_TRUE(dm->TAcomp.seek(QString("A")));
    dm->TAcomp.remove();
    EXPECT_EQ(count("COMPETIC WHERE Codigo = 'A'"), 0);
    EXPECT_EQ(count("JORNADAS WHERE \"Cod comp\" = 'A'"), 2);  // nothing else goes with it
    EXPECT_EQ(count("PARTICIP"), 1);
}

TEST_F(RulesTest, SpeciesRulesAskAndTheListsFollow)
{
    file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", \"Peso minimo\") VALUES ('A', 1, 1000), ('A', 2, 300)");
    dm->TAespecial.refresh();
    dm->ABSQueryEspecial.sql()[2] = "Where [cod comp] = " + quotedCode("A");
    dm->ABSQueryEspecial.open();
    ASSERT_EQ(dm->ABSQueryEspecial.recordCount(), 2);
    // Choosing a listed row moves the panel to that rule.
    dm->ABSQueryEspecial.last();
    EXPECT_EQ(dm->TAespecial.fieldByName("npez").asString(), QString("Sargo"));
    dm->ABSQueryEspecial.first();
    EXPECT_EQ(dm->TAespecial.fieldByName("npez").asString(), QString("Mero"));

    dialogs.answers = {mrCancel};
    EXPECT_THROW(dm->TAespecial.remove(), engine::Abort);
    EXPECT_EQ(dialogs.messages.last(), QString("¿Borrar Mero?"));
    EXPECT_EQ(count("ESPECIAL"), 2);
    dialogs.answers = {mrYes};
    dm->TAespecial.remove();
    EXPECT_EQ(count("ESPECIAL"), 1);
    EXPECT_EQ(dm->ABSQueryEspecial.recordCount(), 1);  // re-run at once
    EXPECT_EQ(dm->ABSQueryEspecial.fieldByName("nombre").asString(), QString("Sargo"));

    // Quotas: a post re-runs the list.
    dm->TACupos.open();
    dm->ABSQueryCupos.sql()[2] = "Where cod_comp = " + quotedCode("A");
    dm->ABSQueryCupos.open();
    EXPECT_TRUE(dm->ABSQueryCupos.isEmpty());
    dm->TACupos.insert();
    dm->TACupos.fieldByName("Cod_Especie").setAsInteger(2);
    dm->TACupos.fieldByName("EjemplaresCupo").setAsInteger(4);
    dm->TACupos.post();
    ASSERT_EQ(dm->ABSQueryCupos.recordCount(), 1);
    EXPECT_EQ(dm->ABSQueryCupos.fieldByName("nombre").asString(), QString("Sargo"));
    EXPECT_EQ(dm->TACupos.fieldByName("nPez").asString(), QString("Sargo"));
}

TEST_F(RulesTest, APersonEntersACompetitionOnceAndAnIndividualTeamHoldsOne)
{
    addParticipant(1, "11A");
    addParticipant(1, "22B");
    // A second competition, individual, with one participant in team 1.
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('I1', 'Individual', 'I')");
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI) VALUES ('I1', 1, '11A')");
    const struct {
        const char* name;
        const char* comp;
        int team;
        const char* dni;
        QString refusal;
        QString field;
    } cases[] = {
        {"same person, another team", "A", 2, "11A", "Ya participa en el equipo 1 de esta prueba", "DNI"},
        {"letter case does not make another person", "A", 5, "22b", "Ya participa en el equipo 1 de esta prueba", "DNI"},
        {"a second member of a team", "A", 1, "33C", "", ""},
        {"the same person in another competition", "B", 3, "11A", "", ""},
        {"a second person in an individual team", "I1", 1, "44D",
         "En una prueba individual cada equipo tiene un solo participante: el equipo 1 ya tiene el suyo", "Equipo"},
        {"another team of an individual competition", "I1", 2, "44D", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString field;
        EXPECT_EQ(rechazoParticipante(dm->db, c.comp, c.team, c.dni, 0, {}, &field), c.refusal);
        EXPECT_EQ(field, c.field);
    }
    // A participant being changed does not refuse his own row.
    QString field;
    EXPECT_EQ(rechazoParticipante(dm->db, "A", 4, "11A", 1, "11A", &field), QString());
    EXPECT_EQ(rechazoParticipante(dm->db, "I1", 1, "55E", 1, "11A", &field), QString());

    // The record rule refuses the post and keeps the participant in editing.
    dialogs.errors.clear();
    EXPECT_THROW(addParticipant(2, "22B"), engine::DatabaseError);
    EXPECT_EQ(dm->TAparticipa.state(), engine::Dataset::State::Insert);
    dm->TAparticipa.cancel();
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'A' AND DNI = '22B'"), 1);
    // Moving a participant to another team is a change of his own entry.
    ASSERT_TRUE(dm->TAparticipa.locate("DNI", QVariant("22B")));
    dm->TAparticipa.edit();
    dm->TAparticipa.fieldByName("Equipo").setAsInteger(7);
    dm->TAparticipa.post();
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'A' AND DNI = '22B' AND Equipo = 7"), 1);
}

TEST_F(RulesTest, ASpeciesInUseSaysWhoUsesItAndOneWithoutANameIsRefused)
{
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Cod pez\", Peso) VALUES"
              " ('A', 1, 1, 1, 1, 900), ('A', 1, 1, 2, 1, 700), ('B', 1, 3, 1, 1, 800)");
    file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\") VALUES ('C', 1), ('C', 2)");
    EXPECT_EQ(especieEnUso(dm->db, 1, "Mero"),
              QString("No se puede borrar la especie «Mero»: la usan 3 líneas de pesca y 3 competiciones."));
    EXPECT_EQ(especieEnUso(dm->db, 2, "Sargo"),
              QString("No se puede borrar la especie «Sargo»: la usan 0 líneas de pesca y 1 competición."));
    file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Pargo')");
    EXPECT_EQ(especieEnUso(dm->db, 3, "Pargo"), QString());

    engine::Table species(dm->db, "ESPECIES");
    species.setIndexName("idxPrimaryKey");
    installSpeciesRules(species);
    species.open();
    ASSERT_TRUE(species.seek(QVariant(1)));
    EXPECT_THROW(species.remove(), engine::DatabaseError);
    EXPECT_EQ(count("ESPECIES WHERE Codigo = 1"), 1);
    ASSERT_TRUE(species.seek(QVariant(3)));
    species.remove();
    EXPECT_EQ(count("ESPECIES WHERE Codigo = 3"), 0);
    for (const char* name : {"", "   "}) {
        species.insert();
        species.fieldByName("Nombre").setAsString(name);
        EXPECT_THROW(species.post(), engine::DatabaseError);
        species.cancel();
    }
    EXPECT_EQ(count("ESPECIES"), 2);
}

}  // namespace
