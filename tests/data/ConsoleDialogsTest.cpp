// The command line's side of the message boxes: one message, its lines as
// lines, whichever line breaks the text was written with.
#include "data/Dialogs.h"

#include <QByteArray>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

// What a call printed on stderr.
template <class F>
QByteArray stderrOf(F call)
{
    QTemporaryFile sink;
    if (!sink.open())
        return "(no temporary file)";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(sink.handle(), STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    sink.seek(0);
    return sink.readAll();
}

TEST(ConsoleDialogsTest, EveryLineBreakPrintsAsOne)
{
    const struct {
        const char* text;
        const char* printed;
    } cases[] = {
        {"Al guardar.\nLa base de datos está en uso por otro programa",
         "Al guardar.\nLa base de datos está en uso por otro programa\n"},
        {"Participante con DNI 11A\rya existe", "Participante con DNI 11A\nya existe\n"},
        {"uno\r\ndos", "uno\ndos\n"},
        {"¿Quiere borrar la prueba\n\rCopa?", "¿Quiere borrar la prueba\nCopa?\n"},
        {"uno\n\ndos\r\rtres", "uno\n\ndos\n\ntres\n"},
        {"una sola línea", "una sola línea\n"},
        {"", "\n"},
    };
    ConsoleDialogs console;
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(stderrOf([&] { console.showError(text); }), QByteArray(c.printed)) << c.text;
        EXPECT_EQ(stderrOf([&] { console.msgDlgPos(text, mtError, mbOK, 0, -1, -1); }), QByteArray(c.printed)) << c.text;
    }
}

}  // namespace
