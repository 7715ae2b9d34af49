#include "engine/Database.h"
#include "engine/Query.h"
#include "support/Cli.h"
#include "support/Fixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {


TEST(CliTest, CrearBaseCreatesAndNeverOverwrites)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/nueva.abs";
    CliRun r = cli({"crear-base", path});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    engine::Database db;
    db.open(path);
    EXPECT_TRUE(db.hasTable("PENAL"));
    db.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('K', 'Guardada', 'E')");
    db.close();
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    r = cli({"crear-base", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("ya existe")) << r.err.toStdString();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), before);
}

TEST(CliTest, DemoFillsOnceAndRefusesUsage)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/demo.abs";
    CliRun r = cli({"demo", path});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    engine::Database db;
    db.open(path);
    engine::Query q(db);
    q.setSql({"select (select count(*) from especies) e, (select count(*) from pescadores) f,",
              " (select count(*) from competic) c, (select count(*) from jornadas where [cod comp] = 'CAE26') d,",
              " (select count(*) from (select distinct [cod comp], equipo from pescada where jornada = 1)) t"});
    q.open();
    EXPECT_GE(q.fieldByName("e").asInteger(), 12);
    EXPECT_GE(q.fieldByName("f").asInteger(), 10);
    EXPECT_EQ(q.fieldByName("c").asInteger(), 2);
    EXPECT_EQ(q.fieldByName("d").asInteger(), 2);
    EXPECT_GE(q.fieldByName("t").asInteger(), 10);
    db.close();
    r = cli({"demo", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_EQ(cli({}).code, 1);
    EXPECT_EQ(cli({"nada"}).code, 1);
    EXPECT_EQ(cli({"crear-base"}).code, 1);
}

}  // namespace
