#pragma once

#include "engine/Field.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace engine {

// A table as the program defines it, from which each backend writes its
// own statements (types, NOT NULL, the checks that keep every column within
// its type, indexes) and against which it compares a file it opens.

enum IndexOption : unsigned {
    ixNone = 0,
    ixPrimary = 1,
    ixUnique = 2,
    ixCaseInsensitive = 4,
    ixDescending = 8,
};

struct FieldSpec {
    QString name;
    FieldType type;
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

// The statements that create the table and then its indexes, in this
// backend's dialect. `as` names the table otherwise (a table rebuilt under
// a passing name); its indexes keep the table's own name.
QString createTableStatement(const TableSpec& t, const QString& as = {});
QStringList createIndexStatements(const TableSpec& t);

}  // namespace engine
