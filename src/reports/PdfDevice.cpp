#include "reports/PdfDevice.h"

#include <QPageLayout>
#include <QPageSize>

PdfDevice::PdfDevice(const QString& fileName) : writer_(fileName) { setUp(); }

PdfDevice::PdfDevice(QIODevice* out) : writer_(out) { setUp(); }

void PdfDevice::setUp()
{
    writer_.setCreator(QStringLiteral("Tarsela"));
    writer_.setResolution(600);
    writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}
