#include "cli/Command.h"

#include "data/Schema.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "reports/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace cli {

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// Writes an escaped line and its end, whole.
void writeLine(std::FILE* f, const QString& escaped)
{
    QByteArray bytes = escaped.toUtf8();
    bytes += '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fflush(f);
}

}  // namespace

QString terminalText(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!isControl(c)) {
            s += ch;
            continue;
        }
        switch (c) {
        case '\t': s += QLatin1String("\\t"); break;
        case '\n': s += QLatin1String("\\n"); break;
        case '\r': s += QLatin1String("\\r"); break;
        default:
            s += c < 0x100 ? QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'))
                           : QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        }
    }
    return s;
}

void out(const QString& line) { writeLine(stdout, terminalText(line)); }

void out(const QStringList& fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString& f : fields)
        escaped << terminalText(f);
    writeLine(stdout, escaped.join('\t'));
}

void err(const QString& line) { writeLine(stderr, terminalText(line)); }

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

QString targetFolder(const Args& a)
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

namespace {

// The tables but the catch lines through SQLite's quick check; a refusal
// naming the first damage found.
void quickCheckTables(Tdm& d, const QString& file)
{
    for (const schema::TableSpec& t : schema::tables()) {
        if (t.name == QLatin1String("PESCADA"))
            continue;
        QStringList found;
        try {
            found = d.db.quickCheck(t.name);
        } catch (const engine::DatabaseError& e) {
            found << e.message();
        }
        if (!found.isEmpty())
            throw Refusal{QString::fromUtf8("El fichero «%1» está dañado en la tabla %2 (%3): no se usa")
                              .arg(file, t.name, found.first())};
    }
}

}  // namespace

OpenFile openFile(const QString& file, bool checkTables)
{
    if (!QFileInfo(file).isFile())
        throw Refusal{QString::fromUtf8("No existe el fichero «%1»").arg(file)};
    OpenFile f;
    f.tdm = Tdm::openFile(file);
    Tdm& d = *f.tdm;
    if (!d.db.isOpen() || !d.TAcomp.active() || !d.TAjornada.active() || !d.TAparticipa.active())
        throw Refusal{QString::fromUtf8("El fichero «%1» no es una base de datos de competiciones").arg(file)};
    if (!d.openedWhole())
        throw Refusal{QString::fromUtf8("No se usa el fichero «%1»: no se ha podido leer entero").arg(file)};
    if (checkTables)
        quickCheckTables(d, file);
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
