#include "engine/SqliteErrors.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>

namespace engine::sqlite {

Refused refusedBy(const QString& sqliteText)
{
    Refused r;
    const int colon = sqliteText.indexOf(QStringLiteral(": "));
    if (colon < 0)
        return r;
    for (const QString& part : sqliteText.mid(colon + 2).split(QLatin1Char(','))) {
        const QString item = part.trimmed();
        const int dot = item.indexOf(QLatin1Char('.'));
        if (dot <= 0 || dot == item.size() - 1)
            return {};
        const QString table = item.left(dot);
        if (!r.table.isEmpty() && table != r.table)
            return {};
        r.table = table;
        r.fields << item.mid(dot + 1);
    }
    return r;
}

QString checkedField(const QString& sqliteText)
{
    const int colon = sqliteText.indexOf(QStringLiteral(": "));
    return colon < 0 ? QString() : sqliteText.mid(colon + 2).trimmed();
}

QString errorText(int ext, const QString& sqliteText, int systemErrno)
{
    // A write that found no room (the journal, the log or its index growing
    // on a full disk) fails as a disk error of its own kind; the system's
    // error number says why. It is looked at only for disk failures: after
    // any other one it may be an old number.
    const int primary = ext & 0xff;
    if ((primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN) &&
        (systemErrno == ENOSPC || systemErrno == EDQUOT))
        return QStringLiteral("El disco está lleno");
    static const QRegularExpression noColumn(QStringLiteral("no such column: (.+)$"));
    static const QRegularExpression noTable(QStringLiteral("no such table: (?:main\\.)?(.+)$"));
    switch (ext) {
    case SQLITE_READONLY_DIRECTORY:
        return QStringLiteral("La carpeta de la base de datos es de solo lectura: no se puede escribir en ella");
    case SQLITE_CANTOPEN_ISDIR: return QStringLiteral("El nombre de la base de datos es el de una carpeta");
    case SQLITE_IOERR_NOMEM: return QStringLiteral("No hay memoria suficiente");
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: {
        const Refused r = refusedBy(sqliteText);
        if (r.table.isEmpty())
            return QStringLiteral("Ya existe un registro con la misma clave");
        return QStringLiteral("Ya existe un registro con la misma clave en la tabla «%1» (%2)")
            .arg(r.table, r.fields.join(QStringLiteral(", ")));
    }
    case SQLITE_CONSTRAINT_NOTNULL: {
        const Refused r = refusedBy(sqliteText);
        if (r.table.isEmpty())
            return QStringLiteral("Falta un valor obligatorio");
        return QStringLiteral("El campo «%1» de la tabla «%2» debe tener un valor").arg(r.fields.value(0), r.table);
    }
    case SQLITE_CONSTRAINT_CHECK: {
        // The schema names each check after the field it keeps.
        const QString field = checkedField(sqliteText);
        if (field.isEmpty())
            return QStringLiteral("Un valor no cumple una regla de la base de datos");
        return QStringLiteral("El valor del campo «%1» no es válido").arg(field);
    }
    default: break;
    }
    switch (ext & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("La base de datos está en uso por otro programa");
    case SQLITE_READONLY:
        return QStringLiteral("La base de datos es de solo lectura: no se puede escribir en el fichero o en su carpeta");
    case SQLITE_NOTADB: return QStringLiteral("El fichero no es una base de datos");
    case SQLITE_CORRUPT: return QStringLiteral("El fichero de la base de datos está dañado");
    case SQLITE_CANTOPEN:
        return QStringLiteral("No se puede abrir el fichero de la base de datos (o crear su diario en la carpeta)");
    case SQLITE_FULL: return QStringLiteral("El disco está lleno");
    case SQLITE_IOERR: return QStringLiteral("Error de lectura o escritura en el disco");
    case SQLITE_PERM:
    case SQLITE_AUTH: return QStringLiteral("No hay permiso para usar el fichero de la base de datos");
    case SQLITE_NOMEM: return QStringLiteral("No hay memoria suficiente");
    case SQLITE_CONSTRAINT: return QStringLiteral("Los datos no cumplen una regla de la base de datos");
    case SQLITE_TOOBIG: return QStringLiteral("Un valor es demasiado grande para la base de datos");
    default: break;
    }
    if (auto m = noColumn.match(sqliteText); m.hasMatch())
        return QStringLiteral("Falta el campo «%1» en la base de datos: el fichero está dañado").arg(m.captured(1));
    if (auto m = noTable.match(sqliteText); m.hasMatch())
        return QStringLiteral("No existe la tabla «%1» en la base de datos").arg(m.captured(1));
    return QStringLiteral("Error de la base de datos (%1)").arg(sqliteText.isEmpty() ? QString::number(ext) : sqliteText);
}

}  // namespace engine::sqlite
