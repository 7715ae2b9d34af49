#include "data/Schema.h"

#include "engine/Database.h"
#include "engine/DatabaseError.h"

#include <QFileInfo>

#include <sqlite3.h>

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
         {{"Cod_comp", T::String, 6, false},
          {"Jornada", T::Smallint, 0, false},
          {"Equipo", T::Smallint, 0, false},
          {"Puntos", T::Float, 0, false},
          {"Motivo", T::String, 256, false},
          {"Porcentaje", T::Integer, 0, false}},
         {}},
    };
    return all;
}

namespace {

// Files made before the date check compared with IS: their "=" let pass a
// date date() cannot read ("2026-13-45" gives NULL, and NULL = x is no
// refusal). Such a file is still taken, and verificar finds what it let in.
enum class Version { actual, fechaConIgual };

// The check that keeps a column within its type, so that no tool can store
// what the program would refuse. Named after the field, so SQLite's message
// says which one failed.
QString checkFor(const FieldSpec& f, Version v = Version::actual)
{
    const QString c = engine::quoteIdent(f.name);
    QString cond;
    switch (f.type) {
    case FieldType::String:
        cond = QStringLiteral("typeof(%1) = 'text' AND length(%1) BETWEEN 1 AND %2").arg(c).arg(f.size);
        break;
    case FieldType::Smallint:
        cond = QStringLiteral("typeof(%1) = 'integer' AND %1 BETWEEN -32768 AND 32767").arg(c);
        break;
    case FieldType::Integer:
        cond = QStringLiteral("typeof(%1) = 'integer' AND %1 BETWEEN -2147483648 AND 2147483647").arg(c);
        break;
    case FieldType::Largeint: cond = QStringLiteral("typeof(%1) = 'integer'").arg(c); break;
    case FieldType::AutoInc: return {};
    case FieldType::Date:
        cond = QStringLiteral("typeof(%1) = 'text' AND %1 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND "
                              "date(%1, '+0 days') %2 %1")
                   .arg(c, v == Version::actual ? "IS" : "=");
        break;
    case FieldType::Boolean: cond = QStringLiteral("typeof(%1) = 'integer' AND %1 IN (0, 1)").arg(c); break;
    case FieldType::Float: cond = QStringLiteral("typeof(%1) IN ('real', 'integer')").arg(c); break;
    }
    return QStringLiteral(" CONSTRAINT %1 CHECK (%2 IS NULL OR (%3))").arg(c, c, cond);
}

QString createTable(const TableSpec& t, Version v = Version::actual)
{
    QStringList cols;
    for (const FieldSpec& f : t.fields) {
        QString col = "  " + engine::quoteIdent(f.name) + ' ';
        if (f.type == FieldType::AutoInc)
            col += "INTEGER PRIMARY KEY AUTOINCREMENT";
        else
            col += engine::declForField(f.type, f.size);
        if (f.required)
            col += " NOT NULL";
        col += checkFor(f, v);
        cols << col;
    }
    return "CREATE TABLE " + engine::quoteIdent(t.name) + " (\n" + cols.join(",\n") + "\n)";
}

// What the file's table says otherwise than the schema of NOT NULL and of
// CHECK constraints: the program relies on both to refuse what it must not
// store, and a check of another kind could refuse what it must.
QStringList otrasReglas(const TableSpec& t, const engine::TableInfo& info)
{
    QStringList faltas;
    for (const FieldSpec& f : t.fields) {
        const int i = info.fieldIndex(f.name);
        if (i < 0 || info.fields[size_t(i)].required == f.required)
            continue;
        faltas << (f.required ? QStringLiteral("El campo «%1» de la tabla %2 no es obligatorio (NOT NULL) en el fichero")
                              : QStringLiteral("El campo «%1» de la tabla %2 es obligatorio (NOT NULL) en el fichero y "
                                               "no debe serlo"))
                      .arg(f.name, t.name);
    }
    const std::vector<engine::CheckConstraint> esperadas = engine::checkConstraints(createTable(t));
    const std::vector<engine::CheckConstraint> anteriores = engine::checkConstraints(createTable(t, Version::fechaConIgual));
    std::vector<engine::CheckConstraint> guardadas = engine::checkConstraints(info.sql);
    auto de = [](const std::vector<engine::CheckConstraint>& v, const QString& campo) {
        QStringList l;
        for (const engine::CheckConstraint& c : v)
            if (c.column.compare(campo, Qt::CaseInsensitive) == 0)
                l << c.text;
        l.sort();
        return l;
    };
    for (const FieldSpec& f : t.fields) {
        const QStringList tiene = de(guardadas, f.name);
        if (info.fieldIndex(f.name) >= 0 && tiene != de(esperadas, f.name) && tiene != de(anteriores, f.name))
            faltas << QStringLiteral("La comprobación (CHECK) del campo «%1» de la tabla %2 no es la del esquema")
                          .arg(f.name, t.name);
        std::erase_if(guardadas, [&](const engine::CheckConstraint& c) {
            return c.column.compare(f.name, Qt::CaseInsensitive) == 0;
        });
    }
    // What is left belongs to no field of the schema, or to the table.
    if (!guardadas.empty())
        faltas << QStringLiteral("La tabla %1 tiene comprobaciones (CHECK) que el esquema no lleva").arg(t.name);
    return faltas;
}

}  // namespace

