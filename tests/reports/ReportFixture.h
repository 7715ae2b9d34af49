#pragma once

// What the report tests share: a small competition written straight into a
// fresh file, the working folder of the header files, and a PDF's pages.

#include "reports/RecordingSurface.h"
#include "scoring/ScoringFixture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

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

// Texts drawn over one another (their cells overlap on the same page),
// among those `incluido` keeps; each pair once, as "a | b".
template <class Filtro>
QStringList overprinted(const RecordingSurface& s, Filtro incluido)
{
    QList<RecordingSurface::Call> t;
    for (const auto& c : s.texts())
        if (incluido(c))
            t << c;
    QStringList r;
    for (int i = 0; i < t.size(); ++i)
        for (int j = i + 1; j < t.size(); ++j)
            if (t[i].page == t[j].page && t[i].x < t[j].x2 && t[j].x < t[i].x2 && t[i].y < t[j].y2 && t[j].y < t[i].y2)
                r << t[i].text + " | " + t[j].text;
    return r;
}

// A text at its field's full length: `inicio` repeated and cut to n characters.
inline QString completo(const QString& inicio, int n)
{
    QString t;
    while (t.size() < n)
        t += inicio;
    return t.left(n);
}

// One word of a PDF page as poppler's pdftotext reads it: its box in points
// from the page's top-left corner.
struct PdfWord {
    QString text;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
using PdfWordPage = QList<PdfWord>;

// The words of every page of a PDF, read by `pdftotext -bbox` (an independent
// reader); no pages when the file is not a PDF it can read.
inline QList<PdfWordPage> pdfWords(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QString xhtml = QString::fromUtf8(p.readAllStandardOutput());
    QList<PdfWordPage> pages;
    static const QRegularExpression item(
        R"RE(<page\b|<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>)RE");
    for (auto it = item.globalMatch(xhtml); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            pages << PdfWordPage{};
            continue;
        }
        if (pages.isEmpty())
            continue;
        QString t = m.captured(5);
        t.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        t.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        pages.last() << PdfWord{t, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                m.captured(4).toDouble()};
    }
    return pages;
}

// Where two PDFs of the same report place their words differently, each
// word taken relative to its page's content (the box around all its words):
// a word placed (or sized) more than `tolerance` of the content's width or
// height away from its place in the other, another word, or another count
// of pages or words. Empty when one is the other scaled and shifted.
inline QStringList differentPlacement(const QList<PdfWordPage>& a, const QList<PdfWordPage>& b, double tolerance)
{
    QStringList d;
    if (a.size() != b.size())
        return {QString("%1 pages against %2").arg(a.size()).arg(b.size())};
    for (int page = 0; page < a.size(); ++page) {
        const PdfWordPage &pa = a[page], &pb = b[page];
        if (pa.size() != pb.size()) {
            d << QString("page %1: %2 words against %3").arg(page + 1).arg(pa.size()).arg(pb.size());
            continue;
        }
        if (pa.isEmpty())
            continue;
        struct Box {
            double x0, y0, w, h;
        };
        auto content = [](const PdfWordPage& p) {
            double x0 = p[0].x0, y0 = p[0].y0, x1 = p[0].x1, y1 = p[0].y1;
            for (const PdfWord& w : p) {
                x0 = std::min(x0, w.x0);
                y0 = std::min(y0, w.y0);
                x1 = std::max(x1, w.x1);
                y1 = std::max(y1, w.y1);
            }
            return Box{x0, y0, x1 - x0, y1 - y0};
        };
        const Box ca = content(pa), cb = content(pb);
        for (int i = 0; i < pa.size(); ++i) {
            const PdfWord &wa = pa[i], &wb = pb[i];
            if (wa.text != wb.text) {
                d << QString("page %1, word %2: \"%3\" against \"%4\"").arg(page + 1).arg(i).arg(wa.text, wb.text);
                continue;
            }
            const double dx0 = (wa.x0 - ca.x0) / ca.w - (wb.x0 - cb.x0) / cb.w;
            const double dx1 = (wa.x1 - ca.x0) / ca.w - (wb.x1 - cb.x0) / cb.w;
            const double dy0 = (wa.y0 - ca.y0) / ca.h - (wb.y0 - cb.y0) / cb.h;
            const double dy1 = (wa.y1 - ca.y0) / ca.h - (wb.y1 - cb.y0) / cb.h;
            if (std::max({std::abs(dx0), std::abs(dx1), std::abs(dy0), std::abs(dy1)}) > tolerance)
                d << QString("page %1, \"%2\": off by %3 %, %4 % (left, top) of the content")
                         .arg(page + 1)
                         .arg(wa.text)
                         .arg(dx0 * 100, 0, 'f', 2)
                         .arg(dy0 * 100, 0, 'f', 2);
        }
    }
    return d;
}

}  // namespace reporttest
