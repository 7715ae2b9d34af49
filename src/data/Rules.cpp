#include "data/Rules.h"

#include "data/CodigoPrueba.h"
#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Query.h"
#include "engine/Table.h"

#include <QDate>

using engine::Dataset;
using engine::Field;
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
    if (MsgDlg(text, mtConfirmation, mbYes | mbNo | mbKeepDefault, 0) != mrYes)
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
    if (MsgDlg("Si borra al participante se borrarán todos los datos del equipo", mtWarning,
               mbYes | mbCancel | mbKeepDefault, 0) != mrYes)
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

// The same person once per competition, one person per team when individual.
void participantPosting(Tdm& dm)
{
    Dataset& part = dm.TAparticipa;
    const QString dni = part.fieldByName("DNI").asString();
    Field& team = part.fieldByName("Equipo");
    if (dni.isEmpty() || team.isNull())
        return;  // the engine refuses the missing value with its own sentence
    const bool editing = part.state() == Dataset::State::Edit;
    QString field;
    const QString refusal =
        rechazoParticipante(dm.db, part.fieldByName("Cod comp").asString(), team.asInteger(), dni,
                            editing ? part.storedValue("Equipo").toInt() : 0,
                            editing ? part.storedValue("DNI").toString() : QString(), &field);
    if (!refusal.isEmpty())
        throw DatabaseError(refusal, DatabaseError::Kind::General, field);
}

void confirmSpeciesRuleDeletion(Tdm& dm)
{
    const QString text = QString::fromUtf8("¿Borrar ") + dm.TAespecial.fieldByName("npez").asString() + "?";
    if (MsgDlg(text, mtConfirmation, mbYes | mbCancel | mbKeepDefault, 0) != mrYes)
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
    dm.TAparticipa.beforePost = [m](Dataset&) { participantPosting(*m); };
    dm.TAparticipa.beforeDelete = [m](Dataset&) { participantDeleting(*m); };
    dm.TAespecial.beforeDelete = [m](Dataset&) { confirmSpeciesRuleDeletion(*m); };
    dm.TAespecial.afterPost = [m](Dataset&) { refreshIfOpen(m->ABSQueryEspecial); };
    dm.TAespecial.afterDelete = [m](Dataset&) { refreshIfOpen(m->ABSQueryEspecial); };
    dm.TACupos.afterPost = [m](Dataset&) { refreshIfOpen(m->ABSQueryCupos); };
    dm.TACupos.afterDelete = [m](Dataset&) { refreshIfOpen(m->ABSQueryCupos); };
    dm.DSQEspecial.onDataChange = [m] { follow(m->ABSQueryEspecial, m->TAespecial, "Cod pez"); };
    dm.DSQCupos.onDataChange = [m] { follow(m->ABSQueryCupos, m->TACupos, "Cod_Especie"); };
    installSpeciesRules(dm.TAespecies);
}

namespace {

// The first column of the first row of a one-line query.
QVariant firstValue(engine::Database& db, const QStringList& sql)
{
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    const QVariant v = q.isEmpty() ? QVariant() : q.field(0).value();
    q.close();
    return v;
}

QString counted(qint64 n, const char* one, const char* many)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : many);
}

}  // namespace

QString especieEnUso(engine::Database& db, qint64 code, const QString& name)
{
    const QString c = QString::number(code);
    const qint64 lines = firstValue(db, {"Select count(*) from pescada where [cod pez] = " + c}).toLongLong();
    const qint64 competitions =
        firstValue(db, {"Select count(*) from (Select [cod comp] from pescada where [cod pez] = " + c,
                        " union Select [cod comp] from especial where [cod pez] = " + c,
                        " union Select cod_comp from cupos where cod_especie = " + c + ")"})
            .toLongLong();
    if (lines == 0 && competitions == 0)
        return {};
    return QString::fromUtf8("No se puede borrar la especie «%1»: la usan %2 y %3.")
        .arg(name, counted(lines, "línea de pesca", "líneas de pesca"),
             counted(competitions, "competición", "competiciones"));
}

void installSpeciesRules(engine::Table& species)
{
    engine::Database* db = &species.database();
    species.beforePost = [](Dataset& ds) {
        if (ds.fieldByName("Nombre").asString().trimmed().isEmpty())
            throw DatabaseError(QString::fromUtf8("Falta el dato obligatorio «Nombre»."),
                                DatabaseError::Kind::RequiredMissing, "Nombre");
    };
    species.beforeDelete = [db](Dataset& ds) {
        const QString refusal = especieEnUso(*db, ds.fieldByName("Codigo").asLargeInt(), ds.fieldByName("Nombre").asString());
        if (!refusal.isEmpty())
            throw DatabaseError(refusal);
    };
}

QString rechazoParticipante(engine::Database& db, const QString& code, int team, const QString& dni, int storedTeam,
                            const QString& storedDni, QString* field)
{
    // The participant's own row in the file is not another entry.
    const QString notSelf = storedDni.isEmpty()
                                ? QString()
                                : " and not (p.equipo = " + QString::number(storedTeam) +
                                      " and upper(p.dni) = upper(" + quotedCode(storedDni) + "))";
    const QString where = "Select p.equipo from particip p where p.[cod comp] = " + quotedCode(code);
    const QVariant other = firstValue(db, {where, " and upper(p.dni) = upper(" + quotedCode(dni) + ")",
                                           " and p.equipo <> " + QString::number(team) + notSelf});
    if (other.isValid() && !other.isNull()) {
        *field = "DNI";
        return QString("Ya participa en el equipo %1 de esta prueba").arg(other.toInt());
    }
    const QString tipo = firstValue(db, {"Select tipo from competic where codigo = " + quotedCode(code)}).toString();
    if (tipo != "I")
        return {};
    const QVariant mate = firstValue(db, {where, " and p.equipo = " + QString::number(team),
                                          " and upper(p.dni) <> upper(" + quotedCode(dni) + ")" + notSelf});
    if (mate.isValid() && !mate.isNull()) {
        *field = "Equipo";
        return QString::fromUtf8("En una prueba individual cada equipo tiene un solo participante: el equipo %1 ya "
                                 "tiene el suyo").arg(team);
    }
    return {};
}
