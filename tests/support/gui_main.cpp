#include "engine/Format.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An X server of the test's own: Xvfb on the first free display, which it
// writes to a pipe once it accepts clients. Stopped when the test ends.
class OwnXServer {
public:
    ~OwnXServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // The display's name (":12"), or an empty string with the reason on stderr.
    std::string start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return fail("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            // The server goes with the test, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            close(fds[0]);
            if (fds[1] != 3) {
                dup2(fds[1], 3);
                close(fds[1]);
            }
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid_ < 0) {
            close(fds[0]);
            return fail("fork");
        }
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty())
            return fail("Xvfb no se puede ejecutar o no dijo su pantalla (¿falta el paquete xvfb?)");
        return ":" + number;
    }

private:
    static std::string fail(const char* why)
    {
        std::fprintf(stderr, "Servidor X de la prueba: %s\n", why);
        return {};
    }
    pid_t pid_ = -1;
};

}  // namespace

// The main of the GUI tests: a real QApplication, offscreen unless told
// otherwise. With TARSELA_TEST_X11 set, the same tests run on the real X
// platform, against an X server started here, where a window shows only
// what was actually painted into it.
int main(int argc, char** argv)
{
    OwnXServer x;
    if (!qEnvironmentVariableIsEmpty("TARSELA_TEST_X11")) {
        const std::string display = x.start();
        if (display.empty())
            return 2;
        qputenv("DISPLAY", display.c_str());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int code = 0;
    {
        QApplication app(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
        ::testing::InitGoogleTest(&argc, argv);
        code = RUN_ALL_TESTS();
    }
    return code;
}
