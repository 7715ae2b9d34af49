#include "dialogs/GuardarCambios.h"

#include "data/Dialogs.h"
#include "engine/Dataset.h"
#include "widgets/Guard.h"

bool guardarCambiosAlSalir(std::initializer_list<engine::Dataset*> datasets)
{
    for (engine::Dataset* ds : datasets) {
        if (!ds || !ds->isEditing())
            continue;
        switch (MsgDlg(QString::fromUtf8("¿Guardar los cambios?"), mtConfirmation, mbYes | mbNo | mbCancel, 0)) {
        case mrYes:
            if (!widgets::guarded([ds] { ds->post(); }))
                return false;
            break;
        case mrNo: widgets::guarded([ds] { ds->cancel(); }); break;
        default: return false;
        }
    }
    return true;
}
