#pragma once

#include "data/Dialogs.h"

#include <QBuffer>
#include <QByteArray>
#include <QPageLayout>
#include <QPdfWriter>

// A PDF file as the device of a print job. Its pages are made in memory and
// finish() writes them to the file whole or not at all, so a job that fails
// part-way, or a disk that fills up, leaves the file that was there as it
// was.
class PdfDevice : public PrintDevice {
public:
    // The command line's page: A4 at 600 dots per inch with no margins.
    explicit PdfDevice(const QString& fileName);
    // A printer's page ("Imprimir a archivo" in the print dialog): its paper,
    // margins and resolution.
    PdfDevice(const QString& fileName, const QPageLayout& layout, int resolution);

    QPagedPaintDevice& device() override { return writer_; }
    void setDocumentTitle(const QString& title) override { writer_.setTitle(title); }
    // Writes the pages made so far (the document must have ended); nothing
    // when no document was begun.
    bool finish(QString* error) override;

    // The file it writes, and the bytes made so far.
    const QString& fileName() const { return fileName_; }
    const QByteArray& bytes() const { return bytes_; }

private:
    QString fileName_;
    QByteArray bytes_;
    QBuffer buffer_{&bytes_};
    QPdfWriter writer_;
};
