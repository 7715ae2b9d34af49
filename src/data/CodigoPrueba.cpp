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

}  // namespace

void cambiarCodigoPrueba(Tdm& dm, const QString& anterior, const QString& nuevo)
{
    if (nuevo.trimmed().isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("La prueba debe tener un código"), engine::DatabaseError::Kind::RequiredMissing,
                                    "Codigo");
    engine::Database& db = dm.db;
    {
        // The index of COMPETIC decides what counts as the same code.
        engine::Statement st(db.handle(), "SELECT 1 FROM COMPETIC WHERE Codigo = ? AND Codigo <> ?");
        st.bind(1, nuevo);
        st.bind(2, anterior);
        if (st.step())
            throw engine::DatabaseError(QString::fromUtf8("Ya existe una prueba con el código «%1»").arg(nuevo),
                                        engine::DatabaseError::Kind::DuplicateKey, "Codigo");
    }
    db.startTransaction();
    try {
        for (const auto& t : kTablasConCodigo) {
            engine::Statement st(db.handle(), QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?")
                                                  .arg(engine::quoteIdent(t.tabla), engine::quoteIdent(t.columna)));
            st.bind(1, nuevo);
            st.bind(2, anterior);
            st.step();
            db.touch(t.tabla);
        }
        engine::Statement st(db.handle(), "UPDATE COMPETIC SET Codigo = ? WHERE Codigo = ?");
        st.bind(1, nuevo);
        st.bind(2, anterior);
        st.step();
        db.touch("COMPETIC");
        db.commit();
    } catch (...) {
        try {
            db.rollback();
        } catch (const engine::DatabaseError&) {
            // The change's own error is the one to report.
        }
        throw;
    }
}

void codigoPruebaAntesDeGuardar(Tdm& dm)
{
    engine::Table& comp = dm.TAcomp;
    if (comp.state() != engine::Dataset::State::Edit || comp.currentRow() < 0)
        return;
    // The code as stored, read from the record's row.
    engine::Statement st(dm.db.handle(), "SELECT Codigo FROM COMPETIC WHERE rowid = ?");
    st.bind(1, qint64(comp.bookmark()));
    if (!st.step())
        return;
    const QString anterior = st.column(0).toString();
    const QString nuevo = comp.fieldByName("Codigo").asString();
    if (nuevo == anterior)
        return;
    // The record's own post then writes the new code again, with the rest.
    cambiarCodigoPrueba(dm, anterior, nuevo);
}
