#include "reports/ClasFinalHtml.h"

#include "reports/TextFile.h"
#include "scoring/ClasFinal.h"

namespace reports {

QStringList lineasClasFinal(const TClasFinal& c, const QString& titulo)
{
    QStringList l;
    l << QString::fromUtf8("<!Doctype html> <HTML> <HEAD> <Charset=\"ANSI\"> <TITLE> CLASIFICACIÓN </TITLE> </HEAD>");
    l << "<BODY bgcolor=\"#0000ff\">";
    l << "<TABLE width=\"550\" align=\"center\" border=\"1\" bgcolor=\"#0077AA\" cellspacing=\"0\" cellpadding=\"5\">";
    l << "<tr><th colspan=\"" + QString::number(c.columnas()) + "\"> " + htmlEscape(titulo) + "</th> </tr>";
    for (const QStringList& fila : c.filas()) {
        l << "<tr align=\"right\"> ";
        for (int col = 0; col < fila.size(); ++col)
            l << (col == 2 ? "<td align=\"left\"> " : "<td> ") + htmlEscape(fila[col]) + "</td>";
        l << "</tr>";
    }
    l << "</table> </body> </html>";
    return l;
}

QByteArray paginaClasFinal(const TClasFinal& c, const QString& titulo)
{
    return windows1252Html(joinLines(lineasClasFinal(c, titulo)));
}

Exportado exportarClasFinal(const TClasFinal& c, const QString& titulo, const QString& folder)
{
    const QString fichero = folder + kFicheroClasFinal;
    Exportado r;
    r.ok = writeWhole(fichero, paginaClasFinal(c, titulo), &r.error);
    if (r.ok) r.ficheros << fullName(fichero);
    return r;
}

QString textoExportacionClasFinal(const QString& fichero)
{
    return QString::fromUtf8("Exportación realizada al archivo\r") + fichero;
}

}  // namespace reports
