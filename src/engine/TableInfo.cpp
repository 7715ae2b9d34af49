#include "engine/Database.h"

#include <QDate>

#include <limits>

namespace engine {

// ---------------------------------------------------------------- schema

const IndexInfo* TableInfo::primary() const
{
    for (const IndexInfo& i : indexes)
        if (i.primary) return &i;
    return nullptr;
}

const IndexInfo* TableInfo::index(const QString& n) const
{
    for (const IndexInfo& i : indexes)
        if (i.name.compare(n.trimmed(), Qt::CaseInsensitive) == 0) return &i;
    return nullptr;
}

const IndexInfo* TableInfo::indexForFields(const QStringList& fields) const
{
    auto starts = [&](const IndexInfo& ix) {
        if (fields.size() > int(ix.parts.size())) return false;
        for (int k = 0; k < fields.size(); ++k)
            if (ix.parts[size_t(k)].field.compare(fields[k].trimmed(), Qt::CaseInsensitive) != 0) return false;
        return true;
    };
    // The primary index serves first, then the others in the file's order.
    if (const IndexInfo* p = primary(); p && starts(*p))
        return p;
    for (const IndexInfo& i : indexes)
        if (starts(i)) return &i;
    return nullptr;
}

int TableInfo::fieldIndex(const QString& n) const
{
    for (int i = 0; i < int(fields.size()); ++i)
        if (fields[size_t(i)].name.compare(n.trimmed(), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

namespace {

// n of "VARCHAR(n)", blanks allowed around the parenthesis and the number;
// -1 for any other text.
int varcharSize(QStringView decl)
{
    if (!decl.startsWith(u"VARCHAR"))
        return -1;
    QStringView rest = decl.mid(7).trimmed();
    if (rest.size() < 2 || rest.front() != u'(' || rest.back() != u')')
        return -1;
    rest = rest.mid(1, rest.size() - 2).trimmed();
    if (rest.isEmpty())
        return -1;
    for (QChar c : rest)
        if (!c.isDigit())
            return -1;
    return rest.toInt();
}

}  // namespace

FieldDef fieldDefFromDecl(const QString& name, const QString& declIn)
{
    FieldDef d;
    d.name = name;
    const QString decl = declIn.trimmed().toUpper();
    if (const int size = varcharSize(decl); size >= 0) {
        d.type = FieldType::String;
        d.size = size;
    } else if (decl == "SMALLINT") {
        d.type = FieldType::Smallint;
    } else if (decl == "INTEGER" || decl == "INT") {
        d.type = FieldType::Integer;
    } else if (decl == "BIGINT") {
        d.type = FieldType::Largeint;
    } else if (decl == "DATE") {
        d.type = FieldType::Date;
    } else if (decl == "BOOLEAN") {
        d.type = FieldType::Boolean;
    } else if (decl == "DOUBLE" || decl == "REAL" || decl == "FLOAT") {
        d.type = FieldType::Float;
    } else {
        d.type = FieldType::String;
    }
    return d;
}

QString declForField(FieldType t, int size)
{
    switch (t) {
    case FieldType::String: return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldType::Smallint: return "SMALLINT";
    case FieldType::Integer: return "INTEGER";
    case FieldType::AutoInc: return "INTEGER";
    case FieldType::Largeint: return "BIGINT";
    case FieldType::Date: return "DATE";
    case FieldType::Boolean: return "BOOLEAN";
    case FieldType::Float: return "DOUBLE";
    }
    return {};
}

QVariant fromStorage(FieldType t, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (t) {
    case FieldType::Date: {
        const QDate d = QDate::fromString(v.toString(), "yyyy-MM-dd");
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Boolean: return QVariant(v.toLongLong() != 0);
    case FieldType::Float: return QVariant(v.toDouble());
    case FieldType::String: return v.typeId() == QMetaType::QString ? v : QVariant(v.toString());
    default:
        if (v.typeId() == QMetaType::Double) {
            // A real number written by another tool: whole part, within 64 bits.
            const double d = v.toDouble();
            if (!(d == d)) return {};
            if (d >= 9.2233720368547758e18) return QVariant(std::numeric_limits<qint64>::max());
            if (d <= -9.2233720368547758e18) return QVariant(std::numeric_limits<qint64>::min());
            return QVariant(qint64(d));
        }
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const qint64 n = v.toString().toLongLong(&ok);
            return ok ? QVariant(n) : QVariant();
        }
        return v;
    }
}

}  // namespace engine