QStringList ddl()
{
    QStringList out;
    for (const TableSpec& t : tables()) {
        out << createTable(t);
        for (const IndexSpec& ix : t.indexes) {
            QStringList parts;
            for (const QString& f : ix.fields) {
                QString p = engine::quoteIdent(f);
                if (ix.options & ixCaseInsensitive) p += " COLLATE NOCASE";
                if (ix.options & ixDescending) p += " DESC";
                parts << p;
            }
            const bool unique = ix.options & (ixPrimary | ixUnique);
            out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                       .arg(unique ? "UNIQUE " : "", engine::quoteIdent(t.name + '.' + ix.name),
                            engine::quoteIdent(t.name), parts.join(", "));
        }
    }
    return out;
}

QStringList faltasEsquema(engine::Database& db)
{
    QStringList faltas;
    int tablasQueFaltan = 0;
    for (const TableSpec& t : tables()) {
        if (!db.hasTable(t.name)) {
            faltas << QStringLiteral("Falta la tabla %1").arg(t.name);
            ++tablasQueFaltan;
            continue;
        }
        const engine::TableInfo& info = db.tableInfo(t.name);
        for (const FieldSpec& f : t.fields) {
            const int i = info.fieldIndex(f.name);
            if (i < 0) {
                faltas << QStringLiteral("Falta el campo «%1» de la tabla %2").arg(f.name, t.name);
                continue;
            }
            // An autoincrement column reads as a plain INTEGER when the
            // table's text does not say so: both are whole numbers.
            auto entero = [](FieldType x) { return x == FieldType::Integer || x == FieldType::AutoInc; };
            const FieldType got = info.fields[size_t(i)].type;
            if (got != f.type && !(entero(got) && entero(f.type)))
                faltas << QStringLiteral("El campo «%1» de la tabla %2 no es de tipo %3")
                              .arg(f.name, t.name,
                                   f.type == FieldType::AutoInc ? QStringLiteral("INTEGER")
                                                                : engine::declForField(f.type, f.size));
        }
        faltas << otrasReglas(t, info);
        for (const IndexSpec& ix : t.indexes)
            if (!info.index(ix.name))
                faltas << QStringLiteral("Falta el índice «%1» de la tabla %2").arg(ix.name, t.name);
    }
    if (tablasQueFaltan == int(tables().size()))
        return {QStringLiteral("El fichero no tiene ninguna de las tablas de una base de datos de competiciones")};
    // The program makes no trigger: one in the file would act on every save
    // behind the program's back.
    engine::Statement st(db.handle(), "SELECT name, tbl_name FROM sqlite_master WHERE type = 'trigger' ORDER BY name");
    while (st.step())
        faltas << QStringLiteral("El fichero tiene el disparador (TRIGGER) «%1» sobre la tabla %2, que el programa no crea")
                      .arg(st.columnText(0), st.columnText(1));
    return faltas;
}

void createDatabase(const QString& path)
{
    const QString nombre = engine::nombreFichero(path);
    if (QFileInfo::exists(nombre))
        throw engine::DatabaseError(QStringLiteral("El fichero «%1» ya existe: no se sobrescribe").arg(path));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(nombre.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int ext = db ? sqlite3_extended_errcode(db) : rc;
        const int sys = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        throw engine::DatabaseError(
            QStringLiteral("No se puede crear el fichero «%1»: %2").arg(path, engine::causaSqlite(ext, msg, sys)));
    }
    sqlite3_extended_result_codes(db, 1);
    QString script = "BEGIN;\n" + ddl().join(";\n") + ";\nCOMMIT;";
    char* err = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        const int ext = sqlite3_extended_errcode(db);
        const int sys = sqlite3_system_errno(db);
        sqlite3_free(err);
        sqlite3_close(db);
        QFile::remove(nombre);
        throw engine::DatabaseError(
            QStringLiteral("No se pudo crear el esquema en «%1»: %2").arg(path, engine::causaSqlite(ext, msg, sys)));
    }
    sqlite3_close(db);
}

}  // namespace schema
