#include "widgets/ErrorText.h"

#include <QHash>

namespace widgets {

namespace {

using Kind = engine::DatabaseError::Kind;

// Keys in lower case: field names are matched without regard to letter case.
const QHash<QString, QString>& fieldWords()
{
    static const QHash<QString, QString> words = {
        {"codigo", QStringLiteral("Código")},
        {"dni", QStringLiteral("ID")},
        {"titulo", QStringLiteral("Nombre")},
        {"tipo", QStringLiteral("Tipo de prueba")},
        {"cod comp", QStringLiteral("Competición")},
        {"cod_comp", QStringLiteral("Competición")},
        {"competicion", QStringLiteral("Competición")},
        {"numero", QStringLiteral("Número de jornada")},
        {"cod pez", QStringLiteral("Especie")},
        {"cod_especie", QStringLiteral("Especie")},
        {"pesada num", QStringLiteral("Número de pesada")},
        {"numero piezas", QStringLiteral("Número de piezas")},
        {"peso valido", QStringLiteral("Peso válido")},
        {"peso minimo", QStringLiteral("Peso mínimo")},
        {"peso maximo", QStringLiteral("Peso máximo puntuable")},
        {"peso penalizable", QStringLiteral("Mínimo sin penalizar")},
        {"penalizacion gramo", QStringLiteral("Penalización")},
        {"puntos pieza", QStringLiteral("Puntos por pieza")},
        {"puntos gramo", QStringLiteral("Puntos por gramo")},
        {"puntos cupo", QStringLiteral("Puntos Cupo")},
        {"puntos especie", QStringLiteral("Puntos Especie")},
        {"ejemplarescupo", QStringLiteral("Ejemplares Cupo")},
        {"fecha _nac", QStringLiteral("Fecha de nacimiento")},
        {"fecha nacimiento", QStringLiteral("Fecha de nacimiento")},
        {"licencia", QStringLiteral("Licencia")},
        {"motivo", QStringLiteral("Motivo")},
        {"porcentaje", QStringLiteral("Porcentaje")},
    };
    return words;
}

// The table named by SQLite's "UNIQUE constraint failed: TABLE.field, ...".
QString refusedTable(const QString& sqliteText)
{
    const int colon = sqliteText.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {};
    const QString rest = sqliteText.mid(colon + 1).trimmed();
    const int dot = rest.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : rest.left(dot).trimmed().toUpper();
}

QString duplicateSentence(const QString& table)
{
    static const QHash<QString, QString> sentences = {
        {"COMPETIC", QStringLiteral("Ya existe una competición con ese código.")},
        {"JORNADAS", QStringLiteral("Ya existe una jornada con ese número en esta competición.")},
        {"PARTICIP", QStringLiteral("Ese DNI ya está inscrito en ese equipo de la competición.")},
        {"ESPECIES", QStringLiteral("Ya existe una especie con ese código.")},
        {"ESPECIAL", QStringLiteral("Esa especie ya tiene sus reglas en esta competición.")},
        {"PESCADA", QStringLiteral("Ya existe una pesada con ese número para ese equipo y jornada.")},
        {"CLASIFIC", QStringLiteral("Ya existe la clasificación de ese equipo en esa jornada.")},
        {"PESCADORES", QStringLiteral("Ya hay un pescador registrado con ese DNI.")},
        {"CUPOS", QStringLiteral("Esa especie ya tiene un cupo en esta competición.")},
    };
    return sentences.value(table, QStringLiteral("Ya existe un registro con esos mismos datos."));
}

QString sentenceFor(const engine::DatabaseError& e)
{
    const QString field = e.field().trimmed();
    const QString word = field.isEmpty() ? QString() : userFieldName(field);
    switch (e.kind()) {
    case Kind::RequiredMissing:
        return word.isEmpty() ? QStringLiteral("Falta un dato obligatorio.")
                              : QStringLiteral("Falta el dato obligatorio «%1».").arg(word);
    case Kind::DuplicateKey:
        // The program's own refusal (no SQLite words behind it) already
        // says which value is taken.
        if (e.sqliteText().isEmpty() && !e.message().isEmpty())
            return e.message();
        return duplicateSentence(refusedTable(e.sqliteText()));
    case Kind::TooLong:
        return word.isEmpty() ? QStringLiteral("El texto escrito es demasiado largo.")
                              : QStringLiteral("El texto escrito en «%1» es demasiado largo.").arg(word);
    case Kind::OutOfRange:
        return word.isEmpty() ? QStringLiteral("El número escrito está fuera del rango permitido.")
                              : QStringLiteral("El número escrito en «%1» está fuera del rango permitido.").arg(word);
    case Kind::NotInteger:
        return word.isEmpty() ? QStringLiteral("Solo se admiten números enteros.")
                              : QStringLiteral("«%1» solo admite números enteros.").arg(word);
    case Kind::BadValue:
        return word.isEmpty() ? QStringLiteral("El valor escrito no es válido.")
                              : QStringLiteral("El valor escrito en «%1» no es válido.").arg(word);
    case Kind::FileMissing: return QStringLiteral("No se puede usar el fichero de la base de datos.");
    case Kind::TableMissing: return QStringLiteral("Falta una tabla en la base de datos.");
    case Kind::General:
    case Kind::FieldMissing:
    case Kind::State:
    case Kind::RowChanged: break;
    }
    return {};
}

}  // namespace

QString userFieldName(const QString& field)
{
    return fieldWords().value(field.trimmed().toLower(), field.trimmed());
}

QString userErrorText(const engine::DatabaseError& e)
{
    // A refusal the program understands is said in its own sentence alone;
    // the engine's words are kept for the failures it does not.
    const QString sentence = sentenceFor(e);
    return sentence.isEmpty() ? e.message() : sentence;
}

}  // namespace widgets
