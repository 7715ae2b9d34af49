#include "data/Dialogs.h"
#include "data/Tdm.h"
#include "setup/Copia.h"
#include "support/Fixture.h"

#include <gtest/gtest.h>

namespace {

class CopiaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('OLD', 'Anterior', 'E'), ('NEW', 'Nueva', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('NEW', 1), ('NEW', 2), ('OLD', 1)");
        file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Sargo'), ('Dorada')");
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Licencia, Club, Permiso, \"Fecha nacimiento\")"
                  " VALUES ('OLD', 1, '11A', 'Ana', 'L1', 'C1', 'P1', '1980-01-02'), ('OLD', 1, '22B', 'Bea', 'L2', 'C1', NULL, NULL),"
                  " ('OLD', 4, '33C', 'Ciro', 'L3', 'C2', NULL, NULL)");
        file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\","
                  " \"Puntos gramo\", \"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie) VALUES"
                  " ('OLD', 1, 0, 2000, 900, 2, 1500, 700, 1), ('OLD', 2, 1, 300, 100, 1, 200, 50, 1)");
        file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('OLD', 2, 5, 1000), ('OLD', 3, 2, 400)");
        dm = std::make_unique<Tdm>(file.dir());
        ASSERT_TRUE(dm->TAcomp.seek(QString("NEW")));
    }
    qint64 count(const QString& where) const { return file.scalar("SELECT count(*) FROM " + where); }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> dm;
};

TEST_F(CopiaTest, ParticipantsTwiceAddNothingTheSecondTime)
{
    // Already entered under another team: the same person is not entered twice.
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI) VALUES ('NEW', 9, '33C')");
    dm->TAparticipa.refresh();
    const QString twice = "Participante con DNI 33C\rno se pudo copiar: Ya participa en el equipo 9 de esta prueba";
    EXPECT_EQ(copiarParticipantes(*dm, "OLD"), 2);
    EXPECT_EQ(dialogs.messages, QStringList{twice});
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'NEW'"), 3);
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'NEW' AND DNI = '11A' AND Nombre = 'Ana' AND Licencia = 'L1'"
                    " AND Club = 'C1' AND Permiso = 'P1' AND \"Fecha nacimiento\" = '1980-01-02' AND Equipo = 1"), 1);
    // The record rules ran: classification rows for both days and the register.
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'NEW' AND Equipo IN (1, 4)"), 2);
    EXPECT_EQ(count("PESCADORES"), 2);
    EXPECT_EQ(dm->TAparticipa.recNo(), 1);  // back on the first participant

    dialogs.messages.clear();
    EXPECT_EQ(copiarParticipantes(*dm, "OLD"), 0);
    EXPECT_EQ(dialogs.messages, (QStringList{"Participante con DNI 11A\rya existe", "Participante con DNI 22B\rya existe",
                                             twice}));
    EXPECT_EQ(count("PARTICIP WHERE \"Cod comp\" = 'NEW'"), 3);
    EXPECT_EQ(count("CLASIFIC WHERE Competicion = 'NEW'"), 2);
    EXPECT_FALSE(dm->db.inTransaction());
}

TEST_F(CopiaTest, SpeciesRulesKeepExistingOnesAndLeaveTheBonusEmpty)
{
    file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", \"Peso minimo\", BonificaEspecie) VALUES ('NEW', 2, 777, 1)");
    dm->TAespecial.refresh();
    EXPECT_EQ(copiarEspeciales(*dm, "OLD"), 1);
    EXPECT_EQ(count("ESPECIAL WHERE \"Cod comp\" = 'NEW' AND \"Cod pez\" = 1 AND Puntua = 0 AND \"Peso minimo\" = 2000"
                    " AND \"Puntos pieza\" = 900 AND \"Puntos gramo\" = 2 AND \"Peso penalizable\" = 1500"
                    " AND \"Penalizacion gramo\" = 700 AND BonificaEspecie IS NULL"), 1);
    EXPECT_EQ(count("ESPECIAL WHERE \"Cod comp\" = 'NEW' AND \"Cod pez\" = 2 AND \"Peso minimo\" = 777 AND BonificaEspecie = 1"), 1);
    EXPECT_EQ(copiarEspeciales(*dm, "OLD"), 0);
    EXPECT_EQ(count("ESPECIAL WHERE \"Cod comp\" = 'NEW'"), 2);
    EXPECT_FALSE(dm->TAespal.active());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(CopiaTest, QuotasKeepExistingOnes)
{
    file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('NEW', 3, 9, 9)");
    EXPECT_EQ(copiarCupos(*dm, "OLD"), 1);
    EXPECT_EQ(count("CUPOS WHERE Cod_comp = 'NEW' AND Cod_Especie = 2 AND EjemplaresCupo = 5 AND Puntos = 1000"), 1);
    EXPECT_EQ(count("CUPOS WHERE Cod_comp = 'NEW' AND Cod_Especie = 3 AND EjemplaresCupo = 9"), 1);
    EXPECT_EQ(copiarCupos(*dm, "OLD"), 0);
    EXPECT_FALSE(dm->QCupos.active());
    // A code with a quote in it is quoted, not run as SQL.
    EXPECT_EQ(copiarCupos(*dm, "O'; DROP TABLE CUPOS; --"), 0);
    EXPECT_EQ(count("CUPOS"), 4);
}

}  // namespace
