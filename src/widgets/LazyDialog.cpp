#include "widgets/LazyDialog.h"

namespace widgets {

void LazyDialog::ensureBuilt()
{
    if (built_)
        return;
    // Marked first: a control that shows the dialog while it is being built
    // must not start a second building.
    built_ = true;
    buildControls();
}

void LazyDialog::setVisible(bool visible)
{
    // Before the dialog is laid out and shown, as if built with it.
    if (visible)
        ensureBuilt();
    QDialog::setVisible(visible);
}

}  // namespace widgets
