#include "dialogs/Impresion.h"

#include "data/Dialogs.h"
#include "reports/PainterSurface.h"
#include "widgets/Guard.h"

#include <memory>

bool imprimirInforme(const std::function<void(PrintSurface&)>& informe)
{
    std::unique_ptr<PrintDevice> impresora = userDialogs().printRequest();
    if (!impresora)
        return false;
    bool hecho = false;
    widgets::guarded([&] {
        try {
            PainterSurface s(*impresora);
            informe(s);
            hecho = true;
        } catch (const PrintError& e) {
            userDialogs().showError(e.message());
        }
    });
    return hecho;
}
