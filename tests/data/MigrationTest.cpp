// Files of an earlier version of the schema, as the program made them before
// versions were kept (tests/data/vacia-v1.abs and demo-v1.abs, made then by
// "tarsela-cli crear-base" and "demo"), brought up to this version at open.
#include "data/Schema.h"
#include "data/Tdm.h"
#include "support/Cli.h"
#include "support/Fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kDatos = QStringLiteral(TARSELA_TEST_DATA);

// Every row of every table but PENAL, in a fixed order, and PENAL apart.
QStringList todasLasFilas(const QString& path, bool conPenal)
{
    QStringList out;
    for (const schema::TableSpec& t : schema::tables()) {
        if (t.name == "PENAL" && !conPenal)
            continue;
        QStringList cols, orden;
        for (const schema::FieldSpec& f : t.fields) {
            cols << '"' + f.name + '"';
            orden << QString::number(cols.size());
        }
        for (const QString& r : rowsOf(path, "SELECT " + cols.join(", ") + " FROM " + t.name + " ORDER BY " + orden.join(", ")))
            out << t.name + ": " + r;
    }
    return out;
}

class MigrationTest : public ::testing::Test {
protected:
    // A copy of a version-1 file as "marfondo.abs" in a folder of its own.
    QString copia(const char* nombre)
    {
        const QString path = dir.path() + "/marfondo.abs";
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(kDatos + '/' + nombre, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

TEST_F(MigrationTest, AFileOfVersionOneIsBroughtUpAfterACopyAndKeepsEveryValue)
{
    for (const char* nombre : {"vacia-v1.abs", "demo-v1.abs"}) {
        SCOPED_TRACE(nombre);
        dialogs.notices.clear();
        const QString path = copia(nombre);
        ASSERT_EQ(rowsOf(path, "PRAGMA user_version"), QStringList{"0"});
        // Penalties as version 1 let them be: two rows of one team and day
        // (the first is the one applied), one without a team.
        execOn(path, "INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje) VALUES "
                     "('CAE26', 1, 3, 25, 'Primera', 0), ('CAE26', 1, 3, 99, 'Repetida', 0), "
                     "('CAE26', 1, NULL, 5, 'Sin equipo', 0), ('OPEN26', 1, 2, 10.5, NULL, 10)");
        const QStringList antes = todasLasFilas(path, false);
        const QByteArray original = bytesOf(path);
        {
            Tdm data(dir.path());
            ASSERT_TRUE(data.db.isOpen());
            ASSERT_TRUE(data.openedWhole());
            EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        }
        ASSERT_EQ(dialogs.notices.size(), 1);
        const QString bak = path + ".v1.bak";
        EXPECT_TRUE(dialogs.notices[0].contains(QStringLiteral("de la versión 1 a la %1").arg(schema::kVersionEsquema)))
            << dialogs.notices[0].toStdString();
        EXPECT_TRUE(dialogs.notices[0].contains(bak)) << dialogs.notices[0].toStdString();
        EXPECT_TRUE(dialogs.notices[0].contains("2 filas")) << dialogs.notices[0].toStdString();

        EXPECT_EQ(rowsOf(path, "PRAGMA user_version"), QStringList{QString::number(schema::kVersionEsquema)});
        EXPECT_EQ(todasLasFilas(path, false), antes);
        EXPECT_EQ(rowsOf(path, "SELECT Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje FROM PENAL ORDER BY 1, 2, 3"),
                  (QStringList{"CAE26|1|3|25.0|Primera|0", "OPEN26|1|2|10.5|NULL|10"}));
        // The copy is the file as it was, every row of it.
        ASSERT_TRUE(QFileInfo::exists(bak));
        EXPECT_EQ(rowsOf(bak, "PRAGMA user_version"), QStringList{"0"});
        EXPECT_EQ(todasLasFilas(bak, true), [&] {
            const QString before = dir.path() + "/antes.abs";
            QFile::remove(before);
            QFile f(before);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(original);
            f.close();
            return todasLasFilas(before, true);
        }());
        // The file passes the schema check of this version, and a second
        // opening neither says nor copies anything.
        {
            Tdm again(dir.path());
            EXPECT_TRUE(again.openedWhole());
        }
        EXPECT_EQ(dialogs.notices.size(), 1);
        EXPECT_EQ(QDir(dir.path()).entryList({"*.bak"}), QStringList{"marfondo.abs.v1.bak"});
        QFile::remove(bak);
    }
}

// A second copy of a version-1 file gets a name of its own; the first is kept.
TEST_F(MigrationTest, AnEarlierCopyIsNeverOverwritten)
{
    const QString path = copia("vacia-v1.abs");
    QFile old(path + ".v1.bak");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("una copia anterior");
    old.close();
    { Tdm data(dir.path()); }
    EXPECT_EQ(bytesOf(path + ".v1.bak"), QByteArray("una copia anterior"));
    EXPECT_TRUE(QFileInfo::exists(path + ".v1.2.bak"));
    ASSERT_EQ(dialogs.notices.size(), 1);
    EXPECT_TRUE(dialogs.notices[0].contains("marfondo.abs.v1.2.bak"));
}

// A file newer than the program is not touched; a damaged file of version 1
// is refused with its damage named, and not brought up.
TEST_F(MigrationTest, NewerAndDamagedFilesAreRefusedAsTheyAre)
{
    const QString path = copia("demo-v1.abs");
    execOn(path, QStringLiteral("PRAGMA user_version = %1").arg(schema::kVersionEsquema + 1));
    QByteArray before = bytesOf(path);
    {
        Tdm data(dir.path());
        EXPECT_FALSE(data.db.isOpen());
    }
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("versión %1 del esquema, más nueva").arg(schema::kVersionEsquema + 1)))
        << dialogs.errors[0].toStdString();
    EXPECT_EQ(bytesOf(path), before);

    dialogs.errors.clear();
    copia("demo-v1.abs");
    execOn(path, "DROP INDEX \"PESCADA.isEquipoFecha\"");
    before = bytesOf(path);
    {
        Tdm data(dir.path());
        EXPECT_FALSE(data.openedWhole());
    }
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8("Falta el índice «isEquipoFecha» de la tabla PESCADA")))
        << dialogs.errors[0].toStdString();
    EXPECT_TRUE(dialogs.notices.isEmpty());
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_FALSE(QFileInfo::exists(path + ".v1.bak"));
}

// The command line brings the file up too, and says so once on stderr;
// crear-base writes this version.
TEST_F(MigrationTest, TheCommandLineBringsAFileUpAndCreatesThisVersion)
{
    const QString path = copia("demo-v1.abs");
    const CliRun r = cli({"verificar", path});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QString::fromUtf8("se ha actualizado")), 1) << r.err.toStdString();
    EXPECT_EQ(rowsOf(path, "PRAGMA user_version"), QStringList{QString::number(schema::kVersionEsquema)});
    const CliRun again = cli({"verificar", path});
    EXPECT_FALSE(again.err.contains(QString::fromUtf8("se ha actualizado")));

    const QString nueva = dir.path() + "/nueva.abs";
    ASSERT_EQ(cli({"crear-base", nueva}).code, 0);
    EXPECT_EQ(rowsOf(nueva, "PRAGMA user_version"), QStringList{QString::number(schema::kVersionEsquema)});
}

}  // namespace
