// The virtual page, alignment, the job sequence and the minutes' header.
#include "reports/PainterSurface.h"
#include "reports/Pagina.h"
#include "reports/RecordingSurface.h"
#include "reports/ReportFixture.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace reporttest;
using Op = RecordingSurface::Op;

namespace {

// A landscape page of the given width (its height in proportion).
RecordingSurface apaisada(int ancho)
{
    RecordingSurface s(ancho * 4961 / 7016, ancho);
    s.setOrientation(Orientation::Landscape);
    anchoVirtual = kA4Alto;
    altoVirtual = kA4Ancho;
    return s;
}

TEST(Pagina, EscalaRoundsHalvesToEven)
{
    struct Case {
        int ancho, x, esperado;
    } cases[] = {{7016, 0, 0}, {7016, 1, 1}, {7016, 250, 250}, {7016, 7016, 7016}, {3508, 1, 0},
                 {3508, 3, 2}, {3508, 5, 2}, {3508, 7, 4}, {3508, 250, 125}, {3508, 7016, 3508}};
    for (const Case& c : cases) {
        RecordingSurface s = apaisada(c.ancho);
        EXPECT_EQ(escalaX(s, c.x), c.esperado) << c.ancho << " " << c.x;
    }
    // escalaY against the page height: 4961 virtual units high.
    RecordingSurface s(2480, 3508);
    anchoVirtual = kA4Ancho;
    altoVirtual = kA4Alto;
    EXPECT_EQ(escalaY(s, 7016), 3508);
    EXPECT_EQ(escalaY(s, 1), 0);
    EXPECT_EQ(escalaY(s, 3), 2);
    // No 32-bit overflow in the product.
    EXPECT_EQ(escalaY(s, 2000000), 1000000);
}

TEST(Pagina, AlineaCentresWithTruncatedHalvesOrEndsAtTheBox)
{
    EXPECT_EQ(alinea(100, 51, 11, true), 120);
    EXPECT_EQ(alinea(100, 50, 20, false), 130);
    EXPECT_EQ(alinea(100, 50, 80, true), 85);
    EXPECT_EQ(alinea(0, 10, 3, true), 4);
}

TEST(Pagina, CentringOnTheSheetDiffersFromAlineaWhenOneWidthIsOdd)
{
    RecordingSurface s = apaisada(3508);
    EXPECT_EQ(centradoEnHoja(s, 11), 1748);  // 1748.5 to even
    EXPECT_EQ(alinea(0, 3508, 11, true), 1749);
    EXPECT_EQ(centradoEnHoja(s, 12), alinea(0, 3508, 12, true));
    RecordingSurface t = apaisada(3509);
    EXPECT_EQ(centradoEnHoja(t, 12), 1748);  // 1748.5 to even
    EXPECT_EQ(alinea(0, 3509, 12, true), 1748);
    EXPECT_EQ(centradoEnHoja(t, 10), 1750);  // 1749.5 to even
    EXPECT_EQ(alinea(0, 3509, 10, true), 1749);
}

TEST(Pagina, JobSetsThePageBeforeMeasuringAndEndsTheDocumentOnEveryPath)
{
    for (bool falla : {false, true}) {
        RecordingSurface s(4961, 7016, 11);
        int medidoAntes = 0;
        auto job = [&] {
            printJob(
                s, Orientation::Landscape, "Clasificación", [&] { medidoAntes = escalaX(s, 7016); },
                [&] {
                    s.setFontSize(9);
                    s.setBold(true);
                    s.textOut(0, 0, "uno");
                    if (falla)
                        throw engine::DatabaseError("roto");
                    s.newPage();
                });
        };
        if (falla)
            EXPECT_THROW(job(), engine::DatabaseError);
        else
            job();
        EXPECT_EQ(medidoAntes, 7016);
        EXPECT_EQ(anchoVirtual, 7016);
        EXPECT_EQ(altoVirtual, 4961);
        EXPECT_EQ(s.title(), "Clasificación");
        EXPECT_EQ(s.calls.first().op, Op::Orientation);
        EXPECT_FALSE(s.open());
        EXPECT_EQ(s.calls.last().op, Op::End);
        EXPECT_EQ(s.fontSize(), 11);
        EXPECT_FALSE(s.bold());
        EXPECT_EQ(s.pages(), falla ? 1 : 2);
    }
}

QByteArray jpeg(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG");
    return bytes;
}

// The header on a landscape page of 7016 units: L 250, R 6816, line height 120.
RecordingSurface cabecera(bool conVexilo)
{
    RecordingSurface s = apaisada(7016);
    s.beginDoc();
    int y = 0;
    cabeceraActa(s, leerCabecera(conVexilo), 250, 6816, 120, y);
    s.line(0, y, 1, y);  // marks where it left y
    return s;
}

TEST(Cabecera, WithoutFilesTheRuleFallsTwoLinesBelowTheLogoTop)
{
    WorkingFolder here;
    RecordingSurface s = cabecera(true);
    EXPECT_TRUE(s.texts().isEmpty());
    EXPECT_TRUE(s.calls.cend() == std::find_if(s.calls.cbegin(), s.calls.cend(), [](auto& c) { return c.op == Op::Image; }));
    ASSERT_EQ(s.rules().size(), 2);
    const RecordingSurface::Rule r = s.rules()[0];
    EXPECT_EQ(r.y1, 200 + 240);
    EXPECT_EQ(r.x1, 250);
    EXPECT_EQ(r.x2, 6816);
    EXPECT_EQ(s.rules()[1].y1, 440 + 20);
}

TEST(Cabecera, HeaderLinesInBoldCentredWithoutTheByteOrderMark)
{
    WorkingFolder here;
    here.write("encabezado.txt", "\xEF\xBB\xBF" "Federación\r\nClub Náutico\nTrofeo º1\r\n");
    RecordingSurface s = cabecera(true);
    ASSERT_EQ(s.textStrings(), QStringList({"Federación", "Club Náutico", "Trofeo º1"}));
    const auto t = s.texts();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t[i].y, 200 + (i + 1) * 120);
        EXPECT_EQ(t[i].x, centradoEnHoja(s, int(t[i].text.size()) * 60));
        EXPECT_TRUE(t[i].bold);
    }
    EXPECT_FALSE(s.bold());
    EXPECT_EQ(s.rules()[0].y1, 200 + 3 * 120 + 240);
}

