#include "data/Rules.h"

#include "data/CodigoPrueba.h"
#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"

#include <QDate>

using engine::Dataset;
using engine::DatabaseError;

namespace {

QString currentCode(Tdm& dm)
{
    return dm.TAcomp.active() ? dm.TAcomp.fieldByName("Codigo").asString() : QString();
}

// After a competition is posted its day 1 exists and is the current day.
void firstDayOfCompetition(Tdm& dm)
{
    if (!dm.TAjornada.active())
        return;
    const QString code = dm.TAcomp.fieldByName("Codigo").asString();
    if (dm.TAjornada.seek(QVariantList{code, 1}))
        return;
    dm.TAjornada.insert();
    try {
        dm.TAjornada.fieldByName("Cod comp").setAsString(code);
        dm.TAjornada.fieldByName("Numero").setAsInteger(1);
        dm.TAjornada.fieldByName("Fecha").setAsDate(QDate::currentDate());
        dm.TAjornada.post();
    } catch (...) {
        dm.TAjornada.cancel();
        throw;
    }
}

// Dismissing the question is not consent: only "Sí" deletes.
void confirmCompetitionDeletion(Tdm& dm)
{
    const QString text = "Borrar competición " + dm.TAcomp.fieldByName("Titulo").asString();
    if (MsgDlg(text, mtConfirmation, mbYes | mbNo, 0) != mrYes)
        throw engine::Abort();
}

// Classification rows of the participant's team for every day, then the
// fishermen register brought up to date.
void participantPosted(Tdm& dm)
{
    if (!dm.TAjornada.active() || dm.TAjornada.isEmpty()) {
        userDialogs().showError("No hay jornadas definidas");
        return;
    }
    Dataset& part = dm.TAparticipa;
    const QString code = part.fieldByName("Cod comp").asString();
    const int team = part.fieldByName("Equipo").asInteger();

    dm.TAjornada.first();
    dm.TAClasific.close();
    dm.TAClasific.setIndexName("idxPrimaryKey");
    dm.TAClasific.open();
    for (; !dm.TAjornada.eof(); dm.TAjornada.next()) {
        const int day = dm.TAjornada.fieldByName("Numero").asInteger();
        if (dm.TAClasific.seek(QVariantList{code, day, team}))
            continue;
        try {
            dm.TAClasific.insert();
            dm.TAClasific.fieldByName("Competicion").setAsString(code);
            dm.TAClasific.fieldByName("Jornada").setAsInteger(day);
            dm.TAClasific.fieldByName("Equipo").setAsInteger(team);
            dm.TAClasific.fieldByName("Puntos").setAsInteger(0);
            dm.TAClasific.post();
        } catch (const DatabaseError&) {
            dm.TAClasific.cancel();
            userDialogs().showError(QString::fromUtf8("Error al guardar en la tabla de clasificación"));
            dm.TAClasific.close();
            return;
        }
    }
    dm.TAClasific.close();

    if (!dm.TaPescadores.active())
        return;
    const QString dni = part.fieldByName("DNI").asString();
    Dataset& reg = dm.TaPescadores;
    try {
        if (dm.TaPescadores.seek(QVariant(dni)))
            reg.edit();
        else
            reg.insert();
        reg.fieldByName("DNI").setAsString(dni);
        reg.fieldByName("Nombre").setValue(part.fieldByName("Nombre").value());
        reg.fieldByName("Fecha _nac").setValue(part.fieldByName("Fecha nacimiento").value());
        reg.fieldByName("Club").setValue(part.fieldByName("Club").value());
        reg.fieldByName("Licencia").setValue(part.fieldByName("Licencia").value());
        reg.post();
    } catch (const DatabaseError& e) {
        reg.cancel();
        userDialogs().showError(e.message());
    }
}

// The last member of a team takes the team's classification rows with it.
void participantDeleting(Tdm& dm)
{
    const QString code = currentCode(dm);
    const int team = dm.TAparticipa.fieldByName("Equipo").asInteger();
    engine::Query& q = dm.QParaTodo;
    q.close();
    q.setSql({"Select dni from particip p", " where p.[cod comp] = " + quotedCode(code),
              " and p.equipo = " + QString::number(team)});
    q.open();
    const int members = q.recordCount();
    q.close();
    if (members > 1)
        return;
    if (members == 0)
        throw engine::Abort();
    if (MsgDlg("Si borra al participante se borrarán todos los datos del equipo", mtWarning, mbYes | mbCancel, 0) != mrYes)
        throw engine::Abort();
    MsgDlg("Ha elegido borrar todo", mtInformation, mbOK, 0);

    engine::Table& cla = dm.TAClasific;
    const bool wasOpen = cla.active();
    cla.close();
    // Every day of the team: the day link does not apply here.
    cla.setMaster(nullptr, {});
    cla.setIndexName("isCompEquipo");
    try {
        cla.open();
        cla.setRange({code, team}, {code, team});
        while (!cla.isEmpty()) {
            cla.first();
            cla.remove();
        }
    } catch (...) {
        cla.close();
        cla.cancelRange();
        cla.setIndexName("idxPrimaryKey");
        cla.setMaster(&dm.Sjornada, "Cod comp;Numero");
        throw;
    }
    cla.close();
    cla.cancelRange();
    cla.setIndexName("idxPrimaryKey");
    cla.setMaster(&dm.Sjornada, "Cod comp;Numero");
    if (wasOpen)
        cla.open();
}

void confirmSpeciesRuleDeletion(Tdm& dm)
{
    const QString text = QString::fromUtf8("¿Borrar ") + dm.TAespecial.fieldByName("npez").asString() + "?";
    if (MsgDlg(text, mtConfirmation, mbYes | mbCancel, 0) != mrYes)
        throw engine::Abort();
}

void refreshIfOpen(engine::Query& q)
{
    if (q.active())
        q.refresh();
}

// The editing panel follows the listed row unless it is being edited.
void follow(engine::Query& list, engine::Table& panel, const char* field)
{
    if (!list.active() || list.currentRow() < 0 || !panel.active() || panel.isEditing())
        return;
    panel.locate(field, list.fieldByName(field).value());
}

}  // namespace

