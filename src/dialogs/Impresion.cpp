#include "dialogs/Impresion.h"

#include "data/Dialogs.h"
#include "reports/PainterSurface.h"
#include "reports/PdfDevice.h"
#include "widgets/Guard.h"

#include <memory>

bool imprimirInforme(const std::function<void(PrintSurface&)>& informe)
{
    std::unique_ptr<PrintDevice> impresora = userDialogs().printRequest();
    if (!impresora)
        return false;
    // "Imprimir a archivo": the printer's page is made in memory and the file
    // written whole at the end, never left empty or cut short.
    const QString archivo = impresora->outputFile();
    if (!archivo.isEmpty()) {
        QPagedPaintDevice& p = impresora->device();
        impresora = std::make_unique<PdfDevice>(archivo, p.pageLayout(), p.logicalDpiX());
    }
    bool hecho = false;
    widgets::guarded([&] {
        try {
            {
                PainterSurface s(*impresora);
                informe(s);
            }
            QString error;
            if (!impresora->finish(&error)) {
                userDialogs().showError(error);
                return;
            }
            hecho = true;
        } catch (const PrintError& e) {
            userDialogs().showError(e.message());
        }
    });
    return hecho;
}
