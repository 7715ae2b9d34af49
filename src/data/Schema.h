#pragma once

#include "engine/Field.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace engine {
class Database;
}

namespace schema {

enum IndexOption : unsigned {
    ixNone = 0,
    ixPrimary = 1,
    ixUnique = 2,
    ixCaseInsensitive = 4,
    ixDescending = 8,
};

struct FieldSpec {
    QString name;
    engine::FieldType type;
    int size;       // characters of a String field
    bool required;
};

struct IndexSpec {
    QString name;
    QStringList fields;
    unsigned options;
};

struct TableSpec {
    QString name;
    std::vector<FieldSpec> fields;
    std::vector<IndexSpec> indexes;
};

// The ten tables of the database, in the order they are created.
const std::vector<TableSpec>& tables();

// The statements that create the whole schema in an empty file.
QStringList ddl();

// What the open file lacks of the schema or holds otherwise, one Spanish
// sentence each, in the schema's order: a missing table, a missing field or
// one of another type, a field whose NOT NULL or CHECK constraint is not the
// schema's (or a CHECK the schema has not), a missing index ("Falta el campo
// «Peso maximo» de la tabla COMPETIC"); then every trigger, which the
// program never makes. Empty when the file is as the schema writes it. A
// file holding none of the tables gives one sentence saying so.
QStringList faltasEsquema(engine::Database& db);

// Creates a new database file holding the schema. Never overwrites: fails
// with a DatabaseError when the file exists.
void createDatabase(const QString& path);

}  // namespace schema
