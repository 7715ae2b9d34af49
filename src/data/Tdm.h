#pragma once

#include "engine/DataSource.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Table.h"

#include <QString>

#include <memory>

// The data module: the database connection and the table objects, data
// sources and queries every screen and report shares. One instance, dm.
class Tdm {
public:
    // Locates the database from the program's directory and opens it; any
    // failure is reported through the dialogs and the objects stay closed.
    // Its saves go through a write-ahead log while it is open (see
    // engine::Database::setWriteAheadLog).
    explicit Tdm(const QString& programDir);
    ~Tdm();  // flushes and closes everything
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    // "marfondo.abs" next to the program, else in its "datos" folder.
    static QString locateDatabase(const QString& programDir);

    // Opens the database file at that path, whatever its name (the command
    // line takes it as an argument); failures as for the constructor above.
    static std::unique_ptr<Tdm> openFile(const QString& databaseFile);

    engine::Database db;

    engine::Table TAcomp{db, "COMPETIC"};
    engine::Table TAjornada{db, "JORNADAS"};
    engine::Table TAparticipa{db, "PARTICIP"};
    // The species by name, letter case ignored: the list behind the workbook's species pickers.
    engine::Table TAespecies{db, "ESPECIES"};
    // A species by code, opened at start; nothing reads it now (species are named through nombreEspecie).
    engine::Table TAespeci{db, "ESPECIES"};
    // A species by code behind nombreEspecie (calculated name fields, weigh-in, reports); moved only by it.
    engine::Table taEsp2{db, "ESPECIES"};
    // The current competition's species rules, the ones the workbook edits (detail of TAcomp).
    engine::Table TAespecial{db, "ESPECIAL"};
    // Every competition's species rules, by primary key: the source of a copy of rules.
    engine::Table TAespal{db, "ESPECIAL"};
    engine::Table TApescada{db, "PESCADA"};
    engine::Table TAClasific{db, "CLASIFIC"};
    engine::Table TaPescadores{db, "PESCADORES"};
    engine::Table TACupos{db, "CUPOS"};
    engine::Table TAPenal{db, "PENAL"};

    engine::DataSource Scomp{&TAcomp};
    engine::DataSource Sjornada{&TAjornada};
    engine::DataSource Sparticipa{&TAparticipa};
    engine::DataSource Sespecial{&TAespecial};
    engine::DataSource Sespecies{&TAespecies};
    engine::DataSource dsTaPescadores{&TaPescadores};
    engine::DataSource SCupos{&TACupos};

    engine::Query ABSQueryCupos{db};
    engine::Query ABSQueryEspecial{db};
    engine::Query QParaTodo{db};
    engine::Query absQ{db};
    engine::Query QCupos{db};

    engine::DataSource DSQCupos{&ABSQueryCupos};
    engine::DataSource DSQEspecial{&ABSQueryEspecial};

    // True when the file, its schema and every table object opened at start
    // opened without a failure; false after any failure reported there (a
    // damaged page of one table among them).
    bool openedWhole() const { return openedWhole_; }

    // The species name of a code, "" when no species has it (through taEsp2);
    // found, when given, says whether the register has the code.
    QString nombreEspecie(qint64 code, bool* found = nullptr);

private:
    struct GivenFile {};
    Tdm(const QString& databaseFile, GivenFile);
    void defineObjects();
    void defineFieldPresentation();
    void openAtStart(const QString& path);

    bool openedWhole_ = false;
};

// The single instance, created first of all objects at start.
extern Tdm* dm;
