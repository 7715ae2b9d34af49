#pragma once

#include <QString>

#include <memory>

class QPagedPaintDevice;

// Questions and notices of the core go through this interface; the GUI shows
// real dialogs, the command line prints to stderr, the tests script answers.

// Message types of the program's message box.
enum TMsgDlgType { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Button set: bit i selects the button of row i.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbHelp = 1u << 8,
    // Not a button: the question deletes data, so the button that keeps it
    // (No or Cancel) is the default and Enter never deletes.
    mbKeepDefault = 1u << 16,
};

// Results.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 12 };

// What the print dialog hands back: the paged device a job draws on (a
// printer, or a file when printing to one) and how the job is named in the
// print queue.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    virtual QPagedPaintDevice& device() = 0;
    virtual void setDocumentTitle(const QString& title) = 0;
    // The PDF file chosen with "Imprimir a archivo" in the print dialog;
    // empty for a printer. The job then draws on a PDF of the printer's page
    // that finish() writes to this file.
    virtual QString outputFile() const { return {}; }
    // Called once the document has ended: a device that keeps its pages in
    // memory writes them out now, whole or not at all. False, with a Spanish
    // sentence in *error, when they could not be written.
    virtual bool finish(QString* error)
    {
        (void)error;
        return true;
    }
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // The program's own message box; x or y negative centres it.
    virtual int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) = 0;
    // The toolkit's standard message box (information, one OK).
    virtual void showMessage(const QString& text) = 0;
    // The toolkit's standard error box and error report (error icon, one OK).
    virtual void showError(const QString& text) = 0;
    // The toolkit's standard confirmation before deleting a record ("¿Borrar el registro?").
    virtual bool confirm(const QString& text) = 0;
    // A one-line text input; false when cancelled.
    virtual bool inputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // The print dialog: the device to draw on, or nothing when cancelled.
    virtual std::unique_ptr<PrintDevice> printRequest() = 0;
};

// The implementation in force (the console one until a front sets another).
UserDialogs& userDialogs();
void setUserDialogs(UserDialogs* d);

// The message box operations every caller uses.
int MsgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y);
int MsgDlg(const QString& text, int type, unsigned buttons, int helpContext);
int ShowMsg(const QString& text);

// Prints every notice to stderr; questions get the answer set here.
class ConsoleDialogs : public UserDialogs {
public:
    bool answerYes = false;  // Sí/OK to every question when set, else No/Cancel
    int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) override;
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    // There is no printer here (the command line prints with --pdf): nothing.
    std::unique_ptr<PrintDevice> printRequest() override;

protected:
    // One line of a message on stderr. A message prints its lines as lines:
    // a CR, an LF or a pair of them (either order, as the message box reads
    // them) is one line break. A front that prints otherwise replaces this.
    virtual void printLine(const QString& line);

private:
    void print(const QString& text);
};
