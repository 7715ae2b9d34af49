// Changing a competition's code carries it to all of its data at once.
#include "data/Tdm.h"
#include "support/Fixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const char* kPorTabla =
    "SELECT 'COMPETIC', Codigo, count(*) FROM COMPETIC GROUP BY 2 UNION ALL "
    "SELECT 'JORNADAS', \"Cod comp\", count(*) FROM JORNADAS GROUP BY 2 UNION ALL "
    "SELECT 'PARTICIP', \"Cod comp\", count(*) FROM PARTICIP GROUP BY 2 UNION ALL "
    "SELECT 'ESPECIAL', \"Cod comp\", count(*) FROM ESPECIAL GROUP BY 2 UNION ALL "
    "SELECT 'PESCADA', \"Cod comp\", count(*) FROM PESCADA GROUP BY 2 UNION ALL "
    "SELECT 'CLASIFIC', Competicion, count(*) FROM CLASIFIC GROUP BY 2 UNION ALL "
    "SELECT 'CUPOS', Cod_comp, count(*) FROM CUPOS GROUP BY 2 UNION ALL "
    "SELECT 'PENAL', Cod_comp, count(*) FROM PENAL GROUP BY 2 ORDER BY 1, 2";

class CodigoPruebaTest : public ::testing::Test {
protected:
    TempDatabase file;
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A', 'Una', 'E'), ('B', 'Otra', 'E')");
        file.exec("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (1, 'Mero')");
        for (const char* cc : {"A", "B"}) {
            const QString c = cc;
            file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero) VALUES ('" + c + "', 1), ('" + c + "', 2)");
            file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('" + c + "', 1, '1', 'Ana')");
            file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\") VALUES ('" + c + "', 1)");
            file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", Peso) VALUES ('" + c +
                      "', 1, 1, 1, 900), ('" + c + "', 1, 1, 2, 800)");
            file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo) VALUES ('" + c + "', 1, 1)");
            file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie) VALUES ('" + c + "', 1)");
            file.exec("INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos) VALUES ('" + c + "', 1, 1, 5)");
        }
    }
    QStringList porTabla() const { return rowsOf(file.path(), kPorTabla); }
};

TEST_F(CodigoPruebaTest, TheNewCodeReachesEveryTable)
{
    QStringList esperado = porTabla();
    esperado.replaceInStrings(QRegularExpression("\\|A\\|"), "|Z|");
    esperado.sort();
    ScriptedDialogs dialogs;
    {
        Tdm dm(file.dir());
        ASSERT_TRUE(dm.TAcomp.seek(QVariant("A")));
        dm.TAcomp.edit();
        dm.TAcomp.fieldByName("Codigo").setAsString("Z");
        dm.TAcomp.fieldByName("Titulo").setAsString("Renombrada");
        dm.TAcomp.post();
        // The days follow the competition under its new code.
        EXPECT_EQ(dm.TAjornada.recordCount(), 2);
        EXPECT_FALSE(dm.db.inTransaction());
    }
    QStringList ahora = porTabla();
    ahora.sort();
    EXPECT_EQ(ahora, esperado);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'Z' AND Titulo = 'Renombrada'"), 1);
}

// A code another competition has, an empty one, or a table that refuses the
// change: refused whole, every table as it was.
TEST_F(CodigoPruebaTest, ARefusedChangeLeavesEveryTableAsItWas)
{
    const struct {
        const char* nuevo;
        const char* trigger;
        const char* message;
    } cases[] = {
        {"B", nullptr, "Ya existe una prueba con el código «B»"},
        {"", nullptr, "código"},
        {"Z", "CREATE TRIGGER refuse BEFORE UPDATE ON PENAL BEGIN SELECT RAISE(ABORT, 'no'); END", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nuevo);
        QByteArray before;
        ScriptedDialogs dialogs;
        {
            Tdm dm(file.dir());
            // A file with a trigger is refused when it opens: this one comes
            // from another program once the file is open.
            if (c.trigger)
                file.exec(c.trigger);
            before = bytesOf(file.path());
            ASSERT_TRUE(dm.TAcomp.seek(QVariant("A")));
            dm.TAcomp.edit();
            dm.TAcomp.fieldByName("Codigo").setAsString(c.nuevo);
            try {
                dm.TAcomp.post();
                ADD_FAILURE() << "posted";
            } catch (const engine::DatabaseError& e) {
                EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message().toStdString();
            }
            EXPECT_FALSE(dm.db.inTransaction());
            EXPECT_TRUE(dm.TAcomp.isEditing());
            dm.TAcomp.cancel();
        }
        EXPECT_EQ(bytesOf(file.path()), before);
        if (c.trigger)
            file.exec("DROP TRIGGER refuse");
    }
}

}  // namespace
