#include "app/GuiDialogs.h"

#include "app/MsgDlg.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QWidget* front()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

// A standard box with the text shown as typed (never read as markup).
QMessageBox::StandardButton standardBox(QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton def)
{
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, buttons, front());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(def);
    return QMessageBox::StandardButton(box.exec());
}
}  // namespace

int GuiDialogs::msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y)
{
    return showMsgDlgBox(text, type, buttons, helpContext, x, y);
}

void GuiDialogs::showMessage(const QString& text)
{
    standardBox(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void GuiDialogs::showError(const QString& text)
{
    standardBox(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

// Deleting is the question: No is the default, so a stray Enter keeps the record.
bool GuiDialogs::confirm(const QString& text)
{
    return standardBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

bool GuiDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(front(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = typed;
    return ok;
}
