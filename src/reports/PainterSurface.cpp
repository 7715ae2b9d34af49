#include "reports/PainterSurface.h"

#include "data/Dialogs.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QTransform>

#include <algorithm>

QFont PainterSurface::defaultFont()
{
    QFont f;
#ifdef Q_OS_LINUX
    // The default face of a bare Linux system may lack "ñ" or "º".
    if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
        f.setFamily(QStringLiteral("DejaVu Sans"));
#endif
    f.setPointSize(kInitialSize);
    f.setBold(false);
    return f;
}

PainterSurface::PainterSurface(QPagedPaintDevice& device, std::function<void(const QString&)> titleSetter)
    : device_(device), titleSetter_(std::move(titleSetter)), font_(defaultFont())
{
}

PainterSurface::PainterSurface(PrintDevice& device)
    : PainterSurface(device.device(), [&device](const QString& t) { device.setDocumentTitle(t); })
{
}

PainterSurface::~PainterSurface() { endDoc(); }

namespace {
// The resolution the reports lay out at.
constexpr int kDotsPerInch = 600;
}  // namespace

QSize PainterSurface::a4Page(Orientation o)
{
    const QPageLayout a4(QPageSize(QPageSize::A4),
                         o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                         QMarginsF(0, 0, 0, 0));
    return a4.paintRectPixels(kDotsPerInch).size();
}

void PainterSurface::setOrientation(Orientation o)
{
    orientation_ = o;
    device_.setPageOrientation(o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

int PainterSurface::pageWidth() const { return a4Page(orientation_).width(); }
int PainterSurface::pageHeight() const { return a4Page(orientation_).height(); }

void PainterSurface::setTitle(const QString& title)
{
    if (titleSetter_)
        titleSetter_(title);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(&device_))
        pdf->setTitle(title);
}

void PainterSurface::beginDoc()
{
    if (!painter_.begin(&device_))
        throw PrintError(QString::fromUtf8("No se puede empezar la impresión: la impresora o el fichero de salida no "
                                           "están disponibles"));
    // The page, scaled alike in both directions to fit the printable area,
    // centred in it (the identity on the command line's own page).
    const QSize page = a4Page(orientation_);
    const double k = std::min(double(device_.width()) / page.width(), double(device_.height()) / page.height());
    painter_.setWorldTransform(QTransform(k, 0, 0, k, (device_.width() - k * page.width()) / 2,
                                          (device_.height() - k * page.height()) / 2));
    applyFont();
}

void PainterSurface::newPage()
{
    if (!device_.newPage())
        throw PrintError(QString::fromUtf8("No se puede empezar una página nueva"));
}

void PainterSurface::endDoc()
{
    if (painter_.isActive())
        painter_.end();
}

void PainterSurface::setFontSize(int points)
{
    font_.setPointSize(std::max(1, points));
    applyFont();
}

void PainterSurface::setBold(bool on)
{
    font_.setBold(on);
    applyFont();
}

QFont PainterSurface::deviceFont() const
{
    // The painter turns points into the device's pixels; in the page's units
    // (at 600 dots per inch) the size is the same whatever the device's
    // resolution.
    QFont f = font_;
    const int dpi = device_.logicalDpiY();
    if (dpi > 0 && dpi != kDotsPerInch)
        f.setPointSizeF(font_.pointSizeF() * kDotsPerInch / dpi);
    return f;
}

void PainterSurface::applyFont()
{
    if (!painter_.isActive())
        return;
    painter_.setFont(deviceFont());
    // A thin rule that still shows on paper: about a sixth of a millimetre.
    QPen pen(Qt::black);
    pen.setWidth(kDotsPerInch / 150);
    painter_.setPen(pen);
}

int PainterSurface::textWidth(const QString& text)
{
    return QFontMetrics(deviceFont(), &device_).horizontalAdvance(text);
}

int PainterSurface::textHeight(const QString&) { return QFontMetrics(deviceFont(), &device_).height(); }

void PainterSurface::textOut(int x, int y, const QString& text)
{
    const QFontMetrics fm(deviceFont(), &device_);
    // White paper needs no white cell; a coloured one is painted so that the
    // text keeps the band it stands on.
    if (brush_ != QColor(Qt::white))
        painter_.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), brush_);
    painter_.drawText(x, y + fm.ascent(), text);
}

void PainterSurface::moveTo(int x, int y) { pen_ = QPoint(x, y); }

void PainterSurface::lineTo(int x, int y)
{
    painter_.drawLine(pen_, QPoint(x, y));
    pen_ = QPoint(x, y);
}

void PainterSurface::fillRect(int left, int top, int right, int bottom)
{
    painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), brush_);
}

void PainterSurface::stretchDraw(int left, int top, int right, int bottom, const QImage& image)
{
    if (!image.isNull())
        painter_.drawImage(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), image);
}
