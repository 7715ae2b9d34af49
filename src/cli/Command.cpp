#include "cli/Command.h"

#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "reports/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace cli {

void out(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void err(const QString& line) { std::fprintf(stderr, "%s\n", line.toUtf8().constData()); }

qint64 wholeNumber(const QString& text, const char* what, qint64 lo, qint64 hi)
{
    const QString t = text.trimmed();
    bool ok = !t.isEmpty();
    for (int i = 0; ok && i < t.size(); ++i) {
        const QChar c = t[i];
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool sign = i == 0 && t.size() > 1 && (c == QLatin1Char('-') || c == QLatin1Char('+'));
        ok = digit || sign;
    }
    qint64 v = 0;
    if (ok)
        v = t.toLongLong(&ok);
    if (!ok || v < lo || v > hi)
        throw Refusal{QString::fromUtf8("%1 debe ser un número entero entre %2 y %3: «%4»")
                          .arg(QString::fromUtf8(what))
                          .arg(lo)
                          .arg(hi)
                          .arg(text)};
    return v;
}

int smallNumber(const QString& text, const char* what) { return int(wholeNumber(text, what, kSmallMin, kSmallMax)); }

QString carpetaDestino(const Args& a)
{
    if (!a.has("--carpeta"))
        return QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator();
    const QString carpeta = a.option("--carpeta");
    if (!QFileInfo(carpeta).isDir())
        throw Refusal{QString::fromUtf8("No existe la carpeta «%1»").arg(carpeta)};
    return reports::folderOf(carpeta);
}

OpenFile::OpenFile(OpenFile&&) noexcept = default;
OpenFile& OpenFile::operator=(OpenFile&&) noexcept = default;

OpenFile::~OpenFile()
{
    if (tdm && dm == tdm.get())
        dm = nullptr;
}

OpenFile openFile(const QString& file)
{
    if (!QFileInfo(file).isFile())
        throw Refusal{QString::fromUtf8("No existe el fichero «%1»").arg(file)};
    OpenFile f;
    f.tdm = Tdm::abrirFichero(file);
    Tdm& d = *f.tdm;
    if (!d.db.isOpen() || !d.TAcomp.active() || !d.TAjornada.active() || !d.TAparticipa.active())
        throw Refusal{QString::fromUtf8("El fichero «%1» no es una base de datos de competiciones").arg(file)};
    dm = f.tdm.get();
    return f;
}

OpenFile openDay(const QString& file, const QString& codigo, int jornada, bool allowEmpty)
{
    OpenFile f = openFile(file);
    bool dayFound = false;
    if (!elegirCompeticion(*f, codigo, jornada, &dayFound))
        throw Refusal{QString::fromUtf8("No existe la competición «%1»").arg(codigo)};
    if (!dayFound)
        throw Refusal{QString::fromUtf8("La competición «%1» no tiene la jornada %2").arg(codigo).arg(jornada)};
    if (!allowEmpty && f->TAparticipa.isEmpty())
        throw Refusal{QString::fromUtf8("No hay participantes en esta prueba")};
    return f;
}

}  // namespace cli
