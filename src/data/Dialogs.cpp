#include "data/Dialogs.h"

#include <cstdio>

namespace {
ConsoleDialogs& console()
{
    static ConsoleDialogs c;
    return c;
}
UserDialogs* current = nullptr;

// One message, its lines as lines: a CR, an LF or a pair of them (either
// order, as the message box reads them) is one line break.
void printLine(const QString& text)
{
    QString t;
    t.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (i + 1 < text.size() && (text.at(i + 1) == u'\r' || text.at(i + 1) == u'\n') && text.at(i + 1) != c)
                ++i;
            t.append(u'\n');
        } else {
            t.append(c);
        }
    }
    std::fprintf(stderr, "%s\n", t.toUtf8().constData());
    std::fflush(stderr);
}
}  // namespace

UserDialogs& userDialogs() { return current ? *current : console(); }
void setUserDialogs(UserDialogs* d) { current = d; }

int MsgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y)
{
    return userDialogs().msgDlgPos(text, type, buttons, helpContext, x, y);
}

int MsgDlg(const QString& text, int type, unsigned buttons, int helpContext)
{
    return MsgDlgPos(text, type, buttons, helpContext, -1, -1);
}

int ShowMsg(const QString& text) { return MsgDlg(text, mtError, mbOK, 0); }

int ConsoleDialogs::msgDlgPos(const QString& text, int, unsigned buttons, int, int, int)
{
    printLine(text);
    if (answerYes) {
        if (buttons & mbYes) return mrYes;
        if (buttons & mbOK) return mrOk;
    }
    if (buttons & mbNo) return mrNo;
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbOK) return mrOk;
    return mrCancel;
}

void ConsoleDialogs::showMessage(const QString& text) { printLine(text); }
void ConsoleDialogs::showError(const QString& text) { printLine(text); }

bool ConsoleDialogs::confirm(const QString& text)
{
    printLine(text);
    return answerYes;
}

bool ConsoleDialogs::inputQuery(const QString&, const QString& prompt, QString&)
{
    printLine(prompt);
    return false;
}

std::unique_ptr<PrintDevice> ConsoleDialogs::printRequest()
{
    printLine(QString::fromUtf8("No hay impresora: use «tarsela-cli imprimir … --pdf FICHERO»"));
    return nullptr;
}
