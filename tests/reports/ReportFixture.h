#pragma once

// What the report tests share: a small competition written straight into a
// fresh file, the working folder of the header files, and a PDF's pages.

#include "scoring/ScoringFixture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace reporttest {

using scoringtest::sq;

// A participant with a licence and a club.
inline void miembro(scoringtest::ScoringDb& db, const QString& cc, int eq, const QString& dni, const QString& nombre,
                    const QString& licencia, const QString& club)
{
    db.exec(QString("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Licencia, Club) VALUES "
                    "('%1', %2, '%3', '%4', '%5', '%6')")
                .arg(sq(cc)).arg(eq).arg(sq(dni), sq(nombre), sq(licencia), sq(club)));
}

inline void lugar(scoringtest::ScoringDb& db, const QString& cc, int n, const QString& sitio)
{
    db.exec(QString("UPDATE JORNADAS SET Lugar = '%1' WHERE \"Cod comp\" = '%2' AND Numero = %3").arg(sq(sitio), sq(cc)).arg(n));
}

// Runs the test in a folder of its own, where the header files are looked for.
class WorkingFolder {
public:
    WorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// The pages of a PDF file as Qt writes it: their count and whether each is landscape.
struct PdfPages {
    int count = 0;
    int landscape = 0;
};

inline PdfPages pdfPages(const QString& path)
{
    QFile f(path);
    PdfPages p;
    if (!f.open(QIODevice::ReadOnly))
        return p;
    const QString text = QString::fromLatin1(f.readAll());
    if (!text.startsWith("%PDF-"))
        return p;
    static const QRegularExpression page(R"(/Type\s*/Page\b(?!s))");
    p.count = int(text.count(page));
    static const QRegularExpression box(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])");
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        p.landscape += m.captured(1).toDouble() > m.captured(2).toDouble();
    }
    return p;
}

}  // namespace reporttest
