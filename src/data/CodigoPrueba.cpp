#include "data/CodigoPrueba.h"

#include "data/Tdm.h"
#include "engine/Database.h"

namespace {

// Every table and column that holds a competition's code, besides COMPETIC.
const struct {
    const char* tabla;
    const char* columna;
} kTablasConCodigo[] = {
    {"JORNADAS", "Cod comp"}, {"PARTICIP", "Cod comp"}, {"ESPECIAL", "Cod comp"}, {"PESCADA", "Cod comp"},
    {"CLASIFIC", "Competicion"}, {"CUPOS", "Cod_comp"}, {"PENAL", "Cod_comp"},
};

// Refuses an empty code, or one another competition has.
void comprobarCodigoNuevo(engine::Database& db, const QString& anterior, const QString& nuevo)
{
    if (nuevo.trimmed().isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("La prueba debe tener un código"), engine::DatabaseError::Kind::RequiredMissing,
                                    "Codigo");
    // The index of COMPETIC decides what counts as the same code.
    engine::CachedStatement st = db.prepare("SELECT 1 FROM COMPETIC WHERE Codigo = ? AND Codigo <> ?");
    st->bind(1, nuevo);
    st->bind(2, anterior);
    if (st->step())
        throw engine::DatabaseError(QString::fromUtf8("Ya existe una prueba con el código «%1»").arg(nuevo),
                                    engine::DatabaseError::Kind::DuplicateKey, "Codigo");
}

// The new code in every table of the competition's data but COMPETIC.
void codigoEnLosDatos(engine::Database& db, const QString& anterior, const QString& nuevo)
{
    for (const auto& t : kTablasConCodigo) {
        engine::CachedStatement st = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?")
                                                    .arg(engine::quoteIdent(t.tabla), engine::quoteIdent(t.columna)));
        st->bind(1, nuevo);
        st->bind(2, anterior);
        st->step();
        db.touch(t.tabla);
    }
}

}  // namespace

void cambiarCodigoPrueba(Tdm& dm, const QString& anterior, const QString& nuevo)
{
    engine::Database& db = dm.db;
    comprobarCodigoNuevo(db, anterior, nuevo);
    engine::Transaction t(db);
    codigoEnLosDatos(db, anterior, nuevo);
    engine::CachedStatement st = db.prepare("UPDATE COMPETIC SET Codigo = ? WHERE Codigo = ?");
    st->bind(1, nuevo);
    st->bind(2, anterior);
    st->step();
    db.touch("COMPETIC");
    t.commit();
}

void codigoPruebaAntesDeGuardar(Tdm& dm)
{
    engine::Table& comp = dm.TAcomp;
    if (comp.state() != engine::Dataset::State::Edit || comp.currentRow() < 0)
        return;
    // The code as stored: the record's key as it was read.
    const engine::Dataset::Bookmark clave = comp.bookmark();
    if (clave.size() != 1)
        return;
    const QString anterior = clave[0].toString();
    const QString nuevo = comp.fieldByName("Codigo").asString();
    if (nuevo == anterior)
        return;
    // The record's own post writes the new code over the one it had, in the
    // same transaction as its data's.
    comprobarCodigoNuevo(dm.db, anterior, nuevo);
    codigoEnLosDatos(dm.db, anterior, nuevo);
}
