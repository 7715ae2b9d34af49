#include "dialogs/PrintReport.h"

#include "data/Dialogs.h"
#include "reports/PainterSurface.h"
#include "reports/PdfDevice.h"
#include "widgets/Guard.h"

#include <memory>

bool printReport(const std::function<void(PrintSurface&)>& report)
{
    std::unique_ptr<PrintDevice> printer = userDialogs().printRequest();
    if (!printer)
        return false;
    // "Imprimir a archivo": the printer's page is made in memory and the file
    // written whole at the end, never left empty or cut short.
    const QString file = printer->outputFile();
    if (!file.isEmpty()) {
        QPagedPaintDevice& p = printer->device();
        printer = std::make_unique<PdfDevice>(file, p.pageLayout(), p.logicalDpiX());
    }
    bool done = false;
    widgets::guarded([&] {
        try {
            {
                PainterSurface s(*printer);
                report(s);
            }
            QString error;
            if (!printer->finish(&error)) {
                userDialogs().showError(error);
                return;
            }
            done = true;
        } catch (const PrintError& e) {
            userDialogs().showError(e.message());
        }
    });
    return done;
}