TEST(Cabecera, LogoFilesAndTheirFallback)
{
    struct Case {
        const char* escudo;   // "ok", "roto" or nullptr
        const char* vexilo;
        bool conVexilo;
        bool logo;
    } cases[] = {
        {"ok", nullptr, true, true},    {nullptr, "ok", true, true},   {nullptr, "ok", false, false},
        {"roto", "ok", true, false},    {"roto", nullptr, false, false}, {nullptr, nullptr, true, false},
        {"vacio", nullptr, true, false}, {"corto", nullptr, true, true},
    };
    const QByteArray bueno = jpeg(200, 150);
    for (const Case& c : cases) {
        WorkingFolder here;
        auto bytes = [&](const char* kind) -> QByteArray {
            const QString k = kind;
            if (k == "ok") return bueno;
            if (k == "roto") return QByteArray("\xFF\xD8\xFF\xE0 esto no es una imagen", 24);
            if (k == "corto") return bueno.left(bueno.size() / 2);
            return {};
        };
        if (c.escudo) here.write("escudo.jpg", bytes(c.escudo));
        if (c.vexilo) here.write("vexilo.jpg", bytes(c.vexilo));
        RecordingSurface s = cabecera(c.conVexilo);
        QList<RecordingSurface::Call> images;
        for (const auto& call : s.calls)
            if (call.op == Op::Image) images << call;
        ASSERT_EQ(images.size(), c.logo ? 1 : 0) << (c.escudo ? c.escudo : "-") << (c.vexilo ? c.vexilo : "-");
        if (c.logo) {
            EXPECT_EQ(images[0].x, 250);
            EXPECT_EQ(images[0].y, 200);
            EXPECT_EQ(images[0].x2, 750);
            EXPECT_EQ(images[0].y2, 700);
        }
        EXPECT_EQ(s.rules()[0].y1, 440);  // whatever the logo's height
    }
}

TEST(Cabecera, JpegDecodesToItsSize)
{
    WorkingFolder here;
    here.write("escudo.jpg", jpeg(40, 30));
    const QImage img = leerJpeg(here.file("escudo.jpg"));
    EXPECT_EQ(img.size(), QSize(40, 30));
    EXPECT_TRUE(leerJpeg(here.file("falta.jpg")).isNull());
}

TEST(Cabecera, FontHoldsSpanishLetters)
{
    const QFontMetrics fm(PainterSurface::defaultFont());
    for (QChar c : QString("ñÑáéíóúÁÉÍÓÚüº"))
        EXPECT_TRUE(fm.inFont(c)) << QString(c).toStdString();
}

}  // namespace
