#include "data/Tdm.h"

#include "data/Dialogs.h"
#include "data/Rules.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>

Tdm* dm = nullptr;

using engine::Dataset;
using engine::FieldType;

QString Tdm::locateDatabase(const QString& programDir)
{
    const QString dir = QDir(programDir).absolutePath() + '/';
    const QString next = dir + "marfondo.abs";
    if (QFileInfo(next).isFile())
        return next;
    return dir + "datos/marfondo.abs";
}

Tdm::Tdm(const QString& programDir)
{
    // The program keeps the file open all day and saves line after line.
    db.setWriteAheadLog(true);
    defineObjects();
    defineFieldPresentation();
    installRecordRules(*this);
    openAtStart(locateDatabase(programDir));
}

Tdm::Tdm(const QString& databaseFile, GivenFile)
{
    defineObjects();
    defineFieldPresentation();
    installRecordRules(*this);
    openAtStart(databaseFile);
}

std::unique_ptr<Tdm> Tdm::openFile(const QString& databaseFile)
{
    return std::unique_ptr<Tdm>(new Tdm(databaseFile, GivenFile{}));
}

Tdm::~Tdm()
{
    for (engine::Dataset* ds : std::initializer_list<engine::Dataset*>{
             &ABSQueryCupos, &ABSQueryEspecial, &QParaTodo, &absQ, &QCupos, &TAPenal, &TACupos, &TAClasific,
             &TApescada, &TAespal, &TAespecial, &TaPescadores, &TAparticipa, &TAespeci, &TAespecies, &taEsp2,
             &TAjornada, &TAcomp}) {
        try {
            ds->cancel();
            ds->close();
        } catch (const engine::DatabaseError&) {
            // Going away: what is pending was never confirmed; the saved rows are on disk.
        }
    }

    db.close();
}

void Tdm::defineObjects()
{
    TAcomp.setIndexName("idxPrimaryKey");
    TAjornada.setIndexFieldNames("Cod comp;Numero");
    TAjornada.setMaster(&Scomp, "Codigo");
    TAparticipa.setIndexFieldNames("Cod comp;Equipo;DNI");
    TAparticipa.setMaster(&Scomp, "Codigo");
    TAespecies.setIndexName("isNombre");
    TAespeci.setIndexName("idxPrimaryKey");
    taEsp2.setIndexName("idxPrimaryKey");
    TAespecial.setIndexFieldNames("Cod comp;Cod pez");
    TAespecial.setMaster(&Scomp, "Codigo");
    TAespal.setIndexName("idxPrimaryKey");
    TApescada.setIndexFieldNames("Cod comp;Jornada;Equipo;Pesada num");
    TApescada.setMaster(&Sjornada, "Cod comp;Numero");
    TAClasific.setIndexName("isPuntosEquipo");
    TAClasific.setMaster(&Sjornada, "Cod comp;Numero");
    TaPescadores.setIndexName("idxPrimaryKey");
    TACupos.setIndexFieldNames("Cod_comp;Cod_Especie");
    TACupos.setMaster(&Scomp, "Codigo");

    Sparticipa.autoEdit = false;

    // Species names worked out whenever a record is read.
    TAespecial.addCalculatedField("npez", FieldType::String, 20);
    TAespecial.onCalcFields = [this](Dataset& ds) {
        ds.fieldByName("npez").setValue(nombreEspecie(ds.fieldByName("Cod pez").asLargeInt()));
    };
    TApescada.addCalculatedField("pez", FieldType::String, 20);
    TApescada.onCalcFields = [this](Dataset& ds) {
        ds.fieldByName("pez").setValue(nombreEspecie(ds.fieldByName("Cod pez").asLargeInt()));
    };
    TACupos.addCalculatedField("nPez", FieldType::String, 20);
    TACupos.onCalcFields = [this](Dataset& ds) {
        ds.fieldByName("nPez").setValue(nombreEspecie(ds.fieldByName("Cod_Especie").asLargeInt()));
    };

    ABSQueryCupos.setSql({" Select c.*, nombre", " from cupos c join especies e on(c.cod_especie=e.codigo)", "",
                          " order by nombre"});
    ABSQueryEspecial.setSql({" Select e.*, nombre", " from especial e join especies esp on(e.[cod pez]=esp.codigo)", "",
                             " order by nombre"});
}

