#pragma once

#include "data/Dialogs.h"

#include <QPdfWriter>

class QIODevice;

// A PDF file as the device of a print job: A4 at 600 dots per inch with no
// margins, the page layout set before anything is measured.
class PdfDevice : public PrintDevice {
public:
    explicit PdfDevice(const QString& fileName);
    explicit PdfDevice(QIODevice* out);
    QPagedPaintDevice& device() override { return writer_; }
    void setDocumentTitle(const QString& title) override { writer_.setTitle(title); }

private:
    void setUp();
    QPdfWriter writer_;
};
