#include "dialogs/GuiDialogs.h"

#include "dialogs/PrintModule.h"
#include "dialogs/MsgDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLibrary>
#include <QMessageBox>

#include <utility>

namespace {
QWidget* front() { return windowInFront(); }

// A standard box with the text shown as typed (never read as markup).
QMessageBox::StandardButton standardBox(QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton def)
{
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, buttons, front());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(def);
    // The standard buttons in the user's language.
    for (const auto& [which, caption] : {std::pair{QMessageBox::Ok, "Aceptar"}, std::pair{QMessageBox::Yes, "&Sí"},
                                         std::pair{QMessageBox::No, "&No"}})
        if (QAbstractButton* b = box.button(which))
            b->setText(QString::fromUtf8(caption));
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
    QInputDialog d(front());
    d.setWindowTitle(caption);
    d.setLabelText(prompt);
    d.setInputMode(QInputDialog::TextInput);
    d.setTextValue(value);
    d.setOkButtonText(QStringLiteral("Aceptar"));
    d.setCancelButtonText(QStringLiteral("Cancelar"));
    if (d.exec() != QDialog::Accepted)
        return false;
    value = d.textValue();
    return true;
}

namespace {
// The print module, loaded once and kept: beside the program, or where the
// build left it (for the programs the build runs from elsewhere, the tests).
RequestPrinter printModule(QString& error)
{
    static QLibrary library;
    static RequestPrinter request = nullptr;
    if (request)
        return request;
    for (const QString& dir : {QCoreApplication::applicationDirPath(), QStringLiteral(TARSELA_MODULE_DIR)}) {
        library.setFileName(QDir(dir).filePath(QString::fromLatin1(kPrintModule)));
        if (library.load())
            break;
    }
    request = reinterpret_cast<RequestPrinter>(library.resolve(kRequestPrinter));
    if (!request)
        error = library.errorString();
    return request;
}
}  // namespace

std::unique_ptr<PrintDevice> GuiDialogs::printRequest()
{
    QString error;
    const RequestPrinter request = printModule(error);
    if (!request) {
        showError(QStringLiteral("No se puede imprimir: falta el módulo de impresión «%1» junto al programa (%2).")
                      .arg(QString::fromLatin1(kPrintModule), error));
        return nullptr;
    }
    return std::unique_ptr<PrintDevice>(request(front()));
}