void Tdm::defineFieldPresentation()
{
    auto fmt = [](engine::Dataset& ds, const char* field, const char* format, const char* label = nullptr) {
        engine::FieldMeta& m = ds.meta(field);
        m.displayFormat = format;
        if (label) m.displayLabel = QString::fromUtf8(label);
    };
    fmt(TAcomp, "Peso maximo", "#,##0");
    fmt(TAcomp, "Puntos Cupo", "#,##0");
    fmt(TAcomp, "Puntos Especie", "#,##0");
    TAespecial.meta("Puntua").trueText = "Si";
    TAespecial.meta("Puntua").falseText = "No";
    fmt(TAespecial, "Peso minimo", ",##0");
    fmt(TAespecial, "Puntos pieza", ",##0");
    fmt(TAespecial, "Peso penalizable", ",##0");
    fmt(TAespecial, "Penalizacion gramo", ",##0", "Penalización");
    fmt(TACupos, "Puntos", ",##0");
    ABSQueryEspecial.meta("Puntua").trueText = QString::fromUtf8("Sí");
    ABSQueryEspecial.meta("Puntua").falseText = "No";
    fmt(ABSQueryEspecial, "Peso minimo", ",##0", "Peso mínimo");
    fmt(ABSQueryEspecial, "Puntos pieza", ",##0", "Ptos pieza");
    fmt(ABSQueryEspecial, "Puntos gramo", ",##0", "Ptos gramo");
    fmt(ABSQueryEspecial, "Peso penalizable", ",##0", "Peso penal");
    fmt(ABSQueryEspecial, "Penalizacion gramo", ",##0", "Ptos Penal");
    ABSQueryEspecial.meta("nombre").displayLabel = "Pez";
    ABSQueryCupos.meta("EjemplaresCupo").displayLabel = "Ejemplares";
    ABSQueryCupos.meta("nombre").displayLabel = "Especie";
    TaPescadores.meta("DNI").displayWidth = 12;
    TaPescadores.meta("Nombre").displayWidth = 48;
    TaPescadores.meta("Fecha _nac").displayWidth = 12;
    TaPescadores.meta("Club").displayWidth = 27;
}

void Tdm::openAtStart(const QString& path)
{
    try {
        db.open(path);
    } catch (const engine::DatabaseError& e) {
        QString text = e.message();
        if (!QFileInfo::exists(path))
            text += QString::fromUtf8(". El programa busca «marfondo.abs» junto a él y, si no está, en su carpeta «datos».");
        userDialogs().showError(text);
        return;
    }
    // A damaged or unrelated file is not used at all: one message names
    // what it lacks, and nothing is opened or written. A file of an older
    // version of the schema is checked as that version made it, then
    // brought up to this one; a newer one is not touched.
    QStringList faltas;
    int version = schema::kVersionEsquema;
    try {
        version = schema::versionDe(db);
        if (version > schema::kVersionEsquema) {
            db.close();
            userDialogs().showError(
                QStringLiteral("La base de datos «%1» es de la versión %2 del esquema, más nueva que la %3 de este "
                               "programa: ábrala con una versión más reciente del programa.")
                    .arg(path)
                    .arg(version)
                    .arg(schema::kVersionEsquema));
            return;
        }
        engine::Database::ReadScope lectura(db);
        faltas = schema::faltasEsquema(db, version);
    } catch (const engine::DatabaseError& e) {
        faltas << e.message();
    }
    if (faltas.isEmpty() && version < schema::kVersionEsquema) {
        try {
            userDialogs().showMessage(schema::actualizarEsquema(db, path).texto);
        } catch (const engine::DatabaseError& e) {
            db.close();
            userDialogs().showError(
                QStringLiteral("No se pudo actualizar la base de datos «%1» a la versión %2 del esquema; queda como "
                               "estaba: %3")
                    .arg(path)
                    .arg(schema::kVersionEsquema)
                    .arg(e.message()));
            return;
        }
    }
    // The tables' first reads under one read lock.
    engine::Database::ReadScope lectura(db);
    if (!faltas.isEmpty()) {
        db.close();
        constexpr int kMostradas = 8;
        QString text = QStringLiteral("El fichero «%1» no es una base de datos de competiciones válida:").arg(path);
        for (int i = 0; i < faltas.size() && i < kMostradas; ++i)
            text += '\n' + faltas[i];
        if (faltas.size() > kMostradas)
            text += QStringLiteral("\n(y %1 más)").arg(faltas.size() - kMostradas);
        userDialogs().showError(text);
        return;
    }
    openedWhole_ = true;
    for (engine::Dataset* ds : std::initializer_list<engine::Dataset*>{
             &TAcomp, &taEsp2, &TAespecial, &TAjornada, &TAespecies, &TAespeci, &TAparticipa, &TaPescadores}) {
        try {
            ds->open();
        } catch (const engine::DatabaseError& e) {
            openedWhole_ = false;
            userDialogs().showError(e.message());
        }
    }
}

QString Tdm::nombreEspecie(qint64 code, bool* found)
{
    if (found)
        *found = false;
    if (!taEsp2.active() || !taEsp2.seek(QVariant(code)))
        return {};
    if (found)
        *found = true;
    return taEsp2.fieldByName("Nombre").asString();
}
