#pragma once

// A small competition for the export tests, with texts that try every
// escaping rule: markup, "&", quotes, ";", "Ñ" and characters outside
// Windows-1252 (Omega), and a code holding a single quote.

#include "support/Fixture.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace exporttest {

inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

inline const QString kCodigo = u("C'1");
inline const QString kTitulo = u("Copa \"Ñ\" <script>; A&B Ω");
inline const QString kLugar = u("Cala \"Ñ\"; Ω");

// The bytes of a file ("<missing>" when it cannot be read).
inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The files of a folder, hidden ones too, in plain code order.
inline QStringList filesIn(const QString& dir)
{
    QStringList l = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    l.sort();
    return l;
}

// A text as an SQL literal for the fixture's own statements.
inline QString lit(QString s) { return '\'' + s.replace('\'', "''") + '\''; }

// Competition C'1 (minimum 300 g, 100 a piece, 1 a gram, 200 g penalisable
// with 50 points, 5000 g at most a piece) with days 1 and 2:
//   team 1, "Ana <b>Ñ</b>" and "Luis; Pérez" of the club C.D. "Mar" & Sol:
//     Dentón 250 g (0 points), Sargo x3 1200 g (1500), Dentón 6000 g valid
//     5000 (5100), Dentón 5500 g valid 5000 (5100); bonus 300
//   team 2, "Ωmar" of Club 2: <script>&Ω 150 g (-50); no bonus
//   team 3, "Eva" without club: no catch; bonus 200, counts empty
// Day 1 ranking as stored: team 1 12000, teams 3 and 2 500 each (team 3's
// row first in the file). Day 2: no catch lines, no ranking rows.
// Competition OTRA "Ñandú €" (fits Windows-1252), day 1 only, two teams:
// two species records both named "Mero", 1000 g and 1001 g.
inline void fill(const TempDatabase& db)
{
    QStringList sql;
    sql << "INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\", \"Peso minimo\", \"Peso penalizable\", "
           "\"Puntos pieza\", \"Puntos gramo\", \"Penalizacion gramo\") VALUES (" + lit(kCodigo) + ", " + lit(kTitulo) +
               ", 'E', 5000, 300, 200, 100, 1, 50)";
    sql << "INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES (" + lit(kCodigo) + ", 1, '2026-06-01', " +
               lit(kLugar) + ")";
    sql << "INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES (" + lit(kCodigo) + ", 2, '2026-06-02', 'Norte')";
    sql << "INSERT INTO ESPECIES (Codigo, Nombre) VALUES (10, " + lit(u("Dentón")) + "), (20, " +
               lit(u("Sargo \"real\"; Ñ")) + "), (30, " + lit(u("<script>&Ω")) + "), (40, 'Mero'), (41, 'Mero')";
    const QString p = "INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES ";
    sql << p + "(" + lit(kCodigo) + ", 1, '1B', " + lit(u("Luis; Pérez")) + ", 'Otro')";
    sql << p + "(" + lit(kCodigo) + ", 1, '1A', " + lit(u("Ana <b>Ñ</b>")) + ", " + lit(u("C.D. \"Mar\" & Sol")) + ")";
    sql << p + "(" + lit(kCodigo) + ", 2, '2A', " + lit(u("Ωmar")) + ", 'Club 2')";
    sql << p + "(" + lit(kCodigo) + ", 3, '3A', 'Eva', NULL)";
    const QString l = "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", "
                      "Peso, \"Peso valido\") VALUES ";
    sql << l + "(" + lit(kCodigo) + ", 1, 1, 1, 1, 10, 250, 250)";
    sql << l + "(" + lit(kCodigo) + ", 1, 1, 2, 3, 20, 1200, 1200)";
    sql << l + "(" + lit(kCodigo) + ", 1, 1, 3, 1, 10, 6000, 5000)";
    sql << l + "(" + lit(kCodigo) + ", 1, 1, 4, 1, 10, 5500, 5000)";
    sql << l + "(" + lit(kCodigo) + ", 1, 2, 1, 1, 30, 150, 150)";
    const QString c = "INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos, "
                      "Presentadas, Validas) VALUES ";
    sql << c + "(" + lit(kCodigo) + ", 1, 1, 11700, 300, 0, 12000, 6, 5)";
    sql << c + "(" + lit(kCodigo) + ", 1, 3, 300, 200, 0, 500, NULL, NULL)";
    sql << c + "(" + lit(kCodigo) + ", 1, 2, 500, 0, 0, 500, 1, 0)";

    sql << u("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('OTRA', 'Ñandú €', 'E')");
    sql << "INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES ('OTRA', 1, '2026-07-15', 'Sur')";
    sql << p + "('OTRA', 1, 'X1', 'Uno', 'A'), ('OTRA', 2, 'X2', 'Dos', 'B')";
    sql << l + "('OTRA', 1, 1, 1, 1, 40, 1000, 1000), ('OTRA', 1, 2, 1, 1, 41, 1001, 1001)";
    sql << "INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES ('OTRA', 1, 1, 1000), ('OTRA', 1, 2, 1001)";
    db.exec(sql.join(";\n"));
}

}  // namespace exporttest
