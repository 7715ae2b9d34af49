// Starts the real program headless from a folder of its own, with and without
// a database next to it, and reads what its start-up self-check writes.

#include "data/Demo.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    QStringList lines;  // stdout
    QString errors;     // stderr
};

// Copies the program into `dir` and runs it there with the self-check on.
ProgramRun runProgram(const QString& dir, const QString& lcAll = "C.UTF-8")
{
    const QString exe = dir + "/tarsela";
    QFile::remove(exe);
    EXPECT_TRUE(QFile::copy(TARSELA_GUI, exe));
    QFile::setPermissions(exe, QFile::permissions(TARSELA_GUI) | QFile::ExeOwner);

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TARSELA_SELFCHECK", "1");
    env.insert("LC_ALL", lcAll);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(exe, {});
    ProgramRun r;
    if (!p.waitForStarted(60000))
        return r;
    r.finished = p.waitForFinished(120000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList withPrefix(const QStringList& lines, const QString& prefix)
{
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(prefix))
            out << l.mid(prefix.size());
    return out;
}

void expectMainWindow(const ProgramRun& r)
{
    ASSERT_TRUE(r.finished) << r.errors.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(withPrefix(r.lines, "title: "), QStringList{"COMPETICIONES DE TARSELA"});
    const QStringList menu = withPrefix(r.lines, "menu: ");
    const QStringList bar = {"Competiciones1|&Competiciones", "Pesaje2|&Pesaje",
                             "ImprimirClasificacin1|&Imprimir Clasificación", "Especies2|P&eces",
                             "Pescadores1|Pe&scadores"};
    QStringList top;
    for (const QString& m : menu)
        if (!m.startsWith(' '))
            top << m;
    EXPECT_EQ(top, bar);
    EXPECT_EQ(menu.size(), 22);
    EXPECT_TRUE(menu.contains("  Salir1|&Salir"));
    const QStringList status = withPrefix(r.lines, "status: ");
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status[0].endsWith(QDate::currentDate().toString("yyyy") + ")")) << status[0].toStdString();
    EXPECT_EQ(withPrefix(r.lines, "long-lived: "), QStringList{"TSeleccion|Tfselcomp|TFcompet2|TtfPenal"});
}

TEST(StartupTest, OpensTheMainWindowWithADatabaseNextToIt)
{
    for (const QString sub : {"", "/datos"}) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(dir.path() + sub);
        createDemo(dir.path() + sub + "/marfondo.abs");
        const QByteArray before = [&] {
            QFile f(dir.path() + sub + "/marfondo.abs");
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();

        const ProgramRun r = runProgram(dir.path());
        SCOPED_TRACE(sub.toStdString());
        expectMainWindow(r);
        EXPECT_TRUE(withPrefix(r.lines, "modal: ").isEmpty()) << r.lines.join('\n').toStdString();
        // Nothing was created beside the database, which is intact.
        QFile f(dir.path() + sub + "/marfondo.abs");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
}

TEST(StartupTest, LocaleIsTheSystemsOrSpanishWhereItNamesNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    createDemo(dir.path() + "/marfondo.abs");
    for (const auto& [lcAll, name] : QList<QPair<QString, QString>>{
             {"C", "es_ES"}, {"POSIX", "es_ES"}, {"C.UTF-8", "es_ES"}, {"en_GB.UTF-8", "en_GB"}, {"es_AR.UTF-8", "es_AR"}}) {
        const ProgramRun r = runProgram(dir.path(), lcAll);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(withPrefix(r.lines, "locale: "), QStringList{name}) << lcAll.toStdString();
    }
}

TEST(StartupTest, WithoutADatabaseReportsTheErrorAndOpensTheMainWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ProgramRun r = runProgram(dir.path());
    const QStringList modal = withPrefix(r.lines, "modal: ");
    ASSERT_EQ(modal.size(), 1) << r.lines.join('\n').toStdString();
    // The toolkit's error box, titled with the program's name, naming the file.
    EXPECT_TRUE(modal[0].startsWith("QMessageBox|Tarsela|")) << modal[0].toStdString();
    EXPECT_TRUE(modal[0].contains("marfondo.abs")) << modal[0].toStdString();
    expectMainWindow(r);
    // The program never creates the file.
    EXPECT_FALSE(QFile::exists(dir.path() + "/marfondo.abs"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/datos/marfondo.abs"));
    // The error came before the main window.
    EXPECT_LT(r.lines.indexOf(QRegularExpression("^modal: .*")), r.lines.indexOf(QRegularExpression("^title: .*")));
}

}  // namespace
