#include "setup/Copia.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"

using engine::DatabaseError;

namespace {

QString currentCode(Tdm& dm) { return dm.TAcomp.fieldByName("Codigo").asString(); }

void copyFields(engine::Dataset& from, engine::Dataset& to, std::initializer_list<const char*> fields)
{
    for (const char* f : fields)
        to.fieldByName(f).setValue(from.fieldByName(f).value());
}

// Runs body; on exit restores what `restore` says, whatever happened.
template <class F>
struct Finally {
    F f;
    ~Finally() { f(); }
};
template <class F>
Finally(F) -> Finally<F>;

}  // namespace

int copiarParticipantes(Tdm& dm, const QString& origen)
{
    engine::Table source(dm.db, "PARTICIP");
    source.setIndexName("idxPrimaryKey");
    source.setReadOnly(true);
    source.open();
    source.setRange({origen}, {origen});

    engine::Table& target = dm.TAparticipa;
    target.disableControls();
    target.cancel();
    Finally restore{[&] {
        try {
            target.first();
        } catch (...) {
        }
        target.enableControls();
    }};
    // Participants are reachable only in a competition that has days.
    const QString code = dm.TAjornada.isEmpty() ? currentCode(dm) : dm.TAjornada.fieldByName("Cod comp").asString();
    int added = 0;
    for (source.first(); !source.eof(); source.next()) {
        dm.db.startTransaction();
        try {
            target.insert();
            target.fieldByName("Cod comp").setAsString(code);
            copyFields(source, target, {"DNI", "Nombre", "Licencia", "Club", "Equipo", "Permiso", "Fecha nacimiento"});
            target.post();
            dm.db.commit();
            ++added;
        } catch (const DatabaseError& e) {
            dm.db.rollback();
            target.cancel();
            const QString dni = source.fieldByName("DNI").asString();
            if (e.kind() == DatabaseError::Kind::DuplicateKey)
                ShowMsg("Participante con DNI " + dni + "\r" + "ya existe");
            else
                ShowMsg("Participante con DNI " + dni + "\r" + "no se pudo copiar: " + e.message());
        }
    }
    return added;
}

int copiarEspeciales(Tdm& dm, const QString& origen)
{
    engine::Table& source = dm.TAespal;
    source.open();
    Finally close{[&] {
        try {
            source.cancelRange();
        } catch (...) {
        }
        source.close();
    }};
    source.setRange({origen}, {origen});
    const QString code = currentCode(dm);
    engine::Table& target = dm.TAespecial;
    int added = 0;
    try {
        for (source.first(); !source.eof(); source.next()) {
            const qint64 pez = source.fieldByName("Cod pez").asLargeInt();
            if (target.seek(QVariantList{code, pez}))
                continue;
            target.insert();
            target.fieldByName("Cod comp").setAsString(code);
            copyFields(source, target, {"Cod pez", "Puntua", "Peso minimo", "Puntos pieza", "Puntos gramo",
                                        "Peso penalizable", "Penalizacion gramo"});
            target.fieldByName("BonificaEspecie").clear();
            target.post();
            ++added;
        }
    } catch (const DatabaseError& e) {
        target.cancel();
        userDialogs().showError(e.message());
    }
    return added;
}

int copiarCupos(Tdm& dm, const QString& origen)
{
    engine::Query& source = dm.QCupos;
    source.close();
    Finally close{[&] { source.close(); }};
    source.setSql({"Select * from Cupos", "Where cod_comp = " + quotedCode(origen)});
    source.open();
    engine::Table& target = dm.TACupos;
    if (!target.active())
        target.open();
    const QString code = currentCode(dm);
    int added = 0;
    try {
        for (source.first(); !source.eof(); source.next()) {
            const qint64 especie = source.fieldByName("Cod_Especie").asLargeInt();
            if (target.seek(QVariantList{code, especie}))
                continue;
            target.insert();
            target.fieldByName("Cod_comp").setAsString(code);
            copyFields(source, target, {"Cod_Especie", "EjemplaresCupo", "Puntos"});
            target.post();
            ++added;
        }
    } catch (const DatabaseError& e) {
        target.cancel();
        userDialogs().showError(e.message());
    }
    return added;
}
