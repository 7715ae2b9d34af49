// The toolkit's print dialog and printers, in a module of their own: the
// program loads it the first time something is printed (GuiDialogs), so a
// start that prints nothing never loads the toolkit's print support.
#include "dialogs/PrintModule.h"

#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

namespace {
// The printer the dialog set up; the job's title is its document name.
class PrinterDevice : public PrintDevice {
public:
    QPrinter printer{QPrinter::HighResolution};
    QPagedPaintDevice& device() override { return printer; }
    void setDocumentTitle(const QString& title) override { printer.setDocName(title); }
    QString outputFile() const override
    {
        return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    }
};
}  // namespace

PrintDevice* tarselaRequestPrinter(QWidget* parent)
{
    auto p = std::make_unique<PrinterDevice>();
    p->printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog d(&p->printer, parent);
    d.setWindowTitle(QStringLiteral("Imprimir"));
    if (d.exec() != QDialog::Accepted)
        return nullptr;
    return p.release();
}
