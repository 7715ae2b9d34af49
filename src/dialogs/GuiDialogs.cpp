#include "dialogs/GuiDialogs.h"

#include "dialogs/MsgDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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
// The printer the dialog set up; the job's title is its document name.
class PrinterDevice : public PrintDevice {
public:
    QPrinter printer{QPrinter::HighResolution};
    QPagedPaintDevice& device() override { return printer; }
    void setDocumentTitle(const QString& title) override { printer.setDocName(title); }
};
}  // namespace

std::unique_ptr<PrintDevice> GuiDialogs::printRequest()
{
    auto p = std::make_unique<PrinterDevice>();
    p->printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog d(&p->printer, front());
    d.setWindowTitle(QStringLiteral("Imprimir"));
    if (d.exec() != QDialog::Accepted)
        return nullptr;
    return p;
}