void installRecordRules(Tdm& dm)
{
    Tdm* m = &dm;
    dm.TAjornada.onNewRecord = [m](Dataset& ds) { ds.fieldByName("Cod comp").setAsString(currentCode(*m)); };
    dm.TAparticipa.onNewRecord = [m](Dataset& ds) { ds.fieldByName("Cod comp").setAsString(currentCode(*m)); };
    dm.TAespecial.onNewRecord = [m](Dataset& ds) {
        ds.fieldByName("Cod comp").setAsString(currentCode(*m));
        ds.fieldByName("Puntua").setAsBoolean(true);
    };
    dm.TACupos.onNewRecord = [m](Dataset& ds) { ds.fieldByName("Cod_comp").setAsString(currentCode(*m)); };

    dm.TAcomp.beforePost = [m](Dataset&) { codigoPruebaAntesDeGuardar(*m); };
    dm.TAcomp.afterPost = [m](Dataset&) { firstDayOfCompetition(*m); };
    dm.TAcomp.beforeDelete = [m](Dataset&) { confirmCompetitionDeletion(*m); };
    dm.TAparticipa.afterPost = [m](Dataset&) { participantPosted(*m); };
    dm.TAparticipa.beforeDelete = [m](Dataset&) { participantDeleting(*m); };
    dm.TAespecial.beforeDelete = [m](Dataset&) { confirmSpeciesRuleDeletion(*m); };
    dm.TAespecial.afterPost = [m](Dataset&) { refreshIfOpen(m->ABSQueryEspecial); };
    dm.TAespecial.afterDelete = [m](Dataset&) { refreshIfOpen(m->ABSQueryEspecial); };
    dm.TACupos.afterPost = [m](Dataset&) { refreshIfOpen(m->ABSQueryCupos); };
    dm.TACupos.afterDelete = [m](Dataset&) { refreshIfOpen(m->ABSQueryCupos); };
    dm.DSQEspecial.onDataChange = [m] { follow(m->ABSQueryEspecial, m->TAespecial, "Cod pez"); };
    dm.DSQCupos.onDataChange = [m] { follow(m->ABSQueryCupos, m->TACupos, "Cod_Especie"); };
}
