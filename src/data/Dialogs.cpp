#include "data/Dialogs.h"

#include <cstdio>

namespace {
ConsoleDialogs& console()
{
    static ConsoleDialogs c;
    return c;
}
UserDialogs* current = nullptr;
}  // namespace

void ConsoleDialogs::print(const QString& text)
{
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (i + 1 < text.size() && (text.at(i + 1) == u'\r' || text.at(i + 1) == u'\n') && text.at(i + 1) != c)
                ++i;
            printLine(line);
            line.clear();
        } else {
            line.append(c);
        }
    }
    printLine(line);
}

void ConsoleDialogs::printLine(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

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
    print(text);
    if (answerYes) {
        if (buttons & mbYes) return mrYes;
        if (buttons & mbOK) return mrOk;
    }
    if (buttons & mbNo) return mrNo;
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbOK) return mrOk;
    return mrCancel;
}

void ConsoleDialogs::showMessage(const QString& text) { print(text); }
void ConsoleDialogs::showError(const QString& text) { print(text); }

bool ConsoleDialogs::confirm(const QString& text)
{
    print(text);
    return answerYes;
}

bool ConsoleDialogs::inputQuery(const QString&, const QString& prompt, QString&)
{
    print(prompt);
    return false;
}

std::unique_ptr<PrintDevice> ConsoleDialogs::printRequest()
{
    print(QString::fromUtf8("No hay impresora: use «tarsela-cli imprimir … --pdf FICHERO»"));
    return nullptr;
}
