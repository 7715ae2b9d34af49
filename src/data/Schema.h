#pragma once

#include "engine/TableSpec.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace engine {
class Database;
}

namespace schema {

using engine::FieldSpec;
using engine::IndexSpec;
using engine::TableSpec;
using engine::ixCaseInsensitive;
using engine::ixDescending;
using engine::ixNone;
using engine::ixPrimary;
using engine::ixUnique;

// The version of the schema tables() describes, which a new file carries
// and an older one is brought up to when it is opened:
//   1  the tables as first made (a file of before versions says 0);
//   2  PENAL has a key: one penalty per competition, day and team.
constexpr int kVersionEsquema = 2;

// The ten tables of the database, in the order they are created.
const std::vector<TableSpec>& tables();
// The tables as a file of an earlier version holds them.
std::vector<TableSpec> tablesDeVersion(int version);

// The version an open file holds: what it says, 1 for a file that says 0.
int versionDe(engine::Database& db);

// Brings an open file of an earlier version up to kVersionEsquema: first a
// whole copy of it beside it ("marfondo.abs.v1.bak", or .v1.2.bak and on
// when that name is taken), then every step in one transaction, all or
// nothing. What was done, in one Spanish sentence for the user.
struct Actualizacion {
    int desde = 0;
    QString copia;
    QString texto;
};
Actualizacion actualizarEsquema(engine::Database& db, const QString& path);

// What the open file lacks of the schema or holds otherwise, one Spanish
// sentence each, in the schema's order: a missing table, a missing field or
// one of another type, a field whose NOT NULL or CHECK constraint is not the
// schema's (or a CHECK the schema has not), a missing index ("Falta el campo
// «Peso maximo» de la tabla COMPETIC"); then every trigger, which the
// program never makes. Empty when the file is as the schema writes it. A
// file holding none of the tables gives one sentence saying so.
QStringList faltasEsquema(engine::Database& db, int version = kVersionEsquema);

// Creates a new database file holding the schema. Never overwrites: fails
// with a DatabaseError when the file exists.
void createDatabase(const QString& path);

}  // namespace schema
