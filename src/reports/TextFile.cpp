#include "reports/TextFile.h"

#include "data/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace reports {

// --- Escaping ---------------------------------------------------------------

QString htmlEscape(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            continue;
        switch (u) {
        case '&': s += QLatin1String("&amp;"); break;
        case '<': s += QLatin1String("&lt;"); break;
        case '>': s += QLatin1String("&gt;"); break;
        case '"': s += QLatin1String("&quot;"); break;
        default: s += c;
        }
    }
    return s;
}

QString csvField(const QString& text)
{
    bool quote = false;
    for (QChar c : text)
        if (c == ';' || c == '"' || c == '\r' || c == '\n') quote = true;
    if (!quote) return text;
    QString s = text;
    s.replace('"', QLatin1String("\"\""));
    return '"' + s + '"';
}

QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) quoted << csvField(f);
    return quoted.join(';');
}

QString csvText(const QString& text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        return '\'' + text;
    return text;
}

// --- Lines and encodings ----------------------------------------------------

QString joinLines(const QStringList& lines)
{
    QString s;
    for (const QString& l : lines) s += l + QLatin1String("\r\n");
    return s;
}

namespace {

// The code points of the bytes 0x80..0x9F of Windows-1252. Five bytes have no
// character of their own; as the system does, they stand for the control
// character of the same number.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte of a code point, or -1 when Windows-1252 has none.
int windows1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

// Calls f(code point) for every character; a lone surrogate is U+FFFD.
template <class F>
void forEachCodePoint(const QString& text, F f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (c.isSurrogate()) {
            f(char32_t(0xFFFD));
        } else {
            f(char32_t(c.unicode()));
        }
    }
}

QByteArray toWindows1252(const QString& text, bool references)
{
    QByteArray out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t cp) {
        const int b = windows1252Byte(cp);
        if (b >= 0)
            out += char(b);
        else if (references)
            out += "&#" + QByteArray::number(quint32(cp)) + ';';
        else
            out += '?';  // not reached: callers check fitsWindows1252 first
    });
    return out;
}

}  // namespace

bool fitsWindows1252(const QString& text)
{
    bool fits = true;
    forEachCodePoint(text, [&](char32_t cp) {
        if (windows1252Byte(cp) < 0) fits = false;
    });
    return fits;
}

QByteArray windows1252Html(const QString& text)
{
    return toWindows1252(text, true);
}

QByteArray utf8WithBom(const QString& text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray windows1252OrUtf8(const QString& text)
{
    return fitsWindows1252(text) ? toWindows1252(text, false) : utf8WithBom(text);
}

// --- Folders and file names -------------------------------------------------

QString folderOf(const QString& typed)
{
    if (typed.isEmpty() || typed.endsWith('/') || typed.endsWith(QDir::separator())) return typed;
    if (QFileInfo(typed).isDir()) return typed + QDir::separator();
    return typed;
}

QString defaultFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

QString folderPrompt()
{
    return QString::fromUtf8("Indique dónde guardar el archivo (termine con ") + QDir::separator() + ')';
}

bool askFolder(const QString& caption, QString& folder)
{
    QString typed = folder;
    if (!userDialogs().inputQuery(caption, folderPrompt(), typed)) return false;
    folder = folderOf(typed);
    return true;
}

QString safeFileName(const QString& name)
{
    QString s = name;
    for (QChar& c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = '-';
    }
    return s;
}

QString fullName(const QString& fileName) { return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()); }

// --- Writing ----------------------------------------------------------------

namespace {

// The system's reason for a failed file operation, as a Spanish phrase.
QString reasonOf(int e)
{
    switch (e) {
    case ENOENT: return QString::fromUtf8("no existe la carpeta");
    case ENOTDIR: return QString::fromUtf8("una parte de la ruta no es una carpeta");
    case EACCES:
    case EPERM: return QString::fromUtf8("no tiene permiso para escribir en esa carpeta");
    case EROFS: return QString::fromUtf8("el disco es de solo lectura");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QString::fromUtf8("no queda espacio en el disco");
    case EFBIG: return QString::fromUtf8("el archivo es mayor de lo que se permite escribir");
    case EISDIR: return QString::fromUtf8("ya hay una carpeta con ese nombre");
    case ENAMETOOLONG: return QString::fromUtf8("el nombre del archivo es demasiado largo");
    case EINVAL: return QString::fromUtf8("el nombre del archivo no es válido");
    case EIO: return QString::fromUtf8("error de lectura o escritura en el disco");
    case EMFILE:
    case ENFILE: return QString::fromUtf8("hay demasiados archivos abiertos");
    case EBUSY:
    case ETXTBSY: return QString::fromUtf8("el archivo está en uso");
    case ELOOP: return QString::fromUtf8("la ruta tiene demasiados enlaces simbólicos");
    default:
        return QString::fromUtf8("error del sistema %1 (%2)").arg(e).arg(QString::fromLocal8Bit(std::strerror(e)));
    }
}

QString failure(const QString& fileName, int e)
{
    return QString::fromUtf8("No se pudo escribir el archivo %1: %2.").arg(fileName, reasonOf(e));
}

enum class Replace { always, never };

// Writes the bytes into a new file beside fileName, then gives it that name
// (replacing, or only when there is none). Returns 0 or the errno of the
// step that failed; the new file is removed on every failure.
int writeBeside(const QString& fileName, const QByteArray& bytes, Replace replace, bool* created)
{
    if (created) *created = false;
    const QFileInfo info(fileName);
    if (info.fileName().isEmpty()) return EISDIR;
    if (info.isDir()) return EISDIR;
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temp = QFile::encodeName(info.absolutePath() + "/.tarsela-XXXXXX");

    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;
    int e = 0;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && e == 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno != EINTR) e = errno;
        } else {
            p += n;
            left -= n;
        }
    }
    // mkstemp makes the file private; an export gets the usual rights (or
    // those of the file it replaces).
    struct stat old;
    mode_t mode;
    if (::stat(target.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (e == 0 && ::fchmod(fd, mode) != 0) e = errno;
    if (e == 0 && ::fsync(fd) != 0) e = errno;
    if (::close(fd) != 0 && e == 0) e = errno;

    if (e == 0) {
        if (replace == Replace::always) {
            if (::rename(temp.constData(), target.constData()) != 0) e = errno;
            else {
                if (created) *created = true;
                return 0;
            }
        } else if (::link(temp.constData(), target.constData()) == 0) {
            if (created) *created = true;
        } else if (errno == EEXIST) {
            // There is one already: leave it.
        } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
            // A file system without hard links: the check and the rename are
            // two steps, which is as near as it gets.
            if (!QFileInfo::exists(info.absoluteFilePath())) {
                if (::rename(temp.constData(), target.constData()) != 0) e = errno;
                else {
                    if (created) *created = true;
                    return 0;
                }
            }
        } else {
            e = errno;
        }
    }
    ::unlink(temp.constData());
    return e;
}

}  // namespace

bool writeWhole(const QString& fileName, const QByteArray& bytes, QString* error)
{
    const int e = writeBeside(fileName, bytes, Replace::always, nullptr);
    if (e != 0 && error) *error = failure(fileName, e);
    return e == 0;
}

bool writeIfAbsent(const QString& fileName, const QByteArray& bytes, bool* created, QString* error)
{
    bool made = false;
    const int e = writeBeside(fileName, bytes, Replace::never, &made);
    if (created) *created = made;
    if (e != 0 && error) *error = failure(fileName, e);
    return e == 0;
}

}  // namespace reports
