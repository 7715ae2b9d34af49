#include "setup/Copia.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/ScopeGuard.h"

using engine::DatabaseError;

namespace {

QString currentCode(Tdm& dm) { return dm.TAcomp.fieldByName("Codigo").asString(); }

void copyFields(engine::Dataset& from, engine::Dataset& to, std::initializer_list<const char*> fields)
{
    for (const char* f : fields)
        to.fieldByName(f).setValue(from.fieldByName(f).value());
}


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
    engine::ScopeGuard enable{[&] { target.enableControls(); }};
    engine::ScopeGuard back{[&] { target.first(); }};
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

namespace {

// Adds to the current competition every row of source whose key the target
// lacks, with the fields named; stops, reporting it, at a failing row.
int addMissing(engine::Dataset& source, engine::Table& target, const QString& code, const char* codeField,
               const char* keyField, std::initializer_list<const char*> fields)
{
    int added = 0;
    try {
        for (source.first(); !source.eof(); source.next()) {
            const qint64 key = source.fieldByName(keyField).asLargeInt();
            if (target.seek(QVariantList{code, key}))
                continue;
            target.insert();
            target.fieldByName(codeField).setAsString(code);
            copyFields(source, target, fields);
            target.post();
            ++added;
        }
    } catch (const DatabaseError& e) {
        target.cancel();
        userDialogs().showError(e.message());
    }
    return added;
}

}  // namespace

int copiarEspeciales(Tdm& dm, const QString& origen)
{
    engine::Table& source = dm.TAespal;
    source.open();
    engine::ScopeGuard close{[&] { source.close(); }};
    engine::ScopeGuard range{[&] { source.cancelRange(); }};
    source.setRange({origen}, {origen});
    // BonificaEspecie is not copied: a copied rule gives no species bonus until ticked.
    return addMissing(source, dm.TAespecial, currentCode(dm), "Cod comp", "Cod pez",
                      {"Cod pez", "Puntua", "Peso minimo", "Puntos pieza", "Puntos gramo", "Peso penalizable",
                       "Penalizacion gramo"});
}

int copiarCupos(Tdm& dm, const QString& origen)
{
    engine::Query& source = dm.QCupos;
    source.close();
    engine::ScopeGuard close{[&] { source.close(); }};
    source.setSql({"Select * from Cupos", "Where cod_comp = " + quotedCode(origen)});
    source.open();
    if (!dm.TACupos.active())
        dm.TACupos.open();
    return addMissing(source, dm.TACupos, currentCode(dm), "Cod_comp", "Cod_Especie",
                      {"Cod_Especie", "EjemplaresCupo", "Puntos"});
}
