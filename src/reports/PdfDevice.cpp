#include "reports/PdfDevice.h"

#include "reports/TextFile.h"

#include <QPageSize>

namespace {
QBuffer* abierto(QBuffer& b)
{
    b.open(QIODevice::WriteOnly);
    return &b;
}
}  // namespace

PdfDevice::PdfDevice(const QString& fileName)
    : PdfDevice(fileName, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)), 600)
{
}

PdfDevice::PdfDevice(const QString& fileName, const QPageLayout& layout, int resolution)
    : fileName_(fileName), writer_(abierto(buffer_))
{
    writer_.setCreator(QStringLiteral("Tarsela"));
    writer_.setResolution(resolution);
    writer_.setPageLayout(layout);
}

bool PdfDevice::finish(QString* error)
{
    // A job that never began its document (nothing to print) writes no file.
    if (bytes_.isEmpty())
        return true;
    return reports::writeWhole(fileName_, bytes_, error);
}
