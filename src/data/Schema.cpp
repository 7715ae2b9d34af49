#include "data/Schema.h"

#include "engine/Database.h"
#include "engine/DatabaseError.h"

#include <QFileInfo>

#include <algorithm>


namespace schema {

using engine::FieldType;

const std::vector<TableSpec>& tables()
{
    using T = FieldType;
    static const std::vector<TableSpec> all = {
        {"COMPETIC",
         {{"Codigo", T::String, 6, true},
          {"Titulo", T::String, 50, true},
          {"Tipo", T::String, 1, true},
          {"Peso maximo", T::Integer, 0, false},
          {"Peso minimo", T::Integer, 0, false},
          {"Peso penalizable", T::Integer, 0, false},
          {"Puntos pieza", T::Integer, 0, false},
          {"Puntos gramo", T::Integer, 0, false},
          {"Penalizacion gramo", T::Integer, 0, false},
          {"Puntos Cupo", T::Integer, 0, false},
          {"EjemplaresCupo", T::Smallint, 0, false},
          {"Puntos Especie", T::Integer, 0, false}},
         {{"idxPrimaryKey", {"Codigo"}, ixPrimary},
          {"isTitulo", {"Titulo"}, ixCaseInsensitive}}},
        {"JORNADAS",
         {{"Cod comp", T::String, 6, true},
          {"Numero", T::Smallint, 0, true},
          {"Fecha", T::Date, 0, false},
          {"Lugar", T::String, 100, false},
          {"Horario", T::String, 30, false}},
         {{"idxPrimaryKey", {"Cod comp", "Numero"}, ixPrimary},
          {"isFecha", {"Fecha"}, ixCaseInsensitive}}},
        {"PARTICIP",
         {{"Cod comp", T::String, 6, true},
          {"Equipo", T::Smallint, 0, true},
          {"DNI", T::String, 10, true},
          {"Nombre", T::String, 50, false},
          {"Licencia", T::String, 10, false},
          {"Club", T::String, 50, false},
          {"Permiso", T::String, 10, false},
          {"Fecha nacimiento", T::Date, 0, false}},
         {{"idxPrimaryKey", {"Cod comp", "Equipo", "DNI"}, ixPrimary},
          {"isCompJornadaNombre", {"Cod comp", "Nombre"}, ixCaseInsensitive}}},
        {"ESPECIES",
         {{"Codigo", T::AutoInc, 0, false},
          {"Nombre", T::String, 20, false},
          {"Otros nombres", T::String, 100, false}},
         {{"idxPrimaryKey", {"Codigo"}, ixPrimary},
          {"isNombre", {"Nombre"}, ixCaseInsensitive}}},
        {"ESPECIAL",
         {{"Cod comp", T::String, 6, true},
          {"Cod pez", T::Integer, 0, true},
          {"Puntua", T::Boolean, 0, false},
          {"Peso minimo", T::Integer, 0, false},
          {"Puntos pieza", T::Integer, 0, false},
          {"Puntos gramo", T::Integer, 0, false},
          {"Peso penalizable", T::Integer, 0, false},
          {"Penalizacion gramo", T::Integer, 0, false},
          {"BonificaEspecie", T::Boolean, 0, false}},
         {{"idxPrimaryKey", {"Cod comp", "Cod pez"}, ixPrimary | ixUnique},
          {"isPez", {"Cod pez"}, ixCaseInsensitive}}},
        {"PESCADA",
         {{"Cod comp", T::String, 6, true},
          {"Jornada", T::Smallint, 0, true},
          {"Equipo", T::Smallint, 0, true},
          {"Pesada num", T::Smallint, 0, true},
          {"Numero piezas", T::Smallint, 0, false},
          {"Cod pez", T::Integer, 0, false},
          {"Peso", T::Integer, 0, true},
          {"Peso valido", T::Integer, 0, false}},
         {{"idxPrimaryKey", {"Cod comp", "Jornada", "Equipo", "Pesada num"}, ixPrimary},
          {"isEquipoFecha", {"Equipo", "Jornada"}, ixCaseInsensitive},
          {"CodpezCodCompJornada", {"Cod pez", "Cod comp", "Jornada"}, ixNone}}},
        {"CLASIFIC",
         {{"Competicion", T::String, 6, false},
          {"Jornada", T::Smallint, 0, false},
          {"Equipo", T::Smallint, 0, false},
          {"Puntos", T::Integer, 0, false},
          {"Bonifica", T::Integer, 0, false},
          {"Penaliza", T::Integer, 0, false},
          {"TotalPuntos", T::Largeint, 0, false},
          {"Presentadas", T::Integer, 0, false},
          {"Validas", T::Integer, 0, false},
          {"codPiezaMayor", T::Integer, 0, false},
          {"PesoPiezaMayor", T::Integer, 0, false}},
         {{"idxPrimaryKey", {"Competicion", "Jornada", "Equipo"}, ixPrimary},
          {"isCompEquipo", {"Competicion", "Equipo"}, ixCaseInsensitive},
          {"isPuntosEquipo", {"Competicion", "Jornada", "TotalPuntos"}, ixDescending | ixCaseInsensitive}}},
        {"PESCADORES",
         {{"DNI", T::String, 10, true},
          {"Nombre", T::String, 50, false},
          {"Fecha _nac", T::Date, 0, false},
          {"Club", T::String, 50, false},
          {"Licencia", T::String, 10, false}},
         {{"idxPrimaryKey", {"DNI"}, ixPrimary},
          {"iNombre", {"Nombre"}, ixNone}}},
        {"CUPOS",
         {{"Cod_comp", T::String, 6, true},
          {"Cod_Especie", T::Integer, 0, true},
          {"EjemplaresCupo", T::Smallint, 0, false},
          {"Puntos", T::Integer, 0, false}},
         {{"IndexName", {"Cod_comp", "Cod_Especie"}, ixPrimary}}},
        {"PENAL",
         {{"Cod_comp", T::String, 6, true},
          {"Jornada", T::Smallint, 0, true},
          {"Equipo", T::Smallint, 0, true},
          {"Puntos", T::Float, 0, false},
          {"Motivo", T::String, 256, false},
          {"Porcentaje", T::Integer, 0, false}},
         {{"idxPrimaryKey", {"Cod_comp", "Jornada", "Equipo"}, ixPrimary}}},
    };
    return all;
}

namespace {

// PENAL as version 1 made it: no key, every field optional.
TableSpec penalVersion1()
{
    TableSpec t = *std::find_if(tables().begin(), tables().end(), [](const TableSpec& x) { return x.name == "PENAL"; });
    for (FieldSpec& f : t.fields)
        f.required = false;
    t.indexes.clear();
    return t;
}

// Version 1 to 2: PENAL made again with its key. Of the rows of one team
// and day the first, the one the program has always applied, stays; rows
// without competition, day or team, which it never read, do not. Both stay
// in the copy. Returns how many rows were left out.
int penalConClave(engine::Database& db)
{
    const TableSpec penal = *std::find_if(tables().begin(), tables().end(),
                                          [](const TableSpec& x) { return x.name == "PENAL"; });
    db.exec(engine::createTableStatement(penal, "PENAL_nueva"));
    int fuera = 0;
    {
        // A table without index is read in the order its rows were written.
        engine::CachedStatement leer =
            db.prepare("SELECT Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje FROM PENAL");
        engine::CachedStatement hay =
            db.prepare("SELECT 1 FROM PENAL_nueva WHERE Cod_comp = ? AND Jornada = ? AND Equipo = ?");
        engine::CachedStatement poner = db.prepare(
            "INSERT INTO PENAL_nueva (Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje) VALUES (?, ?, ?, ?, ?, ?)");
        while (leer->step()) {
            const QVariant cc = leer->column(0), jor = leer->column(1), eq = leer->column(2);
            if (cc.isNull() || jor.isNull() || eq.isNull()) {
                ++fuera;
                continue;
            }
            hay->reset();
            hay->bind(1, cc);
            hay->bind(2, jor);
            hay->bind(3, eq);
            if (hay->step()) {
                ++fuera;
                continue;
            }
            poner->reset();
            for (int i = 0; i < 6; ++i)
                poner->bind(i + 1, leer->column(i));
            poner->step();
        }
    }
    db.exec("DROP TABLE PENAL");
    db.exec("ALTER TABLE PENAL_nueva RENAME TO PENAL");
    for (const QString& ix : engine::createIndexStatements(penal))
        db.exec(ix);
    db.touchAll();
    return fuera;
}

QString copiaLibre(const QString& path, int version)
{
    const QString base = QStringLiteral("%1.v%2").arg(path).arg(version);
    QString copia = base + ".bak";
    for (int n = 2; QFileInfo::exists(copia); ++n)
        copia = QStringLiteral("%1.%2.bak").arg(base).arg(n);
    return copia;
}

}  // namespace

std::vector<TableSpec> tablesDeVersion(int version)
{
    std::vector<TableSpec> t = tables();
    if (version <= 1)
        for (TableSpec& x : t)
            if (x.name == "PENAL")
                x = penalVersion1();
    return t;
}

int versionDe(engine::Database& db)
{
    const int v = db.schemaVersion();
    return v == 0 ? 1 : v;
}

Actualizacion actualizarEsquema(engine::Database& db, const QString& path)
{
    Actualizacion a;
    a.desde = versionDe(db);
    if (a.desde >= kVersionEsquema)
        return a;
    a.copia = copiaLibre(QFileInfo(path).absoluteFilePath(), a.desde);
    db.copyTo(a.copia);
    int fuera = 0;
    engine::Transaction t(db);
    if (a.desde < 2)
        fuera += penalConClave(db);
    db.setSchemaVersion(kVersionEsquema);
    t.commit();
    a.texto = QStringLiteral("La base de datos «%1» se ha actualizado de la versión %2 a la %3 del esquema; la copia "
                             "de como estaba es «%4».")
                  .arg(path)
                  .arg(a.desde)
                  .arg(kVersionEsquema)
                  .arg(a.copia);
    if (fuera > 0)
        a.texto += QStringLiteral(" De PENAL quedan solo en la copia %1 filas que el programa no aplicaba (repetidas "
                                  "o sin prueba, jornada o equipo).")
                       .arg(fuera);
    return a;
}

QStringList faltasEsquema(engine::Database& db, int version)
{
    int tablasQueFaltan = 0;
    const QStringList faltas = db.schemaDifferences(tablesDeVersion(version), &tablasQueFaltan);
    if (tablasQueFaltan == int(tables().size()))
        return {QStringLiteral("El fichero no tiene ninguna de las tablas de una base de datos de competiciones")};
    return faltas;
}

void createDatabase(const QString& path) { engine::Database::create(path, tables(), kVersionEsquema); }

}  // namespace schema
