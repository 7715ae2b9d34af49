#pragma once

#include "engine/Field.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace engine {

// A table as the file holds it: its fields and indexes, read from the file
// itself (Database::tableInfo).

struct IndexPart {
    QString field;
    bool descending = false;
    bool caseInsensitive = false;
};

struct IndexInfo {
    QString name;          // as the program names it: "idxPrimaryKey"
    std::vector<IndexPart> parts;
    bool unique = false;
    bool primary = false;
};

// A CHECK constraint of a CREATE TABLE text: the column whose definition
// holds it ("" for one of the table's own), and its text from CONSTRAINT (or
// CHECK) to its closing parenthesis, in tokens between single blanks, so
// that two texts that differ only in blanks and comments compare equal.
struct CheckConstraint {
    QString column;
    QString text;
    bool operator==(const CheckConstraint&) const = default;
};
std::vector<CheckConstraint> checkConstraints(const QString& createTableSql);

struct TableInfo {
    QString name;
    QString sql;  // the CREATE TABLE text the file keeps
    std::vector<FieldDef> fields;
    std::vector<IndexInfo> indexes;
    const IndexInfo* primary() const;
    const IndexInfo* index(const QString& name) const;           // case-insensitive name
    const IndexInfo* indexForFields(const QStringList& fields) const;  // leading fields
    int fieldIndex(const QString& name) const;
};

// Quotes an identifier for SQLite: "name", inner quotes doubled.
QString quoteIdent(const QString& name);

// Reads a field definition from a declared column type ("VARCHAR(6)", "SMALLINT" ...).
FieldDef fieldDefFromDecl(const QString& name, const QString& decl);
// A value read from SQLite in the form the field type keeps in memory.
QVariant fromStorage(FieldType t, const QVariant& v);
// The declared column type for a field type.
QString declForField(FieldType t, int size);

}  // namespace engine
