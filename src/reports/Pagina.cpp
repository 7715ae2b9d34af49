#include "reports/Pagina.h"

#include "engine/ScopeGuard.h"

#include <QDir>
#include <QFile>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

int anchoVirtual = kA4Ancho;
int altoVirtual = kA4Alto;

int redondeoPar(double v) { return int(std::nearbyint(v)); }

int escalaX(const PrintSurface& s, int x)
{
    return redondeoPar(double(qint64(x) * s.pageWidth()) / double(anchoVirtual));
}

int escalaY(const PrintSurface& s, int y)
{
    return redondeoPar(double(qint64(y) * s.pageHeight()) / double(altoVirtual));
}

int alinea(int start, int boxW, int textW, bool centrado)
{
    if (centrado)
        return start + boxW / 2 - textW / 2;
    return start + boxW - textW;
}

int centradoEnHoja(const PrintSurface& s, int textW) { return redondeoPar(s.pageWidth() / 2.0 - textW / 2.0); }

QString entero(qint64 v) { return QString::number(v); }

QString acortado(PrintSurface& s, const QString& texto, int ancho)
{
    if (s.textWidth(texto) <= ancho)
        return texto;
    const QString puntos = QStringLiteral("…");
    // The places where a character ends (a letter with its accents, an
    // emoji whole); the longest start that fits, found by halving.
    QList<qsizetype> cortes;
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, texto);
    for (qsizetype p = f.toNextBoundary(); p > 0 && p < texto.size(); p = f.toNextBoundary())
        cortes << p;
    auto con = [&](qsizetype n) { return texto.left(n).trimmed() + puntos; };
    qsizetype lo = 0, hi = cortes.size();  // cortes[0..lo) fit
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (s.textWidth(con(cortes[mid - 1])) <= ancho)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0)
        return con(cortes[lo - 1]);
    return s.textWidth(puntos) <= ancho ? puntos : QString();
}

void textoEnColumna(PrintSurface& s, int a, int b, int y, const QString& texto, Alineado al)
{
    const int ancho = b - a;
    auto escribe = [&](const QString& t, int dy) {
        const int w = s.textWidth(t);
        const int x = al == Alineado::Izquierda ? a : alinea(a, ancho, w, al == Alineado::Centro);
        s.textOut(x, y + dy, t);
    };
    if (s.textWidth(texto) <= ancho) {
        escribe(texto, 0);
        return;
    }
    const int tamano = s.fontSize();
    const int alto = s.textHeight(texto);
    engine::ScopeGuard vuelta{[&] { s.setFontSize(tamano); }};
    const int menor = std::max(std::min(tamano, kTamanoLegible), tamano - 2);
    for (int t = tamano - 1; t >= menor; --t) {
        s.setFontSize(t);
        if (t == menor || s.textWidth(texto) <= ancho) {
            escribe(acortado(s, texto, ancho), alto - s.textHeight(texto));
            return;
        }
    }
    escribe(acortado(s, texto, ancho), 0);  // already at the smallest size
}

void printJob(PrintSurface& s, Orientation o, const QString& title, const std::function<void()>& prepare,
              const std::function<void()>& draw)
{
    s.setOrientation(o);
    anchoVirtual = o == Orientation::Portrait ? kA4Ancho : kA4Alto;
    altoVirtual = o == Orientation::Portrait ? kA4Alto : kA4Ancho;
    s.setTitle(title);
    if (prepare)
        prepare();
    s.beginDoc();
    const int size = s.fontSize();
    engine::ScopeGuard end{[&] {
        s.setBold(false);
        s.setFontSize(size);
        s.endDoc();
    }};
    draw();
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf salto;
};

void jpegFallo(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->salto, 1);
}

void jpegCallado(j_common_ptr, int) {}

// Decodes into img; false on any error of the decoder. No C++ object with a
// destructor lives across the jump.
bool decodificar(const unsigned char* data, unsigned long size, QImage* img)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = jpegFallo;
    error.mgr.emit_message = jpegCallado;
    if (setjmp(error.salto)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        info.output_width > 20000 || info.output_height > 20000) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *img = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (img->isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = img->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage leerJpeg(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    if (bytes.isEmpty())
        return {};
    QImage img;
    if (!decodificar(reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size(), &img))
        return {};
    return img;
}

QStringList leerLineas(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty())
        return {};
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

Cabecera leerCabecera(bool conVexilo)
{
    const QDir aqui = QDir::current();
    Cabecera c;
    c.logo = leerJpeg(aqui.filePath(QStringLiteral("escudo.jpg")));
    if (c.logo.isNull() && conVexilo && !QFile::exists(aqui.filePath(QStringLiteral("escudo.jpg"))))
        c.logo = leerJpeg(aqui.filePath(QStringLiteral("vexilo.jpg")));
    c.lineas = leerLineas(aqui.filePath(QStringLiteral("encabezado.txt")));
    return c;
}

void cabeceraActa(PrintSurface& s, const Cabecera& c, int L, int R, int alturaLinea, int& y)
{
    y = escalaY(s, 200);
    s.stretchDraw(L, y, L + escalaX(s, 500), y + escalaY(s, 500), c.logo);
    {
        s.setBold(true);
        engine::ScopeGuard normal{[&] { s.setBold(false); }};
        for (const QString& linea : c.lineas) {
            y += alturaLinea;
            s.textOut(centradoEnHoja(s, s.textWidth(linea)), y, linea);
        }
    }
    y += 2 * alturaLinea;
    s.line(L, y, R, y);
    y += escalaY(s, 20);
}
