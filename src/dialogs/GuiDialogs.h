#pragma once

#include "data/Dialogs.h"

// The GUI's answers to the core's questions: the program's own message box
// and the toolkit's standard message, error, confirmation and input boxes,
// each shown modally over the window in front.
class GuiDialogs : public UserDialogs {
public:
    int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) override;
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    // The toolkit's print dialog over the window in front: the chosen printer
    // (or file, with "Print to file"), or nothing on Cancel.
    std::unique_ptr<PrintDevice> printRequest() override;
};
