#pragma once

// Small competitions for the scoring tests, written straight into a fresh
// file before the data module opens it.

#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "support/Fixture.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace scoringtest {

inline QString num(qint64 v) { return QString::number(v); }
inline QString orNull(const QVariant& v) { return v.isNull() ? QString("NULL") : v.toString(); }
// A text for an SQL literal, inner single quotes doubled.
inline QString sq(QString s) { return s.replace('\'', "''"); }

struct Competicion {
    QString codigo = "C1";
    QVariant pesoMaximo = 0, pesoMinimo = 0, pesoPenalizable = 0, puntosPieza = 0, puntosGramo = 0,
             penalizacion = 0, puntosCupo = 0, ejemplaresCupo = 0, puntosEspecie = 0;
};

class ScoringDb {
public:
    TempDatabase file;
    std::unique_ptr<Tdm> dm;

    void exec(const QString& sql) const { file.exec(sql); }

    void competicion(const Competicion& c, const QString& titulo = "Prueba")
    {
        exec(QString("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\", \"Peso minimo\", "
                     "\"Peso penalizable\", \"Puntos pieza\", \"Puntos gramo\", \"Penalizacion gramo\", "
                     "\"Puntos Cupo\", EjemplaresCupo, \"Puntos Especie\") VALUES ('%1', '%2', 'E', %3, %4, %5, "
                     "%6, %7, %8, %9, %10, %11)")
                 .arg(sq(c.codigo), sq(titulo), orNull(c.pesoMaximo), orNull(c.pesoMinimo), orNull(c.pesoPenalizable),
                      orNull(c.puntosPieza), orNull(c.puntosGramo), orNull(c.penalizacion), orNull(c.puntosCupo))
                 .arg(orNull(c.ejemplaresCupo), orNull(c.puntosEspecie)));
    }
    void jornada(const QString& cc, int n)
    {
        exec(QString("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('%1', %2, '2026-06-0%2')").arg(sq(cc)).arg(n));
    }
    void participante(const QString& cc, int eq, const QString& dni, const QString& nombre)
    {
        exec(QString("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES ('%1', %2, '%3', '%4', 'Club')")
                 .arg(sq(cc)).arg(eq).arg(sq(dni), sq(nombre)));
    }
    void especie(qint64 cod, const QString& nombre)
    {
        exec(QString("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (%1, '%2')").arg(cod).arg(nombre));
    }
    // An ESPECIAL row; QVariant() leaves the column empty.
    void especial(const QString& cc, qint64 pez, QVariant puntua, QVariant minimo, QVariant pieza, QVariant gramo,
                  QVariant penalizable, QVariant penal, QVariant bonifica)
    {
        exec(QString("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\", "
                     "\"Puntos gramo\", \"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie) VALUES "
                     "('%1', %2, %3, %4, %5, %6, %7, %8, %9)")
                 .arg(sq(cc)).arg(pez)
                 .arg(orNull(puntua), orNull(minimo), orNull(pieza), orNull(gramo), orNull(penalizable), orNull(penal),
                      orNull(bonifica)));
    }
    void cupo(const QString& cc, qint64 pez, QVariant ejemplares, QVariant puntos)
    {
        exec(QString("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('%1', %2, %3, %4)")
                 .arg(sq(cc)).arg(pez).arg(orNull(ejemplares), orNull(puntos)));
    }
    void linea(const QString& cc, int jor, int eq, int pesada, int piezas, qint64 pez, int peso, QVariant valido)
    {
        exec(QString("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", "
                     "Peso, \"Peso valido\") VALUES ('%1', %2, %3, %4, %5, %6, %7, %8)")
                 .arg(sq(cc)).arg(jor).arg(eq).arg(pesada).arg(piezas).arg(pez).arg(peso).arg(orNull(valido)));
    }
    void clasific(const QString& cc, int jor, int eq, int puntos, int bonifica, int penaliza, qint64 total)
    {
        exec(QString("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos) "
                     "VALUES ('%1', %2, %3, %4, %5, %6, %7)")
                 .arg(sq(cc)).arg(jor).arg(eq).arg(puntos).arg(bonifica).arg(penaliza).arg(total));
    }
    void penal(const QString& cc, int jor, int eq, double puntos, int porcentaje = 0, const QString& motivo = {})
    {
        exec(QString("INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje) VALUES ('%1', %2, %3, "
                     "%4, %5, %6)")
                 .arg(sq(cc)).arg(jor).arg(eq).arg(puntos, 0, 'g', 17)
                 .arg(motivo.isEmpty() ? QString("NULL") : "'" + sq(motivo) + "'")
                 .arg(porcentaje));
    }

    // Opens the data module and makes (cc, jor) current as the chooser's OK does.
    Tdm& open(const QString& cc, int jor)
    {
        dm = std::make_unique<Tdm>(file.dir());
        bool dayFound = false;
        EXPECT_TRUE(elegirCompeticion(*dm, cc, jor, &dayFound));
        EXPECT_TRUE(dayFound);
        return *dm;
    }
    qint64 scalar(const QString& sql) const { return file.scalar(sql); }
};

// The competition of the valuation examples: minimum 300, per piece 100,
// per gram 1, penalisable 200, penalty 50, maximum 5000.
inline Competicion ejemplo()
{
    Competicion c;
    c.pesoMaximo = 5000;
    c.pesoMinimo = 300;
    c.puntosPieza = 100;
    c.puntosGramo = 1;
    c.pesoPenalizable = 200;
    c.penalizacion = 50;
    return c;
}
// The same rules under another code.
inline Competicion ejemplo(const QString& codigo)
{
    Competicion c = ejemplo();
    c.codigo = codigo;
    return c;
}

}  // namespace scoringtest
