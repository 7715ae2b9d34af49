#pragma once

#include <QDialog>

namespace widgets {

// When a dialog builds its controls.
enum class Build {
    // In its constructor: a dialog made for one use, or one driven at once.
    Now,
    // The first time it is shown or its controls are asked for: a long-lived
    // dialog created at start, so that start-up pays for the main window
    // alone and not for screens nobody has opened yet.
    OnFirstUse,
};

// A dialog whose controls may be built after it is constructed. The derived
// class builds them in buildControls() and ends its constructor with
// buildIf(build). Showing the dialog builds them first when that is still to
// do, so a dialog shows the same whichever way it was made; code that reaches
// the controls of a dialog it did not build itself calls ensureBuilt() first.
class LazyDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    void ensureBuilt();
    bool isBuilt() const { return built_; }

    void setVisible(bool visible) override;

protected:
    virtual void buildControls() = 0;
    void buildIf(Build build)
    {
        if (build == Build::Now)
            ensureBuilt();
    }

private:
    bool built_ = false;
};

}  // namespace widgets
